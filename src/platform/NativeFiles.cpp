#include "NativeFiles.h"

#include <cerrno>
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
