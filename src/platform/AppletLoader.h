// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ControlPanelApplet.h"

#include <QString>
#include <QStringList>

// Loads a control-panel applet library and shows its first applet, the way a control panel
// does, then frees the library again.
class CAppletLoader
{
public:
    static const char* const kInternetOptions; // "ioptions.cpl"

    // Beside the program's executable, then the installed library folder
    // (<prefix>/lib/nuvbrowser, the executable being in <prefix>/bin).
    static QStringList DefaultFolders();
    // The same for a program in `programDir`.
    static QStringList DefaultFolders(const QString& programDir);

    // The file named `fileName` in the first folder that has one; empty when none has.
    static QString Find(const QString& fileName, const QStringList& folders);

    // Loads the library and calls its CPlApplet with CPL_INIT, CPL_DBLCLK (applet 0, data 0,
    // which shows the applet modally), CPL_STOP (applet 0) and CPL_EXIT, each with `hwnd`
    // (or null once that window is gone), then frees it. The applet's answers are not used.
    // False, and nothing shown, when the library is missing or cannot be loaded, when it has
    // no entry point, or while another applet is still showing.
    static bool Run(HWND hwnd, const QString& fileName = QString::fromLatin1(kInternetOptions),
                    const QStringList& folders = DefaultFolders());
};
