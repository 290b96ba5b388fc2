// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempHome.h"

#include "platform/ProfileDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The troubles the program's own database meets, made in a temporary home.

// The database's file holds bytes that are no database. False when it cannot be written.
inline bool WriteDamagedProfileDatabase()
{
    const QString path = CProfileDatabase::DefaultPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, '\x5a')) == 4096;
}

// The data home is a file: nothing can be made below it, not even by root. It lasts until
// the home is destroyed (which puts the variables back). False when it cannot be made.
inline bool BlockDataHome(const CTempHome& home)
{
    QFile blocker(home.Path() + "/blocker");
    if (!blocker.open(QIODevice::WriteOnly))
        return false;
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName()));
    return true;
}
