#include "platform/RegistryStore.h"
#include "TempHome.h"

#include <QFile>
#include <QStringDecoder>
#include <gtest/gtest.h>

#include <thread>

namespace {
const QString kKey = QStringLiteral("Software\\Qorval\\nuvBrowser\\Options");

class RegistryStoreTest : public ::testing::Test
{
protected:
    CTempHome home;

    QByteArray FileBytes(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteFile(const QString& path, const QByteArray& bytes) const
    {
        CRegistryStore().CreateKey(QStringLiteral("x")); // makes the folder
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

TEST_F(RegistryStoreTest, PathFollowsXdgConfigHome)
{
    EXPECT_EQ(CRegistryStore::DefaultPath(), home.RegistryPath());
}

TEST_F(RegistryStoreTest, WritesRegedit4TextAndReadsItBack)
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

TEST_F(RegistryStoreTest, OpenAndQueryFailTheWayThePlatformDoes)
{
    CRegKey key;
    EXPECT_FALSE(key.Open(kKey)) << "a missing key cannot be opened";
    ASSERT_TRUE(key.Create(kKey));
    ASSERT_TRUE(key.SetString("Text", "abcd"));
    ASSERT_TRUE(key.SetBinary("Bin", QByteArray(8, 'x')));
    EXPECT_TRUE(CRegKey().Open("Software\\Qorval")) << "a parent of a stored key exists";

    QString s;
    QByteArray b;
    quint32 d = 0;
    EXPECT_FALSE(key.QueryString("Missing", &s));
    EXPECT_FALSE(key.QueryDword("Text", &d)) << "a value of another type";
    EXPECT_FALSE(key.QueryString("Text", &s, 4)) << "four characters need five with the zero";
    EXPECT_TRUE(key.QueryString("Text", &s, 5));
    EXPECT_FALSE(key.QueryBinary("Bin", &b, 7));
    EXPECT_TRUE(key.QueryBinary("Bin", &b, 8));
    EXPECT_TRUE(key.DeleteValue("Text"));
    EXPECT_FALSE(key.QueryString("Text", &s));
    EXPECT_FALSE(key.DeleteValue("Text"));
}

TEST_F(RegistryStoreTest, ReadsSeeWhatAnotherProcessWrote)
{
    CRegKey key;
    ASSERT_TRUE(key.Create(kKey));
    ASSERT_TRUE(key.SetDword("A", 1));
    QByteArray bytes = FileBytes(home.RegistryPath());
    bytes.replace("dword:00000001", "dword:00000007");
    WriteFile(home.RegistryPath(), bytes);
    quint32 d = 0;
    EXPECT_TRUE(key.QueryDword("A", &d));
    EXPECT_EQ(d, 7u);
}

TEST_F(RegistryStoreTest, ConcurrentWritersNeverUndoEachOther)
{
    // Each writer holds its own lock file description, as two processes would.
    auto writer = [](const QString& prefix) {
        for (int i = 0; i < 40; ++i)
            CRegistryStore().SetValue(kKey, RegValue::Dword(prefix + QString::number(i), i));
    };
    std::thread a(writer, QStringLiteral("a"));
    std::thread b(writer, QStringLiteral("b"));
    a.join();
    b.join();
    const RegistryData data = CRegistryStore().Read();
    ASSERT_NE(data.FindKey(kKey), nullptr);
    EXPECT_EQ(data.FindKey(kKey)->values.size(), 80);
}

TEST_F(RegistryStoreTest, DamagedLinesAreSkippedAndKeptInABackup)
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

TEST_F(RegistryStoreTest, LinesThatAreNotUtf8AreReadAsWindows1252)
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

TEST_F(RegistryStoreTest, ABackupIsNeverReplacedByAnotherFile)
{
    auto damagedFile = [](char tag) {
        return QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Qorval\\nuvBrowser\\Options]\n"
                          "\"Name\"=\"") +
               tag + "\xe9\"\n";
    };
    // Each step puts a file that needs repair in place, then writes a value over it.
    struct
    {
        char tag;
        bool written;
        int backups; // backup slots in use afterwards
    } const steps[] = {
        {'A', true, 1}, // .bak
        {'B', true, 2}, // .bak.1: .bak holds A
        {'A', true, 2}, // A is already kept: no new backup
        {'C', true, 3},  {'D', true, 4}, {'E', true, 5},
        {'F', false, 5}, // no slot left: the write fails and the file stays as it was
    };
    QList<QByteArray> kept;
    for (const auto& step : steps) {
        const QByteArray original = damagedFile(step.tag);
        WriteFile(home.RegistryPath(), original);
        if (!kept.contains(original) && step.written)
            kept << original;
        EXPECT_EQ(CRegistryStore().SetValue(kKey, RegValue::Dword("Count", 1)), step.written)
            << step.tag;
        if (!step.written) {
            EXPECT_EQ(FileBytes(home.RegistryPath()), original) << step.tag;
        }
        for (int slot = 0; slot < CRegistryStore::kBackupSlots; ++slot) {
            const QString backup = CRegistryStore::BackupPath(home.RegistryPath(), slot);
            EXPECT_EQ(QFile::exists(backup), slot < step.backups) << step.tag << " slot " << slot;
            if (slot < kept.size()) {
                EXPECT_EQ(FileBytes(backup), kept[slot]) << step.tag << " slot " << slot;
            }
        }
    }
    EXPECT_EQ(CRegistryStore::BackupPath(home.RegistryPath(), 2), home.RegistryPath() + ".bak.2");
}

TEST_F(RegistryStoreTest, CommentLinesSurviveARewrite)
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

TEST_F(RegistryStoreTest, ReadsWindowsExportsInUtf16WithWrappedHex)
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

TEST_F(RegistryStoreTest, AFailedWriteReportsFailureAndChangesNothing)
{
    // The folder cannot be made: its parent is a plain file.
    QFile blocker(home.Path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CRegistryStore store(home.Path() + "/blocker/nuvBrowser/registry.reg");
    EXPECT_FALSE(store.SetValue(kKey, RegValue::Dword("A", 1)));
    EXPECT_FALSE(store.KeyExists(kKey));
    CRegKey key(store);
    EXPECT_FALSE(key.Create(kKey));
}
} // namespace
