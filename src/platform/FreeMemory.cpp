// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FreeMemory.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
// Long enough for a burst of loads and pane changes to end first.
constexpr int kReleaseDelayMs = 1000;
} // namespace

bool ReleaseFreeMemoryNow()
{
#if defined(__GLIBC__)
    return malloc_trim(0) != 0;
#else
    return false;
#endif
}

void ReleaseFreeMemorySoon()
{
    static QPointer<QTimer> s_timer;
    if (s_timer.isNull()) {
        QCoreApplication* pApp = QCoreApplication::instance();
        if (pApp == nullptr)
            return;
        s_timer = new QTimer(pApp);
        s_timer->setSingleShot(true);
        s_timer->setInterval(kReleaseDelayMs);
        QObject::connect(s_timer.data(), &QTimer::timeout, [] { ReleaseFreeMemoryNow(); });
    }
    s_timer->start();
}
