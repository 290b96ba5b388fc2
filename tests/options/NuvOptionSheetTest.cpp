// SPDX-License-Identifier: GPL-3.0-or-later
#include "../dialogs/DialogFixture.h"

#include "options/KeyAccelTable.h"
#include "options/NuvOptionKeyPage.h"
#include "options/NuvOptionPage.h"
#include "options/NuvOptionSheetDlg.h"
#include "platform/RegistryStore.h"
#include "workspace/IconButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTreeWidget>

namespace {
// The rows of the key table a fresh home starts with.
constexpr int kDefault = CKeyAccelTable::kDefaultCount;
class NuvOptionSheetTest : public DialogTest
{
protected:
    CNuvOptionSheetDlg* OpenSheet() { return OpenBy<CNuvOptionSheetDlg>(ID_VIEW_OPTIONS); }
    static CNuvOptionKeyPage* KeyPage(CNuvOptionSheetDlg* sheet)
    {
        return sheet ? sheet->findChild<CNuvOptionKeyPage*>() : nullptr;
    }
    template <class T> static T* Item(CNuvOptionSheetDlg* sheet, int nID)
    {
        return qobject_cast<T*>(sheet->GetDlgItem(nID));
    }
    static QStringList Lines(const CNuvOptionKeyPage* page)
    {
        QStringList lines;
        for (int i = 0; i < page->GetLineCount(); ++i)
            lines << page->GetLineText(i);
        return lines;
    }
    // Sets the key controls as a user would: the key typed, the boxes clicked, the function
    // picked by name (none for an empty name).
    static void SetControls(CNuvOptionSheetDlg* sheet, const QString& key, bool bCtrl, bool bAlt,
                            bool bShift, const QString& function)
    {
        auto* edit = Item<QLineEdit>(sheet, CNuvOptionKeyPage::IDC_KEY);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, key);
        const struct
        {
            int nID;
            bool bOn;
        } boxes[] = {{CNuvOptionKeyPage::IDC_CTRL, bCtrl},
                     {CNuvOptionKeyPage::IDC_ALT, bAlt},
                     {CNuvOptionKeyPage::IDC_SHIFT, bShift}};
        for (const auto& b : boxes) {
            auto* box = Item<QCheckBox>(sheet, b.nID);
            if (box->isChecked() != b.bOn)
                Click(box);
        }
        auto* functions = Item<QComboBox>(sheet, CNuvOptionKeyPage::IDC_FUNCTION);
        functions->setCurrentIndex(function.isEmpty() ? -1 : functions->findText(function));
    }
    QString MenuText(int nID) const
    {
        QAction* item = CCommandRouter::FindMenuItem(frame->GetMenuBar(), nID);
        return item ? item->text() : QString();
    }
    // Back is enabled on the first pane's page.
    CFakeBrowserControl* PageThatCanGoBack()
    {
        CFakeBrowserControl* page = Control(form->GetActivePane());
        page->RaiseCommandStateChange(CSC_NAVIGATEBACK, 1);
        page->RaiseCommandStateChange(CSC_UPDATECOMMANDS, 0);
        return page;
    }
    // A value of the key table in the registry; an empty one when it is not there.
    static RegValue Stored(const char* name)
    {
        RegValue value;
        CRegistryStore().QueryValue(QString::fromLatin1(CKeyAccelTable::kRegistryKey),
                                    QString::fromLatin1(name), &value);
        return value;
    }
    static QByteArray StoredTable() { return Stored("KeyAccelTable").data; }
};

TEST_F(NuvOptionSheetTest, KeyPageShowsTheTableAndTheCommandNames)
{
    Open();
    CNuvOptionSheetDlg* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), "nuvBrowser Options");
    ASSERT_EQ(sheet->Pages()->count(), 2);
    EXPECT_EQ(sheet->Pages()->tabText(0), "Key Setting");
    EXPECT_EQ(sheet->Pages()->tabText(1), "nuvBrowser Options");
    EXPECT_EQ(sheet->Pages()->currentIndex(), 0);
    ExpectCentred(sheet);
    // The focus starts on the binding list, the page's first control.
    ASSERT_TRUE(BecomesActive(sheet));
    EXPECT_EQ(QApplication::focusWidget(), sheet->GetDlgItem(CNuvOptionKeyPage::IDC_KEY_LIST));

    CNuvOptionKeyPage* page = KeyPage(sheet);
    ASSERT_NE(page, nullptr);
    const QStringList lines = Lines(page);
    ASSERT_EQ(lines.size(), CKeyAccelTable::kDefaultCount);
    EXPECT_EQ(lines[0], "Ctrl+A\tFocus to Favorites");
    EXPECT_EQ(lines[4], "Ctrl+Shift+J\tImages OFF-display");
    EXPECT_EQ(lines[14], "Ctrl+M\tAddress Bar");
    EXPECT_EQ(lines[15], "Ctrl+Shift+Z\tReopen Closed Window");
    auto* functions = Item<QComboBox>(sheet, CNuvOptionKeyPage::IDC_FUNCTION);
    ASSERT_EQ(functions->count(), 35);
    EXPECT_EQ(functions->itemText(0), "Focus to Favorites");
    EXPECT_EQ(functions->itemText(32), "Move to Next Window");
    EXPECT_EQ(functions->itemText(33), "Downloads");
    EXPECT_EQ(functions->itemText(34), "Reopen Closed Window");
    EXPECT_EQ(functions->currentIndex(), -1);
    EXPECT_TRUE(
        Item<QTreeWidget>(sheet, CNuvOptionKeyPage::IDC_KEY_LIST)->selectedItems().isEmpty());

    // Choosing the Ctrl+Shift+J line shows it in the controls.
    auto* list = Item<QTreeWidget>(sheet, CNuvOptionKeyPage::IDC_KEY_LIST);
    Click(Item<QCheckBox>(sheet, CNuvOptionKeyPage::IDC_ALT));
    const QRect line = list->visualItemRect(list->topLevelItem(4));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(Item<QLineEdit>(sheet, CNuvOptionKeyPage::IDC_KEY)->text(), "J");
    EXPECT_TRUE(Item<QCheckBox>(sheet, CNuvOptionKeyPage::IDC_CTRL)->isChecked());
    EXPECT_FALSE(Item<QCheckBox>(sheet, CNuvOptionKeyPage::IDC_ALT)->isChecked());
    EXPECT_TRUE(Item<QCheckBox>(sheet, CNuvOptionKeyPage::IDC_SHIFT)->isChecked());
    EXPECT_EQ(functions->currentText(), "Images OFF-display");
    QTest::keyClick(sheet, Qt::Key_Escape);
    ASSERT_TRUE(Gone(sheet));
}

TEST_F(NuvOptionSheetTest, KeyListShowsWholeLinesAndTheFunctionListScrolls)
{
    Open();
    CNuvOptionSheetDlg* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(BecomesActive(sheet));
    auto* list = Item<QTreeWidget>(sheet, CNuvOptionKeyPage::IDC_KEY_LIST);
    const int nLine = list->visualItemRect(list->topLevelItem(0)).height();
    ASSERT_GT(nLine, 0);
    EXPECT_EQ(list->viewport()->height() % nLine, 0) << "the last line shown is whole";
    EXPECT_GE(list->viewport()->height() / nLine, 10);

    // The style lists a drop-down's rows all at once unless told otherwise.
    auto* functions = Item<QComboBox>(sheet, CNuvOptionKeyPage::IDC_FUNCTION);
    QStyleOptionComboBox option;
    option.initFrom(functions);
    ASSERT_TRUE(QApplication::style()->styleHint(QStyle::SH_ComboBox_Popup, &option, nullptr));
    functions->showPopup();
    QAbstractItemView* popup = functions->view();
    ASSERT_TRUE(WaitFor([&] { return popup->isVisible(); }));
    const int nRow = popup->visualRect(functions->model()->index(0, 0)).height();
    ASSERT_GT(nRow, 0);
    EXPECT_LE(popup->height(), 13 * nRow) << "about twelve rows at most";
    EXPECT_GT(popup->verticalScrollBar()->maximum(), 0) << "the other rows scroll";
    EXPECT_LE(popup->window()->frameGeometry().bottom(), sheet->screen()->geometry().bottom());
    functions->hidePopup();
    QTest::keyClick(sheet, Qt::Key_Escape);
    ASSERT_TRUE(Gone(sheet));
}

TEST_F(NuvOptionSheetTest, KeyFieldTakesOneBindableCharacterInUpperCase)
{
    Open();
    CNuvOptionSheetDlg* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    auto* edit = Item<QLineEdit>(sheet, CNuvOptionKeyPage::IDC_KEY);
    const struct
    {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"k", "K"}, {"kj", "K"}, {"7", "7"}, {",", ""}, {"-x", "X"}, {"\xc3\xa9", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        edit->clear();
        for (const QChar ch : QString::fromUtf8(c.typed)) {
            // Typed as the keyboard sends it, also for a letter beyond ASCII.
            QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), Qt::NoModifier, ch);
            QApplication::sendEvent(edit, &press);
        }
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown));
    }
    QTest::keyClick(sheet, Qt::Key_Escape);
    ASSERT_TRUE(Gone(sheet));
}

TEST_F(NuvOptionSheetTest, SetReplaceAndDeleteEditTheListInPlace)
{
    const struct
    {
        const char* name;
        QString key;
        bool bCtrl, bAlt, bShift;
        QString function;
        bool bDelete;
        int nLine;    // the line to look at afterwards
        QString line; // its text
        int nCount;   // lines afterwards
    } cases[] = {
        {"set replaces the line of the same keys", "n", true, false, false, "History", false, 7,
         "Ctrl+N\tHistory", kDefault},
        {"set of new keys appends", "a", true, true, false, "Back", false, kDefault,
         "Ctrl+Alt+A\tBack", kDefault + 1},
        {"set with an empty key field", "", true, false, false, "Back", false, kDefault, "\tBack",
         kDefault + 1},
        {"set with a blank", " ", true, false, false, "Back", false, kDefault, "Ctrl+Space\tBack",
         kDefault + 1},
        {"set without a function does nothing", "q", true, false, false, "", false, 14,
         "Ctrl+M\tAddress Bar", kDefault},
        {"delete removes the exact entry", "j", true, false, true, "Images OFF-display", true, 4,
         "Ctrl+K\tSound ON", kDefault - 1},
        {"delete needs the same function", "j", true, false, true, "Images ON-display", true, 4,
         "Ctrl+Shift+J\tImages OFF-display", kDefault},
    };
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CNuvOptionSheetDlg* sheet = OpenSheet();
        ASSERT_NE(sheet, nullptr);
        CNuvOptionKeyPage* page = KeyPage(sheet);
        SetControls(sheet, c.key, c.bCtrl, c.bAlt, c.bShift, c.function);
        Click(sheet->GetDlgItem(c.bDelete ? CNuvOptionKeyPage::IDC_DELETE
                                          : CNuvOptionKeyPage::IDC_SET));
        EXPECT_EQ(page->GetLineCount(), c.nCount);
        EXPECT_EQ(page->GetLineText(c.nLine), c.line);
        EXPECT_EQ(frame->m_keyAccelTable.GetEntryCount(), c.nCount);
        // The line Set made is chosen and shown; nothing is chosen after a Delete.
        auto* list = Item<QTreeWidget>(sheet, CNuvOptionKeyPage::IDC_KEY_LIST);
        const bool bSetLine = !c.bDelete && !c.function.isEmpty();
        EXPECT_EQ(list->selectedItems(), bSetLine
                                             ? QList<QTreeWidgetItem*>{list->topLevelItem(c.nLine)}
                                             : QList<QTreeWidgetItem*>{});
        if (bSetLine) {
            EXPECT_TRUE(list->viewport()->rect().contains(
                list->visualItemRect(list->topLevelItem(c.nLine))))
                << "line " << c.nLine << " is scrolled into view";
        }
        // After a change no function is chosen: a second Set does nothing.
        EXPECT_EQ(Item<QComboBox>(sheet, CNuvOptionKeyPage::IDC_FUNCTION)->currentIndex(), -1);
        Click(sheet->GetDlgItem(CNuvOptionKeyPage::IDC_SET));
        EXPECT_EQ(page->GetLineCount(), c.nCount);
        // Cancel drops the edits: the next showing has the stored table.
        QTest::keyClick(sheet, Qt::Key_Escape);
        ASSERT_TRUE(Gone(sheet));
        EXPECT_EQ(frame->m_keyAccelTable.GetEntryCount(), kDefault);
        EXPECT_FALSE(frame->m_keyAccelTable.IsModified());
        EXPECT_EQ(StoredTable(), QByteArray());
    }
    // Nothing of it reached the keys: Ctrl+N still makes a new window.
    const int nPanes = PaneCount();
    Key(Qt::Key_N);
    EXPECT_EQ(PaneCount(), nPanes + 1);
}

TEST_F(NuvOptionSheetTest, OkStoresTheBindingAndItWorksAtOnceAndAfterARestart)
{
    Open();
    CFakeBrowserControl* page = PageThatCanGoBack();
    CNuvOptionSheetDlg* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    SetControls(sheet, "k", true, false, false, "Back");
    Click(sheet->GetDlgItem(CNuvOptionKeyPage::IDC_SET));
    // Until OK the old binding holds: Ctrl+K is still "Sound ON".
    EXPECT_EQ(MenuText(ID_GO_BACK), "&Back\tAlt+Left"); // the desktop key
    Click(sheet->GetDlgItem(CNuvDialog::IDOK));
    ASSERT_TRUE(Gone(sheet));

    EXPECT_EQ(MenuText(ID_GO_BACK), "&Back\tCtrl+K");
    page->ClearCalls();
    Key(Qt::Key_K);
    EXPECT_EQ(page->Calls().filter("GoBack").size(), 1);
    const QByteArray table = StoredTable();
    ASSERT_EQ(table.size(), kDefault * 8);
    // Row 6 (the default Ctrl+K) now names Back: flags, key, command.
    EXPECT_EQ(table.mid(5 * 8, 6), QByteArray::fromHex("0b004b001d80"));

    // A new start reads the stored table.
    Close();
    Open();
    page = PageThatCanGoBack();
    EXPECT_EQ(MenuText(ID_GO_BACK), "&Back\tCtrl+K");
    page->ClearCalls();
    Key(Qt::Key_K);
    EXPECT_EQ(page->Calls().filter("GoBack").size(), 1);
}

TEST_F(NuvOptionSheetTest, OkAfterADeleteOfNothingStillStoresTheTable)
{
    Open();
    CNuvOptionSheetDlg* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    SetControls(sheet, "q", true, false, false, "Back");
    Click(sheet->GetDlgItem(CNuvOptionKeyPage::IDC_DELETE));
    EXPECT_EQ(KeyPage(sheet)->GetLineCount(), kDefault);
    Click(sheet->GetDlgItem(CNuvDialog::IDOK));
    ASSERT_TRUE(Gone(sheet));
    EXPECT_NE(StoredTable(), QByteArray());
    EXPECT_EQ(Stored("KeyAccelCount").dword, quint32(kDefault));
    EXPECT_EQ(StoredTable().size(), kDefault * 8);
}

TEST_F(NuvOptionSheetTest, GeneralPageWritesEachSettingWhenClicked)
{
    app.ViewSortFavorite = 1;
    app.RunExitConfirm = 0;
    app.ViewTabWidthFixed = 0;
    app.RunLastClose = 0;
    Open();
    const struct
    {
        int nID;
        const char* text;
        int CNuvBrowserApp::*setting;
    } boxes[] = {
        {CNuvOptionPage::IDC_SORT_FAVORITES, "Sort &Favorites by Type and Then Name",
         &CNuvBrowserApp::ViewSortFavorite},
        {CNuvOptionPage::IDC_SINGLE_CLICK, "&Single-clicked Action of Favorites",
         &CNuvBrowserApp::ViewSingleFavorite},
        {CNuvOptionPage::IDC_TAB_WIDTH, "Au&to Adjust of Tab Width",
         &CNuvBrowserApp::ViewTabWidthFixed},
        {CNuvOptionPage::IDC_LAST_CLOSE, "Exit by the &Last Window closing.",
         &CNuvBrowserApp::RunLastClose},
        {CNuvOptionPage::IDC_EXIT_CONFIRM, "Confirm at the &Exit.",
         &CNuvBrowserApp::RunExitConfirm},
        {CNuvOptionPage::IDC_RESTORE_SESSION, "Restore the Pages of the Last Session at Start",
         &CNuvBrowserApp::RunRestoreSession},
    };
    for (bool bOk : {false, true}) {
        SCOPED_TRACE(bOk ? "OK" : "Cancel");
        CNuvOptionSheetDlg* sheet = OpenSheet();
        ASSERT_NE(sheet, nullptr);
        sheet->Pages()->setCurrentIndex(1);
        for (const auto& b : boxes) {
            SCOPED_TRACE(b.text);
            auto* box = Item<QCheckBox>(sheet, b.nID);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), b.text);
            EXPECT_EQ(box->isChecked(), app.*b.setting != 0);
            const int nBefore = app.*b.setting;
            Click(box);
            EXPECT_EQ(app.*b.setting, nBefore == 0 ? 1 : 0) << "written at once";
        }
        const bool bAutoWidthBefore = Tabs()->IsAutoWidth();
        const bool bCloseBefore = form->CloseButton()->isEnabled();
        Click(sheet->GetDlgItem(bOk ? CNuvDialog::IDOK : CNuvDialog::IDCANCEL));
        ASSERT_TRUE(Gone(sheet));
        if (bOk) {
            // OK applies the tab width and the close button at once.
            EXPECT_EQ(Tabs()->IsAutoWidth(), app.ViewTabWidthFixed != 0);
            EXPECT_EQ(form->CloseButton()->isEnabled(), frame->IsCommandEnabled(ID_FILE_CLOSE));
        } else {
            // Cancel keeps what was clicked, and applies nothing.
            EXPECT_EQ(app.RunExitConfirm, 1);
            EXPECT_EQ(Tabs()->IsAutoWidth(), bAutoWidthBefore);
            EXPECT_EQ(form->CloseButton()->isEnabled(), bCloseBefore);
        }
    }
    EXPECT_EQ(app.ViewSortFavorite, 1);
    EXPECT_EQ(app.RunExitConfirm, 0);
}
} // namespace

namespace {
TEST_F(NuvOptionSheetTest, GeneralPageSetsTheSleepDelaysAsTheyChange)
{
    app.RunFreezeHidden = 300;
    app.RunDiscardHidden = 0;
    Open();
    CNuvOptionSheetDlg* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->Pages()->setCurrentIndex(1);
    auto* freeze = Item<QSpinBox>(sheet, CNuvOptionPage::IDC_FREEZE_HIDDEN);
    auto* discard = Item<QSpinBox>(sheet, CNuvOptionPage::IDC_DISCARD_HIDDEN);
    ASSERT_NE(freeze, nullptr);
    ASSERT_NE(discard, nullptr);
    EXPECT_EQ(freeze->value(), 300);
    EXPECT_EQ(discard->text(), "never") << "0 is shown as never";
    discard->setFocus();
    QTest::keyClick(discard, Qt::Key_Up);
    EXPECT_EQ(app.RunDiscardHidden, 60) << "written at once";
    freeze->setValue(0);
    EXPECT_EQ(app.RunFreezeHidden, 0);
    Click(sheet->GetDlgItem(CNuvDialog::IDCANCEL));
    ASSERT_TRUE(Gone(sheet));
    EXPECT_EQ(app.RunFreezeHidden, 0) << "kept, as the check boxes are";
}
} // namespace

namespace {
TEST_F(NuvOptionSheetTest, ColorsChoiceIsWrittenAndRecoloursTheWindowsAtOnce)
{
    const auto isDark = [] {
        const QPalette pal = QApplication::palette();
        return pal.color(QPalette::Window).lightness() <
               pal.color(QPalette::WindowText).lightness();
    };
    app.ViewColorScheme = 0;
    Open();
    CNuvOptionSheetDlg* sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->Pages()->setCurrentIndex(1);
    auto* box = Item<QComboBox>(sheet, CNuvOptionPage::IDC_COLOR_SCHEME);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentIndex(), 0);
    ASSERT_FALSE(isDark());
    // Chosen by keys as a user would: the values in the order of the registry value.
    box->setFocus();
    const struct
    {
        int nValue;
        bool bDark;
    } steps[] = {{2, true}, {1, false}, {2, true}, {0, false}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.nValue);
        while (box->currentIndex() < s.nValue)
            QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > s.nValue)
            QTest::keyClick(box, Qt::Key_Up);
        EXPECT_EQ(app.ViewColorScheme, s.nValue);
        EXPECT_EQ(isDark(), s.bDark);
        QCoreApplication::processEvents(); // widgets hear of the palette from the loop
        EXPECT_EQ(form->palette().color(QPalette::Window),
                  QApplication::palette().color(QPalette::Window));
    }
    Click(sheet->GetDlgItem(CNuvDialog::IDCANCEL));
    ASSERT_TRUE(Gone(sheet));
    EXPECT_EQ(app.ViewColorScheme, 0) << "Cancel keeps the choice, as the check boxes";
}
} // namespace
