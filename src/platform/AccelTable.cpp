// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccelTable.h"

#include "CommandEvent.h"
#include "KeyCodes.h"

#include <QCoreApplication>
#include <QKeyEvent>

CAccelTable::CAccelTable(const ACCEL* pAccel, int nCount)
{
    if (pAccel != nullptr && nCount > 0)
        m_accels.assign(pAccel, pAccel + nCount);
}

int CAccelTable::FindCommand(int nVirtKey, quint8 nModifiers) const
{
    if (nVirtKey <= 0)
        return -1;
    const quint8 mods = nModifiers & (FSHIFT | FCONTROL | FALT);
    for (const ACCEL& a : m_accels) {
        if ((a.fVirt & FVIRTKEY) && a.key == nVirtKey &&
            (a.fVirt & (FSHIFT | FCONTROL | FALT)) == mods)
            return a.cmd;
    }
    return -1;
}

int CAccelTable::FindCommand(const QKeyEvent* pEvent) const
{
    if (pEvent == nullptr)
        return -1;
    return FindCommand(VirtualKeyFromEvent(pEvent), AccelFlagsFromModifiers(pEvent->modifiers()));
}

bool CAccelTable::Translate(QObject* pWindow, const QKeyEvent* pEvent) const
{
    const int nCmd = FindCommand(pEvent);
    if (nCmd < 0)
        return false;
    if (pWindow != nullptr) {
        CCommandEvent command(nCmd);
        QCoreApplication::sendEvent(pWindow, &command);
    }
    return true;
}
