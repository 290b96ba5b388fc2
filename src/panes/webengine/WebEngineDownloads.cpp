#include "panes/webengine/WebEngineDownloads.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <cstdio>

CWebEngineDownloads::CWebEngineDownloads(QWebEngineProfile* pProfile) : QObject(pProfile)
{
    connect(pProfile, &QWebEngineProfile::downloadRequested, this,
            &CWebEngineDownloads::HandleRequest);
}

void CWebEngineDownloads::Expect(QWebEnginePage* pPage, bool bSavePage, const QUrl& url,
                                 const QString& path, Done done)
{
    auto it = m_pending.insert(m_pending.end(), Pending{pPage, bSavePage, url, path, done, {}});
    auto* pTimer = new QTimer(this);
    pTimer->setSingleShot(true);
    it->pTimer = pTimer;
    // A download that never starts (no answer, refused address) fails here.
    connect(pTimer, &QTimer::timeout, this, [this, pTimer] {
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
            if (it->pTimer == pTimer) {
                const Done done = it->done;
                m_pending.erase(it);
                pTimer->deleteLater();
                done(false); // from a timer of ours, not from the engine
                return;
            }
        }
    });
    pTimer->start(kStartTimeoutMs);
}

void CWebEngineDownloads::HandleRequest(QWebEngineDownloadRequest* pRequest)
{
    const bool bSavePage = pRequest->isSavePageDownload();
    auto match = m_pending.end();
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (it->pPage != pRequest->page() || it->bSavePage != bSavePage)
            continue;
        if (bSavePage || it->url == pRequest->url()) {
            match = it;
            break;
        }
        if (match == m_pending.end())
            match = it; // the address may have been redirected
    }
    if (match == m_pending.end())
        return; // not ours: left unaccepted, the engine drops it

    const QString path = match->path;
    const Done done = match->done;
    delete match->pTimer.data();
    m_pending.erase(match);

    connect(pRequest, &QWebEngineDownloadRequest::isFinishedChanged, this,
            [pRequest, path, done] { Finish(pRequest, path, done); });
    // A page save comes accepted, already writing to the temporary file it was given.
    if (pRequest->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    const QFileInfo temp(TempPathFor(path));
    QFile::remove(temp.filePath());
    pRequest->setDownloadDirectory(temp.absolutePath());
    pRequest->setDownloadFileName(temp.fileName());
    pRequest->accept();
}

QString CWebEngineDownloads::TempPathFor(const QString& path)
{
    static int s_nCount = 0;
    const QFileInfo target(path);
    return target.absoluteDir().filePath(QStringLiteral(".%1.%2-%3.part")
                                             .arg(target.fileName())
                                             .arg(QCoreApplication::applicationPid())
                                             .arg(++s_nCount));
}

void CWebEngineDownloads::Finish(QWebEngineDownloadRequest* pRequest, const QString& path,
                                 const Done& done)
{
    if (!pRequest->isFinished())
        return;
    const QString temp = QDir(pRequest->downloadDirectory()).filePath(pRequest->downloadFileName());
    bool bOk = pRequest->state() == QWebEngineDownloadRequest::DownloadCompleted;
    // rename() replaces an existing target in one step, so it is never half written.
    if (bOk)
        bOk = std::rename(QFile::encodeName(temp).constData(),
                          QFile::encodeName(path).constData()) == 0;
    if (!bOk)
        QFile::remove(temp);
    // The caller may open a message box: answer after the engine's signal returned.
    QTimer::singleShot(0, pRequest, [done, bOk] { done(bOk); });
}
