// SPDX-License-Identifier: GPL-3.0-or-later
// The shared pane state and non-virtual operations, on real widgets with a fake host.
#include "FakeBrowserControl.h"
#include "FakePaneHost.h"

#include "panes/HtmlPane.h"
#include "panes/TextPane.h"

#include <QPointer>
#include <gtest/gtest.h>

namespace {

class PaneWndTest : public ::testing::Test
{
protected:
    CFakeControlFactory m_factory;
    CFakePaneHost m_host;
};

TEST_F(PaneWndTest, FactoryMakesTheTwoKindsOnly)
{
    std::unique_ptr<CPaneWnd> html(CreatePane(PANE_HTML));
    std::unique_ptr<CPaneWnd> text(CreatePane(PANE_TEXT));
    ASSERT_TRUE(html && text);
    EXPECT_EQ(html->GetPaneKind(), PANE_HTML);
    EXPECT_EQ(text->GetPaneKind(), PANE_TEXT);
    EXPECT_EQ(CreatePane(0), nullptr);
    EXPECT_EQ(CreatePane(3), nullptr);
    // Made but not created: no window, and the operations that need one do nothing.
    EXPECT_EQ(html->Window(), nullptr);
    EXPECT_FALSE(html->Navigate("http://a/", false, false));
    EXPECT_EQ(m_factory.Count(), 0);
}

TEST_F(PaneWndTest, CreateFailsWithoutControlButThePaneStaysUsable)
{
    m_factory.m_bFail = true;
    CPaneWnd* pPane = m_host.AddPane(PANE_HTML);
    ASSERT_NE(pPane, nullptr);
    EXPECT_EQ(pPane->Window(), nullptr);
    EXPECT_FALSE(pPane->Navigate("http://a/", true, true));
    bool bCalled = false;
    pPane->GetSource([&](bool bOk, const QString&) {
        bCalled = true;
        EXPECT_FALSE(bOk);
    });
    EXPECT_TRUE(bCalled);
    EXPECT_EQ(pPane->SetTextSize(4), 0);
}

TEST_F(PaneWndTest, SetProgressKeepsThePositionInsideTheRange)
{
    CPaneWnd* pPane = m_host.AddPane(PANE_TEXT);
    QProgressBar& bar = m_host.m_progress;
    struct Step
    {
        int nProgress, nMax, nValue, nRange;
    };
    // Each step starts from the bar the previous one left.
    const Step steps[] = {
        {5, 5, 0, 10000},           // finished: reset
        {30, 100, 30, 100},         // smaller range: position first
        {90, 100, 90, 100},         //
        {5000, 20000, 5000, 20000}, // larger range: range first, or the position is lost
        {0, 0, 0, 10000},           // unknown size: reset
        {7000, 10000, 7000, 10000},
    };
    for (const Step& s : steps) {
        pPane->SetProgress(s.nProgress, s.nMax);
        EXPECT_EQ(bar.value(), s.nValue) << s.nProgress << " of " << s.nMax;
        EXPECT_EQ(bar.minimum(), 0);
        EXPECT_EQ(bar.maximum(), s.nRange) << s.nProgress << " of " << s.nMax;
    }
}

TEST_F(PaneWndTest, PaneWithoutTab)
{
    std::unique_ptr<CPaneWnd> pPane(CreatePane(PANE_TEXT));
    pPane->Create(&m_host, m_host.DefaultRect(), nullptr, true, true);
    EXPECT_EQ(pPane->GetTabIndex(), -1);
    pPane->Link(&m_host, &m_host.m_progress, nullptr);
    EXPECT_EQ(pPane->GetTabIndex(), -1);
    EXPECT_EQ(pPane->GetTitle(), QString());
    pPane->SetTitle("x");
    EXPECT_EQ(m_host.m_nTitleCalls, 0);

    QPointer<CPaneWnd> pGuard = pPane.get();
    QPointer<QWidget> pWnd = pPane->Window();
    pPane.release()->Close();
    EXPECT_TRUE(pGuard.isNull());
    EXPECT_TRUE(pWnd.isNull());
    EXPECT_EQ(m_host.m_closedIndexes, QList<int>{-1});
}

TEST_F(PaneWndTest, TitleIsStoredOnlyWhenItChanges)
{
    CPaneWnd* pPane = m_host.AddPane(PANE_TEXT);
    pPane->SetTitle("Page");
    EXPECT_EQ(pPane->GetTitle(), "Page");
    EXPECT_EQ(m_host.m_nTitleCalls, 1);
    pPane->SetTitle("Page");
    EXPECT_EQ(m_host.m_nTitleCalls, 1);
    pPane->SetTitle("page"); // case counts
    EXPECT_EQ(m_host.m_nTitleCalls, 2);
    pPane->SetTitle("");
    EXPECT_EQ(m_host.m_nTitleCalls, 3);
}

TEST_F(PaneWndTest, FavoritesModeMovesTheWindowOnlyOnChange)
{
    CPaneWnd* pPane = m_host.AddPane(PANE_HTML);
    QWidget* pWnd = pPane->Window();
    const PaneRect rc = pPane->PaneRectangle();

    // The mode starts on: switching it on again leaves the window where it is.
    pWnd->move(40, 40);
    pPane->SetFavoritesShown(true);
    EXPECT_EQ(pWnd->pos(), QPoint(40, 40));

    pPane->SetFavoritesShown(false);
    EXPECT_EQ(pWnd->geometry(), QRect(0, rc.top, rc.right, rc.Height()));
    pWnd->move(40, 40);
    pPane->SetFavoritesShown(false);
    EXPECT_EQ(pWnd->pos(), QPoint(40, 40));

    pPane->SetFavoritesShown(true);
    EXPECT_EQ(pWnd->geometry(), QRect(rc.left, rc.top, rc.Width(), rc.Height()));
}

TEST_F(PaneWndTest, ActivateAndParkMoveTheWindowBetweenFormAndMainWindow)
{
    CPaneWnd* pFirst = m_host.AddPane(PANE_HTML);
    CPaneWnd* pSecond = m_host.AddPane(PANE_HTML, nullptr, false);
    EXPECT_TRUE(pFirst->IsActive());
    EXPECT_FALSE(pSecond->IsActive());
    EXPECT_EQ(pSecond->Window()->parentWidget(), &m_host.m_main);
    EXPECT_TRUE(pSecond->Window()->isHidden());

    // The control reports a status text while parked: it is kept, not shown.
    m_factory.Control(1)->RaiseStatusTextChange("Loading b");
    EXPECT_FALSE(m_host.m_statusTexts.contains("Loading b"));

    pFirst->Deactivate();
    EXPECT_FALSE(pFirst->IsActive());
    EXPECT_EQ(pFirst->Window()->parentWidget(), &m_host.m_main);
    EXPECT_TRUE(pFirst->Window()->isHidden());

    pSecond->Window()->move(105, 16);
    pSecond->Activate(true);
    QWidget* pWnd = pSecond->Window();
    EXPECT_TRUE(pSecond->IsActive());
    EXPECT_EQ(pWnd->parentWidget(), &m_host.m_form);
    EXPECT_FALSE(pWnd->isHidden());
    // It keeps its top-left corner and reaches the form's right and bottom edges.
    EXPECT_EQ(pWnd->geometry(), QRect(105, 16, 800 - 105, 500 - 16));
    EXPECT_EQ(m_host.m_statusTexts.last(), "Loading b");

    // Without a main window a parked pane has no parent and stays hidden.
    m_host.m_bHasMainWindow = false;
    pSecond->Deactivate();
    EXPECT_EQ(pWnd->parentWidget(), nullptr);
    EXPECT_TRUE(pWnd->isHidden());
    pSecond->Activate(true);
    EXPECT_EQ(pWnd->parentWidget(), &m_host.m_form);
}

TEST_F(PaneWndTest, CloseResetsTheBarRemovesTheTabAndDeletesThePane)
{
    m_host.AddPane(PANE_HTML);
    CPaneWnd* pPane = m_host.AddPane(PANE_HTML);
    m_host.AddPane(PANE_TEXT);
    pPane->SetProgress(30, 100);
    QPointer<CPaneWnd> pGuard = pPane;
    QPointer<CFakeBrowserControl> pControl = m_factory.Control(1);

    pPane->Close();
    EXPECT_TRUE(pGuard.isNull());
    EXPECT_TRUE(pControl.isNull());
    EXPECT_EQ(m_host.m_tabs.size(), 2);
    EXPECT_EQ(m_host.FindTab(pPane), -1);
    EXPECT_EQ(m_host.m_closedIndexes, QList<int>{1});
    EXPECT_EQ(m_host.m_progress.value(), 0);
    EXPECT_EQ(m_host.m_progress.maximum(), 10000);
}

} // namespace
