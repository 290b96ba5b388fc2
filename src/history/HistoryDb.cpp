// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryDb.h"

#include "platform/ProfileDatabase.h"

#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>

namespace {
constexpr int kSchemaVersion = 1;
// Addresses and titles longer than this are cut: a page may give itself a huge title.
constexpr int kMaxTextLength = 2048;

QString LikePattern(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
    escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// As LIKE compares: only the ASCII letters without regard to case.
QString AsciiLower(const QString& text)
{
    QString lower = text;
    for (QChar& c : lower)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return lower;
}
} // namespace

CHistoryDb::CHistoryDb(CProfileDatabase* pDb) : m_pDb(pDb) {}

bool CHistoryDb::Init()
{
    m_bReady = m_pDb->IsOpen() &&
               m_pDb->EnsureSchema(
                   QStringLiteral("history"), kSchemaVersion,
                   {QStringLiteral("CREATE TABLE IF NOT EXISTS history(address TEXT PRIMARY KEY, "
                                   "title TEXT NOT NULL DEFAULT '', last_visit INTEGER NOT NULL, "
                                   "visit_count INTEGER NOT NULL DEFAULT 1)"),
                    QStringLiteral("CREATE INDEX IF NOT EXISTS history_rank ON "
                                   "history(visit_count DESC, last_visit DESC)"),
                    QStringLiteral("CREATE INDEX IF NOT EXISTS history_age ON "
                                   "history(last_visit)")});
    return m_bReady;
}

bool CHistoryDb::IsRecorded(const QString& address)
{
    const QString scheme = QUrl(address).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("file");
}

bool CHistoryDb::Exec(const QString& sql)
{
    m_lastComplete.reset();
    QSqlQuery query(m_pDb->Database());
    if (query.exec(sql))
        return true;
    m_pDb->NoteWriteFailure();
    return false;
}

bool CHistoryDb::Record(const QList<HistoryVisit>& visits)
{
    m_lastComplete.reset();
    if (!m_bReady || !m_pDb->IsWritable())
        return false;
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    QSqlQuery visit(m_pDb->Database());
    visit.prepare(QStringLiteral(
        "INSERT INTO history(address, title, last_visit, visit_count) VALUES(?, ?, ?, 1) "
        "ON CONFLICT(address) DO UPDATE SET title = CASE WHEN excluded.title <> '' THEN "
        "excluded.title ELSE title END, last_visit = excluded.last_visit, "
        "visit_count = visit_count + 1"));
    QSqlQuery title(m_pDb->Database());
    title.prepare(QStringLiteral("UPDATE history SET title = ? WHERE address = ?"));
    bool ok = true;
    for (const HistoryVisit& v : visits) {
        if (!IsRecorded(v.address))
            continue;
        const QString address = v.address.left(kMaxTextLength);
        // A null text would be bound as NULL, which the table refuses (a page without a title).
        const QString text = v.title.isNull() ? QStringLiteral("") : v.title.left(kMaxTextLength);
        if (v.bNewVisit) {
            visit.addBindValue(address);
            visit.addBindValue(text);
            visit.addBindValue(v.time);
            ok = ok && visit.exec();
        } else if (!text.isEmpty()) {
            title.addBindValue(text);
            title.addBindValue(address);
            ok = ok && title.exec();
        }
    }
    if (!ok || !Exec(QStringLiteral("COMMIT"))) {
        QSqlQuery(m_pDb->Database()).exec(QStringLiteral("ROLLBACK"));
        m_pDb->NoteWriteFailure();
        return false;
    }
    return true;
}

QList<HistoryEntry> CHistoryDb::Match(const QString& text, int nLimit) const
{
    if (!m_bReady || text.isEmpty() || nLimit <= 0)
        return {};
    const QString lower = AsciiLower(text);
    if (m_lastComplete && lower.contains(m_lastComplete->text)) {
        QList<HistoryEntry> entries;
        for (const HistoryEntry& e : m_lastComplete->entries)
            if (entries.size() < nLimit &&
                (AsciiLower(e.address).contains(lower) || AsciiLower(e.title).contains(lower)))
                entries.append(e);
        return entries;
    }
    bool bComplete = false;
    QList<HistoryEntry> entries = Query(text, nLimit, &bComplete);
    if (bComplete)
        m_lastComplete = Complete{lower, entries};
    else
        m_lastComplete.reset();
    if (entries.size() > nLimit)
        entries.resize(nLimit);
    return entries;
}

QList<HistoryEntry> CHistoryDb::Query(const QString& text, int nLimit, bool* pComplete) const
{
    QList<HistoryEntry> entries;
    // Text that many pages hold finds its best entries among the first ones in rank order,
    // read by the index; text that few or none hold would read the index to its end, with a
    // jump into the table for every entry (far slower than reading the table straight). So
    // the walk in rank order stops after kRankWalk entries; when it has not found nLimit of
    // them, the table is read once straight through and its matches sorted. The answer is
    // the same either way: a match ranked above the last one found lies within the walk.
    // That read keeps up to kKeptMatches of them: typing on, the user narrows them down.
    const QString pattern = LikePattern(text);
    const QString where =
        QStringLiteral("WHERE address LIKE :p ESCAPE '\\' OR title LIKE :p ESCAPE '\\' ");
    const QString queries[] = {
        QStringLiteral("SELECT address, title, last_visit, visit_count FROM (SELECT * FROM "
                       "history INDEXED BY history_rank ORDER BY visit_count DESC, last_visit "
                       "DESC LIMIT %1) ")
                .arg(kRankWalk) +
            where + QStringLiteral("LIMIT :n"),
        QStringLiteral("SELECT address, title, last_visit, visit_count FROM history NOT INDEXED ") +
            where + QStringLiteral("ORDER BY visit_count DESC, last_visit DESC LIMIT :n"),
    };
    *pComplete = false;
    for (const QString& sql : queries) {
        const bool bWholeTable = &sql != queries;
        const int nRows = bWholeTable ? std::max(nLimit, kKeptMatches) : nLimit;
        entries.clear();
        QSqlQuery query(m_pDb->Database());
        query.setForwardOnly(true);
        query.prepare(sql);
        query.bindValue(QStringLiteral(":p"), pattern);
        query.bindValue(QStringLiteral(":n"), nRows);
        if (!query.exec())
            return entries;
        while (query.next())
            entries.append({query.value(0).toString(), query.value(1).toString(),
                            query.value(2).toLongLong(), query.value(3).toInt()});
        if (entries.size() >= nLimit) {
            *pComplete = bWholeTable && entries.size() < nRows;
            break;
        }
        *pComplete = bWholeTable;
    }
    return entries;
}

bool CHistoryDb::Remove(const QString& address)
{
    m_lastComplete.reset();
    if (!m_bReady || !m_pDb->IsWritable())
        return false;
    QSqlQuery query(m_pDb->Database());
    query.prepare(QStringLiteral("DELETE FROM history WHERE address = ?"));
    query.addBindValue(address);
    if (query.exec())
        return true;
    m_pDb->NoteWriteFailure();
    return false;
}

bool CHistoryDb::Clear()
{
    return m_bReady && m_pDb->IsWritable() && Exec(QStringLiteral("DELETE FROM history"));
}

bool CHistoryDb::Prune(qint64 now, int nMaxEntries)
{
    m_lastComplete.reset();
    if (!m_bReady || !m_pDb->IsWritable())
        return false;
    QSqlQuery query(m_pDb->Database());
    query.prepare(QStringLiteral("DELETE FROM history WHERE last_visit < ?"));
    query.addBindValue(now - kMaxAgeMs);
    bool ok = query.exec();
    query.prepare(QStringLiteral("DELETE FROM history WHERE address IN (SELECT address FROM "
                                 "history ORDER BY last_visit DESC LIMIT -1 OFFSET ?)"));
    query.addBindValue(nMaxEntries);
    ok = ok && query.exec();
    if (!ok)
        m_pDb->NoteWriteFailure();
    return ok;
}

int CHistoryDb::Count() const
{
    QSqlQuery query(m_pDb->Database());
    return m_bReady && query.exec(QStringLiteral("SELECT count(*) FROM history")) && query.next()
               ? query.value(0).toInt()
               : 0;
}
