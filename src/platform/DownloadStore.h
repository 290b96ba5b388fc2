// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <memory>

// One download as the downloads list keeps it across sessions.
struct SDownloadRecord
{
    enum State
    {
        Running = 0,
        Finished = 1,
        Cancelled = 2,
        Failed = 3
    };

    qint64 nId = 0;     // unique in the list, larger for later downloads
    QString path;       // the file it is written to (under this name only when complete)
    QString address;    // what was downloaded
    qint64 nTotal = -1; // bytes; -1 while unknown
    qint64 nReceived = 0;
    int state = Running;
    QString reason;      // why it failed
    qint64 nStarted = 0; // milliseconds since the epoch (UTC)

    bool operator==(const SDownloadRecord&) const = default;

    // The reason a row left Running by an earlier session is loaded with.
    static QString SessionEndedReason();
};

// Where the downloads list keeps its rows between sessions.
class IDownloadStore
{
public:
    virtual ~IDownloadStore() = default;

    // The rows kept, newest (largest id) first, at most nMax of them. A row left Running by
    // an earlier session comes back Failed: that session ended before the download did.
    virtual QList<SDownloadRecord> Load(int nMax) = 0;
    // Adds the row or replaces the row with its id. Writing may happen later, but never
    // after a later Put or Remove of the same row.
    virtual void Put(const SDownloadRecord& record) = 0;
    virtual void Remove(const QList<qint64>& ids) = 0;
};

// A store that keeps its rows in memory only (a profile that cannot be written, and tests).
class CMemoryDownloadStore : public IDownloadStore
{
public:
    QList<SDownloadRecord> Load(int nMax) override;
    void Put(const SDownloadRecord& record) override;
    void Remove(const QList<qint64>& ids) override;

private:
    QList<SDownloadRecord> m_rows; // by id, ascending
};

// The program's store: a table of its own in the profile's database; in memory when that
// cannot be opened.
std::unique_ptr<IDownloadStore> OpenDownloadStore();
