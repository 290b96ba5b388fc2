// SPDX-License-Identifier: GPL-3.0-or-later
// Favorites folders and shortcut files far larger than anyone makes by hand: the walk and
// the reads stay bounded and nothing crashes.
#include "favorites/FavoritesStore.h"
#include "favorites/ShortcutFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray kShortcut = "[InternetShortcut]\r\nURL=http://127.0.0.1/deep\r\n";

class FavoritesLargeInputTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path());

    // Paths longer than the system takes in one piece need removing by descriptor.
    void TearDown() override
    {
        const int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0)
            EmptyAt(fd);
    }
    static void EmptyAt(int fd)
    {
        DIR* dir = ::fdopendir(fd);
        if (!dir)
            return;
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            if (entry->d_type == DT_DIR) {
                const int sub = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
                if (sub >= 0)
                    EmptyAt(sub);
                ::unlinkat(fd, name.constData(), AT_REMOVEDIR);
            } else {
                ::unlinkat(fd, name.constData(), 0);
            }
        }
        ::closedir(dir);
    }

    // A chain of folders `levels` deep named `name`, made through descriptors so it may go
    // past the length a path can have; a shortcut in the deepest one.
    static void MakeChain(const QByteArray& top, const QByteArray& name, int levels)
    {
        int fd = ::open(top.constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        for (int i = 0; i < levels; ++i) {
            ASSERT_EQ(::mkdirat(fd, name.constData(), 0700), 0) << i;
            const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            ASSERT_GE(next, 0) << i;
            fd = next;
        }
        const int file = ::openat(fd, "deep.url", O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(file, 0);
        ASSERT_EQ(::write(file, kShortcut.constData(), kShortcut.size()), kShortcut.size());
        ::close(file);
        ::close(fd);
    }

    // How deep the first-child chain of the tree goes, and the record at its end.
    static int Depth(QTreeWidget& tree, const FAVITEMDATA** pLast)
    {
        int depth = 0;
        for (QTreeWidgetItem* item = tree.topLevelItem(0); item; item = item->child(0)) {
            *pLast = FavoriteRecord(item);
            ++depth;
        }
        return depth;
    }
};

TEST_F(FavoritesLargeInputTest, DeepAndLongNamedFoldersAreWalkedAsFarAsPathsReach)
{
    struct Case
    {
        const char* what;
        QByteArray name;
        int levels;
        bool bReachesBottom; // the path to the deepest shortcut fits in a path
    };
    const Case cases[] = {
        {"200 levels", "d", 200, true},
        {"names of 255 bytes", QByteArray(255, 'n'), 10, true},
        {"past the path limit", QByteArray(255, 'p'), 40, false},
    };
    for (const Case& c : cases) {
        const QByteArray top = root + "/" + c.what;
        ASSERT_EQ(::mkdir(top.constData(), 0700), 0);
        MakeChain(top, c.name, c.levels);
        QTreeWidget tree;
        ASSERT_TRUE(FillFavoritesTree(QFile::decodeName(top), QString(), &tree, nullptr, 1))
            << c.what;
        const FAVITEMDATA* last = nullptr;
        const int depth = Depth(tree, &last);
        ASSERT_NE(last, nullptr) << c.what;
        if (c.bReachesBottom) {
            EXPECT_EQ(depth, c.levels + 1) << c.what;
            EXPECT_TRUE(last->IsShortcut()) << c.what;
            EXPECT_EQ(last->pszURL, "http://127.0.0.1/deep") << c.what;
        } else {
            // The folders below the limit show, without content; the walk ends there.
            EXPECT_LE(depth, c.levels) << c.what;
            EXPECT_GT(depth, 4) << c.what;
        }
        EXPECT_EQ(tree.topLevelItem(0)->text(0), QString::fromUtf8(c.name)) << c.what;
    }
}

TEST_F(FavoritesLargeInputTest, HundredThousandShortcutsInOneFolder)
{
    constexpr int kCount = 100000;
    for (int i = 0; i < kCount; ++i) {
        const QByteArray path = root + "/s" + QByteArray::number(i) + ".url";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0) << i;
        ASSERT_EQ(::write(fd, kShortcut.constData(), kShortcut.size()), kShortcut.size()) << i;
        ::close(fd);
    }
    QTreeWidget tree;
    ASSERT_TRUE(FillFavoritesTree(dir.path(), QString(), &tree, nullptr, 0));
    ASSERT_EQ(tree.topLevelItemCount(), kCount);
    // Names in order without regard to case: "s0", "s1", "s10", ...
    EXPECT_EQ(tree.topLevelItem(0)->text(0), QStringLiteral("s0"));
    EXPECT_EQ(tree.topLevelItem(2)->text(0), QStringLiteral("s10"));
    EXPECT_EQ(FavoriteRecord(tree.topLevelItem(kCount - 1))->pszURL, "http://127.0.0.1/deep");
}

TEST_F(FavoritesLargeInputTest, OnlyTheStartOfAGigabyteShortcutIsRead)
{
    // A sparse file of 1 GiB whose first bytes are a shortcut; the rest is never read.
    const QByteArray path = root + "/huge.url";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, kShortcut.constData(), kShortcut.size()), kShortcut.size());
    ASSERT_EQ(::ftruncate(fd, off_t(1) << 30), 0);
    ::close(fd);
    EXPECT_EQ(ReadShortcutAddressAt(path), "http://127.0.0.1/deep");
    QTreeWidget tree;
    ASSERT_TRUE(FillFavoritesTree(dir.path(), QString(), &tree, nullptr, 1));
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(FavoriteRecord(tree.topLevelItem(0))->pszURL, "http://127.0.0.1/deep");
}
} // namespace
