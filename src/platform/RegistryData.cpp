// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegistryData.h"

#include "LegacyText.h"

#include <QStringDecoder>

namespace {
const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");

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
} // namespace

QString RegistryData::NormalizeKey(QString key)
{
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (key.startsWith(QLatin1Char('\\')))
        key.remove(0, 1);
    while (key.endsWith(QLatin1Char('\\')))
        key.chop(1);
    return key;
}

bool RegistryData::SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

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
        if (!v.IsComment() && RegistryData::SameName(v.name, name))
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
