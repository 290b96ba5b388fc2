// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The backups kept beside a file: "<file>.bak", then "<file>.bak.1" ... "<file>.bak.4", in
// order of age, the oldest in ".bak". A backup takes the first slot that is free, or the one
// that already holds its bytes (nothing is kept twice). When every slot holds another file,
// the oldest backup goes: the others move down a slot and the new one takes the last. Backups
// are the user's own to read (mode 0600), whatever the file's mode was.
class CBackupSlots
{
public:
    static constexpr int kSlots = 5;

    explicit CBackupSlots(QString path);

    // Slot 0 is ".bak"; slot kSlots is where a new backup waits while the others move down.
    QString SlotPath(int slot) const;

    struct Kept
    {
        QString path;                // where the backup is; empty when it could not be kept
        bool bDroppedOldest = false; // every slot was taken: the oldest backup went
    };
    // Keeps a copy of the bytes (the file itself is not touched).
    Kept KeepBytes(const QByteArray& bytes) const;
    // The file itself (whatever it is) becomes a backup; when a slot already holds its bytes,
    // it just goes. Fails, with nothing moved, when there is nothing at the path.
    Kept MoveFileIn() const;

private:
    QString m_strPath;
};
