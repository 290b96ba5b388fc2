// SPDX-License-Identifier: GPL-3.0-or-later
// The names a server proposes for a download, reduced to plain file names.
#include "platform/DownloadName.h"

#include <gtest/gtest.h>

namespace {

int Utf8Bytes(const QString& name)
{
    return int(name.toUtf8().size());
}

// What every reduced name must be, whatever came in.
void ExpectPlain(const QString& name)
{
    SCOPED_TRACE(name.toStdString());
    EXPECT_FALSE(name.isEmpty());
    EXPECT_FALSE(name.contains(QLatin1Char('/')));
    EXPECT_FALSE(name.contains(QLatin1Char('\\')));
    EXPECT_FALSE(name.startsWith(QLatin1Char('.')));
    EXPECT_LE(Utf8Bytes(name), CDownloadName::kMaxBytes);
    EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name); // no broken surrogate pair
    for (const QChar c : name)
        EXPECT_GE(c.unicode(), 0x20);
}

QString Repeat(const QString& text, int nCount)
{
    return text.repeated(nCount);
}

TEST(DownloadNameTest, HostileNamesBecomePlainNames)
{
    const struct
    {
        QString proposed;
        QString reduced;
    } cases[] = {
        {"report.txt", "report.txt"},
        {"Caf\u00e9 \U0001f600.pdf", "Caf\u00e9 \U0001f600.pdf"},
        {"../../evil.sh", "evil.sh"},
        {"../../.bashrc", "bashrc"}, // what filename*=UTF-8''..%2F..%2F.bashrc decodes to
        {"/etc/passwd", "passwd"},
        {"/home/user/.ssh/authorized_keys", "authorized_keys"},
        {"..\\..\\Windows\\evil.exe", "evil.exe"},
        {"C:\\Users\\x\\a.txt", "a.txt"},
        {".hidden", "hidden"},
        {". . .profile", "profile"},
        {"  spaced name.pdf \t\n", "spaced name.pdf"},
        {"\x01.bashrc", "_.bashrc"},
        {QString::fromUtf8("nul\0x.txt", 9), "nul_x.txt"},
        {"a\nb\rc\x7f"
         "d\u0085e.txt",
         "a_b_c_d_e.txt"},
        {"invoice\u202Efdp.exe", "invoice_fdp.exe"}, // shows as "invoiceexe.pdf"
        {"zero\u200Bwidth\u2028line", "zero_width_line"},
        {QString(QChar(0xD800)) + "x" + QChar(0xDC00), "_x_"}, // halves of pairs
        {"bad\uFFFE.txt", "bad_.txt"},
        {"~", "~"},
        {"-rf", "-rf"},
        // Nothing left: the fallback.
        {"", "download"},
        {".", "download"},
        {"..", "download"},
        {"...", "download"},
        {"   ", "download"},
        {"dir/", "download"},
        {"../..", "download"},
        {"/", "download"},
    };
    for (const auto& c : cases) {
        const QString reduced = CDownloadName::Reduce(c.proposed);
        EXPECT_EQ(reduced, c.reduced) << c.proposed.toStdString();
        ExpectPlain(reduced);
    }
    EXPECT_EQ(CDownloadName::Reduce("..", "page.html"), "page.html");
}

TEST(DownloadNameTest, LongNamesKeepTheirExtension)
{
    const struct
    {
        QString proposed;
        QString reduced;
    } cases[] = {
        {Repeat("x", 255), Repeat("x", 255)},
        {Repeat("x", 300) + ".txt", Repeat("x", 251) + ".txt"},
        {Repeat("x", 300), Repeat("x", 255)},
        {Repeat("x", 300) + ".tar.gz", Repeat("x", 248) + ".tar.gz"},
        {"../" + Repeat("x", 300) + ".txt", Repeat("x", 251) + ".txt"},
        // Two bytes a character: the cut falls between characters.
        {Repeat("\u00e9", 200) + ".pdf", Repeat("\u00e9", 125) + ".pdf"},
        // Four bytes and two UTF-16 units a character.
        {Repeat("\U0001f600", 100) + ".zip", Repeat("\U0001f600", 62) + ".zip"},
        // An extension too long to keep is cut like the rest.
        {"a." + Repeat("y", 300), "a." + Repeat("y", 253)},
        // Leading dots go before the length counts.
        {Repeat(".", 10) + Repeat("x", 255), Repeat("x", 255)},
    };
    for (const auto& c : cases) {
        const QString reduced = CDownloadName::Reduce(c.proposed);
        EXPECT_EQ(reduced, c.reduced) << c.proposed.left(20).toStdString();
        ExpectPlain(reduced);
    }
}

TEST(DownloadNameTest, TemporaryNamesFitBesideTheirFile)
{
    const QString tag = QStringLiteral("4194304-12");
    EXPECT_EQ(CDownloadName::TempName("data.zip", tag), ".data.zip.4194304-12.part");
    const QString longNames[] = {
        Repeat("x", 251) + ".txt",
        Repeat("\U0001f600", 62) + ".zip",
        Repeat("z", 255),
    };
    for (const QString& name : longNames) {
        const QString temp = CDownloadName::TempName(name, tag);
        SCOPED_TRACE(temp.toStdString());
        EXPECT_LE(Utf8Bytes(temp), CDownloadName::kMaxBytes);
        EXPECT_GE(Utf8Bytes(temp), CDownloadName::kMaxBytes - 3);
        EXPECT_TRUE(temp.endsWith(".4194304-12.part"));
        EXPECT_EQ(QString::fromUtf8(temp.toUtf8()), temp);
        EXPECT_TRUE(name.startsWith(temp.mid(1, 20)));
    }
    EXPECT_TRUE(CDownloadName::TempName(longNames[0], tag).endsWith(".txt.4194304-12.part"));
    EXPECT_EQ(Utf8Bytes(CDownloadName::TempName(longNames[0], tag, 246)), 246);
}

} // namespace
