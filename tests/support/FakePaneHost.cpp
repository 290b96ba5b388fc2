// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakePaneHost.h"

CFakePaneHost::CFakePaneHost() : m_form(&m_main), m_progress(&m_form)
{
    m_main.resize(800, 520);
    m_form.setGeometry(0, 0, 800, 500);
    m_progress.setGeometry(0, 490, 120, 10);
    m_main.show();
}

CFakePaneHost::~CFakePaneHost()
{
    // The workspace releases its panes before its windows go.
    while (!m_tabs.isEmpty())
        delete m_tabs.takeLast().pPane;
}

CPaneWnd* CFakePaneHost::AddPane(int nKind, IBrowserControl** ppDisp, bool bActivate)
{
    CPaneWnd* pPane = CreatePane(nKind);
    if (!pPane)
        return nullptr;
    pPane->Create(this, DefaultRect(), ppDisp, true, bActivate);
    pPane->Link(this, &m_progress, &m_addressEdit);
    InsertTab(pPane);
    if (bActivate) {
        if (m_pActivePane)
            m_pActivePane->Deactivate();
        m_pActivePane = pPane;
        m_nCurSel = m_tabs.size() - 1;
        pPane->Activate(true);
    } else {
        pPane->Deactivate();
    }
    return pPane;
}

void CFakePaneHost::NavigateNewPane(const QString& address, bool bRecordTyped)
{
    m_newPaneAddresses << address;
    if (CPaneWnd* pPane = AddPane(PANE_HTML))
        pPane->Navigate(address, bRecordTyped, true);
}

void CFakePaneHost::OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                                 BrowserWindowRequest request)
{
    m_newWindowRequests << request;
    if (m_bCancelNewWindows)
        *pbCancel = true;
    else if (m_bMakeNewWindowPanes)
        AddPane(PANE_HTML, ppDisp);
}

int CFakePaneHost::FindTab(const CPaneWnd* pPane) const
{
    for (int i = 0; i < m_tabs.size(); ++i)
        if (m_tabs[i].pPane == pPane)
            return i;
    return -1;
}

void CFakePaneHost::SetTabTitle(int nIndex, const QString& title)
{
    ++m_nTitleCalls;
    m_tabs[nIndex].title = title;
}

void CFakePaneHost::SetTabImage(int nIndex, int nImage)
{
    m_imageCalls << nImage;
    m_tabs[nIndex].nImage = nImage;
}
