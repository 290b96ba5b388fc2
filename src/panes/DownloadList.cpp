// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/DownloadList.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>

namespace {
QPointer<CDownloadList>& TheInstance()
{
    static QPointer<CDownloadList> s_pList;
    return s_pList;
}

IDownloadEngine* s_pEngine = nullptr;

// Speed is measured over at least this long.
constexpr qint64 kSampleMs = 500;
} // namespace

CDownloadList::CDownloadList(std::unique_ptr<IDownloadStore> pStore, QObject* pParent)
    : QObject(pParent), m_pStore(std::move(pStore))
{
    m_clock.start();
    const QList<SDownloadRecord> records = m_pStore->Load(kMaxRows);
    for (const SDownloadRecord& record : records) {
        m_rows.append(Row{record});
        m_nNextId = qMax(m_nNextId, record.nId + 1);
    }
    CheckFiles();
}

CDownloadList::~CDownloadList() = default;

CDownloadList* CDownloadList::Instance()
{
    QPointer<CDownloadList>& pList = TheInstance();
    if (!pList)
        pList = new CDownloadList(OpenDownloadStore(), QCoreApplication::instance());
    return pList;
}

void CDownloadList::SetInstance(CDownloadList* pList)
{
    TheInstance() = pList;
}

void CDownloadList::SetEngine(IDownloadEngine* pEngine)
{
    s_pEngine = pEngine;
}

qint64 CDownloadList::Begin(const QString& path, const QString& address, qint64 nTotal)
{
    Row row;
    row.record.nId = m_nNextId++;
    row.record.path = path;
    row.record.address = address;
    row.record.nTotal = nTotal;
    row.record.nStarted = QDateTime::currentMSecsSinceEpoch();
    m_rows.prepend(row);
    Store(row);
    emit RowAdded(row.record.nId);
    return row.record.nId;
}

void CDownloadList::Restart(qint64 nId)
{
    Row* pRow = FindRow(nId);
    if (pRow == nullptr)
        return;
    pRow->record.state = SDownloadRecord::Running;
    pRow->record.reason.clear();
    pRow->record.nReceived = 0;
    pRow->nBytesPerSecond = -1;
    pRow->bMissing = false;
    Store(*pRow);
    emit RowChanged(nId);
}

void CDownloadList::Progress(qint64 nId, qint64 nReceived, qint64 nTotal)
{
    Row* pRow = FindRow(nId);
    if (pRow == nullptr || pRow->record.state != SDownloadRecord::Running)
        return;
    const bool bNewTotal = pRow->record.nTotal != nTotal;
    pRow->record.nReceived = nReceived;
    pRow->record.nTotal = nTotal;
    const qint64 nNow = m_clock.elapsed();
    auto it = std::find_if(m_samples.begin(), m_samples.end(),
                           [nId](const Sample& s) { return s.nId == nId; });
    if (it == m_samples.end()) {
        m_samples.append({nId, nReceived, nNow});
    } else if (nNow - it->nAt >= kSampleMs) {
        const qint64 nSpeed = qMax<qint64>(0, nReceived - it->nReceived) * 1000 / (nNow - it->nAt);
        // Smoothed, so that the time left does not jump about.
        pRow->nBytesPerSecond =
            pRow->nBytesPerSecond < 0 ? nSpeed : (pRow->nBytesPerSecond + nSpeed) / 2;
        *it = {nId, nReceived, nNow};
    }
    // The size is worth keeping; the count of bytes is kept at the end.
    if (bNewTotal)
        Store(*pRow);
    emit RowChanged(nId);
}

void CDownloadList::End(qint64 nId, int state, const QString& reason)
{
    Row* pRow = FindRow(nId);
    if (pRow == nullptr || pRow->record.state != SDownloadRecord::Running)
        return;
    pRow->record.state = state;
    pRow->record.reason = state == SDownloadRecord::Failed ? reason : QString();
    if (state == SDownloadRecord::Finished) {
        const QFileInfo file(pRow->record.path);
        pRow->record.nReceived = pRow->record.nTotal = file.exists() ? file.size() : 0;
        pRow->bMissing = !file.exists();
    }
    pRow->nBytesPerSecond = -1;
    m_samples.removeIf([nId](const Sample& s) { return s.nId == nId; });
    Store(*pRow);
    emit RowChanged(nId);
    emit DownloadEnded(nId);
}

const CDownloadList::Row* CDownloadList::Find(qint64 nId) const
{
    for (const Row& row : m_rows)
        if (row.record.nId == nId)
            return &row;
    return nullptr;
}

CDownloadList::Row* CDownloadList::FindRow(qint64 nId)
{
    return const_cast<Row*>(Find(nId));
}

void CDownloadList::CheckFiles()
{
    for (Row& row : m_rows) {
        const bool bMissing =
            row.record.state == SDownloadRecord::Finished && !QFileInfo::exists(row.record.path);
        if (bMissing == row.bMissing)
            continue;
        row.bMissing = bMissing;
        emit RowChanged(row.record.nId);
    }
}

void CDownloadList::Cancel(qint64 nId)
{
    const Row* pRow = Find(nId);
    if (pRow && pRow->record.state == SDownloadRecord::Running && s_pEngine)
        s_pEngine->CancelDownload(nId);
}

bool CDownloadList::Retry(qint64 nId)
{
    const Row* pRow = Find(nId);
    if (pRow == nullptr || pRow->record.state == SDownloadRecord::Running || !s_pEngine)
        return false;
    const SDownloadRecord record = pRow->record;
    Restart(nId);
    if (s_pEngine->RetryDownload(record))
        return true;
    End(nId, SDownloadRecord::Failed, QStringLiteral("the download could not start again"));
    return false;
}

void CDownloadList::Remove(qint64 nId)
{
    const Row* pRow = Find(nId);
    if (pRow == nullptr || pRow->record.state == SDownloadRecord::Running)
        return;
    m_rows.removeIf([nId](const Row& row) { return row.record.nId == nId; });
    m_pStore->Remove({nId});
    if (s_pEngine)
        s_pEngine->ForgetDownload(nId);
    emit RowRemoved(nId);
}

void CDownloadList::ClearEnded()
{
    QList<qint64> ids;
    for (const Row& row : std::as_const(m_rows))
        if (row.record.state != SDownloadRecord::Running)
            ids.append(row.record.nId);
    for (qint64 nId : std::as_const(ids))
        Remove(nId);
}

void CDownloadList::Store(const Row& row)
{
    m_pStore->Put(row.record);
}

QString CDownloadList::SizeText(qint64 nBytes)
{
    if (nBytes < 0)
        return QStringLiteral("?");
    return QLocale::c().formattedDataSize(nBytes, 1, QLocale::DataSizeSIFormat);
}

QString CDownloadList::StateText(const Row& row)
{
    const SDownloadRecord& r = row.record;
    switch (r.state) {
    case SDownloadRecord::Running: {
        QString text = r.nTotal >= 0 ? tr("%1 of %2").arg(SizeText(r.nReceived), SizeText(r.nTotal))
                                     : SizeText(r.nReceived);
        if (row.nBytesPerSecond >= 0) {
            text += tr(", %1/s").arg(SizeText(row.nBytesPerSecond));
            if (r.nTotal >= 0 && row.nBytesPerSecond > 0) {
                const qint64 nSeconds =
                    (r.nTotal - r.nReceived + row.nBytesPerSecond - 1) / row.nBytesPerSecond;
                text +=
                    nSeconds >= 3600
                        ? tr(", %1 h %2 min left").arg(nSeconds / 3600).arg(nSeconds % 3600 / 60)
                    : nSeconds >= 60
                        ? tr(", %1 min %2 s left").arg(nSeconds / 60).arg(nSeconds % 60)
                        : tr(", %1 s left").arg(nSeconds);
            }
        }
        return text;
    }
    case SDownloadRecord::Finished:
        return row.bMissing ? tr("Missing: the file was moved or deleted")
                            : tr("Finished, %1").arg(SizeText(r.nTotal));
    case SDownloadRecord::Cancelled:
        return tr("Cancelled");
    default:
        return r.reason.isEmpty() ? tr("Failed") : tr("Failed: %1").arg(r.reason);
    }
}
