// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryStore.h"
#include "RegistryFileTest.h"
#include "platform/RegKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {
// The store: where the file is, the platform's open and query rules, locking, atomic writes
// and backups.
class RegistryStoreTest : public RegistryFileTest
{
};

TEST_F(RegistryStoreTest, PathFollowsXdgConfigHome)
{
    EXPECT_EQ(CRegistryStore::DefaultPath(), home.RegistryPath());
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

TEST_F(RegistryStoreTest, BackupsKeepTheLastFiveRepairedFilesInOrderOfAge)
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
        const char* held; // the files the backup slots hold afterwards, .bak first
        bool bTold;       // a backup was dropped, and the user is told
    } const steps[] = {
        {'A', "A", false},    {'B', "AB", false},    {'A', "AB", false}, // already kept
        {'C', "ABC", false},  {'D', "ABCD", false},  {'E', "ABCDE", false},
        {'F', "BCDEF", true}, // every slot taken: the oldest goes, the rest move down
        {'G', "CDEFG", true}, {'E', "CDEFG", false}, {'B', "DEFGB", true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.tag);
        WriteFile(home.RegistryPath(), damagedFile(step.tag));
        testing::internal::CaptureStderr();
        EXPECT_TRUE(CRegistryStore().SetValue(kKey, RegValue::Dword("Count", 1)));
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_EQ(told.find("oldest") != std::string::npos, step.bTold) << told;
        EXPECT_TRUE(FileBytes(home.RegistryPath()).contains("\"Count\"=dword:00000001"));
        for (int slot = 0; slot <= CRegistryStore::kBackupSlots; ++slot) {
            const QString backup = CRegistryStore::BackupPath(home.RegistryPath(), slot);
            const bool bHeld = slot < int(std::strlen(step.held));
            EXPECT_EQ(QFile::exists(backup), bHeld) << "slot " << slot;
            if (bHeld) {
                EXPECT_EQ(FileBytes(backup), damagedFile(step.held[slot])) << "slot " << slot;
            }
        }
    }
    EXPECT_EQ(CRegistryStore::BackupPath(home.RegistryPath(), 2), home.RegistryPath() + ".bak.2");
}

TEST_F(RegistryStoreTest, AWriteRemovesWhatKilledWritersLeftAndNothingElse)
{
    CRegistryStore().CreateKey(kKey);
    const QDir folder = QFileInfo(home.RegistryPath()).dir();
    // Temporary files of writers killed before their rename: of the store and of backups.
    const QStringList leftovers = {"registry.reg.tmp.Ab12Cd", "registry.reg.bak.tmp.x9Y8z7",
                                   "registry.reg.bak.2.tmp.000000"};
    // Names that only look alike, and another store's temporary file.
    const QStringList others = {"registry.reg.backup",      "registry.reg.tmp.Ab12C",
                                "registry.reg.tmp.Ab12Cd7", "registry.reg.tmp.Ab-2Cd",
                                "other.reg.tmp.Ab12Cd",     "registry.reg.bak.tmp"};
    auto put = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    for (const QString& name : leftovers + others)
        put(folder.filePath(name), "partial");
    // Neither a folder nor a link of such a name is touched, nor what the link leads to.
    ASSERT_TRUE(folder.mkdir("registry.reg.tmp.Dir123"));
    put(home.Path() + "/outside", "outside");
    ASSERT_TRUE(QFile::link(home.Path() + "/outside", folder.filePath("registry.reg.tmp.Lnk123")));

    ASSERT_TRUE(CRegistryStore().SetValue(kKey, RegValue::Dword("Count", 1)));
    const QStringList left =
        folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : leftovers)
        EXPECT_FALSE(left.contains(name)) << name.toStdString();
    for (const QString& name :
         others + QStringList{"registry.reg.tmp.Dir123", "registry.reg.tmp.Lnk123"})
        EXPECT_TRUE(left.contains(name)) << name.toStdString();
    EXPECT_EQ(FileBytes(home.Path() + "/outside"), "outside");
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
