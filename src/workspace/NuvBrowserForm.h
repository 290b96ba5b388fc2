// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "favorites/FavoritesHost.h"
#include "history/Completion.h"
#include "panes/PaneHost.h"
#include "workspace/ClosedPanes.h"
#include "workspace/FrameView.h"
#include "workspace/ImageList.h"
#include "workspace/InternetSettings.h"

#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class CAppSettings;
class CHistoryStore;
class CContextCommands;
class CDownloadsDlg;
class CFavoritesTree;
class CIconButton;
class CNuvBrowserDoc;
class CPaneSleeper;
class CPaneTabCtrl;
class CPaneWnd;
struct PaneProperties;
class CSaveCommands;
class CSessionKeeper;
class CSplitterBar;
class IFrameHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTreeWidget;

// The workspace: the main frame's only view. Beside the panes it holds the favorites tree with
// its label, the shared progress bar, the tab strip, the bars and close buttons and the
// splitter, and it lays them out in pixels.
//
// Two favorites modes follow the setting ViewFavorite: 1 shows the tree as a panel left of the
// panes (the splitter sets its width); 0 makes it the first tab of the strip, "1 : Favorites",
// and the tree covers the pane area when that tab is chosen.
//
// The row of the tab strip is GetBarHeight() high (16 pixels or more, as the strip's labels
// need): the strip, the two square buttons, and the tops of the tree and of the pane area.
class CNuvBrowserForm : public QWidget,
                        public IFrameView,
                        public IPaneHost,
                        public IFavoritesHost,
                        public ICompletionSource
{
    Q_OBJECT
public:
    // The form's template and its controls.
    enum : int
    {
        IDD = 101,
        IDC_PANE_TABS = 1005,
        IDC_PROGRESS = 1007,
        IDC_FAVORITES_TREE = 1008,
        IDC_CLOSE_BUTTON = 1011,
        IDC_ADDRESS_BAR_BUTTON = 1012,
        IDC_FAVORITES_LABEL = 1019,
        IDC_SPLITTER = 1047,
    };

    // Builds the controls, the image lists and the favorites tree (from the document's
    // Favorites folder; none without a document) and chooses the favorites width. The
    // controls are placed when the form gets its first real size. The settings are the
    // application's, read and changed in place.
    CNuvBrowserForm(CAppSettings* pApp, CNuvBrowserDoc* pDoc, QWidget* parent = nullptr);
    ~CNuvBrowserForm() override;

    QWidget* GetDlgItem(int nID) const;
    CPaneTabCtrl* TabStrip() const { return m_tabPanes; }
    QTreeWidget* FavoritesTree() const { return m_treeFavorites; }
    QProgressBar* ProgressBar() const { return m_progress; }
    CIconButton* CloseButton() const { return m_btnClose; }
    CIconButton* AddressBarButton() const { return m_btnAddressBar; }
    CSplitterBar* Splitter() const { return m_splitter; }
    QLabel* FavoritesLabel() const { return m_stcFavorites; }
    const CImageList& FavoritesImages() const { return m_imlFavorites; }
    const CImageList& TabImages() const { return m_imlTabs; }

    // Width of the favorites panel for the controls; the pane area starts 5 pixels right of it.
    int GetFavoritesWidth() const { return m_nFavoritesWidth; }
    int GetBarHeight() const { return m_nBarHeight; }
    // (0, 0, client width, client height) as of the last size change.
    QRect GetClientRect() const { return m_rcClient; }
    // Where a new pane goes: from (favorites width + 5, bar height) to the right and bottom.
    QRect GetPaneRect() const;

    // The favorites width for a stored width (ViewFavoriteWidth) on a screen this wide: the
    // stored one when it fits, else the default (the memo is the remembered screen width - 1).
    static int DefaultFavoritesWidth(int nStored, int nScreenWidth, int* pnScreenWidthMemo);
    // Held between 10 and half the client width (half wins when it is below 10).
    static int ClampFavoritesWidth(int nWidth, int nClientWidth);

    // The size handler: client width and height.
    void OnSize(int cx, int cy);
    void LayoutButtons(int cx, int cy);
    void LayoutTabStrip(int cx, int cy);
    void LayoutFavoritesArea(int cx, int cy);
    void LayoutProgressBar(int cx, int cy);
    void LayoutActivePane(int cx, int cy);

    // After the splitter was released: the panel takes the width (ViewFavoriteWidth is the
    // frame's to set).
    void ApplyFavoritesWidth(int nWidth) override;
    // Shows the favorites as a panel or as the first tab, as ViewFavorite says.
    void ApplyFavoritesVisibility();
    // The command bands are shown (the bars button offers to hide them) or hidden.
    void SetAddressBarButtonFace(bool bShown) override;

    // Command 32829: favorites panel on or off.
    void OnViewFavorites();
    void OnUpdateViewFavorites(CCmdUI* pCmdUI);

    // Pane management.
    CPaneWnd* GetActivePane() const { return m_pActivePane; }
    QWidget* ActivePageWindow() const override;
    void SetActivePane(CPaneWnd* pPane) { m_pActivePane = pPane; }
    // The tab index of the selected pane tab; -1 when no tab or the favorites tab is selected.
    int GetSelectedPaneIndex() const;
    // Moves the keyboard focus shortly afterwards: to the favorites tree when no pane tab is
    // selected, else to the active pane.
    void ScheduleFocus() override;

    // Makes a pane of the kind, inserts its tab and brings it to the front or parks it, as
    // ViewNewActive says; null when no pane could be made.
    CPaneWnd* AddPane(int nKind, IBrowserControl** ppNewWindowDispatch = nullptr);
    // The same, with the choice of bringing the new pane to the front made by the caller, and
    // its tab at that index of the strip (-1: after the last).
    CPaneWnd* AddPaneAs(int nKind, IBrowserControl** ppNewWindowDispatch, bool bNewActive,
                        int nTabIndex = -1);
    // A pane that comes back with its history (see CPaneWnd::NavigateWithHistory) loads with it.
    void NavigatePane(CPaneWnd* pPane, const QString& address, bool bRecordTyped,
                      const QByteArray& history = QByteArray());
    void NavigateNewPane(const QString& address, bool bRecordTyped) override;
    void NavigateActivePane(const QString& address, bool bRecordTyped) override;
    bool ActivateSelectedPane();
    void SelectPane(int n);
    void OnPaneClosing(CPaneWnd* pPane) override;
    void OnPaneClosed(int nTabIndex) override;
    void UpdateCloseButton();
    // The start-up job has run and the favorites tree shows the folder's content.
    bool IsStarted() const;
    // The browser keeps a session file and offers it back at start (the program, not the
    // tests of the form, asks for it before the start-up job runs).
    void EnableSession();
    CSessionKeeper* Session() const { return m_pSession; }
    CInternetSettings& InternetSettings() { return m_settings; }
    // The HTML panes closed while the browser runs, for Reopen Closed Window.
    CClosedPanes& ClosedPanes() { return m_closed; }
    CFavoritesTree* Favorites() const { return m_pFavorites; }
    // Puts the pages of hidden panes to sleep.
    CPaneSleeper* Sleeper() const { return m_pSleeper; }

    // The frame's side.
    QWidget* GetViewWidget() override { return this; }
    void SetFrameHost(IFrameHost* pHost) override { m_pFrame = pHost; }
    void PostContextRequest(QWidget* pWindow, int nKind, const QPoint& ptClient) override;
    bool PreTranslateMessage(QObject* pReceiver, QEvent* pEvent) override;
    bool IsOnActivePage(const QObject* pReceiver) const override;
    bool IsEditingText(const QObject* pReceiver) const override;
    CContextCommands* ContextCommands() const { return m_pContext; }
    // The history of visited pages and the address field's completions (HistoryCommands.cpp).
    ICompletionSource* CompletionSource() override { return this; }
    void QueryCompletions(const QString& text, CompletionsDone done) override;
    void RemoveCompletion(const CompletionRow& row) override;
    // The history, opened at its first use.
    CHistoryStore* History();
    // Command 32853: asks once, then empties the history.
    void OnHistoryClear();
    CSaveCommands* SaveCommands() const { return m_pSave; }

    // The panes' side.
    QWidget* PaneParent() override { return this; }
    QWidget* MainWindow() override;
    void SetStatusText(const QString& text) override;
    bool IsStatusBarShown() const override;
    void OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                      BrowserWindowRequest request) override;
    void AddTypedAddress(const QString& address) override;
    void OnPageVisited(const QString& address, const QString& title, bool bNewVisit) override;
    void StartMailProgram(const QString& address) override;
    bool ViewNewWindow() const override;
    bool CheckGoogle() const override;

    // The favorites tree's side.
    int GetViewSortFavorite() const override;
    int GetViewSingleFavorite() const override;
    int GetViewNewWindow() const override;
    QString GetFavoritesPath() const override;
    bool HasActivePane() const override { return m_pActivePane != nullptr; }
    QString GetActivePaneTitle() const override;
    QString GetActivePaneAddress() const override;
    void NavigateActivePaneTo(const QString& address) override;

    // Commands of pane management.
    void OnFileClose();
    void OnUpdateFileClose(CCmdUI* pCmdUI);
    void OnCloseButton();
    // Reopen Closed Window: the pane closed last comes back in front, at its old place in the
    // strip, with its title until its page arrives and its back/forward history.
    void OnFileReopenClosed();
    void OnUpdateFileReopenClosed(CCmdUI* pCmdUI);
    void OnFileNew();
    void OnSelectPane(int nID);
    void OnFocusFavorites();
    void OnFocusBrowser();
    void OnFocusAddressBar();
    void OnFocusNewWindow();
    void OnUpdateFocusNewWindow(CCmdUI* pCmdUI);
    void OnPreviousPane();
    void OnNextPane();
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous pane, from the last to the first and
    // back.
    void OnCyclePane(int nStep);
    void OnTabSelChange();
    // A middle click on a pane's tab closes that pane by the Close command's rules; a pane
    // behind the one in front closes without changing which pane is in front.
    void OnTabCloseRequest(int nTabIndex);

    // The browser commands on the active pane, and the internet-settings switches.
    void MapBrowserCommands();

    // The dialog commands: they open their dialog and continue when it ends.
    void MapDialogCommands();
    void OnFileOpen();
    void OnGoHistory();
    void OnUpdateGoHistory(CCmdUI* pCmdUI);
    void OnFileProperties();
    void OnViewOptions();
    // The Downloads window: opened, or brought to the front. A download that ends while it is
    // not shown says so in the status bar.
    void OnViewDownloads();
    void ReportDownloadEnded(qint64 nId);

signals:
    // The splitter was released at this favorites width; the frame host's SetFavoritesWidth
    // takes it too.
    void favoritesWidthChosen(int nWidth);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect DialogRect(int x, int y, int cx, int cy) const;
    void CreateControls();
    void CreateImageLists();
    void PlaceTabStrip(int x, int cx);
    bool HasFavoritesTab() const;
    void OnAddressBarButton();
    void OnSplitterReleased(int nWidth);
    void OnFocusTimer();
    void OnStartupTimer();
    // The rest of the start-up job, once a session left behind was dealt with: the first pane,
    // or the restored one at this pane index brought to the front (-1: none restored).
    void FinishStartup(int nRestoredFront);
    void MapPaneCommands();
    void MapHistoryCommands();
    QComboBox* AddressCombo() const;
    // The application's Exit command, through the frame.
    void ExitApplication();
    void RaiseFavoritesTree();
    QLineEdit* FocusedAddressEdit(bool* pbNoFocus) const;
    void OnEditCommand(int nID);
    void OnUpdateEditCommand(CCmdUI* pCmdUI);
    void OnViewSource();
    QWidget* DialogParent();
    void ShowProperties(const PaneProperties& props);

    CAppSettings* m_pApp;
    CNuvBrowserDoc* m_pDoc;
    IFrameHost* m_pFrame = nullptr;

    CIconButton* m_btnAddressBar = nullptr;
    QLabel* m_stcFavorites = nullptr;
    CIconButton* m_btnClose = nullptr;
    QTreeWidget* m_treeFavorites = nullptr;
    QProgressBar* m_progress = nullptr;
    CPaneTabCtrl* m_tabPanes = nullptr;
    CSplitterBar* m_splitter = nullptr;
    CPaneWnd* m_pActivePane = nullptr;
    // While a pane behind the front one closes: the tab selection to keep afterwards.
    bool m_bKeepFront = false;
    int m_nKeepSelection = -1;
    QRect m_rcClient;
    CImageList m_imlFavorites;
    CImageList m_imlTabs;
    int m_nScreenWidthMemo = 1023;
    int m_nFavoritesWidth = 218;
    int m_nChosenWidth = 218; // the width chosen by default or by a drag, before clamping

    int m_nBarHeight = 16;
    int m_nProgressHeight = -1; // measured at the first layout of the progress bar
    bool m_bPlaced = false;     // the first real size has been seen
    bool m_bPanelLayout = true; // the strip is placed beside the favorites panel
    QTimer m_timerFocus;
    QTimer m_timerStartup;
    bool m_bStarted = false;
    CInternetSettings m_settings;
    CFavoritesTree* m_pFavorites = nullptr;
    QPointer<QObject> m_pPropertiesAsked; // the pane whose properties are awaited
    QPointer<CDownloadsDlg> m_pDownloadsDlg;
    CContextCommands* m_pContext = nullptr;
    CSaveCommands* m_pSave = nullptr;
    CSessionKeeper* m_pSession = nullptr;
    CHistoryStore* m_pHistory = nullptr;
    bool m_bAskingClearHistory = false;
    CClosedPanes m_closed;
    CPaneSleeper* m_pSleeper = nullptr;
};
