// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/NuvBrowserForm.h"

#include "commands/CmdUI.h"
#include "favorites/FavoritesStore.h"
#include "favorites/FavoritesTree.h"
#include "options/AppSettings.h"
#include "panes/PaneWnd.h"
#include "platform/CommandEvent.h"
#include "res/Resource.h"
#include "res/Resources.h"
#include "workspace/ContextCommands.h"
#include "workspace/FrameHost.h"
#include "workspace/IconButton.h"
#include "workspace/PaneSleeper.h"
#include "workspace/PaneTabCtrl.h"
#include "workspace/SaveCommands.h"
#include "workspace/SessionKeeper.h"
#include "workspace/SplitterBar.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScreen>
#include <QTreeWidget>

namespace {
const int kSplitterWidth = 5;
} // namespace

CNuvBrowserForm::CNuvBrowserForm(CAppSettings* pApp, CNuvBrowserDoc* pDoc, QWidget* parent)
    : QWidget(parent), m_pApp(pApp), m_pDoc(pDoc), m_settings(pApp)
{
    Q_ASSERT(pApp);
    // The platform browser's keys exist from the first start on; then they are read.
    CInternetSettings::CreateDefaultKeys(m_pApp->ViewFont);
    m_settings.ReadInternetSettings();
    CreateControls();

    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const int nScreenWidth = pScreen ? pScreen->geometry().width() : 1024;
    m_nFavoritesWidth =
        DefaultFavoritesWidth(m_pApp->ViewFavoriteWidth, nScreenWidth, &m_nScreenWidthMemo);
    m_pApp->ViewFavoriteWidth = m_nFavoritesWidth;
    m_nChosenWidth = m_nFavoritesWidth;

    m_tabPanes->SetFavoritesPanel(m_pApp->ViewFavorite == 1);
    CreateImageLists();

    m_timerFocus.setSingleShot(true);
    m_timerFocus.setInterval(10);
    connect(&m_timerFocus, &QTimer::timeout, this, &CNuvBrowserForm::OnFocusTimer);
    m_timerStartup.setSingleShot(true);
    m_timerStartup.setInterval(20);
    connect(&m_timerStartup, &QTimer::timeout, this, &CNuvBrowserForm::OnStartupTimer);

    Map(ID_VIEW_FAVORITES, &CNuvBrowserForm::OnViewFavorites,
        &CNuvBrowserForm::OnUpdateViewFavorites);
    if (m_pFavorites)
        MapFavoritesCommands(*this, *m_pFavorites);
    MapPaneCommands();
    MapBrowserCommands();
    MapDialogCommands();
    MapHistoryCommands();
    m_pContext = new CContextCommands(this);
    m_pContext->MapCommands(*this);
    m_pSave = new CSaveCommands(this);
    m_pSave->MapCommands(*this);
    m_pSleeper = new CPaneSleeper(this, m_pApp);

    ApplyFavoritesVisibility();
    m_timerStartup.start();
}

bool CNuvBrowserForm::IsStarted() const
{
    return m_bStarted && (m_pFavorites == nullptr || m_pFavorites->IsFilled());
}

void CNuvBrowserForm::EnableSession()
{
    if (m_pSession == nullptr)
        m_pSession = new CSessionKeeper(this, m_pApp);
}

CNuvBrowserForm::~CNuvBrowserForm()
{
    m_timerFocus.stop();
    m_timerStartup.stop();
    // A normal road out: the session file goes, or is kept for the next start.
    if (m_pSession)
        m_pSession->Finish();
    // The panes go before the controls they are linked to.
    m_pActivePane = nullptr;
    while (m_tabPanes->count() > 0) {
        CPaneWnd* pPane = m_tabPanes->GetTabPane(0);
        m_tabPanes->DeleteItem(0);
        delete pPane;
    }
    m_settings.WriteInternetSettings();
}

QRect CNuvBrowserForm::DialogRect(int x, int y, int cx, int cy) const
{
    // Dialog units: a quarter of the font's average character width, an eighth of its height.
    const QFontMetrics fm(font());
    const int nBaseX = (fm.horizontalAdvance(QStringLiteral(
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                            26 +
                        1) /
                       2;
    const int nBaseY = fm.height();
    const auto px = [](int du, int base, int div) { return (du * base + div / 2) / div; };
    return QRect(px(x, nBaseX, 4), px(y, nBaseY, 8), px(cx, nBaseX, 4), px(cy, nBaseY, 8));
}

void CNuvBrowserForm::CreateControls()
{
    m_stcFavorites = new QLabel(LoadString(IDS_FAVORITES_TAB), this);
    m_stcFavorites->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QRect rcLabel = DialogRect(2, 1, 47, 8);
    const QSize szLabel = m_stcFavorites->sizeHint();
    m_stcFavorites->setGeometry(rcLabel.x(), rcLabel.y(), qMax(rcLabel.width(), szLabel.width()),
                                qMax(rcLabel.height(), szLabel.height()));

    m_treeFavorites = new QTreeWidget(this);
    m_treeFavorites->setHeaderHidden(true);
    m_treeFavorites->setRootIsDecorated(false);
    m_treeFavorites->setUniformRowHeights(true);
    m_treeFavorites->setIconSize(QSize(16, 16));
    m_treeFavorites->setSelectionMode(QAbstractItemView::SingleSelection);
    m_treeFavorites->setGeometry(DialogRect(0, 15, 121, 40));
    m_treeFavorites->setAccessibleName(QStringLiteral("Favorites"));

    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setGeometry(DialogRect(0, 55, 122, 9));
    m_progress->setAccessibleName(QStringLiteral("Page Loading Progress"));

    m_tabPanes = new CPaneTabCtrl(this);
    m_tabPanes->setGeometry(DialogRect(123, 0, 108, 18));

    m_btnAddressBar = new CIconButton(QStringLiteral("H"), this);
    m_btnAddressBar->setGeometry(DialogRect(239, 0, 11, 14));
    m_btnAddressBar->setAccessibleName(QStringLiteral("Hide Bars"));
    connect(m_btnAddressBar, &QPushButton::clicked, this, &CNuvBrowserForm::OnAddressBarButton);

    m_btnClose = new CIconButton(QStringLiteral("C"), this);
    m_btnClose->setGeometry(DialogRect(251, 0, 11, 14));
    m_btnClose->setAccessibleName(QStringLiteral("Close Tab"));

    m_splitter = new CSplitterBar(this);
    m_splitter->setGeometry(DialogRect(126, 13, 7, 43));
    connect(m_splitter, &CSplitterBar::dragFinished, this, &CNuvBrowserForm::OnSplitterReleased);

    m_nBarHeight = qMax(16, m_tabPanes->PreferredHeight());
}

void CNuvBrowserForm::CreateImageLists()
{
    if (m_imlFavorites.Create(QStringLiteral(":/res/bitmap131.png"), 16)) {
        SetFavoritesImageList(m_treeFavorites, m_imlFavorites.Images());
        m_pFavorites = new CFavoritesTree(m_treeFavorites, this);
        // The folder is read on a worker meanwhile; its items follow in the start-up job, once
        // the first page is on its way (or when the reading ends, should it end later).
        m_pFavorites->InsertAddEntry();
        m_pFavorites->StartReading();
    }
    if (m_imlTabs.Create(QStringLiteral(":/res/bitmap133.png"), 10))
        m_tabPanes->SetImageList(&m_imlTabs);
}

QWidget* CNuvBrowserForm::GetDlgItem(int nID) const
{
    switch (nID) {
    case IDC_PANE_TABS:
        return m_tabPanes;
    case IDC_PROGRESS:
        return m_progress;
    case IDC_FAVORITES_TREE:
        return m_treeFavorites;
    case IDC_CLOSE_BUTTON:
        return m_btnClose;
    case IDC_ADDRESS_BAR_BUTTON:
        return m_btnAddressBar;
    case IDC_FAVORITES_LABEL:
        return m_stcFavorites;
    case IDC_SPLITTER:
        return m_splitter;
    default:
        return nullptr;
    }
}

QRect CNuvBrowserForm::GetPaneRect() const
{
    const int nLeft = m_nFavoritesWidth + kSplitterWidth;
    return QRect(QPoint(nLeft, m_nBarHeight), QSize(qMax(0, m_rcClient.width() - nLeft),
                                                    qMax(0, m_rcClient.height() - m_nBarHeight)));
}

int CNuvBrowserForm::DefaultFavoritesWidth(int nStored, int nScreenWidth, int* pnScreenWidthMemo)
{
    if (nStored > 0 && nStored <= nScreenWidth)
        return nStored;
    if (nScreenWidth >= 1023)
        return *pnScreenWidthMemo - 805;
    // Smaller screens keep 640 pixels for the panes, the smallest ones all but 100.
    *pnScreenWidthMemo = nScreenWidth - 1;
    const int nPanes = nScreenWidth > 640 ? 640 : nScreenWidth - 100;
    return (nScreenWidth - 1) - nPanes - kSplitterWidth;
}

int CNuvBrowserForm::ClampFavoritesWidth(int nWidth, int nClientWidth)
{
    if (nWidth < 10)
        nWidth = 10;
    const int nHalf = nClientWidth / 2;
    if (nWidth > nHalf)
        nWidth = nHalf;
    return nWidth;
}

void CNuvBrowserForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize(event->size().width(), event->size().height());
}

void CNuvBrowserForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) && m_bPlaced)
        OnSize(width(), height());
}

void CNuvBrowserForm::OnSize(int cx, int cy)
{
    m_rcClient = QRect(0, 0, cx, cy);
    m_nBarHeight = qMax(16, m_tabPanes->PreferredHeight());
    if (cx > 0 && cy > 0) {
        // The size a window is created with is not the one it shows, and the window is
        // resized and maximised: every real size clamps the chosen width anew, so that a
        // narrow window keeps room for the tabs and a wide one gets the chosen width back.
        m_bPlaced = true;
        m_nFavoritesWidth = ClampFavoritesWidth(m_nChosenWidth, cx);
    }
    // The strip, the buttons and the splitter's limit follow every size, not only the first.
    m_splitter->SetMaxX(cx / 2);
    LayoutButtons(cx, cy);
    PlaceTabStrip(m_bPanelLayout ? m_nFavoritesWidth + kSplitterWidth : 0, cx);
    LayoutActivePane(cx, cy);
    LayoutProgressBar(cx, cy);
    LayoutFavoritesArea(cx, cy);
}

void CNuvBrowserForm::LayoutButtons(int cx, int)
{
    const int h = m_nBarHeight;
    m_btnClose->setGeometry(cx - h, 0, h, h);
    m_btnAddressBar->setGeometry(cx - 2 * h, 0, h, h);
}

void CNuvBrowserForm::LayoutTabStrip(int cx, int)
{
    PlaceTabStrip(m_nFavoritesWidth + kSplitterWidth, cx);
}

void CNuvBrowserForm::PlaceTabStrip(int x, int cx)
{
    const int nWidth = qMax(0, cx - 2 * m_nBarHeight - x);
    m_tabPanes->setGeometry(x, 0, nWidth, m_nBarHeight);
    m_tabPanes->SetAvailableWidth(nWidth);
}

void CNuvBrowserForm::LayoutFavoritesArea(int cx, int cy)
{
    const int h = m_nBarHeight;
    const int w = m_nFavoritesWidth;
    if (m_pApp->ViewFavorite == 1) {
        m_splitter->setGeometry(w, h, kSplitterWidth, qMax(0, cy - h));
        const int p = m_progress->height();
        m_treeFavorites->setGeometry(0, h, w, qMax(0, cy - h - (p + 4)));
    } else {
        m_treeFavorites->setGeometry(0, h, cx, qMax(0, cy - h));
    }
    m_stcFavorites->lower();
}

void CNuvBrowserForm::LayoutProgressBar(int, int cy)
{
    if (m_rcClient.width() == 0)
        return;
    if (m_nProgressHeight < 0) {
        // The template's height without the bar's edge, kept from now on.
        m_nProgressHeight = qMax(1, m_progress->height() - 2);
    }
    m_progress->setGeometry(0, cy - m_nProgressHeight, m_nFavoritesWidth, m_nProgressHeight);
}

void CNuvBrowserForm::LayoutActivePane(int, int cy)
{
    if (!m_pActivePane || GetSelectedPaneIndex() == -1)
        return;
    m_pActivePane->SetHeight(cy - m_nBarHeight);
    m_pActivePane->SetLeft(m_pApp->ViewFavoriteWidth);
    m_pActivePane->Activate(m_pApp->ViewFavorite == 1);
}

void CNuvBrowserForm::ApplyFavoritesWidth(int nWidth)
{
    m_nChosenWidth = nWidth;
    m_nFavoritesWidth = nWidth;
    const int cx = m_rcClient.width();
    const int cy = m_rcClient.height();
    // Only the panel has a splitter; in the other mode the strip keeps the full width.
    if (m_bPanelLayout)
        PlaceTabStrip(nWidth + kSplitterWidth, cx);
    LayoutFavoritesArea(cx, cy);
    LayoutProgressBar(cx, cy);
    if (m_pActivePane) {
        m_pActivePane->SetLeft(nWidth);
        m_pActivePane->Activate(m_pApp->ViewFavorite == 1);
    }
    m_stcFavorites->lower();
}

bool CNuvBrowserForm::HasFavoritesTab() const
{
    return m_tabPanes->count() > 0 && m_tabPanes->GetTabRecord(0) == nullptr;
}

void CNuvBrowserForm::ApplyFavoritesVisibility()
{
    // The strip and the panel follow the setting even while no pane is open, and the
    // favorites tab is put in or taken out only when needed: a switch without a pane would
    // otherwise leave the strip in the other mode, and the next switch would add a second
    // favorites tab or delete a pane's tab.
    const bool bShown = m_pApp->ViewFavorite == 1;
    m_tabPanes->SetFavoritesPanel(bShown);
    m_bPanelLayout = bShown;
    m_stcFavorites->setVisible(bShown);
    m_splitter->setVisible(bShown);
    if (bShown) {
        PlaceTabStrip(m_nFavoritesWidth + kSplitterWidth, m_rcClient.width());
        if (HasFavoritesTab())
            m_tabPanes->DeleteItem(0);
        // When the favorites tab was the chosen one, the pane behind the tree is chosen now:
        // a strip without a selection would leave the pane without its commands and sizes.
        if (m_tabPanes->GetCurSel() == -1 && m_pActivePane)
            m_tabPanes->SetCurSel(m_tabPanes->FindTab(m_pActivePane));
    } else {
        PlaceTabStrip(0, m_rcClient.width());
        if (!HasFavoritesTab())
            m_tabPanes->InsertItem(0, LoadString(IDS_FAVORITES_TAB), CPaneTabCtrl::kImageFavorites);
    }
    m_tabPanes->UpdateTabWidths();
    if (m_pActivePane) {
        m_pActivePane->SetFavoritesShown(bShown);
        m_pActivePane->Activate(bShown);
    }
    LayoutFavoritesArea(m_rcClient.width(), m_rcClient.height());
    m_tabPanes->RelabelAll();
    if (m_pActivePane)
        UpdateCloseButton();
}

void CNuvBrowserForm::SetAddressBarButtonFace(bool bShown)
{
    m_btnAddressBar->setText(bShown ? QStringLiteral("H") : QStringLiteral("S"));
    m_btnAddressBar->setAccessibleName(bShown ? QStringLiteral("Hide Bars")
                                              : QStringLiteral("Show Bars"));
    ScheduleFocus();
}

void CNuvBrowserForm::OnAddressBarButton()
{
    // The main frame shows or hides its bands and calls SetAddressBarButtonFace.
    QWidget* pMain = window();
    if (pMain == this)
        return;
    CCommandEvent command(ID_VIEW_ADDRESS_BAR);
    QCoreApplication::sendEvent(pMain, &command);
}

void CNuvBrowserForm::OnSplitterReleased(int nWidth)
{
    emit favoritesWidthChosen(nWidth);
    if (m_pFrame)
        m_pFrame->SetFavoritesWidth(nWidth);
}

void CNuvBrowserForm::OnViewFavorites()
{
    m_pApp->ViewFavorite = m_pApp->ViewFavorite == 0 ? 1 : 0;
    m_tabPanes->SetFavoritesPanel(m_pApp->ViewFavorite == 1);
    ApplyFavoritesVisibility();
}

void CNuvBrowserForm::OnUpdateViewFavorites(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_pApp->ViewFavorite == 1 ? 1 : 0);
}

int CNuvBrowserForm::GetSelectedPaneIndex() const
{
    const int nSel = m_tabPanes->GetCurSel();
    if (nSel == -1 || (m_pApp->ViewFavorite == 0 && nSel == 0))
        return -1;
    return nSel;
}

void CNuvBrowserForm::ScheduleFocus()
{
    m_timerFocus.start();
}

void CNuvBrowserForm::OnFocusTimer()
{
    if (GetSelectedPaneIndex() == -1)
        m_treeFavorites->setFocus();
    else if (m_pActivePane && m_pActivePane->Window())
        m_pActivePane->Window()->setFocus();
}
