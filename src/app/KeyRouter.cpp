#include "KeyRouter.h"

#include "AddressBar.h"
#include "MainFrame.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWidget>

CKeyRouter::CKeyRouter(CMainFrame* pFrame) : QObject(pFrame), m_pFrame(pFrame)
{
    qApp->installEventFilter(this);
}

CKeyRouter::~CKeyRouter()
{
    qApp->removeEventFilter(this);
}

bool CKeyRouter::IsAimedAtFrame(QObject* pReceiver) const
{
    if (!pReceiver->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(pReceiver);
    if (widget->window() != m_pFrame)
        return false;
    // Keys typed into an open menu, a dropped-down list or a dialog belong to it (Esc closes
    // a dialog and does not stop the page); so do keys of the menu bar's keyboard mode.
    if (QApplication::activePopupWidget() != nullptr ||
        QApplication::activeModalWidget() != nullptr)
        return false;
    return qobject_cast<QMenuBar*>(widget) == nullptr;
}

bool CKeyRouter::IsFirstDelivery(QObject* pReceiver, QEvent* pEvent)
{
    switch (pEvent->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride: {
        QWidget* focus = QApplication::focusWidget();
        if (pReceiver == focus || (focus == nullptr && pReceiver == m_pFrame))
            return true;
        return pEvent->type() == QEvent::KeyPress && !pEvent->spontaneous() &&
               pReceiver == static_cast<QObject*>(m_pFrame->GetAddressBar());
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(pEvent);
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
    default:
        return false;
    }
    if (!IsAimedAtFrame(pWatched) || !IsFirstDelivery(pWatched, pEvent))
        return false;
    // A field that closes on Esc (a page's find bar) keeps that key: it does not stop the page.
    if ((pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Escape &&
        pWatched->property("nuvKeepsEscape").toBool())
        return false;
    if (pEvent->type() == QEvent::ShortcutOverride) {
        // Keys the frame will take are claimed here, so that no shortcut (a menu title's
        // Alt+letter) takes them first; the key press then comes through.
        if (!m_pFrame->WantsKey(static_cast<QKeyEvent*>(pEvent)))
            return false;
        pEvent->accept();
        return true;
    }
    return m_pFrame->PreTranslateMessage(pWatched, pEvent);
}
