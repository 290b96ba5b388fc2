// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QTest>

// Runs the event loop until the condition holds or nTimeoutMs passed; the condition's
// final value.
template <class F> bool WaitFor(F condition, int nTimeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < nTimeoutMs)
        QTest::qWait(10);
    return condition();
}
