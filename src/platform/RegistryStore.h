// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BackupSlots.h"
#include "platform/RegistryData.h"

#include <QString>

#include <functional>

// The per-user registry: a REGEDIT4-style text file in UTF-8. Every read sees what is on disk
// now (another process may have written since); every write is a read-modify-write under an
// advisory lock, saved atomically. Lines that are not UTF-8 (files exported on Windows are in
// its ANSI code page) are read as Windows-1252. Before a file that needed such a repair, or
// had unreadable lines, is first written over, its bytes are copied to a backup beside it
// (".bak", ".bak.1" ... as CBackupSlots keeps them); a line on stderr says when the oldest
// backup had to go. A write also removes the temporary files a writer
// killed before its rename left beside the store.
class CRegistryStore
{
public:
    static constexpr int kBackupSlots = CBackupSlots::kSlots;
    static QString BackupPath(const QString& path, int slot);

    // $XDG_CONFIG_HOME/nuvBrowser/registry.reg, else ~/.config/nuvBrowser/registry.reg,
    // computed from the environment at each call.
    static QString DefaultPath();

    explicit CRegistryStore(QString path = DefaultPath());

    const QString& Path() const { return m_strPath; }

    RegistryData Read() const;
    bool KeyExists(const QString& key) const; // true also for a parent of a stored key
    bool QueryValue(const QString& key, const QString& name, RegValue* pValue) const;

    // Applies `change` to the current content under the lock and writes the result.
    // False when the lock, the backup or the write failed; the file is then unchanged.
    bool Update(const std::function<void(RegistryData&)>& change);

    bool CreateKey(const QString& key);
    bool SetValue(const QString& key, const RegValue& value); // creates the key
    bool DeleteValue(const QString& key, const QString& name);

private:
    QString m_strPath;
};
