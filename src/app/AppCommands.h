#pragma once

#include "CmdTarget.h"

// The application's commands, last on the frame's route: Exit (57665).
class CAppCommands : public CCmdTarget
{
public:
    CAppCommands();

    void OnAppExit();
};
