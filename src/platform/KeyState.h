// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Keyboard state the window system knows and Qt does not report.

// True while Caps Lock is on. Read from the X server when the program runs on X11; false
// elsewhere (CapsLockKnown() tells whether the answer means anything).
bool IsCapsLockOn();
bool CapsLockKnown();

// The Latin letter (upper case) or digit that the key with this X key code types in any group
// (layout) or shift level of the current keymap; 0 when none does or when not on X11.
char16_t LatinKeyFromXKeycode(quint32 nXKeycode);
