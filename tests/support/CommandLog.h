// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CommandEvent.h"

#include <QList>
#include <QObject>

// Records the commands sent or posted to a window; with bTake, takes them too, so that none
// runs.
class CCommandLog : public QObject
{
public:
    explicit CCommandLog(QObject* pTarget, bool bTake = false) : m_bTake(bTake)
    {
        pTarget->installEventFilter(this);
    }

    QList<int> ids;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != CCommandEvent::EventType())
            return false;
        ids << static_cast<CCommandEvent*>(event)->CommandId();
        return m_bTake;
    }

private:
    bool m_bTake;
};
