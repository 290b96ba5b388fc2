#include "RegistryStore.h"

#include "LegacyText.h"
#include "NativeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");

QString NormalizeKey(QString key)
{
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (key.startsWith(QLatin1Char('\\')))
        key.remove(0, 1);
    while (key.endsWith(QLatin1Char('\\')))
        key.chop(1);
    return key;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "text" with the escapes of an export: \\ and \" (and \n, \r, which we write ourselves).
bool ParseQuoted(const QString& line, qsizetype& pos, QString* out)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    out->clear();
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == QLatin1Char('"'))
            return true;
        if (c == QLatin1Char('\\')) {
            if (pos >= line.size())
                return false;
            const QChar e = line[pos++];
            if (e == QLatin1Char('n'))
                out->append(QLatin1Char('\n'));
            else if (e == QLatin1Char('r'))
                out->append(QLatin1Char('\r'));
            else
                out->append(e);
        } else {
            out->append(c);
        }
    }
    return false;
}

QString Quote(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\'), out += c;
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    out += QLatin1Char('"');
    return out;
}

bool ParseHex(const QString& text, QByteArray* out)
{
    out->clear();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    for (const QString& part : trimmed.split(QLatin1Char(','))) {
        const QString byte = part.trimmed();
        if (byte.isEmpty() || byte.size() > 2)
            return false;
        bool ok = false;
        const uint v = byte.toUInt(&ok, 16);
        if (!ok)
            return false;
        out->append(char(v));
    }
    return true;
}

// One value line: "Name"=... or @=...; false when the line cannot be read.
bool ParseValueLine(const QString& line, RegValue* v)
{
    qsizetype pos = 0;
    if (line.startsWith(QLatin1Char('@'))) {
        v->name.clear();
        pos = 1;
    } else if (!ParseQuoted(line, pos, &v->name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != QLatin1Char('='))
        return false;
    ++pos;
    const QString rest = line.mid(pos);
    if (rest.startsWith(QLatin1Char('"'))) {
        qsizetype p = 0;
        if (!ParseQuoted(rest, p, &v->text) || !rest.mid(p).trimmed().isEmpty())
            return false;
        v->type = REG_SZ;
        return true;
    }
    if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = rest.mid(6).trimmed();
        bool ok = false;
        const uint d = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8)
            return false;
        v->type = REG_DWORD;
        v->dword = d;
        return true;
    }
    if (rest.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        if (!ParseHex(rest.mid(4), &v->data))
            return false;
        v->type = REG_BINARY;
        return true;
    }
    if (rest.startsWith(QLatin1String("hex("), Qt::CaseInsensitive)) {
        // Another type (expandable string, multi-string, ...): kept as it stands.
        const qsizetype close = rest.indexOf(QLatin1String("):"));
        QByteArray ignored;
        if (close < 0 || !ParseHex(rest.mid(close + 2), &ignored))
            return false;
        v->type = REG_NONE;
        v->raw = line;
        return true;
    }
    return false;
}

QString ValueLine(const RegValue& v)
{
    if (v.type == REG_NONE)
        return v.raw;
    QString line = v.name.isEmpty() ? QStringLiteral("@=") : Quote(v.name) + QLatin1Char('=');
    switch (v.type) {
    case REG_SZ:
        return line + Quote(v.text);
    case REG_DWORD:
        return line + QStringLiteral("dword:%1").arg(v.dword, 8, 16, QLatin1Char('0'));
    default: {
        QStringList bytes;
        for (char c : v.data)
            bytes << QStringLiteral("%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
        return line + QStringLiteral("hex:") + bytes.join(QLatin1Char(','));
    }
    }
}

// The file's lines as text. UTF-16 files (with their byte-order mark) are Windows exports;
// anything else is UTF-8, except single lines that are not, which are read as Windows-1252.
QStringList DecodeLines(const QByteArray& bytes, int* pAnsiLines)
{
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        auto decoder = QStringDecoder(bytes.startsWith("\xff\xfe") ? QStringDecoder::Utf16LE
                                                                   : QStringDecoder::Utf16BE);
        return QString(decoder(bytes.mid(2))).split(QLatin1Char('\n'));
    }
    QStringList lines;
    const QByteArray text = bytes.startsWith("\xef\xbb\xbf") ? bytes.mid(3) : bytes;
    for (const QByteArray& line : text.split('\n')) {
        if (!IsValidUtf8(line))
            ++*pAnsiLines;
        lines << FromUtf8OrWindows1252(line);
    }
    return lines;
}

bool ReadFile(const QString& path, QByteArray* out, bool* exists)
{
    QFile f(path);
    *exists = f.exists();
    out->clear();
    if (!*exists)
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *out = f.readAll();
    return true;
}

// Keeps the original bytes in the first backup slot that is free or already holds them.
bool KeepBackup(const QString& path, const QByteArray& original)
{
    for (int slot = 0; slot < CRegistryStore::kBackupSlots; ++slot) {
        const QString backup = CRegistryStore::BackupPath(path, slot);
        QByteArray held;
        bool exists = false;
        if (!ReadFile(backup, &held, &exists))
            continue;
        if (!exists)
            return AtomicWrite(backup, original);
        if (held == original)
            return true;
    }
    return false;
}

// An advisory lock on a file beside the store (the store itself is replaced by rename).
class CFileLock
{
public:
    explicit CFileLock(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path + ".lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC,
                      0600);
        if (m_fd >= 0) {
            int rc;
            do {
                rc = ::flock(m_fd, LOCK_EX);
            } while (rc != 0 && errno == EINTR);
            if (rc != 0) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~CFileLock()
    {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    bool Locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
} // namespace

RegValue RegValue::String(const QString& name, const QString& text)
{
    RegValue v;
    v.name = name;
    v.type = REG_SZ;
    v.text = text;
    return v;
}

RegValue RegValue::Dword(const QString& name, quint32 value)
{
    RegValue v;
    v.name = name;
    v.type = REG_DWORD;
    v.dword = value;
    return v;
}

RegValue RegValue::Binary(const QString& name, const QByteArray& data)
{
    RegValue v;
    v.name = name;
    v.type = REG_BINARY;
    v.data = data;
    return v;
}

RegValue RegValue::Comment(const QString& line)
{
    RegValue v;
    v.raw = line;
    return v;
}

bool RegValue::IsComment() const
{
    return type == REG_NONE && raw.startsWith(QLatin1Char(';'));
}

RegValue* RegKeyData::Find(const QString& name)
{
    for (RegValue& v : values)
        if (!v.IsComment() && SameName(v.name, name))
            return &v;
    return nullptr;
}

const RegValue* RegKeyData::Find(const QString& name) const
{
    return const_cast<RegKeyData*>(this)->Find(name);
}

RegKeyData* RegistryData::FindKey(const QString& path)
{
    const QString key = NormalizeKey(path);
    for (RegKeyData& k : keys)
        if (SameName(k.path, key))
            return &k;
    return nullptr;
}

const RegKeyData* RegistryData::FindKey(const QString& path) const
{
    return const_cast<RegistryData*>(this)->FindKey(path);
}

RegKeyData& RegistryData::CreateKey(const QString& path)
{
    if (RegKeyData* k = FindKey(path))
        return *k;
    keys.append(RegKeyData{NormalizeKey(path), {}});
    return keys.last();
}

RegistryData RegistryData::Parse(const QByteArray& bytes)
{
    RegistryData data;
    const QStringList rawLines = DecodeLines(bytes, &data.ansiLines);
    RegKeyData* current = nullptr;
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        QString line = rawLines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // Exports wrap long hex values with a trailing backslash.
        while (line.endsWith(QLatin1Char('\\')) && !line.trimmed().startsWith(QLatin1Char('[')) &&
               i + 1 < rawLines.size() && line.contains(QLatin1String("=hex"))) {
            line.chop(1);
            QString next = rawLines[++i];
            if (next.endsWith(QLatin1Char('\r')))
                next.chop(1);
            line += next.trimmed();
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (i == 0 && (trimmed == QLatin1String("REGEDIT4") ||
                       trimmed.startsWith(QLatin1String("Windows Registry Editor"))))
            continue;
        if (trimmed.startsWith(QLatin1Char(';'))) {
            // A comment stays where it was: among the values of the key above it (the last
            // one kept, when it follows a key that is not), or before the first key.
            RegKeyData* holder = current;
            if (holder == nullptr && !data.keys.isEmpty())
                holder = &data.keys.last();
            if (holder != nullptr)
                holder->values.append(RegValue::Comment(trimmed));
            else
                data.comments << trimmed;
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            current = nullptr;
            if (!trimmed.endsWith(QLatin1Char(']'))) {
                ++data.damagedLines;
                continue;
            }
            const QString name = trimmed.mid(1, trimmed.size() - 2);
            if (SameName(name, kRoot)) {
                current = &data.CreateKey(QString());
            } else if (name.startsWith(kRoot + QLatin1Char('\\'), Qt::CaseInsensitive)) {
                current = &data.CreateKey(name.mid(kRoot.size() + 1));
            } else {
                // Another hive or a deletion entry: not ours to keep.
                ++data.damagedLines;
            }
            continue;
        }
        RegValue v;
        if (current == nullptr || !ParseValueLine(trimmed, &v)) {
            // Values of a key we do not keep count as unreadable too: the backup holds them.
            ++data.damagedLines;
            continue;
        }
        if (RegValue* existing = current->Find(v.name))
            *existing = v;
        else
            current->values.append(v);
    }
    return data;
}

QByteArray RegistryData::Serialize() const
{
    QString out = QStringLiteral("REGEDIT4\n");
    for (const QString& comment : comments)
        out += comment + QLatin1Char('\n');
    for (const RegKeyData& k : keys) {
        out += QLatin1Char('\n');
        out += QLatin1Char('[') + kRoot +
               (k.path.isEmpty() ? QString() : QLatin1Char('\\') + k.path) + QStringLiteral("]\n");
        for (const RegValue& v : k.values)
            out += ValueLine(v) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

QString CRegistryStore::DefaultPath()
{
    QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/nuvBrowser/registry.reg");
}

QString CRegistryStore::BackupPath(const QString& path, int slot)
{
    return path + QStringLiteral(".bak") +
           (slot == 0 ? QString() : QLatin1Char('.') + QString::number(slot));
}

CRegistryStore::CRegistryStore(QString path) : m_strPath(std::move(path)) {}

RegistryData CRegistryStore::Read() const
{
    QByteArray bytes;
    bool exists = false;
    ReadFile(m_strPath, &bytes, &exists);
    return RegistryData::Parse(bytes);
}

bool CRegistryStore::KeyExists(const QString& key) const
{
    const QString wanted = NormalizeKey(key);
    if (wanted.isEmpty())
        return true;
    const RegistryData data = Read();
    for (const RegKeyData& k : data.keys) {
        if (SameName(k.path, wanted) ||
            k.path.startsWith(wanted + QLatin1Char('\\'), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool CRegistryStore::QueryValue(const QString& key, const QString& name, RegValue* pValue) const
{
    const RegistryData data = Read();
    const RegKeyData* k = data.FindKey(key);
    const RegValue* v = k ? k->Find(name) : nullptr;
    if (v == nullptr || v->type == REG_NONE)
        return false;
    if (pValue)
        *pValue = *v;
    return true;
}

bool CRegistryStore::Update(const std::function<void(RegistryData&)>& change)
{
    const QString folder = QFileInfo(m_strPath).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    CFileLock lock(m_strPath);
    if (!lock.Locked())
        return false;
    QByteArray original;
    bool exists = false;
    if (!ReadFile(m_strPath, &original, &exists))
        return false; // unreadable: never written over
    RegistryData data = RegistryData::Parse(original);
    const bool bRepaired = data.NeedsRepair();
    change(data);
    const QByteArray bytes = data.Serialize();
    if (exists && bytes == original)
        return true;
    if (bRepaired && !KeepBackup(m_strPath, original))
        return false;
    if (!AtomicWrite(m_strPath, bytes))
        return false;
    ::chmod(QFile::encodeName(m_strPath).constData(), 0600);
    return true;
}

bool CRegistryStore::CreateKey(const QString& key)
{
    return Update([&](RegistryData& d) { d.CreateKey(key); });
}

bool CRegistryStore::SetValue(const QString& key, const RegValue& value)
{
    return Update([&](RegistryData& d) {
        RegKeyData& k = d.CreateKey(key);
        if (RegValue* existing = k.Find(value.name)) {
            const QString keptName = existing->name;
            *existing = value;
            existing->name = keptName;
        } else {
            k.values.append(value);
        }
    });
}

bool CRegistryStore::DeleteValue(const QString& key, const QString& name)
{
    bool found = false;
    const bool written = Update([&](RegistryData& d) {
        if (RegKeyData* k = d.FindKey(key)) {
            for (qsizetype i = 0; i < k->values.size(); ++i) {
                if (SameName(k->values[i].name, name)) {
                    k->values.removeAt(i);
                    found = true;
                    break;
                }
            }
        }
    });
    return written && found;
}

bool CRegKey::Open(const QString& key)
{
    if (!m_store.KeyExists(key)) {
        m_strKey.clear();
        return false;
    }
    m_strKey = NormalizeKey(key);
    return !m_strKey.isEmpty();
}

bool CRegKey::Create(const QString& key)
{
    if (!m_store.CreateKey(key)) {
        m_strKey.clear();
        return false;
    }
    m_strKey = NormalizeKey(key);
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
