// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QObject;

// Opens a folder, file or address with the desktop's default application (xdg-open), as a
// process of its own that nobody waits for. False when it could not be started (no xdg-open
// on the PATH) or when there is nothing sensible to open: an empty target, or one that
// xdg-open would read as an option.
bool OpenWithDesktop(const QString& target);

// Shows a folder in the desktop's file manager (xdg-open) and tells `done` whether that
// worked: false when xdg-open is missing, cannot start or reports a failure (no file manager
// for folders); true when it ended well or still runs after a few seconds (some file managers
// keep it waiting while they are open). Never waits: `done` runs later on the event loop,
// unless `pContext` was destroyed before.
void ShowFolderWithDesktop(const QString& folder, QObject* pContext,
                           std::function<void(bool bShown)> done);

// Opens a downloaded file with the desktop's default program for its type, handed over as a
// file: address. Refused (false) for what is not a regular file, and for what the desktop
// would run rather than open: a file marked executable, a .desktop launcher.
bool OpenDownloadedFile(const QString& path);
// Opens the folder that holds path in the desktop's file manager; false when it is gone.
bool ShowFileInFolder(const QString& path);

// Hands a "mailto:" address to the mail program: the desktop's registered mailto handler
// (through xdg-open) when there is one, otherwise the program "pmail" on the PATH with
// -to "recipient". The desktop is asked for its handler only once, in the background (see
// QueryMailHandler): the hand-off may finish after the call returned, and never waits.
// False when the address is no mail address or neither program is on the PATH.
bool StartMailTo(const QString& address);

// The desktop's registered handler for mailto: addresses (a .desktop name, empty when none),
// handed to `answer`. The desktop is asked once (xdg-mime, in the background, given up after
// 3 s) and its answer kept: a known answer is handed on at once, else when it arrives, on the
// event loop, unless `pContext` was destroyed before.
void QueryMailHandler(QObject* pContext, std::function<void(const QString& handler)> answer);

// Forgets the kept answer: the next query asks the desktop again.
void ForgetMailHandler();
