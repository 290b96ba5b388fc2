// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProfileDatabase.h"

#include "Paths.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QVariant>

#include <atomic>

namespace {
// SQLite's primary result codes that mean the file itself is bad.
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;
// How long an opener waits for another one (a second browser, a worker) before giving up.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kOpenLockWaitMs = 10000;

// QLockFile's own wait doubles its pauses up to seconds; openers hold the lock only briefly.
bool TakeLock(QLockFile& lock)
{
    QDeadlineTimer deadline(kOpenLockWaitMs);
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

// The files moved aside that no one has told the user about yet.
QMutex g_resetNotesLock;
QSet<QString> g_resetNotes;

QString NoteKey(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

QString NewConnectionName()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("nuvprofile-%1").arg(++counter);
}
} // namespace

QString CProfileDatabase::DefaultPath()
{
    return NuvDataHome() + QLatin1String("/history.sqlite");
}

CProfileDatabase::CProfileDatabase(const QString& path)
    : m_path(path), m_connectionName(NewConnectionName())
{
}

CProfileDatabase::~CProfileDatabase()
{
    Close();
}

QSqlDatabase CProfileDatabase::Database() const
{
    return IsOpen() ? QSqlDatabase::database(m_connectionName, false) : QSqlDatabase();
}

void CProfileDatabase::DropConnection()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void CProfileDatabase::Close()
{
    DropConnection();
    m_state = EState::Closed;
}

CProfileDatabase::EOpenResult CProfileDatabase::OpenConnection(EMode mode)
{
    DropConnection();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!db.isValid())
        return EOpenResult::Failed; // the driver is not installed
    const bool readOnly = mode != EMode::Write;
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
    if (readOnly)
        options += QLatin1String(";QSQLITE_OPEN_READONLY");
    if (mode == EMode::ReadImmutable) {
        // In a folder we may not write, SQLite cannot make the WAL's index file: the file is
        // read as it is (it was left complete when its last writer closed it).
        options += QLatin1String(";QSQLITE_OPEN_URI");
        db.setDatabaseName(QUrl::fromLocalFile(m_path).toString(QUrl::FullyEncoded) +
                           QLatin1String("?immutable=1"));
    } else {
        db.setDatabaseName(m_path);
    }
    db.setConnectOptions(options);
    if (!db.open())
        return IsDamage(db.lastError()) ? EOpenResult::Damaged : EOpenResult::Failed;

    // The first read of the file finds out whether it is a database at all.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return IsDamage(query.lastError()) ? EOpenResult::Damaged : EOpenResult::Failed;
    if (readOnly)
        return EOpenResult::Ok;

    // SQLite quietly opens a file it may not write read-only: a real write finds out.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_versions("
                                   "name TEXT PRIMARY KEY, version INTEGER NOT NULL)")) ||
        !query.exec(QStringLiteral("INSERT OR REPLACE INTO schema_versions(name, version) "
                                   "VALUES('profile', 1)")))
        return IsDamage(query.lastError()) ? EOpenResult::Damaged : EOpenResult::Failed;
    return EOpenResult::Ok;
}

bool CProfileDatabase::MoveAside()
{
    const QString bad = m_path + QLatin1String(".bad");
    QFile::remove(bad);
    if (!QFile::rename(m_path, bad))
        return false;
    // The journal files belonged to the damaged file.
    QFile::remove(m_path + QLatin1String("-wal"));
    QFile::remove(m_path + QLatin1String("-shm"));
    return true;
}

bool CProfileDatabase::Open()
{
    Close();
    m_wasReset = false;
    const bool folderMade = MakeFolderPath(QFileInfo(m_path).absolutePath());

    // Openers take turns, so that two of them never both move a damaged file aside (the
    // second would move the first one's fresh database).
    QLockFile lock(m_path + QLatin1String(".lock"));
    lock.setStaleLockTime(30000);
    const bool locked = folderMade && TakeLock(lock);

    if (locked) {
        EOpenResult result = OpenConnection(EMode::Write);
        if (result == EOpenResult::Damaged) {
            DropConnection();
            if (MoveAside()) {
                m_wasReset = true;
                {
                    QMutexLocker locker(&g_resetNotesLock);
                    g_resetNotes.insert(NoteKey(m_path));
                }
                result = OpenConnection(EMode::Write);
            }
        }
        if (result == EOpenResult::Ok) {
            m_state = EState::Writable;
            return true;
        }
    }
    // A folder or file we may not write: what is there can still be read.
    if (QFileInfo::exists(m_path) && (OpenConnection(EMode::Read) == EOpenResult::Ok ||
                                      OpenConnection(EMode::ReadImmutable) == EOpenResult::Ok)) {
        m_state = EState::ReadOnly;
        return true;
    }
    DropConnection();
    return false;
}

bool CProfileDatabase::TakeResetNote(const QString& path)
{
    QMutexLocker locker(&g_resetNotesLock);
    return g_resetNotes.remove(NoteKey(path));
}

int CProfileDatabase::SchemaVersion(const QString& name) const
{
    if (!IsOpen())
        return 0;
    QSqlQuery query(Database());
    query.prepare(QStringLiteral("SELECT version FROM schema_versions WHERE name = ?"));
    query.addBindValue(name);
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toInt();
}

bool CProfileDatabase::IsDamage(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff; // extended codes keep it low
    return ok && (code == kSqliteCorrupt || code == kSqliteNotADatabase);
}

bool CProfileDatabase::EnsureSchema(const QString& name, int version, const QStringList& statements)
{
    if (SchemaVersion(name) >= version)
        return true;
    if (!IsWritable())
        return false;
    QSqlDatabase db = Database();
    QSqlQuery query(db);
    // IMMEDIATE: a second opener waits here instead of failing on the upgrade to writing.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        NoteWriteFailure();
        return false;
    }
    if (SchemaVersion(name) >= version) {
        query.exec(QStringLiteral("COMMIT"));
        return true;
    }
    bool ok = true;
    for (const QString& statement : statements)
        ok = ok && query.exec(statement);
    if (ok) {
        query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO schema_versions(name, version) VALUES(?, ?)"));
        query.addBindValue(name);
        query.addBindValue(version);
        ok = query.exec() && query.exec(QStringLiteral("COMMIT"));
    }
    if (!ok) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

void CProfileDatabase::NoteWriteFailure()
{
    if (m_state == EState::Writable)
        m_state = EState::ReadOnly;
}
