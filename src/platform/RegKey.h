// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RegistryStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A key opened the platform's way: Open fails for a missing key, Create makes it.
// Queries fail for a missing value, a value of another type, or one larger than maxSize
// (characters with the terminator for strings, bytes for binaries; -1: no limit).
class CRegKey
{
public:
    CRegKey() = default;
    explicit CRegKey(CRegistryStore store) : m_store(std::move(store)) {}

    bool Open(const QString& key);
    bool Create(const QString& key);
    void Close() { m_strKey.clear(); }
    bool IsOpen() const { return !m_strKey.isEmpty(); }
    const QString& KeyPath() const { return m_strKey; }

    bool QueryString(const QString& name, QString* pText, qsizetype maxChars = -1) const;
    bool QueryDword(const QString& name, quint32* pValue) const;
    bool QueryBinary(const QString& name, QByteArray* pData, qsizetype maxBytes = -1) const;
    QStringList ValueNames() const;

    bool SetString(const QString& name, const QString& text);
    bool SetDword(const QString& name, quint32 value);
    bool SetBinary(const QString& name, const QByteArray& data);
    bool DeleteValue(const QString& name);

private:
    CRegistryStore m_store;
    QString m_strKey;
};
