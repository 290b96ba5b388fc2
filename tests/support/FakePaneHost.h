// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"
#include "panes/PaneHost.h"
#include "panes/PaneWnd.h"

#include <QLineEdit>
#include <QList>
#include <QProgressBar>
#include <QStringList>
#include <QWidget>

// A workspace in miniature for pane tests: a main window with a form, a progress bar and
// an address field, a tab strip kept as a list of records, and a log of what the panes ask.
class CFakePaneHost : public IPaneHost, public IPaneTabs
{
public:
    struct Tab
    {
        CPaneWnd* pPane = nullptr;
        QString title;
        int nImage = -1;
        bool bSleeping = false;
    };

    CFakePaneHost();
    ~CFakePaneHost();

    // AddPane as the workspace does it: make, create, link, append the tab, and bring the
    // pane to the front (the previous one parked) when bActivate.
    CPaneWnd* AddPane(int nKind, IBrowserControl** ppDisp = nullptr, bool bActivate = true);
    // Appends a tab for a pane made elsewhere.
    void InsertTab(CPaneWnd* pPane) { m_tabs.append({pPane, QString(), -1}); }
    PaneRect DefaultRect() const { return {5, 16, m_form.width(), m_form.height()}; }

    // IPaneHost
    QWidget* PaneParent() override { return &m_form; }
    QWidget* MainWindow() override { return m_bHasMainWindow ? &m_main : nullptr; }
    void SetStatusText(const QString& text) override { m_statusTexts << text; }
    bool IsStatusBarShown() const override { return m_bStatusBarShown; }
    void NavigateNewPane(const QString& address, bool bRecordTyped) override;
    void OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                      BrowserWindowRequest request) override;
    void AddTypedAddress(const QString& address) override { m_typedAddresses << address; }
    void OnPaneClosed(int nTabIndex) override
    {
        m_closedIndexes << nTabIndex;
        m_pActivePane = nullptr;
    }
    void StartMailProgram(const QString& address) override { m_mailAddresses << address; }
    bool ViewNewWindow() const override { return m_bViewNewWindow; }
    bool CheckGoogle() const override { return m_bCheckGoogle; }

    // IPaneTabs
    int FindTab(const CPaneWnd* pPane) const override;
    QString GetTabTitle(int nIndex) const override { return m_tabs.value(nIndex).title; }
    void SetTabTitle(int nIndex, const QString& title) override;
    void SetTabImage(int nIndex, int nImage) override;
    void SetTabSleeping(int nIndex, bool bSleeping) override
    {
        m_tabs[nIndex].bSleeping = bSleeping;
    }
    void SetCurSel(int nIndex) override { m_nCurSel = nIndex; }
    void RemoveTab(int nIndex) override { m_tabs.removeAt(nIndex); }

    QWidget m_main;
    QWidget m_form;
    QProgressBar m_progress;
    QLineEdit m_addressEdit;
    QList<Tab> m_tabs;
    int m_nCurSel = -1;
    CPaneWnd* m_pActivePane = nullptr;

    bool m_bHasMainWindow = true;
    bool m_bViewNewWindow = false;
    bool m_bCheckGoogle = true;
    bool m_bCancelNewWindows = false;                // as with Ctrl held
    QList<BrowserWindowRequest> m_newWindowRequests; // how the pages asked, oldest first
    bool m_bMakeNewWindowPanes = true;

    QStringList m_statusTexts;
    bool m_bStatusBarShown = false;
    QStringList m_newPaneAddresses;
    QStringList m_typedAddresses;
    QStringList m_mailAddresses;
    QList<int> m_closedIndexes;
    QList<int> m_imageCalls; // every SetTabImage, by image
    int m_nTitleCalls = 0;   // every SetTabTitle
};
