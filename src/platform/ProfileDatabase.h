// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The program's own SQLite database (history of visited pages, downloads list):
// NuvDataHome() + "/history.sqlite", opened through Qt SQL in WAL mode with a busy timeout.
//
// One object is one connection, usable only on the thread that made it (Qt SQL connections
// are per thread): a worker thread makes its own object. Each feature keeps its tables under
// its own name in `schema_versions(name, version)` and creates them with EnsureSchema().
//
// Faults never stop the browser:
// - a file that is not a database (or is damaged) is moved aside to history.sqlite.bad and a
//   fresh one is started; WasReset() says so;
// - a folder or file that cannot be written leaves the object open read-only when the file
//   can still be read, else closed; IsWritable() is false and callers skip writing;
// - two openers at the same moment (two browsers on one home, or two threads) take turns on
//   a lock file beside the database, so only one of them ever repairs or creates it.
class CProfileDatabase
{
public:
    enum class EState
    {
        Closed,   // not opened, or could not be opened at all
        ReadOnly, // open for reading; nothing can be written
        Writable,
    };

    // The default place: NuvDataHome() + "/history.sqlite".
    static QString DefaultPath();

    explicit CProfileDatabase(const QString& path = DefaultPath());
    ~CProfileDatabase();
    CProfileDatabase(const CProfileDatabase&) = delete;
    CProfileDatabase& operator=(const CProfileDatabase&) = delete;

    // Opens (creating the folder and file when missing). Returns IsOpen().
    bool Open();
    void Close();

    bool IsOpen() const { return m_state != EState::Closed; }
    bool IsWritable() const { return m_state == EState::Writable; }
    EState State() const { return m_state; }
    // True when this open found a damaged file and moved it aside.
    bool WasReset() const { return m_wasReset; }
    // Whether any opener in this process moved a damaged file at path aside since the last
    // call. The file is shared: the feature that tells the user (the history) is not always
    // the first to open it (the downloads list opens it at start-up).
    static bool TakeResetNote(const QString& path);
    QString Path() const { return m_path; }
    // The connection (invalid while closed). Use only on the thread that made this object.
    QSqlDatabase Database() const;

    // The stored version of a feature's tables; 0 when it has none yet.
    int SchemaVersion(const QString& name) const;
    // Runs `statements` in one transaction and records `version` for `name` when the stored
    // version is lower (statements should be CREATE ... IF NOT EXISTS or migrations from any
    // lower version). True when the tables are at `version` afterwards. False when the
    // database is read-only and the tables are missing or older.
    bool EnsureSchema(const QString& name, int version, const QStringList& statements);

    // Whether an error says that the file (or a part of it) is damaged.
    static bool IsDamage(const QSqlError& error);

    // Called after a write failed: a full disk or a file made read-only since the open turns
    // the object read-only, so later writes are skipped.
    void NoteWriteFailure();

private:
    enum class EOpenResult
    {
        Ok,
        Damaged,
        Failed,
    };
    enum class EMode
    {
        Write,
        Read,
        ReadImmutable,
    };
    EOpenResult OpenConnection(EMode mode);
    bool MoveAside();
    void DropConnection();

    QString m_path;
    QString m_connectionName;
    EState m_state = EState::Closed;
    bool m_wasReset = false;
};
