// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

class CAppSettings;
class CNuvBrowserForm;
class CPaneWnd;

// Puts the pages of the panes behind the others to sleep: every few seconds it counts how long
// each pane has been hidden and lets ChooseSleep decide, with the delays RunFreezeHidden and
// RunDiscardHidden as the settings have them at that moment. A page wakes by itself when its
// pane comes to the front; its hidden time starts again from zero when it goes behind again.
class CPaneSleeper : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 15000;

    CPaneSleeper(CNuvBrowserForm* pForm, const CAppSettings* pApp);

    // One round: every pane not in front has been hidden nElapsedMs longer.
    void Tick(qint64 nElapsedMs);
    // How long the pane has been hidden, as of the last round.
    qint64 HiddenMs(const CPaneWnd* pPane) const { return m_hiddenMs.value(pPane); }

private:
    void OnTimer();

    CNuvBrowserForm* m_pForm;
    const CAppSettings* m_pApp;
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    QHash<const CPaneWnd*, qint64> m_hiddenMs; // the panes of the last round
};
