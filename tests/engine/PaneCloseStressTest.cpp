// SPDX-License-Identifier: GPL-3.0-or-later
// Twenty real engine panes loading at once from the loopback server, closed in a random (but
// fixed) order while their pages are still coming: no crash, and every pane object is gone.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"

#include <QPointer>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {
class PaneCloseStressTest : public EngineTest
{
protected:
    CFakePaneHost m_host;
};

TEST_F(PaneCloseStressTest, TwentyLoadingPanesClosedInRandomOrder)
{
    constexpr int kPanes = 20;
    // Pages whose bodies stall halfway, so every pane is still loading when it is closed.
    CLoopbackHttpServer::Page stalled;
    stalled.body =
        "<html><head><title>Slow</title></head><body>" + QByteArray(8000, 'x') + "</body></html>";
    stalled.delivery = CLoopbackHttpServer::Page::Stall;
    stalled.nStallBytes = 100;
    for (int i = 0; i < kPanes; ++i)
        m_server.SetPage(QStringLiteral("/p%1.html").arg(i), stalled);

    QList<QPointer<CPaneWnd>> panes;
    for (int i = 0; i < kPanes; ++i) {
        auto* pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        ASSERT_NE(pPane, nullptr);
        pPane->Window()->resize(400, 300);
        ASSERT_TRUE(pPane->Navigate(m_server.Url(QStringLiteral("/p%1.html").arg(i)), false, true));
        panes.append(pPane);
    }
    // Pages are arriving (the engine asks a few at a time per server, the rest wait in its
    // queue) and every pane is loading. The bound is generous for a busy machine.
    ASSERT_TRUE(WaitFor(
        [&] {
            return m_server.HeldCount() > 0 && std::all_of(panes.begin(), panes.end(), [](auto& p) {
                       return static_cast<CHtmlPane*>(p.data())->IsNavigating();
                   });
        },
        120000));

    std::mt19937 random(1210);
    QList<QPointer<CPaneWnd>> order = panes;
    std::shuffle(order.begin(), order.end(), random);
    for (int i = 0; i < order.size(); ++i) {
        ASSERT_FALSE(order[i].isNull()) << i;
        order[i]->Close();
        // Let the engine deliver what it had under way for the rest.
        if (i % 4 == 3)
            QTest::qWait(20);
    }
    EXPECT_TRUE(WaitFor(
        [&] { return std::all_of(panes.begin(), panes.end(), [](auto& p) { return p.isNull(); }); },
        60000));
    EXPECT_TRUE(m_host.m_tabs.isEmpty());
    m_server.ReleaseHeld();
}
} // namespace
