// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyRouter.h"

#include "AddressBar.h"
#include "MainFrame.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

CKeyRouter::CKeyRouter(CMainFrame* pFrame) : QObject(pFrame), m_pFrame(pFrame)
{
    qApp->installEventFilter(this);
}

CKeyRouter::~CKeyRouter()
{
    qApp->removeEventFilter(this);
}

bool CKeyRouter::IsMenuKey(const QEvent* pEvent)
{
    if (pEvent->type() != QEvent::KeyPress && pEvent->type() != QEvent::ShortcutOverride)
        return true;
    const auto* key = static_cast<const QKeyEvent*>(pEvent);
    const bool bFunctionKey = key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35;
    return !bFunctionKey && !key->modifiers().testFlag(Qt::ControlModifier);
}

// The filter sees every object of the application, among them the engine's own items, whose
// library is built without type information: the sanitizer's type check cannot tell them
// from a broken object and is left out of this first look.
__attribute__((no_sanitize("vptr"))) bool CKeyRouter::IsAimedAtFrame(QObject* pReceiver,
                                                                     QEvent* pEvent) const
{
    if (!pReceiver->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(pReceiver);
    if (widget->window() != m_pFrame)
        return false;
    // Keys typed into an open menu, a dropped-down list or a dialog belong to it (Esc closes
    // a dialog and does not stop the page); so do the keys of the menu bar's keyboard mode
    // (after Alt, or after Esc closed one of its menus): arrows, Enter, Esc and the titles'
    // letters. A key with Ctrl or a function key is none of them and goes to the frame.
    if (QApplication::activePopupWidget() != nullptr ||
        QApplication::activeModalWidget() != nullptr)
        return false;
    return qobject_cast<QMenuBar*>(widget) == nullptr || !IsMenuKey(pEvent);
}

bool CKeyRouter::IsFirstDelivery(QObject* pReceiver, QEvent* pEvent)
{
    switch (pEvent->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride: {
        QWidget* focus = m_pFrame->KeyFocusWidget();
        if (pReceiver == focus || (focus == nullptr && pReceiver == m_pFrame))
            return true;
        return pEvent->type() == QEvent::KeyPress && !pEvent->spontaneous() &&
               pReceiver == static_cast<QObject*>(m_pFrame->GetAddressBar());
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel: {
        auto* mouse = static_cast<QSinglePointEvent*>(pEvent);
        if (m_nLastType == pEvent->type() && m_nLastTimestamp == mouse->timestamp() &&
            m_nLastButton == static_cast<int>(mouse->button()) &&
            m_ptLastGlobal == mouse->globalPosition())
            return false;
        m_nLastType = pEvent->type();
        m_nLastTimestamp = mouse->timestamp();
        m_nLastButton = static_cast<int>(mouse->button());
        m_ptLastGlobal = mouse->globalPosition();
        return true;
    }
    default:
        return false;
    }
}

bool CKeyRouter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    switch (pEvent->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        break;
    case QEvent::MouseButtonRelease: {
        // Of the releases, only those of the back and forward buttons concern the frame.
        const Qt::MouseButton button = static_cast<QMouseEvent*>(pEvent)->button();
        if (button != Qt::BackButton && button != Qt::ForwardButton)
            return false;
        break;
    }
    case QEvent::Wheel:
        if (!(static_cast<QWheelEvent*>(pEvent)->modifiers() & Qt::ControlModifier))
            return false;
        break;
    default:
        return false;
    }
    if (!IsAimedAtFrame(pWatched, pEvent) || !IsFirstDelivery(pWatched, pEvent))
        return false;
    // A field that closes on Esc (a page's find bar) keeps that key: it does not stop the page.
    if ((pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Escape &&
        pWatched->property("nuvKeepsEscape").toBool())
        return false;
    if (pEvent->type() == QEvent::ShortcutOverride) {
        // Keys the frame will take are claimed here, so that no shortcut (a menu title's
        // Alt+letter) takes them first; the key press then comes through.
        if (!m_pFrame->WantsKey(pWatched, static_cast<QKeyEvent*>(pEvent)))
            return false;
        pEvent->accept();
        return true;
    }
    if (auto* pMenuBar = qobject_cast<QMenuBar*>(pWatched);
        pMenuBar != nullptr && pEvent->type() == QEvent::KeyPress) {
        // The bar leaves its keyboard mode first, as on Esc, and gives the focus back to the
        // widget that had it, where the key's command expects it.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(pMenuBar, &escape);
        QWidget* pFocus = QApplication::focusWidget();
        return m_pFrame->PreTranslateMessage(pFocus ? pFocus : pWatched, pEvent);
    }
    return m_pFrame->PreTranslateMessage(pWatched, pEvent);
}
