// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class CPaneWnd;
class IBrowserControl;
enum class BrowserWindowRequest;
class QWidget;

// What a pane needs of the workspace that owns it and of the main frame. The workspace form
// implements it; a pane gets it with Create and never reaches further up.
class IPaneHost
{
public:
    // The form's window: the parent of an active pane.
    virtual QWidget* PaneParent() = 0;
    // The application's main window, the parent of parked panes; null while there is none.
    virtual QWidget* MainWindow() = 0;

    // The first pane of the main frame's status bar; nothing while there is no main frame.
    virtual void SetStatusText(const QString& text) = 0;
    // Whether the main frame's status bar is shown (false without a main frame).
    virtual bool IsStatusBarShown() const = 0;

    // Shows an address in a new HTML pane.
    virtual void NavigateNewPane(const QString& address, bool bRecordTyped) = 0;
    // A page of an HTML pane asks for a new window: put the control of a new pane into
    // *ppDisp (AddPane with the dispatch pointer), or set *pbCancel.
    virtual void OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                              BrowserWindowRequest request) = 0;
    // The newest end of the typed-address list.
    virtual void AddTypedAddress(const QString& address) = 0;
    // A page finished loading (bNewVisit), or a page already reported got its title later:
    // the history of visited pages takes it.
    virtual void OnPageVisited(const QString& address, const QString& title, bool bNewVisit)
    {
        (void)address;
        (void)title;
        (void)bNewVisit;
    }
    // Called by CPaneWnd::Close first, while the pane and its tab are as they were.
    virtual void OnPaneClosing(CPaneWnd* /*pPane*/) {}
    // Called by CPaneWnd::Close after the pane's tab is gone (nTabIndex the index it had, -1
    // when it had none) and before the pane object is destroyed.
    virtual void OnPaneClosed(int nTabIndex) = 0;

    // Hands a "mailto:" address to the mail program.
    virtual void StartMailProgram(const QString& address) = 0;

    // The settings the navigation policy reads: ViewNewWindow and CheckGoogle.
    virtual bool ViewNewWindow() const = 0;
    virtual bool CheckGoogle() const = 0;

protected:
    ~IPaneHost() = default;
};

// What a pane needs of the tab strip that shows it: the tab strip itself, or the workspace
// on its behalf. Tab indexes are the strip's item indexes.
class IPaneTabs
{
public:
    // The index of the tab whose record carries the pane; -1 when none does.
    virtual int FindTab(const CPaneWnd* pPane) const = 0;
    // The title stored in the tab's record; empty when it has none.
    virtual QString GetTabTitle(int nIndex) const = 0;
    // Stores the title in the tab's record and redraws the label.
    virtual void SetTabTitle(int nIndex, const QString& title) = 0;
    // Greys the tab's label while the pane's page sleeps, and shows it plain again.
    virtual void SetTabSleeping(int nIndex, bool bSleeping) = 0;
    // Sets the tab's image, index into the strip's image list.
    virtual void SetTabImage(int nIndex, int nImage) = 0;
    // Selects the tab without a selection notification.
    virtual void SetCurSel(int nIndex) = 0;
    // Deletes the tab item and frees its record.
    virtual void RemoveTab(int nIndex) = 0;

protected:
    ~IPaneTabs() = default;
};
