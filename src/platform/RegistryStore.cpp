// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegistryStore.h"

#include "NativeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool ReadFile(const QString& path, QByteArray* out, bool* exists)
{
    QFile f(path);
    *exists = f.exists();
    out->clear();
    if (!*exists)
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *out = f.readAll();
    return true;
}

// Keeps the original bytes among the backups beside the store (see CBackupSlots), so the
// settings go on being saved; the user is told on stderr when the oldest backup had to go.
bool KeepBackup(const QString& path, const QByteArray& original)
{
    const CBackupSlots::Kept kept = CBackupSlots(path).KeepBytes(original);
    if (kept.bDroppedOldest)
        std::fprintf(stderr,
                     "nuvbrowser: %s needed repair; its bytes are kept in %s, and the oldest of "
                     "the %d backups beside it was dropped.\n",
                     qPrintable(path), qPrintable(kept.path), CBackupSlots::kSlots);
    return !kept.path.isEmpty();
}

// What a write of the store may leave beside it: the store and its backup slots.
QStringList WrittenPaths(const QString& path)
{
    QStringList paths{path};
    for (int slot = 0; slot <= CRegistryStore::kBackupSlots; ++slot)
        paths << CRegistryStore::BackupPath(path, slot);
    return paths;
}

// An advisory lock on a file beside the store (the store itself is replaced by rename).
class CFileLock
{
public:
    explicit CFileLock(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path + ".lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC,
                      0600);
        if (m_fd >= 0) {
            int rc;
            do {
                rc = ::flock(m_fd, LOCK_EX);
            } while (rc != 0 && errno == EINTR);
            if (rc != 0) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~CFileLock()
    {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    bool Locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
} // namespace

QString CRegistryStore::DefaultPath()
{
    QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/nuvBrowser/registry.reg");
}

QString CRegistryStore::BackupPath(const QString& path, int slot)
{
    return CBackupSlots(path).SlotPath(slot);
}

CRegistryStore::CRegistryStore(QString path) : m_strPath(std::move(path)) {}

RegistryData CRegistryStore::Read() const
{
    QByteArray bytes;
    bool exists = false;
    ReadFile(m_strPath, &bytes, &exists);
    return RegistryData::Parse(bytes);
}

bool CRegistryStore::KeyExists(const QString& key) const
{
    const QString wanted = RegistryData::NormalizeKey(key);
    if (wanted.isEmpty())
        return true;
    const RegistryData data = Read();
    for (const RegKeyData& k : data.keys) {
        if (RegistryData::SameName(k.path, wanted) ||
            k.path.startsWith(wanted + QLatin1Char('\\'), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool CRegistryStore::QueryValue(const QString& key, const QString& name, RegValue* pValue) const
{
    const RegistryData data = Read();
    const RegKeyData* k = data.FindKey(key);
    const RegValue* v = k ? k->Find(name) : nullptr;
    if (v == nullptr || v->type == REG_NONE)
        return false;
    if (pValue)
        *pValue = *v;
    return true;
}

bool CRegistryStore::Update(const std::function<void(RegistryData&)>& change)
{
    const QString folder = QFileInfo(m_strPath).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    CFileLock lock(m_strPath);
    if (!lock.Locked())
        return false;
    // Every writer holds the lock around its temporary files: those found now are a killed
    // writer's.
    RemoveAtomicWriteLeftovers(WrittenPaths(m_strPath));
    QByteArray original;
    bool exists = false;
    if (!ReadFile(m_strPath, &original, &exists))
        return false; // unreadable: never written over
    RegistryData data = RegistryData::Parse(original);
    const bool bRepaired = data.NeedsRepair();
    change(data);
    const QByteArray bytes = data.Serialize();
    if (exists && bytes == original)
        return true;
    if (bRepaired && !KeepBackup(m_strPath, original))
        return false;
    if (!AtomicWrite(m_strPath, bytes))
        return false;
    ::chmod(QFile::encodeName(m_strPath).constData(), 0600);
    return true;
}

bool CRegistryStore::CreateKey(const QString& key)
{
    return Update([&](RegistryData& d) { d.CreateKey(key); });
}

bool CRegistryStore::SetValue(const QString& key, const RegValue& value)
{
    return Update([&](RegistryData& d) {
        RegKeyData& k = d.CreateKey(key);
        if (RegValue* existing = k.Find(value.name)) {
            const QString keptName = existing->name;
            *existing = value;
            existing->name = keptName;
        } else {
            k.values.append(value);
        }
    });
}

bool CRegistryStore::DeleteValue(const QString& key, const QString& name)
{
    bool found = false;
    const bool written = Update([&](RegistryData& d) {
        if (RegKeyData* k = d.FindKey(key)) {
            for (qsizetype i = 0; i < k->values.size(); ++i) {
                if (RegistryData::SameName(k->values[i].name, name)) {
                    k->values.removeAt(i);
                    found = true;
                    break;
                }
            }
        }
    });
    return written && found;
}
