// SPDX-License-Identifier: GPL-3.0-or-later
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// An XDG variable counts only when it holds an absolute path.
QString XdgFolder(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

bool IsPrivateFolder(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}
} // namespace

QString NuvDataHome()
{
    QString base = XdgFolder("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String("/.local/share");
    return base + QLatin1String("/nuvBrowser");
}

QString DownloadsFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return !downloads.isEmpty() && QFileInfo(downloads).isDir() ? downloads : QDir::homePath();
}

QString FavoritesFolderPath()
{
    return NuvDataHome() + QLatin1String("/Favorites");
}

QString DownloadCacheFolder()
{
    QString base = XdgFolder("XDG_CACHE_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String("/.cache");
    const QString folder = base + QLatin1String("/nuvBrowser/downloads");
    if (!MakeFolderPath(folder))
        return QString();
    // A folder of ours that others may enter (made by hand, or by an old version) is closed.
    struct stat st;
    const QByteArray path = QFile::encodeName(folder);
    if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 077) != 0)
        ::chmod(path.constData(), 0700);
    return IsPrivateFolder(folder) ? folder : QString();
}

bool MakeFolderPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    qsizetype from = 1;
    for (;;) {
        const qsizetype slash = clean.indexOf(QLatin1Char('/'), from);
        const QString part = slash < 0 ? clean : clean.left(slash);
        if (::mkdir(QFile::encodeName(part).constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            break;
        from = slash + 1;
    }
    return QFileInfo(clean).isDir();
}

QString RuntimeFolder()
{
    const QString runtime = XdgFolder("XDG_RUNTIME_DIR");
    const QString folder =
        runtime.isEmpty() ? QDir::tempPath() + QStringLiteral("/nuvBrowser-%1").arg(::geteuid())
                          : runtime + QLatin1String("/nuvBrowser");
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return IsPrivateFolder(folder) ? folder : QString();
}
