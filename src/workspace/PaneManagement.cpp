// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace's panes: making them, bringing one to the front, closing them, choosing them
// by number, the focus commands, pages that ask for a new window, and the start-up job.
#include "workspace/NuvBrowserForm.h"

#include "commands/CmdUI.h"
#include "favorites/FavoritesTree.h"
#include "options/AppSettings.h"
#include "panes/BrowserControl.h"
#include "panes/PaneWnd.h"
#include "platform/ShellServices.h"
#include "res/Resource.h"
#include "workspace/ContextCommands.h"
#include "workspace/FrameHost.h"
#include "workspace/IconButton.h"
#include "workspace/NuvBrowserDoc.h"
#include "workspace/PaneTabCtrl.h"
#include "workspace/SessionKeeper.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTreeWidget>

QComboBox* CNuvBrowserForm::AddressCombo() const
{
    return m_pFrame ? m_pFrame->GetAddressCombo() : nullptr;
}

void CNuvBrowserForm::ExitApplication()
{
    if (m_pFrame)
        m_pFrame->OnAppExit();
}

QWidget* CNuvBrowserForm::MainWindow()
{
    QWidget* pMain = window();
    return pMain == this ? nullptr : pMain;
}

void CNuvBrowserForm::MapPaneCommands()
{
    Map(ID_FILE_CLOSE, &CNuvBrowserForm::OnFileClose, &CNuvBrowserForm::OnUpdateFileClose);
    Map(ID_FILE_NEW, &CNuvBrowserForm::OnFileNew);
    Map(ID_FILE_REOPEN_CLOSED, &CNuvBrowserForm::OnFileReopenClosed,
        &CNuvBrowserForm::OnUpdateFileReopenClosed);
    MapRange(ID_SELECT_PANE_FIRST, ID_SELECT_PANE_LAST, &CNuvBrowserForm::OnSelectPane);
    Map(ID_FOCUS_FAVORITES, &CNuvBrowserForm::OnFocusFavorites);
    Map(ID_FOCUS_BROWSER, &CNuvBrowserForm::OnFocusBrowser);
    Map(ID_FOCUS_ADDRESS_BAR, &CNuvBrowserForm::OnFocusAddressBar);
    Map(ID_VIEW_NEW_ACTIVE, &CNuvBrowserForm::OnFocusNewWindow,
        &CNuvBrowserForm::OnUpdateFocusNewWindow);
    Map(ID_PANE_PREVIOUS, &CNuvBrowserForm::OnPreviousPane);
    Map(ID_PANE_NEXT, &CNuvBrowserForm::OnNextPane);
    Map(ID_PANE_CYCLE_NEXT, [this] { OnCyclePane(1); });
    Map(ID_PANE_CYCLE_PREVIOUS, [this] { OnCyclePane(-1); });

    connect(m_tabPanes, &CPaneTabCtrl::selectionChanged, this, &CNuvBrowserForm::OnTabSelChange);
    connect(m_tabPanes, &CPaneTabCtrl::closeRequested, this, &CNuvBrowserForm::OnTabCloseRequest);
    connect(m_btnClose, &QPushButton::clicked, this, &CNuvBrowserForm::OnCloseButton);
}

CPaneWnd* CNuvBrowserForm::AddPane(int nKind, IBrowserControl** ppNewWindowDispatch)
{
    return AddPaneAs(nKind, ppNewWindowDispatch, m_pApp->ViewNewActive == 1);
}

CPaneWnd* CNuvBrowserForm::AddPaneAs(int nKind, IBrowserControl** ppNewWindowDispatch,
                                     bool bNewActive, int nTabIndex)
{
    const QRect rc = GetPaneRect();
    const PaneRect rcPane{rc.left(), rc.top(), m_rcClient.width(), m_rcClient.height()};
    CPaneWnd* pPane = CreatePane(nKind);
    if (pPane == nullptr)
        return nullptr;
    pPane->Create(this, rcPane, ppNewWindowDispatch, m_pApp->ViewFavorite == 1, bNewActive);
    pPane->Link(m_tabPanes, m_progress, m_pFrame ? m_pFrame->GetAddressEdit() : nullptr);
    // A new page starts at the text size last chosen.
    if (nKind == PANE_HTML && m_settings.m_nTextSize >= 1 && m_settings.m_nTextSize <= 5)
        pPane->SetTextSize(m_settings.m_nTextSize);

    m_tabPanes->SetAutoWidth(m_pApp->ViewTabWidthFixed != 0);
    m_tabPanes->AddTab(pPane, bNewActive, nTabIndex);

    if (bNewActive) {
        if (m_pActivePane)
            m_pActivePane->Deactivate();
        m_pActivePane = pPane;
        pPane->SetLeft(m_pApp->ViewFavoriteWidth);
        pPane->Activate(m_pApp->ViewFavorite == 1);
    } else {
        if (m_pActivePane)
            pPane->Deactivate();
        else
            m_pActivePane = pPane;
        if (GetSelectedPaneIndex() != -1) {
            m_pActivePane->SetLeft(m_pApp->ViewFavoriteWidth);
            m_pActivePane->Activate(m_pApp->ViewFavorite == 1);
        }
    }
    ScheduleFocus();
    UpdateCloseButton();
    return pPane;
}

void CNuvBrowserForm::NavigatePane(CPaneWnd* pPane, const QString& address, bool bRecordTyped,
                                   const QByteArray& history)
{
    if (pPane && history.isEmpty())
        pPane->Navigate(address, bRecordTyped, pPane == m_pActivePane);
    else if (pPane)
        pPane->NavigateWithHistory(history, address, pPane == m_pActivePane);
    UpdateCloseButton();
}

void CNuvBrowserForm::NavigateNewPane(const QString& address, bool bRecordTyped)
{
    NavigatePane(AddPane(PANE_HTML), address, bRecordTyped);
    ScheduleFocus();
}

void CNuvBrowserForm::NavigateActivePane(const QString& address, bool bRecordTyped)
{
    if (m_pActivePane == nullptr)
        return;
    // The tab names the address until its page arrives, or goes back when none does.
    m_pActivePane->ShowLoadingTitle(address);
    NavigatePane(m_pActivePane, address, bRecordTyped);
}

bool CNuvBrowserForm::ActivateSelectedPane()
{
    const int i = GetSelectedPaneIndex();
    if (i == -1) {
        RaiseFavoritesTree();
        UpdateCloseButton();
        return false;
    }
    CPaneWnd* pPane = m_tabPanes->GetTabPane(i);
    if (pPane == nullptr)
        return false;
    if (m_pActivePane)
        m_pActivePane->Deactivate();
    m_pActivePane = pPane;
    pPane->SetLeft(m_pApp->ViewFavoriteWidth);
    pPane->Activate(m_pApp->ViewFavorite == 1);
    if (m_pSession)
        m_pSession->LoadIfPending(pPane);
    UpdateCloseButton();
    return true;
}

void CNuvBrowserForm::RaiseFavoritesTree()
{
    m_treeFavorites->show();
    m_treeFavorites->raise();
    m_treeFavorites->setFocus();
}

void CNuvBrowserForm::OnTabSelChange()
{
    if (ActivateSelectedPane())
        ScheduleFocus();
}

void CNuvBrowserForm::SelectPane(int n)
{
    const int nCount = m_tabPanes->count();
    const int nPanes = m_pApp->ViewFavorite == 1 ? nCount : nCount - 1;
    if (n < 0 || nCount == 0 || n >= nPanes)
        return;
    m_tabPanes->SetCurSel(m_pApp->ViewFavorite == 1 ? n : n + 1);
    if (ActivateSelectedPane())
        ScheduleFocus();
}

void CNuvBrowserForm::OnPaneClosing(CPaneWnd* pPane)
{
    // A page's pane is kept for Reopen Closed Window as the session file keeps it (a source
    // view is not kept there either).
    const int nTab = m_tabPanes->FindTab(pPane);
    if (pPane->GetPaneKind() != PANE_HTML || nTab < 0)
        return;
    const CSessionKeeper::PaneRecord record =
        m_pSession ? m_pSession->Record(pPane) : CSessionKeeper::LiveRecord(pPane);
    m_closed.Add(ClosedPane{record.address, record.title, record.history,
                            nTab - (m_pApp->ViewFavorite == 1 ? 0 : 1)});
}

void CNuvBrowserForm::OnPaneClosed(int nTabIndex)
{
    if (m_bKeepFront) {
        // A pane behind the front one went: the active pane and the selection stay.
        m_bKeepFront = false;
        m_tabPanes->SetCurSel(m_nKeepSelection);
        return;
    }
    m_pActivePane = nullptr;
    // A pane that had no tab leaves the selection alone, in both favorites modes.
    if (nTabIndex < 0)
        return;
    int nSelect;
    if (m_pApp->ViewFavorite == 1)
        nSelect = nTabIndex > 0 ? nTabIndex - 1 : 0;
    else
        nSelect = nTabIndex > 1 ? nTabIndex - 1 : nTabIndex;
    m_tabPanes->SetCurSel(nSelect);
    if (ActivateSelectedPane()) {
        ScheduleFocus();
        return;
    }
    // No pane is left to show an address.
    if (QLineEdit* pEdit = m_pFrame ? m_pFrame->GetAddressEdit() : nullptr)
        pEdit->clear();
}

void CNuvBrowserForm::OnUpdateFileClose(CCmdUI* pCmdUI)
{
    const int nCount = m_tabPanes->count();
    if (m_pApp->RunLastClose == 1)
        pCmdUI->Enable(true);
    else if (m_pApp->ViewFavorite == 1)
        pCmdUI->Enable(nCount > 1);
    else
        pCmdUI->Enable(nCount > 2 && m_tabPanes->GetCurSel() != 0);
}

void CNuvBrowserForm::UpdateCloseButton()
{
    CCmdUI ui(ID_FILE_CLOSE);
    OnUpdateFileClose(&ui);
    ui.ApplyTo(m_btnClose, true);
}

void CNuvBrowserForm::OnFileClose()
{
    const int nCount = m_tabPanes->count();
    if (m_pApp->RunLastClose == 1 && nCount <= (m_pApp->ViewFavorite == 1 ? 1 : 2)) {
        ExitApplication();
        return;
    }
    const int nSel = m_tabPanes->GetCurSel();
    if (nSel == -1)
        return;
    CPaneWnd* pPane = m_tabPanes->GetTabPane(nSel);
    if (pPane == nullptr)
        return;
    pPane->Close();
    UpdateCloseButton();
}

void CNuvBrowserForm::OnCloseButton()
{
    const int nCount = m_tabPanes->count();
    if (m_pApp->ViewFavorite == 1) {
        if (nCount > 1)
            OnFileClose();
        else if (m_pApp->RunLastClose == 1)
            ExitApplication();
    } else if (nCount > 2) {
        if (m_tabPanes->GetCurSel() > 0)
            OnFileClose();
    } else if (m_pApp->RunLastClose == 1) {
        ExitApplication();
    }
}

void CNuvBrowserForm::OnTabCloseRequest(int nTabIndex)
{
    CPaneWnd* pPane = m_tabPanes->GetTabPane(nTabIndex);
    if (pPane == nullptr)
        return;
    // The Close command's rule holds for a click on any tab.
    CCmdUI ui(ID_FILE_CLOSE);
    OnUpdateFileClose(&ui);
    const int nSel = m_tabPanes->GetCurSel();
    if (nTabIndex == nSel) {
        if (ui.IsEnabled(true))
            OnFileClose();
        return;
    }
    const int nPanes = m_tabPanes->count() - (m_pApp->ViewFavorite == 1 ? 0 : 1);
    if (nPanes <= 1) {
        if (m_pApp->RunLastClose == 1)
            ExitApplication();
        return;
    }
    // The active pane hidden behind the favorites tab is not closed from its tab either.
    if (!ui.IsEnabled(true) || pPane == m_pActivePane)
        return;
    m_bKeepFront = true;
    m_nKeepSelection = nSel > nTabIndex ? nSel - 1 : nSel;
    pPane->Close();
    m_bKeepFront = false;
    UpdateCloseButton();
}

void CNuvBrowserForm::OnFileReopenClosed()
{
    const std::optional<ClosedPane> closed = m_closed.TakeLast();
    if (!closed)
        return;
    const int nFirst = m_pApp->ViewFavorite == 1 ? 0 : 1;
    const int nPanes = m_tabPanes->count() - nFirst;
    CPaneWnd* pPane = AddPaneAs(PANE_HTML, nullptr, true,
                                nFirst + CClosedPanes::PlaceFor(closed->nPosition, nPanes));
    if (pPane == nullptr)
        return;
    // Until its page arrives, the pane is known by the title the page had.
    if (!closed->title.isEmpty())
        pPane->SetTitle(closed->title);
    NavigatePane(pPane, closed->address, false, closed->history);
    ScheduleFocus();
}

void CNuvBrowserForm::OnUpdateFileReopenClosed(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!m_closed.IsEmpty());
}

void CNuvBrowserForm::OnFileNew()
{
    if (CPaneWnd* pPane = AddPane(PANE_HTML))
        pPane->GoHome();
    ScheduleFocus();
}

void CNuvBrowserForm::OnSelectPane(int nID)
{
    // Ctrl+2 ... Ctrl+9 and Ctrl+0 reach the panes numbered 2 ... 9 and 0.
    SelectPane(nID - ID_SELECT_PANE_FIRST);
}

void CNuvBrowserForm::OnFocusFavorites()
{
    RaiseFavoritesTree();
    if (m_pApp->ViewFavorite == 0)
        m_tabPanes->SetCurSel(0);
    // The close button follows the selection, as it does when the tab is tapped.
    UpdateCloseButton();
}

void CNuvBrowserForm::OnFocusBrowser()
{
    if (m_pActivePane == nullptr)
        return;
    if (QWidget* pWnd = m_pActivePane->Window()) {
        pWnd->raise();
        pWnd->setFocus();
    }
    const int nTab = m_tabPanes->FindTab(m_pActivePane);
    if (nTab != -1)
        m_tabPanes->SetCurSel(nTab);
    UpdateCloseButton();
}

void CNuvBrowserForm::OnFocusAddressBar()
{
    QComboBox* pCombo = AddressCombo();
    if (!pCombo || !m_pFrame->IsCommandBandsShown())
        return;
    pCombo->setFocus(Qt::ShortcutFocusReason);
    // The whole address is selected, also when the focus was in the field already, so that
    // typing replaces it.
    if (QLineEdit* pEdit = pCombo->lineEdit())
        pEdit->selectAll();
}

void CNuvBrowserForm::OnFocusNewWindow()
{
    m_pApp->ViewNewActive = m_pApp->ViewNewActive == 0 ? 1 : 0;
}

void CNuvBrowserForm::OnUpdateFocusNewWindow(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pApp->ViewNewActive == 1 ? 1 : 0);
}

void CNuvBrowserForm::OnPreviousPane()
{
    const int t = m_tabPanes->GetCurSel() - (m_pApp->ViewFavorite == 0 ? 1 : 0);
    if (t - 1 >= 0)
        SelectPane(t - 1);
}

void CNuvBrowserForm::OnNextPane()
{
    const int t = m_tabPanes->GetCurSel() - (m_pApp->ViewFavorite == 0 ? 1 : 0);
    SelectPane(t + 1);
}

void CNuvBrowserForm::OnCyclePane(int nStep)
{
    const int nPanes = m_tabPanes->count() - (m_pApp->ViewFavorite == 0 ? 1 : 0);
    if (nPanes <= 0)
        return;
    const int t = m_tabPanes->GetCurSel() - (m_pApp->ViewFavorite == 0 ? 1 : 0);
    // From the favorites tab, the first pane is next and the last one previous.
    const int nFrom = t < 0 ? (nStep > 0 ? -1 : 0) : t;
    SelectPane(((nFrom + nStep) % nPanes + nPanes) % nPanes);
}

void CNuvBrowserForm::OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                                   BrowserWindowRequest request)
{
    const bool bCtrl = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    // A link opened with the middle button or Ctrl goes behind the pane in front, with
    // Ctrl+Shift in front of it, whatever ViewNewActive says for the menu's commands.
    if (request == BrowserWindowRequest::BackgroundTab) {
        AddPaneAs(PANE_HTML, ppDisp, false);
        return;
    }
    if (request == BrowserWindowRequest::ForegroundTab && bCtrl) {
        AddPaneAs(PANE_HTML, ppDisp, true);
        return;
    }
    // Any other window a page asks for while Ctrl is held is refused.
    if (bCtrl) {
        *pbCancel = true;
        return;
    }
    AddPane(PANE_HTML, ppDisp);
}

void CNuvBrowserForm::OnStartupTimer()
{
    m_timerStartup.stop();
    m_bStarted = true;
    // The pages of a session left behind come first (the user may be asked first).
    if (m_pSession)
        m_pSession->RestoreAtStart([this](int nRestoredFront) { FinishStartup(nRestoredFront); });
    else
        FinishStartup(-1);
}

void CNuvBrowserForm::FinishStartup(int nRestoredFront)
{
    const bool bRestored = nRestoredFront >= 0;
    if (!bRestored)
        AddPane(PANE_HTML);
    m_settings.FillAddressList(AddressCombo());
    SetAddressBarButtonFace(m_pApp->ViewMenu == 1);
    if (m_pApp->ViewFavorite == 0)
        ApplyFavoritesVisibility();
    if (bRestored) {
        SelectPane(nRestoredFront);
        if (!m_pApp->m_strStartAddress.isEmpty())
            NavigateNewPane(m_pApp->m_strStartAddress, false);
    } else if (m_pActivePane) {
        if (!m_pApp->m_strStartAddress.isEmpty())
            m_pActivePane->Navigate(m_pApp->m_strStartAddress, false, true);
        else
            m_pActivePane->GoHome();
        SelectPane(0);
    }
    // A large Favorites folder takes a while to read and to show: the engine starts on the
    // first page first. What the worker read shows now, or as soon as the reading ends.
    if (m_pFavorites)
        m_pFavorites->FillFavorites();
}

void CNuvBrowserForm::PostContextRequest(QWidget* pWindow, int nKind, const QPoint& ptClient)
{
    m_pContext->PostContextRequest(pWindow, nKind, ptClient);
}

bool CNuvBrowserForm::PreTranslateMessage(QObject* pReceiver, QEvent* pEvent)
{
    return m_pContext->PreTranslateMessage(pReceiver, pEvent);
}

bool CNuvBrowserForm::IsOnActivePage(const QObject* pReceiver) const
{
    return m_pActivePane && pReceiver && pReceiver->isWidgetType() &&
           m_pActivePane->OwnsWindow(static_cast<const QWidget*>(pReceiver));
}

bool CNuvBrowserForm::IsEditingText(const QObject* pReceiver) const
{
    return IsOnActivePage(pReceiver) && m_pActivePane->IsEditingText();
}

QWidget* CNuvBrowserForm::ActivePageWindow() const
{
    return m_pActivePane ? m_pActivePane->Window() : nullptr;
}

void CNuvBrowserForm::SetStatusText(const QString& text)
{
    if (m_pFrame)
        m_pFrame->SetStatusText(text);
}

bool CNuvBrowserForm::IsStatusBarShown() const
{
    return m_pFrame && m_pFrame->IsStatusBarShown();
}

void CNuvBrowserForm::AddTypedAddress(const QString& address)
{
    m_settings.AddTypedAddress(&address, AddressCombo());
}

void CNuvBrowserForm::StartMailProgram(const QString& address)
{
    StartMailTo(address);
}

bool CNuvBrowserForm::ViewNewWindow() const
{
    return m_pApp->ViewNewWindow != 0;
}

bool CNuvBrowserForm::CheckGoogle() const
{
    return m_pApp->CheckGoogle != 0;
}

int CNuvBrowserForm::GetViewSortFavorite() const
{
    return m_pApp->ViewSortFavorite;
}

int CNuvBrowserForm::GetViewSingleFavorite() const
{
    return m_pApp->ViewSingleFavorite;
}

int CNuvBrowserForm::GetViewNewWindow() const
{
    return m_pApp->ViewNewWindow;
}

QString CNuvBrowserForm::GetFavoritesPath() const
{
    return m_pDoc ? m_pDoc->m_strFavoritesPath : QString();
}

QString CNuvBrowserForm::GetActivePaneTitle() const
{
    return m_pActivePane ? m_pActivePane->GetTitle() : QString();
}

QString CNuvBrowserForm::GetActivePaneAddress() const
{
    return m_pActivePane ? m_pActivePane->GetAddress() : QString();
}

void CNuvBrowserForm::NavigateActivePaneTo(const QString& address)
{
    NavigatePane(m_pActivePane, address, false);
}
