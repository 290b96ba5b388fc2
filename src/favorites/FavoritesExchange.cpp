// SPDX-License-Identifier: GPL-3.0-or-later
#include "FavoritesExchange.h"

#include "FavoritesStore.h"
#include "FavoritesTree.h"
#include "ShortcutFile.h"
#include "platform/NativeFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>
#include <map>

namespace {
const QString kUrlSuffix = QStringLiteral(".url");
constexpr qsizetype kMaxFileNameBytes = 255;
constexpr int kMaxNumber = 1000; // " (2)" ... tried before a name counts as taken for good

QString Tr(const char* text)
{
    return QCoreApplication::translate("CFavoritesExchange", text);
}

// Only addresses a favorite can lead to: a script or inline data would run in whatever page
// is shown, and a line break would cut the shortcut file's address short.
bool IsFavoriteAddress(const QString& address)
{
    const QByteArray bytes = address.toUtf8();
    if (bytes.isEmpty() || bytes.size() > kMaxShortcutAddress)
        return false;
    for (const QChar c : address) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    const QString scheme = QUrl(address).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ftp") || scheme == QLatin1String("file");
}

// base, or base + " (n)" shortened to leave room for the suffix in a file name.
QString Numbered(QString base, int n, qsizetype suffixBytes)
{
    const QString number = n > 1 ? QStringLiteral(" (%1)").arg(n) : QString();
    while (!base.isEmpty() && (base + number).toUtf8().size() + suffixBytes > kMaxFileNameBytes)
        base.chop(base.size() >= 2 && base.back().isLowSurrogate() ? 2 : 1);
    return base + number;
}

// A folder's name as a directory name: made as a favorite's, never hidden, "." or "..".
QString FolderName(const QString& name)
{
    QString dir = CFavoritesTree::ProposedFileName(name);
    if (dir.isEmpty())
        dir = Tr("Folder");
    if (dir.startsWith(QLatin1Char('.')))
        dir[0] = QLatin1Char('_');
    return dir;
}

QString ShortcutBaseName(const BookmarkNode& link)
{
    QString base = CFavoritesTree::ProposedFileName(link.name);
    if (base.isEmpty())
        base = CFavoritesTree::ProposedFileName(QUrl(link.address).host());
    return base.isEmpty() ? Tr("Favorite") : base;
}

struct Plan
{
    QStringList dirs;                    // to make, parents first
    std::map<QString, QString> files;    // path -> address, to write
    std::vector<QString> fileOrder;      // the paths in the order planned
    std::map<QString, bool> plannedDirs; // paths of the dirs above, for lookups
    int nSkipped = 0;
    int nRefused = 0;
};

void PlanList(Plan& plan, const std::vector<BookmarkNode>& nodes, const QString& dir)
{
    for (const BookmarkNode& node : nodes) {
        if (node.bFolder) {
            const QString base = FolderName(node.name);
            for (int n = 1; n <= kMaxNumber; ++n) {
                const QString path = dir + QLatin1Char('/') + Numbered(base, n, 0);
                if (plan.plannedDirs.count(path) || QFileInfo(path).isDir()) {
                    PlanList(plan, node.children, path);
                    break;
                }
                if (plan.files.count(path) || QFileInfo::exists(path) ||
                    QFileInfo(path).isSymLink())
                    continue;
                plan.dirs.append(path);
                plan.plannedDirs[path] = true;
                PlanList(plan, node.children, path);
                break;
            }
            continue;
        }
        if (!IsFavoriteAddress(node.address)) {
            ++plan.nRefused;
            continue;
        }
        const QString base = ShortcutBaseName(node);
        for (int n = 1; n <= kMaxNumber; ++n) {
            const QString path =
                dir + QLatin1Char('/') + Numbered(base, n, kUrlSuffix.size()) + kUrlSuffix;
            const auto planned = plan.files.find(path);
            if (planned != plan.files.end()) {
                if (planned->second == node.address) {
                    ++plan.nSkipped;
                    break;
                }
                continue;
            }
            const QFileInfo info(path);
            if (info.exists() || info.isSymLink()) {
                if (info.isFile() && ReadShortcutAddress(path) == node.address.toUtf8()) {
                    ++plan.nSkipped;
                    break;
                }
                continue;
            }
            if (plan.plannedDirs.count(path))
                continue;
            plan.files[path] = node.address;
            plan.fileOrder.push_back(path);
            break;
        }
    }
}

void Undo(const std::vector<QString>& written, const QStringList& made)
{
    for (auto it = written.rbegin(); it != written.rend(); ++it)
        QFile::remove(*it);
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        QDir().rmdir(*it);
}

void ReadEntries(std::vector<FavoriteEntry>& entries, std::vector<BookmarkNode>* pNodes)
{
    for (FavoriteEntry& entry : entries) {
        BookmarkNode node;
        node.bFolder = entry.record.IsFolder();
        node.name = entry.record.pszName;
        node.address = QString::fromUtf8(entry.record.pszURL);
        const QFileInfo info(QFile::decodeName(entry.record.nativePath));
        const QDateTime time = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
        node.addDate = time.isValid() ? std::max<qint64>(0, time.toSecsSinceEpoch()) : 0;
        if (node.bFolder)
            ReadEntries(entry.children, &node.children);
        else if (node.address.isEmpty())
            continue; // a shortcut that holds no address leads nowhere
        pNodes->push_back(std::move(node));
    }
}
} // namespace

CFavoritesExchange::Result CFavoritesExchange::Import(const std::vector<BookmarkNode>& roots,
                                                      const QString& folder)
{
    Result result;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        result.strError = Tr("The Favorites folder cannot be used.");
        return result;
    }
    Plan plan;
    PlanList(plan, roots, QDir(folder).absolutePath());
    QStringList made;
    std::vector<QString> written;
    for (const QString& dir : plan.dirs) {
        if (!QDir().mkdir(dir)) {
            Undo(written, made);
            result.strError = Tr("The folder %1 cannot be made.").arg(dir);
            return result;
        }
        made.append(dir);
    }
    for (const QString& path : plan.fileOrder) {
        if (!WriteShortcutFile(path, plan.files[path])) {
            Undo(written, made);
            result.strError = Tr("The favorite %1 cannot be written.").arg(path);
            return result;
        }
        written.push_back(path);
    }
    result.bOk = true;
    result.nAdded = int(written.size());
    result.nSkipped = plan.nSkipped;
    result.nRefused = plan.nRefused;
    return result;
}

CFavoritesExchange::Result CFavoritesExchange::ImportFile(const QString& path,
                                                          const QString& folder)
{
    Result result;
    QByteArray bytes;
    if (!ReadNativeFileHead(QFile::encodeName(path), CBookmarkFile::kMaxBytes + 1, &bytes)) {
        result.strError = Tr("%1 cannot be read.").arg(path);
        return result;
    }
    std::vector<BookmarkNode> roots;
    if (!CBookmarkFile::Parse(bytes, &roots, &result.strError))
        return result;
    return Import(roots, folder);
}

bool CFavoritesExchange::Read(const QString& folder, std::vector<BookmarkNode>* pRoots)
{
    std::vector<FavoriteEntry> entries;
    if (!ReadFavoritesFolder(folder, QString(), 0, &entries))
        return false;
    pRoots->clear();
    ReadEntries(entries, pRoots);
    return true;
}

bool CFavoritesExchange::ExportFile(const QString& folder, const QString& path, QString* pError)
{
    std::vector<BookmarkNode> roots;
    if (!Read(folder, &roots)) {
        *pError = Tr("The Favorites folder cannot be read.");
        return false;
    }
    if (!AtomicWrite(path, CBookmarkFile::Format(roots))) {
        *pError = Tr("%1 cannot be written.").arg(path);
        return false;
    }
    return true;
}

QString CFavoritesExchange::Summary(const Result& result)
{
    if (!result.bOk)
        return result.strError;
    QString text =
        Tr("%1 favorites added, %2 already there skipped.").arg(result.nAdded).arg(result.nSkipped);
    if (result.nRefused > 0)
        text += QLatin1Char(' ') +
                Tr("%1 addresses that are not web pages (such as javascript:) left out.")
                    .arg(result.nRefused);
    return text;
}

int CFavoritesExchange::RunCommand(bool bImport, const QString& path)
{
    const QString folder = GetFavoritesFolder();
    QString error;
    if (folder.isEmpty()) {
        error = Tr("The Favorites folder cannot be made.");
    } else if (bImport) {
        const Result result = ImportFile(path, folder);
        if (result.bOk) {
            std::fprintf(stdout, "%s\n", Summary(result).toLocal8Bit().constData());
            return 0;
        }
        error = result.strError;
    } else if (ExportFile(folder, path, &error)) {
        return 0;
    }
    std::fprintf(stderr, "nuvbrowser: %s\n", error.toLocal8Bit().constData());
    return 1;
}
