// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class QPrinter;
class QWebEngineView;

// Prints the page of a web view, one job at a time: on a printer the user chooses in the print
// dialog, or on one given. A PDF file is written by the engine's own PDF printing. While a job
// runs the cursor is busy and the status text says so.
class CWebEnginePrinter : public QObject
{
    Q_OBJECT
public:
    explicit CWebEnginePrinter(QWebEngineView* pView);
    ~CWebEnginePrinter() override;

    // Opens the print dialog and prints when it is accepted; false while a job runs or the
    // dialog is open.
    bool PrintWithPrompt();
    // Prints on this printer at once; false while another job runs.
    bool StartPrint(std::unique_ptr<QPrinter> pPrinter);
    bool IsPrinting() const { return m_bPrinting; }

signals:
    // "Printing..." while a job runs, empty once it ended.
    void statusTextChanged(const QString& text);

private:
    void EndPrint();

    QWebEngineView* m_pView;
    std::unique_ptr<QPrinter> m_pPrinter; // while the dialog shows or a print job runs
    bool m_bPrinting = false;
};
