// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DownloadStore.h"

#include <QMap>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class CProfileDatabase;

// The downloads list's rows in the table "downloads" of the profile's database (the file the
// history is kept in). Writes are gathered and written together a moment later, in one
// transaction, so that the interface never waits for the disk row by row; the rest is
// written when the store is destroyed. A database that cannot be written is read and left
// alone; the list then lives for this session only.
class CSqlDownloadStore : public QObject, public IDownloadStore
{
    Q_OBJECT
public:
    static constexpr int kSchemaVersion = 1;
    // How long writes are gathered.
    static constexpr int kWriteDelayMs = 500;

    // Opens the database at path; null when it cannot be opened at all.
    static std::unique_ptr<CSqlDownloadStore> Open(const QString& path);
    ~CSqlDownloadStore() override;

    QList<SDownloadRecord> Load(int nMax) override;
    void Put(const SDownloadRecord& record) override;
    void Remove(const QList<qint64>& ids) override;
    // Writes what waits now.
    void Flush();

private:
    explicit CSqlDownloadStore(std::unique_ptr<CProfileDatabase> pDatabase);

    std::unique_ptr<CProfileDatabase> m_pDatabase;
    bool m_bHasTable = false;
    QMap<qint64, std::optional<SDownloadRecord>> m_waiting; // none: remove the row
    QTimer m_timer;
};
