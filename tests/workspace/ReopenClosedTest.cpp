// SPDX-License-Identifier: GPL-3.0-or-later
// Reopen Closed Window: the panes closed last come back, the last one first, at their places
// in the strip, with their titles and histories; the list is bounded and kept in the session.
#include "WorkspaceFixture.h"

#include "platform/SessionFile.h"
#include "workspace/ClosedPanes.h"
#include "workspace/SessionKeeper.h"

#include <QRegularExpression>

namespace {

QString Address(int n)
{
    return QStringLiteral("http://p%1.example/").arg(n);
}

ClosedPane Closed(int n)
{
    return ClosedPane{Address(n), QStringLiteral("P%1").arg(n), {}, n};
}

// The addresses taken one after the other until the list is empty.
QStringList TakeAll(CClosedPanes* pList)
{
    QStringList taken;
    while (const std::optional<ClosedPane> pane = pList->TakeLast())
        taken << pane->address;
    return taken;
}

QStringList Addresses(int nFrom, int nDownTo)
{
    QStringList addresses;
    for (int n = nFrom; n >= nDownTo; --n)
        addresses << Address(n);
    return addresses;
}

TEST(ClosedPanesTest, TheLastClosedComesFirstAndOnlyTheLastTwentyAreKept)
{
    const struct
    {
        int nClosed;
        int nTakenBefore; // taken before more are closed
        int nClosedAfter;
        QStringList taken; // then all taken, in order
    } cases[] = {
        {0, 0, 0, {}},
        {1, 0, 0, {Address(1)}},
        {3, 0, 0, Addresses(3, 1)},
        {20, 0, 0, Addresses(20, 1)},
        {21, 0, 0, Addresses(21, 2)},  // the oldest went
        {45, 0, 0, Addresses(45, 26)}, // as many as are closed, twenty stay
        {3, 1, 2, QStringList{Address(5), Address(4), Address(2), Address(1)}},
        {20, 5, 6, Addresses(26, 21) + Addresses(15, 2)}, // room made by the taken ones
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nClosed << " closed, " << c.nTakenBefore << " taken, "
                                        << c.nClosedAfter << " closed");
        CClosedPanes list;
        int n = 0;
        while (n < c.nClosed)
            list.Add(Closed(++n));
        for (int i = 0; i < c.nTakenBefore; ++i)
            ASSERT_TRUE(list.TakeLast().has_value());
        for (int i = 0; i < c.nClosedAfter; ++i)
            list.Add(Closed(++n));
        EXPECT_LE(list.List().size(), CClosedPanes::kLimit);
        EXPECT_EQ(TakeAll(&list), c.taken);
        EXPECT_TRUE(list.IsEmpty());
        EXPECT_FALSE(list.TakeLast().has_value());
    }

    // A pane without an address is not kept; a list from a session file keeps its last twenty.
    CClosedPanes list;
    list.Add(ClosedPane{});
    EXPECT_TRUE(list.IsEmpty());
    QList<ClosedPane> stored;
    for (int n = 1; n <= 25; ++n)
        stored << Closed(n);
    list.Assign(stored);
    EXPECT_EQ(list.List(), stored.mid(5));
    list.Assign({Closed(7)});
    EXPECT_EQ(TakeAll(&list), QStringList{Address(7)});
}

TEST(ClosedPanesTest, APaneComesBackToItsPlaceOrAfterTheLast)
{
    const struct
    {
        int nPosition, nPanes, nPlace;
    } cases[] = {{0, 0, 0}, {0, 3, 0}, {2, 3, 2}, {3, 3, 3}, {7, 3, 3}, {-1, 3, 0}, {5, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CClosedPanes::PlaceFor(c.nPosition, c.nPanes), c.nPlace)
            << c.nPosition << " among " << c.nPanes;
}

class ReopenClosedTest : public WorkspaceTest
{
protected:
    // Panes P1 ... Pn, each showing its address with a history of its own.
    void ShowPanes(int n)
    {
        MakePanes(n);
        for (int i = 0; i < n; ++i) {
            Control(Pane(i))->RaiseAddressChange(Address(i + 1));
            Control(Pane(i))->RaiseTitleChange(QStringLiteral("P%1").arg(i + 1));
            Control(Pane(i))->m_history = QStringLiteral("fake history P%1").arg(i + 1).toLatin1();
        }
    }
    void ClosePane(int nPane)
    {
        ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + nPane));
        ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (int i = 0; i < PaneCount(); ++i)
            titles << Pane(i)->GetTitle();
        return titles;
    }
    bool ReopenEnabled() const { return frame->IsCommandEnabled(ID_FILE_REOPEN_CLOSED); }
    void ReopenByKey()
    {
        Settle(); // the focus has moved to the pane in front
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }
};

TEST_F(ReopenClosedTest, ClosedPanesComeBackLastFirstAtTheirPlacesWithTheirHistories)
{
    for (int nFavorite : {1, 0}) {
        SCOPED_TRACE(nFavorite);
        app.ViewFavorite = nFavorite;
        Open();
        EXPECT_FALSE(ReopenEnabled());
        ShowPanes(4);
        ClosePane(1); // P2
        ClosePane(2); // P4, now the third
        ASSERT_EQ(Titles(), (QStringList{"P1", "P3"}));
        EXPECT_TRUE(ReopenEnabled());
        // A source view is no page: closing it keeps nothing.
        ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
        ASSERT_EQ(PaneCount(), 3);
        ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
        ASSERT_EQ(PaneCount(), 2);

        // Ctrl+Shift+Z, the key of the table's new row: P4 in front, after P3 again, its
        // tab named as before while its history loads.
        ReopenByKey();
        ASSERT_EQ(Titles(), (QStringList{"P1", "P3", "P4"}));
        EXPECT_EQ(ActiveIndex(), 2);
        EXPECT_EQ(Tabs()->GetTabLabel(Tabs()->FindTab(Pane(2))), "4 : P4");
        EXPECT_EQ(Control(Pane(2))->Calls().filter("RestoreHistory"),
                  QStringList{"RestoreHistory fake history P4"});

        // The command: P2 between P1 and P3, the tabs after it numbered anew.
        ASSERT_TRUE(frame->SendCommand(ID_FILE_REOPEN_CLOSED));
        ASSERT_EQ(Titles(), (QStringList{"P1", "P2", "P3", "P4"}));
        EXPECT_EQ(ActiveIndex(), 1);
        EXPECT_EQ(Tabs()->GetTabLabel(Tabs()->FindTab(Pane(3))), "5 : P4");
        EXPECT_EQ(form->GetSelectedPaneIndex(), Tabs()->FindTab(form->GetActivePane()));
        EXPECT_TRUE(form->GetActivePane()->Window()->isVisible());
        EXPECT_EQ(Control(Pane(1))->Calls().filter("RestoreHistory"),
                  QStringList{"RestoreHistory fake history P2"});

        // Nothing left: the command is off and the key does nothing.
        EXPECT_FALSE(ReopenEnabled());
        ReopenByKey();
        EXPECT_EQ(PaneCount(), 4);
        Close();
    }
}

TEST_F(ReopenClosedTest, APaneWithoutAHistoryLoadsItsAddressAndOneWhosePlaceIsGoneComesLast)
{
    Open();
    ShowPanes(2);
    Control(Pane(1))->m_history.clear(); // as for a page that holds a form's body
    ClosePane(1);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_REOPEN_CLOSED));
    ASSERT_EQ(Titles(), (QStringList{"P1", "P2"}));
    EXPECT_EQ(Control(Pane(1))->Calls().filter(QRegularExpression("^(Navigate2|RestoreHistory)")),
              QStringList{"Navigate2 " + Address(2)});

    form->ClosedPanes().Add(ClosedPane{Address(9), "P9", "fake history P9", 9});
    ASSERT_TRUE(frame->SendCommand(ID_FILE_REOPEN_CLOSED));
    EXPECT_EQ(Titles(), (QStringList{"P1", "P2", "P9"}));
    EXPECT_EQ(ActiveIndex(), 2);
}

} // namespace
