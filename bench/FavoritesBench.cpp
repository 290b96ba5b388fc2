// SPDX-License-Identifier: GPL-3.0-or-later
// Fills the favorites tree from generated folders of 10,000 and of 100,000 shortcut files in
// 100 folders and sets the time of the fill beside the time of only listing and reading them.
#include "favorites/FavoritesStore.h"
#include "favorites/ShortcutFile.h"
#include "platform/NativeFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
constexpr int kFolders = 100;
constexpr int kRounds = 5;

bool Generate(const QString& root, int kFilesPerFolder)
{
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = QString("%1/Folder %2").arg(root).arg(f, 3, 10, QChar('0'));
        if (!QDir().mkpath(folder))
            return false;
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const QString address = QString("https://example.org/%1/page-%2.html").arg(f).arg(i);
            if (!WriteShortcutFile(QString("%1/Site %2.url").arg(folder).arg(i), address))
                return false;
        }
    }
    return true;
}

// Lists every folder and reads the head of every file, as the fill has to.
qsizetype ReadAll(const QByteArray& path)
{
    std::vector<NativeDirEntry> entries;
    if (!ListNativeDirectory(path, &entries))
        return 0;
    qsizetype bytes = 0;
    for (const NativeDirEntry& entry : entries) {
        const QByteArray full = path + '/' + entry.name;
        if (entry.bDirectory) {
            bytes += ReadAll(full);
        } else {
            QByteArray head;
            ReadNativeFileHead(full, kShortcutReadLimit, &head);
            bytes += head.size();
        }
    }
    return bytes;
}

// The best of a few rounds, in milliseconds.
double Best(const std::function<void()>& round)
{
    double best = 1e300;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        round();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// Prints the figures for one folder of kFolders x nFilesPerFolder shortcuts; false on failure.
bool Run(int nFilesPerFolder)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !Generate(dir.path(), nFilesPerFolder)) {
        std::fprintf(stderr, "cannot generate the favorites folder\n");
        return false;
    }
    const QByteArray native = QFile::encodeName(dir.path());
    ReadAll(native); // warm the file system's caches

    qsizetype bytes = 0;
    const double readMs = Best([&] { bytes = ReadAll(native); });
    int items = 0;
    auto fill = [&](int sort) {
        return Best([&] {
            QTreeWidget tree;
            FillFavoritesTree(dir.path(), QString(), &tree, nullptr, sort);
            items = tree.topLevelItemCount();
        });
    };
    const double fillMs = fill(0);
    const double sortedMs = fill(1);
    // At start-up a worker reads the folder and the user-interface thread only adds the items.
    double readEntriesMs = 1e300;
    double addMs = 1e300;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        std::vector<FavoriteEntry> entries;
        ReadFavoritesFolder(dir.path(), QString(), 0, &entries);
        readEntriesMs = std::min(readEntriesMs, timer.nsecsElapsed() / 1e6);
        QTreeWidget tree;
        timer.start();
        AddFavoriteEntries(&tree, nullptr, std::move(entries), 0);
        addMs = std::min(addMs, timer.nsecsElapsed() / 1e6);
    }

    std::printf("%d shortcut files in %d folders (%lld bytes read), best of %d rounds\n",
                kFolders * nFilesPerFolder, kFolders, static_cast<long long>(bytes), kRounds);
    std::printf("  reading the files:     %8.1f ms\n", readMs);
    std::printf("  filling the tree:      %8.1f ms  (%.2f x reading)\n", fillMs, fillMs / readMs);
    std::printf("  filling, sorted:       %8.1f ms  (%.2f x reading)\n", sortedMs,
                sortedMs / readMs);
    std::printf("  of it, worker's part:  %8.1f ms  (the walk into records)\n", readEntriesMs);
    std::printf("  of it, UI thread part: %8.1f ms  (the items added)\n", addMs);
    return items == kFolders;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool ok = Run(100);
    ok = Run(1000) && ok;
    return ok ? 0 : 1;
}
