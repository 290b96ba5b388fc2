// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/WebEnginePage.h"

#include "panes/webengine/WebEngineControl.h"

#include <QRandomGenerator>
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

// Tells whether the element that takes the focus takes typing: a text input, a text area, an
// editable element or a document in design mode. Each frame tells of its own elements; a
// focus that leaves an element is told at once, before the next element takes it.
const char kEditingNoticeScript[] = R"JS((function () {
    var info = console.info, apply = Reflect.apply, mark = '%1';
    var notTyped = /^(button|checkbox|radio|submit|reset|image|file|color|range|hidden)$/i;
    function takesTyping(e) {
        if (!e || e.nodeType !== 1)
            return false;
        if (e.isContentEditable || document.designMode === 'on')
            return true;
        if (e.tagName === 'TEXTAREA')
            return !e.readOnly && !e.disabled;
        if (e.tagName !== 'INPUT')
            return false;
        return !e.readOnly && !e.disabled && !notTyped.test(e.type);
    }
    function tell(editing) { apply(info, console, [mark + (editing ? '1' : '0')]); }
    document.addEventListener('focusin', function (ev) {
        var path = ev.composedPath ? ev.composedPath() : [];
        tell(takesTyping(path.length ? path[0] : ev.target));
    }, true);
    document.addEventListener('focusout', function () { tell(false); }, true);
})();)JS";

QString RandomMark()
{
    return QStringLiteral("nuvBrowser editing %1 ")
        .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}
} // namespace

CWebEnginePage::CWebEnginePage(QWebEngineProfile* pProfile, CWebEngineControl* pControl)
    : QWebEnginePage(pProfile, pControl), m_pControl(pControl), m_strEditingMark(RandomMark())
{
    AddScript("nuvBrowser popup notice",
              QString::fromLatin1(kPopupNoticeScript).arg(QLatin1String(kPopupBlockedMark)),
              QWebEngineScript::MainWorld);
    AddScript("nuvBrowser editing notice",
              QString::fromLatin1(kEditingNoticeScript).arg(m_strEditingMark),
              QWebEngineScript::ApplicationWorld);
    connect(this, &QWebEnginePage::loadStarted, this, [this] { m_bEditingText = false; });
    connect(this, &QWebEnginePage::renderProcessTerminated, this,
            [this] { m_bEditingText = false; });
}

void CWebEnginePage::AddScript(const char* pszName, const QString& source, int nWorld)
{
    QWebEngineScript script;
    script.setName(QLatin1String(pszName));
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(static_cast<quint32>(nWorld));
    script.setRunsOnSubFrames(true);
    scripts().insert(script);
}

bool CWebEnginePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    return m_pControl->HandleNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage* CWebEnginePage::createWindow(WebWindowType type)
{
    switch (type) {
    case WebBrowserBackgroundTab:
        return m_pControl->HandleNewWindow(BrowserWindowRequest::BackgroundTab);
    case WebBrowserTab:
        return m_pControl->HandleNewWindow(BrowserWindowRequest::ForegroundTab);
    default:
        return m_pControl->HandleNewWindow(BrowserWindowRequest::Window);
    }
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
    if (level == InfoMessageLevel && message.size() == m_strEditingMark.size() + 1 &&
        message.startsWith(m_strEditingMark)) {
        m_bEditingText = message.endsWith(QLatin1Char('1'));
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, nLine, source);
}
