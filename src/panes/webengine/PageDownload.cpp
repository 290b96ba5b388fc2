// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/PageDownload.h"

#include "panes/webengine/DownloadGate.h"
#include "panes/webengine/WebEngineControl.h"
#include "panes/webengine/WebEngineDownloads.h"
#include "panes/webengine/WebEnginePage.h"
#include "platform/DownloadName.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QWebEngineDownloadRequest>

void CPageDownload::Start(QWebEngineDownloadRequest* pRequest, CWebEngineDownloads* pDownloads)
{
    new CPageDownload(pRequest, pDownloads);
}

QString CPageDownload::DefaultFolder()
{
    return DownloadsFolder();
}

CPageDownload::CPageDownload(QWebEngineDownloadRequest* pRequest, CWebEngineDownloads* pDownloads)
    : QObject(pDownloads), m_pDownloads(pDownloads)
{
    QWebEnginePage* pPage = pRequest->page();
    if (auto* pOurPage = qobject_cast<CWebEnginePage*>(pPage))
        m_pControl = pOurPage->Control();
    if (m_pControl)
        m_pWindow = m_pControl->window();
    // The engine passes on the name the server or the page proposed, folders and all.
    QString proposed = pRequest->suggestedFileName();
    if (proposed.isEmpty())
        proposed = pRequest->downloadFileName();
    m_strName = CDownloadName::Reduce(proposed);

    QPointer<CPageDownload> self(this);
    const CDownloadGate::Verdict verdict =
        pPage ? pDownloads->Gate()->Admit(pPage, pRequest->url(), m_pWindow, this,
                                          [self](bool bAllowed) {
                                              if (self)
                                                  self->HandleAdmitted(bAllowed);
                                          })
              : CDownloadGate::Verdict::Allowed;
    // A pane that was opened only for this download has nothing to show: it goes now, the
    // dialogs stay with its window.
    if (m_pControl)
        m_pControl->HandleDownloadStarted();
    const QString folder =
        verdict == CDownloadGate::Verdict::Refused ? QString() : DownloadCacheFolder();
    if (folder.isEmpty()) {
        // Not accepted: the engine drops the request when its signal returns.
        if (verdict != CDownloadGate::Verdict::Refused)
            Report(QStringLiteral("The download of \"%1\" could not start: there is no private "
                                  "folder to keep it in until it is saved.")
                       .arg(m_strName));
        End();
        return;
    }

    m_strTemp = CWebEngineDownloads::TempPathFor(QDir(folder).filePath(m_strName));
    pDownloads->Accept(pRequest, m_strTemp, [self](QWebEngineDownloadRequest* pAttached) {
        if (self)
            self->Attach(pAttached);
        else
            pAttached->cancel();
    });
    // The dialog opens from the event loop, not inside the engine's signal.
    if (verdict == CDownloadGate::Verdict::Allowed)
        QTimer::singleShot(0, this, &CPageDownload::AskForTarget);
}

CPageDownload::~CPageDownload()
{
    // Gone with the profile before it ended: the engine cancels the download.
    if (!m_bEnded && !m_strTemp.isEmpty())
        QFile::remove(m_strTemp);
}

void CPageDownload::Attach(QWebEngineDownloadRequest* pRequest)
{
    m_pRequest = pRequest;
    connect(pRequest, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this] { ReportProgress(m_pRequest->receivedBytes(), m_pRequest->totalBytes()); });
    CWebEngineDownloads::OnEnded(pRequest, this, [this] { HandleFinished(); });
    connect(pRequest, &QObject::destroyed, this, &CPageDownload::HandleFinished);
}

void CPageDownload::HandleAdmitted(bool bAllowed)
{
    if (m_bEnded)
        return;
    if (bAllowed)
        AskForTarget();
    else
        End();
}

void CPageDownload::AskForTarget()
{
    auto* pDialog = new QFileDialog(m_pWindow, QString(), DefaultFolder());
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    pDialog->setAcceptMode(QFileDialog::AcceptSave);
    pDialog->setFileMode(QFileDialog::AnyFile);
    pDialog->selectFile(m_strName);
    connect(pDialog, &QFileDialog::finished, this, [this, pDialog](int nResult) {
        HandleTarget(nResult == QDialog::Accepted ? pDialog->selectedFiles().value(0) : QString());
    });
    pDialog->open();
}

void CPageDownload::HandleTarget(const QString& path)
{
    m_bAsked = true;
    if (path.isEmpty()) {
        End();
        return;
    }
    m_strTarget = path;
    if (m_pRequest && m_pDownloads) {
        m_nListId = CDownloadList::Instance()->Begin(path, m_pRequest->url().toString(),
                                                     m_pRequest->totalBytes());
        m_pDownloads->List(m_nListId, m_pRequest);
        CDownloadList::Instance()->Progress(m_nListId, m_pRequest->receivedBytes(),
                                            m_pRequest->totalBytes());
    }
    if (m_bFinished)
        Conclude();
}

void CPageDownload::HandleFinished()
{
    if (m_bEnded || m_bFinished)
        return;
    m_bFinished = true;
    ReportProgress(1, 1);
    // A download that ends while the dialog is open waits for the user's choice.
    if (m_bAsked)
        QTimer::singleShot(0, this, &CPageDownload::Conclude);
}

void CPageDownload::Conclude()
{
    const bool bCompleted =
        m_pRequest && m_pRequest->state() == QWebEngineDownloadRequest::DownloadCompleted;
    const QString name = QFileInfo(m_strTarget).fileName();
    bool bOk = false;
    if (!bCompleted && m_pRequest &&
        m_pRequest->state() == QWebEngineDownloadRequest::DownloadCancelled) {
        // Cancelled in the downloads window: nothing to report.
    } else if (!bCompleted) {
        const QString reason =
            m_pRequest ? CWebEngineDownloads::FailureText(m_pRequest) : QString();
        Report(QStringLiteral("The download of \"%1\" did not complete%2. %3")
                   .arg(name, reason.isEmpty() ? QString() : QStringLiteral(": ") + reason,
                        QFileInfo::exists(m_strTarget)
                            ? QStringLiteral("The file \"%1\" was left as it was.").arg(m_strTarget)
                            : QStringLiteral("Nothing was saved.")));
    } else if (!CWebEngineDownloads::MoveOnto(m_strTemp, m_strTarget)) {
        Report(QStringLiteral("The download of \"%1\" could not be written to \"%2\".")
                   .arg(name, m_strTarget));
    } else {
        bOk = true;
    }
    if (m_nListId != 0)
        CWebEngineDownloads::ReportEnd(
            m_nListId, m_pRequest, bOk,
            bCompleted ? QStringLiteral("the file could not be written to \"%1\"").arg(m_strTarget)
                       : QStringLiteral("the download was lost"));
    End();
}

void CPageDownload::End()
{
    m_bEnded = true;
    if (m_pRequest && !CWebEngineDownloads::HasEnded(m_pRequest))
        m_pRequest->cancel();
    if (!m_strTemp.isEmpty())
        QFile::remove(m_strTemp);
    ReportProgress(1, 1);
    // The profile keeps every download it reported until it is deleted.
    if (m_pRequest && CWebEngineDownloads::HasEnded(m_pRequest))
        m_pRequest->deleteLater();
    else if (m_pRequest)
        CWebEngineDownloads::OnEnded(m_pRequest, m_pRequest,
                                     [pRequest = m_pRequest.data()] { pRequest->deleteLater(); });
    deleteLater();
}

void CPageDownload::Report(const QString& text)
{
    auto* pBox = new QMessageBox(QMessageBox::Warning, QStringLiteral("nuvBrowser"), text,
                                 QMessageBox::Ok, m_pWindow);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    pBox->open();
}

void CPageDownload::ReportProgress(qint64 nReceived, qint64 nTotal)
{
    if (m_pControl)
        m_pControl->ReportDownloadProgress(nReceived, nTotal);
}
