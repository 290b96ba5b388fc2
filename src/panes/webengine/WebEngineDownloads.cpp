// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/WebEngineDownloads.h"

#include "panes/webengine/DownloadGate.h"
#include "panes/webengine/PageDownload.h"
#include "platform/DownloadName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <cerrno>
#include <cstdio>

namespace {
int s_nStallTimeoutMs = 30000;
const char kStallTimerName[] = "nuvStallTimer";
} // namespace

int CWebEngineDownloads::StallTimeout()
{
    return s_nStallTimeoutMs;
}

void CWebEngineDownloads::SetStallTimeout(int nMs)
{
    s_nStallTimeoutMs = nMs;
}

CWebEngineDownloads::CWebEngineDownloads(QWebEngineProfile* pProfile)
    : QObject(pProfile), m_pGate(new CDownloadGate(this))
{
    connect(pProfile, &QWebEngineProfile::downloadRequested, this,
            &CWebEngineDownloads::HandleRequest);
    CDownloadList::SetEngine(this);
}

CWebEngineDownloads::~CWebEngineDownloads()
{
    CDownloadList::SetEngine(nullptr);
}

void CWebEngineDownloads::Expect(QWebEnginePage* pPage, bool bSavePage, const QUrl& url,
                                 const QString& path, Done done, Progress progress)
{
    auto it = m_pending.insert(m_pending.end(),
                               Pending{pPage, bSavePage, url, path, done, {}, progress, false});
    auto* pTimer = new QTimer(this);
    pTimer->setSingleShot(true);
    it->pTimer = pTimer;
    // A download that never starts (no answer, refused address) fails here.
    connect(pTimer, &QTimer::timeout, this, [this, pTimer] {
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
            if (it->pTimer == pTimer) {
                const Done done = it->done;
                const qint64 nListId = it->nListId;
                m_pending.erase(it);
                pTimer->deleteLater();
                if (nListId != 0)
                    ReportEnd(nListId, nullptr, false, QStringLiteral("the server did not answer"));
                done(false); // from a timer of ours, not from the engine
                return;
            }
        }
    });
    pTimer->start(kStartTimeoutMs);
}

void CWebEngineDownloads::HandleRequest(QWebEngineDownloadRequest* pRequest)
{
    if (Resume(pRequest))
        return;
    const bool bSavePage = pRequest->isSavePageDownload();
    auto match = m_pending.end();
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (it->pPage != pRequest->page())
            continue;
        // The engine answers the save of a document it cannot save as a page (a picture, a
        // PDF) with an ordinary download of the document's address.
        if (it->bSavePage && !bSavePage && it->url == pRequest->url()) {
            match = it;
            break;
        }
        if (it->bSavePage != bSavePage)
            continue;
        if (bSavePage || it->url == pRequest->url()) {
            match = it;
            break;
        }
        if (match == m_pending.end())
            match = it; // the address may have been redirected
    }
    if (match == m_pending.end()) {
        if (!bSavePage && pRequest->state() == QWebEngineDownloadRequest::DownloadRequested)
            CPageDownload::Start(pRequest, this);
        return;
    }

    const QString path = match->path;
    const Done done = match->done;
    const Progress progress = match->progress;
    const bool bCancelled = match->bCancelled;
    qint64 nListId = match->nListId;
    delete match->pTimer.data();
    m_pending.erase(match);
    if (bCancelled) {
        pRequest->cancel();
        return;
    }

    // A download, not a page saved as a page: the downloads list shows it.
    if (!bSavePage && nListId == 0)
        nListId = CDownloadList::Instance()->Begin(path, pRequest->url().toString());
    Attach attach = [this, path, done, progress, nListId](QWebEngineDownloadRequest* pAttached) {
        Watch(pAttached, progress);
        if (nListId != 0)
            List(nListId, pAttached);
        OnEnded(pAttached, this,
                [pAttached, path, done, nListId] { Finish(pAttached, path, done, nListId); });
    };
    // A page save comes accepted, already writing to the temporary file it was given.
    if (pRequest->state() != QWebEngineDownloadRequest::DownloadRequested) {
        Follow(pRequest, attach);
        return;
    }
    const QString temp = TempPathFor(path);
    QFile::remove(temp);
    Accept(pRequest, temp, attach);
}

bool CWebEngineDownloads::Resume(QWebEngineDownloadRequest* pRequest)
{
    // WORKAROUND: after a network error the engine resumes a download by asking for it
    // anew under the same id, and the first request hears no more of it. Carry on into
    // the same file with the new request.
    const auto it = m_active.constFind(pRequest->id());
    if (pRequest->state() != QWebEngineDownloadRequest::DownloadRequested ||
        it == m_active.cend() || !it->pRequest || it->pRequest == pRequest)
        return false;
    QWebEngineDownloadRequest* pOld = it->pRequest;
    const Attach attach = it->attach;
    // All of the old request's connections go, the profile's too, so that it cannot end
    // the download when it is deleted with the profile.
    QObject::disconnect(pOld, nullptr, nullptr, nullptr);
    delete pOld->findChild<QTimer*>(QLatin1String(kStallTimerName), Qt::FindDirectChildrenOnly);
    Accept(pRequest, QDir(pOld->downloadDirectory()).filePath(pOld->downloadFileName()), attach);
    return true;
}

void CWebEngineDownloads::Accept(QWebEngineDownloadRequest* pRequest, const QString& path,
                                 Attach attach)
{
    const QFileInfo file(path);
    pRequest->setDownloadDirectory(file.absolutePath());
    pRequest->setDownloadFileName(file.fileName());
    Follow(pRequest, std::move(attach));
    pRequest->accept();
}

void CWebEngineDownloads::Follow(QWebEngineDownloadRequest* pRequest, Attach attach)
{
    const quint32 nId = pRequest->id();
    m_active.insert(nId, Active{pRequest, attach});
    OnEnded(pRequest, this, [this, nId, pRequest] {
        if (m_active.value(nId).pRequest == pRequest)
            m_active.remove(nId);
    });
    attach(pRequest);
}

void CWebEngineDownloads::Watch(QWebEngineDownloadRequest* pRequest, const Progress& progress)
{
    m_expected.removeAll(nullptr);
    m_expected.append(pRequest);
    auto* pTimer = new QTimer(pRequest);
    pTimer->setObjectName(QLatin1String(kStallTimerName));
    pTimer->setSingleShot(true);
    connect(pTimer, &QTimer::timeout, pRequest, [pRequest] {
        if (!HasEnded(pRequest))
            pRequest->cancel();
    });
    connect(pRequest, &QWebEngineDownloadRequest::receivedBytesChanged, pTimer,
            [pRequest, pTimer, progress] {
                pTimer->start(s_nStallTimeoutMs);
                if (progress)
                    progress(pRequest->receivedBytes(), pRequest->totalBytes());
            });
    OnEnded(pRequest, pTimer, [pTimer] { pTimer->stop(); });
    pTimer->start(s_nStallTimeoutMs);
}

void CWebEngineDownloads::CancelFor(QWebEnginePage* pPage)
{
    for (Pending& pending : m_pending) {
        if (pending.pPage != pPage || pending.bCancelled)
            continue;
        pending.bCancelled = true;
        const Done done = pending.done;
        pending.done = [](bool) {};
        QTimer::singleShot(0, this, [done] { done(false); });
    }
    const QList<QPointer<QWebEngineDownloadRequest>> expected = m_expected;
    for (const QPointer<QWebEngineDownloadRequest>& pRequest : expected)
        if (pRequest && pRequest->page() == pPage && !HasEnded(pRequest))
            pRequest->cancel();
}

bool CWebEngineDownloads::IsRunningFor(const QWebEnginePage* pPage) const
{
    for (const Pending& pending : m_pending)
        if (pending.pPage == pPage && !pending.bCancelled)
            return true;
    auto isRunning = [pPage](const QWebEngineDownloadRequest* pRequest) {
        return pRequest && pRequest->page() == pPage && !HasEnded(pRequest);
    };
    for (const QPointer<QWebEngineDownloadRequest>& pRequest : m_expected)
        if (isRunning(pRequest))
            return true;
    for (const Active& active : m_active)
        if (isRunning(active.pRequest))
            return true;
    return false;
}

bool CWebEngineDownloads::HasEnded(const QWebEngineDownloadRequest* pRequest)
{
    return pRequest->isFinished() ||
           pRequest->state() == QWebEngineDownloadRequest::DownloadInterrupted;
}

void CWebEngineDownloads::OnEnded(QWebEngineDownloadRequest* pRequest, QObject* pContext,
                                  std::function<void()> handler)
{
    auto connections = std::make_shared<QList<QMetaObject::Connection>>();
    auto check = [pRequest, connections, handler] {
        if (connections->isEmpty() || !HasEnded(pRequest))
            return;
        for (const QMetaObject::Connection& c : std::as_const(*connections))
            QObject::disconnect(c);
        connections->clear();
        handler();
    };
    *connections << connect(pRequest, &QWebEngineDownloadRequest::isFinishedChanged, pContext,
                            check)
                 << connect(pRequest, &QWebEngineDownloadRequest::stateChanged, pContext, check);
}

QString CWebEngineDownloads::TempPathFor(const QString& path)
{
    static int s_nCount = 0;
    const QFileInfo target(path);
    // The engine writes to "<the name it was given>.download" until the transfer completes.
    const int nMaxBytes = CDownloadName::kMaxBytes - int(qstrlen(".download"));
    return target.absoluteDir().filePath(CDownloadName::TempName(
        target.fileName(),
        QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(++s_nCount),
        nMaxBytes));
}

bool CWebEngineDownloads::MoveOnto(const QString& temp, const QString& path)
{
    // rename() replaces an existing target in one step, so it is never half written.
    auto renameOnto = [&path](const QString& from) {
        const QByteArray source = QFile::encodeName(from);
        const QByteArray target = QFile::encodeName(path);
        return std::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
    };
    const int nError = renameOnto(temp);
    if (nError == 0)
        return true;
    bool bOk = false;
    if (nError == EXDEV) {
        const QString beside = TempPathFor(path);
        bOk = QFile::copy(temp, beside) && renameOnto(beside) == 0;
        if (!bOk)
            QFile::remove(beside);
    }
    QFile::remove(temp);
    return bOk;
}

void CWebEngineDownloads::Finish(QWebEngineDownloadRequest* pRequest, const QString& path,
                                 const Done& done, qint64 nListId)
{
    const QString temp = QDir(pRequest->downloadDirectory()).filePath(pRequest->downloadFileName());
    bool bOk = pRequest->state() == QWebEngineDownloadRequest::DownloadCompleted;
    if (bOk)
        bOk = MoveOnto(temp, path);
    else
        QFile::remove(temp);
    // The caller may open a message box: answer after the engine's signal returned.
    QTimer::singleShot(0, pRequest, [done, bOk] { done(bOk); });
    if (nListId != 0)
        ReportEnd(nListId, pRequest, bOk,
                  QStringLiteral("the file could not be written to \"%1\"").arg(path));
}

QString CWebEngineDownloads::FailureText(const QWebEngineDownloadRequest* pRequest)
{
    // The engine's own texts misname some reasons (a short transfer is "canceled by the
    // user").
    const int nReason = pRequest->interruptReason();
    if (nReason <= 0)
        return QString();
    if (nReason < 20)
        return QStringLiteral("the file could not be written");
    if (nReason < 30)
        return QStringLiteral("the network connection failed");
    if (nReason < 40)
        return QStringLiteral("the server did not deliver the whole file");
    return QStringLiteral("it was cancelled");
}

void CWebEngineDownloads::List(qint64 nListId, QWebEngineDownloadRequest* pRequest)
{
    m_listed.insert(nListId, pRequest);
    connect(pRequest, &QWebEngineDownloadRequest::receivedBytesChanged, this, [nListId, pRequest] {
        CDownloadList::Instance()->Progress(nListId, pRequest->receivedBytes(),
                                            pRequest->totalBytes());
    });
}

void CWebEngineDownloads::ReportEnd(qint64 nListId, const QWebEngineDownloadRequest* pRequest,
                                    bool bOk, const QString& failure)
{
    CDownloadList* pList = CDownloadList::Instance();
    if (bOk)
        pList->End(nListId, SDownloadRecord::Finished);
    else if (pRequest && pRequest->state() == QWebEngineDownloadRequest::DownloadCancelled)
        pList->End(nListId, SDownloadRecord::Cancelled);
    else if (pRequest && pRequest->state() == QWebEngineDownloadRequest::DownloadInterrupted)
        pList->End(nListId, SDownloadRecord::Failed, FailureText(pRequest));
    else
        pList->End(nListId, SDownloadRecord::Failed, failure);
}

void CWebEngineDownloads::CancelDownload(qint64 nId)
{
    const QPointer<QWebEngineDownloadRequest> pRequest = m_listed.value(nId);
    if (pRequest && !HasEnded(pRequest))
        pRequest->cancel();
}

bool CWebEngineDownloads::RetryDownload(const SDownloadRecord& record)
{
    const QUrl url(record.address);
    const QFileInfo file(record.path);
    // A blob: or data: address lived with its page; only what a server gives can come again.
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        !file.isAbsolute() || !file.absoluteDir().exists())
        return false;
    m_listed.remove(record.nId);
    // The retry comes from a page of its own, which shows nothing and goes once the download
    // started or failed to start (the download goes on without it). A page must be gone
    // before the profile is.
    auto* pPage = new QWebEnginePage(qobject_cast<QWebEngineProfile*>(parent()), this);
    Expect(pPage, false, url, record.path, [](bool) {});
    m_pending.back().nListId = record.nId;
    connect(m_pending.back().pTimer, &QObject::destroyed, pPage, &QObject::deleteLater);
    pPage->download(url, file.fileName());
    return true;
}

void CWebEngineDownloads::ForgetDownload(qint64 nId)
{
    m_listed.remove(nId);
}
