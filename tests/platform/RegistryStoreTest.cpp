#include "platform/RegistryStore.h"
#include "RegistryFileTest.h"
#include "platform/RegKey.h"

#include <QFile>
#include <gtest/gtest.h>

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
