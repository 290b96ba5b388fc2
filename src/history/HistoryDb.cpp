// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryDb.h"

#include "platform/ProfileDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>

namespace {
// 1: the table and its indexes; 2: the substring index of addresses and titles.
constexpr int kTextIndexVersion = 2;
// Trigrams (of characters) the substring index is asked for at most: enough to find the few
// entries that hold a pasted address without reading hundreds of lists.
constexpr int kMaxTrigrams = 16;
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
// The query of the substring index for the entries that may hold `text`: its trigrams, each
// one a quoted term, all of them required. Empty when the text has fewer than three
// characters (the index cannot find those).
QString TrigramQuery(const QString& text)
{
    const QList<uint> chars = text.toUcs4();
    QStringList terms;
    for (qsizetype i = 0; i + 3 <= chars.size() && terms.size() < kMaxTrigrams; ++i) {
        QString term = QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[i]), 3);
        term.replace(QLatin1Char('"'), QLatin1String("\"\""));
        term = QLatin1Char('"') + term + QLatin1Char('"');
        if (!terms.contains(term))
            terms.append(term);
    }
    return terms.join(QLatin1String(" AND "));
}
// Makes the substring index again from the table.
QString RebuildIndex()
{
    return QStringLiteral("INSERT INTO history_text(history_text) VALUES('rebuild')");
}
// Takes a removed entry out of the substring index.
QString DeleteTrigger()
{
    return QStringLiteral("CREATE TRIGGER IF NOT EXISTS history_text_delete AFTER DELETE ON "
                          "history BEGIN INSERT INTO history_text(history_text, rowid, address, "
                          "title) VALUES('delete', old.rowid, old.address, old.title); END");
}
} // namespace

CHistoryDb::CHistoryDb(CProfileDatabase* pDb) : m_pDb(pDb) {}

bool CHistoryDb::Init()
{
    const QStringList table = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS history(address TEXT PRIMARY KEY, "
                       "title TEXT NOT NULL DEFAULT '', last_visit INTEGER NOT NULL, "
                       "visit_count INTEGER NOT NULL DEFAULT 1)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS history_rank ON "
                       "history(visit_count DESC, last_visit DESC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS history_age ON history(last_visit)"),
    };
    // The substring index: the trigrams of every address and title (SQLite's FTS5), kept by
    // triggers and pointing at the table's rowids. Nothing may VACUUM the table without a
    // 'rebuild' of the index after it (that would renumber the rowids). Made from the rows
    // already there when an older file is opened.
    const QStringList textIndex = {
        QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS history_text USING fts5(address, "
                       "title, content='history', content_rowid='rowid', tokenize='trigram', "
                       "detail='none')"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS history_text_insert AFTER INSERT ON "
                       "history BEGIN INSERT INTO history_text(rowid, address, title) "
                       "VALUES(new.rowid, new.address, new.title); END"),
        DeleteTrigger(),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS history_text_update AFTER UPDATE OF "
                       "address, title ON history WHEN old.address IS NOT new.address OR "
                       "old.title IS NOT new.title BEGIN INSERT INTO history_text(history_text, "
                       "rowid, address, title) VALUES('delete', old.rowid, old.address, "
                       "old.title); INSERT INTO history_text(rowid, address, title) "
                       "VALUES(new.rowid, new.address, new.title); END"),
        RebuildIndex(),
    };
    m_bReady = false;
    m_bTextIndex = false;
    if (!m_pDb->IsOpen())
        return false;
    // A SQLite without FTS5, or a file at version 1 that cannot be written, keeps the table
    // alone: every text is then looked for by reading it.
    m_bTextIndex =
        m_pDb->EnsureSchema(QStringLiteral("history"), kTextIndexVersion, table + textIndex);
    m_bReady = m_bTextIndex || m_pDb->EnsureSchema(QStringLiteral("history"), 1, table);
    return m_bReady;
}

bool CHistoryDb::IsRecorded(const QString& address)
{
    const QString scheme = QUrl(address).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("file");
}

bool CHistoryDb::Write(const std::function<bool(QSqlError*)>& statements)
{
    m_lastComplete.reset();
    if (!m_bReady || !m_pDb->IsWritable())
        return false;
    const QSqlDatabase db = m_pDb->Database();
    // A damaged substring index fails the look-ups (the table answers them meanwhile) and
    // the writes that reach its lists through its triggers: it is made again from the table.
    const auto rebuild = [&db] { return QSqlQuery(db).exec(RebuildIndex()); };
    if (m_bIndexDamaged && rebuild())
        m_bIndexDamaged = false;
    for (bool bRepaired = false;; bRepaired = true) {
        QSqlError error;
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            if (statements(&error)) {
                if (query.exec(QStringLiteral("COMMIT")))
                    return true;
                error = query.lastError();
            }
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        } else {
            error = query.lastError();
        }
        // Tried again once after the index was made again.
        if (bRepaired || !m_bTextIndex || !CProfileDatabase::IsDamage(error) || !rebuild())
            break;
    }
    m_pDb->NoteWriteFailure();
    return false;
}

bool CHistoryDb::Record(const QList<HistoryVisit>& visits)
{
    return Write([this, &visits](QSqlError* pError) {
        QSqlQuery visit(m_pDb->Database());
        visit.prepare(QStringLiteral(
            "INSERT INTO history(address, title, last_visit, visit_count) VALUES(?, ?, ?, 1) "
            "ON CONFLICT(address) DO UPDATE SET title = CASE WHEN excluded.title <> '' THEN "
            "excluded.title ELSE title END, last_visit = excluded.last_visit, "
            "visit_count = visit_count + 1"));
        QSqlQuery title(m_pDb->Database());
        title.prepare(QStringLiteral("UPDATE history SET title = ? WHERE address = ?"));
        for (const HistoryVisit& v : visits) {
            if (!IsRecorded(v.address))
                continue;
            const QString address = v.address.left(kMaxTextLength);
            // A null text would be bound as NULL, which the table refuses (a page without a
            // title).
            const QString text =
                v.title.isNull() ? QStringLiteral("") : v.title.left(kMaxTextLength);
            QSqlQuery& query = v.bNewVisit ? visit : title;
            if (v.bNewVisit) {
                visit.addBindValue(address);
                visit.addBindValue(text);
                visit.addBindValue(v.time);
            } else if (!text.isEmpty()) {
                title.addBindValue(text);
                title.addBindValue(address);
            } else {
                continue;
            }
            if (!query.exec()) {
                *pError = query.lastError();
                return false;
            }
        }
        return true;
    });
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
    // Text that many pages hold finds its best entries among the first ones in rank order,
    // read by the index; text that few or none hold would read the index to its end, with a
    // jump into the table for every entry (far slower than reading the table straight). So
    // the walk in rank order stops after kRankWalk entries; when it has not found nLimit of
    // them, the entries that hold the text are looked up in the substring index (without
    // it, the table is read straight through) and sorted. The answer is the same either
    // way: a match ranked above the last one found lies within the walk. That second read
    // keeps up to kKeptMatches of them: typing on, the user narrows them down.
    // The substring index cannot look up one or two characters, and reading the whole table
    // for them takes longer than a key may: they are looked for within the walk alone.
    const QString columns = QStringLiteral("SELECT address, title, last_visit, visit_count ");
    const QString like =
        QStringLiteral("(address LIKE :p ESCAPE '\\' OR title LIKE :p ESCAPE '\\') ");
    const QString order = QStringLiteral("ORDER BY visit_count DESC, last_visit DESC LIMIT :n");
    const QString walk = columns +
                         QStringLiteral("FROM (SELECT * FROM history INDEXED BY history_rank "
                                        "ORDER BY visit_count DESC, last_visit DESC LIMIT %1) "
                                        "WHERE ")
                             .arg(kRankWalk) +
                         like + QStringLiteral("LIMIT :n");
    // The index answers the trigrams without regard to case (of any letter): LIKE keeps the
    // answer to what it holds.
    const QString indexed = columns +
                            QStringLiteral("FROM history WHERE rowid IN (SELECT rowid FROM "
                                           "history_text WHERE history_text MATCH :q) AND ") +
                            like + order;
    const QString table =
        columns + QStringLiteral("FROM history NOT INDEXED WHERE ") + like + order;

    const QString pattern = LikePattern(text);
    const QString trigrams = m_bTextIndex ? TrigramQuery(text) : QString();
    const int nKept = std::max(nLimit, kKeptMatches);
    QList<HistoryEntry> entries;
    QSqlError error;
    const auto read = [&](const QString& sql, int nRows, const QString& match = QString()) {
        entries.clear();
        QSqlQuery query(m_pDb->Database());
        query.setForwardOnly(true);
        query.prepare(sql);
        query.bindValue(QStringLiteral(":p"), pattern);
        query.bindValue(QStringLiteral(":n"), nRows);
        if (!match.isEmpty())
            query.bindValue(QStringLiteral(":q"), match);
        if (!query.exec()) {
            error = query.lastError();
            return false;
        }
        while (query.next())
            entries.append({query.value(0).toString(), query.value(1).toString(),
                            query.value(2).toLongLong(), query.value(3).toInt()});
        // A damaged part found on the way ends the rows early.
        error = query.lastError();
        return !error.isValid();
    };
    *pComplete = false;
    if (!read(walk, nLimit) || entries.size() >= nLimit || (m_bTextIndex && trigrams.isEmpty()))
        return entries;
    if (!trigrams.isEmpty() && read(indexed, nKept, trigrams)) {
        *pComplete = entries.size() < nKept;
        return entries;
    }
    // A damaged substring index fails its query: the table still has the answer, and the
    // next write makes the index again.
    if (!trigrams.isEmpty() && CProfileDatabase::IsDamage(error))
        m_bIndexDamaged = true;
    if (read(table, nKept))
        *pComplete = entries.size() < nKept;
    return entries;
}

bool CHistoryDb::Remove(const QString& address)
{
    return Write([this, &address](QSqlError* pError) {
        QSqlQuery query(m_pDb->Database());
        query.prepare(QStringLiteral("DELETE FROM history WHERE address = ?"));
        query.addBindValue(address);
        if (query.exec())
            return true;
        *pError = query.lastError();
        return false;
    });
}

bool CHistoryDb::Clear()
{
    return Write([this](QSqlError* pError) {
        // Taking each entry out of the index one by one takes seconds for a long history: the
        // index is emptied at once instead, with its trigger for single entries set aside.
        const QStringList steps =
            m_bTextIndex
                ? QStringList{QStringLiteral("DROP TRIGGER IF EXISTS history_text_delete"),
                              QStringLiteral("DELETE FROM history"),
                              QStringLiteral(
                                  "INSERT INTO history_text(history_text) VALUES('delete-all')"),
                              DeleteTrigger()}
                : QStringList{QStringLiteral("DELETE FROM history")};
        QSqlQuery query(m_pDb->Database());
        for (const QString& step : steps)
            if (!query.exec(step)) {
                *pError = query.lastError();
                return false;
            }
        return true;
    });
}

bool CHistoryDb::Prune(qint64 now, int nMaxEntries)
{
    return Write([this, now, nMaxEntries](QSqlError* pError) {
        QSqlQuery query(m_pDb->Database());
        query.prepare(QStringLiteral("DELETE FROM history WHERE last_visit < ?"));
        query.addBindValue(now - kMaxAgeMs);
        bool ok = query.exec();
        if (ok) {
            query.prepare(QStringLiteral("DELETE FROM history WHERE address IN (SELECT address "
                                         "FROM history ORDER BY last_visit DESC LIMIT -1 "
                                         "OFFSET ?)"));
            query.addBindValue(nMaxEntries);
            ok = query.exec();
        }
        if (!ok)
            *pError = query.lastError();
        return ok;
    });
}

int CHistoryDb::Count() const
{
    QSqlQuery query(m_pDb->Database());
    return m_bReady && query.exec(QStringLiteral("SELECT count(*) FROM history")) && query.next()
               ? query.value(0).toInt()
               : 0;
}
