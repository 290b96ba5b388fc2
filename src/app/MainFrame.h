#pragma once

#include <QMainWindow>

class CNuvBrowserDoc;

// The program's only top-level window.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(CNuvBrowserDoc* pDoc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars; false when any of them cannot be made.
    bool Create();

    // A second instance hands its record over here; the answer goes back to it.
    bool OnCopyData(quint32 dwData, const QString* pText);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CNuvBrowserDoc* m_pDoc;
};
