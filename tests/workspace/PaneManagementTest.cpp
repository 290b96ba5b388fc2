// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalDriver.h"
#include "WorkspaceFixture.h"

#include "commands/CmdUI.h"
#include "workspace/IconButton.h"

#include <QComboBox>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {
class PaneManagementTest : public WorkspaceTest
{
protected:
    bool CloseEnabled() const { return frame->IsCommandEnabled(ID_FILE_CLOSE); }
};

TEST_F(PaneManagementTest, StartUpOpensTheFirstPaneInFront)
{
    const struct
    {
        const char* start;
        int nNewActive;
        int nFavorite;
    } cases[] = {
        {"http://start.example/", 1, 1},
        {"", 1, 1},
        {"", 0, 1},
        {"http://start.example/", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.start << " new active " << c.nNewActive << " favorite " << c.nFavorite);
        app.m_strStartAddress = QString::fromLatin1(c.start);
        app.ViewNewActive = c.nNewActive;
        app.ViewFavorite = c.nFavorite;
        Open();
        ASSERT_EQ(PaneCount(), 1);
        CPaneWnd* pane = Pane(0);
        CFakeBrowserControl* control = Control(pane);
        ASSERT_NE(control, nullptr);
        if (app.m_strStartAddress.isEmpty()) {
            EXPECT_TRUE(control->Calls().contains("GoHome"));
            EXPECT_FALSE(control->Calls().join('|').contains("Navigate2"));
        } else {
            EXPECT_TRUE(control->Calls().contains("Navigate2 http://start.example/"));
            EXPECT_FALSE(control->Calls().contains("GoHome"));
        }
        EXPECT_EQ(form->GetActivePane(), pane);
        EXPECT_EQ(Tabs()->GetCurSel(), c.nFavorite == 1 ? 0 : 1);
        EXPECT_EQ(pane->Window()->parentWidget(), form);
        EXPECT_TRUE(pane->Window()->isVisible());
        if (c.nFavorite == 0) {
            EXPECT_EQ(Tabs()->GetTabLabel(0), "1 : Favorites");
        }
        Settle();
        EXPECT_EQ(QApplication::focusWidget(), pane->Window());

        // The start address is not a typed one.
        control->RaiseAddressChange(app.m_strStartAddress);
        EXPECT_EQ(frame->m_hAddressCombo->count(), 0);
        Close();
    }
}

TEST_F(PaneManagementTest, LabelsNumberThePanesInBothFavoritesModes)
{
    for (int nFavorite : {1, 0}) {
        SCOPED_TRACE(nFavorite);
        app.ViewFavorite = nFavorite;
        Open();
        MakePanes(11);
        const int nFirst = nFavorite == 1 ? 0 : 1;
        if (nFavorite == 0) {
            EXPECT_EQ(Tabs()->GetTabLabel(0), "1 : Favorites");
        }
        QStringList labels;
        for (int i = 0; i < 11; ++i)
            labels << Tabs()->GetTabLabel(nFirst + i);
        EXPECT_EQ(labels, QStringList({"2 : P1", "3 : P2", "4 : P3", "5 : P4", "6 : P5", "7 : P6",
                                       "8 : P7", "9 : P8", "0 : P9", "* : P10", "* : P11"}));
        EXPECT_EQ(ActiveIndex(), 10) << "each new pane came to the front";

        // Ctrl+0 reaches the ninth pane; the tenth and later have no key.
        Key(Qt::Key_0);
        EXPECT_EQ(ActiveIndex(), 8);
        EXPECT_EQ(form->GetActivePaneTitle(), "P9");
        EXPECT_EQ(Tabs()->GetCurSel(), nFirst + 8);
        ASSERT_TRUE(frame->SendCommand(ID_PANE_NEXT));
        ASSERT_TRUE(frame->SendCommand(ID_PANE_NEXT));
        EXPECT_EQ(form->GetActivePaneTitle(), "P11");
        Close();
    }
}

TEST_F(PaneManagementTest, ClosingBringsTheNeighbourToTheFront)
{
    const struct
    {
        int nFavorite;
        int nClose;      // pane index of the pane closed
        bool bButton;    // by the close button instead of the command
        QString front;   // the pane in front afterwards
        int nFrontIndex; // and its pane index
    } cases[] = {
        {1, 2, false, "P2", 1}, // tab 2 closed: tab 1
        {1, 0, true, "P2", 0},  // tab 0 closed: the former tab 1
        {0, 0, false, "P2", 0}, // tab 1 closed: the former tab 2, not the favorites tab
        {0, 3, true, "P3", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "favorite " << c.nFavorite << " close " << c.nClose);
        app.ViewFavorite = c.nFavorite;
        Open();
        MakePanes(4);
        ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + c.nClose));
        EXPECT_TRUE(CloseEnabled());
        EXPECT_TRUE(form->CloseButton()->isEnabled());
        if (c.bButton)
            QTest::mouseClick(form->CloseButton(), Qt::LeftButton);
        else
            ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
        ASSERT_EQ(PaneCount(), 3);
        EXPECT_EQ(form->GetActivePaneTitle(), c.front);
        EXPECT_EQ(ActiveIndex(), c.nFrontIndex);
        EXPECT_EQ(form->GetSelectedPaneIndex(), Tabs()->FindTab(form->GetActivePane()));
        EXPECT_TRUE(form->GetActivePane()->Window()->isVisible());
        Close();
    }

    // Nothing closes while the favorites tab is chosen; the pane behind the tree still takes
    // the browser commands and comes back with Focus to Browser.
    app.ViewFavorite = 0;
    Open();
    MakePanes(2);
    CPaneWnd* front = form->GetActivePane();
    ASSERT_TRUE(frame->SendCommand(ID_FOCUS_FAVORITES));
    EXPECT_EQ(Tabs()->GetCurSel(), 0);
    EXPECT_EQ(QApplication::focusWidget(), form->FavoritesTree());
    EXPECT_FALSE(CloseEnabled());
    EXPECT_FALSE(form->CloseButton()->isEnabled());
    QTest::mouseClick(form->CloseButton(), Qt::LeftButton);
    form->OnFileClose();
    EXPECT_EQ(PaneCount(), 2);
    EXPECT_EQ(form->GetActivePane(), front);
    Control(front)->ClearCalls();
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_STOP));
    EXPECT_TRUE(Control(front)->Calls().contains("Stop"));
    ASSERT_TRUE(frame->SendCommand(ID_FOCUS_BROWSER));
    EXPECT_EQ(Tabs()->GetCurSel(), 2);
    EXPECT_TRUE(form->CloseButton()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), front->Window());
}

TEST_F(PaneManagementTest, TheLastPaneClosesOnlyByLeavingTheProgram)
{
    QSignalSpy exits(&app, &CNuvBrowserApp::exitRequested);
    for (int nFavorite : {1, 0}) {
        for (int nLastClose : {0, 1}) {
            SCOPED_TRACE(testing::Message()
                         << "favorite " << nFavorite << " last close " << nLastClose);
            app.ViewFavorite = nFavorite;
            app.RunLastClose = nLastClose;
            Open();
            exits.clear();
            EXPECT_EQ(CloseEnabled(), nLastClose == 1);
            EXPECT_EQ(form->CloseButton()->isEnabled(), nLastClose == 1);
            EXPECT_EQ(frame->SendCommand(ID_FILE_CLOSE), nLastClose == 1);
            QTest::mouseClick(form->CloseButton(), Qt::LeftButton);
            EXPECT_EQ(exits.count(), nLastClose == 1 ? 2 : 0);
            EXPECT_EQ(PaneCount(), 1);
            EXPECT_NE(form->GetActivePane(), nullptr);
            Close();
        }
    }

    // Asked first, "No" keeps everything.
    app.ViewFavorite = 1;
    app.RunExitConfirm = 1;
    Open();
    exits.clear();
    CModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Are you exit?");
        box->button(QMessageBox::No)->click();
    }});
    EXPECT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
    EXPECT_EQ(driver.Handled(), 1);
    EXPECT_EQ(exits.count(), 0);
    EXPECT_EQ(PaneCount(), 1);
}

TEST_F(PaneManagementTest, AMiddleClickOnATabClosesItsPane)
{
    QSignalSpy exits(&app, &CNuvBrowserApp::exitRequested);
    const struct
    {
        int nFavorite;
        int nLastClose;
        int nPanes;
        int nSelect;   // pane index chosen first; -1: the favorites tab
        int nClick;    // pane index whose tab gets the middle click
        QString left;  // titles of the panes afterwards
        QString front; // the pane in front afterwards
        int nExits;
    } cases[] = {
        // A pane behind the front one goes; the front pane and its tab stay chosen.
        {1, 0, 4, 1, 3, "P1 P2 P3", "P2", 0},
        {1, 0, 4, 2, 0, "P2 P3 P4", "P3", 0},
        {0, 0, 3, 2, 0, "P2 P3", "P3", 0},
        {0, 0, 3, 0, 1, "P1 P3", "P1", 0},
        // The pane in front: the Close command, its left neighbour comes to the front.
        {1, 0, 3, 2, 2, "P1 P2", "P2", 0},
        {0, 0, 3, 0, 0, "P2 P3", "P2", 0},
        // The last pane follows RunLastClose.
        {1, 0, 1, 0, 0, "P1", "P1", 0},
        {1, 1, 1, 0, 0, "P1", "P1", 1},
        {0, 1, 1, 0, 0, "P1", "P1", 1},
        // Nothing closes while the favorites tab is chosen.
        {0, 0, 2, -1, 1, "P1 P2", "P2", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "favorite " << c.nFavorite << " panes " << c.nPanes
                                        << " select " << c.nSelect << " click " << c.nClick);
        app.ViewFavorite = c.nFavorite;
        app.RunLastClose = c.nLastClose;
        Open();
        MakePanes(c.nPanes);
        exits.clear();
        if (c.nSelect >= 0)
            ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + c.nSelect));
        else
            ASSERT_TRUE(frame->SendCommand(ID_FOCUS_FAVORITES));
        const int nSelBefore = Tabs()->GetCurSel();
        CPaneWnd* clicked = Pane(c.nClick);
        const int nTab = Tabs()->FindTab(clicked);
        QTest::mouseClick(Tabs(), Qt::MiddleButton, {}, Tabs()->GetItemRect(nTab).center());

        QStringList titles;
        for (int i = 0; i < PaneCount(); ++i)
            titles << Pane(i)->GetTitle();
        EXPECT_EQ(titles.join(' '), c.left);
        EXPECT_EQ(form->GetActivePaneTitle(), c.front);
        EXPECT_EQ(exits.count(), c.nExits);
        if (c.nSelect == -1) {
            EXPECT_EQ(Tabs()->GetCurSel(), nSelBefore);
        } else {
            EXPECT_EQ(Tabs()->GetCurSel(), Tabs()->FindTab(form->GetActivePane()));
            EXPECT_TRUE(form->GetActivePane()->Window()->isVisible());
        }
        for (int i = 0; i < PaneCount(); ++i) {
            if (Pane(i) != form->GetActivePane()) {
                EXPECT_FALSE(Pane(i)->Window()->isVisible()) << i;
            }
        }
        Close();
    }
}

TEST_F(PaneManagementTest, APageQuittingClosesTheOnlyPane)
{
    Open();
    // A pane that never had a tab leaves the selection alone when it closes.
    MakePanes(2);
    CPaneWnd* stray = CreatePane(PANE_TEXT);
    const QRect rc = form->GetPaneRect();
    stray->Create(form, PaneRect{rc.left(), rc.top(), rc.right() + 1, rc.bottom() + 1}, nullptr,
                  true, false);
    stray->Link(Tabs(), form->ProgressBar(), nullptr);
    stray->Close();
    EXPECT_EQ(Tabs()->GetCurSel(), 1);
    EXPECT_EQ(form->GetActivePane(), nullptr);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
    ASSERT_EQ(PaneCount(), 1);

    Control(Pane(0))->RaiseQuit();
    ASSERT_TRUE(WaitFor([this] { return PaneCount() == 0; }));
    EXPECT_EQ(form->GetActivePane(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), form->FavoritesTree());
    // Commands that need a pane do nothing.
    for (int id : {ID_GO_HOME, ID_VIEW_REFRESH, ID_VIEW_SOURCE, ID_FILE_CLOSE, ID_PANE_NEXT})
        frame->SendCommand(id);
    EXPECT_EQ(PaneCount(), 0);
    EXPECT_EQ(form->AddPane(3), nullptr) << "no pane of an unknown kind";
    EXPECT_EQ(PaneCount(), 0);

    ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
    ASSERT_EQ(PaneCount(), 1);
    EXPECT_EQ(form->GetActivePane(), Pane(0));
    EXPECT_TRUE(Control(Pane(0))->Calls().contains("GoHome"));
}

TEST_F(PaneManagementTest, PanesAreChosenByNumberAndByNeighbour)
{
    for (int nFavorite : {1, 0}) {
        SCOPED_TRACE(nFavorite);
        app.ViewFavorite = nFavorite;
        Open();
        MakePanes(3);
        Key(Qt::Key_2);
        EXPECT_EQ(ActiveIndex(), 0);
        Key(Qt::Key_5);
        EXPECT_EQ(ActiveIndex(), 0) << "there is no fourth pane";
        Key(Qt::Key_4);
        EXPECT_EQ(ActiveIndex(), 2);
        EXPECT_EQ(form->GetActivePaneTitle(), "P3");
        Settle();
        EXPECT_EQ(QApplication::focusWidget(), form->GetActivePane()->Window());

        // A tap on a tab.
        const int nSecond = Tabs()->FindTab(Pane(1));
        QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(nSecond).center());
        EXPECT_EQ(ActiveIndex(), 1);
        Settle();
        EXPECT_EQ(QApplication::focusWidget(), Pane(1)->Window());
        ASSERT_TRUE(frame->SendCommand(ID_PANE_NEXT));

        // No wrap-around at either end.
        ASSERT_TRUE(frame->SendCommand(ID_PANE_NEXT));
        EXPECT_EQ(ActiveIndex(), 2);
        ASSERT_TRUE(frame->SendCommand(ID_PANE_PREVIOUS));
        EXPECT_EQ(ActiveIndex(), 1);
        ASSERT_TRUE(frame->SendCommand(ID_PANE_PREVIOUS));
        ASSERT_TRUE(frame->SendCommand(ID_PANE_PREVIOUS));
        EXPECT_EQ(ActiveIndex(), 0);

        // Ctrl+1: the favorites; from their tab, Next is the first pane and Previous nothing.
        ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 1));
        Settle(); // the focus move the selection scheduled has run
        Key(Qt::Key_1);
        EXPECT_EQ(QApplication::focusWidget(), form->FavoritesTree());
        EXPECT_EQ(ActiveIndex(), 1) << "the pane stays behind the tree";
        if (nFavorite == 0) {
            EXPECT_EQ(Tabs()->GetCurSel(), 0);
            ASSERT_TRUE(frame->SendCommand(ID_PANE_PREVIOUS));
            EXPECT_EQ(Tabs()->GetCurSel(), 0);
            EXPECT_EQ(ActiveIndex(), 1);
            ASSERT_TRUE(frame->SendCommand(ID_PANE_NEXT));
            EXPECT_EQ(Tabs()->GetCurSel(), 1);
            EXPECT_EQ(ActiveIndex(), 0);
        }
        Close();
    }
}

TEST_F(PaneManagementTest, NewWindowRequestsFollowCtrlAndViewNewActive)
{
    Open();
    CCmdUI check(ID_VIEW_NEW_ACTIVE);
    ASSERT_TRUE(frame->GetCommandRouter().DoUpdate(&check));
    EXPECT_EQ(check.m_nCheck, 1);
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_NEW_ACTIVE));
    EXPECT_EQ(app.ViewNewActive, 0);
    ASSERT_TRUE(frame->GetCommandRouter().DoUpdate(&check));
    EXPECT_EQ(check.m_nCheck, 0);
    Close();

    const struct
    {
        bool bCtrl;
        int nNewActive;
    } cases[] = {{false, 1}, {false, 0}, {true, 1}, {true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "ctrl " << c.bCtrl << " new active " << c.nNewActive);
        app.ViewNewActive = c.nNewActive;
        Open();
        CPaneWnd* first = Pane(0);
        Settle();
        ASSERT_EQ(QApplication::focusWidget(), first->Window());
        if (c.bCtrl)
            QTest::keyPress(frame->windowHandle(), Qt::Key_Control, Qt::ControlModifier);
        const int nControls = controls.Count();
        bool bCancel = false;
        IBrowserControl* pDisp = Control(first)->RaiseNewWindow2(&bCancel);
        if (c.bCtrl)
            ReleaseModifiers();
        Settle();
        if (c.bCtrl) {
            EXPECT_TRUE(bCancel);
            EXPECT_EQ(pDisp, nullptr);
            EXPECT_EQ(PaneCount(), 1);
            EXPECT_EQ(controls.Count(), nControls) << "no pane was made";
        } else {
            EXPECT_FALSE(bCancel);
            ASSERT_EQ(PaneCount(), 2);
            CPaneWnd* fresh = Pane(1);
            EXPECT_EQ(pDisp, static_cast<IBrowserControl*>(Control(fresh)));
            CPaneWnd* front = c.nNewActive == 1 ? fresh : first;
            CPaneWnd* back = c.nNewActive == 1 ? first : fresh;
            EXPECT_EQ(form->GetActivePane(), front);
            EXPECT_EQ(Tabs()->GetCurSel(), c.nNewActive == 1 ? 1 : 0);
            EXPECT_TRUE(front->Window()->isVisible());
            EXPECT_FALSE(back->Window()->isVisible());
            EXPECT_EQ(QApplication::focusWidget(), front->Window());
        }
        Close();
    }
}
} // namespace

namespace {
TEST_F(PaneManagementTest, PanelSwitchFromTheFavoritesTabSelectsTheActivePane)
{
    app.ViewFavorite = 0;
    Open();
    MakePanes(3);
    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 1));
    CPaneWnd* front = form->GetActivePane();
    ASSERT_TRUE(frame->SendCommand(ID_FOCUS_FAVORITES));
    ASSERT_EQ(Tabs()->GetCurSel(), 0);

    ASSERT_TRUE(frame->SendCommand(ID_VIEW_FAVORITES));
    EXPECT_EQ(app.ViewFavorite, 1);
    EXPECT_EQ(form->GetActivePane(), front);
    EXPECT_EQ(Tabs()->GetCurSel(), Tabs()->FindTab(front));
    EXPECT_EQ(form->GetSelectedPaneIndex(), 1);
    EXPECT_TRUE(form->CloseButton()->isEnabled());
    EXPECT_TRUE(CloseEnabled());

    // The pane follows the window's size again.
    QWidget* wnd = front->Window();
    frame->resize(frame->width() + 120, frame->height() + 60);
    EXPECT_EQ(wnd->geometry().right(), form->width() - 1);
    EXPECT_EQ(wnd->geometry().bottom(), form->height() - 1);

    // And the Close key closes it.
    Key(Qt::Key_Z);
    EXPECT_EQ(PaneCount(), 2);
    EXPECT_EQ(Tabs()->FindTab(front), -1);
}

TEST_F(PaneManagementTest, FocusToAddressBarSelectsTheWholeAddress)
{
    Open();
    const QString address = QStringLiteral("http://example.org/some/page.html");
    AddressEdit()->setText(address);
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool bFromField; // the focus is in the field already, with the cursor in the text
    } cases[] = {
        {Qt::Key_D, Qt::ControlModifier, false},
        {Qt::Key_D, Qt::AltModifier, false},
        {Qt::Key_D, Qt::ControlModifier, true},
        {Qt::Key_D, Qt::AltModifier, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.modifiers.toInt() << " from field " << c.bFromField);
        if (c.bFromField) {
            AddressEdit()->setFocus();
            AddressEdit()->setCursorPosition(7);
            AddressEdit()->deselect();
        } else {
            ASSERT_TRUE(frame->SendCommand(ID_FOCUS_BROWSER));
        }
        Settle(); // no focus move is pending
        ASSERT_FALSE(AddressEdit()->hasSelectedText());
        Key(c.key, c.modifiers);
        EXPECT_TRUE(AddressEdit()->hasFocus());
        EXPECT_EQ(AddressEdit()->selectedText(), address);
        // Typing replaces the address.
        Key(Qt::Key_X, Qt::NoModifier);
        EXPECT_EQ(AddressEdit()->text(), "x");
        AddressEdit()->setText(address);
    }
}

TEST_F(PaneManagementTest, CloseRequestAnsweredNoKeepsTheWindow)
{
    app.RunExitConfirm = 1;
    Open();
    QSignalSpy exits(&app, &CNuvBrowserApp::exitRequested);
    CModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Are you exit?");
        box->button(QMessageBox::No)->click();
    }});
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(driver.Handled(), 1);
    EXPECT_EQ(exits.count(), 0);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(PaneCount(), 1);
}
} // namespace
