// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortcutFile.h"

#include "platform/LegacyText.h"
#include "platform/NativeFiles.h"
#include "platform/Paths.h"

#include <QFile>
#include <QSaveFile>

namespace {
const char kHeader[] = "[InternetShortcut]\r\nURL=";
static_assert(sizeof(kHeader) - 1 == kShortcutHeaderSize);

// The run of bytes from `from` up to CR, LF, a zero byte or the end.
QByteArray ValueFrom(const QByteArray& bytes, qsizetype from)
{
    qsizetype end = from;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n' && bytes[end] != '\0')
        ++end;
    return bytes.mid(from, end - from);
}

// Windows writes other sections first (a property store, [DEFAULT] with BASEURL), so the
// URL key of the shortcut's own section wins over whatever "=" comes first.
bool FindSectionUrl(const QByteArray& bytes, const QByteArray& section, QByteArray* pAddress)
{
    bool bInSection = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        QByteArray line = bytes.mid(pos, end - pos);
        if (pos == 0 && line.startsWith("\xEF\xBB\xBF"))
            line.remove(0, 3);
        const qsizetype nul = line.indexOf('\0');
        const QByteArray text = (nul < 0 ? line : line.left(nul)).trimmed();
        if (text.startsWith('[')) {
            bInSection = text.compare(section, Qt::CaseInsensitive) == 0;
        } else if (bInSection) {
            const qsizetype eq = text.indexOf('=');
            if (eq > 0 && text.left(eq).trimmed().compare("URL", Qt::CaseInsensitive) == 0) {
                *pAddress = ValueFrom(line, line.indexOf('=') + 1);
                return true;
            }
        }
        pos = end + 1;
    }
    return false;
}

// The code point at s[i]; *pNext is where the next one starts.
char32_t CodePointAt(const QString& s, qsizetype i, qsizetype* pNext)
{
    if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
        *pNext = i + 2;
        return QChar::surrogateToUcs4(s[i], s[i + 1]);
    }
    *pNext = i + 1;
    return s[i].unicode();
}

bool IsOwnComposedForm(char32_t c)
{
    const QString one = QString::fromUcs4(&c, 1);
    return one.normalized(QString::NormalizationForm_C) == one;
}

// A letter followed by combining marks becomes the precomposed letter where there is one, as
// Windows converts with WC_COMPOSITECHECK. Nothing else changes: full composition (NFC) would
// also replace characters such as the CJK compatibility ideographs by others, and the file
// would lead to another address.
QString ComposeMarks(const QString& text)
{
    QString out;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = 0;
        bool bOwnForms = IsOwnComposedForm(CodePointAt(text, start, &end));
        int marks = 0;
        while (end < text.size()) {
            qsizetype next = 0;
            const char32_t c = CodePointAt(text, end, &next);
            if (QChar::combiningClass(c) == 0)
                break;
            bOwnForms = bOwnForms && IsOwnComposedForm(c);
            ++marks;
            end = next;
        }
        const QString run = text.mid(start, end - start);
        out += marks > 0 && bOwnForms ? run.normalized(QString::NormalizationForm_C) : run;
        start = end;
    }
    return out;
}
} // namespace

QString GetFavoritesFolder()
{
    const QString path = FavoritesFolderPath();
    return MakeFolderPath(path) ? path : QString();
}

QByteArray ShortcutAddressFromBytes(const QByteArray& head)
{
    const QByteArray bytes = head.left(kShortcutReadLimit);
    QByteArray address;
    // Windows keeps the exact address, UTF-7 encoded, in a section of its own: URL= of the
    // main section is in its ANSI code page and loses what that cannot hold.
    QString exact;
    if (FindSectionUrl(bytes, "[InternetShortcut.W]", &address) && FromUtf7(address, &exact) &&
        !exact.isEmpty())
        return exact.toUtf8();
    if (!FindSectionUrl(bytes, "[InternetShortcut]", &address)) {
        const qsizetype eq = bytes.indexOf('=');
        address = eq < 0 ? QByteArray() : ValueFrom(bytes, eq + 1);
    }
    return IsValidUtf8(address) ? address : FromWindows1252(address).toUtf8();
}

QByteArray ReadShortcutAddressAt(const QByteArray& nativePath)
{
    QByteArray head;
    if (!ReadNativeFileHead(nativePath, kShortcutReadLimit, &head))
        return QByteArray();
    return ShortcutAddressFromBytes(head);
}

QByteArray ReadShortcutAddress(const QString& folder, const QString& file)
{
    const QString path = file.isEmpty() ? folder : folder + QLatin1Char('/') + file;
    return ReadShortcutAddressAt(QFile::encodeName(path));
}

bool WriteShortcutFile(const QString& path, const QString& address)
{
    const QByteArray bytes = ComposeMarks(address).toUtf8();
    if (path.isEmpty() || bytes.isEmpty() || bytes.size() > kMaxShortcutAddress)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray content = QByteArray(kHeader) + bytes;
    if (file.write(content) != content.size())
        return false;
    return file.commit();
}
