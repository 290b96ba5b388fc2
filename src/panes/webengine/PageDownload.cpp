#include "panes/webengine/PageDownload.h"

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

namespace {
// Why a download failed, by the engine's interrupt reason; its own texts misname some (a
// short transfer is "canceled by the user").
QString FailureText(int nReason)
{
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
} // namespace

void CPageDownload::Start(QWebEngineDownloadRequest* pRequest, CWebEngineDownloads* pDownloads)
{
    new CPageDownload(pRequest, pDownloads);
}

QString CPageDownload::DefaultFolder()
{
    return DownloadsFolder();
}

CPageDownload::CPageDownload(QWebEngineDownloadRequest* pRequest, CWebEngineDownloads* pDownloads)
    : QObject(pDownloads)
{
    if (auto* pPage = qobject_cast<CWebEnginePage*>(pRequest->page()))
        m_pControl = pPage->Control();
    // The engine passes on the name the server or the page proposed, folders and all.
    QString proposed = pRequest->suggestedFileName();
    if (proposed.isEmpty())
        proposed = pRequest->downloadFileName();
    m_strName = CDownloadName::Reduce(proposed);

    m_strTemp = CWebEngineDownloads::TempPathFor(QDir(DefaultFolder()).filePath(m_strName));
    QPointer<CPageDownload> self(this);
    pDownloads->Accept(pRequest, m_strTemp, [self](QWebEngineDownloadRequest* pAttached) {
        if (self)
            self->Attach(pAttached);
        else
            pAttached->cancel();
    });
    // The dialog runs its own loop: not inside the engine's signal.
    QTimer::singleShot(0, this, &CPageDownload::AskForTarget);
}

CPageDownload::~CPageDownload()
{
    // Gone with the profile before it ended: the engine cancels the download.
    if (!m_bEnded)
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

void CPageDownload::AskForTarget()
{
    QPointer<CPageDownload> self(this);
    QWidget* pParent = m_pControl ? m_pControl->window() : nullptr;
    const QString path =
        QFileDialog::getSaveFileName(pParent, QString(), QDir(DefaultFolder()).filePath(m_strName));
    if (!self)
        return;
    m_bAsked = true;
    if (path.isEmpty()) {
        if (m_pRequest && !m_pRequest->isFinished())
            m_pRequest->cancel();
        End();
        return;
    }
    m_strTarget = path;
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
    if (!bCompleted) {
        const QString reason = m_pRequest ? FailureText(m_pRequest->interruptReason()) : QString();
        Report(QStringLiteral("The download of \"%1\" did not complete%2. %3")
                   .arg(name, reason.isEmpty() ? QString() : QStringLiteral(": ") + reason,
                        QFileInfo::exists(m_strTarget)
                            ? QStringLiteral("The file \"%1\" was left as it was.").arg(m_strTarget)
                            : QStringLiteral("Nothing was saved.")));
    } else if (!CWebEngineDownloads::MoveOnto(m_strTemp, m_strTarget)) {
        Report(QStringLiteral("The download of \"%1\" could not be written to \"%2\".")
                   .arg(name, m_strTarget));
    }
    End();
}

void CPageDownload::End()
{
    m_bEnded = true;
    QFile::remove(m_strTemp);
    ReportProgress(1, 1);
    if (m_pControl)
        m_pControl->HandleDownloadEnded();
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
                                 QMessageBox::Ok, m_pControl ? m_pControl->window() : nullptr);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    pBox->open();
}

void CPageDownload::ReportProgress(qint64 nReceived, qint64 nTotal)
{
    if (m_pControl)
        m_pControl->ReportDownloadProgress(nReceived, nTotal);
}
