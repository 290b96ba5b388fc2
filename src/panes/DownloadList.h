// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DownloadStore.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <memory>

// What the downloads list asks of the engine that carries the downloads out.
class IDownloadEngine
{
public:
    virtual ~IDownloadEngine() = default;
    // Stops the running download of this row (it ends Cancelled).
    virtual void CancelDownload(qint64 nId) = 0;
    // Starts the row's download again into its file: resumed where the engine kept what
    // arrived and the server accepts ranges, else from the start. False when it cannot.
    virtual bool RetryDownload(const SDownloadRecord& record) = 0;
    // The row left the list: the engine forgets what it kept for a retry.
    virtual void ForgetDownload(qint64 nId) = 0;
};

// The downloads of this and earlier sessions, newest first, kept in a store. The engine
// reports each download's start, progress and end here; the downloads window shows the rows
// and asks for cancel, retry and removal.
class CDownloadList : public QObject
{
    Q_OBJECT
public:
    struct Row
    {
        SDownloadRecord record;
        qint64 nBytesPerSecond = -1; // while running, once measured
        bool bMissing = false;       // finished, but the file is not there any more
    };

    // The most rows loaded from the store.
    static constexpr int kMaxRows = 1000;

    explicit CDownloadList(std::unique_ptr<IDownloadStore> pStore, QObject* pParent = nullptr);
    ~CDownloadList() override;

    // The program's list: made at the first call, over the profile's database (in memory when
    // it cannot be opened). SetInstance replaces it (tests); the list is not owned.
    static CDownloadList* Instance();
    static void SetInstance(CDownloadList* pList);

    // The engine of every list (none: rows cannot be cancelled or retried).
    static void SetEngine(IDownloadEngine* pEngine);

    // A download starts into path: its new row's id.
    qint64 Begin(const QString& path, const QString& address, qint64 nTotal = -1);
    // The row's download starts again (a retry).
    void Restart(qint64 nId);
    void Progress(qint64 nId, qint64 nReceived, qint64 nTotal);
    // The download ended: Finished, Cancelled or Failed (with a reason).
    void End(qint64 nId, int state, const QString& reason = QString());

    // Newest first.
    const QList<Row>& Rows() const { return m_rows; }
    const Row* Find(qint64 nId) const;
    // Looks again whether the finished files are still there.
    void CheckFiles();

    void Cancel(qint64 nId);
    bool Retry(qint64 nId);
    // Removes a row that is not running.
    void Remove(qint64 nId);
    // Removes every row that is not running.
    void ClearEnded();

    // "12.5 MB"; "?" for a negative size.
    static QString SizeText(qint64 nBytes);
    // What the window shows as a row's state: "3.1 MB of 50 MB, 1.2 MB/s, 40 s left",
    // "Finished", "Cancelled", "Failed: reason", "Missing".
    static QString StateText(const Row& row);

signals:
    void RowAdded(qint64 nId);
    void RowChanged(qint64 nId);
    void RowRemoved(qint64 nId);
    // A download ended (after RowChanged).
    void DownloadEnded(qint64 nId);

private:
    Row* FindRow(qint64 nId);
    void Store(const Row& row);

    std::unique_ptr<IDownloadStore> m_pStore;
    QList<Row> m_rows;
    qint64 m_nNextId = 1;
    struct Sample
    {
        qint64 nId;
        qint64 nReceived;
        qint64 nAt; // ms on m_clock
    };
    QList<Sample> m_samples; // the last measure of each running download
    QElapsedTimer m_clock;
};
