// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Bytes of a recognisable pattern, for a served file whose copy is compared byte by byte.
inline QByteArray PatternBytes(int nCount, int nStep)
{
    QByteArray bytes(nCount, '\0');
    for (int i = 0; i < nCount; ++i)
        bytes[i] = char(i * nStep % 251);
    return bytes;
}

// A file's whole content, or "<missing>" when it cannot be read.
inline QByteArray ReadFileOrMissing(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
