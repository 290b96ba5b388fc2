// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppCommands.h"

#include "NuvBrowserApp.h"
#include "dialogs/AboutDlg.h"
#include "res/Resource.h"

CAppCommands::CAppCommands(QWidget* pMainWnd) : m_pMainWnd(pMainWnd)
{
    Map(ID_APP_EXIT, &CAppCommands::OnAppExit);
    Map(ID_APP_ABOUT, &CAppCommands::OnAppAbout);
}

void CAppCommands::OnAppExit()
{
    if (CNuvBrowserApp* app = NuvApp())
        app->OnAppExit();
}

void CAppCommands::OnAppAbout()
{
    (new CAboutDlg(m_pMainWnd))->OpenModal();
}
