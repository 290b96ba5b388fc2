// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// File access by the bytes of a path, as the file system spells it. Names that are not
// valid UTF-8 cannot travel through a QString and back, so the favorites walk keeps them
// in this form.

struct NativeDirEntry
{
    QByteArray name;
    bool bDirectory = false; // a directory, or a symbolic link to one
};

// Where a directory lives on disk, to notice one reached twice.
struct NativeDirId
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator<(const NativeDirId& a, const NativeDirId& b)
    {
        return a.device != b.device ? a.device < b.device : a.inode < b.inode;
    }
};

// The entries of a directory in the order the file system delivers them, without "." and
// "..". False when the directory cannot be listed.
bool ListNativeDirectory(const QByteArray& path, std::vector<NativeDirEntry>* pEntries);

// The identity of the directory at the path (links followed); false when there is none.
bool NativeDirectoryId(const QByteArray& path, NativeDirId* pId);

// At most maxBytes from the start of a regular file; false when it is not a regular file or
// cannot be opened or read. Never waits for a writer (a FIFO of that name is refused).
bool ReadNativeFileHead(const QByteArray& path, qsizetype maxBytes, QByteArray* pBytes);

// Writes the bytes to the path atomically: a temporary file in the same folder, flushed to
// the disk and renamed over the path. Readers see the old file or the new one, never a part.
// The temporary file is named "<path>.tmp.XXXXXX"; a writer killed before the rename leaves
// it behind.
bool AtomicWrite(const QString& path, const QByteArray& bytes);

// Removes what killed writers of these paths (all in one folder) left behind: files named as
// AtomicWrite names its temporary files, regular and the user's own. Sound only for a caller
// holding a lock that every writer of the paths holds from before AtomicWrite until it returns: no
// live writer owns such a file then. Returns how many were removed.
int RemoveAtomicWriteLeftovers(const QStringList& paths);
