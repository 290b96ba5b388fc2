// --help, --version and unknown options: answered by the program before it starts anything.
#include "app/CommandLineOptions.h"
#include "TempHome.h"

#include <QDirIterator>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
using Action = CCommandLineOptions::Action;

TEST(CommandLineOptions, OnlyDoubleDashArgumentsBeforeTheEndAreOptionsAndTheFileAfterUNever)
{
    struct Case
    {
        QStringList args;
        Action action;
    };
    const Case cases[] = {
        {{}, Action::Start},
        {{"http://127.0.0.1/--help"}, Action::Start},
        {{"-u", "--help.url"}, Action::Start},
        {{"-u", "--bogus"}, Action::Start},
        {{"-u/p/x.url"}, Action::Start},
        {{"-U", "x"}, Action::Start},
        {{"-help"}, Action::Start},
        {{"--help"}, Action::Help},
        {{"http://a/", "--help"}, Action::Help},
        {{"--version"}, Action::Version},
        {{"--version", "--help"}, Action::Version},
        {{"--bogus", "--help"}, Action::Help},
        {{"--bogus"}, Action::Error},
        {{"--Help"}, Action::Error},
        {{"--help=x"}, Action::Error},
        {{"-u"}, Action::Start},
        {{"x", "-u", "y", "--z"}, Action::Error},
        // A separate "--" ends the options; the path after "-u" is never that end.
        {{"--"}, Action::Start},
        {{"--", "--version"}, Action::Start},
        {{"--", "--bogus", "--help"}, Action::Start},
        {{"x", "--", "--help"}, Action::Start},
        {{"--version", "--"}, Action::Version},
        {{"--bogus", "--", "x"}, Action::Error},
        {{"-u", "--", "--version"}, Action::Version},
        {{"---"}, Action::Error},
    };
    for (const Case& c : cases)
        EXPECT_EQ(int(CCommandLineOptions(c.args).GetAction()), int(c.action))
            << c.args.join('|').toStdString();
    EXPECT_TRUE(CCommandLineOptions({"--bogus"}).Message().contains("'--bogus'"));
}

// The files below the temporary home, so a test can see that nothing was written.
QStringList FilesBelow(const QString& root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    found.sort();
    return found;
}

TEST(CommandLineOptions, ProgramAnswersWithoutDisplayAndWritesNothing)
{
    struct Case
    {
        QStringList args;
        int exitCode;
        const char* out; // text the standard output contains, or nothing at all when empty
        const char* err;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: nuvbrowser", ""},
        {{"http://127.0.0.1:9/", "--help"}, 0, "--version", ""},
        {{"--version"}, 0, "nuvBrowser Version 0.8w\n", ""},
        {{"--bogus"}, 2, "", "unknown option '--bogus'"},
        {{"http://127.0.0.1:9/", "--new-window"}, 2, "", "'--new-window'"},
    };
    for (const Case& c : cases) {
        CTempHome home;
        const QStringList before = FilesBelow(home.Path());
        QProcess program;
        // No display at all: a program that went on to open a window would fail instead.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(NUV_BINARY_DIR "/nuvbrowser"), c.args);
        ASSERT_TRUE(program.waitForFinished(30000));
        const std::string what = c.args.join(' ').toStdString();
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(program.exitCode(), c.exitCode) << what << "\n" << err.toStdString();
        if (*c.out)
            EXPECT_TRUE(out.contains(c.out)) << what << "\n" << out.toStdString();
        else
            EXPECT_TRUE(out.isEmpty()) << what << "\n" << out.toStdString();
        if (*c.err)
            EXPECT_TRUE(err.contains(c.err)) << what << "\n" << err.toStdString();
        else
            EXPECT_TRUE(err.isEmpty()) << what << "\n" << err.toStdString();
        EXPECT_EQ(FilesBelow(home.Path()), before) << what;
    }
}
} // namespace
