// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AppletLoader.h"

class CInternetSettings;
class QComboBox;
class QWidget;

// The Internet Options command: writes the session's typed addresses and text size, shows the
// platform's Internet Options applet for the form's window, then takes the start page, the
// typed-address list and the text size again from the registry (the applet may have changed
// them) and refills the address list. Nothing happens
// when the applet cannot be loaded; nothing is re-read when the form went away meanwhile.
// True when the applet ran.
bool RunInternetOptions(QWidget* pFormWindow, CInternetSettings& settings, QComboBox* pAddressCombo,
                        const QStringList& folders = CAppletLoader::DefaultFolders());
