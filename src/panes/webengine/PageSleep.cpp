// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/PageSleep.h"

#include "panes/webengine/HistoryBytes.h"
#include "panes/webengine/WebEngineDownloads.h"
#include "panes/webengine/WebEnginePrinter.h"
#include "panes/webengine/WebEngineProfile.h"

#include <QDialog>
#include <QWidget>

CPageSleep::CPageSleep(QWebEnginePage* pPage, QWidget* pView, const CWebEnginePrinter* pPrinter)
    : QObject(pView), m_pPage(pPage), m_pView(pView), m_pPrinter(pPrinter)
{
    connect(m_pPage, &QWebEnginePage::lifecycleStateChanged, this,
            [this](QWebEnginePage::LifecycleState state) {
                if (state != QWebEnginePage::LifecycleState::Discarded)
                    m_keptHistory.clear();
                emit changed(FromEngine(state));
            });
}

BrowserSleep CPageSleep::FromEngine(QWebEnginePage::LifecycleState state)
{
    switch (state) {
    case QWebEnginePage::LifecycleState::Frozen:
        return BrowserSleep::Frozen;
    case QWebEnginePage::LifecycleState::Discarded:
        return BrowserSleep::Discarded;
    default:
        return BrowserSleep::Awake;
    }
}

BrowserSleepFacts CPageSleep::Facts() const
{
    BrowserSleepFacts facts;
    facts.state = State();
    facts.deepest = FromEngine(m_pPage->recommendedState());
    facts.bAudible = m_pPage->recentlyAudible();
    facts.bBusy = m_pPrinter->IsPrinting() || NuvWebEngineDownloads()->IsRunningFor(m_pPage) ||
                  HasOpenDialog();
    return facts;
}

bool CPageSleep::HasOpenDialog() const
{
    // The engine's dialogs for the page (a script's alert, a file to choose, a log-in), the
    // print dialog: all of them windows of the view.
    const QList<QDialog*> dialogs = m_pView->findChildren<QDialog*>();
    return std::any_of(dialogs.cbegin(), dialogs.cend(),
                       [](const QDialog* pDialog) { return pDialog->isVisible(); });
}

void CPageSleep::Set(BrowserSleep state)
{
    // A page that is shown stays awake (the engine refuses it anyway).
    if (state != BrowserSleep::Awake && m_pPage->isVisible())
        return;
    if (state == State())
        return;
    if (state == BrowserSleep::Discarded)
        m_keptHistory = SaveEngineHistory(m_pPage->history());
    switch (state) {
    case BrowserSleep::Awake:
        m_pPage->setLifecycleState(QWebEnginePage::LifecycleState::Active);
        break;
    case BrowserSleep::Frozen:
        m_pPage->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
        break;
    case BrowserSleep::Discarded:
        m_pPage->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
        break;
    }
}
