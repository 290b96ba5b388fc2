#include "AppCommands.h"

#include "NuvBrowserApp.h"
#include "res/Resource.h"

CAppCommands::CAppCommands()
{
    Map(ID_APP_EXIT, &CAppCommands::OnAppExit);
}

void CAppCommands::OnAppExit()
{
    if (CNuvBrowserApp* app = NuvApp())
        app->OnAppExit();
}
