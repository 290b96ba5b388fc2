// SPDX-License-Identifier: GPL-3.0-or-later
// The context menus of the page and of the address field on the real frame and workspace with
// fake controls: what they offer, where they open, what asks for them, and their commands.
#include "MenuText.h"
#include "WorkspaceFixture.h"

#include "workspace/ContextCommands.h"
#include "workspace/IconButton.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>

namespace {

BrowserElement Element(const char* tag, const char* href = nullptr, const char* src = nullptr)
{
    BrowserElement e;
    e.tag = QString::fromLatin1(tag);
    if (href)
        e.href = QString::fromLatin1(href);
    if (src)
        e.src = QString::fromLatin1(src);
    return e;
}

// Counts the pointer presses and releases a widget gets.
class CPointerCounter : public QObject
{
public:
    int presses = 0;
    int releases = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        presses += e->type() == QEvent::MouseButtonPress;
        releases += e->type() == QEvent::MouseButtonRelease;
        return false;
    }
};

class ContextMenuTest : public WorkspaceTest
{
protected:
    CContextCommands* Context() const { return form->ContextCommands(); }
    QMenu* Menu() const { return Context()->ActiveMenu(); }
    CFakeBrowserControl* Page() const { return Control(form->GetActivePane()); }

    static std::string Describe(const QMenu* pMenu) { return DescribeMenu(pMenu); }
    void CloseMenu()
    {
        if (Menu())
            Menu()->close();
        ASSERT_TRUE(WaitFor([this] { return Menu() == nullptr; }));
    }
    // Asks for the page menu at a point of the active page and answers the inspection with
    // the elements from the point outwards.
    void OpenPageMenu(const QList<BrowserElement>& path, const QPoint& pt = QPoint(40, 30),
                      const QString& misspelled = QString(),
                      const QStringList& suggestions = QStringList())
    {
        CFakeBrowserControl* page = Page();
        const qsizetype nQueries = page->m_elementQueries.size();
        form->PostContextRequest(page, CContextCommands::CONTEXT_PAGE, pt);
        ASSERT_TRUE(WaitFor([&] { return page->m_elementQueries.size() > nQueries; }));
        EXPECT_EQ(page->m_elementPoints.last(), pt);
        page->m_elementQueries.takeLast()(BrowserElementPath{true, path, misspelled, suggestions});
        ASSERT_TRUE(WaitFor([this] { return Menu() && Menu()->isVisible(); }));
    }
    QAction* Item(const QString& text) const { return FindMenuItem(Menu(), text); }
    // Chooses an item as the user does; its command runs once the menu has closed.
    void Choose(const QString& text)
    {
        QAction* pAction = Item(text);
        ASSERT_NE(pAction, nullptr) << text.toStdString();
        Menu()->setActiveAction(pAction);
        QTest::keyClick(Menu(), Qt::Key_Return);
        ASSERT_TRUE(WaitFor([this] { return Menu() == nullptr; }));
        QTest::qWait(20);
    }
};

TEST_F(ContextMenuTest, PageMenuOffersWhatLiesUnderThePoint)
{
    Open();
    const QList<BrowserElement> text = {Element("P"), Element("BODY")};
    const QList<BrowserElement> link = {Element("A", "http://l.example/next.html"),
                                        Element("BODY")};
    const QList<BrowserElement> imageInLink = {Element("IMG", nullptr, "http://i.example/pic.gif"),
                                               Element("A", "http://l.example/big.html"),
                                               Element("BODY")};
    const QList<BrowserElement> emptyAnchor = {Element("A", ""), Element("BODY")};
    const QList<BrowserElement> field = {Element("INPUT"), Element("FORM"), Element("BODY")};
    const QList<BrowserElement> frame = {Element("FRAME", nullptr, "menu.html")};
    const int kCopy = 1 << OLECMDID_COPY;
    const int kPaste = 1 << OLECMDID_PASTE;
    const int kCut = 1 << OLECMDID_CUT;
    const QString tail = "Select &All | - | &Print | &Refresh";
    const QString editing = "(Cu&t) | (&Copy) | Copy Shortcu&t | (&Paste) | ";

    const struct
    {
        const char* name;
        QList<BrowserElement> path;
        bool bBack;
        bool bForward;
        int nEnabled;
        QString menu;
    } cases[] = {
        {"plain text", text, false, false, 0, tail},
        {"plain text with history", text, true, true, 0, "&Back | &Forward | - | " + tail},
        {"plain text, back only", text, true, false, 0, "&Back | - | " + tail},
        {"selected text", text, true, false, kCopy, "(Cu&t) | &Copy | (&Paste) | " + tail},
        {"link", link, true, false, 0,
         "Open Li&nk in New Window | - | &Save Link Target As... | - | " + editing + tail},
        {"image inside a link", imageInLink, false, false, 0,
         "Open Li&nk in New Window | Open Image in New Window(&H) | - | Save &Image As... | "
         "&Save Link Target As... | - | " +
             editing + tail},
        {"empty anchor", emptyAnchor, true, false, 0,
         "&Save Link Target As... | - | &Back | - | " + tail},
        {"editable field", field, true, false, kCut | kCopy | kPaste,
         "Cu&t | &Copy | &Paste | " + tail},
        {"frame", frame, true, false, 0, "Open &Frame in New Window | - | &Back | - | " + tail},
    };
    Page()->m_strLocation = "http://top.example/index.html";
    for (const auto& c : cases) {
        CFakeBrowserControl* page = Page();
        page->RaiseCommandStateChange(CSC_NAVIGATEBACK, c.bBack);
        page->RaiseCommandStateChange(CSC_NAVIGATEFORWARD, c.bForward);
        page->RaiseCommandStateChange(CSC_UPDATECOMMANDS, 0);
        page->m_nEnabledCommands = c.nEnabled;
        OpenPageMenu(c.path);
        EXPECT_EQ(Describe(Menu()), c.menu.toStdString()) << c.name;
        CloseMenu();
    }
}

TEST_F(ContextMenuTest, MisspelledWordPutsSuggestionsAndAddToDictionaryOnTop)
{
    Open();
    const QList<BrowserElement> field = {Element("TEXTAREA"), Element("BODY")};
    const int kAll = (1 << OLECMDID_CUT) | (1 << OLECMDID_COPY) | (1 << OLECMDID_PASTE);
    const QString rest = "Cu&t | &Copy | &Paste | Select &All | - | &Print | &Refresh";
    const struct
    {
        const char* name;
        QString word;
        QStringList suggestions;
        QString menu;
    } cases[] = {
        {"no misspelled word", "", {"ignored"}, rest},
        {"two suggestions",
         "wrod",
         {"word", "wrot"},
         "word | wrot | Add to Dictionar&y | - | " + rest},
        {"no suggestion", "qxzv", {}, "Add to Dictionar&y | - | " + rest},
        {"five at most",
         "teh",
         {"the", "tech", "ten", "tea", "tee", "tel", "Ted"},
         "the | tech | ten | tea | tee | Add to Dictionar&y | - | " + rest},
        {"an ampersand stays a letter", "rnd", {"R&D"}, "R&&D | Add to Dictionar&y | - | " + rest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Page()->m_nEnabledCommands = kAll;
        OpenPageMenu(field, QPoint(40, 30), c.word, c.suggestions);
        EXPECT_EQ(Describe(Menu()), c.menu.toStdString());
        CloseMenu();
    }

    // A suggestion replaces the word; the other item adds it to the user's words.
    OpenPageMenu(field, QPoint(40, 30), "wrod", {"word", "wrot"});
    Page()->ClearCalls();
    Choose("wrot");
    EXPECT_TRUE(Page()->Calls().contains("ReplaceMisspelledWord wrot"))
        << Page()->Calls().join(", ").toStdString();
    OpenPageMenu(field, QPoint(40, 30), "wrod", {"word"});
    Page()->ClearCalls();
    Choose("Add to Dictionar&y");
    EXPECT_TRUE(Page()->Calls().contains("AddWordToDictionary wrod"))
        << Page()->Calls().join(", ").toStdString();
}

TEST_F(ContextMenuTest, MenusOpenBesideThePointAndOnlyOnce)
{
    Open();
    const QPoint pt(40, 30);
    OpenPageMenu({Element("P"), Element("BODY")}, pt);
    EXPECT_EQ(Menu()->pos(), Page()->mapToGlobal(pt) + QPoint(5, 5));
    QPointer<QMenu> first = Menu();
    // A second request replaces the menu on screen.
    OpenPageMenu({Element("A", "http://l.example/"), Element("BODY")}, QPoint(60, 50));
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(Menu()->pos(), Page()->mapToGlobal(QPoint(60, 50)) + QPoint(5, 5));
    CloseMenu();

    // An answer that comes after the page went behind another shows no menu.
    CFakeBrowserControl* page = Page();
    form->PostContextRequest(page, CContextCommands::CONTEXT_PAGE, pt);
    ASSERT_TRUE(WaitFor([&] { return !page->m_elementQueries.isEmpty(); }));
    ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
    page->m_elementQueries.takeLast()(BrowserElementPath{true, {Element("P")}});
    QTest::qWait(20);
    EXPECT_EQ(Menu(), nullptr);
}

TEST_F(ContextMenuTest, RequestsWithoutAnActivePaneAreDropped)
{
    Open();
    // The last page closes itself.
    Page()->RaiseQuit();
    ASSERT_TRUE(WaitFor([this] { return form->GetActivePane() == nullptr; }));
    QTest::mousePress(AddressEdit(), Qt::RightButton, {}, QPoint(6, 4));
    QTest::mouseRelease(AddressEdit(), Qt::RightButton, {}, QPoint(6, 4));
    form->PostContextRequest(form->FavoritesTree(), CContextCommands::CONTEXT_PAGE, QPoint(5, 5));
    QTest::qWait(20);
    EXPECT_EQ(Menu(), nullptr);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(ContextMenuTest, AddressFieldMenuFollowsTheSelectionAndTheClipboard)
{
    Open();
    QLineEdit* edit = AddressEdit();
    edit->setText("abc");
    const struct
    {
        int nStart;
        int nLength;
        const char* clipboard; // null: no text on it
        const char* menu;
    } cases[] = {
        {2, 1, nullptr, "(Cu&t) | (&Copy) | (&Paste)"},
        {1, 2, nullptr, "Cu&t | &Copy | (&Paste)"},
        {0, 0, "pasted", "(Cu&t) | (&Copy) | &Paste"},
        {0, 3, "pasted", "Cu&t | &Copy | &Paste"},
    };
    for (const auto& c : cases) {
        if (c.clipboard)
            QApplication::clipboard()->setText(c.clipboard);
        else
            QApplication::clipboard()->clear();
        // The press gives the field the focus; the selection is made afterwards, as by keys.
        QTest::mousePress(edit, Qt::RightButton, {}, QPoint(6, 4));
        edit->setSelection(c.nStart, c.nLength);
        ASSERT_TRUE(WaitFor([this] { return Menu() != nullptr; })) << c.menu;
        EXPECT_EQ(Describe(Menu()), c.menu);
        EXPECT_EQ(Menu()->pos(), edit->mapToGlobal(QPoint(6, 4)) + QPoint(5, 5));
        QTest::mouseRelease(edit, Qt::RightButton, {}, QPoint(6, 4));
        CloseMenu();
    }

    // The chosen command acts on the field.
    QApplication::clipboard()->setText("x");
    QTest::mousePress(edit, Qt::LeftButton, Qt::AltModifier, QPoint(6, 4));
    edit->setSelection(1, 2);
    ASSERT_TRUE(WaitFor([this] { return Menu() != nullptr; }));
    Choose("&Copy");
    EXPECT_EQ(QApplication::clipboard()->text(), "bc");
    QTest::mouseRelease(edit, Qt::LeftButton, Qt::AltModifier, QPoint(6, 4));
}

TEST_F(ContextMenuTest, OpenCommandsMakeANewPaneForTheAddressFound)
{
    Open();
    const QList<BrowserElement> imageInLink = {Element("IMG", nullptr, "http://i.example/pic.gif"),
                                               Element("A", "http://l.example/big.html"),
                                               Element("BODY")};
    const struct
    {
        const char* item;
        QList<BrowserElement> path;
        int nViewNewActive;
        const char* address;
    } cases[] = {
        {"Open Li&nk in New Window", imageInLink, 1, "http://l.example/big.html"},
        {"Open Image in New Window(&H)", imageInLink, 0, "http://i.example/pic.gif"},
        {"Open &Frame in New Window",
         {Element("FRAME", nullptr, "f/menu.html")},
         1,
         "http://top.example/f/menu.html"},
    };
    for (const auto& c : cases) {
        app.ViewNewActive = c.nViewNewActive;
        CPaneWnd* pPane = form->GetActivePane();
        Page()->m_strLocation = "http://top.example/index.html";
        const int nPanes = PaneCount();
        OpenPageMenu(c.path);
        Choose(c.item);
        ASSERT_EQ(PaneCount(), nPanes + 1) << c.item;
        CPaneWnd* pNew = Pane(nPanes);
        EXPECT_EQ(Control(pNew)->Calls().filter("Navigate2"),
                  QStringList{QString("Navigate2 ") + c.address})
            << c.item;
        EXPECT_EQ(form->GetActivePane(), c.nViewNewActive == 1 ? pNew : pPane) << c.item;
    }
}

TEST_F(ContextMenuTest, CopyShortcutPutsTheLinkAddressOnTheClipboard)
{
    Open();
    QApplication::clipboard()->setText("before");
    OpenPageMenu({Element("A", "http://l.example/a%20b.html?x=1"), Element("BODY")});
    Choose("Copy Shortcu&t");
    EXPECT_EQ(QApplication::clipboard()->text(), "http://l.example/a%20b.html?x=1");

    // Chosen without a link address (from the key table's point of view), it changes nothing.
    OpenPageMenu({Element("A", ""), Element("BODY")});
    CloseMenu();
    EXPECT_TRUE(frame->SendCommand(ID_CONTEXT_COPY_SHORTCUT));
    EXPECT_EQ(QApplication::clipboard()->text(), "http://l.example/a%20b.html?x=1");
}

TEST_F(ContextMenuTest,
       RightButtonAndAltTapOnThePageAskForTheMenuAndOnlyTheRightPressReachesThePage)
{
    Open();
    CFakeBrowserControl* page = Page();
    CPointerCounter counter;
    page->installEventFilter(&counter);
    const struct
    {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        bool bMenu;
        bool bReachesPage;
    } cases[] = {
        {Qt::RightButton, {}, true, true},
        {Qt::LeftButton, Qt::AltModifier, true, false},
        {Qt::LeftButton, {}, false, true},
        {Qt::MiddleButton, {}, false, true},
    };
    for (const auto& c : cases) {
        const qsizetype nQueries = page->m_elementQueries.size();
        counter.presses = counter.releases = 0;
        QTest::mousePress(page, c.button, c.modifiers, QPoint(50, 60));
        QTest::mouseRelease(page, c.button, c.modifiers, QPoint(50, 60));
        QTest::qWait(20);
        EXPECT_EQ(page->m_elementQueries.size(), nQueries + (c.bMenu ? 1 : 0)) << c.button;
        EXPECT_EQ(counter.presses, c.bReachesPage ? 1 : 0) << c.button;
        EXPECT_EQ(counter.releases, c.bReachesPage ? 1 : 0) << c.button;
        if (c.bMenu) {
            EXPECT_EQ(page->m_elementPoints.last(), QPoint(50, 60));
        }
    }
    // The keyboard's menu keys ask the page which element has the keyboard focus; with none,
    // the menu is the page's: at the pointer over the page, else at the page's top-left corner.
    page->setFocus();
    ASSERT_TRUE(WaitFor([&] { return page->hasFocus(); }));
    const auto pressAndAnswer = [&](Qt::Key key, Qt::KeyboardModifiers modifiers,
                                    const BrowserFocus& focus) {
        const qsizetype nQueries = page->m_elementQueries.size();
        page->m_focusQueries.clear();
        QTest::keyClick(page, key, modifiers);
        if (!WaitFor([&] { return page->m_focusQueries.size() == 1; }))
            return false;
        page->m_focusQueries.takeFirst()(focus);
        return WaitFor([&] { return page->m_elementQueries.size() == nQueries + 1; });
    };
    QCursor::setPos(frame->mapToGlobal(QPoint(1, 1)));
    for (const auto& key : {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
                            std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        ASSERT_TRUE(pressAndAnswer(key.first, key.second, BrowserFocus())) << key.first;
        EXPECT_EQ(page->m_elementPoints.last(), QPoint(0, 0));
    }
    QCursor::setPos(page->mapToGlobal(QPoint(70, 20)));
    ASSERT_TRUE(pressAndAnswer(Qt::Key_Menu, {}, BrowserFocus()));
    EXPECT_EQ(page->m_elementPoints.last(), QPoint(70, 20));
    // A focused element (a link reached with Tab): what lies in its middle, the menu below it.
    // One that is scrolled out of the page counts as none.
    for (const auto& c : {std::pair{QRect(40, 100, 61, 21), QPoint(70, 110)},
                          std::pair{QRect(40, -100, 60, 20), QPoint(70, 20)}}) {
        ASSERT_TRUE(pressAndAnswer(Qt::Key_F10, Qt::ShiftModifier, BrowserFocus{true, c.first}));
        EXPECT_EQ(page->m_elementPoints.last(), c.second);
    }
    ASSERT_TRUE(pressAndAnswer(Qt::Key_Menu, {}, BrowserFocus{true, QRect(40, 100, 61, 21)}));
    page->m_elementQueries.takeLast()({true, {{"A", "http://x/", {}, {}}, {"BODY", {}, {}, {}}}});
    ASSERT_TRUE(WaitFor([&] { return Menu() && Menu()->isVisible(); }));
    const QPoint ptMenu = page->mapFromGlobal(Menu()->pos());
    EXPECT_EQ(ptMenu.x(), 40 + 5);
    EXPECT_GE(ptMenu.y(), 120);
    Menu()->close();
}

TEST_F(ContextMenuTest, RightButtonOnTheFavoritesTreeSelectsAndShowsNoMenu)
{
    Open();
    QTreeWidget* tree = form->FavoritesTree();
    ASSERT_GT(tree->topLevelItemCount(), 0);
    QTreeWidgetItem* item = tree->topLevelItem(tree->topLevelItemCount() - 1);
    tree->setCurrentItem(nullptr);
    const QPoint pt = tree->visualItemRect(item).center();
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, pt);
    QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, pt);
    QTest::qWait(20);
    EXPECT_EQ(tree->currentItem(), item);
    EXPECT_EQ(Menu(), nullptr);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(ContextMenuTest, RightButtonOnTheTabStripChoosesAndOnTheButtonsDoesNothing)
{
    Open();
    MakePanes(2);
    ASSERT_EQ(ActiveIndex(), 1);
    const QPoint ptTab = Tabs()->tabRect(0).center();
    QTest::mousePress(Tabs(), Qt::RightButton, {}, ptTab);
    QTest::mouseRelease(Tabs(), Qt::RightButton, {}, ptTab);
    Settle();
    EXPECT_EQ(ActiveIndex(), 0);
    EXPECT_EQ(Menu(), nullptr);

    QPushButton* close = form->CloseButton();
    ASSERT_TRUE(close->isEnabled());
    QTest::mousePress(close, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseRelease(close, Qt::RightButton, {}, QPoint(3, 3));
    Settle();
    EXPECT_EQ(PaneCount(), 2);
    EXPECT_FALSE(close->isDown()) << "a button is not left drawn pressed";
}

} // namespace
