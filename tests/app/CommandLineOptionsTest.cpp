// SPDX-License-Identifier: GPL-3.0-or-later
// --help, --version and unknown options: answered by the program before it starts anything.
#include "app/CommandLineOptions.h"
#include "TempHome.h"

#include <QDirIterator>
#include <QFile>
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
        {{"--import-favorites", "b.html"}, Action::ImportFavorites},
        {{"--export-favorites", "--help"}, Action::ExportFavorites},
        {{"--import-favorites"}, Action::Error},
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

// Starts the program with no display at all: a program that went on to open a window would
// fail instead.
void StartWithoutDisplay(QProcess& program, const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(NUV_BINARY_DIR "/nuvbrowser"), args);
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
        StartWithoutDisplay(program, c.args);
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

// The favorites forms work without a display too; they write the Favorites folder or the
// file named and nothing else (no settings).
TEST(CommandLineOptions, FavoritesFormsRunWithoutDisplay)
{
    CTempHome home;
    const QString bookmarks = home.Path() + "/in.html";
    QFile in(bookmarks);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
             "<DT><A HREF=\"https://a.example/\">A</A>\n</DL><p>\n"
             "<DT><A HREF=\"javascript:x()\">J</A>\n</DL><p>\n");
    in.close();
    const auto run = [](const QStringList& args, int* pCode, QString* pErr) {
        QProcess program;
        StartWithoutDisplay(program, args);
        EXPECT_TRUE(program.waitForFinished(30000));
        *pCode = program.exitCode();
        *pErr = QString::fromLocal8Bit(program.readAllStandardError());
        return QString::fromLocal8Bit(program.readAllStandardOutput());
    };
    int code = -1;
    QString err;
    QString out = run({"--import-favorites", bookmarks}, &code, &err);
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(out.contains("1 favorites added")) << out.toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    const QString favorites = home.Path() + "/.local/share/nuvBrowser/Favorites";
    EXPECT_TRUE(QFile::exists(favorites + "/F/A.url"));

    const QString exported = home.Path() + "/out.html";
    out = run({"--export-favorites", exported}, &code, &err);
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    QFile outFile(exported);
    ASSERT_TRUE(outFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(outFile.readAll().contains("<A HREF=\"https://a.example/\""));

    const QStringList before = FilesBelow(home.Path());
    for (const QStringList& args :
         {QStringList{"--import-favorites", home.Path() + "/missing.html"},
          QStringList{"--import-favorites", home.Path() + "/.local"},
          QStringList{"--export-favorites", home.Path() + "/no/dir/out.html"}}) {
        out = run(args, &code, &err);
        EXPECT_EQ(code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(out.isEmpty());
        EXPECT_TRUE(err.startsWith("nuvbrowser: ")) << err.toStdString();
    }
    EXPECT_EQ(FilesBelow(home.Path()), before);
}
} // namespace
