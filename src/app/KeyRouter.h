// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointF>

class CMainFrame;

// Hands the frame each key press and pointer press aimed at a widget inside its window, before
// the widget sees it, while no popup menu or modal dialog is open; also the releases of the
// mouse's back and forward buttons and the wheel turned with Ctrl. An application-wide filter
// sees a press once for every widget it travels through; this one passes it on once: a key
// press where it reaches the focus widget (or the Enter the address bar posts itself), a
// pointer event on the widget under the pointer.
class CKeyRouter : public QObject
{
public:
    explicit CKeyRouter(CMainFrame* pFrame);
    ~CKeyRouter() override;

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // Whether a key press on the menu bar is one of its own: not one with Ctrl, not F1 … F35.
    static bool IsMenuKey(const QEvent* pEvent);
    bool IsAimedAtFrame(QObject* pReceiver, QEvent* pEvent) const;
    bool IsFirstDelivery(QObject* pReceiver, QEvent* pEvent);

    CMainFrame* m_pFrame;
    // The pointer press last passed on, to recognise its trip through the parent widgets.
    int m_nLastType = 0;
    quint64 m_nLastTimestamp = 0;
    int m_nLastButton = 0;
    QPointF m_ptLastGlobal;
};
