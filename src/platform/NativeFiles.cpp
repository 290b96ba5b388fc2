// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativeFiles.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ListNativeDirectory(const QByteArray& path, std::vector<NativeDirEntry>* pEntries)
{
    pEntries->clear();
    if (path.isEmpty())
        return false;
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return false;
    while (const dirent* ent = ::readdir(dir)) {
        const QByteArray name(ent->d_name);
        if (name == "." || name == "..")
            continue;
        NativeDirEntry entry{name, ent->d_type == DT_DIR};
        if (ent->d_type == DT_LNK || ent->d_type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray full = path + '/' + name;
            entry.bDirectory = ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        pEntries->push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
}

bool NativeDirectoryId(const QByteArray& path, NativeDirId* pId)
{
    struct stat st;
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    pId->device = st.st_dev;
    pId->inode = st.st_ino;
    return true;
}

bool ReadNativeFileHead(const QByteArray& path, qsizetype maxBytes, QByteArray* pBytes)
{
    pBytes->clear();
    if (path.isEmpty())
        return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        pBytes->resize(maxBytes);
        qsizetype got = 0;
        while (got < maxBytes) {
            const ssize_t n = ::read(fd, pBytes->data() + got, size_t(maxBytes - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ok = false;
            if (n <= 0)
                break;
            got += n;
        }
        pBytes->resize(ok ? got : 0);
    }
    ::close(fd);
    return ok;
}

namespace {
// AtomicWrite's temporary files: the path, this mark and mkstemp's six letters and digits.
const char kTempMark[] = ".tmp.";
constexpr qsizetype kTempTail = 6;

bool IsTempName(const QByteArray& name, const QByteArray& target)
{
    const QByteArray prefix = target + kTempMark;
    if (name.size() != prefix.size() + kTempTail || !name.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

// Writes bytes to path atomically: a temporary file in the same folder, flushed, renamed.
bool AtomicWrite(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray tmp = target + kTempMark + QByteArray(kTempTail, 'X');
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tmp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmp.constData());
        return false;
    }
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

int RemoveAtomicWriteLeftovers(const QStringList& paths)
{
    if (paths.isEmpty())
        return 0;
    const QByteArray dir = QFile::encodeName(QFileInfo(paths.first()).absolutePath());
    QList<QByteArray> targets;
    for (const QString& path : paths)
        targets << QFile::encodeName(QFileInfo(path).fileName());
    std::vector<NativeDirEntry> entries;
    if (!ListNativeDirectory(dir, &entries))
        return 0;
    int removed = 0;
    for (const NativeDirEntry& entry : entries) {
        if (std::none_of(targets.cbegin(), targets.cend(),
                         [&](const QByteArray& target) { return IsTempName(entry.name, target); }))
            continue;
        const QByteArray full = dir + '/' + entry.name;
        struct stat st;
        if (::lstat(full.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && ::unlink(full.constData()) == 0)
            ++removed;
    }
    return removed;
}
