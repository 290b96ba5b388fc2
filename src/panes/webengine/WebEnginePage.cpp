#include "panes/webengine/WebEnginePage.h"

#include "panes/webengine/WebEngineControl.h"

CWebEnginePage::CWebEnginePage(QWebEngineProfile* pProfile, CWebEngineControl* pControl)
    : QWebEnginePage(pProfile, pControl), m_pControl(pControl)
{
}

bool CWebEnginePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    return m_pControl->HandleNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage* CWebEnginePage::createWindow(WebWindowType)
{
    return m_pControl->HandleNewWindow();
}
