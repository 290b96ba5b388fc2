#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CWebEngineControl;
class CWebEngineDownloads;
class QWebEngineDownloadRequest;

// A download a page started on its own (a link to a file, an attachment response). The engine
// wants an answer before its signal returns, so the download is taken at once into a
// temporary file in the user's Downloads folder (else home) while a save dialog asks where
// it goes. The name the server proposes is reduced to a plain file name first: neither the
// temporary file nor the dialog ever follows folders in it. The finished file is moved onto the
// chosen one; until then an existing file there is left alone. Cancelling the dialog discards the
// download; a failure is reported in a message box. Progress shows on the page's control as its
// ProgressChange; a window that was opened only for the download closes when it ends.
class CPageDownload : public QObject
{
    Q_OBJECT
public:
    // Takes a request that is still to be accepted; call it inside downloadRequested.
    static void Start(QWebEngineDownloadRequest* pRequest, CWebEngineDownloads* pDownloads);

    // The folder the save dialog starts in: the Downloads folder when there is one, else home.
    static QString DefaultFolder();

    ~CPageDownload() override;

private:
    CPageDownload(QWebEngineDownloadRequest* pRequest, CWebEngineDownloads* pDownloads);

    void Attach(QWebEngineDownloadRequest* pRequest);
    void AskForTarget();
    void HandleFinished();
    // The download ended and the user chose a file: move it there or report why not.
    void Conclude();
    // Removes the temporary file, resets the progress, ends this object.
    void End();
    void Report(const QString& text);
    void ReportProgress(qint64 nReceived, qint64 nTotal);

    QPointer<QWebEngineDownloadRequest> m_pRequest;
    QPointer<CWebEngineControl> m_pControl;
    QString m_strName; // the name the dialog offers: a plain name, reduced
    QString m_strTemp;
    QString m_strTarget; // empty until the user chose
    bool m_bAsked = false;
    bool m_bFinished = false;
    bool m_bEnded = false;
};
