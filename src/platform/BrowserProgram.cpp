// SPDX-License-Identifier: GPL-3.0-or-later
#include "BrowserProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

const char* const CBrowserProgram::kFileName = "nuvbrowser-bin";

QStringList CBrowserProgram::Candidates(const QString& launcherDir)
{
    const QString name = QLatin1String(kFileName);
    return {launcherDir + QLatin1Char('/') + name,
            QDir::cleanPath(launcherDir + QStringLiteral("/../lib/nuvbrowser/")) +
                QLatin1Char('/') + name};
}

QString CBrowserProgram::Find(const QString& launcherDir)
{
    if (launcherDir.isEmpty())
        return QString();
    for (const QString& path : Candidates(launcherDir)) {
        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable())
            return path;
    }
    return QString();
}

QString CBrowserProgram::OwnFolder()
{
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.isEmpty() ? QString() : QFileInfo(exe).absolutePath();
}

void CBrowserProgram::Exec(const QString& program, char** argv)
{
    std::fflush(nullptr); // nothing written so far may be lost with this process image
    ::execv(QFile::encodeName(program).constData(), argv);
}
