#pragma once

#include "platform/CommandEvent.h"

#include <QList>
#include <QObject>

// Records the commands sent or posted to a window.
class CCommandLog : public QObject
{
public:
    explicit CCommandLog(QObject* pTarget) { pTarget->installEventFilter(this); }

    QList<int> ids;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == CCommandEvent::EventType())
            ids << static_cast<CCommandEvent*>(event)->CommandId();
        return false;
    }
};
