// SPDX-License-Identifier: GPL-3.0-or-later
// View, Downloads...: the menu item and its key open one Downloads window over the program's
// list; a download that ends while the window is closed says so in the status bar.
#include "WorkspaceFixture.h"

#include "dialogs/DownloadsDlg.h"
#include "panes/DownloadList.h"

#include <QLabel>
#include <QMenuBar>

namespace {

class DownloadsCommandTest : public WorkspaceTest
{
protected:
    CDownloadList list{std::make_unique<CMemoryDownloadStore>()};

    void SetUp() override { CDownloadList::SetInstance(&list); }
    void TearDown() override
    {
        WorkspaceTest::TearDown();
        CDownloadList::SetInstance(nullptr);
    }
    QList<CDownloadsDlg*> Windows() const
    {
        QList<CDownloadsDlg*> windows;
        for (QWidget* pWidget : QApplication::topLevelWidgets())
            if (auto* pWindow = qobject_cast<CDownloadsDlg*>(pWidget);
                pWindow && pWindow->isVisible())
                windows << pWindow;
        return windows;
    }
    QString StatusText() const
    {
        auto* pPane = frame->findChild<QLabel*>("messagePane");
        return pPane ? pPane->text() : QString();
    }
};

TEST_F(DownloadsCommandTest, OneWindowAndTheStatusBarWhileItIsClosed)
{
    Open();
    QAction* pItem = CCommandRouter::FindMenuItem(frame->GetMenuBar(), ID_VIEW_DOWNLOADS);
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(pItem->text(), "&Downloads...\tCtrl+Shift+Y");

    // Closed: an ending download is reported in the status bar.
    const qint64 nFirst = list.Begin(home.Path() + "/a.zip", "http://127.0.0.1/a.zip");
    list.End(nFirst, SDownloadRecord::Failed, "the network connection failed");
    ASSERT_TRUE(WaitFor([&] { return StatusText().contains("a.zip"); }));
    EXPECT_EQ(StatusText(), "Download of \"a.zip\": Failed: the network connection failed");

    // The command and the key both bring up the one window, with the rows.
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_DOWNLOADS));
    ASSERT_TRUE(WaitFor([&] { return Windows().size() == 1; }));
    EXPECT_NE(Windows().first()->RowWidget(nFirst), nullptr);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(frame->windowHandle(), Qt::Key_Y, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == Windows().value(0); }));
    EXPECT_EQ(Windows().size(), 1);

    // Open: the window shows it, the status bar stays as it was.
    frame->SetStatusText(QString());
    const qint64 nSecond = list.Begin(home.Path() + "/b.zip", "http://127.0.0.1/b.zip");
    EXPECT_NE(Windows().first()->RowWidget(nSecond), nullptr);
    list.End(nSecond, SDownloadRecord::Cancelled);
    QTest::qWait(50);
    EXPECT_EQ(StatusText(), QString());
    Windows().first()->close();
}

} // namespace
