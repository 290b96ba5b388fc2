// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the favorites tree needs of the workspace and the main frame. The workspace form
// implements it; NavigateNewPane and ScheduleFocus have the signatures of the frame's view
// interface, so one override in the form serves both.
class IFavoritesHost
{
public:
    virtual ~IFavoritesHost() = default;

    // The settings, read at each use: ViewSortFavorite, ViewSingleFavorite, ViewNewWindow.
    virtual int GetViewSortFavorite() const = 0;
    virtual int GetViewSingleFavorite() const = 0;
    virtual int GetViewNewWindow() const = 0;

    // The document's Favorites folder path (may be empty).
    virtual QString GetFavoritesPath() const = 0;

    // The active pane, which may be none; without one the title and address are empty.
    virtual bool HasActivePane() const = 0;
    virtual QString GetActivePaneTitle() const = 0;
    virtual QString GetActivePaneAddress() const = 0;

    // NavigatePane with the active pane (none: nothing is shown), the address and
    // recordTyped false; the tab title is left to the page.
    virtual void NavigateActivePaneTo(const QString& strAddress) = 0;
    // A new HTML pane (AddPane, kind 1) shown on the address.
    virtual void NavigateNewPane(const QString& strAddress, bool bRecordTyped) = 0;

    // The first pane of the main frame's status bar.
    virtual void SetStatusText(const QString& strText) = 0;
    // Moves the keyboard focus shortly afterwards, normally to the active pane.
    virtual void ScheduleFocus() = 0;
};
