// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class CProfileDatabase;
class QSqlError;

// One visited page.
struct HistoryEntry
{
    QString address;
    QString title;
    qint64 lastVisit = 0; // milliseconds since the epoch (UTC)
    int visitCount = 0;
};

// One finished load a pane reported: a new visit, or only a title learnt later.
struct HistoryVisit
{
    QString address;
    QString title;
    qint64 time = 0;
    bool bNewVisit = true;
};

// The history tables of the profile database, used on the thread that opened it. Every call
// is one statement or one transaction; a failed write turns the database read-only (see
// CProfileDatabase::NoteWriteFailure) and later writes are skipped.
class CHistoryDb
{
public:
    static constexpr int kMaxEntries = 100000;
    static constexpr qint64 kMaxAgeMs = qint64(90) * 24 * 60 * 60 * 1000;
    // How far Match reads in rank order before it reads the whole table instead.
    static constexpr int kRankWalk = 2000;
    // How many matches a read of the whole table keeps, so that the longer texts typed after
    // it are answered from them.
    static constexpr int kKeptMatches = 1000;

    explicit CHistoryDb(CProfileDatabase* pDb);

    // Creates the tables when missing; false when they cannot be read or made.
    bool Init();
    bool IsReady() const { return m_bReady; }
    // Whether texts of three characters or more are looked up in a substring index (else
    // the table is read for every text).
    bool HasTextIndex() const { return m_bTextIndex; }

    // Whether an address belongs in the history: http, https and file pages only.
    static bool IsRecorded(const QString& address);

    bool Record(const QList<HistoryVisit>& visits);
    // The entries whose address or title holds `text` (case-insensitive for ASCII letters),
    // most visited first, then the most recent; at most nLimit. A text of one or two
    // characters is looked for among the kRankWalk first entries in that order only (when
    // the substring index is there).
    QList<HistoryEntry> Match(const QString& text, int nLimit) const;
    bool Remove(const QString& address);
    bool Clear();
    // Drops entries older than 90 days before `now`, and the least recent beyond 100,000.
    bool Prune(qint64 now, int nMaxEntries = kMaxEntries);
    int Count() const;

private:
    // Runs `statements` in one transaction; they give the error of the one that failed.
    bool Write(const std::function<bool(QSqlError*)>& statements);
    // As Match; *pComplete tells whether the answer holds every match (then it may hold more
    // than nLimit, up to kKeptMatches).
    QList<HistoryEntry> Query(const QString& text, int nLimit, bool* pComplete) const;

    // The last answer, when it held every match (up to kKeptMatches): a longer text that
    // holds it is answered from it without reading the table (as one types on). Any write
    // forgets it.
    struct Complete
    {
        QString text;
        QList<HistoryEntry> entries;
    };
    mutable std::optional<Complete> m_lastComplete;

    CProfileDatabase* m_pDb;
    bool m_bReady = false;
    // Whether the file has the substring index of addresses and titles.
    bool m_bTextIndex = false;
    // A look-up found the index damaged: the next write makes it again.
    mutable bool m_bIndexDamaged = false;
};
