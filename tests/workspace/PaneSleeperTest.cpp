// SPDX-License-Identifier: GPL-3.0-or-later
// The sleeper of the workspace: which panes it puts to sleep, after how long, and the tabs
// of sleeping panes.
#include "WorkspaceFixture.h"

#include "workspace/PaneSleeper.h"

namespace {

const qint64 kSec = 1000;

class PaneSleeperTest : public WorkspaceTest
{
protected:
    // Three panes, the third in front.
    void OpenThree()
    {
        Open();
        MakePanes(3);
        ASSERT_EQ(ActiveIndex(), 2);
        for (int i = 0; i < 3; ++i)
            Control(Pane(i))->ClearCalls();
    }
    QStringList SleepCalls(int n) const { return Control(Pane(n))->Calls().filter("SetSleep"); }
    bool Greyed(int n) const { return Tabs()->IsTabSleeping(Tabs()->FindTab(Pane(n))); }
    CPaneSleeper* Sleeper() const { return form->Sleeper(); }
};

TEST_F(PaneSleeperTest, HiddenPanesFreezeThenAreDiscardedAndTheirTabsAreGreyed)
{
    OpenThree();
    Sleeper()->Tick(299 * kSec);
    EXPECT_TRUE(SleepCalls(0).isEmpty());
    EXPECT_FALSE(Greyed(0));

    Sleeper()->Tick(1 * kSec);
    EXPECT_EQ(SleepCalls(0), QStringList{"SetSleep 1"});
    EXPECT_EQ(SleepCalls(1), QStringList{"SetSleep 1"});
    EXPECT_TRUE(SleepCalls(2).isEmpty()) << "the front pane stays awake";
    EXPECT_TRUE(Greyed(0));
    EXPECT_TRUE(Greyed(1));
    EXPECT_FALSE(Greyed(2));
    EXPECT_EQ(Tabs()->GetTabTitle(Tabs()->FindTab(Pane(0))), "P1") << "the title stays";

    Sleeper()->Tick(1500 * kSec);
    EXPECT_EQ(SleepCalls(0), QStringList({"SetSleep 1", "SetSleep 2"}));
    EXPECT_EQ(Sleeper()->HiddenMs(Pane(0)), 1800 * kSec);
    EXPECT_EQ(Sleeper()->HiddenMs(Pane(2)), 0);

    // Brought to the front, the page wakes (the engine does it as the page is shown; here the
    // next round does it) and its hidden time starts again.
    form->SelectPane(0);
    Sleeper()->Tick(10 * kSec);
    EXPECT_EQ(SleepCalls(0).last(), "SetSleep 0");
    EXPECT_FALSE(Greyed(0));
    EXPECT_EQ(Sleeper()->HiddenMs(Pane(0)), 0);
    EXPECT_EQ(Sleeper()->HiddenMs(Pane(2)), 10 * kSec);
}

TEST_F(PaneSleeperTest, ThePageDecidesWhatKeepsItAwake)
{
    OpenThree();
    Control(Pane(0))->m_sleep.bAudible = true;
    Control(Pane(1))->m_bEditingText = true;
    Sleeper()->Tick(3600 * kSec);
    EXPECT_TRUE(SleepCalls(0).isEmpty());
    EXPECT_TRUE(SleepCalls(1).isEmpty());
    // Once the sound ends, the hidden time already counted applies.
    Control(Pane(0))->m_sleep.bAudible = false;
    Sleeper()->Tick(0);
    EXPECT_EQ(SleepCalls(0), QStringList{"SetSleep 2"});
}

TEST_F(PaneSleeperTest, DelaysAreReadAtEachRoundAndZeroMeansNever)
{
    app.RunFreezeHidden = 0;
    app.RunDiscardHidden = 0;
    OpenThree();
    Sleeper()->Tick(24 * 3600 * kSec);
    EXPECT_TRUE(SleepCalls(0).isEmpty());
    app.RunFreezeHidden = 60;
    Sleeper()->Tick(0);
    EXPECT_EQ(SleepCalls(0), QStringList{"SetSleep 1"});
}

TEST_F(PaneSleeperTest, AClosedPaneIsForgotten)
{
    OpenThree();
    Sleeper()->Tick(10 * kSec);
    CPaneWnd* pGone = Pane(0);
    form->OnTabCloseRequest(Tabs()->FindTab(pGone)); // the front pane stays
    Sleeper()->Tick(10 * kSec);
    EXPECT_EQ(Sleeper()->HiddenMs(pGone), 0);
    EXPECT_EQ(Sleeper()->HiddenMs(Pane(0)), 20 * kSec);
}

} // namespace
