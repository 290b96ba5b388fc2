// SPDX-License-Identifier: GPL-3.0-or-later
// Which hidden page sleeps, and how deeply, as a table.
#include "panes/SleepPolicy.h"

#include <gtest/gtest.h>

namespace {

TEST(SleepPolicy, DecisionTable)
{
    using S = BrowserSleep;
    const S W = S::Awake, F = S::Frozen, D = S::Discarded;
    const qint64 kMin = 60 * 1000;
    struct Case
    {
        const char* what;
        bool bFront, bAudible, bEditing, bBusy;
        qint64 nHiddenMs;
        int nFreezeSecs, nDiscardSecs;
        S now, deepest, expected;
    } cases[] = {
        {"just hidden", false, false, false, false, 10 * 1000, 300, 1800, W, D, W},
        {"hidden 5 minutes: frozen", false, false, false, false, 5 * kMin, 300, 1800, W, D, F},
        {"hidden 30 minutes: discarded", false, false, false, false, 30 * kMin, 300, 1800, W, D, D},
        {"frozen, then discarded", false, false, false, false, 30 * kMin, 300, 1800, F, D, D},
        {"front pane never", true, false, false, false, 60 * kMin, 300, 1800, W, D, W},
        {"front pane wakes", true, false, false, false, 60 * kMin, 300, 1800, D, D, W},
        {"plays sound", false, true, false, false, 60 * kMin, 300, 1800, W, W, W},
        {"form being edited", false, false, true, false, 60 * kMin, 300, 1800, W, D, W},
        {"download, print or dialog", false, false, false, true, 60 * kMin, 300, 1800, W, D, W},
        {"busy once frozen stays frozen", false, false, false, true, 60 * kMin, 300, 1800, F, D, F},
        {"freeze 0: never frozen", false, false, false, false, 10 * kMin, 0, 1800, W, D, W},
        {"freeze 0: still discarded", false, false, false, false, 30 * kMin, 0, 1800, W, D, D},
        {"discard 0: only frozen", false, false, false, false, 600 * kMin, 300, 0, W, D, F},
        {"both 0: never", false, false, false, false, 600 * kMin, 0, 0, W, D, W},
        {"both 0: asleep is not woken", false, false, false, false, 600 * kMin, 0, 0, F, D, F},
        {"engine says frozen at most", false, false, false, false, 60 * kMin, 300, 1800, W, F, F},
        {"engine says awake", false, false, false, false, 60 * kMin, 300, 1800, W, W, W},
        {"discard before freeze", false, false, false, false, 2 * kMin, 300, 60, W, D, D},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PaneSleepInput in;
        in.bFront = c.bFront;
        in.bEditing = c.bEditing;
        in.nHiddenMs = c.nHiddenMs;
        in.facts.state = c.now;
        in.facts.deepest = c.deepest;
        in.facts.bAudible = c.bAudible;
        in.facts.bBusy = c.bBusy;
        EXPECT_EQ(int(ChooseSleep(in, SleepDelays{c.nFreezeSecs, c.nDiscardSecs})),
                  int(c.expected));
    }
}

} // namespace
