// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The browser program proper, which the small launcher (nuvbrowser) becomes when no browser
// runs: "nuvbrowser-bin" beside the launcher in the build tree, in <prefix>/lib/nuvbrowser
// once installed (the launcher being in <prefix>/bin).
class CBrowserProgram
{
public:
    static const char* const kFileName; // "nuvbrowser-bin"

    // Where it is looked for, in this order, for a launcher in launcherDir.
    static QStringList Candidates(const QString& launcherDir);
    // The first candidate that is an executable file; empty when there is none.
    static QString Find(const QString& launcherDir);
    // The folder of the running program's executable; empty when it cannot be told.
    static QString OwnFolder();

    // Replaces this process by the program, with argv passed on as it is (the process id
    // stays). Returns only when that failed, with errno set.
    static void Exec(const QString& program, char** argv);
};
