// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"

#include "dialogs/HistoryDlg.h"

#include <QLabel>
#include <QListWidget>
#include <QScrollBar>

namespace {
class HistoryDlgTest : public DialogTest
{
protected:
    static QStringList Lines(const CHistoryDlg* dlg)
    {
        QStringList lines;
        for (int i = 0; i < dlg->List()->count(); ++i)
            lines << dlg->List()->item(i)->text();
        return lines;
    }
    // The active pane shows these addresses one after the other.
    void Visit(const QStringList& addresses)
    {
        for (const QString& address : addresses)
            Control(form->GetActivePane())->RaiseAddressChange(address);
    }
};

TEST_F(HistoryDlgTest, ListsTheRecentAddressesNewestFirstAndSelectsTheNewest)
{
    const struct
    {
        QStringList recent; // as the pane gives them, newest first
        QStringList lines;
        int nSelected;
    } cases[] = {
        {{"http://c/", "http://b/", "http://a/", "", ""},
         {"http://c/", "http://b/", "http://a/"},
         0},
        {{"x", "http://b/", "", "ab", "y"}, {"http://b/", "ab"}, 0},
        {{"", "", ""}, {}, -1},
        {{}, {}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recent.join(',').toStdString());
        CHistoryDlg dlg(c.recent, nullptr);
        EXPECT_EQ(Lines(&dlg), c.lines);
        EXPECT_EQ(dlg.List()->currentRow(), c.nSelected);
        // OK takes the selected line; with none it ends as Cancel does.
        dlg.show();
        Click(dlg.GetDlgItem(CNuvDialog::IDOK));
        EXPECT_EQ(dlg.result(), c.nSelected < 0 ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(dlg.GetSelected(), c.nSelected < 0 ? QString() : c.lines[c.nSelected]);
    }
}

TEST_F(HistoryDlgTest, OkOpensTheSelectionInTheActivePaneWithoutRecordingIt)
{
    Open();
    Visit({"http://a.example/", "http://b.example/", "http://c.example/", "http://c.example/"});
    CPaneWnd* pane = form->GetActivePane();
    CFakeBrowserControl* page = Control(pane);
    page->ClearCalls();

    CHistoryDlg* dlg = OpenBy<CHistoryDlg>(ID_GO_HISTORY);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "History");
    EXPECT_EQ(Lines(dlg),
              QStringList({"http://c.example/", "http://b.example/", "http://a.example/"}));
    EXPECT_EQ(dlg->List()->currentRow(), 0);
    ASSERT_TRUE(BecomesActive(dlg));
    EXPECT_EQ(QApplication::focusWidget(), dlg->List());
    const QLabel* hint = dlg->findChild<QLabel*>();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), "Select an item to jump and press [OK] button.");
    ExpectCentred(dlg);

    // Down to b, Enter.
    QTest::keyClick(dlg->List(), Qt::Key_Down);
    QTest::keyClick(dlg->List(), Qt::Key_Return);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_EQ(page->Calls().filter("Navigate2"), QStringList{"Navigate2 http://b.example/"});
    EXPECT_EQ(form->GetActivePane(), pane);
    page->RaiseAddressChange("http://b.example/");
    EXPECT_EQ(frame->m_hAddressCombo->findText("http://b.example/"), -1);
    EXPECT_EQ(form->InternetSettings().m_strTypedUrls[CInternetSettings::kTypedSlots - 1], "");
}

TEST_F(HistoryDlgTest, ADoubleClickOpensTheLineAtOnce)
{
    Open();
    Visit({"http://a.example/", "http://b.example/"});
    CHistoryDlg* dlg = OpenBy<CHistoryDlg>(ID_GO_HISTORY);
    ASSERT_NE(dlg, nullptr);
    QListWidgetItem* item = dlg->List()->item(1);
    const QPoint at = dlg->List()->visualItemRect(item).center();
    QTest::mouseClick(dlg->List()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(dlg->List()->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_EQ(Control(form->GetActivePane())->Calls().filter("Navigate2").last(),
              "Navigate2 http://a.example/");
}

TEST_F(HistoryDlgTest, CancelAndAnEmptyListOpenNothing)
{
    Open();
    CFakeBrowserControl* page = Control(form->GetActivePane());
    // No page has been shown yet: an empty list, OK is Cancel.
    CHistoryDlg* dlg = OpenBy<CHistoryDlg>(ID_GO_HISTORY);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->List()->count(), 0);
    QTest::keyClick(dlg->List(), Qt::Key_Return);
    ASSERT_TRUE(Gone(dlg));

    Visit({"http://a.example/"});
    dlg = OpenBy<CHistoryDlg>(ID_GO_HISTORY);
    ASSERT_NE(dlg, nullptr);
    QTest::keyClick(dlg->List(), Qt::Key_Escape);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_TRUE(page->Calls().filter("Navigate2 http://a.example/").isEmpty());
}

TEST_F(HistoryDlgTest, DisabledWithoutAnActivePaneAndForATextPaneEmpty)
{
    Open();
    EXPECT_TRUE(frame->IsCommandEnabled(ID_GO_HISTORY));
    Visit({"http://a.example/"});
    // The source view is a text pane: it has no addresses.
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    ASSERT_EQ(form->GetActivePane()->GetPaneKind(), PANE_TEXT);
    CHistoryDlg* dlg = OpenBy<CHistoryDlg>(ID_GO_HISTORY);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->List()->count(), 0);
    QTest::keyClick(dlg->List(), Qt::Key_Escape);
    ASSERT_TRUE(Gone(dlg));

    while (form->GetActivePane() != nullptr)
        form->GetActivePane()->Close();
    EXPECT_FALSE(frame->IsCommandEnabled(ID_GO_HISTORY));
    EXPECT_FALSE(frame->SendCommand(ID_GO_HISTORY));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(HistoryDlgTest, LongAddressesAreShortenedInTheMiddle)
{
    const QString tail = QStringLiteral("/the-end-of-it.html");
    const QString address = QStringLiteral("http://example.org/") + QString(400, 'a') + tail;
    CHistoryDlg dlg({address, QStringLiteral("http://b/")}, nullptr);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QListWidget* list = dlg.List();
    list->doItemsLayout(); // the list lays its lines out late
    // Each line fits the list's width: the list shows both ends of a long address with "…"
    // between them, and has nothing to scroll sideways.
    for (int i = 0; i < list->count(); ++i)
        EXPECT_LE(list->visualItemRect(list->item(i)).right(), list->viewport()->width()) << i;
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);

    // The whole address is still the line's text.
    EXPECT_EQ(list->item(0)->text(), address);
}
} // namespace
