// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CmdTarget.h"

class QWidget;

// The application's commands, last on the frame's route: Exit (57665) and About (57664), which
// therefore work whatever has the focus.
class CAppCommands : public CCmdTarget
{
public:
    // pMainWnd: the window the application's dialogs open over.
    explicit CAppCommands(QWidget* pMainWnd = nullptr);

    void OnAppExit();
    void OnAppAbout();

private:
    QWidget* m_pMainWnd;
};
