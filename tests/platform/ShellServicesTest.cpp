// SPDX-License-Identifier: GPL-3.0-or-later
// The mail program and the file manager are started with argument vectors: whatever an
// address or a file name holds reaches the program as one argument, never a shell. Fake
// programs on the PATH record the arguments they get. The desktop's mail handler is asked
// once, in the background.
#include "platform/ShellServices.h"
#include "TempHome.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <optional>

namespace {
// Every argument in hex on a line of its own, then "END". Each line is appended by one write:
// two recorders that run at once (the mail handler started twice) cannot mix their lines.
const char kRecorder[] = "#!/bin/sh\n"
                         "for a in \"$@\"; do line=$(printf '%s' \"$a\" | /usr/bin/od -An -tx1 | "
                         "/usr/bin/tr -d ' \\n'); echo \"$line\" >> \"$0.log\"; done\n"
                         "echo END >> \"$0.log\"\n";

class ShellServicesTest : public ::testing::Test
{
protected:
    CTempHome home;
    QString bin = home.Path() + "/bin";
    QByteArray savedPath = qgetenv("PATH");

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(bin));
        qputenv("PATH", QFile::encodeName(bin));
        ForgetMailHandler();
    }
    void TearDown() override
    {
        qputenv("PATH", savedPath);
        ForgetMailHandler();
    }

    void AddProgram(const QString& name, const QByteArray& script)
    {
        QFile f(bin + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(script);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The desktop's mail handler, once the background query answered ("?" without an answer).
    QString MailHandler()
    {
        std::optional<QString> handler;
        QObject context;
        QueryMailHandler(&context, [&](const QString& h) { handler = h; });
        WaitFor([&] { return handler.has_value(); }, 10000);
        return handler.value_or(QStringLiteral("?"));
    }

    // The arguments a recording program got, once it has finished.
    QStringList Recorded(const QString& name)
    {
        QFile log(bin + "/" + name + ".log");
        QByteArray bytes;
        WaitFor([&] {
            bytes = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            log.close();
            return bytes.endsWith("END\n");
        });
        QStringList args;
        for (const QByteArray& line : bytes.split('\n'))
            if (!line.isEmpty() && line != "END")
                args.append(QString::fromUtf8(QByteArray::fromHex(line)));
        return args;
    }
};

// Texts a page or a file name may hold: quotes, blanks, separators, substitutions, line
// ends, bytes that are no UTF-8.
const char* const kHostile[] = {
    "with blank and \"double\" and 'single' quotes",
    "a;touch INJECTED;b",
    "$(touch INJECTED)`touch INJECTED`",
    "line\nbreak\rand\ttab",
    "\xff\xfe not utf-8 \xc3",
    "| touch INJECTED & > out < in *",
};

TEST_F(ShellServicesTest, HostileTargetsReachTheFileManagerAsOneArgument)
{
    AddProgram("xdg-open", kRecorder);
    for (const char* raw : kHostile) {
        QFile::remove(bin + "/xdg-open.log");
        const QString target = QString::fromUtf8(raw);
        ASSERT_TRUE(OpenWithDesktop(target)) << raw;
        EXPECT_EQ(Recorded("xdg-open"), QStringList{target}) << raw;
    }
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + "/INJECTED"));
    EXPECT_FALSE(QFile::exists(bin + "/INJECTED"));
}

TEST_F(ShellServicesTest, DownloadedFilesOpenAsFileAddressesButNeverRun)
{
    AddProgram("xdg-open", kRecorder);
    const QString folder = home.Path() + "/Downloads";
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto make = [&](const QString& name, bool bExecutable) {
        QFile f(folder + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();
        if (bExecutable)
            f.setPermissions(f.permissions() | QFile::ExeOwner);
        return f.fileName();
    };
    const struct
    {
        QString path;
        const char* pszOpened; // the argument xdg-open gets; null: refused
    } cases[] = {
        {make("report 1.pdf", false), "file://%1/Downloads/report%201.pdf"},
        {make("-rf", false), "file://%1/Downloads/-rf"},
        {make("100% ok #1?.txt", false), "file://%1/Downloads/100%25%20ok%20%231%3F.txt"},
        {make("setup.sh", true), nullptr},
        {make("launcher.desktop", false), nullptr},
        {make("LAUNCHER.Desktop", false), nullptr},
        {folder, nullptr},                         // a folder is no file
        {folder + "/gone.zip", nullptr},           // deleted
        {QStringLiteral("report 1.pdf"), nullptr}, // relative
    };
    for (const auto& c : cases) {
        QFile::remove(bin + "/xdg-open.log");
        SCOPED_TRACE(c.path.toStdString());
        ASSERT_EQ(OpenDownloadedFile(c.path), c.pszOpened != nullptr);
        if (c.pszOpened) {
            EXPECT_EQ(Recorded("xdg-open").join('|').toStdString(),
                      QString::fromUtf8(c.pszOpened).arg(home.Path()).toStdString());
        }
    }
    // Show in Folder opens the folder that holds the file, also when the file is gone.
    QFile::remove(bin + "/xdg-open.log");
    ASSERT_TRUE(ShowFileInFolder(folder + "/gone.zip"));
    EXPECT_EQ(Recorded("xdg-open"), QStringList{"file://" + folder});
    EXPECT_FALSE(ShowFileInFolder(home.Path() + "/no/such/folder/x.zip"));
}

TEST_F(ShellServicesTest, HostileMailAddressesReachTheMailProgramAsOneArgument)
{
    struct Case
    {
        const char* what;
        bool bRegistered; // the desktop names a mailto handler
    };
    const Case cases[] = {{"registered handler", true}, {"pmail", false}};
    for (const Case& c : cases) {
        ForgetMailHandler();
        AddProgram("xdg-mime",
                   c.bRegistered ? "#!/bin/sh\necho fake-mail.desktop\n" : "#!/bin/sh\nexit 1\n");
        AddProgram("xdg-open", kRecorder);
        AddProgram("pmail", kRecorder);
        for (const char* raw : kHostile) {
            QFile::remove(bin + "/xdg-open.log");
            QFile::remove(bin + "/pmail.log");
            const QString address = QStringLiteral("mailto:") + QString::fromUtf8(raw);
            ASSERT_TRUE(StartMailTo(address)) << c.what << raw;
            if (c.bRegistered)
                EXPECT_EQ(Recorded("xdg-open"), QStringList{address}) << raw;
            else
                EXPECT_EQ(Recorded("pmail"), (QStringList{"-to", address.mid(7)})) << raw;
        }
    }
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + "/INJECTED"));
}

// Showing a folder reports whether the file manager came: xdg-open missing or failing (no
// file manager for folders: exit 3 or 4) is no success.
TEST_F(ShellServicesTest, ShowingAFolderTellsWhetherTheFileManagerCame)
{
    struct Case
    {
        const char* what;
        const char* script; // xdg-open; null: none on the PATH
        const char* folder;
        bool bShown;
    };
    const Case cases[] = {
        {"no xdg-open", nullptr, "/tmp", false},
        {"no file manager", "#!/bin/sh\nexit 3\n", "/tmp", false},
        {"the action failed", "#!/bin/sh\nexit 4\n", "/tmp", false},
        {"cannot run", "not a program\n", "/tmp", false},
        {"shown", "#!/bin/sh\nexit 0\n", "/tmp", true},
        {"file manager keeps it waiting", "#!/bin/sh\nexec /bin/sleep 20\n", "/tmp", true},
        {"an option", "#!/bin/sh\nexit 0\n", "--help", false},
        {"nothing", "#!/bin/sh\nexit 0\n", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(bin + "/xdg-open");
        if (c.script)
            AddProgram("xdg-open", c.script);
        std::optional<bool> shown;
        QObject context;
        ShowFolderWithDesktop(c.folder, &context, [&](bool b) { shown = b; });
        EXPECT_FALSE(shown.has_value()) << "answered on the event loop";
        ASSERT_TRUE(WaitFor([&] { return shown.has_value(); }, 10000));
        EXPECT_EQ(*shown, c.bShown);
    }
    // A caller that went hears nothing.
    AddProgram("xdg-open", "#!/bin/sh\nexit 3\n");
    int nAnswers = 0;
    {
        QObject context;
        ShowFolderWithDesktop("/tmp", &context, [&](bool) { ++nAnswers; });
    }
    QTest::qWait(500);
    EXPECT_EQ(nAnswers, 0);
}

TEST_F(ShellServicesTest, MissingOrFailingProgramsAreReportedOrIgnored)
{
    // Nothing on the PATH: nothing is started, and the caller hears so.
    EXPECT_FALSE(OpenWithDesktop(home.Path()));
    EXPECT_FALSE(StartMailTo("mailto:a@example.com"));
    EXPECT_EQ(MailHandler(), QString());
    EXPECT_FALSE(StartMailTo("http://example.com/"));
    // Programs that fail or hang: the start is not waited for; a hanging query gives up.
    ForgetMailHandler();
    AddProgram("xdg-open", "#!/bin/sh\nexit 3\n");
    AddProgram("pmail", "#!/bin/sh\nkill -SEGV $$\n");
    AddProgram("xdg-mime", "#!/bin/sh\nexec /bin/sleep 30\n");
    EXPECT_TRUE(OpenWithDesktop(home.Path()));
    EXPECT_EQ(MailHandler(), QString());
    EXPECT_TRUE(StartMailTo("mailto:a@example.com"));
    // Options are never handed to the file manager.
    EXPECT_FALSE(OpenWithDesktop("--help"));
    EXPECT_FALSE(OpenWithDesktop(QString()));
}
} // namespace

namespace {
TEST_F(ShellServicesTest, TheMailHandlerIsAskedOnceAndNeverWaitedFor)
{
    // The desktop answers only when the test lets it, and counts how often it is asked.
    AddProgram("xdg-mime", "#!/bin/sh\necho asked >> \"$0.log\"\n"
                           "while [ ! -e \"$0.go\" ]; do /bin/sleep 0.05; done\n"
                           "echo fake-mail.desktop\n");
    AddProgram("xdg-open", kRecorder);
    AddProgram("pmail", kRecorder);
    // Both hand-offs return while the desktop has not answered yet, and wait for it.
    ASSERT_TRUE(StartMailTo("mailto:first@example.com"));
    ASSERT_TRUE(StartMailTo("mailto:second@example.com"));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(bin + "/xdg-open.log"));
    // Its answer sends both to the registered handler (two programs, in any order).
    QFile go(bin + "/xdg-mime.go");
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.close();
    QByteArray bytes;
    WaitFor([&] {
        QFile log(bin + "/xdg-open.log");
        bytes = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        return bytes.count("END\n") == 2;
    });
    QStringList args;
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.isEmpty() && line != "END")
            args << QString::fromUtf8(QByteArray::fromHex(line));
    args.sort();
    EXPECT_EQ(args, (QStringList{"mailto:first@example.com", "mailto:second@example.com"}));
    // Later hand-offs use the kept answer at once.
    QFile::remove(bin + "/xdg-open.log");
    ASSERT_TRUE(StartMailTo("mailto:third@example.com"));
    EXPECT_EQ(Recorded("xdg-open"), QStringList{"mailto:third@example.com"});
    QFile asked(bin + "/xdg-mime.log");
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_EQ(asked.readAll(), "asked\n");
    EXPECT_FALSE(QFile::exists(bin + "/pmail.log"));
}
} // namespace
