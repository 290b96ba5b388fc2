// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DownloadName.h"

#include <QStringView>

#include <algorithm>

namespace {
// An extension longer than this is not kept whole when a name is shortened.
const int kMaxExtensionBytes = 32;

int Utf8Bytes(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

int Utf8Bytes(QStringView text)
{
    return int(text.toUtf8().size());
}

bool IsUnfit(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:       // NUL, tab, new line, DEL, C1 controls
    case QChar::Other_Format:        // bidirectional overrides, zero-width characters
    case QChar::Other_Surrogate:     // half of a broken pair
    case QChar::Separator_Line:      // U+2028
    case QChar::Separator_Paragraph: // U+2029
        return true;
    default:
        return QChar::isNonCharacter(c);
    }
}

// text with every unfit character (a broken surrogate pair counts as one each) as "_".
QString ReplaceUnfit(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        const bool bPair =
            QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (bPair)
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
        if (IsUnfit(c))
            result += QLatin1Char('_');
        else
            result += QStringView(text).mid(i, bPair ? 2 : 1);
        i += bPair ? 1 : 0;
    }
    return result;
}

// The longest start of text that fits in nMaxBytes of UTF-8, never half a surrogate pair.
QString CutToBytes(const QString& text, int nMaxBytes)
{
    int nBytes = 0;
    qsizetype nEnd = 0;
    while (nEnd < text.size()) {
        const bool bPair = text[nEnd].isHighSurrogate() && nEnd + 1 < text.size() &&
                           text[nEnd + 1].isLowSurrogate();
        const int nSize = bPair ? 4 : Utf8Bytes(text[nEnd].unicode());
        if (nBytes + nSize > nMaxBytes)
            break;
        nBytes += nSize;
        nEnd += bPair ? 2 : 1;
    }
    return text.left(nEnd);
}

// Where the extension of name starts: its last dot, or the ".tar" before a last ".gz" and
// the like; -1 when it has none that is worth keeping.
qsizetype ExtensionStart(const QString& name)
{
    const qsizetype nDot = name.lastIndexOf(QLatin1Char('.'));
    if (nDot <= 0)
        return -1;
    const qsizetype nTar = nDot - 4;
    if (nTar > 0 && name.mid(nTar, 4).compare(QLatin1String(".tar"), Qt::CaseInsensitive) == 0)
        return nTar;
    return nDot;
}
} // namespace

QString CDownloadName::Reduce(const QString& proposed, const QString& fallback)
{
    const qsizetype nSeparator =
        std::max(proposed.lastIndexOf(QLatin1Char('/')), proposed.lastIndexOf(QLatin1Char('\\')));
    const QString last = proposed.mid(nSeparator + 1);
    qsizetype nStart = 0;
    while (nStart < last.size() && (last[nStart] == QLatin1Char('.') || last[nStart].isSpace()))
        ++nStart;
    qsizetype nEnd = last.size();
    while (nEnd > nStart && last[nEnd - 1].isSpace())
        --nEnd;
    // Replacing characters makes no dots or separators: the name stays one that shows.
    const QString name = ReplaceUnfit(last.mid(nStart, nEnd - nStart));
    return name.isEmpty() ? fallback : Shorten(name, kMaxBytes);
}

QString CDownloadName::Shorten(const QString& name, int nMaxBytes)
{
    if (Utf8Bytes(name) <= nMaxBytes)
        return name;
    const qsizetype nExtension = ExtensionStart(name);
    const QString extension = nExtension < 0 ? QString() : name.mid(nExtension);
    const int nExtensionBytes = Utf8Bytes(extension);
    if (extension.isEmpty() || nExtensionBytes > kMaxExtensionBytes || nExtensionBytes >= nMaxBytes)
        return CutToBytes(name, nMaxBytes);
    return CutToBytes(name.left(nExtension), nMaxBytes - nExtensionBytes) + extension;
}

QString CDownloadName::TempName(const QString& name, const QString& tag, int nMaxBytes)
{
    const QString suffix = QLatin1Char('.') + tag + QLatin1String(".part");
    return QLatin1Char('.') + Shorten(name, nMaxBytes - 1 - Utf8Bytes(suffix)) + suffix;
}
