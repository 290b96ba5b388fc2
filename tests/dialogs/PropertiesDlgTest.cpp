// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"

#include "dialogs/PropertiesDlg.h"
#include "panes/BrowserControl.h"

#include <QLabel>

namespace {
class PropertiesDlgTest : public DialogTest
{
protected:
    static QStringList Fields(const CPropertiesDlg* dlg)
    {
        QStringList fields;
        for (int nID :
             {CPropertiesDlg::IDC_TITLE, CPropertiesDlg::IDC_PROTOCOL, CPropertiesDlg::IDC_TYPE,
              CPropertiesDlg::IDC_SIZE, CPropertiesDlg::IDC_MODIFIED, CPropertiesDlg::IDC_ADDRESS})
            fields << dlg->GetFieldText(nID);
        return fields;
    }
    static void CloseDialog(CPropertiesDlg* dlg)
    {
        QTest::keyClick(dlg, Qt::Key_Return);
        ASSERT_TRUE(Gone(dlg));
    }
};

TEST_F(PropertiesDlgTest, OpensWithThePagesAnswer)
{
    BrowserDocumentInfo full;
    full.bOk = true;
    full.title = "Python & more";
    full.protocol = "HyperText Transfer Protocol";
    full.mimeType = "HTML Document";
    full.fileSize = "2048";
    full.lastModified = "12/10/2026 13:05:00";
    full.url = "http://127.0.0.1:8712/library/os.html";
    BrowserDocumentInfo partial;
    partial.bOk = true;
    partial.title = "T";
    partial.url = "http://t.example/";

    const struct
    {
        const char* name;
        BrowserDocumentInfo info;
        QStringList fields;
    } cases[] = {
        {"every property",
         full,
         {"Python & more", "HyperText Transfer Protocol", "HTML Document", "2048Bytes",
          "12/10/2026 13:05:00", "http://127.0.0.1:8712/library/os.html"}},
        {"unreadable ones stay empty", partial, {"T", "", "", "Bytes", "", "http://t.example/"}},
        {"no answer at all", BrowserDocumentInfo(), {"", "", "", "Bytes", "", ""}},
    };
    Open();
    CFakeBrowserControl* page = Control(form->GetActivePane());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(frame->SendCommand(ID_FILE_PROPERTIES));
        // Nothing shows until the page answers.
        QTest::qWait(20);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        ASSERT_EQ(page->m_documentQueries.size(), 1);
        page->m_documentQueries.takeFirst()(c.info);
        ASSERT_TRUE(WaitFor([] { return Showing<CPropertiesDlg>() != nullptr; }, 5000));
        CPropertiesDlg* dlg = Showing<CPropertiesDlg>();
        EXPECT_EQ(dlg->windowTitle(), "Properties");
        EXPECT_EQ(Fields(dlg), c.fields);
        ExpectCentred(dlg);
        CloseDialog(dlg);
    }
}

TEST_F(PropertiesDlgTest, ATextPaneShowsOnlyBytes)
{
    Open();
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    ASSERT_EQ(form->GetActivePane()->GetPaneKind(), PANE_TEXT);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_PROPERTIES));
    ASSERT_TRUE(WaitFor([] { return Showing<CPropertiesDlg>() != nullptr; }, 5000));
    CPropertiesDlg* dlg = Showing<CPropertiesDlg>();
    EXPECT_EQ(Fields(dlg), QStringList({"", "", "", "Bytes", "", ""}));
    // The template's placeholder never shows.
    for (const QLabel* label : dlg->findChildren<QLabel*>())
        EXPECT_NE(label->text(), "Static");
    CloseDialog(dlg);
}

TEST_F(PropertiesDlgTest, ASilentPageOpensTheDialogWhenTheQueryTimesOut)
{
    Open();
    CPaneWnd* pane = form->GetActivePane();
    pane->SetQueryTimeout(30);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_PROPERTIES));
    // A second request while the first waits asks nothing more.
    ASSERT_TRUE(frame->SendCommand(ID_FILE_PROPERTIES));
    EXPECT_EQ(Control(pane)->m_documentQueries.size(), 1);
    ASSERT_TRUE(WaitFor([] { return Showing<CPropertiesDlg>() != nullptr; }, 5000));
    CPropertiesDlg* dlg = Showing<CPropertiesDlg>();
    EXPECT_EQ(Fields(dlg), QStringList({"", "", "", "Bytes", "", ""}));
    CloseDialog(dlg);
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "one dialog for the two requests";
}

TEST_F(PropertiesDlgTest, APaneClosedBeforeItAnswersShowsNothing)
{
    Open();
    ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
    CPaneWnd* pane = form->GetActivePane();
    CFakeBrowserControl* page = Control(pane);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_PROPERTIES));
    ASSERT_EQ(page->m_documentQueries.size(), 1);
    auto answer = page->m_documentQueries.takeFirst();
    pane->Close();
    BrowserDocumentInfo info;
    info.title = "late";
    answer(info);
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The next pane is asked as usual.
    CFakeBrowserControl* other = Control(form->GetActivePane());
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_PROPERTIES));
    ASSERT_EQ(other->m_documentQueries.size(), 1);
    info.title = "other";
    other->m_documentQueries.takeFirst()(info);
    ASSERT_TRUE(WaitFor([] { return Showing<CPropertiesDlg>() != nullptr; }, 5000));
    EXPECT_EQ(Showing<CPropertiesDlg>()->GetFieldText(CPropertiesDlg::IDC_TITLE), "other");
    CloseDialog(Showing<CPropertiesDlg>());
}
} // namespace
