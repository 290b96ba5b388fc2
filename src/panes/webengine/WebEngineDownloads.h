// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/DownloadList.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>
#include <list>

class CDownloadGate;
class QTimer;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Saves and downloads that a control started, carried out by the profile's downloads: each
// is written to a temporary file beside its target and renamed onto the target only when
// it completed. Downloads a page starts on its own go to a CPageDownload, which asks the
// user where to put them. Every real download (not a page saved as a page) is listed in the
// downloads list, which may cancel and retry it.
class CWebEngineDownloads : public QObject, public IDownloadEngine
{
    Q_OBJECT
public:
    using Done = std::function<void(bool)>;
    using Progress = std::function<void(qint64 nReceived, qint64 nTotal)>;
    // Connects to the signals of a download's request; called again with the new request
    // when the engine resumes the download.
    using Attach = std::function<void(QWebEngineDownloadRequest*)>;

    explicit CWebEngineDownloads(QWebEngineProfile* pProfile);
    ~CWebEngineDownloads() override;

    // The next download the page asks for: the page itself (bSavePage; the page is saved
    // to a TempPathFor(path) file, url is the page's address) or the address url. A document
    // the engine does not save as a page (a picture, a PDF) arrives as a download of its
    // address and is written to path all the same. done runs once: true when the file is
    // complete at path. progress (may be empty) hears how far the transfer got.
    void Expect(QWebEnginePage* pPage, bool bSavePage, const QUrl& url, const QString& path,
                Done done, Progress progress = {});
    // Ends what the page asked for with Expect: a transfer still to start or running fails.
    void CancelFor(QWebEnginePage* pPage);
    // A save or download of the page is on its way (its save dialog may be open).
    bool IsRunningFor(const QWebEnginePage* pPage) const;

    // A transfer asked for with Expect that receives nothing for this long is cancelled.
    static int StallTimeout();
    static void SetStallTimeout(int nMs);

    // A temporary file beside the target, to be renamed onto it: hidden, and no longer a
    // name than the file system keeps.
    static QString TempPathFor(const QString& path);
    // Puts a complete temporary file in the place of path in one step, copying it first
    // when it lies on another file system. The temporary file is gone afterwards; false
    // when path could not be replaced (it is left as it was).
    static bool MoveOnto(const QString& temp, const QString& path);

    // The download will not go on: finished, or interrupted for good (the engine has given
    // up resuming it; an interrupted download does not count as finished).
    static bool HasEnded(const QWebEngineDownloadRequest* pRequest);
    // Calls handler once, when the request's download has ended.
    static void OnEnded(QWebEngineDownloadRequest* pRequest, QObject* pContext,
                        std::function<void()> handler);

    // Accepts a request that is still to be accepted, to be written to path, and follows
    // the download until it ends.
    void Accept(QWebEngineDownloadRequest* pRequest, const QString& path, Attach attach);

    // Why a download ended without its file, by the engine's interrupt reason.
    static QString FailureText(const QWebEngineDownloadRequest* pRequest);

    // The downloads list's row nListId follows this request: its progress, and its cancel.
    void List(qint64 nListId, QWebEngineDownloadRequest* pRequest);
    // Tells the list how the download of row nListId ended: bOk when its file is complete.
    static void ReportEnd(qint64 nListId, const QWebEngineDownloadRequest* pRequest, bool bOk,
                          const QString& failure = QString());

    void CancelDownload(qint64 nId) override;
    bool RetryDownload(const SDownloadRecord& record) override;
    void ForgetDownload(qint64 nId) override;

    // Whether a page may download one more file on its own.
    CDownloadGate* Gate() const { return m_pGate; }

    // How long a download may take to start before it counts as failed.
    static const int kStartTimeoutMs = 30000;

private:
    struct Pending
    {
        QPointer<QWebEnginePage> pPage;
        bool bSavePage = false;
        QUrl url;
        QString path;
        Done done;
        QPointer<QTimer> pTimer;
        Progress progress;
        bool bCancelled = false; // the page no longer wants it: refused when it arrives
        qint64 nListId = 0;      // a retry of this row of the downloads list
    };

    struct Active
    {
        QPointer<QWebEngineDownloadRequest> pRequest;
        Attach attach;
    };

    void HandleRequest(QWebEngineDownloadRequest* pRequest);
    bool Resume(QWebEngineDownloadRequest* pRequest);
    void Follow(QWebEngineDownloadRequest* pRequest, Attach attach);
    // Reports the transfer's progress and cancels it when it stalls.
    void Watch(QWebEngineDownloadRequest* pRequest, const Progress& progress);
    static void Finish(QWebEngineDownloadRequest* pRequest, const QString& path, const Done& done,
                       qint64 nListId);

    CDownloadGate* m_pGate = nullptr;
    std::list<Pending> m_pending;
    QHash<quint32, Active> m_active;                             // by the engine's download id
    QList<QPointer<QWebEngineDownloadRequest>> m_expected;       // transfers of Expect, running
    QHash<qint64, QPointer<QWebEngineDownloadRequest>> m_listed; // by row of the list
};
