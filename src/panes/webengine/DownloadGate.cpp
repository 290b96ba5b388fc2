// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/DownloadGate.h"

#include <QList>
#include <QMessageBox>
#include <QPair>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

struct CDownloadGate::Waiting
{
    QList<QPair<QPointer<QObject>, Answer>> answers;
};

CDownloadGate::CDownloadGate(QObject* pParent) : QObject(pParent) {}

CDownloadGate::~CDownloadGate() = default;

QString CDownloadGate::QuestionText()
{
    return tr("This page wants to download several files.");
}

CDownloadGate::Verdict CDownloadGate::Admit(QWebEnginePage* pPage, const QUrl& url,
                                            QWidget* pParent, QObject* pContext, Answer answer)
{
    if (!m_documents.contains(pPage))
        Watch(pPage);
    // A document's frames start their downloads before it has loaded completely, so a new
    // document is known by the start of its load: a load of another address than this
    // download's started since the last download. (A link to a file starts a load of the
    // file's address, which becomes the download and leaves the document as it was.)
    Document& document = m_documents[pPage];
    if (document.bOtherStart || (!document.lastStart.isEmpty() && document.lastStart != url))
        document = Document();
    document.lastStart.clear();
    document.bOtherStart = false;
    ++document.nCount;
    // The first download goes on; the second asks; the answer holds for the rest.
    if (document.nCount == 1 || (document.nCount > 2 && document.verdict != Verdict::Asking))
        return document.verdict;
    if (document.nCount == 2)
        Ask(pPage, pParent);
    m_documents[pPage].pWaiting->answers.append({pContext, std::move(answer)});
    return Verdict::Asking;
}

void CDownloadGate::Watch(QWebEnginePage* pPage)
{
    m_documents.insert(pPage, Document());
    connect(pPage, &QWebEnginePage::loadingChanged, this,
            [this, pPage](const QWebEngineLoadingInfo& info) {
                if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                    return;
                Document& document = m_documents[pPage];
                if (!document.lastStart.isEmpty() && document.lastStart != info.url())
                    document.bOtherStart = true;
                document.lastStart = info.url();
            });
    connect(pPage, &QObject::destroyed, this, [this, pPage] { m_documents.remove(pPage); });
}

void CDownloadGate::Ask(QWebEnginePage* pPage, QWidget* pParent)
{
    const auto pWaiting = std::make_shared<Waiting>();
    Document& document = m_documents[pPage];
    document.verdict = Verdict::Asking;
    document.pWaiting = pWaiting;

    const QString host = pPage->url().host();
    auto* pBox =
        new QMessageBox(QMessageBox::Question, QStringLiteral("nuvBrowser"), QuestionText(),
                        QMessageBox::Yes | QMessageBox::No, pParent ? pParent->window() : nullptr);
    pBox->setInformativeText(host.isEmpty()
                                 ? tr("Allow it to download more than one file?")
                                 : tr("Allow %1 to download more than one file?").arg(host));
    pBox->setDefaultButton(QMessageBox::No);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    connect(pBox, &QMessageBox::finished, this, [this, pPage, pBox, pWaiting] {
        // Closing the box without an answer refuses too.
        const bool bAllowed = pBox->clickedButton() == pBox->button(QMessageBox::Yes);
        const auto it = m_documents.find(pPage);
        if (it != m_documents.end() && it->pWaiting == pWaiting) {
            it->verdict = bAllowed ? Verdict::Allowed : Verdict::Refused;
            it->pWaiting.reset();
        }
        for (const auto& [pContext, answer] : std::as_const(pWaiting->answers))
            if (pContext)
                answer(bAllowed);
    });
    // Shown from the event loop, not inside the engine's signal.
    QTimer::singleShot(0, pBox, [pBox] { pBox->open(); });
}
