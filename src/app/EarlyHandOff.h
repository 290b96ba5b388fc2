// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "options/AppSettings.h"
#include "platform/HandOffSender.h"

#include <QStringList>

// A second start's hand-off before anything else is built: no application object, no
// display connection, no engine. It needs Qt Core alone, so the small launcher program
// (nuvbrowser) and the browser itself take the same steps: the settings are read, the
// start address is taken from the arguments, handed over, and the settings written back as
// on every road out of the program.
class CEarlyHandOff : public CAppSettings
{
public:
    // True when this start ends here (the address was handed over, or could not be), with
    // *pStatus its exit status; false when no browser runs, or the socket is unusable, and
    // this start is to become the browser.
    bool Run(const QStringList& args, int* pStatus);

    // Tells the user what became of a hand-off; true when this start ends here, with
    // *pExitStatus set.
    static bool Report(HandOffResult result, int* pExitStatus);
};
