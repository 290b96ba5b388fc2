// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DesktopScheme.h"

#include <QByteArray>

class QPalette;

// The program's colour scheme: the registry value "ViewColorScheme" (Options) chooses it,
// 0 following the desktop, 1 light, 2 dark.
enum class ColorScheme
{
    Light,
    Dark,
};

namespace NuvColorScheme {
enum : int
{
    FollowDesktop = 0,
    ForceLight = 1,
    ForceDark = 2,
};

// The scheme for a registry value and what the desktop says: a value of 1 or 2 wins; 0 (and any
// other value) follows the first source that has an answer: the portal, GTK, Qt's palette.
// Light when nobody knows.
ColorScheme Choose(int nViewColorScheme, SchemeHint portal, SchemeHint gtk, SchemeHint qtPalette);

// The palette of the dark scheme (for the Fusion style).
QPalette DarkPalette();

// Gives the program's widgets the scheme: the platform's own style and palette where they
// already match it, else the Fusion style with a dark palette or Fusion's light one.
// Remembers the platform's style and palette at its first call, to go back to them.
void ApplyToWidgets(ColorScheme scheme);

// The flags that tell the web engine's pages the scheme (prefers-color-scheme); empty for the
// light one, the engine's default. The engine reads them when it starts: added to
// QTWEBENGINE_CHROMIUM_FLAGS by ApplyToEngine before the first page is made.
QByteArray EngineFlags(ColorScheme scheme);
void ApplyToEngine(ColorScheme scheme);

// The desktop's sources, made once (the portal is asked at the first call).
CDesktopScheme* Desktop();
// The scheme for the registry value with what the desktop says now.
ColorScheme Resolve(int nViewColorScheme);
} // namespace NuvColorScheme
