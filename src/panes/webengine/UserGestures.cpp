// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/UserGestures.h"

#include <QKeyEvent>
#include <QUrl>
#include <QWidget>

namespace {
// As long as the engine itself counts a press or a key as the user's activation of a page.
const qint64 kGestureLifetimeMs = 5000;
} // namespace

bool CUserGestures::IsProgramAddress(const QUrl& url)
{
    // The schemes whose addresses the engine shows itself.
    static const char* const kEngineSchemes[] = {
        "http", "https",  "file",     "data",         "about", "blob", "filesystem", "view-source",
        "qrc",  "chrome", "devtools", "chrome-error", "ws",    "wss",  "javascript"};
    const QString scheme = url.scheme().toLower();
    for (const char* known : kEngineSchemes)
        if (scheme == QLatin1String(known))
            return false;
    return true;
}

void CUserGestures::Watch(QWidget* pWidget)
{
    // Installing twice would still filter once.
    pWidget->installEventFilter(this);
}

bool CUserGestures::Take()
{
    const bool bFresh = m_last.isValid() && m_last.elapsed() < kGestureLifetimeMs;
    m_last.invalidate();
    return bFresh;
}

void CUserGestures::HandTo(CUserGestures* pOther)
{
    pOther->m_last = m_last;
    m_last.invalidate();
}

bool CUserGestures::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    switch (pEvent->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
        Grant();
        break;
    case QEvent::KeyPress:
        if (!static_cast<QKeyEvent*>(pEvent)->isAutoRepeat())
            Grant();
        break;
    default:
        break;
    }
    return QObject::eventFilter(pWatched, pEvent);
}
