#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>
#include <list>

class QTimer;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Saves and downloads that a control started, carried out by the profile's downloads: each
// is written to a temporary file beside its target and renamed onto the target only when
// it completed. Downloads a page starts on its own are not taken.
class CWebEngineDownloads : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(bool)>;

    explicit CWebEngineDownloads(QWebEngineProfile* pProfile);

    // The next download the page asks for: the page itself (bSavePage; the page is saved
    // to a TempPathFor(path) file) or the address. done runs once: true when the file is
    // complete at path.
    void Expect(QWebEnginePage* pPage, bool bSavePage, const QUrl& url, const QString& path,
                Done done);

    // A temporary file beside the target, to be renamed onto it.
    static QString TempPathFor(const QString& path);

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
    };

    void HandleRequest(QWebEngineDownloadRequest* pRequest);
    static void Finish(QWebEngineDownloadRequest* pRequest, const QString& path, const Done& done);

    std::list<Pending> m_pending;
};
