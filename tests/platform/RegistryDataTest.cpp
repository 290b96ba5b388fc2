// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryData.h"
#include "RegistryFileTest.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"

#include <QFile>
#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {
// The text format, as the store reads and writes it: values and their escapes, damaged lines,
// code pages, comments and Windows exports.
class RegistryDataTest : public RegistryFileTest
{
};

TEST_F(RegistryDataTest, WritesRegedit4TextAndReadsItBack)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(kKey));
    ASSERT_TRUE(key.SetDword("ViewMenu", 10));
    ASSERT_TRUE(key.SetString("Start Page", QStringLiteral("C:\\a \"b\"\nc \u00e9")));
    ASSERT_TRUE(key.SetBinary("KeyAccelTable", QByteArray::fromHex("0b0041000a80")));
    ASSERT_TRUE(key.SetBinary("Empty", QByteArray()));

    EXPECT_EQ(FileBytes(home.RegistryPath()),
              QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Qorval\\nuvBrowser\\Options]\n"
                         "\"ViewMenu\"=dword:0000000a\n"
                         "\"Start Page\"=\"C:\\\\a \\\"b\\\"\\nc \xc3\xa9\"\n"
                         "\"KeyAccelTable\"=hex:0b,00,41,00,0a,80\n"
                         "\"Empty\"=hex:\n"));

    CRegKey again;
    ASSERT_TRUE(again.Open(QStringLiteral("software\\QORVAL\\nuvbrowser\\options")));
    quint32 d = 0;
    QString s;
    QByteArray b;
    EXPECT_TRUE(again.QueryDword("viewmenu", &d));
    EXPECT_EQ(d, 10u);
    EXPECT_TRUE(again.QueryString("Start Page", &s));
    EXPECT_EQ(s, QStringLiteral("C:\\a \"b\"\nc \u00e9"));
    EXPECT_TRUE(again.QueryBinary("KeyAccelTable", &b));
    EXPECT_EQ(b, QByteArray::fromHex("0b0041000a80"));
}

TEST_F(RegistryDataTest, DamagedLinesAreSkippedAndKeptInABackup)
{
    const QByteArray damaged =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Qorval\\nuvBrowser\\Options]\n"
        "\"ViewMenu\"=dword:00000000\n"
        "\"Broken\"=dword:xyz\n"
        "garbage \x01\x02\xff line\n"
        "\"Half\"=\"no end\n"
        "\"Bin\"=hex:0b,0\n"
        "\"Bad hex\"=hex:zz\n"
        "[HKEY_LOCAL_MACHINE\\Other]\n\"x\"=dword:00000001\n"
        "[HKEY_CURRENT_USER\\Software\\Keep]\n"
        "\"Expand\"=hex(2):41,00,00,00\n"
        "\"ViewFont\"=dword:00000003\n"
        "[Unclosed\n";
    WriteFile(home.RegistryPath(), damaged);
    const RegistryData parsed = CRegistryStore().Read();
    EXPECT_EQ(parsed.damagedLines, 7);

    CRegKey key;
    quint32 d = 99;
    ASSERT_TRUE(key.Open(kKey));
    EXPECT_TRUE(key.QueryDword("ViewMenu", &d));
    EXPECT_EQ(d, 0u);
    QByteArray bin;
    EXPECT_TRUE(key.QueryBinary("Bin", &bin));
    EXPECT_EQ(bin, QByteArray::fromHex("0b00"));
    ASSERT_TRUE(key.SetDword("ViewStatus", 1));

    EXPECT_EQ(FileBytes(home.RegistryPath() + ".bak"), damaged);
    const QByteArray rewritten = FileBytes(home.RegistryPath());
    EXPECT_TRUE(rewritten.contains("\"ViewStatus\"=dword:00000001"));
    EXPECT_TRUE(rewritten.contains("\"Expand\"=hex(2):41,00,00,00")) << "unknown types are kept";
    EXPECT_TRUE(rewritten.contains("\"ViewFont\"=dword:00000003"));
    EXPECT_EQ(CRegistryStore().Read().damagedLines, 0);

    // The backup is taken before the first write over the damaged file only.
    QFile::remove(home.RegistryPath() + ".bak");
    ASSERT_TRUE(key.SetDword("ViewStatus", 0));
    EXPECT_FALSE(QFile::exists(home.RegistryPath() + ".bak"));
}

TEST_F(RegistryDataTest, LinesThatAreNotUtf8AreReadAsWindows1252)
{
    // A REGEDIT4 export of Windows is in its ANSI code page; a line we wrote stays UTF-8.
    const QByteArray exported =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\r\n"
        "\"Windows CE Page\"=\"http://caf\xe9.example/\x80\x9f\"\r\n"
        "\"Search Page\"=\"http://s\xc3\xa9.example/\"\r\n"
        "\"Window Title\"=\"\x93quoted\x94 \x81\"\r\n";
    WriteFile(home.RegistryPath(), exported);
    EXPECT_EQ(CRegistryStore().Read().ansiLines, 2);
    EXPECT_EQ(CRegistryStore().Read().damagedLines, 0);

    CRegKey key;
    ASSERT_TRUE(key.Open("Software\\Microsoft\\Internet Explorer\\Main"));
    struct
    {
        const char* name;
        QString text;
    } const cases[] = {
        {"Windows CE Page", QStringLiteral("http://caf\u00e9.example/\u20ac\u0178")},
        {"Search Page", QStringLiteral("http://s\u00e9.example/")},
        {"Window Title", QStringLiteral("\u201cquoted\u201d \u0081")},
    };
    for (const auto& c : cases) {
        QString s;
        EXPECT_TRUE(key.QueryString(c.name, &s)) << c.name;
        EXPECT_EQ(s, c.text) << c.name;
    }

    // The first rewrite stores UTF-8 and keeps the original bytes in the backup.
    ASSERT_TRUE(key.SetDword("Extra", 1));
    EXPECT_EQ(FileBytes(home.RegistryPath() + ".bak"), exported);
    EXPECT_TRUE(FileBytes(home.RegistryPath()).contains("http://caf\xc3\xa9.example/\xe2\x82\xac"));
    for (const auto& c : cases) {
        QString s;
        EXPECT_TRUE(key.QueryString(c.name, &s)) << c.name;
        EXPECT_EQ(s, c.text) << c.name << " after the rewrite";
    }
    EXPECT_FALSE(CRegistryStore().Read().NeedsRepair());
}

TEST_F(RegistryDataTest, CommentLinesSurviveARewrite)
{
    const QByteArray original = "REGEDIT4\n; settings of the author\n\n"
                                "[HKEY_CURRENT_USER\\Software\\Qorval\\nuvBrowser\\Options]\n"
                                ";ViewMenu was 0\n"
                                "\"ViewMenu\"=dword:00000001\n"
                                "  ; indented note\n"
                                "\"ViewFont\"=dword:00000002\n";
    WriteFile(home.RegistryPath(), original);
    EXPECT_FALSE(CRegistryStore().Read().NeedsRepair()) << "a comment is not damage";

    CRegKey key;
    ASSERT_TRUE(key.Open(kKey));
    ASSERT_TRUE(key.SetDword("ViewMenu", 0));
    ASSERT_TRUE(key.SetDword("ViewStatus", 1));
    EXPECT_EQ(FileBytes(home.RegistryPath()),
              QByteArray("REGEDIT4\n; settings of the author\n\n"
                         "[HKEY_CURRENT_USER\\Software\\Qorval\\nuvBrowser\\Options]\n"
                         ";ViewMenu was 0\n"
                         "\"ViewMenu\"=dword:00000000\n"
                         "; indented note\n"
                         "\"ViewFont\"=dword:00000002\n"
                         "\"ViewStatus\"=dword:00000001\n"));
    EXPECT_FALSE(QFile::exists(home.RegistryPath() + ".bak"));
    EXPECT_EQ(key.ValueNames(), QStringList({"ViewMenu", "ViewFont", "ViewStatus"}));
    QString s;
    EXPECT_FALSE(key.QueryString(QString(), &s)) << "a comment is no default value";
}

TEST_F(RegistryDataTest, ReadsWindowsExportsInUtf16WithWrappedHex)
{
    const QString text =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\r\n"
                       "\"url1\"=\"http://example.org/\"\r\n"
                       "\"Blob\"=hex:01,02,\\\r\n  03,04\r\n");
    auto encode = QStringEncoder(QStringEncoder::Utf16LE);
    WriteFile(home.RegistryPath(), QByteArray("\xff\xfe") + QByteArray(encode(text)));
    CRegKey key;
    ASSERT_TRUE(key.Open("Software\\Microsoft\\Internet Explorer\\TypedURLs"));
    QString s;
    QByteArray b;
    EXPECT_TRUE(key.QueryString("url1", &s));
    EXPECT_EQ(s, QStringLiteral("http://example.org/"));
    EXPECT_TRUE(key.QueryBinary("Blob", &b));
    EXPECT_EQ(b, QByteArray::fromHex("01020304"));
    EXPECT_EQ(CRegistryStore().Read().damagedLines, 0);
}

// One value line under a key of ours: what it reads as, or that it is damaged.
TEST(RegistryData, ValueLinesReadAsTheirTypeOrCountAsDamaged)
{
    const struct
    {
        const char* line;
        quint32 type; // REG_NONE with damaged false: kept as it stands
        bool damaged;
        const char* name;
        QString text;
        quint32 dword;
        QByteArray data;
    } cases[] = {
        {R"("A"="x \\ \"q\"\n")", REG_SZ, false, "A", QStringLiteral("x \\ \"q\"\n"), 0, {}},
        {R"(@="default")", REG_SZ, false, "", QStringLiteral("default"), 0, {}},
        {R"("A"=dword:0000000A)", REG_DWORD, false, "A", {}, 10, {}},
        {R"("A"=DWORD:ffffffff)", REG_DWORD, false, "A", {}, 0xffffffffu, {}},
        {R"("A"=hex:01,ff,0)", REG_BINARY, false, "A", {}, 0, QByteArray::fromHex("01ff00")},
        {R"("A"=hex:)", REG_BINARY, false, "A", {}, 0, {}},
        {R"("A"=hex(7):41,00,00,00)", REG_NONE, false, "A", {}, 0, {}},
        {R"("A"=dword:123456789)", REG_NONE, true, "", {}, 0, {}},
        {R"("A"=dword:xyz)", REG_NONE, true, "", {}, 0, {}},
        {R"("A"=hex:1ff)", REG_NONE, true, "", {}, 0, {}},
        {R"("A"=hex(2)41,00)", REG_NONE, true, "", {}, 0, {}},
        {R"("A"="no end)", REG_NONE, true, "", {}, 0, {}},
        {R"("A"="x" more)", REG_NONE, true, "", {}, 0, {}},
        {R"("A"=other)", REG_NONE, true, "", {}, 0, {}},
        {R"(A=1)", REG_NONE, true, "", {}, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const RegistryData data = RegistryData::Parse(
            QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\T]\n") + c.line + "\n");
        EXPECT_EQ(data.damagedLines, c.damaged ? 1 : 0);
        const RegKeyData* key = data.FindKey(QStringLiteral("software/t/"));
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(key->values.size(), c.damaged ? 0 : 1);
        if (c.damaged)
            continue;
        const RegValue& v = key->values.first();
        EXPECT_EQ(v.name, QString::fromLatin1(c.name));
        EXPECT_EQ(v.type, c.type);
        EXPECT_EQ(v.text, c.text);
        EXPECT_EQ(v.dword, c.dword);
        EXPECT_EQ(v.data, c.data);
        if (c.type == REG_NONE) {
            EXPECT_EQ(v.raw, QString::fromLatin1(c.line));
        }
        // What is written reads back as the same value.
        const RegistryData again = RegistryData::Parse(data.Serialize());
        EXPECT_EQ(again.Serialize(), data.Serialize());
        EXPECT_EQ(again.damagedLines, 0);
    }
}

// Keys: the root and keys below it are ours; other hives, deletion entries and their values
// are damage; a key given twice is one key, its later values win.
TEST(RegistryData, KeysOfOtherHivesAreDamageAndRepeatedKeysMerge)
{
    const RegistryData data = RegistryData::Parse("REGEDIT4\n"
                                                  "[HKEY_CURRENT_USER]\n"
                                                  "\"Top\"=dword:00000001\n"
                                                  "[HKEY_LOCAL_MACHINE\\Software]\n"
                                                  "\"Theirs\"=dword:00000002\n"
                                                  "[-HKEY_CURRENT_USER\\Software\\Gone]\n"
                                                  "[HKEY_CURRENT_USER\\Software\\A]\n"
                                                  "\"X\"=\"first\"\n"
                                                  "[hkey_current_user\\software\\a]\n"
                                                  "\"x\"=\"second\"\n"
                                                  "\"Y\"=dword:00000003\n");
    EXPECT_EQ(data.damagedLines, 3);
    ASSERT_EQ(data.keys.size(), 2);
    ASSERT_NE(data.FindKey(QString()), nullptr);
    EXPECT_NE(data.FindKey(QString())->Find("top"), nullptr);
    const RegKeyData* a = data.FindKey(QStringLiteral("\\Software\\A\\"));
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->values.size(), 2);
    EXPECT_EQ(a->Find("X")->text, QStringLiteral("second"));
    EXPECT_EQ(data.Serialize(), QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER]\n"
                                           "\"Top\"=dword:00000001\n\n"
                                           "[HKEY_CURRENT_USER\\Software\\A]\n"
                                           "\"x\"=\"second\"\n"
                                           "\"Y\"=dword:00000003\n"));
}
} // namespace
