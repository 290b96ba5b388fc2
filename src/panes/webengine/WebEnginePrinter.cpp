// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/WebEnginePrinter.h"

#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QWebEnginePage>
#include <QWebEngineView>

CWebEnginePrinter::CWebEnginePrinter(QWebEngineView* pView) : QObject(pView), m_pView(pView)
{
    connect(pView, &QWebEngineView::printFinished, this, &CWebEnginePrinter::EndPrint);
    connect(pView, &QWebEngineView::pdfPrintingFinished, this, &CWebEnginePrinter::EndPrint);
}

CWebEnginePrinter::~CWebEnginePrinter()
{
    if (m_bPrinting)
        QGuiApplication::restoreOverrideCursor();
}

bool CWebEnginePrinter::PrintWithPrompt()
{
    if (m_pPrinter)
        return false; // one job at a time
    // At the printer's own resolution: the engine draws the pages at the printer's dots.
    m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    auto* pDialog = new QPrintDialog(m_pPrinter.get(), m_pView);
    pDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(pDialog, &QDialog::finished, this, [this](int nResult) {
        if (nResult == QDialog::Accepted)
            StartPrint(std::move(m_pPrinter));
        else
            m_pPrinter.reset();
    });
    pDialog->open();
    return true;
}

bool CWebEnginePrinter::StartPrint(std::unique_ptr<QPrinter> pPrinter)
{
    if (!pPrinter || m_bPrinting)
        return false;
    m_pPrinter = std::move(pPrinter);
    m_bPrinting = true;
    // Long documents take a while: the cursor and the status bar say it is working.
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    emit statusTextChanged(tr("Printing..."));
    const QString pdf = m_pPrinter->outputFileName();
    if (m_pPrinter->outputFormat() == QPrinter::PdfFormat && !pdf.isEmpty())
        // The engine's own PDF keeps the text as text and the links as links.
        m_pView->page()->printToPdf(pdf, m_pPrinter->pageLayout());
    else
        m_pView->print(m_pPrinter.get());
    return true;
}

void CWebEnginePrinter::EndPrint()
{
    if (!m_bPrinting)
        return;
    m_bPrinting = false;
    m_pPrinter.reset();
    QGuiApplication::restoreOverrideCursor();
    emit statusTextChanged(QString());
}
