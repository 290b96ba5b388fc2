// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher users start (nuvbrowser): it hands an address to a running browser on its own,
// with the browser's rules and exit statuses, and otherwise becomes the browser program with
// its arguments unchanged.
#include "app/Launcher.h"
#include "TempHome.h"
#include "WaitFor.h"
#include "platform/BrowserProgram.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
const QString kLauncher = QStringLiteral(NUV_BINARY_DIR "/nuvbrowser");

struct Finished
{
    int code = -1;
    QString err;
    qint64 pid = 0;
};

// Runs a program to its end while this process's event loop goes on (a browser of the test
// may have to answer it).
Finished RunProgram(const QString& program, const QStringList& args, const QString& workDir = {})
{
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    Finished run;
    if (!p.waitForStarted(10000))
        return run;
    run.pid = p.processId();
    if (!WaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000)) {
        p.kill();
        p.waitForFinished(5000);
        return run;
    }
    run.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    run.err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

class LauncherTest : public ::testing::Test
{
protected:
    CTempHome home;
};

TEST_F(LauncherTest, HandsOverToTheRunningBrowserWithItsRulesAndStatuses)
{
    CSingleInstance browser;
    ASSERT_EQ(browser.ClaimOrHandOff(QString()), CSingleInstance::ClaimResult::Claimed);
    QStringList received;
    bool bAnswer = true;
    browser.SetHandler([&](quint32 dwData, const QString* pText) {
        EXPECT_EQ(dwData, kHandOffData);
        received << *pText;
        return bAnswer;
    });
    QFile page(home.Path() + "/page.html");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();

    struct Case
    {
        const char* what;
        QStringList args;
        bool bAnswer;
        int code;
        QString received; // what the browser got; nothing taken when empty
        const char* err;
    };
    const QString longest(int(kMaxHandOffBytes / 2 - 1), QLatin1Char('a'));
    const Case cases[] = {
        {"an address", {"http://127.0.0.1:9/a"}, true, 0, "http://127.0.0.1:9/a", ""},
        {"the browser says no: still handed over",
         {"http://127.0.0.1:9/b"},
         false,
         0,
         "http://127.0.0.1:9/b",
         ""},
        {"after --, a dash is the address", {"--", "-x"}, true, 0, "-x", ""},
        {"a relative file is made absolute here",
         {"page.html"},
         true,
         0,
         home.Path() + "/page.html",
         ""},
        {"the longest address", {longest}, true, 0, longest, ""},
        {"one character too long", {longest + "a"}, true, 1, "", "too long"},
        {"an unknown option is answered at once", {"--bogus"}, true, 2, "", "unknown option"},
    };
    for (const Case& c : cases) {
        received.clear();
        bAnswer = c.bAnswer;
        const Finished run = RunProgram(kLauncher, c.args, home.Path());
        EXPECT_EQ(run.code, c.code) << c.what << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.err)) << c.what << "\n" << run.err.toStdString();
        if (c.received.isEmpty())
            EXPECT_TRUE(received.isEmpty()) << c.what;
        else
            EXPECT_EQ(received, QStringList{c.received}) << c.what;
    }
}

// Without a running browser the launcher becomes the browser program: a stand-in that writes
// down its process id and arguments, found beside the launcher or in ../lib/nuvbrowser.
TEST_F(LauncherTest, BecomesTheBrowserProgramWithItsArgumentsUnchanged)
{
    struct Case
    {
        const char* what;
        QString programFolder; // below the home; none when empty
        QStringList args;
        int code;
    };
    const QStringList start = {"-u", "a b.url", "--", "--", "é"};
    const Case cases[] = {
        {"beside it (the build tree)", "bin", start, 7},
        {"in lib/nuvbrowser (installed)", "lib/nuvbrowser", start, 7},
        {"a favorites command is the browser's", "bin", {"--import-favorites", "x y"}, 7},
        {"missing", "", start, CLauncher::kNoProgramStatus},
    };
    for (const Case& c : cases) {
        const QStringList& args = c.args;
        CTempHome caseHome;
        const QString root = caseHome.Path();
        ASSERT_TRUE(QDir().mkpath(root + "/bin"));
        const QString launcher = root + "/bin/nuvbrowser";
        ASSERT_TRUE(QFile::copy(kLauncher, launcher));
        const QString out = root + "/seen";
        if (!c.programFolder.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(root + "/" + c.programFolder));
            QFile fake(root + "/" + c.programFolder + "/" + CBrowserProgram::kFileName);
            ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
            fake.write("#!/bin/sh\necho $$ >'" + QFile::encodeName(out) +
                       "'\nprintf '%s\\n' \"$@\" >>'" + QFile::encodeName(out) + "'\nexit 7\n");
            fake.close();
            ASSERT_TRUE(
                fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        const Finished run = RunProgram(launcher, args);
        EXPECT_EQ(run.code, c.code) << c.what << "\n" << run.err.toStdString();
        QFile seen(out);
        if (c.programFolder.isEmpty()) {
            EXPECT_FALSE(seen.exists()) << c.what;
            EXPECT_TRUE(run.err.contains(CBrowserProgram::kFileName)) << run.err.toStdString();
            continue;
        }
        ASSERT_TRUE(seen.open(QIODevice::ReadOnly)) << c.what;
        const QStringList lines = QString::fromUtf8(seen.readAll()).split('\n');
        EXPECT_EQ(lines.value(0).toLongLong(), run.pid) << c.what << ": the same process";
        EXPECT_EQ(lines.mid(1, args.size()), args) << c.what;
    }
}
} // namespace
