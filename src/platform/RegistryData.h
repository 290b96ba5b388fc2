// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Registry value types, with the numbers the platform gives them.
enum : quint32
{
    REG_NONE = 0,
    REG_SZ = 1,
    REG_BINARY = 3,
    REG_DWORD = 4,
};

// One typed value. `text` holds REG_SZ data, `dword` REG_DWORD data, `data` REG_BINARY data.
// A value of a type this store does not interpret keeps its original line in `raw`, so a
// rewrite of the file keeps it as it was; so does a comment line (";"), which is kept among
// the values of its key as an entry without a name that no look-up finds.
struct RegValue
{
    QString name;
    quint32 type = REG_NONE;
    QString text;
    quint32 dword = 0;
    QByteArray data;
    QString raw;

    static RegValue String(const QString& name, const QString& text);
    static RegValue Dword(const QString& name, quint32 value);
    static RegValue Binary(const QString& name, const QByteArray& data);
    static RegValue Comment(const QString& line);

    bool IsComment() const;
};

// One key with its values in file order. Key paths are relative to HKEY_CURRENT_USER and use
// backslashes ("Software\\Qorval\\nuvBrowser\\Options"); names compare without regard to case.
struct RegKeyData
{
    QString path;
    QList<RegValue> values;

    RegValue* Find(const QString& name);
    const RegValue* Find(const QString& name) const;
};

// The whole file as parsed: the text format of REGEDIT4 exports, read in UTF-8 (a line that is
// not UTF-8 as Windows-1252, a file with a UTF-16 byte-order mark as UTF-16), written in UTF-8.
// Lines that cannot be read are skipped and counted; values of types this format does not
// interpret and comment lines are kept as they stand.
struct RegistryData
{
    QStringList comments; // comment lines before the first key
    QList<RegKeyData> keys;
    int damagedLines = 0; // lines that could not be read and were skipped
    int ansiLines = 0;    // lines that were not UTF-8, read as Windows-1252

    // Writing the file back would lose or change bytes of the original.
    bool NeedsRepair() const { return damagedLines > 0 || ansiLines > 0; }

    RegKeyData* FindKey(const QString& path);
    const RegKeyData* FindKey(const QString& path) const;
    RegKeyData& CreateKey(const QString& path); // parents are implied, as in the platform's files

    static RegistryData Parse(const QByteArray& bytes);
    QByteArray Serialize() const;

    // A key path with forward slashes turned into backslashes and no backslash at either end.
    static QString NormalizeKey(QString key);
    // Key paths and value names compare without regard to case.
    static bool SameName(const QString& a, const QString& b);
};
