// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BackupSlots.h"

#include "platform/NativeFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace {
// The file at the path holds exactly these bytes.
bool HoldsBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return QFileInfo(path).isFile() && f.size() == bytes.size() && f.open(QIODevice::ReadOnly) &&
           f.readAll() == bytes;
}

// Two regular files hold the same bytes; read a piece at a time, whatever their size.
bool SameFiles(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (!QFileInfo(a).isFile() || !QFileInfo(b).isFile() || fa.size() != fb.size() ||
        !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kPiece = 64 * 1024;
    while (!fa.atEnd()) {
        const QByteArray piece = fa.read(kPiece);
        if (piece.isEmpty() || fb.read(kPiece) != piece)
            return false;
    }
    return fb.atEnd();
}

bool Rename(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Finds the backup's slot: `holds` tells whether a slot already holds the backup's bytes and
// `put` puts them at a path where no file is.
CBackupSlots::Kept Place(const CBackupSlots& backups,
                         const std::function<bool(const QString&)>& holds,
                         const std::function<bool(const QString&)>& put)
{
    CBackupSlots::Kept kept;
    for (int slot = 0; slot < CBackupSlots::kSlots; ++slot) {
        const QString path = backups.SlotPath(slot);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
            if (put(path))
                kept.path = path;
            return kept;
        }
        if (holds(path)) {
            kept.path = path;
            return kept;
        }
    }
    // Put beside the slots first: when that fails, nothing has moved.
    if (!put(backups.SlotPath(CBackupSlots::kSlots)))
        return kept;
    for (int slot = 1; slot <= CBackupSlots::kSlots; ++slot) {
        if (!Rename(backups.SlotPath(slot), backups.SlotPath(slot - 1)))
            return kept;
    }
    kept.path = backups.SlotPath(CBackupSlots::kSlots - 1);
    kept.bDroppedOldest = true;
    return kept;
}
} // namespace

CBackupSlots::CBackupSlots(QString path) : m_strPath(std::move(path)) {}

QString CBackupSlots::SlotPath(int slot) const
{
    return m_strPath + QStringLiteral(".bak") +
           (slot == 0 ? QString() : QLatin1Char('.') + QString::number(slot));
}

CBackupSlots::Kept CBackupSlots::KeepBytes(const QByteArray& bytes) const
{
    // AtomicWrite makes its files 0600.
    return Place(
        *this, [&](const QString& path) { return HoldsBytes(path, bytes); },
        [&](const QString& path) { return AtomicWrite(path, bytes); });
}

CBackupSlots::Kept CBackupSlots::MoveFileIn() const
{
    const QByteArray native = QFile::encodeName(m_strPath);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0)
        return Kept();
    Kept kept = Place(
        *this, [&](const QString& path) { return SameFiles(path, m_strPath); },
        [&](const QString& path) {
            // Only a file of its own is made private; a link's target is not touched.
            if (S_ISREG(st.st_mode) && ::chmod(native.constData(), 0600) != 0)
                return false;
            return Rename(m_strPath, path);
        });
    // Already kept in a slot: the file itself is not needed any more.
    if (!kept.path.isEmpty() && ::lstat(native.constData(), &st) == 0 && !QFile::remove(m_strPath))
        kept.path.clear();
    return kept;
}
