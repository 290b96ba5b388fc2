// SPDX-License-Identifier: GPL-3.0-or-later
// The real program, started as a user would: a first start becomes the browser, a second
// one hands its address over and ends; a signal ends the browser with its settings written.
#include "LoopbackHttpServer.h"
#include "TempHome.h"
#include "WaitFor.h"
#include "app/NuvBrowserApp.h"
#include "platform/Paths.h"
#include "platform/RegKey.h"
#include "platform/SessionFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {
const QString kProgram = QStringLiteral(NUV_BINARY_DIR "/nuvbrowser");

class ProcessTest : public ::testing::Test
{
protected:
    CTempHome home;
    QProcess browser;

    void SetUp() override { browser.setProcessChannelMode(QProcess::ForwardedChannels); }
    void TearDown() override
    {
        if (browser.state() != QProcess::NotRunning) {
            browser.kill();
            browser.waitForFinished(10000);
        }
    }
    QString SocketPath() const { return home.RuntimeDir() + "/nuvBrowser/WCE_nuvBrowserClass"; }

    bool StartBrowser(const QStringList& args = {})
    {
        browser.start(kProgram, args);
        if (!browser.waitForStarted(10000))
            return false;
        // Listening, not just a socket file (a crashed browser leaves one behind).
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30000) {
            if (browser.state() == QProcess::NotRunning)
                return false;
            QLocalSocket probe;
            probe.connectToServer(SocketPath());
            if (probe.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    int RunSecond(const QStringList& args)
    {
        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(kProgram, args);
        if (!second.waitForFinished(60000))
            return -1;
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -2;
    }
    bool Terminate(int signo)
    {
        ::kill(pid_t(browser.processId()), signo);
        return browser.waitForFinished(30000) && browser.exitStatus() == QProcess::NormalExit &&
               browser.exitCode() == 0;
    }
};

TEST_F(ProcessTest, SecondStartHandsOverAndSignalsEndByTheExitRoad)
{
    ASSERT_TRUE(StartBrowser());
    EXPECT_EQ(RunSecond({"http://127.0.0.1:9/handed-over"}), 0);
    EXPECT_EQ(RunSecond({}), 0) << "an empty hand-off is answered too";
    EXPECT_EQ(browser.state(), QProcess::Running);

    ASSERT_TRUE(Terminate(SIGTERM));
    CRegKey key;
    ASSERT_TRUE(key.Open(QString::fromLatin1(CNuvBrowserApp::kOptionsKey)));
    for (const char* name :
         {"ViewMenu", "ViewFavorite", "ViewStatus", "ViewFont", "ViewNewActive", "ViewSortFavorite",
          "ViewSingleFavorite", "ViewTabWidthFixed", "ViewFavoriteWidth", "ViewNewWindow",
          "RunLastClose", "RunExitConfirm", "CheckGoogle"})
        EXPECT_TRUE(key.QueryDword(name, nullptr)) << name;
    // The hand-off instances wrote the thirteen values too: these only the browser writes.
    EXPECT_TRUE(key.QueryBinary("WindowPlacement", nullptr));
    quint32 nWidth = 0;
    EXPECT_TRUE(key.QueryDword("ViewFavoriteWidth", &nWidth));
    EXPECT_GT(nWidth, 0u) << "the browser stores the favorites width it computed";
}

TEST_F(ProcessTest, AnAddressTooLongToHandOverIsAnError)
{
    ASSERT_TRUE(StartBrowser());
    QProcess second;
    second.start(kProgram, {"http://127.0.0.1:9/" + QString(40000, QLatin1Char('a'))});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    const QByteArray err = second.readAllStandardError();
    EXPECT_TRUE(err.contains("nuvbrowser: the address is too long to hand to the running browser"))
        << err.constData();
    EXPECT_EQ(browser.state(), QProcess::Running);
    EXPECT_EQ(RunSecond({"http://127.0.0.1:9/short"}), 0) << "the browser goes on";
}

TEST_F(ProcessTest, InterruptAndHangUpEndTheBrowserToo)
{
    for (int signo : {SIGINT, SIGHUP}) {
        ASSERT_TRUE(StartBrowser()) << signo;
        EXPECT_TRUE(Terminate(signo)) << signo;
    }
}

TEST_F(ProcessTest, TheSessionFileLivesWhilePagesAreOpenAndGoesOnANormalEnd)
{
    CLoopbackHttpServer server;
    ASSERT_TRUE(server.Start());
    server.SetHtml("/a.html", "<html><head><title>A</title></head></html>");
    const CSessionFile file;
    for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signo);
        browser.start(kProgram, {server.Url("/a.html")});
        ASSERT_TRUE(browser.waitForStarted(10000));
        SessionData data;
        // The loop runs while waiting, so the server answers the browser.
        ASSERT_TRUE(WaitFor(
            [&] {
                return file.Read(&data) == CSessionFile::ReadResult::Ok &&
                       data.addresses == QStringList{server.Url("/a.html")};
            },
            60000));
        EXPECT_TRUE(Terminate(signo));
        EXPECT_FALSE(QFile::exists(file.Path()));
    }
}

TEST_F(ProcessTest, ADamagedSessionFileDoesNotStopTheStart)
{
    const CSessionFile file;
    ASSERT_TRUE(MakeFolderPath(NuvDataHome()));
    QFile damaged(file.Path());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("nuvBrowser session 1\nactive 7\n\xff");
    damaged.close();
    ASSERT_TRUE(StartBrowser());
    EXPECT_EQ(RunSecond({"http://127.0.0.1:9/handed-over"}), 0);
    EXPECT_TRUE(Terminate(SIGTERM));
    QFile backup(file.BackupPath());
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), "nuvBrowser session 1\nactive 7\n\xff");
}

TEST_F(ProcessTest, StaleSocketOfACrashedBrowserIsTakenOver)
{
    ASSERT_TRUE(StartBrowser());
    browser.kill(); // leaves its socket file behind
    browser.waitForFinished(10000);
    ASSERT_TRUE(QFile::exists(SocketPath()));
    ASSERT_TRUE(StartBrowser());
    EXPECT_EQ(RunSecond({"x"}), 0);
}
} // namespace
