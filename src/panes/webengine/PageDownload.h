// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CWebEngineControl;
class CWebEngineDownloads;
class QWebEngineDownloadRequest;
class QWidget;

// A download a page started on its own (a link to a file, an attachment response, a hidden
// frame or a script). The engine wants an answer before its signal returns, so the download is
// taken at once, but only into the program's own cache folder, while a save dialog asks where
// it goes: nothing is written where the user keeps files before the user chose the place. The
// name the server proposes is reduced to a plain file name first. The finished file is moved
// onto the chosen one; until then an existing file there is left alone. Cancelling the dialog
// discards the download; a failure is reported in a message box. A second download of the
// same document first asks whether the page may download several files (CDownloadGate).
// Once the user chose the file, the download is listed in the downloads list. Progress shows
// on the page's control as its ProgressChange; a pane whose page never showed a
// document (opened only for this download) closes as soon as the download is taken or refused.
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
    // The page may download this file: ask where it goes.
    void HandleAdmitted(bool bAllowed);
    void AskForTarget();
    void HandleTarget(const QString& path);
    void HandleFinished();
    // The download ended and the user chose a file: move it there or report why not.
    void Conclude();
    // Cancels what still runs, removes the temporary file, resets the progress, ends this object.
    void End();
    void Report(const QString& text);
    void ReportProgress(qint64 nReceived, qint64 nTotal);

    QPointer<QWebEngineDownloadRequest> m_pRequest;
    QPointer<CWebEngineDownloads> m_pDownloads;
    qint64 m_nListId = 0; // the row of the downloads list, once the user chose the file
    QPointer<CWebEngineControl> m_pControl;
    QPointer<QWidget> m_pWindow; // the dialogs' parent: the window stays when the pane goes
    QString m_strName;           // the name the dialog offers: a plain name, reduced
    QString m_strTemp;           // in the cache folder
    QString m_strTarget;         // empty until the user chose
    bool m_bAsked = false;
    bool m_bFinished = false;
    bool m_bEnded = false;
};
