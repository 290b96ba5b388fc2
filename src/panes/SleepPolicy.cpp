// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/SleepPolicy.h"

#include <algorithm>

namespace {
bool IsDue(qint64 nHiddenMs, int nDelaySecs)
{
    return nDelaySecs > 0 && nHiddenMs >= qint64(nDelaySecs) * 1000;
}
} // namespace

BrowserSleep ChooseSleep(const PaneSleepInput& in, const SleepDelays& delays)
{
    if (in.bFront)
        return BrowserSleep::Awake;
    const BrowserSleepFacts& facts = in.facts;
    if (facts.bAudible || facts.bBusy || in.bEditing)
        return facts.state;
    BrowserSleep wanted = BrowserSleep::Awake;
    if (IsDue(in.nHiddenMs, delays.nDiscardSecs))
        wanted = BrowserSleep::Discarded;
    else if (IsDue(in.nHiddenMs, delays.nFreezeSecs))
        wanted = BrowserSleep::Frozen;
    return std::max(std::min(wanted, facts.deepest), facts.state);
}
