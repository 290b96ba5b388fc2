// SPDX-License-Identifier: GPL-3.0-or-later
#include "Launcher.h"

#include "CommandLineOptions.h"
#include "EarlyHandOff.h"
#include "platform/BrowserProgram.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

int CLauncher::Main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CCommandLineOptions options(args);
    const int answered = options.Answer();
    if (answered >= 0)
        return answered;
    if (options.GetAction() == CCommandLineOptions::Action::Start) {
        int status = 0;
        if (CEarlyHandOff().Run(args, &status))
            return status;
    }

    // No browser runs (or a favorites command): this start becomes the browser.
    const QString dir = CBrowserProgram::OwnFolder();
    const QString program = CBrowserProgram::Find(dir);
    if (program.isEmpty()) {
        std::fprintf(stderr, "nuvbrowser: the browser program %s is missing (looked in %s).\n",
                     CBrowserProgram::kFileName,
                     QFile::encodeName(CBrowserProgram::Candidates(dir).join(QStringLiteral(", ")))
                         .constData());
        return kNoProgramStatus;
    }
    CBrowserProgram::Exec(program, argv);
    std::fprintf(stderr, "nuvbrowser: cannot start %s: %s\n",
                 QFile::encodeName(program).constData(), std::strerror(errno));
    return kNoProgramStatus;
}
