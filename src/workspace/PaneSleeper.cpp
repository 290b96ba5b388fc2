// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/PaneSleeper.h"

#include "options/AppSettings.h"
#include "panes/HtmlPane.h"
#include "panes/SleepPolicy.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

CPaneSleeper::CPaneSleeper(CNuvBrowserForm* pForm, const CAppSettings* pApp)
    : QObject(pForm), m_pForm(pForm), m_pApp(pApp)
{
    m_timer.setInterval(kTickMs);
    // The rounds need no precision: the system may bundle their wake-ups with others.
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CPaneSleeper::OnTimer);
    m_timer.start();
    m_sinceTick.start();
}

void CPaneSleeper::OnTimer()
{
    Tick(m_sinceTick.restart());
}

void CPaneSleeper::Tick(qint64 nElapsedMs)
{
    const SleepDelays delays{m_pApp->RunFreezeHidden, m_pApp->RunDiscardHidden};
    QHash<const CPaneWnd*, qint64> hiddenMs;
    CPaneTabCtrl* pTabs = m_pForm->TabStrip();
    for (int i = 0; i < pTabs->count(); ++i) {
        auto* pPane = qobject_cast<CHtmlPane*>(pTabs->GetTabPane(i));
        IBrowserControl* pBrowser = pPane ? pPane->Browser() : nullptr;
        if (pBrowser == nullptr)
            continue;
        PaneSleepInput in;
        in.bFront = pPane == m_pForm->GetActivePane();
        in.nHiddenMs = in.bFront ? 0 : m_hiddenMs.value(pPane) + nElapsedMs;
        in.bEditing = pPane->IsEditingText();
        in.facts = pBrowser->SleepFacts();
        hiddenMs.insert(pPane, in.nHiddenMs);
        const BrowserSleep sleep = ChooseSleep(in, delays);
        if (sleep != in.facts.state)
            pBrowser->SetSleep(sleep);
    }
    // Closed panes drop out here.
    m_hiddenMs = hiddenMs;
}
