// SPDX-License-Identifier: GPL-3.0-or-later
// Trouble with the history file is said once where the user sees it: the page's own status
// texts, which follow at once (its load ending, a link under the mouse), do not wipe it out.
#include "ProfileTrouble.h"
#include "WorkspaceFixture.h"

#include "panes/PageNote.h"

TEST_F(WorkspaceTest, HistoryTroubleStaysInSightOverThePagesStatusTexts)
{
    const struct
    {
        const char* name;
        bool bDamaged; // else the data folder cannot be written
        bool bStatusBar;
        const char* said;
    } cases[] = {
        {"damaged, status bar shown", true, true, "The history file was damaged"},
        {"damaged, status bar hidden", true, false, "The history file was damaged"},
        {"cannot be written, status bar hidden", false, false, "The history cannot be saved"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempHome caseHome;
        if (c.bDamaged)
            ASSERT_TRUE(WriteDamagedProfileDatabase());
        else
            ASSERT_TRUE(BlockDataHome(caseHome));
        app.ViewStatus = c.bStatusBar ? 1 : 0;
        ASSERT_NO_FATAL_FAILURE(Open());
        CFakeBrowserControl* pControl = Control(Pane(0));
        ASSERT_NE(pControl, nullptr);
        // The start page ends its load: its visit opens the history file.
        pControl->RaiseAddressChange("http://127.0.0.1/start.html");
        pControl->RaiseDocumentComplete("http://127.0.0.1/start.html");
        const auto said = [&] { return frame->GetStatusText().contains(c.said); };
        ASSERT_TRUE(WaitFor(said)) << frame->GetStatusText().toStdString();
        // Then the page's own status texts come, as they do right after a load.
        pControl->RaiseStatusTextChange("Done");
        pControl->RaiseStatusTextChange("http://127.0.0.1/link.html");
        QApplication::processEvents();
        EXPECT_TRUE(said()) << frame->GetStatusText().toStdString();
        // Without the status bar, where the user looks: over the page.
        const auto* pNote = frame->findChild<CPageNote*>("frameNotice", Qt::FindDirectChildrenOnly);
        if (c.bStatusBar) {
            EXPECT_TRUE(pNote == nullptr || !pNote->isVisible());
        } else {
            ASSERT_NE(pNote, nullptr);
            EXPECT_TRUE(pNote->isVisible());
            EXPECT_TRUE(pNote->text().startsWith(QString(c.said).left(12)))
                << pNote->text().toStdString();
            // At the page's top right corner, below the tab strip.
            const QWidget* pPage = Pane(0)->Window();
            const QRect area(pPage->mapTo(frame.get(), QPoint(0, 0)), pPage->size());
            EXPECT_TRUE(area.contains(pNote->geometry())) << pNote->geometry().y();
            EXPECT_EQ(pNote->geometry().topRight(), area.topRight());
        }
        Close();
    }
}
