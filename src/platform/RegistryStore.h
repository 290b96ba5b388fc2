#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

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

// The whole file as parsed.
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
};

// The per-user registry: a REGEDIT4-style text file in UTF-8. Every read sees what is on disk
// now (another process may have written since); every write is a read-modify-write under an
// advisory lock, saved atomically. Lines that are not UTF-8 (files exported on Windows are in
// its ANSI code page) are read as Windows-1252. Before a file that needed such a repair, or
// had unreadable lines, is first written over, its bytes are copied to a backup beside it:
// ".bak", or ".bak.1" ... when an older backup holds something else. A backup is never
// replaced; when every slot holds another file the write fails and the file stays as it is.
class CRegistryStore
{
public:
    static constexpr int kBackupSlots = 5;
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
