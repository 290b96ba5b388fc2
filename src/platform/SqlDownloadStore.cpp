// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SqlDownloadStore.h"

#include "platform/ProfileDatabase.h"

#include <QSqlQuery>
#include <QVariant>

namespace {
const QString kSchemaName = QStringLiteral("downloads");

// A null text would be bound as NULL, which the table refuses.
QString NotNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}
} // namespace

std::unique_ptr<CSqlDownloadStore> CSqlDownloadStore::Open(const QString& path)
{
    auto pDatabase = std::make_unique<CProfileDatabase>(path);
    if (!pDatabase->Open())
        return nullptr;
    return std::unique_ptr<CSqlDownloadStore>(new CSqlDownloadStore(std::move(pDatabase)));
}

CSqlDownloadStore::CSqlDownloadStore(std::unique_ptr<CProfileDatabase> pDatabase)
    : m_pDatabase(std::move(pDatabase))
{
    m_bHasTable = m_pDatabase->EnsureSchema(
        kSchemaName, kSchemaVersion,
        {QStringLiteral("CREATE TABLE IF NOT EXISTS downloads("
                        "id INTEGER PRIMARY KEY, path TEXT NOT NULL, address TEXT NOT NULL, "
                        "total INTEGER NOT NULL, received INTEGER NOT NULL, "
                        "state INTEGER NOT NULL, reason TEXT NOT NULL, "
                        "started INTEGER NOT NULL)")});
    m_timer.setSingleShot(true);
    m_timer.setInterval(kWriteDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &CSqlDownloadStore::Flush);
}

CSqlDownloadStore::~CSqlDownloadStore()
{
    Flush();
}

QList<SDownloadRecord> CSqlDownloadStore::Load(int nMax)
{
    QList<SDownloadRecord> rows;
    if (!m_bHasTable)
        return rows;
    QSqlQuery query(m_pDatabase->Database());
    // Rows beyond those ever shown again go.
    if (m_pDatabase->IsWritable()) {
        query.prepare(QStringLiteral("DELETE FROM downloads WHERE id NOT IN "
                                     "(SELECT id FROM downloads ORDER BY id DESC LIMIT ?)"));
        query.addBindValue(nMax);
        if (!query.exec())
            m_pDatabase->NoteWriteFailure();
    }
    query.prepare(QStringLiteral("SELECT id, path, address, total, received, state, reason, "
                                 "started FROM downloads ORDER BY id DESC LIMIT ?"));
    query.addBindValue(nMax);
    if (!query.exec())
        return rows;
    while (query.next()) {
        SDownloadRecord r;
        r.nId = query.value(0).toLongLong();
        r.path = query.value(1).toString();
        r.address = query.value(2).toString();
        r.nTotal = qMax<qint64>(-1, query.value(3).toLongLong());
        r.nReceived = qMax<qint64>(0, query.value(4).toLongLong());
        r.state = query.value(5).toInt();
        r.reason = query.value(6).toString();
        r.nStarted = query.value(7).toLongLong();
        if (r.state == SDownloadRecord::Running) {
            r.state = SDownloadRecord::Failed;
            r.reason = SDownloadRecord::SessionEndedReason();
        } else if (r.state < SDownloadRecord::Running || r.state > SDownloadRecord::Failed) {
            r.state = SDownloadRecord::Failed; // a value this program never wrote
        }
        rows.append(r);
    }
    return rows;
}

void CSqlDownloadStore::Put(const SDownloadRecord& record)
{
    m_waiting.insert(record.nId, record);
    if (!m_timer.isActive())
        m_timer.start();
}

void CSqlDownloadStore::Remove(const QList<qint64>& ids)
{
    for (qint64 nId : ids)
        m_waiting.insert(nId, std::nullopt);
    if (!m_timer.isActive())
        m_timer.start();
}

void CSqlDownloadStore::Flush()
{
    m_timer.stop();
    const QMap<qint64, std::optional<SDownloadRecord>> waiting = std::exchange(m_waiting, {});
    if (waiting.isEmpty() || !m_bHasTable || !m_pDatabase->IsWritable())
        return;
    QSqlDatabase db = m_pDatabase->Database();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        m_pDatabase->NoteWriteFailure();
        return;
    }
    bool bOk = true;
    for (auto it = waiting.cbegin(); bOk && it != waiting.cend(); ++it) {
        if (!it.value()) {
            query.prepare(QStringLiteral("DELETE FROM downloads WHERE id = ?"));
            query.addBindValue(it.key());
        } else {
            const SDownloadRecord& r = *it.value();
            query.prepare(QStringLiteral("INSERT OR REPLACE INTO downloads(id, path, address, "
                                         "total, received, state, reason, started) "
                                         "VALUES(?, ?, ?, ?, ?, ?, ?, ?)"));
            query.addBindValue(r.nId);
            query.addBindValue(NotNull(r.path));
            query.addBindValue(NotNull(r.address));
            query.addBindValue(r.nTotal);
            query.addBindValue(r.nReceived);
            query.addBindValue(r.state);
            query.addBindValue(NotNull(r.reason));
            query.addBindValue(r.nStarted);
        }
        bOk = query.exec();
    }
    if (bOk && query.exec(QStringLiteral("COMMIT")))
        return;
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    m_pDatabase->NoteWriteFailure();
}
