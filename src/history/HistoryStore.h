// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/HistoryDb.h"

#include <QObject>
#include <QThread>

#include <functional>

class CHistoryWorker;

// The history of visited pages, kept in the profile database by a worker thread with a
// connection of its own: the calls here return at once and the interface never waits for the
// file. Answers come back on this object's thread; none comes after it was destroyed.
// Trouble with the file (damaged and started anew, or not writable) is reported once by
// problem(); browsing goes on, with the history not written.
class CHistoryStore : public QObject
{
    Q_OBJECT
public:
    using MatchDone = std::function<void(const QList<HistoryEntry>&)>;

    explicit CHistoryStore(const QString& path = QString(), QObject* parent = nullptr);
    // Writes what is still queued, then closes the file.
    ~CHistoryStore() override;

    // A page finished loading (bNewVisit), or a page already counted got its title later.
    void AddVisit(const QString& address, const QString& title, bool bNewVisit);
    // The entries matching text, best first (see CHistoryDb::Match).
    void Match(const QString& text, int nLimit, MatchDone done);
    void Remove(const QString& address);
    void Clear();
    // done runs once everything asked before has been done.
    void Flush(std::function<void()> done);

signals:
    void problem(const QString& message);

private:
    void Post(std::function<void(CHistoryWorker*)> job);
    void ReportProblem(const QString& message);

    QThread m_thread;
    CHistoryWorker* m_pWorker = nullptr;
    bool m_bProblemReported = false;
};
