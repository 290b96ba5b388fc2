// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"

#include "dialogs/OpenAddressDlg.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

namespace {
class OpenAddressDlgTest : public DialogTest
{
protected:
    static QCheckBox* NewWindowBox(COpenAddressDlg* dlg)
    {
        return qobject_cast<QCheckBox*>(dlg->GetDlgItem(COpenAddressDlg::IDC_NEW_WINDOW));
    }
    static QCheckBox* NoRecordBox(COpenAddressDlg* dlg)
    {
        return qobject_cast<QCheckBox*>(dlg->GetDlgItem(COpenAddressDlg::IDC_NO_RECORD));
    }
    // Answers a showing dialog: the address typed over what the field shows, the boxes set,
    // then Enter (OK) or Escape (Cancel).
    void Answer(const QString& address, bool bNewWindow, bool bNoRecord, bool bOk)
    {
        COpenAddressDlg* dlg = Showing<COpenAddressDlg>();
        ASSERT_NE(dlg, nullptr);
        if (NewWindowBox(dlg)->isChecked() != bNewWindow)
            Click(NewWindowBox(dlg));
        if (NoRecordBox(dlg)->isChecked() != bNoRecord)
            Click(NoRecordBox(dlg));
        dlg->AddressCombo()->setFocus();
        dlg->AddressCombo()->lineEdit()->selectAll();
        QTest::keyClick(dlg->AddressCombo()->lineEdit(), Qt::Key_Delete);
        QTest::keyClicks(dlg->AddressCombo()->lineEdit(), address);
        QTest::keyClick(dlg->AddressCombo()->lineEdit(), bOk ? Qt::Key_Return : Qt::Key_Escape);
        ASSERT_TRUE(Gone(dlg));
    }
};

TEST_F(OpenAddressDlgTest, FirstShowingOffersTheTypedAddressesNewestFirst)
{
    Open();
    QString* typed = form->InternetSettings().m_strTypedUrls;
    typed[6] = "http://oldest.example/";
    typed[7] = "";
    typed[8] = "http://middle.example/";
    typed[9] = "http://newest.example/";

    // Ctrl+O is the default key of the command; the focus is in the page.
    Key(Qt::Key_O);
    auto* dlg = Showing<COpenAddressDlg>();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "Open Internet Address");
    QStringList items;
    for (int i = 0; i < dlg->AddressCombo()->count(); ++i)
        items << dlg->AddressCombo()->itemText(i);
    EXPECT_EQ(items, QStringList({"http://newest.example/", "http://middle.example/",
                                  "http://oldest.example/"}));
    EXPECT_EQ(dlg->AddressCombo()->currentText(), "");
    EXPECT_FALSE(NewWindowBox(dlg)->isChecked());
    EXPECT_FALSE(NoRecordBox(dlg)->isChecked());
    EXPECT_EQ(NewWindowBox(dlg)->text(), "New Window");
    EXPECT_EQ(NoRecordBox(dlg)->text(), "No Record of Input Address");
    EXPECT_EQ(qobject_cast<QAbstractButton*>(dlg->GetDlgItem(COpenAddressDlg::IDC_BROWSE))->text(),
              "&Browse...");
    QStringList labels;
    for (const QLabel* label : dlg->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("Type the address of a document, or computer on the internet "
                                "and nuvBrowser will open it for you."));
    EXPECT_TRUE(labels.contains("&Address:"));
    // In front, with the focus in the address field (the combo box stands for its field).
    ASSERT_TRUE(BecomesActive(dlg));
    EXPECT_EQ(QApplication::focusWidget(), dlg->AddressCombo());
    ExpectCentred(dlg);
}

TEST_F(OpenAddressDlgTest, RemembersTheLastOkForTheRun)
{
    app.ViewNewActive = 1;
    Open();
    CPaneWnd* first = form->GetActivePane();
    ASSERT_NE(first, nullptr);

    // OK with New Window: a new pane opens the address; the next showing starts from it.
    OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
    Answer("http://x.example/", true, false, true);
    ASSERT_EQ(PaneCount(), 2);
    EXPECT_EQ(Control(Pane(1))->Calls().filter("Navigate2").last(), "Navigate2 http://x.example/");
    EXPECT_FALSE(Control(first)->Calls().contains("Navigate2 http://x.example/"));

    const struct
    {
        const char* step;
        QString address; // typed over the field
        bool bNewWindow;
        bool bNoRecord;
        bool bOk;
        // The next showing.
        QString shownAddress;
        bool bShownNewWindow;
        bool bShownNoRecord;
    } steps[] = {
        {"cancel keeps the state of the last OK", "http://other.example/", false, true, false,
         "http://x.example/", true, false},
        {"OK in the active pane", "http://y.example/", false, true, true, "http://y.example/",
         false, true},
        {"refused empty address changes nothing", "", true, false, true, "http://y.example/", false,
         true},
    };
    COpenAddressDlg* dlg = OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->AddressCombo()->currentText(), "http://x.example/");
    EXPECT_TRUE(NewWindowBox(dlg)->isChecked());
    EXPECT_FALSE(NoRecordBox(dlg)->isChecked());
    QTest::keyClick(dlg, Qt::Key_Escape);
    ASSERT_TRUE(Gone(dlg));

    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
        if (s.address.isEmpty()) {
            // An empty field: OK leaves the dialog open and remembers nothing.
            dlg = Showing<COpenAddressDlg>();
            Click(NewWindowBox(dlg));
            dlg->AddressCombo()->setEditText(QString());
            Click(dlg->GetDlgItem(CNuvDialog::IDOK));
            EXPECT_EQ(Showing<COpenAddressDlg>(), dlg);
            QTest::keyClick(dlg->AddressCombo()->lineEdit(), Qt::Key_Return);
            EXPECT_EQ(Showing<COpenAddressDlg>(), dlg);
            Click(dlg->GetDlgItem(CNuvDialog::IDCANCEL));
            ASSERT_TRUE(Gone(dlg));
        } else {
            Answer(s.address, s.bNewWindow, s.bNoRecord, s.bOk);
        }
        dlg = OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->AddressCombo()->currentText(), s.shownAddress);
        EXPECT_EQ(NewWindowBox(dlg)->isChecked(), s.bShownNewWindow);
        EXPECT_EQ(NoRecordBox(dlg)->isChecked(), s.bShownNoRecord);
        QTest::keyClick(dlg, Qt::Key_Escape);
        ASSERT_TRUE(Gone(dlg));
    }
    // Only the two OKs opened anything: the second in the pane in front, no third pane.
    EXPECT_EQ(PaneCount(), 2);
    EXPECT_EQ(Control(form->GetActivePane())->Calls().filter("Navigate2").last(),
              "Navigate2 http://y.example/");
    EXPECT_EQ(Control(first)->Calls().filter("other.example").size(), 0);
}

TEST_F(OpenAddressDlgTest, NoRecordKeepsTheAddressOutOfTheTypedList)
{
    const struct
    {
        bool bNoRecord;
        bool bTyped;
    } cases[] = {{false, true}, {true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bNoRecord);
        COpenAddressDlg::s_bNoRecord = 0;
        COpenAddressDlg::s_bNewWindow = 0;
        const QString address =
            c.bNoRecord ? "http://unrecorded.example/" : "http://typed.example/";
        Open();
        OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
        Answer(address, false, c.bNoRecord, true);
        CFakeBrowserControl* page = Control(form->GetActivePane());
        ASSERT_TRUE(page->Calls().contains("Navigate2 " + address));
        // The page loads: the control reports its address.
        page->RaiseAddressChange(address);
        const QString* typed = form->InternetSettings().m_strTypedUrls;
        EXPECT_EQ(typed[CInternetSettings::kTypedSlots - 1] == address, c.bTyped);
        EXPECT_EQ(frame->m_hAddressCombo->findText(address) >= 0, c.bTyped);

        OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
        COpenAddressDlg* dlg = Showing<COpenAddressDlg>();
        EXPECT_EQ(dlg->AddressCombo()->findText(address) >= 0, c.bTyped);
        QTest::keyClick(dlg, Qt::Key_Escape);
        ASSERT_TRUE(Gone(dlg));
        Close();
    }
}

TEST_F(OpenAddressDlgTest, AnAddressOfBlanksIsHandedToThePane)
{
    Open();
    OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
    Answer("   ", false, false, true);
    EXPECT_EQ(Control(form->GetActivePane())->Calls().filter("Navigate2").last(), "Navigate2    ");
}

TEST_F(OpenAddressDlgTest, BrowsePutsTheFilePathIntoTheField)
{
    Open();
    const QString path = home.Path() + "/page one.html";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>one</p>");
    file.close();

    COpenAddressDlg* dlg = OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
    ASSERT_NE(dlg, nullptr);
    Click(dlg->GetDlgItem(COpenAddressDlg::IDC_BROWSE));
    QFileDialog* files = dlg->BrowseDialog();
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), files);
    files->selectFile(path);
    QMetaObject::invokeMethod(files, "accept");
    ASSERT_TRUE(Gone(files));
    // The dialog stays, with the path as it stands (no scheme added).
    EXPECT_EQ(Showing<COpenAddressDlg>(), dlg);
    EXPECT_EQ(dlg->AddressCombo()->currentText(), path);

    // A cancelled file dialog leaves the field alone.
    Click(dlg->GetDlgItem(COpenAddressDlg::IDC_BROWSE));
    files = dlg->BrowseDialog();
    ASSERT_NE(files, nullptr);
    files->reject();
    ASSERT_TRUE(Gone(files));
    EXPECT_EQ(dlg->AddressCombo()->currentText(), path);

    QTest::keyClick(dlg->AddressCombo()->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(Gone(dlg));
    EXPECT_EQ(Control(form->GetActivePane())->Calls().filter("Navigate2").last(),
              "Navigate2 " + path);
}

TEST_F(OpenAddressDlgTest, WithoutAPaneOkOpensNothing)
{
    Open();
    form->GetActivePane()->Close();
    ASSERT_EQ(form->GetActivePane(), nullptr);
    ASSERT_EQ(PaneCount(), 0);
    OpenBy<COpenAddressDlg>(ID_FILE_OPEN);
    Answer("http://x.example/", true, false, true);
    EXPECT_EQ(PaneCount(), 0);
    EXPECT_EQ(controls.Count(), 1);
}
} // namespace
