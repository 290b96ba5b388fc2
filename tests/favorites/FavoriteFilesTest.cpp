// SPDX-License-Identifier: GPL-3.0-or-later
// The organiser's work on the Favorites folder's files: new folders, renames, moves, deletes,
// and the names and places it refuses.
#include "TempHome.h"

#include "favorites/FavoriteFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

using Result = CFavoriteFiles::Result;

class FavoriteFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(root + "/News/Local"));
        ASSERT_TRUE(QDir().mkpath(root + "/Work"));
        Write("Site.url");
        Write("Other.URL");
        Write("Mail.url");
        Write("News/Paper.url");
        Write("Work/Site.url");
        Write("../outside.url");
    }
    void Write(const QString& rel)
    {
        QFile f(root + "/" + rel);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[InternetShortcut]\r\nURL=http://" + rel.toUtf8() + "/\r\n");
    }
    // Everything under the root, sorted, folders with a trailing "/".
    QStringList Tree() const
    {
        QStringList entries;
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            entries << QDir(root).relativeFilePath(it.filePath()) +
                           (it.fileInfo().isDir() ? "/" : "");
        }
        entries.sort();
        return entries;
    }
    QString P(const QString& rel) const { return rel.isEmpty() ? root : root + "/" + rel; }

    CTempHome home;
    QString root = home.Path() + "/Favorites";
    CFavoriteFiles files{root};
    const QStringList kStart{"Mail.url",  "News/",    "News/Local/", "News/Paper.url",
                             "Other.URL", "Site.url", "Work/",       "Work/Site.url"};
};

TEST_F(FavoriteFilesTest, NamesTheUserTypes)
{
    const std::pair<const char*, bool> cases[] = {
        {"Plain", true}, {"with blank", true}, {"Ünïcode ✓", true}, {".hidden", true},
        {"", false},     {".", false},         {"..", false},       {"a/b", false},
        {"/", false},    {"../up", false},
    };
    for (const auto& [name, bValid] : cases)
        EXPECT_EQ(CFavoriteFiles::IsValidName(QString::fromUtf8(name)), bValid) << name;
    EXPECT_FALSE(CFavoriteFiles::IsValidName(QString("nul") + QChar(0)));
    EXPECT_TRUE(CFavoriteFiles::IsValidName(QString(200, 'a')));
    EXPECT_FALSE(CFavoriteFiles::IsValidName(QString(252, 'a'))); // no room for ".url"
    EXPECT_EQ(CFavoriteFiles::ShownName(P("Other.URL")), "Other");
    EXPECT_EQ(CFavoriteFiles::ShownName(P("News")), "News");
}

// Each case starts from the same folder; the folder afterwards is as listed.
TEST_F(FavoriteFilesTest, OperationsChangeTheFilesOrNothing)
{
    struct Case
    {
        const char* what;
        std::function<Result()> run;
        Result expected;
        QStringList after; // empty: as it was
    };
    const auto changed = [this](QStringList remove, QStringList add) {
        QStringList list = kStart;
        for (const QString& r : remove)
            list.removeAll(r);
        list << add;
        list.sort();
        return list;
    };
    const Case cases[] = {
        {"new folder", [&] { return files.NewFolder(P("News"), "Sport"); }, Result::Ok,
         changed({}, {"News/Sport/"})},
        {"new folder in the root", [&] { return files.NewFolder(P(""), "Fun"); }, Result::Ok,
         changed({}, {"Fun/"})},
        {"new folder of a taken name",
         [&] { return files.NewFolder(P(""), "Work"); },
         Result::Taken,
         {}},
        {"new folder named ..", [&] { return files.NewFolder(P(""), ".."); }, Result::BadName, {}},
        {"new folder outside",
         [&] { return files.NewFolder(home.Path(), "x"); },
         Result::OutsideRoot,
         {}},
        {"rename a shortcut keeps .url", [&] { return files.Rename(P("Site.url"), "Home"); },
         Result::Ok, changed({"Site.url"}, {"Home.url"})},
        {"rename keeps the suffix's case", [&] { return files.Rename(P("Other.URL"), "O"); },
         Result::Ok, changed({"Other.URL"}, {"O.URL"})},
        {"rename a folder moves its content", [&] { return files.Rename(P("News"), "Papers"); },
         Result::Ok,
         changed({"News/", "News/Local/", "News/Paper.url"},
                 {"Papers/", "Papers/Local/", "Papers/Paper.url"})},
        {"rename into an existing shortcut asks first",
         [&] { return files.Rename(P("Site.url"), "Mail"); },
         Result::Exists,
         {}},
        {"rename into an existing shortcut, asked",
         [&] { return files.Rename(P("Site.url"), "Mail", true); }, Result::Ok,
         changed({"Site.url"}, {})},
        {"rename a folder onto a folder",
         [&] { return files.Rename(P("News"), "Work", true); },
         Result::Taken,
         {}},
        {"rename a shortcut in a folder",
         [&] { return files.Rename(P("Work/Site.url"), "Local", true); }, Result::Ok,
         changed({"Work/Site.url"}, {"Work/Local.url"})},
        {"rename with a separator",
         [&] { return files.Rename(P("Site.url"), "a/b"); },
         Result::BadName,
         {}},
        {"rename to .", [&] { return files.Rename(P("News"), "."); }, Result::BadName, {}},
        {"rename the root", [&] { return files.Rename(P(""), "Gone"); }, Result::OutsideRoot, {}},
        {"rename outside",
         [&] { return files.Rename(home.Path() + "/outside.url", "x"); },
         Result::OutsideRoot,
         {}},
        {"rename what is gone",
         [&] { return files.Rename(P("Gone.url"), "x"); },
         Result::Missing,
         {}},
        {"move a shortcut", [&] { return files.Move(P("Site.url"), P("News/Local")); }, Result::Ok,
         changed({"Site.url"}, {"News/Local/Site.url"})},
        {"move a folder", [&] { return files.Move(P("News/Local"), P("Work")); }, Result::Ok,
         changed({"News/Local/"}, {"Work/Local/"})},
        {"move where it is", [&] { return files.Move(P("Site.url"), P("")); }, Result::Ok, {}},
        {"move a folder into itself",
         [&] { return files.Move(P("News"), P("News")); },
         Result::IntoItself,
         {}},
        {"move a folder into its own folder",
         [&] { return files.Move(P("News"), P("News/Local")); },
         Result::IntoItself,
         {}},
        {"move onto a shortcut of the same name",
         [&] { return files.Move(P("Site.url"), P("Work")); },
         Result::Exists,
         {}},
        {"move onto it, asked", [&] { return files.Move(P("Site.url"), P("Work"), true); },
         Result::Ok, changed({"Site.url"}, {})},
        {"move out of the folder",
         [&] { return files.Move(P("Site.url"), home.Path()); },
         Result::OutsideRoot,
         {}},
        {"move by a path that climbs out",
         [&] { return files.Move(P("Work/../../outside.url"), P("")); },
         Result::OutsideRoot,
         {}},
        {"move into a shortcut",
         [&] { return files.Move(P("Other.URL"), P("Site.url")); },
         Result::Missing,
         {}},
        {"delete a shortcut", [&] { return files.Delete(P("Work/Site.url"), true); }, Result::Ok,
         changed({"Work/Site.url"}, {})},
        {"delete a folder and its content", [&] { return files.Delete(P("News"), true); },
         Result::Ok, changed({"News/", "News/Local/", "News/Paper.url"}, {})},
        {"delete the root", [&] { return files.Delete(P(""), true); }, Result::OutsideRoot, {}},
        {"delete outside",
         [&] { return files.Delete(home.Path() + "/outside.url", true); },
         Result::OutsideRoot,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir(root).removeRecursively());
        SetUp();
        ASSERT_EQ(Tree(), kStart);
        EXPECT_EQ(c.run(), c.expected);
        EXPECT_EQ(Tree(), c.after.isEmpty() ? kStart : c.after);
        EXPECT_TRUE(QFile::exists(home.Path() + "/outside.url"));
    }
}

TEST_F(FavoriteFilesTest, DeleteGoesToTheTrash)
{
    // The temporary home has a trash of the desktop's kind under its data folder.
    const Result result = files.Delete(P("News"));
    ASSERT_TRUE(result == Result::Ok || result == Result::NoTrash);
    if (result == Result::NoTrash) {
        EXPECT_EQ(Tree(), kStart) << "nothing deleted without asking";
        return;
    }
    EXPECT_FALSE(QFile::exists(P("News")));
    QStringList trashed;
    QDirIterator it(home.DataHome() + "/Trash/files", QDirIterator::Subdirectories);
    while (it.hasNext())
        trashed << it.next();
    EXPECT_TRUE(trashed.join(' ').contains("News/Paper.url")) << trashed.join(' ').toStdString();
}

} // namespace
