#pragma once

#include <QWebEnginePage>

class CWebEngineControl;

// The page of one control: hands the engine's navigation and new-window questions to the
// control, which turns them into the control's events.
class CWebEnginePage : public QWebEnginePage
{
    Q_OBJECT
public:
    CWebEnginePage(QWebEngineProfile* pProfile, CWebEngineControl* pControl);

    CWebEngineControl* Control() const { return m_pControl; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    CWebEngineControl* m_pControl;
};
