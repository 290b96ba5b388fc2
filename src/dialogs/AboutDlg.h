// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NuvDialog.h"

// "About (nuvBrowser)": the program's version and build date.
class CAboutDlg : public CNuvDialog
{
    Q_OBJECT
public:
    enum : int
    {
        IDD = 100,
        IDC_BUILD = 1048,
        IDC_VERSION = 1049,
    };

    static const char* const kVersion;   // "nuvBrowser Version 0.8w"
    static const char* const kBuildDate; // "Mar 30 2003"

    explicit CAboutDlg(QWidget* pParent);
};
