// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "options/AppSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class CMainFrame;
class CNuvBrowserDoc;
class CSingleInstance;

// The one application object: the settings for the whole run (its CAppSettings side, handed
// to the frame and the workspace), start-up, the message loop and shut-down.
class CNuvBrowserApp : public QObject, public CAppSettings
{
    Q_OBJECT
public:
    CNuvBrowserApp();
    ~CNuvBrowserApp() override;

    // The one application object; null when none exists.
    static CNuvBrowserApp* Instance();

    // The program: creates the QApplication and the application object, runs start-up,
    // the loop and shut-down, and returns the exit status.
    static int Main(int argc, char** argv);

    bool InitInstance(const QStringList& args);
    int Run();
    int ExitInstance();

    // Command 57665: asks "Are you exit?" when RunExitConfirm is set, then ends the loop.
    void OnAppExit();
    // Ends the loop by the Exit road without asking (signals, tests).
    void ExitWithoutAsking();

    // Profile values of Software\Qorval\nuvBrowser\<section>.
    static int GetProfileInt(const QString& section, const QString& entry, int nDefault);
    static bool WriteProfileInt(const QString& section, const QString& entry, int nValue);
    static QString GetProfileString(const QString& section, const QString& entry,
                                    const QString& strDefault = QString());
    static bool WriteProfileString(const QString& section, const QString& entry,
                                   const QString& value);

    CMainFrame* MainFrame() const;
    CNuvBrowserDoc* Document() const { return m_pDocument; }

signals:
    // The Exit road was taken: the loop ends once control returns to it.
    void exitRequested();

private:
    bool CreateMainWindow();
    // The colour scheme of the settings and the desktop, for the widgets and the engine.
    void ApplyColorScheme();
    void DestroyMainWindow();
    void InstallSignalHandlers();
    void RestoreWindowPlacement();
    void SaveWindowPlacement();
    // The window goes from the screen at once when the program is to end; the rest of the
    // road out (settings, session, the pages' teardown) finishes behind it.
    void HideMainWindow();

    QPointer<CMainFrame> m_pMainWnd;
    CNuvBrowserDoc* m_pDocument = nullptr;
    CSingleInstance* m_pInstance = nullptr;
    bool m_bQuitPosted = false;
    int m_nExitStatus = 0;
    bool m_bRunning = false;
    bool m_bPlacementSaved = false; // taken before the window was hidden
};

// Short access to the application object, as the framework offers it.
inline CNuvBrowserApp* NuvApp()
{
    return CNuvBrowserApp::Instance();
}
