// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <vector>

class QKeyEvent;
class QObject;

// Flags of an accelerator entry: the key is a virtual-key code, and the modifiers that must be
// held. An entry matches only the exact set of Ctrl, Alt and Shift it names.
enum : quint8
{
    FVIRTKEY = 0x01,
    FNOINVERT = 0x02,
    FSHIFT = 0x04,
    FCONTROL = 0x08,
    FALT = 0x10,
};

struct ACCEL
{
    quint8 fVirt;
    quint16 key;
    quint16 cmd;
};

// An accelerator table: key presses (virtual-key code and modifiers) turned into commands.
// Entries without FVIRTKEY name characters, not keys, and never match a key press.
class CAccelTable
{
public:
    CAccelTable(const ACCEL* pAccel, int nCount);

    int GetCount() const { return static_cast<int>(m_accels.size()); }

    // The command of the first entry for this key and exactly these modifier flags
    // (FSHIFT | FCONTROL | FALT); -1 when none.
    int FindCommand(int nVirtKey, quint8 nModifiers) const;
    // The same for a key press.
    int FindCommand(const QKeyEvent* pEvent) const;

    // On a match, sends the entry's command to the window (CCommandEvent) and returns true.
    bool Translate(QObject* pWindow, const QKeyEvent* pEvent) const;

private:
    std::vector<ACCEL> m_accels;
};
