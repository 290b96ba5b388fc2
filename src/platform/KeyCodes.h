// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

class QKeyEvent;

// Virtual-key codes with the values of the key tables ('A' = 0x41, '0' = 0x30, ...).
enum : int
{
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_F1 = 0x70,
    VK_F6 = 0x75,
};

// The virtual-key code of a key press. Letters and digits get the code of their Latin meaning
// on any keyboard layout (the key that types Cyrillic "ф" where Latin layouts have "A" is 'A');
// 0 for keys that have no code.
int VirtualKeyFromEvent(const QKeyEvent* pEvent);

// The same from the parts of a key press. nXKeycode is the hardware key code as X11 and
// Wayland number it (the Linux input code + 8), 0 when unknown; latin is the key's Latin
// letter or digit when the platform could tell it (0 when not).
int VirtualKeyFromKey(int nQtKey, Qt::KeyboardModifiers modifiers, quint32 nXKeycode,
                      char16_t latin = 0);

// FSHIFT, FCONTROL and FALT for the held modifiers.
quint8 AccelFlagsFromModifiers(Qt::KeyboardModifiers modifiers);

// The held modifiers as menus show them: "Ctrl+", "Alt+", "Shift+" (FCONTROL, FALT, FSHIFT), in
// this order.
QString ModifierText(quint8 nFlags);

// A key combination as menus show it: the modifiers, then the key's name ("Tab", "Left", "F5";
// the character of the code for the keys that type one). Empty without a key.
QString KeyText(quint8 nFlags, int nVirtKey);
