#include "panes/webengine/WebEnginePage.h"

#include "panes/webengine/WebEngineControl.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {
const char kPopupBlockedMark[] = "nuvBrowser: pop-up blocked";

// The engine gives a window only to a script that runs for the user's press or key; any other
// window.open of the page gets null. This tells the page's window.open of such refusals, in
// every frame. It holds its own references to what it calls: the page's later changes to them
// do not reach it.
const char kPopupNoticeScript[] = R"JS((function () {
    var open = window.open, info = console.info, apply = Reflect.apply, mark = '%1';
    window.open = function () {
        var opened = apply(open, window, arguments);
        if (opened === null)
            apply(info, console, [mark]);
        return opened;
    };
})();)JS";
} // namespace

CWebEnginePage::CWebEnginePage(QWebEngineProfile* pProfile, CWebEngineControl* pControl)
    : QWebEnginePage(pProfile, pControl), m_pControl(pControl)
{
    QWebEngineScript notice;
    notice.setName(QStringLiteral("nuvBrowser popup notice"));
    notice.setSourceCode(
        QString::fromLatin1(kPopupNoticeScript).arg(QLatin1String(kPopupBlockedMark)));
    notice.setInjectionPoint(QWebEngineScript::DocumentCreation);
    notice.setWorldId(QWebEngineScript::MainWorld);
    notice.setRunsOnSubFrames(true);
    scripts().insert(notice);
}

bool CWebEnginePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    return m_pControl->HandleNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage* CWebEnginePage::createWindow(WebWindowType)
{
    return m_pControl->HandleNewWindow();
}

void CWebEnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                              const QString& message, int nLine,
                                              const QString& source)
{
    // A page may write the same words: it only tells itself that a window was refused.
    if (level == InfoMessageLevel && message == QLatin1String(kPopupBlockedMark)) {
        emit popupBlocked();
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, nLine, source);
}
