// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class CKeyAccelTable;
class QComboBox;
class QLineEdit;
class QMenuBar;
class QString;

// What the workspace needs of the main frame that shows it, as IFrameView is what the frame
// needs of the workspace. The frame hands itself over when it takes the workspace as its view
// (IFrameView::SetFrameHost); a workspace without a frame does without these.
class IFrameHost
{
public:
    virtual ~IFrameHost() = default;

    // The address bar's combo box (control 1009: its list is the typed-address history) and
    // the edit field inside it (the active pane's address); null until the bars exist.
    virtual QComboBox* GetAddressCombo() const = 0;
    virtual QLineEdit* GetAddressEdit() const = 0;
    // Whether the command bands (and with them the address bar) are shown.
    virtual bool IsCommandBandsShown() const = 0;
    // The message pane of the status bar.
    virtual void SetStatusText(const QString& strText) = 0;
    // Something the user must hear of once (trouble with one of the program's own files): it
    // stays a while in the status bar against the pages' own texts, and shows over the page
    // while the status bar is hidden.
    virtual void ShowNotice(const QString& strText) = 0;
    // Whether the status bar is shown (ViewStatus).
    virtual bool IsStatusBarShown() const = 0;
    // The splitter was released at this favorites width: ViewFavoriteWidth takes it and the
    // frame hands it back to its view (ApplyFavoritesWidth).
    virtual void SetFavoritesWidth(int nWidth) = 0;
    // The user's key bindings, which the options sheet edits, and the menu bar that shows them.
    virtual CKeyAccelTable* GetKeyAccelTable() = 0;
    virtual QMenuBar* GetMenuBar() const = 0;
    // The application's Exit command (57665): asks first when RunExitConfirm says so.
    virtual void OnAppExit() = 0;
};
