// SPDX-License-Identifier: GPL-3.0-or-later
// A pane behind the others whose page was discarded keeps its tab's title, greyed, and its
// history for the session file; brought to the front it loads its page again, at the place
// it was.
#include "EngineWorkspace.h"

#include "panes/webengine/HistoryBytes.h"
#include "workspace/PaneSleeper.h"
#include "workspace/SessionKeeper.h"

#include <gtest/gtest.h>

namespace {

class SleepingPaneTest : public EngineWorkspaceTest
{
protected:
    CWebEngineControl* Control(int n) const
    {
        return Pane(n) ? dynamic_cast<CWebEngineControl*>(Pane(n)->Browser()) : nullptr;
    }
    QString TabTitle(int n) const
    {
        return m_pForm->TabStrip()->GetTabTitle(m_pForm->TabStrip()->FindTab(Pane(n)));
    }
    bool Greyed(int n) const
    {
        return m_pForm->TabStrip()->IsTabSleeping(m_pForm->TabStrip()->FindTab(Pane(n)));
    }
};

TEST_F(SleepingPaneTest, ADiscardedPaneComesBackWhereItWasWithItsTitleKept)
{
    m_server.SetHtml("/long.html", "<html><head><title>A long page</title></head>"
                                   "<body><div style='height:20000px'>top</div></body></html>");
    m_server.SetHtml("/other.html", "<html><head><title>Other</title></head></html>");
    Open(true);
    m_pForm->NavigateActivePane(m_server.Url("/long.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/long.html"); }, 30000));
    Evaluate(Pane(0), "window.scrollTo(0, 5000)");
    ASSERT_TRUE(WaitFor([&] { return Evaluate(Pane(0), "window.scrollY") == "5000"; }));
    m_pForm->NavigateNewPane(m_server.Url("/other.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(1), "/other.html"); }, 30000));
    ASSERT_EQ(m_pForm->GetActivePane(), Pane(1));
    const QByteArray history = Pane(0)->SaveHistory();
    ASSERT_FALSE(history.isEmpty());
    const CSessionKeeper::PaneRecord before = m_pForm->Session()->Record(Pane(0));

    // Behind the others for half an hour: discarded.
    m_pForm->Sleeper()->Tick(1800 * 1000);
    ASSERT_TRUE(
        WaitFor([&] { return Control(0)->SleepFacts().state == BrowserSleep::Discarded; }, 10000));
    EXPECT_EQ(Control(1)->SleepFacts().state, BrowserSleep::Awake) << "the front pane";
    QTest::qWait(500); // whatever the engine reports about the discarded page has come
    EXPECT_EQ(TabTitle(0), "A long page");
    EXPECT_TRUE(Greyed(0));
    EXPECT_FALSE(Greyed(1));
    // The session file keeps it as any other.
    const CSessionKeeper::PaneRecord asleep = m_pForm->Session()->Record(Pane(0));
    EXPECT_EQ(asleep.address, before.address);
    EXPECT_EQ(asleep.title, "A long page");
    EXPECT_EQ(asleep.history, history);
    const SessionData data = m_pForm->Session()->Snapshot();
    ASSERT_EQ(data.addresses.size(), 2);
    EXPECT_EQ(data.addresses[0], m_server.Url("/long.html"));
    EXPECT_EQ(data.History(0), history);
    EXPECT_EQ(data.Title(0), "A long page");

    // Brought to the front: it loads again, at the same place.
    const int nRequests = Requests("/long.html");
    m_pForm->SelectPane(0);
    ASSERT_TRUE(WaitFor([&] { return Requests("/long.html") > nRequests; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/long.html"); }, 30000));
    EXPECT_EQ(Control(0)->SleepFacts().state, BrowserSleep::Awake);
    EXPECT_FALSE(Greyed(0));
    EXPECT_TRUE(WaitFor([&] { return Evaluate(Pane(0), "window.scrollY") == "5000"; }, 10000))
        << Evaluate(Pane(0), "window.scrollY").toStdString();
    EXPECT_EQ(TabTitle(0), "A long page");
    EXPECT_FALSE(Pane(0)->CanGoBack());
}

TEST_F(SleepingPaneTest, AFrozenPaneWakesWhenShownAndItsTimersRunAgain)
{
    m_server.SetHtml("/tick.html",
                     "<html><head><title>Ticks</title></head><body><script>var n = 0;"
                     "setInterval(function () { document.body.dataset.n = ++n; }, 20);"
                     "</script></body></html>");
    m_server.SetHtml("/other.html", "<html><head><title>Other</title></head></html>");
    Open();
    m_pForm->NavigateActivePane(m_server.Url("/tick.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/tick.html"); }, 30000));
    m_pForm->NavigateNewPane(m_server.Url("/other.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(1), "/other.html"); }, 30000));
    m_pForm->Sleeper()->Tick(300 * 1000);
    ASSERT_TRUE(
        WaitFor([&] { return Control(0)->SleepFacts().state == BrowserSleep::Frozen; }, 10000));
    EXPECT_TRUE(Greyed(0));
    m_pForm->SelectPane(0);
    ASSERT_TRUE(
        WaitFor([&] { return Control(0)->SleepFacts().state == BrowserSleep::Awake; }, 10000));
    EXPECT_FALSE(Greyed(0));
    const QString ticks = QStringLiteral("document.body.dataset.n");
    const int nBefore = Evaluate(Pane(0), ticks).toInt();
    EXPECT_TRUE(WaitFor([&] { return Evaluate(Pane(0), ticks).toInt() > nBefore + 2; }))
        << "its timers run again";
}

} // namespace
