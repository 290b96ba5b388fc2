// SPDX-License-Identifier: GPL-3.0-or-later
#include "favorites/FavoritesStore.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {
class FavoritesStoreTest : public ::testing::Test
{
protected:
    // QTemporaryDir cannot remove names that are not UTF-8: clear the folder by its bytes.
    void TearDown() override
    {
        ::nftw(
            QFile::encodeName(Root()).constData(),
            [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }

    QString Root() const { return m_dir.path(); }

    QByteArray Native(const QByteArray& rel) const { return QFile::encodeName(Root()) + "/" + rel; }

    // Paths are bytes, so names that are not UTF-8 can be made too.
    void MakeDir(const QByteArray& rel) const
    {
        ASSERT_EQ(::mkdir(Native(rel).constData(), 0755), 0);
    }
    void MakeFile(const QByteArray& rel, const QByteArray& bytes = QByteArray()) const
    {
        const int fd = ::open(Native(rel).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << rel.constData();
        ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
        ::close(fd);
    }
    void MakeShortcut(const QByteArray& rel, const QByteArray& address) const
    {
        MakeFile(rel, "[InternetShortcut]\r\nURL=" + address);
    }
    void MakeLink(const QByteArray& target, const QByteArray& rel) const
    {
        ASSERT_EQ(::symlink(target.constData(), Native(rel).constData()), 0);
    }

    // One line per item, indented by depth: "F name", "S name=address" or "A".
    static void Dump(const QTreeWidgetItem* parent, int depth, QStringList* pOut)
    {
        for (int i = 0; i < parent->childCount(); ++i) {
            const QTreeWidgetItem* item = parent->child(i);
            const FAVITEMDATA* rec = FavoriteRecord(item);
            QString line = QString(depth * 2, QLatin1Char(' '));
            if (!rec)
                line += "? " + item->text(0);
            else if (rec->IsAddEntry())
                line += "A";
            else if (rec->IsFolder())
                line += "F " + rec->pszName;
            else
                line += "S " + rec->pszName + "=" + QString::fromUtf8(rec->pszURL);
            pOut->append(line);
            Dump(item, depth + 1, pOut);
        }
    }
    QStringList Dump() const
    {
        QStringList out;
        Dump(m_tree.invisibleRootItem(), 0, &out);
        return out;
    }
    QStringList SortedDump() const
    {
        QStringList out = Dump();
        out.sort();
        return out;
    }

    // The dump of the add entry, then the lines of a level, the folder Y holding the same
    // level again.
    static QStringList AddEntryAndLevelInY(const QStringList& level)
    {
        QStringList expected{"A"};
        for (const QString& line : level) {
            expected.append(line);
            if (line == "F Y") {
                for (const QString& inner : level)
                    if (inner != "F Y")
                        expected.append("  " + inner);
            }
        }
        return expected;
    }

    void InsertAddEntry()
    {
        InsertFavoriteItem(&m_tree, nullptr, {FAV_ADD_ENTRY, QString(), QByteArray(), QByteArray()},
                           "To add Favorites", FAV_IMAGE_ADD_ENTRY, FAV_IMAGE_ADD_ENTRY_SELECTED);
    }

    QTemporaryDir m_dir;
    QTreeWidget m_tree;
};

TEST_F(FavoritesStoreTest, OnlyUrlFilesAndVisibleFoldersAreFavorites)
{
    MakeShortcut("News.URL", "http://news/");
    MakeShortcut("a.b.url", "http://ab/");
    MakeShortcut(".url", "http://nameless/");
    MakeShortcut("a.url.txt", "http://no/");
    MakeShortcut("readme", "http://no/");
    MakeFile("empty.url");
    MakeDir("x.url");
    MakeDir(".cache");
    MakeShortcut(".cache/hidden.url", "http://no/");
    MakeDir("Empty");

    ASSERT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 0));
    EXPECT_EQ(SortedDump(), (QStringList{"F Empty", "F x.url", "S =http://nameless/",
                                         "S News=http://news/", "S a.b=http://ab/", "S empty="}));

    for (int i = 0; i < m_tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_tree.topLevelItem(i);
        const FAVITEMDATA* rec = FavoriteRecord(item);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(item->text(0), rec->pszName);
        EXPECT_EQ(item->data(0, kFavImageRole).toInt(), rec->IsFolder() ? 0 : 2);
        EXPECT_EQ(item->data(0, kFavSelectedImageRole).toInt(), rec->IsFolder() ? 1 : 3);
        const QByteArray file =
            rec->IsFolder() ? rec->pszName.toUtf8() : rec->pszName.toUtf8() + ".url";
        if (rec->pszName == "News")
            EXPECT_EQ(rec->nativePath, Native("News.URL"));
        else
            EXPECT_EQ(rec->nativePath, Native(file));
    }
}

TEST_F(FavoritesStoreTest, SortingPutsTheAddEntryThenFoldersThenShortcutsAtEveryLevel)
{
    for (const char* level : {"", "Y/"}) {
        if (*level)
            MakeDir("Y");
        MakeShortcut(QByteArray(level) + "b.url", "b");
        MakeShortcut(QByteArray(level) + "A.url", "a");
        MakeDir(QByteArray(level) + "z");
        MakeDir(QByteArray(level) + "Beta");
        MakeDir(QByteArray(level) + "alpha");
        MakeShortcut(QByteArray(level) + "Beta.url", "B");
        MakeShortcut(QByteArray(level) + "alpha.url", "al");
    }

    InsertAddEntry();
    ASSERT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 1));
    const QStringList level = {"F Beta", "F Y",        "F alpha", "F z",
                               "S A=a",  "S alpha=al", "S b=b",   "S Beta=B"};
    const QStringList expected = AddEntryAndLevelInY(level);
    EXPECT_EQ(Dump(), expected);

    // Unsorted, the add entry inserted first stays on top; the rest comes as listed.
    m_tree.clear();
    InsertAddEntry();
    ASSERT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 0));
    EXPECT_EQ(Dump().first(), "A");
    EXPECT_EQ(Dump().size(), expected.size());
}

TEST_F(FavoritesStoreTest, UnsortedLevelsListNamesWithoutRegardToCase)
{
    // Made in name order: file systems list in hash order or newest first, never so.
    for (const char* level : {"", "Y/"}) {
        if (*level)
            MakeDir("Y");
        MakeShortcut(QByteArray(level) + "A.url", "a");
        MakeDir(QByteArray(level) + "alpha");
        MakeShortcut(QByteArray(level) + "alpha.url", "al");
        MakeShortcut(QByteArray(level) + "b.url", "b");
        MakeDir(QByteArray(level) + "Beta");
        MakeShortcut(QByteArray(level) + "Beta.url", "B");
        MakeShortcut(QByteArray(level) + "beta.URL", "b2");
        MakeDir(QByteArray(level) + "z");
        MakeShortcut(QByteArray(level) + "Zz.url", "zz");
    }
    const QStringList level = {"S A=a",    "F alpha",   "S alpha=al", "S b=b", "F Beta",
                               "S Beta=B", "S beta=b2", "F Y",        "F z",   "S Zz=zz"};
    const QStringList expected = AddEntryAndLevelInY(level);
    InsertAddEntry();
    ASSERT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 0));
    EXPECT_EQ(Dump(), expected);
}

TEST(FavoritesCompare, RulesInOrder)
{
    const FAVITEMDATA add{FAV_ADD_ENTRY, QString(), QByteArray(), QByteArray()};
    const FAVITEMDATA beta{FAV_FOLDER, "Beta", QByteArray(), QByteArray()};
    const FAVITEMDATA alpha{FAV_FOLDER, "alpha", QByteArray(), QByteArray()};
    const FAVITEMDATA sBeta{FAV_SHORTCUT, "Beta", "x", QByteArray()};
    const FAVITEMDATA sAlpha{FAV_SHORTCUT, "alpha", "x", QByteArray()};
    const FAVITEMDATA sALPHA{FAV_SHORTCUT, "ALPHA", "x", QByteArray()};
    struct Case
    {
        const FAVITEMDATA* a;
        const FAVITEMDATA* b;
        int sign;
    };
    const Case cases[] = {
        {&add, &beta, -1},     {&add, &add, 0},       {&sBeta, &add, 1},     {&add, nullptr, -1},
        {nullptr, &beta, 0},   {&sAlpha, nullptr, 0}, {&beta, &alpha, -1},   {&alpha, &beta, 1},
        {&sAlpha, &beta, 1},   {&alpha, &sBeta, -1},  {&sAlpha, &sBeta, -1}, {&sBeta, &sAlpha, 1},
        {&sAlpha, &sALPHA, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        const int r = CompareFavorites(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << "case " << n;
        ++n;
    }
}

TEST_F(FavoritesStoreTest, FoldersThatCannotBeListed)
{
    EXPECT_FALSE(FillFavoritesTree(Root() + "/missing", QString(), &m_tree, nullptr, 1));
    // An empty path never lists the root of the file system.
    EXPECT_FALSE(FillFavoritesTree(QString(), QString(), &m_tree, nullptr, 0));
    EXPECT_EQ(m_tree.topLevelItemCount(), 0);

    // A subfolder filled under a given item.
    MakeDir("sub");
    MakeShortcut("sub/s.url", "s");
    InsertAddEntry();
    QTreeWidgetItem* add = m_tree.topLevelItem(0);
    ASSERT_TRUE(FillFavoritesTree(Root(), "sub", &m_tree, add, 0));
    EXPECT_EQ(Dump(), (QStringList{"A", "  S s=s"}));
}

TEST_F(FavoritesStoreTest, UnreadableFolderStaysAsAnEmptyItem)
{
    // Root lists folders of mode 000; a folder whose path is longer than the system takes
    // cannot be listed by anyone. It is made step by step, each name relative to the last.
    const QByteArray longName(250, 'd');
    std::vector<int> chain{::open(QFile::encodeName(Root()).constData(), O_RDONLY | O_DIRECTORY)};
    ASSERT_GE(chain.back(), 0);
    // The folders of the chain go at the end, deepest first: paths cannot name them.
    const auto removeChain = [&] {
        ::unlinkat(chain.back(), "in.url", 0);
        for (size_t i = chain.size() - 1; i > 0; --i) {
            ::close(chain[i]);
            ::unlinkat(chain[i - 1], longName.constData(), AT_REMOVEDIR);
        }
        ::close(chain[0]);
    };
    qsizetype length = QFile::encodeName(Root()).size();
    while (length < PATH_MAX) { // the last folder's path is too long, its parent's is not
        ASSERT_EQ(::mkdirat(chain.back(), longName.constData(), 0755), 0);
        chain.push_back(::openat(chain.back(), longName.constData(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(chain.back(), 0);
        length += 1 + longName.size();
    }
    const int depth = int(chain.size()) - 1;
    const int file = ::openat(chain.back(), "in.url", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, "URL=in", 6), 6);
    ::close(file);

    if (::geteuid() != 0) {
        MakeDir("locked");
        MakeShortcut("locked/in.url", "in");
        ASSERT_EQ(::chmod(Native("locked").constData(), 0), 0);
    }
    EXPECT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 0));
    if (::geteuid() != 0)
        ::chmod(Native("locked").constData(), 0755);
    removeChain();

    QStringList expected;
    for (int i = 0; i < depth; ++i)
        expected << QString(i * 2, QLatin1Char(' ')) + "F " + QString::fromLatin1(longName);
    if (::geteuid() != 0)
        expected << "F locked";
    EXPECT_EQ(Dump(), expected) << "the deepest folder stays, empty";
}

TEST_F(FavoritesStoreTest, SymbolicLinkLoopsAreWalkedOnce)
{
    MakeDir("a");
    MakeShortcut("a/in.url", "in");
    MakeLink("..", "a/up");       // back to the top
    MakeLink(".", "a/self");      // to itself
    MakeLink("a", "again");       // a second way to a
    MakeLink("gone", "dead.url"); // a broken link is a shortcut that has no address

    ASSERT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 1));
    const QStringList dump = Dump();
    EXPECT_EQ(dump.count("  S in=in") + dump.count("S in=in"), 1) << dump.join('\n').toStdString();
    EXPECT_TRUE(dump.contains("S dead=")) << dump.join('\n').toStdString();
    EXPECT_LE(dump.size(), 8) << dump.join('\n').toStdString();
}

TEST_F(FavoritesStoreTest, NamesThatAreNotUtf8ShowReplacementsAndStillOpen)
{
    MakeShortcut("caf\xE9.url", "http://cafe/");
    MakeDir("d\xFF");
    MakeShortcut("d\xFF/in.url", "http://in/");

    ASSERT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 1));
    EXPECT_EQ(Dump(), (QStringList{QString("F d") + QChar(0xFFFD), "  S in=http://in/",
                                   QString("S caf") + QChar(0xFFFD) + "=http://cafe/"}));
    const FAVITEMDATA* rec = FavoriteRecord(m_tree.topLevelItem(1));
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->nativePath, Native("caf\xE9.url"));
}

TEST_F(FavoritesStoreTest, ItemsShowTheImagesOfTheTree)
{
    QList<QPixmap> images;
    for (int i = 0; i < 6; ++i) {
        QPixmap pm(16, 16);
        pm.fill(QColor::fromHsv(i * 60, 255, 255));
        images.append(pm);
    }
    MakeDir("f");
    MakeShortcut("s.url", "s");
    InsertAddEntry();
    ASSERT_TRUE(FillFavoritesTree(Root(), QString(), &m_tree, nullptr, 1));
    SetFavoritesImageList(&m_tree, images); // after the fill: the items take them up
    MakeDir("f/g");
    ASSERT_TRUE(
        FillFavoritesTree(Root(), "f", &m_tree, m_tree.topLevelItem(1), 1)); // and later ones

    const QTreeWidgetItem* items[] = {m_tree.topLevelItem(0), m_tree.topLevelItem(1),
                                      m_tree.topLevelItem(2), m_tree.topLevelItem(1)->child(0)};
    const int normal[] = {4, 0, 2, 0};
    for (int i = 0; i < 4; ++i) {
        const QIcon icon = items[i]->icon(0);
        EXPECT_EQ(icon.pixmap(16, 16, QIcon::Normal).toImage(), images[normal[i]].toImage()) << i;
        EXPECT_EQ(icon.pixmap(16, 16, QIcon::Selected).toImage(), images[normal[i] + 1].toImage())
            << i;
    }
}
} // namespace
