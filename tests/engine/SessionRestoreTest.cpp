// A browser that is killed leaves its pages behind; the next start offers them and brings
// them back in order, each page loading only when its pane first comes to the front.
#include "EngineWorkspace.h"
#include "ModalDriver.h"

#include "platform/SessionFile.h"
#include "workspace/SessionKeeper.h"

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
const QString kProgram = QStringLiteral(NUV_BINARY_DIR "/nuvbrowser");

class SessionRestoreTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        EngineWorkspaceTest::SetUp();
        for (const char* name : {"a", "b", "c"})
            m_server.SetHtml(QStringLiteral("/%1.html").arg(name),
                             QByteArray("<html><head><title>Page ") + name +
                                 "</title></head></html>");
        m_browser.setProcessChannelMode(QProcess::ForwardedChannels);
    }
    void TearDown() override
    {
        EngineWorkspaceTest::TearDown();
        if (m_browser.state() != QProcess::NotRunning) {
            m_browser.kill();
            m_browser.waitForFinished(10000);
        }
    }
    SessionData Stored() const
    {
        SessionData data;
        return m_file.Read(&data) == CSessionFile::ReadResult::Ok ? data : SessionData();
    }
    // A second start that hands its address to the browser; the loop runs meanwhile, so the
    // server answers the browser.
    bool HandOver(const QString& address)
    {
        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(kProgram, {address});
        return second.waitForStarted(10000) &&
               WaitFor([&] { return second.state() == QProcess::NotRunning; }, 60000) &&
               second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0;
    }

    QProcess m_browser;
    CSessionFile m_file;
};

TEST_F(SessionRestoreTest, AKilledBrowsersPagesComeBackInOrderLoadingWhenChosen)
{
    const QStringList pages = {m_server.Url("/a.html"), m_server.Url("/b.html"),
                               m_server.Url("/c.html")};
    m_browser.start(kProgram, {pages[0]});
    ASSERT_TRUE(m_browser.waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return Stored().addresses == pages.mid(0, 1); }, 60000));
    ASSERT_TRUE(HandOver(pages[1]));
    ASSERT_TRUE(HandOver(pages[2]));
    const SessionData three{pages, 2};
    ASSERT_TRUE(WaitFor([&] { return Stored() == three; }, 60000))
        << Stored().addresses.join(' ').toStdString();

    m_browser.kill(); // SIGKILL: nothing of the program runs any more
    ASSERT_TRUE(m_browser.waitForFinished(30000));
    ASSERT_EQ(Stored(), three) << "the killed browser's pages are left behind";
    const int nA = Requests("/a.html"), nB = Requests("/b.html"), nC = Requests("/c.html");

    CModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->informativeText(), "3 pages were open.");
        box->button(QMessageBox::Yes)->click();
    }});
    Open(true);
    EXPECT_EQ(driver.Handled(), 1);
    ASSERT_EQ(PaneCount(), 3);
    EXPECT_EQ(m_pForm->GetActivePane(), Pane(2));
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(2), "/c.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return Pane(2)->GetTitle() == "Page c"; }));
    EXPECT_EQ(Requests("/c.html"), nC + 1);
    // The others wait, titled by their addresses, unasked.
    EXPECT_EQ(Pane(0)->GetTitle(), pages[0]);
    EXPECT_EQ(Pane(1)->GetTitle(), pages[1]);
    EXPECT_EQ(Requests("/a.html"), nA);
    EXPECT_EQ(Requests("/b.html"), nB);

    m_pForm->SelectPane(0);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/a.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return Pane(0)->GetTitle() == "Page a"; }));
    EXPECT_EQ(Requests("/a.html"), nA + 1);
    EXPECT_EQ(Requests("/b.html"), nB);

    // The restored session is kept as it goes on, and a normal end removes it.
    EXPECT_EQ(m_pForm->Session()->Snapshot(), (SessionData{pages, 0}));
    Close();
    EXPECT_FALSE(QFile::exists(m_file.Path()));
}

} // namespace
