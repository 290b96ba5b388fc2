// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLog.h"
#include "FakeBrowserControl.h"

#include "app/NuvBrowserApp.h"
#include "commands/CmdUI.h"
#include "favorites/FavoritesStore.h"
#include "panes/PaneHost.h"
#include "panes/PaneWnd.h"
#include "res/Resource.h"
#include "workspace/IconButton.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"
#include "workspace/SplitterBar.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {
// What a pane asks of the form: only its window matters here.
class FormAsPaneHost : public IPaneHost
{
public:
    FormAsPaneHost(QWidget* pForm, QWidget* pMain) : m_pForm(pForm), m_pMain(pMain) {}
    QWidget* PaneParent() override { return m_pForm; }
    QWidget* MainWindow() override { return m_pMain; }
    void SetStatusText(const QString&) override {}
    bool IsStatusBarShown() const override { return true; }
    void NavigateNewPane(const QString&, bool) override {}
    void OnNewWindow2(IBrowserControl**, bool*, BrowserWindowRequest) override {}
    void AddTypedAddress(const QString&) override {}
    void OnPaneClosed(int) override {}
    void StartMailProgram(const QString&) override {}
    bool ViewNewWindow() const override { return false; }
    bool CheckGoogle() const override { return false; }

private:
    QWidget* m_pForm;
    QWidget* m_pMain;
};

class NuvBrowserFormTest : public ::testing::Test
{
protected:
    CNuvBrowserApp app;
    CFakeControlFactory controls; // the start-up job's HTML pane starts no engine
    QWidget host;                 // stands for the main window
    std::unique_ptr<CNuvBrowserForm> form;

    // A form shown in the host at the size, with a stored favorites width.
    void Make(int cx, int cy, int nStoredWidth, int nViewFavorite = 1)
    {
        app.ViewFavoriteWidth = nStoredWidth;
        app.ViewFavorite = nViewFavorite;
        form = std::make_unique<CNuvBrowserForm>(&app, nullptr, &host);
        host.resize(cx, cy);
        form->resize(cx, cy);
        form->show();
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        ASSERT_EQ(form->GetClientRect(), QRect(0, 0, cx, cy));
    }
    // Stands for the frame: SetFavoritesWidth.
    void ConnectFrame()
    {
        QObject::connect(form.get(), &CNuvBrowserForm::favoritesWidthChosen, form.get(),
                         [this](int w) {
                             app.ViewFavoriteWidth = w;
                             form->ApplyFavoritesWidth(w);
                         });
    }
    static QImage Face(QWidget* button) { return button->grab().toImage(); }
};

TEST(NuvBrowserFormWidth, DefaultsFromTheScreenAndClamps)
{
    struct Case
    {
        int nStored, nScreen, nWidth, nMemo;
    };
    const Case cases[] = {
        {0, 640, 94, 639},    {0, 320, 94, 319},      {0, 800, 154, 799},
        {0, 1022, 376, 1021}, {0, 1023, 218, 1023},   {0, 1920, 218, 1023},
        {5, 800, 5, 1023},    {200, 1024, 200, 1023}, {2000, 1024, 218, 1023},
        {801, 800, 154, 799}, {-3, 1024, 218, 1023},
    };
    for (const Case& c : cases) {
        int nMemo = 1023;
        EXPECT_EQ(CNuvBrowserForm::DefaultFavoritesWidth(c.nStored, c.nScreen, &nMemo), c.nWidth)
            << c.nStored << " on " << c.nScreen;
        EXPECT_EQ(nMemo, c.nMemo) << c.nStored << " on " << c.nScreen;
    }
    EXPECT_EQ(CNuvBrowserForm::ClampFavoritesWidth(5, 800), 10);
    EXPECT_EQ(CNuvBrowserForm::ClampFavoritesWidth(200, 300), 150);
    EXPECT_EQ(CNuvBrowserForm::ClampFavoritesWidth(300, 1000), 300);
    EXPECT_EQ(CNuvBrowserForm::ClampFavoritesWidth(3, 10), 5) << "half wins below 10";
    EXPECT_EQ(CSplitterBar::ClampX(3, 400), 10);
    EXPECT_EQ(CSplitterBar::ClampX(500, 400), 400);
    EXPECT_EQ(CSplitterBar::ClampX(7, 4), 4);
}

TEST_F(NuvBrowserFormTest, StoredWidthIsClampedForTheControlsOnly)
{
    Make(800, 600, 0);
    EXPECT_EQ(app.ViewFavoriteWidth, form->GetFavoritesWidth()) << "the default is stored";

    Make(800, 600, 5);
    EXPECT_EQ(form->GetFavoritesWidth(), 10);
    EXPECT_EQ(app.ViewFavoriteWidth, 5);

    Make(300, 400, 200);
    EXPECT_EQ(form->GetFavoritesWidth(), 150);
    EXPECT_EQ(app.ViewFavoriteWidth, 200);
    EXPECT_EQ(form->Splitter()->GetMaxX(), 150);
}

TEST_F(NuvBrowserFormTest, LayoutInBothFavoritesModesFollowsEverySize)
{
    Make(1000, 700, 218);
    const int w = 218;
    const int h = form->GetBarHeight();
    EXPECT_GE(h, 16);
    EXPECT_GE(h, form->TabStrip()->PreferredHeight());
    const int hp = form->ProgressBar()->height();
    EXPECT_GT(hp, 0);

    auto expectPanel = [&](int cx, int cy) {
        SCOPED_TRACE(cx);
        EXPECT_TRUE(form->FavoritesLabel()->isVisible());
        EXPECT_TRUE(form->Splitter()->isVisible());
        EXPECT_EQ(form->TabStrip()->geometry(), QRect(w + 5, 0, cx - w - 5 - 2 * h, h));
        EXPECT_EQ(form->AddressBarButton()->geometry(), QRect(cx - 2 * h, 0, h, h));
        EXPECT_EQ(form->CloseButton()->geometry(), QRect(cx - h, 0, h, h));
        EXPECT_EQ(form->FavoritesTree()->geometry(), QRect(0, h, w, cy - h - hp - 4));
        EXPECT_EQ(form->ProgressBar()->geometry(), QRect(0, cy - hp, w, hp));
        EXPECT_EQ(form->Splitter()->geometry(), QRect(w, h, 5, cy - h));
        EXPECT_EQ(form->Splitter()->GetMaxX(), cx / 2);
        EXPECT_EQ(form->GetPaneRect(), QRect(w + 5, h, cx - w - 5, cy - h));
        EXPECT_EQ(form->TabStrip()->GetAvailableWidth(), cx - w - 5 - 2 * h - 20);
    };
    expectPanel(1000, 700);
    form->resize(1200, 800);
    expectPanel(1200, 800);

    // The favorites become the first tab; the pane numbers stay.
    form->OnCmdMsg(ID_VIEW_FAVORITES);
    EXPECT_EQ(app.ViewFavorite, 0);
    EXPECT_FALSE(form->TabStrip()->IsFavoritesPanel());
    EXPECT_FALSE(form->FavoritesLabel()->isVisible());
    EXPECT_FALSE(form->Splitter()->isVisible());
    EXPECT_EQ(form->TabStrip()->geometry(), QRect(0, 0, 1200 - 2 * h, h));
    EXPECT_EQ(form->FavoritesTree()->geometry(), QRect(0, h, 1200, 800 - h));
    EXPECT_EQ(form->ProgressBar()->geometry(), QRect(0, 800 - hp, w, hp));
    ASSERT_EQ(form->TabStrip()->count(), 1);
    EXPECT_EQ(form->TabStrip()->GetTabLabel(0), "1 : Favorites");
    EXPECT_EQ(form->TabStrip()->GetTabImage(0), 6);
    form->TabStrip()->SetCurSel(0);
    EXPECT_EQ(form->GetSelectedPaneIndex(), -1) << "the favorites tab is no pane";
    CCmdUI check(ID_VIEW_FAVORITES);
    EXPECT_TRUE(form->OnUpdateCmdMsg(&check));
    EXPECT_EQ(check.m_nCheck, 0);

    form->resize(900, 600);
    EXPECT_EQ(form->TabStrip()->geometry(), QRect(0, 0, 900 - 2 * h, h));
    EXPECT_EQ(form->FavoritesTree()->geometry(), QRect(0, h, 900, 600 - h));

    // Back to the panel, at the same width; switching twice adds no second favorites tab.
    form->OnViewFavorites();
    EXPECT_EQ(app.ViewFavorite, 1);
    EXPECT_EQ(form->TabStrip()->count(), 0);
    form->ApplyFavoritesVisibility();
    EXPECT_EQ(form->TabStrip()->count(), 0);
    expectPanel(900, 600);
    EXPECT_TRUE(form->OnUpdateCmdMsg(&check));
    EXPECT_EQ(check.m_nCheck, 1);
}

TEST_F(NuvBrowserFormTest, SplitterDragIsClampedAndSetsTheWidth)
{
    Make(1000, 700, 218);
    ConnectFrame();
    CSplitterBar* bar = form->Splitter();
    QSignalSpy chosen(form.get(), &CNuvBrowserForm::favoritesWidthChosen);
    const QPoint grip(2, 50);

    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseMove(bar, bar->mapFromParent(QPoint(3, 60)));
    EXPECT_EQ(bar->x(), 10);
    EXPECT_EQ(form->GetFavoritesWidth(), 218) << "only the bar moves during the drag";
    QTest::mouseMove(bar, bar->mapFromParent(QPoint(900, 60)));
    EXPECT_EQ(bar->x(), 500);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromParent(QPoint(700, 60)));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toInt(), 500);
    EXPECT_EQ(app.ViewFavoriteWidth, 500);
    EXPECT_EQ(form->GetFavoritesWidth(), 500);
    EXPECT_EQ(bar->geometry().topLeft(), QPoint(500, form->GetBarHeight()));
    EXPECT_EQ(form->FavoritesTree()->width(), 500);
    EXPECT_EQ(form->TabStrip()->x(), 505);
    EXPECT_EQ(form->GetPaneRect().left(), 505);

    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromParent(QPoint(3, 60)));
    EXPECT_EQ(app.ViewFavoriteWidth, 10);

    // A larger window allows a wider panel.
    form->resize(1400, 700);
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromParent(QPoint(650, 60)));
    EXPECT_EQ(app.ViewFavoriteWidth, 650);
}

TEST_F(NuvBrowserFormTest, ButtonsShowTheirFacesAndReachTheMainWindow)
{
    Make(800, 600, 200);
    CCommandLog commands(&host);
    CIconButton* bars = form->AddressBarButton();
    CIconButton* close = form->CloseButton();

    form->SetAddressBarButtonFace(false);
    EXPECT_EQ(bars->text(), "S");
    form->SetAddressBarButtonFace(true);
    EXPECT_EQ(bars->text(), "H");
    QTest::mouseClick(bars, Qt::LeftButton);
    EXPECT_EQ(commands.ids, QList<int>({ID_VIEW_ADDRESS_BAR}));

    // The X at the centre of the close button: black, grey when disabled. (The form's start-up
    // job may already have set the button's state by its rule: the faces are set here.)
    const QPoint centre(close->width() / 2, (close->height() - 16) / 2 + 1 + 8);
    close->setEnabled(true);
    EXPECT_LT(qGray(Face(close).pixel(centre)), 60);
    close->setEnabled(false);
    EXPECT_NEAR(qGray(Face(close).pixel(centre)), 150, 20);
    EXPECT_NE(Face(bars), Face(close));

    // A double tap on the strip asks the main window, not the form, for Refresh.
    QTest::mouseDClick(form->TabStrip(), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(commands.ids, QList<int>({ID_VIEW_ADDRESS_BAR, ID_VIEW_REFRESH}));
}

TEST_F(NuvBrowserFormTest, ActivePaneFollowsSizeWidthAndMode)
{
    Make(1000, 700, 218);
    ConnectFrame();
    const int h = form->GetBarHeight();
    FormAsPaneHost paneHost(form.get(), &host);
    CPaneWnd* pane = CreatePane(PANE_TEXT);
    const QRect rc = form->GetPaneRect();
    pane->Create(&paneHost, PaneRect{rc.left(), rc.top(), rc.right() + 1, rc.bottom() + 1}, nullptr,
                 true, true);
    pane->Link(form->TabStrip(), form->ProgressBar(), nullptr);
    form->TabStrip()->AddTab(pane, true);
    form->SetActivePane(pane);
    pane->Activate(true);
    QWidget* wnd = pane->Window();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(wnd->geometry(), QRect(223, h, 1000 - 223, 700 - h));

    form->resize(1200, 800);
    EXPECT_EQ(wnd->geometry(), QRect(223, h, 1200 - 223, 800 - h));

    QTest::mousePress(form->Splitter(), Qt::LeftButton, {}, QPoint(2, 50));
    QTest::mouseRelease(form->Splitter(), Qt::LeftButton, {},
                        form->Splitter()->mapFromParent(QPoint(300, 60)));
    EXPECT_EQ(wnd->geometry(), QRect(305, h, 1200 - 305, 800 - h));

    form->OnViewFavorites();
    EXPECT_FALSE(pane->IsFavoritesShown());
    EXPECT_EQ(wnd->geometry(), QRect(0, h, 1200, 800 - h));
    EXPECT_EQ(form->GetSelectedPaneIndex(), 1);
    EXPECT_EQ(form->TabStrip()->GetTabLabel(1), "2 : ");
    form->OnViewFavorites();
    EXPECT_EQ(wnd->geometry(), QRect(305, h, 1200 - 305, 800 - h));
    EXPECT_EQ(form->GetSelectedPaneIndex(), 0);

    form->SetActivePane(nullptr);
    pane->Close();
    EXPECT_EQ(form->TabStrip()->count(), 0);
}

TEST_F(NuvBrowserFormTest, FavoritesTreeStartsWithTheAddEntry)
{
    Make(800, 600, 200);
    QTreeWidget* tree = form->FavoritesTree();
    ASSERT_GE(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "To add Favorites");
    const FAVITEMDATA* pRecord = FavoriteRecord(tree->topLevelItem(0));
    ASSERT_NE(pRecord, nullptr);
    EXPECT_TRUE(pRecord->IsAddEntry());
    EXPECT_EQ(form->GetDlgItem(CNuvBrowserForm::IDC_FAVORITES_TREE), tree);
    EXPECT_EQ(form->GetDlgItem(CNuvBrowserForm::IDC_CLOSE_BUTTON), form->CloseButton());
    EXPECT_EQ(form->GetDlgItem(4711), nullptr);
}
} // namespace

namespace {
TEST_F(NuvBrowserFormTest, TabStripCoversTheFavoritesLabel)
{
    // A narrow panel puts the strip over the label's place; the label is below the strip.
    Make(800, 600, 10);
    QWidget* strip = form->TabStrip();
    ASSERT_TRUE(strip->geometry().intersects(form->FavoritesLabel()->geometry()));
    const QRect rcOver = strip->geometry().intersected(form->FavoritesLabel()->geometry());
    const QImage withLabel = form->grab(rcOver).toImage();
    form->FavoritesLabel()->hide();
    const QImage withoutLabel = form->grab(rcOver).toImage();
    EXPECT_EQ(withLabel, withoutLabel) << "the label shows through the strip";
}

TEST_F(NuvBrowserFormTest, EverySizeClampsTheUsedWidthAndTheStoredOneStays)
{
    Make(1000, 700, 250);
    const int h = form->GetBarHeight();
    const struct
    {
        int cx;
        int nUsed;
    } sizes[] = {{300, 150}, {1000, 250}, {400, 200}, {520, 250}, {16, 8}, {1200, 250}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.cx);
        form->resize(s.cx, 600);
        EXPECT_EQ(form->GetFavoritesWidth(), s.nUsed);
        EXPECT_EQ(app.ViewFavoriteWidth, 250);
        EXPECT_EQ(form->Splitter()->GetMaxX(), s.cx / 2);
        EXPECT_EQ(form->TabStrip()->x(), s.nUsed + 5);
        EXPECT_EQ(form->FavoritesTree()->width(), s.nUsed);
        EXPECT_EQ(form->Splitter()->x(), s.nUsed);
        EXPECT_EQ(form->ProgressBar()->width(), s.nUsed);
        EXPECT_EQ(form->TabStrip()->width(), qMax(0, s.cx - s.nUsed - 5 - 2 * h));
    }

    // A drag chooses a new width, which the next sizes clamp in turn.
    ConnectFrame();
    QTest::mousePress(form->Splitter(), Qt::LeftButton, {}, QPoint(2, 50));
    QTest::mouseRelease(form->Splitter(), Qt::LeftButton, {},
                        form->Splitter()->mapFromParent(QPoint(400, 60)));
    EXPECT_EQ(app.ViewFavoriteWidth, 400);
    form->resize(600, 600);
    EXPECT_EQ(form->GetFavoritesWidth(), 300);
    form->resize(1200, 600);
    EXPECT_EQ(form->GetFavoritesWidth(), 400);
    EXPECT_EQ(app.ViewFavoriteWidth, 400);
}
} // namespace
