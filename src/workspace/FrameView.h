// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CmdTarget.h"

class ICompletionSource;
class IFrameHost;
class QEvent;
class QObject;
class QPoint;
class QString;
class QWidget;

// The view that fills the main frame (the workspace), as the frame sees it. The frame routes
// commands to it first (its command table, CCmdTarget), lets it look at key and pointer
// presses aimed at its widgets first, and forwards the requests below. Without a view the
// frame's requests do nothing.
class IFrameView : public CCmdTarget
{
public:
    ~IFrameView() override = default;

    // The widget the frame shows as its central area.
    virtual QWidget* GetViewWidget() = 0;
    // The frame that shows the view hands itself over (null when it lets the view go).
    virtual void SetFrameHost(IFrameHost* pHost) { (void)pHost; }

    // Shows an address in the active pane (Enter in the address field: recordTyped true).
    virtual void NavigateActivePane(const QString& strAddress, bool bRecordTyped) = 0;
    // Shows an address in a new pane (an address handed over by a second start).
    virtual void NavigateNewPane(const QString& strAddress, bool bRecordTyped) = 0;
    // Moves the keyboard focus to the active pane shortly afterwards.
    virtual void ScheduleFocus() = 0;
    // The favorites panel takes this width in pixels.
    virtual void ApplyFavoritesWidth(int nWidth) = 0;
    // The command bands were shown (true) or hidden: the bars button shows the other choice.
    virtual void SetAddressBarButtonFace(bool bBandsShown) = 0;
    // Posts a context-menu request for a widget at a point in its coordinates; kind 1 is the
    // address field, 0 a page.
    virtual void PostContextRequest(QWidget* pWindow, int nKind, const QPoint& ptClient) = 0;

    // The part of the view that shows the active page (notes go over it); null: none.
    virtual QWidget* ActivePageWindow() const { return nullptr; }

    // Where the address field's completions come from; null: the field completes nothing.
    virtual ICompletionSource* CompletionSource() { return nullptr; }

    // Whether the widget belongs to the active pane's page, and whether a text field of that
    // page has the keyboard focus (the frame leaves the field its editing keys).
    virtual bool IsOnActivePage(const QObject* pReceiver) const
    {
        (void)pReceiver;
        return false;
    }
    virtual bool IsEditingText(const QObject* pReceiver) const
    {
        (void)pReceiver;
        return false;
    }
    // Sees each key press and pointer press aimed at a widget inside the view before the frame
    // does (once per press, on the widget it is aimed at); true consumes it.
    virtual bool PreTranslateMessage(QObject* pReceiver, QEvent* pEvent)
    {
        (void)pReceiver;
        (void)pEvent;
        return false;
    }
};
