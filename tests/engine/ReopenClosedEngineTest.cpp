// SPDX-License-Identifier: GPL-3.0-or-later
// Reopen Closed Window on the real engine: a closed pane comes back with its Back history.
#include "EngineWorkspace.h"

#include "res/Resource.h"

#include <gtest/gtest.h>

namespace {

class ReopenClosedEngineTest : public EngineWorkspaceTest
{
protected:
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(m_pFrame->windowHandle(), key, modifiers);
        QTest::keyRelease(m_pFrame->windowHandle(), Qt::Key_Control);
    }
};

TEST_F(ReopenClosedEngineTest, CtrlShiftZBringsTheClosedPaneBackWithItsHistory)
{
    m_server.SetHtml("/a.html", "<html><head><title>Page a</title></head></html>");
    m_server.SetHtml("/b.html", "<html><head><title>Page b</title></head></html>");
    m_server.SetHtml("/c.html", "<html><head><title>Page c</title></head></html>");
    Open();
    // The first pane visits a, then b; a second pane shows c.
    CHtmlPane* pFirst = Pane(0);
    m_pForm->NavigateActivePane(m_server.Url("/a.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(pFirst, "/a.html"); }, 30000));
    m_pForm->NavigateActivePane(m_server.Url("/b.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(pFirst, "/b.html") && pFirst->CanGoBack(); }, 30000));
    m_pForm->NavigateNewPane(m_server.Url("/c.html"), false);
    ASSERT_TRUE(WaitFor([&] { return PaneCount() == 2 && Shows(Pane(1), "/c.html"); }, 30000));

    // The first pane in front, closed by its key, and brought back by Ctrl+Shift+Z.
    ASSERT_TRUE(m_pFrame->SendCommand(ID_SELECT_PANE_FIRST));
    ASSERT_EQ(m_pForm->GetActivePane(), pFirst);
    QTest::qWait(50); // the focus moves to the page
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return PaneCount() == 1; }));
    QTest::qWait(50);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitFor([&] { return PaneCount() == 2; }));
    CHtmlPane* pBack = Pane(0);
    ASSERT_NE(pBack, nullptr);
    EXPECT_EQ(m_pForm->GetActivePane(), pBack) << "it comes back in front, at its place";
    ASSERT_TRUE(WaitFor([&] { return Shows(pBack, "/b.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return pBack->GetTitle() == "Page b"; }));
    ASSERT_TRUE(WaitFor([&] { return pBack->CanGoBack(); }));

    ASSERT_TRUE(m_pFrame->SendCommand(ID_GO_BACK));
    ASSERT_TRUE(WaitFor([&] { return Shows(pBack, "/a.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return pBack->GetTitle() == "Page a"; }));
    EXPECT_TRUE(WaitFor([&] { return pBack->CanGoForward(); }));
}

} // namespace
