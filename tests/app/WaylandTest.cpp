// SPDX-License-Identifier: GPL-3.0-or-later
// The real program as a native Wayland client, under a headless Weston (skipped where Weston
// or Qt's Wayland plugin is not installed): it starts, shows pages, takes a second start's
// address and ends by the Exit road.
#include "LoopbackHttpServer.h"
#include "TempHome.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <csignal>

namespace {
const QString kProgram = QStringLiteral(NUV_BINARY_DIR "/nuvbrowser");

class WaylandTest : public ::testing::Test
{
protected:
    CTempHome home;
    CLoopbackHttpServer server;
    QProcess weston;
    QProcess browser;

    void SetUp() override
    {
        const QString westonPath = QStandardPaths::findExecutable("weston");
        const QString plugin =
            QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
        if (westonPath.isEmpty() || !QFile::exists(plugin))
            GTEST_SKIP() << "weston or qt6-wayland is not installed";
        ASSERT_TRUE(server.Start());
        ASSERT_TRUE(QDir().mkpath(home.RuntimeDir()));
        QFile::setPermissions(home.RuntimeDir(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", home.RuntimeDir());
        env.remove("DISPLAY");
        weston.setProcessEnvironment(env);
        weston.setProcessChannelMode(QProcess::MergedChannels);
        weston.start(westonPath, {"--backend=headless-backend.so", "--socket=wl-nuv",
                                  "--width=1024", "--height=768", "--idle-time=0"});
        ASSERT_TRUE(weston.waitForStarted(10000));
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(home.RuntimeDir() + "/wl-nuv"); }, 10000))
            << weston.readAll().toStdString();
        env.insert("WAYLAND_DISPLAY", "wl-nuv");
        env.insert("QT_QPA_PLATFORM", "wayland");
        browser.setProcessEnvironment(env);
        browser.setProcessChannelMode(QProcess::ForwardedChannels);
    }
    void TearDown() override
    {
        for (QProcess* p : {&browser, &weston})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(10000);
            }
    }
    int Requests(const QString& path) const { return int(server.Requests().count("GET " + path)); }
};

TEST_F(WaylandTest, TheFrameRunsAsAWaylandClientAndTakesHandOffs)
{
    server.SetHtml("/a.html", "<html><head><title>A</title></head><body>a</body></html>");
    server.SetHtml("/b.html", "<html><head><title>B</title></head><body>b</body></html>");
    browser.start(kProgram, {server.Url("/a.html")});
    ASSERT_TRUE(browser.waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return Requests("/a.html") > 0; }, 60000)) << "no page shown";

    QProcess second;
    second.setProcessEnvironment(browser.processEnvironment());
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(kProgram, {server.Url("/b.html")});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(WaitFor([&] { return Requests("/b.html") > 0; }, 30000)) << "hand-off not opened";

    ::kill(pid_t(browser.processId()), SIGTERM);
    ASSERT_TRUE(browser.waitForFinished(30000));
    EXPECT_EQ(browser.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(browser.exitCode(), 0);
}
} // namespace
