// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DownloadStore.h"

#include "platform/ProfileDatabase.h"
#include "platform/SqlDownloadStore.h"

#include <algorithm>

QString SDownloadRecord::SessionEndedReason()
{
    return QStringLiteral("the program ended before it completed");
}

QList<SDownloadRecord> CMemoryDownloadStore::Load(int nMax)
{
    QList<SDownloadRecord> rows;
    for (auto it = m_rows.crbegin(); it != m_rows.crend() && rows.size() < nMax; ++it) {
        SDownloadRecord row = *it;
        if (row.state == SDownloadRecord::Running) {
            row.state = SDownloadRecord::Failed;
            row.reason = SDownloadRecord::SessionEndedReason();
        }
        rows.append(row);
    }
    return rows;
}

void CMemoryDownloadStore::Put(const SDownloadRecord& record)
{
    const auto it =
        std::lower_bound(m_rows.begin(), m_rows.end(), record.nId,
                         [](const SDownloadRecord& row, qint64 nId) { return row.nId < nId; });
    if (it != m_rows.end() && it->nId == record.nId)
        *it = record;
    else
        m_rows.insert(it, record);
}

void CMemoryDownloadStore::Remove(const QList<qint64>& ids)
{
    m_rows.removeIf([&ids](const SDownloadRecord& row) { return ids.contains(row.nId); });
}

std::unique_ptr<IDownloadStore> OpenDownloadStore()
{
    if (std::unique_ptr<CSqlDownloadStore> pStore =
            CSqlDownloadStore::Open(CProfileDatabase::DefaultPath()))
        return pStore;
    return std::make_unique<CMemoryDownloadStore>();
}
