// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalDriver.h"

#include <QApplication>
#include <QMetaObject>
#include <gtest/gtest.h>

namespace {
const int kTickMs = 10;
const int kGraceTicks = 100; // how long a window may stay open once every handler ran
} // namespace

CModalDriver::CModalDriver(QList<Handler> handlers, int nTimeoutMs)
    : m_handlers(std::move(handlers)), m_nTicksLeft(nTimeoutMs / kTickMs)
{
    connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    m_timer.start(kTickMs);
}

void CModalDriver::Tick()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
        m_nIdleTicks = 0;
        return;
    }
    if (!m_busy.contains(modal) && m_nStarted < m_handlers.size()) {
        Handler handler = m_handlers[m_nStarted++];
        m_busy.append(modal);
        // Posted, so that the handler may open a nested modal loop while this timer keeps
        // watching; counted as handled only once it returned.
        QPointer<QWidget> target(modal);
        QPointer<CModalDriver> self(this);
        QMetaObject::invokeMethod(
            modal,
            [self, handler, target, modal] {
                const bool bRan = target != nullptr;
                if (bRan)
                    handler(target);
                if (!self)
                    return;
                self->m_busy.removeOne(modal);
                if (bRan) {
                    ++self->m_nHandled;
                    return;
                }
                // A window that went away before its handler could run leaves the handler
                // to the next one.
                self->m_handlers.insert(--self->m_nStarted, handler);
            },
            Qt::QueuedConnection);
        m_nIdleTicks = 0;
        return;
    }
    if (--m_nTicksLeft <= 0 || (m_nStarted == m_handlers.size() && ++m_nIdleTicks > kGraceTicks)) {
        ADD_FAILURE() << "a modal window stayed open: " << modal->windowTitle().toStdString();
        modal->close();
    }
}
