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

signals:
    // The page (or a frame of it) asked for a window without the user's gesture, and the
    // engine refused it.
    void popupBlocked();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int nLine, const QString& source) override;

private:
    CWebEngineControl* m_pControl;
};
