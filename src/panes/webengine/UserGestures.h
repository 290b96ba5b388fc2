// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>

class QUrl;
class QWidget;

// The user's presses and keys on one page view. A page may start an external program (a mail
// address, an address of another program's scheme) only on the user's behalf: once for each
// press or key on its view, and only shortly after it.
class CUserGestures : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // An address that a program of the desktop opens (a mail address, a chat or a phone
    // link), not the engine.
    static bool IsProgramAddress(const QUrl& url);

    // Watches a widget the engine renders the page into: its presses and keys are gestures.
    void Watch(QWidget* pWidget);
    // A gesture the program makes on the user's behalf (an address the user asked for).
    void Grant() { m_last.start(); }
    // Uses up the gesture of the last moments; false when there is none.
    bool Take();
    // A window the page opened with the gesture gets what is left of it.
    void HandTo(CUserGestures* pOther);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QElapsedTimer m_last; // since the unused gesture; invalid when there is none
};
