// SPDX-License-Identifier: GPL-3.0-or-later
#include "favorites/FavoritesExchange.h"
#include "favorites/ShortcutFile.h"

#include "TempHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
class FavoritesExchangeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(m_folder)); }

    // Every file and folder below the folder, sorted, with each shortcut's address.
    QStringList Listing(const QString& folder) const
    {
        QStringList out;
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString rel = path.mid(folder.size() + 1);
            out << (it.fileInfo().isDir()
                        ? rel + "/"
                        : rel + " -> " + QString::fromUtf8(ReadShortcutAddress(path)));
        }
        out.sort();
        return out;
    }

    static BookmarkNode Link(const QString& name, const QString& address)
    {
        return BookmarkNode{false, name, address, 0, {}};
    }
    static BookmarkNode Folder(const QString& name, std::vector<BookmarkNode> children)
    {
        return BookmarkNode{true, name, QString(), 0, std::move(children)};
    }

    CTempHome m_home;
    QString m_folder = m_home.Path() + "/Favorites";
};

TEST_F(FavoritesExchangeTest, ImportWritesFoldersAndShortcuts)
{
    const auto result = CFavoritesExchange::Import(
        {Folder("News", {Link("Example", "https://example.com/"),
                         Folder("Deeper", {Link("Net", "http://example.net/")})}),
         Link("Top", "https://top.example/")},
        m_folder);
    ASSERT_TRUE(result.bOk) << result.strError.toStdString();
    EXPECT_EQ(result.nAdded, 3);
    EXPECT_EQ(Listing(m_folder),
              QStringList({"News/", "News/Deeper/", "News/Deeper/Net.url -> http://example.net/",
                           "News/Example.url -> https://example.com/",
                           "Top.url -> https://top.example/"}));
}

struct NameCase
{
    const char* what;
    std::vector<BookmarkNode> roots;
    QStringList listing;
};

TEST_F(FavoritesExchangeTest, MakesNamesValidAndLeavesOutWhatIsNoFavorite)
{
    const QString longName(300, QLatin1Char('n'));
    const NameCase cases[] = {
        {"a slash and a backslash",
         {Link("a/b\\c", "https://a.example/")},
         {"a_b_c.url -> https://a.example/"}},
        {"dot names of folders",
         {Folder("..", {Link("x", "https://x.example/")}), Folder(".", {}), Folder(".hidden", {})},
         {"_./", "_./x.url -> https://x.example/", "_/", "_hidden/"}},
        {"control characters and a leading tilde",
         {Link("~a\tb\x01", "https://c.example/")},
         {"_a_b_.url -> https://c.example/"}},
        {"an over-long name",
         {Link(longName, "https://l.example/")},
         {QString(251, QLatin1Char('n')) + ".url -> https://l.example/"}},
        {"no name",
         {Link("", "https://host.example/page")},
         {"host.example.url -> https://host.example/page"}},
        {"script, data and place addresses, a line break",
         {Link("js", "javascript:alert(1)"), Link("JS", "JavaScript:alert(1)"),
          Link("data", "data:text/html,<b>x</b>"), Link("place", "place:sort=8"),
          Link("break", "https://a.example/\r\nX=y")},
         {}},
        {"one name, two addresses",
         {Link("Same", "https://one.example/"), Link("Same", "https://two.example/"),
          Link("Same", "https://one.example/")},
         {"Same (2).url -> https://two.example/", "Same.url -> https://one.example/"}},
    };
    for (const NameCase& c : cases) {
        QDir(m_folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(m_folder));
        const auto result = CFavoritesExchange::Import(c.roots, m_folder);
        ASSERT_TRUE(result.bOk) << c.what;
        EXPECT_EQ(Listing(m_folder), c.listing) << c.what;
    }
}

TEST_F(FavoritesExchangeTest, SkipsWhatIsAlreadyThereAndCounts)
{
    const std::vector<BookmarkNode> roots{Folder("F", {Link("A", "https://a.example/")}),
                                          Link("B", "https://b.example/"),
                                          Link("js", "javascript:void(0)")};
    auto result = CFavoritesExchange::Import(roots, m_folder);
    ASSERT_TRUE(result.bOk);
    EXPECT_EQ(result.nAdded, 2);
    EXPECT_EQ(result.nSkipped, 0);
    EXPECT_EQ(result.nRefused, 1);
    const QStringList before = Listing(m_folder);
    result = CFavoritesExchange::Import(roots, m_folder);
    ASSERT_TRUE(result.bOk);
    EXPECT_EQ(result.nAdded, 0);
    EXPECT_EQ(result.nSkipped, 2);
    EXPECT_EQ(Listing(m_folder), before);
    EXPECT_FALSE(CFavoritesExchange::Summary(result).isEmpty());
}

TEST_F(FavoritesExchangeTest, AFailedImportWritesNothing)
{
    // A folder already there in which no file can be made, whoever runs the test (root too):
    // it leads into /proc.
    ASSERT_TRUE(QFileInfo("/proc/self").isDir());
    ASSERT_TRUE(QFile::link("/proc/self", m_folder + "/Locked"));
    const auto result = CFavoritesExchange::Import(
        {Folder("New", {Link("A", "https://a.example/")}), Link("B", "https://b.example/"),
         Folder("Locked", {Link("C", "https://c.example/")})},
        m_folder);
    EXPECT_FALSE(result.bOk);
    EXPECT_FALSE(result.strError.isEmpty());
    EXPECT_EQ(Listing(m_folder), QStringList({"Locked/"}))
        << Listing(m_folder).join('\n').toStdString();
}

// Folders nested until the path is longer than the system takes: the deepest cannot be made,
// whatever the rights of the user.
TEST_F(FavoritesExchangeTest, AnImportFailingHalfWayTakesBackWhatItWrote)
{
    BookmarkNode deep = Link("Deep", "https://deep.example/");
    for (int i = 0; i < 25; ++i)
        deep = Folder(QString(200, QLatin1Char('a' + i)), {deep, Link("L", "https://l.example/")});
    const auto result =
        CFavoritesExchange::Import({Link("First", "https://first.example/"), deep}, m_folder);
    EXPECT_FALSE(result.bOk);
    EXPECT_FALSE(result.strError.isEmpty());
    EXPECT_TRUE(Listing(m_folder).isEmpty()) << Listing(m_folder).join('\n').toStdString();
}

TEST_F(FavoritesExchangeTest, ImportFileRefusesBadFilesWithoutWriting)
{
    const QString bad = m_home.Path() + "/notes.txt";
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("shopping list: milk");
    f.close();
    for (const QString& path : {bad, m_home.Path() + "/missing.html", m_home.Path()}) {
        const auto result = CFavoritesExchange::ImportFile(path, m_folder);
        EXPECT_FALSE(result.bOk) << path.toStdString();
        EXPECT_FALSE(result.strError.isEmpty()) << path.toStdString();
    }
    EXPECT_TRUE(Listing(m_folder).isEmpty());
}

TEST_F(FavoritesExchangeTest, RoundTripGivesTheSameTree)
{
    const QString fixtures = QStringLiteral(NUV_SOURCE_DIR "/tests/favorites/fixtures/");
    for (const char* name :
         {"firefox-bookmarks.html", "chromium-bookmarks.html", "falkon-bookmarks.html"}) {
        QDir(m_folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(m_folder));
        const auto imported = CFavoritesExchange::ImportFile(fixtures + name, m_folder);
        ASSERT_TRUE(imported.bOk) << name << imported.strError.toStdString();
        const QStringList first = Listing(m_folder);

        const QString exported = m_home.Path() + "/export.html";
        QString error;
        ASSERT_TRUE(CFavoritesExchange::ExportFile(m_folder, exported, &error)) << name;
        const QString other = m_home.Path() + "/Other";
        QDir(other).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(other));
        const auto again = CFavoritesExchange::ImportFile(exported, other);
        ASSERT_TRUE(again.bOk) << name;
        EXPECT_EQ(again.nAdded, imported.nAdded) << name;
        EXPECT_EQ(Listing(other), first) << name;
        EXPECT_FALSE(first.isEmpty()) << name;
    }
}

TEST_F(FavoritesExchangeTest, ExportGivesFileTimesAsAddDates)
{
    ASSERT_TRUE(WriteShortcutFile(m_folder + "/A.url", "https://a.example/"));
    std::vector<BookmarkNode> roots;
    ASSERT_TRUE(CFavoritesExchange::Read(m_folder, &roots));
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_GT(roots[0].addDate, 1600000000);
    QString error;
    EXPECT_FALSE(
        CFavoritesExchange::ExportFile(m_folder, m_home.Path() + "/no/such/dir/x.html", &error));
    EXPECT_FALSE(error.isEmpty());
}
} // namespace
