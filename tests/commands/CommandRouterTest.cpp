// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/CommandRouter.h"
#include "TempHome.h"
#include "commands/CmdTarget.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <vector>

namespace {
// A command target whose handlers record what ran and whose rules follow its flags.
class CRecorder : public CCmdTarget
{
public:
    void OnFirst() { ran.push_back(1); }
    void OnRange(int nID) { ran.push_back(nID); }
    void OnUpdateFirst(CCmdUI* pCmdUI)
    {
        if (bRuleTouches)
            pCmdUI->Enable(bEnabled);
        pCmdUI->SetCheck(nCheck);
    }
    std::vector<int> ran;
    bool bRuleTouches = true;
    bool bEnabled = true;
    int nCheck = 0;
};

struct RouterTest : ::testing::Test
{
    RouterTest()
    {
        router.AddTarget([this] { return pView; });
        router.AddTarget([this]() -> CCmdTarget* { return &frame; });
    }
    CRecorder view, frame;
    CCmdTarget* pView = &view;
    CCommandRouter router;
};
} // namespace

TEST_F(RouterTest, FirstHandlerAlongTheRouteRuns)
{
    view.Map(100, &CRecorder::OnFirst);
    frame.Map(100, &CRecorder::OnFirst);
    frame.MapRange(200, 209, &CRecorder::OnRange);
    EXPECT_TRUE(router.Execute(100));
    EXPECT_EQ(view.ran, std::vector<int>{1});
    EXPECT_TRUE(frame.ran.empty());

    EXPECT_TRUE(router.Execute(205));
    EXPECT_EQ(frame.ran, std::vector<int>{205});
    EXPECT_FALSE(router.Execute(210)) << "no handler anywhere";
    EXPECT_FALSE(router.IsEnabled(210));

    pView = nullptr; // no view: the frame's handler runs
    EXPECT_TRUE(router.Execute(100));
    EXPECT_EQ(frame.ran.back(), 1);
}

TEST_F(RouterTest, UpdateRuleDecidesWhetherACommandRuns)
{
    frame.Map(100, &CRecorder::OnFirst, &CRecorder::OnUpdateFirst);
    frame.bEnabled = false;
    EXPECT_FALSE(router.IsEnabled(100));
    EXPECT_FALSE(router.Execute(100));
    EXPECT_TRUE(frame.ran.empty());

    // A rule that leaves the enabled state alone: enabled because a handler exists.
    frame.bRuleTouches = false;
    EXPECT_TRUE(router.IsEnabled(100));
    EXPECT_TRUE(router.Execute(100));

    // A rule in the view decides for the frame's handler; a rule alone enables nothing.
    view.MapUpdate(100, &CRecorder::OnUpdateFirst);
    view.bEnabled = false;
    EXPECT_FALSE(router.Execute(100));
    view.MapUpdate(300, &CRecorder::OnUpdateFirst);
    view.bRuleTouches = false;
    EXPECT_FALSE(router.IsEnabled(300));
}

TEST_F(RouterTest, BindingAnIdTwiceIsRefused)
{
    CExpectQtWarning warning("bound twice");
    EXPECT_TRUE(frame.MapRange(200, 209, &CRecorder::OnRange));
    EXPECT_FALSE(frame.Map(205, &CRecorder::OnFirst));
    EXPECT_FALSE(frame.MapRange(190, 200, &CRecorder::OnRange));
    EXPECT_EQ(warning.Seen(), 2);
    EXPECT_TRUE(frame.Map(210, [] {}));
}

TEST_F(RouterTest, ActionsShowTheRules)
{
    frame.Map(100, &CRecorder::OnFirst, &CRecorder::OnUpdateFirst);
    frame.MapUpdate(101, [](CCmdUI* pCmdUI) { pCmdUI->SetRadio(true); });
    QMenu menu;
    QAction* first = menu.addAction(QStringLiteral("first"));
    CCommandRouter::SetCommandId(first, 100);
    QAction* radio = menu.addAction(QStringLiteral("radio"));
    CCommandRouter::SetCommandId(radio, 101);
    QAction* none = menu.addAction(QStringLiteral("none"));
    CCommandRouter::SetCommandId(none, 102);
    none->setCheckable(true);
    none->setChecked(true);
    QMenu* sub = menu.addMenu(QStringLiteral("sub"));
    QAction* deep = sub->addAction(QStringLiteral("deep"));
    CCommandRouter::SetCommandId(deep, 103);

    frame.nCheck = 1;
    router.UpdateActions(menu.actions());
    EXPECT_TRUE(first->isEnabled());
    EXPECT_TRUE(first->isChecked());
    EXPECT_TRUE(radio->isChecked());
    ASSERT_NE(radio->actionGroup(), nullptr) << "drawn with a round mark";
    EXPECT_FALSE(radio->isEnabled()) << "a rule without a handler";
    EXPECT_FALSE(none->isEnabled());
    EXPECT_TRUE(none->isChecked()) << "no rule: the mark stays";
    EXPECT_EQ(CCommandRouter::FindMenuItem(&menu, 103), deep);
    EXPECT_EQ(CCommandRouter::FindMenuItem(&menu, 104), nullptr);

    // A button updated by the same rule.
    QPushButton button;
    frame.bEnabled = false;
    CCmdUI state(100);
    router.DoUpdate(&state);
    state.ApplyTo(&button, router.HasHandler(100));
    EXPECT_FALSE(button.isEnabled());
}
