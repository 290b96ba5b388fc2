// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The user's settings for the whole run: the thirteen values of the section "Options" of the
// profile Software\Qorval\nuvBrowser, named after their registry values, and the start address
// of this run. The application object holds them; the frame, the workspace and the options
// sheet are handed this object and read and change the fields in place. Only ReadSettings and
// WriteSettings load and store them.
class CAppSettings
{
public:
    static const char* const kProfileKey; // "Software\\Qorval\\nuvBrowser"
    static const char* const kOptionsKey; // "Software\\Qorval\\nuvBrowser\\Options"

    // One read of the profile for all values; a value that is missing or of another type
    // takes its default.
    void ReadSettings();
    // Writes the thirteen values back (and RunRestoreSession once it was stored or chosen);
    // nothing is written over the stored settings before they were read.
    void WriteSettings();
    bool IsSettingsRead() const { return m_bSettingsRead; }

    int ViewMenu = 1;
    int ViewFavorite = 1;
    int ViewStatus = 0;
    int ViewFont = 2;
    int ViewNewActive = 1;
    int ViewSortFavorite = 0;
    int ViewSingleFavorite = 0;
    int ViewTabWidthFixed = 0;
    int ViewFavoriteWidth = 0;
    int ViewNewWindow = 0;
    int RunLastClose = 0;
    int RunExitConfirm = 0;
    int CheckGoogle = 1;
    // The pages open at a normal exit come back at the next start, without a question.
    int RunRestoreSession = 0;
    // Seconds a pane stays behind the others before its page is frozen, and before it is
    // discarded; 0: never.
    int RunFreezeHidden = 300;
    int RunDiscardHidden = 1800;
    // Desktop: the colour scheme (0 follow the desktop, 1 light, 2 dark) and the spell checker
    // of text fields (0 off).
    int ViewColorScheme = 0;
    int SpellCheck = 1;
    static constexpr int kLaterSettingCount = 4;

    // The address this run starts with (the command line's); read once by the start-up job.
    QString m_strStartAddress;

private:
    bool m_bSettingsRead = false;
    bool m_bRestoreSessionStored = false;        // RunRestoreSession was in the registry
    bool m_laterStored[kLaterSettingCount] = {}; // each value added later was in the registry
};
