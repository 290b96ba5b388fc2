// SPDX-License-Identifier: GPL-3.0-or-later
#include "favorites/FavoriteFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
const int kMaxNameBytes = 255; // what a Linux file system keeps of one name

bool IsShortcutFile(const QFileInfo& info)
{
    return !info.isDir() && info.fileName().endsWith(QLatin1String(".url"), Qt::CaseInsensitive);
}

QString Clean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
} // namespace

CFavoriteFiles::CFavoriteFiles(const QString& root) : m_root(Clean(root)) {}

bool CFavoriteFiles::IsValidName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           QFile::encodeName(name).size() + 4 <= kMaxNameBytes; // room for ".url"
}

QString CFavoriteFiles::Describe(Result result, const QString& name)
{
    switch (result) {
    case Result::Ok:
        return QString();
    case Result::BadName:
        return QStringLiteral("\"%1\" cannot be the name of a favorite or a folder: a name may "
                              "not be empty, \".\" or \"..\", nor hold a \"/\".")
            .arg(name);
    case Result::Exists:
        return QStringLiteral("There is already a favorite named \"%1\" there.").arg(name);
    case Result::Taken:
        return QStringLiteral("There is already an entry named \"%1\" there, and it is not "
                              "replaced.")
            .arg(name);
    case Result::IntoItself:
        return QStringLiteral("The folder \"%1\" cannot go into itself.").arg(name);
    case Result::OutsideRoot:
        return QStringLiteral("\"%1\" is not in the Favorites folder.").arg(name);
    case Result::Missing:
        return QStringLiteral("\"%1\" is no longer there.").arg(name);
    case Result::NoTrash:
        return QStringLiteral("\"%1\" cannot be moved to the trash.").arg(name);
    case Result::Failed:
        break;
    }
    return QStringLiteral("\"%1\" could not be changed.").arg(name);
}

QString CFavoriteFiles::ShownName(const QString& path)
{
    const QFileInfo info(path);
    return IsShortcutFile(info) ? info.fileName().chopped(4) : info.fileName();
}

bool CFavoriteFiles::IsInside(const QString& path, bool bRootToo) const
{
    const QString clean = Clean(path);
    if (clean == m_root)
        return bRootToo;
    return clean.startsWith(m_root + QLatin1Char('/'));
}

CFavoriteFiles::Result CFavoriteFiles::NewFolder(const QString& folder, const QString& name,
                                                 QString* pPath)
{
    if (!IsValidName(name))
        return Result::BadName;
    if (!IsInside(folder, true))
        return Result::OutsideRoot;
    const QString path = QDir(Clean(folder)).filePath(name);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return Result::Taken;
    if (!QDir().mkdir(path))
        return Result::Failed;
    if (pPath)
        *pPath = path;
    return Result::Ok;
}

CFavoriteFiles::Result CFavoriteFiles::PlaceAt(const QString& path, const QString& target,
                                               bool bReplace, QString* pNewPath)
{
    const QFileInfo source(path);
    const QFileInfo existing(target);
    if (target == path) {
        if (pNewPath)
            *pNewPath = target;
        return Result::Ok;
    }
    // Another spelling of the same name on a file system that ignores case is a rename too.
    const bool bSameEntry = existing.exists() && source.exists() &&
                            existing.canonicalFilePath() == source.canonicalFilePath();
    if ((existing.exists() || existing.isSymLink()) && !bSameEntry) {
        if (existing.isDir() || source.isDir())
            return Result::Taken;
        if (!bReplace)
            return Result::Exists;
    }
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) !=
        0)
        return Result::Failed;
    if (pNewPath)
        *pNewPath = target;
    return Result::Ok;
}

CFavoriteFiles::Result CFavoriteFiles::Rename(const QString& path, const QString& name,
                                              bool bReplace, QString* pNewPath)
{
    if (!IsValidName(name))
        return Result::BadName;
    if (!IsInside(path, false))
        return Result::OutsideRoot;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Result::Missing;
    const QString fileName =
        IsShortcutFile(info) ? name + info.fileName().right(4) : name; // keeps ".URL" as it was
    return PlaceAt(Clean(path), QDir(Clean(info.absolutePath())).filePath(fileName), bReplace,
                   pNewPath);
}

CFavoriteFiles::Result CFavoriteFiles::Move(const QString& path, const QString& folder,
                                            bool bReplace, QString* pNewPath)
{
    if (!IsInside(path, false) || !IsInside(folder, true))
        return Result::OutsideRoot;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Result::Missing;
    if (!QFileInfo(folder).isDir())
        return Result::Missing;
    const QString source = Clean(path);
    const QString destination = Clean(folder);
    if (info.isDir() && !info.isSymLink() &&
        (destination == source || destination.startsWith(source + QLatin1Char('/'))))
        return Result::IntoItself;
    return PlaceAt(source, QDir(destination).filePath(info.fileName()), bReplace, pNewPath);
}

CFavoriteFiles::Result CFavoriteFiles::Delete(const QString& path, bool bForGood)
{
    if (!IsInside(path, false))
        return Result::OutsideRoot;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Result::Missing;
    if (!bForGood)
        return QFile::moveToTrash(path) ? Result::Ok : Result::NoTrash;
    // A link goes itself; what it points to stays.
    const bool bOk =
        info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path);
    return bOk ? Result::Ok : Result::Failed;
}
