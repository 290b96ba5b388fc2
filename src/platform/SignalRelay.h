// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C in a terminal) into a Qt signal on the
// user-interface thread, through a pipe written by the signal handler.
class CSignalRelay : public QObject
{
    Q_OBJECT
public:
    explicit CSignalRelay(QObject* parent = nullptr);
    ~CSignalRelay() override;

signals:
    void signalled(int signo);

private:
    void Drain();

    QSocketNotifier* m_pNotifier = nullptr;
};
