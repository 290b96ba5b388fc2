// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the modal windows a test opens, one handler after the other: each handler gets the
// modal window showing once the previous handler returned (or a window that opened while
// it ran, such as a message box from a button it clicked). Handlers run from the event loop
// of that window, so they may open nested modal loops. A modal window still open after the
// last handler ran, or when time runs out, is closed and reported as a failure, so a test
// never hangs. Handled() counts the handlers that have run to their end, so a test that waits
// for it sees what they did.
class CModalDriver : public QObject
{
public:
    using Handler = std::function<void(QWidget*)>;

    explicit CModalDriver(QList<Handler> handlers, int nTimeoutMs = 20000);
    int Handled() const { return m_nHandled; }

private:
    void Tick();

    QList<Handler> m_handlers;
    QList<QWidget*> m_busy; // windows whose handler is running
    QTimer m_timer;
    int m_nStarted = 0; // handlers given a window (the next one to give is this index)
    int m_nHandled = 0; // handlers that returned
    int m_nTicksLeft;
    int m_nIdleTicks = 0;
};
