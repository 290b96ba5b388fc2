// SPDX-License-Identifier: GPL-3.0-or-later
// The keys and buttons of desktop browsers, and the keys a text field keeps for itself: which
// command a key runs depends on where the focus is.
#include "CommandLog.h"
#include "WorkspaceFixture.h"

#include "commands/CmdUI.h"
#include "favorites/FavoritesTree.h"
#include "panes/BrowserControl.h"

#include <QMenuBar>
#include <QTreeWidget>
#include <QWheelEvent>

namespace {

// Records the key presses that reach a widget.
class CKeyCatcher : public QObject
{
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt)
                keys << key;
        }
        return false;
    }
};

enum class Focus
{
    Page,      // the page, no field of it
    PageField, // a text field of the page
    Address,   // the address field
    Favorites, // the favorites tree
};

const char* FocusName(Focus f)
{
    switch (f) {
    case Focus::Page:
        return "page";
    case Focus::PageField:
        return "page field";
    case Focus::Address:
        return "address field";
    case Focus::Favorites:
        return "favorites";
    }
    return "?";
}

class DesktopKeysTest : public WorkspaceTest
{
protected:
    QWidget* FocusOn(Focus f)
    {
        CPaneWnd* pPane = form->GetActivePane();
        Control(pPane)->m_bEditingText = f == Focus::PageField;
        QWidget* pTarget = nullptr;
        switch (f) {
        case Focus::Page:
        case Focus::PageField:
            pTarget = pPane->Window();
            break;
        case Focus::Address:
            pTarget = AddressEdit();
            break;
        case Focus::Favorites:
            pTarget = form->FavoritesTree();
            break;
        }
        pTarget->setFocus();
        Settle();
        pTarget->setFocus(); // a pending focus move of the workspace has run by now
        return QApplication::focusWidget();
    }
    // The command a key runs with the focus there, or 0 when the key reached the widget.
    int CommandOf(Focus f, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QWidget* pTarget = FocusOn(f);
        EXPECT_NE(pTarget, nullptr);
        if (pTarget == nullptr)
            return -1;
        CCommandLog commands(frame.get(), true); // none runs: each case starts as the last
        CKeyCatcher keys;
        pTarget->installEventFilter(&keys);
        Key(key, modifiers);
        pTarget->removeEventFilter(&keys);
        EXPECT_LE(commands.ids.size() + keys.keys.size(), 1)
            << "a key runs a command or reaches its widget, not both";
        if (!commands.ids.isEmpty())
            return commands.ids.first();
        return keys.keys.isEmpty() ? -1 : 0;
    }
    void Bind(int nFlags, int nKey, int nCommand)
    {
        frame->m_keyAccelTable.SetEntry(nFlags, nKey, nCommand);
        frame->m_keyAccelTable.BuildAccelerators();
    }
    QString MenuText(int nID) const
    {
        QAction* item = CCommandRouter::FindMenuItem(frame->GetMenuBar(), nID);
        return item ? item->text() : QString();
    }
};

struct KeyCase
{
    Focus focus;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int nCommand; // 0: the key reaches the focused widget
};

void RunCases(const std::initializer_list<KeyCase>& cases,
              const std::function<int(const KeyCase&)>& commandOf)
{
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << FocusName(c.focus) << " key 0x" << std::hex << c.key
                                        << " modifiers 0x" << c.modifiers.toInt());
        EXPECT_EQ(commandOf(c), c.nCommand);
    }
}

constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Alt = Qt::AltModifier;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto None = Qt::NoModifier;

TEST_F(DesktopKeysTest, DesktopKeysWhereTheKeyTableLeavesThemFree)
{
    Open();
    RunCases(
        {
            // The desktop keys, wherever the focus is.
            {Focus::Page, Qt::Key_Left, Alt, ID_GO_BACK},
            {Focus::Page, Qt::Key_Right, Alt, ID_GO_FORWARD},
            {Focus::Page, Qt::Key_F5, None, ID_VIEW_REFRESH},
            {Focus::Page, Qt::Key_R, Ctrl, ID_VIEW_REFRESH},
            {Focus::Page, Qt::Key_L, Ctrl, ID_FOCUS_ADDRESS_BAR},
            {Focus::Page, Qt::Key_W, Ctrl, ID_FILE_CLOSE},
            {Focus::Page, Qt::Key_Tab, Ctrl, ID_PANE_CYCLE_NEXT},
            {Focus::Page, Qt::Key_Backtab, Ctrl | Shift, ID_PANE_CYCLE_PREVIOUS},
            {Focus::Page, Qt::Key_Equal, Ctrl, ID_VIEW_TEXT_STEP_LARGER},
            {Focus::Page, Qt::Key_Plus, Ctrl | Shift, ID_VIEW_TEXT_STEP_LARGER},
            {Focus::Page, Qt::Key_Minus, Ctrl, ID_VIEW_TEXT_STEP_SMALLER},
            {Focus::PageField, Qt::Key_F5, None, ID_VIEW_REFRESH},
            {Focus::PageField, Qt::Key_W, Ctrl, ID_FILE_CLOSE},
            {Focus::PageField, Qt::Key_Tab, Ctrl, ID_PANE_CYCLE_NEXT},
            {Focus::Address, Qt::Key_L, Ctrl, ID_FOCUS_ADDRESS_BAR},
            {Focus::Address, Qt::Key_R, Ctrl, ID_VIEW_REFRESH},
            {Focus::Favorites, Qt::Key_Left, Alt, ID_GO_BACK},
            {Focus::Favorites, Qt::Key_Minus, Ctrl, ID_VIEW_TEXT_STEP_SMALLER},
            {Focus::Page, Qt::Key_Y, Ctrl | Shift, ID_VIEW_DOWNLOADS},
            {Focus::PageField, Qt::Key_Y, Ctrl | Shift, ID_VIEW_DOWNLOADS},
            {Focus::Address, Qt::Key_Y, Ctrl | Shift, ID_VIEW_DOWNLOADS},
            // The keys of the two tables keep their commands: Ctrl+0 is the tenth tab's.
            {Focus::Page, Qt::Key_0, Ctrl, ID_SELECT_PANE_LAST},
            {Focus::Page, Qt::Key_D, Alt, ID_FOCUS_ADDRESS_BAR},
            {Focus::Page, Qt::Key_Escape, None, ID_VIEW_STOP},
            {Focus::Page, Qt::Key_Z, Ctrl, ID_FILE_CLOSE},
            {Focus::Page, Qt::Key_A, Ctrl, ID_FOCUS_FAVORITES},
            // Plain keys and keys no table names reach the page.
            {Focus::Page, Qt::Key_Left, None, 0},
            {Focus::Page, Qt::Key_Tab, None, 0},
            {Focus::Page, Qt::Key_C, Ctrl, 0},
        },
        [this](const KeyCase& c) { return CommandOf(c.focus, c.key, c.modifiers); });

    // A user binding wins over a desktop key.
    Bind(FCONTROL, 'W', ID_VIEW_STATUS_BAR);
    Bind(FALT, 0x25, ID_GO_HOME); // Alt+Left
    EXPECT_EQ(CommandOf(Focus::Page, Qt::Key_W, Ctrl), ID_VIEW_STATUS_BAR);
    EXPECT_EQ(CommandOf(Focus::Page, Qt::Key_Left, Alt), ID_GO_HOME);

    // A table stored before Reopen Closed Window had a row of its own still reopens by key.
    frame->m_keyAccelTable.RemoveEntry(FCONTROL | FSHIFT, 'Z', ID_FILE_REOPEN_CLOSED);
    frame->m_keyAccelTable.BuildAccelerators();
    EXPECT_EQ(CommandOf(Focus::Page, Qt::Key_Z, Ctrl | Shift), ID_FILE_REOPEN_CLOSED);
}

TEST_F(DesktopKeysTest, ATextFieldKeepsItsEditingKeysAndPlainLetters)
{
    Open();
    Bind(0, 'A', ID_FOCUS_FAVORITES);    // a plain "A"
    Bind(FALT, 'Q', ID_VIEW_STATUS_BAR); // Alt bindings keep working in a field
    const auto commandOf = [this](const KeyCase& c) {
        return CommandOf(c.focus, c.key, c.modifiers);
    };
    std::initializer_list<KeyCase> cases = {
        // The platform's editing keys go to the field ...
        {Focus::PageField, Qt::Key_A, Ctrl, 0},
        {Focus::PageField, Qt::Key_Z, Ctrl, 0},
        {Focus::PageField, Qt::Key_Y, Ctrl, 0},
        {Focus::PageField, Qt::Key_Z, Ctrl | Shift, 0},
        {Focus::PageField, Qt::Key_C, Ctrl, 0},
        {Focus::PageField, Qt::Key_V, Ctrl, 0},
        {Focus::PageField, Qt::Key_X, Ctrl, 0},
        {Focus::Address, Qt::Key_A, Ctrl, 0},
        {Focus::Address, Qt::Key_Z, Ctrl, 0},
        {Focus::Address, Qt::Key_Z, Ctrl | Shift, 0},
        // ... and so does a letter bound without Ctrl or Alt ...
        {Focus::PageField, Qt::Key_A, None, 0},
        {Focus::Address, Qt::Key_A, None, 0},
        // ... while Ctrl and Alt bindings go on working there.
        {Focus::PageField, Qt::Key_T, Ctrl, ID_FAVORITES_ADD},
        {Focus::PageField, Qt::Key_Q, Alt, ID_VIEW_STATUS_BAR},
        {Focus::PageField, Qt::Key_D, Ctrl, ID_FOCUS_ADDRESS_BAR},
        {Focus::Address, Qt::Key_M, Ctrl, ID_VIEW_ADDRESS_BAR},
        {Focus::Address, Qt::Key_Escape, None, ID_VIEW_STOP},
        // Everywhere else the key table rules as before.
        {Focus::Page, Qt::Key_A, Ctrl, ID_FOCUS_FAVORITES},
        {Focus::Page, Qt::Key_Z, Ctrl, ID_FILE_CLOSE},
        {Focus::Page, Qt::Key_Z, Ctrl | Shift, ID_FILE_REOPEN_CLOSED},
        {Focus::Page, Qt::Key_A, None, ID_FOCUS_FAVORITES},
        {Focus::Favorites, Qt::Key_A, Ctrl, ID_FOCUS_FAVORITES},
        {Focus::Favorites, Qt::Key_Z, Ctrl, ID_FILE_CLOSE},
        {Focus::Favorites, Qt::Key_Z, Ctrl | Shift, ID_FILE_REOPEN_CLOSED},
        {Focus::Favorites, Qt::Key_A, None, ID_FOCUS_FAVORITES},
    };
    RunCases(cases, commandOf);
}

TEST_F(DesktopKeysTest, EditingKeysWorkInTheAddressField)
{
    Open();
    const QString address = QStringLiteral("http://example.org/page.html");
    AddressEdit()->setText(address);
    FocusOn(Focus::Address);
    AddressEdit()->deselect();
    Key(Qt::Key_A, Ctrl);
    EXPECT_EQ(AddressEdit()->selectedText(), address);
    Key(Qt::Key_X, Ctrl);
    EXPECT_EQ(AddressEdit()->text(), QString());
    Key(Qt::Key_Z, Ctrl);
    EXPECT_EQ(AddressEdit()->text(), address);
    EXPECT_EQ(PaneCount(), 1) << "Ctrl+Z did not close the pane";
    EXPECT_TRUE(AddressEdit()->hasFocus()) << "Ctrl+A did not jump to the favorites";
}

TEST_F(DesktopKeysTest, MenuItemsWithoutAKeyShowTheDesktopKey)
{
    Open();
    EXPECT_EQ(MenuText(ID_GO_BACK), "&Back\tAlt+Left");
    EXPECT_EQ(MenuText(ID_GO_FORWARD), "&Forward\tAlt+Right");
    // Items with a key of their own, or of a binding, keep it.
    EXPECT_EQ(MenuText(ID_VIEW_REFRESH), "&Refresh\tShift+Esc");
    EXPECT_EQ(MenuText(ID_FILE_CLOSE), "&Close\tCtrl+Z");
    EXPECT_EQ(MenuText(ID_FILE_REOPEN_CLOSED), "Reopen Closed &Window\tCtrl+Shift+Z");
}

TEST_F(DesktopKeysTest, CtrlTabGoesRoundThePanes)
{
    for (int nFavorite : {1, 0}) {
        SCOPED_TRACE(nFavorite);
        app.ViewFavorite = nFavorite;
        Open();
        while (PaneCount() < 3)
            ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
        ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 1));
        const struct
        {
            int nCommand;
            int nPane; // the pane in front afterwards
        } steps[] = {
            {ID_PANE_CYCLE_NEXT, 2},     {ID_PANE_CYCLE_NEXT, 0}, {ID_PANE_CYCLE_PREVIOUS, 2},
            {ID_PANE_CYCLE_PREVIOUS, 1}, {ID_PANE_CYCLE_NEXT, 2},
        };
        for (const auto& s : steps) {
            ASSERT_TRUE(frame->SendCommand(s.nCommand));
            EXPECT_EQ(form->GetActivePane(), Pane(s.nPane));
        }
        if (nFavorite == 0) {
            // From the favorites tab: the first pane is next, the last one previous.
            ASSERT_TRUE(frame->SendCommand(ID_FOCUS_FAVORITES));
            ASSERT_TRUE(frame->SendCommand(ID_PANE_CYCLE_NEXT));
            EXPECT_EQ(form->GetActivePane(), Pane(0));
            ASSERT_TRUE(frame->SendCommand(ID_FOCUS_FAVORITES));
            ASSERT_TRUE(frame->SendCommand(ID_PANE_CYCLE_PREVIOUS));
            EXPECT_EQ(form->GetActivePane(), Pane(2));
        }
        Close();
    }
}

TEST_F(DesktopKeysTest, TextSizeStepsStopAtTheLargestAndSmallest)
{
    Open();
    CFakeBrowserControl* pControl = Control(form->GetActivePane());
    const struct
    {
        int nCommand;
        int nZoom; // the control's zoom level afterwards, 0 .. 4
    } steps[] = {
        {ID_VIEW_TEXT_STEP_LARGER, 3},  {ID_VIEW_TEXT_STEP_LARGER, 4},
        {ID_VIEW_TEXT_STEP_LARGER, 4},  {ID_VIEW_TEXT_STEP_SMALLER, 3},
        {ID_VIEW_TEXT_STEP_SMALLER, 2}, {ID_VIEW_TEXT_STEP_SMALLER, 1},
        {ID_VIEW_TEXT_STEP_SMALLER, 0}, {ID_VIEW_TEXT_STEP_SMALLER, 0},
    };
    pControl->m_nZoom = 2;
    for (const auto& s : steps) {
        ASSERT_TRUE(frame->SendCommand(s.nCommand));
        EXPECT_EQ(pControl->m_nZoom, s.nZoom);
    }
    // The menu's radio items follow, and a new pane takes the size.
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_TEXT_STEP_LARGER));
    CCmdUI smaller(ID_VIEW_TEXT_SMALLER);
    ASSERT_TRUE(frame->GetCommandRouter().DoUpdate(&smaller));
    EXPECT_EQ(smaller.m_nCheck, 1);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
    EXPECT_EQ(controls.Last()->m_nZoom, 1);
}

TEST_F(DesktopKeysTest, MouseButtonsAndCtrlWheelOverThePage)
{
    Open();
    CPaneWnd* pPane = form->GetActivePane();
    QWidget* pPage = pPane->Window();
    CCommandLog commands(frame.get(), true);
    const QPointF pt(50, 50);
    quint64 nTime = 1000;
    const auto button = [&](QWidget* pTarget, Qt::MouseButton b) {
        QMouseEvent press(QEvent::MouseButtonPress, pt, pTarget->mapToGlobal(pt), b, b, {});
        press.setTimestamp(++nTime);
        QApplication::sendEvent(pTarget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, pt, pTarget->mapToGlobal(pt), b, {}, {});
        release.setTimestamp(++nTime);
        QApplication::sendEvent(pTarget, &release);
    };
    const auto wheel = [&](QWidget* pTarget, int nDelta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent turn(pt, pTarget->mapToGlobal(pt), QPoint(), QPoint(0, nDelta), Qt::NoButton,
                         modifiers, Qt::NoScrollPhase, false);
        turn.setTimestamp(++nTime);
        QApplication::sendEvent(pTarget, &turn);
    };
    button(pPage, Qt::BackButton);
    button(pPage, Qt::ForwardButton);
    button(form->FavoritesTree()->viewport(), Qt::BackButton);
    EXPECT_EQ(commands.ids, (QList<int>{ID_GO_BACK, ID_GO_FORWARD, ID_GO_BACK}));

    commands.ids.clear();
    wheel(pPage, 120, Qt::ControlModifier);
    wheel(pPage, -240, Qt::ControlModifier);
    // A finer wheel counts notches of 120.
    wheel(pPage, 60, Qt::ControlModifier);
    wheel(pPage, 60, Qt::ControlModifier);
    // Without Ctrl, or not over the page, the wheel scrolls as always.
    wheel(pPage, 120, Qt::NoModifier);
    wheel(form->FavoritesTree()->viewport(), 120, Qt::ControlModifier);
    EXPECT_EQ(commands.ids, (QList<int>{ID_VIEW_TEXT_STEP_LARGER, ID_VIEW_TEXT_STEP_SMALLER,
                                        ID_VIEW_TEXT_STEP_SMALLER, ID_VIEW_TEXT_STEP_LARGER}));
}

TEST_F(DesktopKeysTest, LinksOpenedWithTheMiddleButtonOrCtrlGoBehind)
{
    const struct
    {
        const char* name;
        BrowserWindowRequest request;
        bool bCtrl;
        int nNewActive;
        int nResult; // -1 refused, 0 behind, 1 in front
    } cases[] = {
        {"middle click", BrowserWindowRequest::BackgroundTab, false, 1, 0},
        {"middle click", BrowserWindowRequest::BackgroundTab, false, 0, 0},
        {"Ctrl+click", BrowserWindowRequest::BackgroundTab, true, 1, 0},
        {"Ctrl+click", BrowserWindowRequest::BackgroundTab, true, 0, 0},
        {"Ctrl+Shift+click", BrowserWindowRequest::ForegroundTab, true, 0, 1},
        {"Ctrl+Shift+click", BrowserWindowRequest::ForegroundTab, true, 1, 1},
        // A page's own requests follow ViewNewActive, and Ctrl refuses them.
        {"target", BrowserWindowRequest::ForegroundTab, false, 0, 0},
        {"target", BrowserWindowRequest::ForegroundTab, false, 1, 1},
        {"pop-up", BrowserWindowRequest::Window, false, 0, 0},
        {"pop-up", BrowserWindowRequest::Window, false, 1, 1},
        {"pop-up with Ctrl", BrowserWindowRequest::Window, true, 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " new active " << c.nNewActive);
        app.ViewNewActive = c.nNewActive;
        Open();
        CPaneWnd* first = Pane(0);
        if (c.bCtrl)
            QTest::keyPress(frame->windowHandle(), Qt::Key_Control, Qt::ControlModifier);
        bool bCancel = false;
        IBrowserControl* pDisp = Control(first)->RaiseNewWindow2(&bCancel, c.request);
        if (c.bCtrl)
            ReleaseModifiers();
        Settle();
        EXPECT_EQ(bCancel, c.nResult < 0);
        EXPECT_EQ(PaneCount(), c.nResult < 0 ? 1 : 2);
        if (c.nResult >= 0) {
            ASSERT_NE(pDisp, nullptr);
            CPaneWnd* fresh = Pane(1);
            EXPECT_EQ(pDisp, static_cast<IBrowserControl*>(Control(fresh)));
            EXPECT_EQ(form->GetActivePane(), c.nResult == 1 ? fresh : first);
        }
        Close();
    }
}

} // namespace
