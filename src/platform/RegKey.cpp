// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegKey.h"

bool CRegKey::Open(const QString& key)
{
    if (!m_store.KeyExists(key)) {
        m_strKey.clear();
        return false;
    }
    m_strKey = RegistryData::NormalizeKey(key);
    return !m_strKey.isEmpty();
}

bool CRegKey::Create(const QString& key)
{
    if (!m_store.CreateKey(key)) {
        m_strKey.clear();
        return false;
    }
    m_strKey = RegistryData::NormalizeKey(key);
    return !m_strKey.isEmpty();
}

bool CRegKey::QueryString(const QString& name, QString* pText, qsizetype maxChars) const
{
    RegValue v;
    if (!IsOpen() || !m_store.QueryValue(m_strKey, name, &v) || v.type != REG_SZ)
        return false;
    if (maxChars >= 0 && v.text.size() + 1 > maxChars)
        return false;
    if (pText)
        *pText = v.text;
    return true;
}

bool CRegKey::QueryDword(const QString& name, quint32* pValue) const
{
    RegValue v;
    if (!IsOpen() || !m_store.QueryValue(m_strKey, name, &v) || v.type != REG_DWORD)
        return false;
    if (pValue)
        *pValue = v.dword;
    return true;
}

bool CRegKey::QueryBinary(const QString& name, QByteArray* pData, qsizetype maxBytes) const
{
    RegValue v;
    if (!IsOpen() || !m_store.QueryValue(m_strKey, name, &v) || v.type != REG_BINARY)
        return false;
    if (maxBytes >= 0 && v.data.size() > maxBytes)
        return false;
    if (pData)
        *pData = v.data;
    return true;
}

QStringList CRegKey::ValueNames() const
{
    QStringList names;
    if (!IsOpen())
        return names;
    const RegistryData data = m_store.Read();
    if (const RegKeyData* k = data.FindKey(m_strKey))
        for (const RegValue& v : k->values)
            if (v.type != REG_NONE)
                names << v.name;
    return names;
}

bool CRegKey::SetString(const QString& name, const QString& text)
{
    return IsOpen() && m_store.SetValue(m_strKey, RegValue::String(name, text));
}

bool CRegKey::SetDword(const QString& name, quint32 value)
{
    return IsOpen() && m_store.SetValue(m_strKey, RegValue::Dword(name, value));
}

bool CRegKey::SetBinary(const QString& name, const QByteArray& data)
{
    return IsOpen() && m_store.SetValue(m_strKey, RegValue::Binary(name, data));
}

bool CRegKey::DeleteValue(const QString& name)
{
    return IsOpen() && m_store.DeleteValue(m_strKey, name);
}
