// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainFrame.h"
#include "TempHome.h"
#include "app/AddressBar.h"
#include "app/CommandBands.h"
#include "app/NuvBrowserApp.h"
#include "platform/RegKey.h"
#include "res/Resource.h"
#include "workspace/FrameView.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <memory>

namespace {
// A focusable widget that records the keys that reach it.
class CKeyLog : public QWidget
{
public:
    explicit CKeyLog(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() != Qt::Key_Control && e->key() != Qt::Key_Alt && e->key() != Qt::Key_Shift)
            keys << e->key();
    }
};

// Counts the pointer presses that reach a widget.
class CPressCounter : public QObject
{
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonPress)
            ++presses;
        return false;
    }
};

// The workspace as the frame sees it: records the requests, handles Stop (32786) and Focus to
// Favorites (32826), and Back (32797) with a rule that follows a flag.
class CFakeView : public IFrameView
{
public:
    CFakeView()
    {
        m_pWidget = new QWidget;
        m_pKeys = new CKeyLog(m_pWidget);
        m_pKeys->setGeometry(0, 0, 100, 30);
        Map(
            ID_VIEW_STOP, [this] { calls << "stop"; },
            [this](CCmdUI* pCmdUI) { pCmdUI->Enable(bStopEnabled); });
        Map(ID_FOCUS_FAVORITES, [this] { calls << "favorites"; });
        Map(
            ID_GO_BACK, [this] { calls << "back"; },
            [this](CCmdUI* pCmdUI) { pCmdUI->Enable(bCanGoBack); });
    }
    QWidget* GetViewWidget() override { return m_pWidget; }
    void NavigateActivePane(const QString& a, bool typed) override
    {
        calls << QStringLiteral("active:%1:%2").arg(a).arg(typed);
    }
    void NavigateNewPane(const QString& a, bool typed) override
    {
        calls << QStringLiteral("new:%1:%2").arg(a).arg(typed);
    }
    void ScheduleFocus() override { calls << "focus"; }
    void ApplyFavoritesWidth(int w) override { calls << QStringLiteral("width:%1").arg(w); }
    void SetAddressBarButtonFace(bool shown) override
    {
        calls << QStringLiteral("face:%1").arg(shown);
    }
    void PostContextRequest(QWidget* w, int kind, const QPoint& pt) override
    {
        requestWindow = w;
        calls << QStringLiteral("context:%1:%2,%3").arg(kind).arg(pt.x()).arg(pt.y());
    }

    QWidget* m_pWidget;
    CKeyLog* m_pKeys;
    QStringList calls;
    bool bStopEnabled = true;
    bool bCanGoBack = false;
    QWidget* requestWindow = nullptr;
};

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override { m_app.ViewStatus = 1; }
    void TearDown() override { m_frame.reset(); }

    // Creates and shows the frame, with the fake view unless told otherwise.
    void Open(bool bWithView = true)
    {
        m_frame = std::make_unique<CMainFrame>(nullptr);
        ASSERT_TRUE(m_frame->Create());
        if (bWithView)
            m_frame->SetView(&m_view);
        m_frame->resize(900, 500);
        m_frame->show();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    }
    QAction* Item(int id) const { return CCommandRouter::FindMenuItem(m_frame->GetMenuBar(), id); }
    QWidget* FocusOnAddress(const QString& text)
    {
        m_frame->m_hAddressEdit->setFocus();
        m_frame->m_hAddressEdit->setText(text);
        return QApplication::focusWidget();
    }
    QWidget* FocusOnView()
    {
        m_view.m_pKeys->setFocus();
        return m_view.m_pKeys;
    }
    static QString Outline(const QWidget* menu)
    {
        QStringList items;
        for (QAction* a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-")
                      : a->menu()      ? a->text() + QLatin1Char('>')
                                       : a->text());
        return items.join(QLatin1Char('|'));
    }
    QMenu* SubMenu(const QWidget* menu, const QString& title) const
    {
        for (QAction* a : menu->actions())
            if (a->menu() && a->text() == title)
                return a->menu();
        return nullptr;
    }

    CTempHome m_home;
    CNuvBrowserApp m_app;
    CFakeView m_view;
    std::unique_ptr<CMainFrame> m_frame;
};
} // namespace

TEST_F(MainFrameTest, MenuBarHoldsMenu128WithDecoratedKeys)
{
    Open();
    QMenuBar* bar = m_frame->GetMenuBar();
    EXPECT_EQ(Outline(bar), "&File>|&Edit>|&View>|&Go>");
    QMenu* file = SubMenu(bar, "&File");
    QMenu* view = SubMenu(bar, "&View");
    ASSERT_TRUE(file && view);
    // Key hints: the default table's keys follow a tab; items without an entry keep theirs.
    EXPECT_EQ(Outline(file),
              "&New\tCtrl+N|&Open...\tCtrl+O|Save &As...\tCtrl+S|-|&Print\tCtrl+P|-|"
              "Favori&tes>|S&end Shortcut to Desktop|-|P&roperties...|&Work Offline|E&xit|"
              "&Close\tCtrl+Z|Reopen Closed &Window\tCtrl+Shift+Z");
    EXPECT_EQ(Outline(SubMenu(file, "Favori&tes")),
              "&Add to Favorites\tCtrl+T|&Organize Favorites|&Refresh Favorites|"
              "&Import Favorites...|&Export Favorites...");
    EXPECT_EQ(Outline(SubMenu(bar, "&Edit")),
              "Cu&t\tCtrl+X|&Copy\tCtrl+C|&Paste\tCtrl+V|-|Select &All|-|&Find...\tCtrl+F");
    EXPECT_EQ(Outline(view), "&Focus to New Window|&Show/Hide>|-|Sto&p\tEsc|"
                             "&Refresh\tShift+Esc|-|&Text "
                             "Size>|&Encoding>|-|Sour&ce|&Downloads...\tCtrl+Shift+Y|&Options>|"
                             "&About...");
    EXPECT_EQ(Outline(SubMenu(view, "&Show/Hide")), "&Favorites|&Address Bar\tCtrl+M|&Status Bar");
    EXPECT_EQ(Outline(SubMenu(view, "&Text Size")), "Lar&gest|&Large|&Medium|&Smaller|&Sm&allest");
    EXPECT_EQ(Outline(SubMenu(view, "&Options")), "&Internet Options...|&nuvBrowser Options...");
    EXPECT_EQ(Outline(SubMenu(bar, "&Go")),
              "&Back\tAlt+Left|&Forward\tAlt+Right|-|H&ome "
              "page|S&earch the Web|Handheld PC &Web|-|&History...|Clear "
              "&History...");
    EXPECT_EQ(Item(ID_VIEW_TEXT_SMALLEST)->text(), "&Sm&allest");
}

TEST_F(MainFrameTest, UpdateRulesRunWhenAPopupOpens)
{
    Open();
    QMenu* view = SubMenu(m_frame->GetMenuBar(), "&View");
    QMenu* encoding = SubMenu(view, "&Encoding");
    QMenu* showHide = SubMenu(view, "&Show/Hide");
    emit encoding->aboutToShow();
    for (int id : {ID_VIEW_ENCODING_EUC, ID_VIEW_ENCODING_JIS_ESC, ID_VIEW_ENCODING_JIS_SIO}) {
        EXPECT_TRUE(Item(id)->isChecked()) << id;
        EXPECT_FALSE(Item(id)->isEnabled()) << id;
    }
    emit showHide->aboutToShow();
    EXPECT_TRUE(Item(ID_VIEW_ADDRESS_BAR)->isChecked());
    EXPECT_TRUE(Item(ID_VIEW_STATUS_BAR)->isChecked());
    EXPECT_FALSE(Item(ID_VIEW_FAVORITES)->isEnabled()) << "no handler yet";

    ASSERT_TRUE(m_frame->SendCommand(ID_VIEW_STATUS_BAR));
    emit showHide->aboutToShow();
    EXPECT_FALSE(Item(ID_VIEW_STATUS_BAR)->isChecked());
    EXPECT_EQ(m_app.ViewStatus, 0);
    EXPECT_FALSE(m_frame->statusBar()->isVisible());

    // Ids that nothing handles stay disabled and do nothing.
    for (int id : {ID_FILE_SEND_SHORTCUT, ID_VIEW_ENCODING_EUC, ID_TOOLBAR_EXTRA, ID_NEXT_PANE,
                   ID_PREV_PANE, ID_ADDRESS_ENTER}) {
        EXPECT_FALSE(m_frame->IsCommandEnabled(id)) << id;
        EXPECT_FALSE(m_frame->SendCommand(id)) << id;
    }
}

TEST_F(MainFrameTest, ToolBarButtonsFollowTheirRules)
{
    Open();
    const QList<QAction*> actions = m_frame->GetToolBar()->actions();
    QList<int> ids;
    for (QAction* a : actions) {
        ids << (a->isSeparator() ? 0 : CCommandRouter::CommandId(a));
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().pixmap(16, 16).isNull());
        }
    }
    EXPECT_EQ(ids, (QList<int>{ID_GO_BACK, ID_GO_FORWARD, 0, ID_VIEW_STOP, ID_VIEW_REFRESH, 0,
                               ID_GO_HOME, ID_GO_SEARCH, 0, ID_TOOLBAR_EXTRA}));

    m_frame->UpdateToolBar();
    EXPECT_FALSE(actions[0]->isEnabled()) << "Back: the view cannot go back";
    EXPECT_TRUE(actions[3]->isEnabled()) << "Stop";
    EXPECT_FALSE(actions[9]->isEnabled()) << "the last button";

    // The frame evaluates the rules when the event loop has nothing to do.
    m_view.bCanGoBack = true;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(actions[0]->isEnabled());
    actions[0]->trigger();
    EXPECT_EQ(m_view.calls, QStringList{"back"});
}

TEST_F(MainFrameTest, KeysRunBindingsBeforeTheFixedAccelerators)
{
    Open();
    QWidget* keys = FocusOnView();

    QTest::keyClick(keys, Qt::Key_Escape);
    EXPECT_EQ(m_view.calls, QStringList{"stop"});
    QTest::keyClick(keys, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(m_view.calls.last(), "favorites");

    // A key with no handler is used up all the same (F6); a disabled command does not run
    // but its key is used up too.
    m_view.bStopEnabled = false;
    m_view.calls.clear();
    QTest::keyClick(keys, Qt::Key_F6);
    QTest::keyClick(keys, Qt::Key_Escape);
    EXPECT_TRUE(m_view.calls.isEmpty());
    EXPECT_TRUE(m_view.m_pKeys->keys.isEmpty());

    // Exact modifiers: Ctrl+Shift+M is not Ctrl+M, and reaches the widget.
    QTest::keyClick(keys, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(m_frame->GetCommandBands()->isVisible());
    EXPECT_EQ(m_view.m_pKeys->keys, QList<int>{Qt::Key_M});

    // A user binding wins over the fixed accelerator of the same key.
    m_frame->m_keyAccelTable.SetEntry(FCONTROL, '1', ID_VIEW_STATUS_BAR);
    m_frame->m_keyAccelTable.BuildAccelerators();
    QTest::keyClick(keys, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(m_app.ViewStatus, 0);
    EXPECT_TRUE(m_view.calls.isEmpty());
}

TEST_F(MainFrameTest, AddressBarCommandHidesTheBandsThroughTheView)
{
    Open();
    QTest::keyClick(FocusOnView(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(m_app.ViewMenu, 0);
    EXPECT_FALSE(m_frame->GetCommandBands()->isVisible());
    EXPECT_FALSE(m_frame->IsCommandBandsShown());
    EXPECT_EQ(m_view.calls, QStringList{"face:0"});
    EXPECT_TRUE(m_frame->SendCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_EQ(m_app.ViewMenu, 1);
    EXPECT_TRUE(m_frame->GetCommandBands()->isVisible());

    // Without a view the command changes nothing.
    m_frame->SetActiveView(nullptr);
    m_frame->SendCommand(ID_VIEW_ADDRESS_BAR);
    EXPECT_EQ(m_app.ViewMenu, 1);
    EXPECT_TRUE(m_frame->GetCommandBands()->isVisible());
}

TEST_F(MainFrameTest, KeysInADialogStayThere)
{
    Open();
    QDialog dialog(m_frame.get());
    auto* edit = new QLineEdit(&dialog);
    dialog.open();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << "Esc closed the dialog";
    EXPECT_TRUE(m_view.calls.isEmpty()) << "and did not stop the page";
}

TEST_F(MainFrameTest, EnterInTheAddressFieldNavigatesTheActivePane)
{
    Open();
    QSignalSpy returns(m_frame->m_hAddressEdit, &QLineEdit::returnPressed);
    QTest::keyClick(FocusOnAddress("example.org"), Qt::Key_Return);
    EXPECT_EQ(m_view.calls, (QStringList{"active:example.org:1", "focus"}));
    EXPECT_EQ(returns.count(), 0) << "the field does not see the Enter";

    m_view.calls.clear();
    QTest::keyClick(FocusOnAddress(QString(3000, 'a')), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(m_view.calls.value(0), "active:" + QString(2047, 'a') + ":1");

    m_view.calls.clear();
    QTest::keyClick(FocusOnAddress(QString()), Qt::Key_Return);
    EXPECT_EQ(m_view.calls, (QStringList{"active::1", "focus"}));
}

TEST_F(MainFrameTest, EnterInTheAddressFieldNavigatesWhileTheWindowIsNotActive)
{
    // Without a window manager (a bare X server) the window is never made active: the
    // application has no focus widget, yet the keys reach the frame's own focus widget.
    Open();
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    }
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }));
    m_frame->m_hAddressEdit->setFocus();
    m_frame->m_hAddressEdit->setText("example.org");
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    QTest::keyClick(m_frame->m_hAddressCombo, Qt::Key_Return);
    EXPECT_EQ(m_view.calls.value(0), "active:example.org:1");
}

TEST_F(MainFrameTest, EnterElsewhereReachesItsWidgetUntranslated)
{
    Open();
    // Even a user binding of Enter does not see it.
    m_frame->m_keyAccelTable.SetEntry(0, 0x0D, ID_VIEW_STATUS_BAR);
    m_frame->m_keyAccelTable.BuildAccelerators();
    QTest::keyClick(FocusOnView(), Qt::Key_Return);
    EXPECT_EQ(m_view.m_pKeys->keys, QList<int>{Qt::Key_Return});
    EXPECT_TRUE(m_view.calls.isEmpty());
    EXPECT_EQ(m_app.ViewStatus, 1);

    // Without a view the address field keeps its Enter.
    m_frame->SetActiveView(nullptr);
    QSignalSpy returns(m_frame->m_hAddressEdit, &QLineEdit::returnPressed);
    QTest::keyClick(FocusOnAddress("x"), Qt::Key_Return);
    EXPECT_EQ(returns.count(), 1);
}

TEST_F(MainFrameTest, PickingFromTheDroppedDownListNavigates)
{
    Open();
    QComboBox* combo = m_frame->m_hAddressCombo;
    combo->addItems({"http://one.example/", "http://two.example/"});
    FocusOnAddress("typed");

    // Arrow keys in the closed list choose an entry but do not navigate.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_view.calls.isEmpty());

    combo->showPopup();
    ASSERT_TRUE(m_frame->GetAddressBar()->IsDroppedDown());
    QAbstractItemView* list = combo->view();
    list->setCurrentIndex(combo->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    for (int i = 0; i < 5 && m_view.calls.isEmpty(); ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(m_view.calls, (QStringList{"active:http://two.example/:1", "focus"}));
    EXPECT_FALSE(m_frame->GetAddressBar()->IsDroppedDown());
}

TEST_F(MainFrameTest, PointerOnTheAddressFieldAsksForTheContextMenu)
{
    Open();
    QLineEdit* edit = m_frame->m_hAddressEdit;
    CPressCounter counter;
    edit->installEventFilter(&counter);

    QTest::mousePress(edit, Qt::RightButton, {}, QPoint(7, 5));
    EXPECT_EQ(m_view.calls, QStringList{"context:1:7,5"});
    EXPECT_EQ(m_view.requestWindow, edit);
    EXPECT_EQ(counter.presses, 1) << "the field still gets the right button";
    QTest::mouseRelease(edit, Qt::RightButton, {}, QPoint(7, 5));

    QTest::mousePress(edit, Qt::LeftButton, Qt::AltModifier, QPoint(9, 4));
    EXPECT_EQ(m_view.calls.last(), "context:1:9,4");
    EXPECT_EQ(counter.presses, 1) << "an Alt + tap does not reach the field";
    QTest::mouseRelease(edit, Qt::LeftButton, Qt::AltModifier, QPoint(9, 4));

    QTest::mousePress(edit, Qt::LeftButton, {}, QPoint(9, 4));
    EXPECT_EQ(m_view.calls.size(), 2);
    EXPECT_EQ(counter.presses, 2);
    QTest::mouseRelease(edit, Qt::LeftButton, {}, QPoint(9, 4));

    m_frame->SetActiveView(nullptr);
    QTest::mousePress(edit, Qt::LeftButton, Qt::AltModifier, QPoint(3, 3));
    EXPECT_EQ(counter.presses, 2) << "consumed also without a view";
    QTest::mouseRelease(edit, Qt::LeftButton, Qt::AltModifier, QPoint(3, 3));
}

TEST_F(MainFrameTest, HandOffReceiverAnswers)
{
    Open();
    const QString address = QStringLiteral("http://handed.example/");
    const QString empty;
    EXPECT_TRUE(m_frame->OnCopyData(39919, &address));
    EXPECT_TRUE(m_frame->OnCopyData(39919, &empty));
    EXPECT_EQ(m_view.calls, QStringList{"new:http://handed.example/:0"});
    EXPECT_FALSE(m_frame->OnCopyData(39918, &address));
    EXPECT_FALSE(m_frame->OnCopyData(39919, nullptr));
    EXPECT_EQ(m_view.calls.size(), 1);

    m_frame->SetActiveView(nullptr);
    EXPECT_TRUE(m_frame->OnCopyData(39919, &address));
}

TEST_F(MainFrameTest, StatusBarAndFavoritesWidth)
{
    Open();
    EXPECT_EQ(m_frame->GetStatusText(), "Ready");
    m_frame->SetStatusText("http://status.example/");
    EXPECT_EQ(m_frame->GetStatusText(), "http://status.example/");
    EXPECT_TRUE(m_frame->statusBar()->isVisible());
    EXPECT_TRUE(m_frame->GetCapsIndicator()->isVisible());

    m_frame->SetFavoritesWidth(321);
    EXPECT_EQ(m_app.ViewFavoriteWidth, 321);
    EXPECT_EQ(m_view.calls, QStringList{"width:321"});
}

TEST_F(MainFrameTest, StoredSettingsAndBindingsApplyAtCreation)
{
    m_app.ViewStatus = 0;
    m_app.ViewMenu = 0;
    // Ctrl+Alt+A bound to "Status Bar", written as a user would.
    CRegKey key;
    ASSERT_TRUE(key.Create("Software\\Qorval\\nuvBrowser\\Options"));
    key.SetDword("KeyAccelCount", 1);
    key.SetBinary("KeyAccelTable", QByteArray::fromHex("1b0041004d800000"));
    Open();
    EXPECT_FALSE(m_frame->statusBar()->isVisible());
    EXPECT_FALSE(m_frame->GetCommandBands()->isVisible());
    EXPECT_EQ(Item(ID_VIEW_STATUS_BAR)->text(), "&Status Bar\tCtrl+Alt+A");

    QWidget* keys = FocusOnView();
    QTest::keyClick(keys, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(m_app.ViewStatus, 1);
    EXPECT_TRUE(m_frame->statusBar()->isVisible());
    // Ctrl+M is no longer bound: the key reaches the widget.
    QTest::keyClick(keys, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(m_app.ViewMenu, 0);
    EXPECT_EQ(m_view.m_pKeys->keys, QList<int>{Qt::Key_M});
}

TEST_F(MainFrameTest, BandsShareARowWhenTheyFit)
{
    Open();
    CCommandBands* bands = m_frame->GetCommandBands();
    EXPECT_EQ(bands->GetRowCount(), 1);
    const QRect address = m_frame->GetAddressBar()->geometry();
    EXPECT_GT(address.width(), 300) << "the address bar takes the rest of the row";
    EXPECT_EQ(m_frame->m_hAddressCombo->width(), address.width());
    EXPECT_LT(bands->height(), 60);

    // Too narrow for one row: the address bar starts a row of its own and spans it.
    const int oneRow = bands->height();
    m_frame->resize(360, 500);
    QCoreApplication::processEvents();
    EXPECT_GE(bands->GetRowCount(), 2);
    EXPECT_GT(bands->height(), oneRow);
    EXPECT_EQ(m_frame->GetAddressBar()->geometry().right(), bands->width() - 1);
    EXPECT_LT(m_frame->GetAddressBar()->geometry().left(), 20);
}

TEST_F(MainFrameTest, UserBindingOnAltFBeatsTheFileMenu)
{
    Open();
    QWidget* keys = FocusOnView();
    QWindow* window = m_frame->windowHandle();

    // Unbound, Alt+F opens the File menu.
    QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "the File menu's mnemonic works";
    EXPECT_EQ(menu->menuAction()->text(), "&File");
    menu->close();
    QTest::keyRelease(window, Qt::Key_Alt);
    ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
    keys->setFocus();

    // Bound to Status Bar, Alt+F runs that command and opens no menu.
    m_frame->m_keyAccelTable.SetEntry(FALT, 'F', ID_VIEW_STATUS_BAR);
    m_frame->m_keyAccelTable.BuildAccelerators();
    ASSERT_EQ(m_app.ViewStatus, 1);
    QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(m_app.ViewStatus, 0);
    EXPECT_TRUE(m_view.m_pKeys->keys.isEmpty());
    QTest::keyRelease(window, Qt::Key_Alt);
}

TEST_F(MainFrameTest, BoundKeysLeaveTheMenuBarsKeyboardMode)
{
    Open();
    QWindow* window = m_frame->windowHandle();
    QMenuBar* bar = m_frame->GetMenuBar();
    // Ways of leaving the bar with a title still marked, so that arrows and letters would
    // walk its menus.
    const struct
    {
        const char* name;
        QList<int> keys; // typed after Alt+F has opened the File menu
    } cases[] = {
        {"File menu closed with Esc", {Qt::Key_Escape}},
        {"Favorites submenu closed with Esc twice", {Qt::Key_T, Qt::Key_Escape, Qt::Key_Escape}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_view.calls.clear();
        m_view.m_pKeys->keys.clear();
        QWidget* keys = FocusOnView();
        QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
        QTest::keyRelease(window, Qt::Key_Alt);
        for (int key : c.keys)
            QTest::keyClick(window, Qt::Key(key));
        ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
        ASSERT_NE(bar->activeAction(), nullptr) << "a title is marked";
        EXPECT_TRUE(m_view.calls.isEmpty()) << "Esc in the menus did not stop the page";

        QTest::keyClick(window, Qt::Key_1, Qt::ControlModifier);
        EXPECT_EQ(m_view.calls, QStringList{"favorites"});
        EXPECT_EQ(bar->activeAction(), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), keys) << "the focus is back where it was";
        QTest::keyClick(window, Qt::Key_A);
        EXPECT_EQ(m_view.m_pKeys->keys, QList<int>{Qt::Key_A});
    }

    // A plain key still belongs to the bar: Esc leaves it without stopping the page.
    m_view.calls.clear();
    QWidget* keys = FocusOnView();
    QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
    QTest::keyRelease(window, Qt::Key_Alt);
    QTest::keyClick(window, Qt::Key_Escape);
    ASSERT_NE(bar->activeAction(), nullptr);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(bar->activeAction(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), keys);
    EXPECT_TRUE(m_view.calls.isEmpty());
}
