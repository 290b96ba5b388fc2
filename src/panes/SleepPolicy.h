// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"

#include <QtGlobal>

// How long a pane stays behind the others before its page sleeps, in seconds; 0: never. The
// settings RunFreezeHidden and RunDiscardHidden.
struct SleepDelays
{
    int nFreezeSecs = 300;
    int nDiscardSecs = 1800;
};

// What decides the sleep of one pane's page.
struct PaneSleepInput
{
    bool bFront = false;   // the pane in front never sleeps
    bool bEditing = false; // a field of its page takes typing
    qint64 nHiddenMs = 0;  // how long it has been behind the others
    BrowserSleepFacts facts;
};

// The sleep the page is to have: none in front, nor while it plays sound, is being edited or
// has a download, a print or a dialog in progress; otherwise frozen once it was hidden for the
// freeze delay and discarded after the discard delay, never deeper than the engine
// recommends. A hidden page never wakes from this choice (it wakes when it is shown): the
// answer is never lighter than the sleep it has.
BrowserSleep ChooseSleep(const PaneSleepInput& in, const SleepDelays& delays);
