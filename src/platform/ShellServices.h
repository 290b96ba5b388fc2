#pragma once

#include <QString>

// Opens a folder, file or address with the desktop's default application (xdg-open), as a
// process of its own that nobody waits for. False when it could not be started (no xdg-open
// on the PATH) or when there is nothing sensible to open: an empty target, or one that
// xdg-open would read as an option.
bool OpenWithDesktop(const QString& target);

// Hands a "mailto:" address to the mail program: the desktop's registered mailto handler
// (through xdg-open) when there is one, otherwise the program "pmail" on the PATH with
// -to "recipient". False when neither can be started.
bool StartMailTo(const QString& address);

// The desktop's registered handler for mailto: addresses (a .desktop name), or empty.
QString RegisteredMailHandler();
