// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>

// A command sent to a window, as a menu item, a tool bar button or an accelerator sends it.
// The main frame runs it through its command routing.
class CCommandEvent : public QEvent
{
public:
    explicit CCommandEvent(int nID) : QEvent(EventType()), m_nID(nID) {}

    int CommandId() const { return m_nID; }

    static QEvent::Type EventType()
    {
        static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

private:
    int m_nID;
};
