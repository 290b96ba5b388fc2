// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryStore.h"

#include "platform/ProfileDatabase.h"

#include <QDateTime>

#include <memory>

// Lives on the store's thread; its database is made, used and closed there.
class CHistoryWorker : public QObject
{
public:
    static constexpr int kPruneEvery = 500;

    explicit CHistoryWorker(const QString& path) : m_path(path) {}

    // Opens on first use; the problem text when the file is not as it should be.
    QString Open()
    {
        if (m_pDb)
            return QString();
        m_pDb = std::make_unique<CProfileDatabase>(
            m_path.isEmpty() ? CProfileDatabase::DefaultPath() : m_path);
        m_pDb->Open();
        m_history = std::make_unique<CHistoryDb>(m_pDb.get());
        m_history->Init();
        if (m_pDb->IsWritable())
            m_history->Prune(QDateTime::currentMSecsSinceEpoch());
        // The downloads list may have been first to find the file damaged.
        if (CProfileDatabase::TakeResetNote(m_pDb->Path()))
            return QStringLiteral("The history file was damaged: it was put aside and a new one "
                                  "started.");
        return WriteProblem();
    }
    QString WriteProblem() const
    {
        return m_history->IsReady() && m_pDb->IsWritable()
                   ? QString()
                   : QStringLiteral("The history cannot be saved: its file cannot be written.");
    }
    CHistoryDb* History() const { return m_history.get(); }
    void CountVisits(int n)
    {
        m_nSincePrune += n;
        if (m_nSincePrune >= kPruneEvery) {
            m_nSincePrune = 0;
            m_history->Prune(QDateTime::currentMSecsSinceEpoch());
        }
    }
    void Close()
    {
        m_history.reset();
        m_pDb.reset();
    }

private:
    QString m_path;
    std::unique_ptr<CProfileDatabase> m_pDb;
    std::unique_ptr<CHistoryDb> m_history;
    int m_nSincePrune = 0;
};

CHistoryStore::CHistoryStore(const QString& path, QObject* parent) : QObject(parent)
{
    m_pWorker = new CHistoryWorker(path);
    m_pWorker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("history"));
    m_thread.start(QThread::LowPriority);
}

CHistoryStore::~CHistoryStore()
{
    // The thread ends itself after the last job: quit() from here would end its loop before
    // the jobs still queued (visits not yet written) and the closing had run.
    QMetaObject::invokeMethod(
        m_pWorker,
        [this, w = m_pWorker] {
            w->Close();
            m_thread.quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
    delete m_pWorker;
}

void CHistoryStore::Post(std::function<void(CHistoryWorker*)> job)
{
    QMetaObject::invokeMethod(
        m_pWorker,
        [this, w = m_pWorker, job = std::move(job)] {
            const QString problem = w->Open();
            // The store waits for this thread before it goes: it is there while jobs run.
            if (!problem.isEmpty())
                QMetaObject::invokeMethod(this, [this, problem] { ReportProblem(problem); });
            const bool bWasWritable = w->WriteProblem().isEmpty();
            job(w);
            const QString later = w->WriteProblem();
            if (bWasWritable && !later.isEmpty())
                QMetaObject::invokeMethod(this, [this, later] { ReportProblem(later); });
        },
        Qt::QueuedConnection);
}

void CHistoryStore::ReportProblem(const QString& message)
{
    if (m_bProblemReported)
        return;
    m_bProblemReported = true;
    emit problem(message);
}

void CHistoryStore::AddVisit(const QString& address, const QString& title, bool bNewVisit)
{
    if (!CHistoryDb::IsRecorded(address))
        return;
    const HistoryVisit visit{address, title, QDateTime::currentMSecsSinceEpoch(), bNewVisit};
    Post([visit](CHistoryWorker* w) {
        w->History()->Record({visit});
        w->CountVisits(1);
    });
}

void CHistoryStore::Match(const QString& text, int nLimit, MatchDone done)
{
    Post([this, text, nLimit, done = std::move(done)](CHistoryWorker* w) {
        QList<HistoryEntry> entries = w->History()->Match(text, nLimit);
        QMetaObject::invokeMethod(this, [done, entries = std::move(entries)] { done(entries); });
    });
}

void CHistoryStore::Remove(const QString& address)
{
    Post([address](CHistoryWorker* w) { w->History()->Remove(address); });
}

void CHistoryStore::Clear()
{
    Post([](CHistoryWorker* w) { w->History()->Clear(); });
}

void CHistoryStore::Flush(std::function<void()> done)
{
    Post([this, done = std::move(done)](CHistoryWorker*) {
        QMetaObject::invokeMethod(this, [done] { done(); });
    });
}
