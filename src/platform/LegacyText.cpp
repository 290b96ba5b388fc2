// SPDX-License-Identifier: GPL-3.0-or-later
#include "LegacyText.h"

#include <QStringDecoder>

namespace {
// Windows-1252 0x80 ... 0x9F; the unassigned codes map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
} // namespace

bool IsValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}

QString FromWindows1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar b = uchar(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kHighControls[b - 0x80]) : QChar(b));
    }
    return text;
}

QString FromUtf8OrWindows1252(const QByteArray& bytes)
{
    return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : FromWindows1252(bytes);
}

bool FromUtf7(const QByteArray& bytes, QString* pText)
{
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i++];
        if (uchar(c) >= 0x80)
            return false;
        if (c != '+') {
            text.append(QLatin1Char(c));
            continue;
        }
        if (i < bytes.size() && bytes[i] == '-') {
            text.append(QLatin1Char('+'));
            ++i;
            continue;
        }
        quint32 bits = 0;
        int nBits = 0;
        while (i < bytes.size() && Base64Value(bytes[i]) >= 0) {
            bits = (bits << 6) | quint32(Base64Value(bytes[i++]));
            nBits += 6;
            if (nBits >= 16) {
                nBits -= 16;
                text.append(QChar(char16_t((bits >> nBits) & 0xFFFF)));
            }
        }
        // What is left over must be padding of zero bits, shorter than one unit of base64.
        if (nBits >= 6 || (bits & ((1u << nBits) - 1)) != 0)
            return false;
        if (i < bytes.size() && bytes[i] == '-')
            ++i;
    }
    // Surrogates must come in pairs, as in any UTF-16 text.
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k].isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate())
            ++k;
        else if (text[k].isSurrogate())
            return false;
    }
    *pText = text;
    return true;
}
