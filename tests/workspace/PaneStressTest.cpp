// SPDX-License-Identifier: GPL-3.0-or-later
// Hundreds of panes opened, chosen, stepped through and closed in a random (but fixed) order:
// after every step the tab strip, the active pane and the labels agree with a model of what
// the user did, and every closed pane is gone.
#include "WorkspaceFixture.h"

#include <QPointer>

#include <random>

namespace {
class PaneStressTest : public WorkspaceTest
{
protected:
    QList<QPointer<CPaneWnd>> model; // the panes in tab order
    int active = 0;
    QList<QPointer<CPaneWnd>> closed;

    static QString Label(int i, const QString& title)
    {
        const QString key = i < 8 ? QString::number(i + 2) : (i == 8 ? "0" : "*");
        return key + " : " + title;
    }

    void ExpectAgreement(int step)
    {
        ASSERT_EQ(PaneCount(), model.size()) << "step " << step;
        ASSERT_EQ(ActiveIndex(), active) << "step " << step;
        ASSERT_EQ(form->GetActivePane(), model[active].data()) << "step " << step;
        ASSERT_EQ(form->GetSelectedPaneIndex(), Tabs()->FindTab(form->GetActivePane()))
            << "step " << step;
        for (int i = 0; i < model.size(); ++i) {
            ASSERT_EQ(Pane(i), model[i].data()) << "step " << step << " pane " << i;
            ASSERT_EQ(Tabs()->GetTabLabel(i),
                      Label(i, model[i]->property("stressTitle").toString()))
                << "step " << step << " pane " << i;
        }
    }

    void OpenPane(int serial)
    {
        ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
        const QString title = QStringLiteral("T%1").arg(serial);
        controls.Last()->RaiseTitleChange(title);
        CPaneWnd* pane = Pane(PaneCount() - 1);
        ASSERT_NE(pane, nullptr);
        pane->setProperty("stressTitle", title);
        model.append(pane); // a new pane goes last and comes to the front
        active = model.size() - 1;
    }
};

TEST_F(PaneStressTest, FiveHundredPanesInRandomOrder)
{
    app.ViewFavorite = 1;
    Open();
    model.append(Pane(0));
    Control(Pane(0))->RaiseTitleChange(QStringLiteral("T0"));
    Pane(0)->setProperty("stressTitle", QStringLiteral("T0"));
    ExpectAgreement(0);

    std::mt19937 random(20261210);
    int opened = 1;
    qsizetype peak = 1;
    for (int step = 1; step < 5000 && (opened < 500 || model.size() > 1); ++step) {
        const int op = int(random() % 100);
        const bool bGrowing = opened < 500;
        if (bGrowing && op < 40) {
            OpenPane(opened++);
        } else if (op < 52) {
            const int k = int(random() % 9);
            ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + k));
            if (k < model.size())
                active = k;
        } else if (op < 60) {
            ASSERT_TRUE(frame->SendCommand(ID_PANE_NEXT));
            active = std::min(active + 1, int(model.size()) - 1);
        } else if (op < 68) {
            ASSERT_TRUE(frame->SendCommand(ID_PANE_PREVIOUS));
            active = std::max(active - 1, 0);
        } else if (model.size() > 1) {
            // A random pane is brought to the front by its tab, then closed.
            const int n = int(random() % model.size());
            Tabs()->setCurrentIndex(n);
            active = n;
            ASSERT_EQ(ActiveIndex(), n) << "step " << step;
            closed.append(model[n]);
            ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
            model.removeAt(n);
            active = std::max(n - 1, 0); // the neighbour before it, else the one after
        }
        if (HasFatalFailure())
            return;
        peak = std::max(peak, model.size());
        ExpectAgreement(step);
        if (HasFatalFailure())
            return;
    }
    EXPECT_EQ(opened, 500);
    EXPECT_GT(peak, 50) << "many panes were open at once";
    EXPECT_EQ(model.size(), 1);
    // Every closed pane object was deleted.
    EXPECT_TRUE(WaitFor([&] {
        return std::all_of(closed.begin(), closed.end(), [](const auto& p) { return p.isNull(); });
    }));
    EXPECT_EQ(closed.size(), 499);
}
} // namespace
