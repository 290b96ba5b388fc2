// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogFixture.h"

#include "dialogs/AboutDlg.h"

#include <QLabel>
#include <QMenuBar>

namespace {
class AboutDlgTest : public DialogTest
{
};

TEST_F(AboutDlgTest, ShowsVersionAndBuildDateFromTheMenuWhateverHasTheFocus)
{
    Open();
    // The focus in the address field, outside the workspace.
    AddressEdit()->setFocus();
    QAction* item = CCommandRouter::FindMenuItem(frame->GetMenuBar(), ID_APP_ABOUT);
    ASSERT_NE(item, nullptr);
    frame->GetCommandRouter().UpdateAction(item);
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    CAboutDlg* dlg = Showing<CAboutDlg>();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "About (nuvBrowser)");
    auto* version = qobject_cast<QLabel*>(dlg->GetDlgItem(CAboutDlg::IDC_VERSION));
    auto* build = qobject_cast<QLabel*>(dlg->GetDlgItem(CAboutDlg::IDC_BUILD));
    ASSERT_NE(version, nullptr);
    ASSERT_NE(build, nullptr);
    EXPECT_EQ(version->text(), "nuvBrowser Version 0.8w");
    EXPECT_EQ(version->textFormat(), Qt::PlainText);
    EXPECT_EQ(build->text(), "UPDATE : Mar 30 2003");
    EXPECT_EQ(dlg->GetDlgItem(CNuvDialog::IDCANCEL), nullptr) << "only shows: OK alone";
    ExpectCentred(dlg);
    QTest::keyClick(dlg, Qt::Key_Escape);
    ASSERT_TRUE(Gone(dlg));

    // Without a workspace the application still answers.
    frame->SetActiveView(nullptr);
    ASSERT_TRUE(frame->SendCommand(ID_APP_ABOUT));
    dlg = Showing<CAboutDlg>();
    ASSERT_NE(dlg, nullptr);
    Click(dlg->GetDlgItem(CNuvDialog::IDOK));
    ASSERT_TRUE(Gone(dlg));
    frame->SetActiveView(form);
}
} // namespace
