// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"

#include <QByteArray>
#include <QObject>
#include <QWebEnginePage>

class CWebEnginePrinter;
class QWidget;

// The sleep of one page, through the engine's lifecycle states: frozen, or discarded (the
// engine keeps only the page's navigation entries and loads the current one again, at its
// place, when the page is shown). The engine returns a discarded page to Active by itself
// once it is visible.
//
// While the page is discarded, its history is the one saved just before: the session file
// keeps it as for any page.
class CPageSleep : public QObject
{
    Q_OBJECT
public:
    // The view owns the page, whose dialogs are children of the view.
    CPageSleep(QWebEnginePage* pPage, QWidget* pView, const CWebEnginePrinter* pPrinter);

    BrowserSleepFacts Facts() const;
    void Set(BrowserSleep state);
    BrowserSleep State() const { return FromEngine(m_pPage->lifecycleState()); }
    bool IsDiscarded() const { return State() == BrowserSleep::Discarded; }
    // The history saved when the page was discarded; empty while it is not.
    const QByteArray& KeptHistory() const { return m_keptHistory; }

    static BrowserSleep FromEngine(QWebEnginePage::LifecycleState state);

signals:
    void changed(BrowserSleep state);

private:
    bool HasOpenDialog() const;

    QWebEnginePage* m_pPage;
    QWidget* m_pView;
    const CWebEnginePrinter* m_pPrinter;
    QByteArray m_keptHistory;
};
