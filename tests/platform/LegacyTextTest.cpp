// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LegacyText.h"

#include <gtest/gtest.h>

namespace {
TEST(LegacyTextTest, Utf7DecodesWhatWindowsAndRfc2152Write)
{
    const struct
    {
        QByteArray bytes;
        QString text;
    } good[] = {
        {"http://example.org/", QStringLiteral("http://example.org/")},
        {"Caf+AOk-", QStringLiteral("Caf\u00e9")},
        {"Hi Mom -+Jjo--!", QStringLiteral("Hi Mom -\u263a-!")},
        {"+ZeVnLIqe-", QStringLiteral("\u65e5\u672c\u8a9e")},
        {"A+ImIDkQ.", QStringLiteral("A\u2262\u0391.")}, // a run ended by another character
        {"1 +- 1", QStringLiteral("1 + 1")},
        {"+2D3eAA-", QStringLiteral("\U0001f600")}, // a surrogate pair
        {"", QString()},
    };
    for (const auto& c : good) {
        QString text = QStringLiteral("unchanged");
        EXPECT_TRUE(FromUtf7(c.bytes, &text)) << c.bytes.constData();
        EXPECT_EQ(text, c.text) << c.bytes.constData();
    }

    const QByteArray bad[] = {
        "caf\xe9", // not ASCII
        "+AOl-",   // leftover bits that are not zero
        "+AOkA-",  // a partial unit
        "+2D0-",   // a lone high surrogate
        "a+3gA-b", // a lone low surrogate
    };
    for (const QByteArray& bytes : bad) {
        QString text = QStringLiteral("unchanged");
        EXPECT_FALSE(FromUtf7(bytes, &text)) << bytes.constData();
        EXPECT_EQ(text, QStringLiteral("unchanged"));
    }
}

TEST(LegacyTextTest, BytesThatAreNotUtf8AreWindows1252)
{
    const struct
    {
        QByteArray bytes;
        bool utf8;
        QString text;
    } cases[] = {
        {"plain", true, QStringLiteral("plain")},
        {"\xc3\xa9\xe2\x82\xac", true, QStringLiteral("\u00e9\u20ac")},
        {"\xe9t\xe9", false, QStringLiteral("\u00e9t\u00e9")},
        {"\x80\x8a\x9f\xa0\xff", false, QStringLiteral("\u20ac\u0160\u0178\u00a0\u00ff")},
        {"\x81\x8d\x8f\x90\x9d", false, QStringLiteral("\u0081\u008d\u008f\u0090\u009d")},
        {"\xc0\x80", false, QStringLiteral("\u00c0\u20ac")},           // an overlong zero
        {"\xed\xa0\x80", false, QStringLiteral("\u00ed\u00a0\u20ac")}, // a surrogate
        {"\xc3", false, QStringLiteral("\u00c3")},                     // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.utf8) << c.bytes.toHex().constData();
        EXPECT_EQ(FromUtf8OrWindows1252(c.bytes), c.text) << c.bytes.toHex().constData();
    }
}
} // namespace
