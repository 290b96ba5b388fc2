// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileDatabase.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <sys/fsuid.h>
#include <thread>
#include <unistd.h>

namespace {
const QStringList kNotesSchema = {
    QStringLiteral("CREATE TABLE notes(id INTEGER PRIMARY KEY, text TEXT)")};

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray RandomBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

QVariant QueryOne(CProfileDatabase& db, const QString& sql)
{
    QSqlQuery query(db.Database());
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

bool Insert(CProfileDatabase& db, const QString& text)
{
    QSqlQuery query(db.Database());
    query.prepare(QStringLiteral("INSERT INTO notes(text) VALUES(?)"));
    query.addBindValue(text);
    return query.exec();
}

// Runs `body` on a thread whose file-system identity is an ordinary user, so that a
// read-only folder is read-only even when the tests run as root (the identity is per thread).
void AsOrdinaryUser(const std::function<void()>& body)
{
    std::thread thread([&] {
        if (::geteuid() == 0)
            ::setfsuid(65534);
        body();
    });
    thread.join();
}

class ProfileDatabaseTest : public ::testing::Test
{
protected:
    QString Path() const { return CProfileDatabase::DefaultPath(); }
    CTempHome m_home;
};
} // namespace

TEST_F(ProfileDatabaseTest, FreshFileIsWritableInWalModeAndSchemaIsVersioned)
{
    EXPECT_EQ(Path(), m_home.DataHome() + "/nuvBrowser/history.sqlite");
    {
        CProfileDatabase db;
        ASSERT_TRUE(db.Open());
        EXPECT_TRUE(db.IsWritable());
        EXPECT_FALSE(db.WasReset());
        EXPECT_EQ(QueryOne(db, "PRAGMA journal_mode").toString(), "wal");
        EXPECT_EQ(db.SchemaVersion("notes"), 0);
        ASSERT_TRUE(db.EnsureSchema("notes", 1, kNotesSchema));
        EXPECT_EQ(db.SchemaVersion("notes"), 1);
        EXPECT_TRUE(Insert(db, "kept"));
    }
    // A second open does not run the statements again (they would fail: no IF NOT EXISTS),
    // and a newer version runs only its own.
    CProfileDatabase db;
    ASSERT_TRUE(db.Open());
    EXPECT_TRUE(db.EnsureSchema("notes", 1, kNotesSchema));
    EXPECT_TRUE(db.EnsureSchema("notes", 2, {"ALTER TABLE notes ADD COLUMN extra TEXT"}));
    EXPECT_EQ(db.SchemaVersion("notes"), 2);
    EXPECT_EQ(QueryOne(db, "SELECT text FROM notes").toString(), "kept");
}

TEST_F(ProfileDatabaseTest, DamagedFileIsMovedAsideAndAFreshOneStarted)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"random bytes", RandomBytes(64 * 1024)},
        {"text", QByteArray("this is not a database\n").repeated(100)},
        {"header then noise", QByteArray("SQLite format 3\0", 16) + RandomBytes(8192)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Path() + ".bad");
        WriteFile(Path(), c.bytes);
        CProfileDatabase db;
        ASSERT_TRUE(db.Open());
        EXPECT_TRUE(db.IsWritable());
        EXPECT_TRUE(db.WasReset());
        EXPECT_EQ(ReadFile(Path() + ".bad"), c.bytes);
        ASSERT_TRUE(db.EnsureSchema("notes", 1, kNotesSchema));
        EXPECT_TRUE(Insert(db, "after"));
        db.Close();
        QFile::remove(Path());
    }
}

TEST_F(ProfileDatabaseTest, DataFolderThatCannotBeMadeLeavesItClosed)
{
    // The data home is a file: no folder can be made below it.
    WriteFile(m_home.Path() + "/blocker", "x");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.Path() + "/blocker"));
    CProfileDatabase db;
    EXPECT_FALSE(db.Open());
    EXPECT_FALSE(db.IsWritable());
    EXPECT_EQ(db.SchemaVersion("notes"), 0);
    EXPECT_FALSE(db.EnsureSchema("notes", 1, kNotesSchema));
}

TEST_F(ProfileDatabaseTest, ReadOnlyFolderIsReadButNotWritten)
{
    {
        CProfileDatabase db;
        ASSERT_TRUE(db.Open());
        ASSERT_TRUE(db.EnsureSchema("notes", 1, kNotesSchema));
        ASSERT_TRUE(Insert(db, "old"));
    }
    const QString folder = QFileInfo(Path()).absolutePath();
    const auto readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    // The ordinary user must reach the folder.
    for (QString dir = folder; dir.startsWith(m_home.Path()); dir = QFileInfo(dir).path())
        QFile::setPermissions(dir, readable | QFile::WriteOwner);
    QFile::setPermissions(folder, readable);
    QFile::setPermissions(Path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    AsOrdinaryUser([&] {
        CProfileDatabase db;
        EXPECT_TRUE(db.Open());
        EXPECT_EQ(db.State(), CProfileDatabase::EState::ReadOnly);
        EXPECT_FALSE(db.WasReset());
        EXPECT_EQ(QueryOne(db, "SELECT text FROM notes").toString(), "old");
        EXPECT_TRUE(db.EnsureSchema("notes", 1, kNotesSchema));
        EXPECT_FALSE(db.EnsureSchema("other", 1, {"CREATE TABLE other(x)"}));
        EXPECT_FALSE(Insert(db, "new"));
    });
    QFile::setPermissions(folder, readable | QFile::WriteOwner);
    EXPECT_FALSE(QFileInfo::exists(Path() + ".bad"));
}

TEST_F(ProfileDatabaseTest, FileLockedByAnotherWriterIsNotTakenForDamage)
{
    {
        CProfileDatabase db;
        ASSERT_TRUE(db.Open());
        ASSERT_TRUE(db.EnsureSchema("notes", 1, kNotesSchema));
    }
    // Another browser holds a write transaction longer than we wait.
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    std::thread other([&] {
        CProfileDatabase db;
        ASSERT_TRUE(db.Open());
        QSqlQuery query(db.Database());
        ASSERT_TRUE(query.exec("BEGIN EXCLUSIVE"));
        holding = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        query.exec("ROLLBACK");
    });
    while (!holding)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    {
        CProfileDatabase db;
        db.Open();
        EXPECT_FALSE(db.WasReset());
        EXPECT_FALSE(db.IsWritable());
    }
    release = true;
    other.join();
    EXPECT_FALSE(QFileInfo::exists(Path() + ".bad"));
    CProfileDatabase db;
    ASSERT_TRUE(db.Open());
    EXPECT_TRUE(db.IsWritable());
    EXPECT_EQ(db.SchemaVersion("notes"), 1);
}

TEST_F(ProfileDatabaseTest, OpenersAtTheSameMomentShareOneSoundFile)
{
    const QByteArray damaged = RandomBytes(32 * 1024);
    for (bool startDamaged : {false, true}) {
        SCOPED_TRACE(startDamaged ? "damaged file" : "no file");
        QFile::remove(Path());
        QFile::remove(Path() + ".bad");
        if (startDamaged)
            WriteFile(Path(), damaged);
        constexpr int kOpeners = 6;
        constexpr int kRows = 20;
        std::atomic<int> ready{0};
        std::atomic<int> writable{0};
        std::atomic<int> resets{0};
        std::atomic<int> inserted{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < kOpeners; ++i) {
            threads.emplace_back([&] {
                ++ready;
                while (ready < kOpeners)
                    std::this_thread::yield();
                CProfileDatabase db;
                if (!db.Open())
                    return;
                writable += db.IsWritable();
                resets += db.WasReset();
                if (!db.EnsureSchema("notes", 1, kNotesSchema))
                    return;
                for (int r = 0; r < kRows; ++r)
                    inserted += Insert(db, "row");
            });
        }
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(writable, kOpeners);
        EXPECT_EQ(resets, startDamaged ? 1 : 0);
        EXPECT_EQ(inserted, kOpeners * kRows);
        if (startDamaged) {
            EXPECT_EQ(ReadFile(Path() + ".bad"), damaged);
        }
        CProfileDatabase db;
        ASSERT_TRUE(db.Open());
        EXPECT_FALSE(db.WasReset());
        EXPECT_EQ(QueryOne(db, "PRAGMA integrity_check").toString(), "ok");
        EXPECT_EQ(QueryOne(db, "SELECT count(*) FROM notes").toInt(), kOpeners * kRows);
    }
}
