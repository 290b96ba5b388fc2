// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AppletLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include <dlfcn.h>

const char* const CAppletLoader::kInternetOptions = "ioptions.cpl";

QStringList CAppletLoader::DefaultFolders()
{
    return DefaultFolders(QCoreApplication::applicationDirPath());
}

QStringList CAppletLoader::DefaultFolders(const QString& programDir)
{
    return {programDir, QDir::cleanPath(programDir + QStringLiteral("/../lib/nuvbrowser"))};
}

QString CAppletLoader::Find(const QString& fileName, const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo info(QDir(folder), fileName);
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return QString();
}

bool CAppletLoader::Run(HWND hwnd, const QString& fileName, const QStringList& folders)
{
    // The applet's dialog runs its own event loop; a second request arriving meanwhile must
    // not load the library again underneath it.
    static bool s_bRunning = false;
    if (s_bRunning)
        return false;

    const QString path = Find(fileName, folders);
    if (path.isEmpty())
        return false;
    void* library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return false;
    auto entry = reinterpret_cast<APPLET_PROC>(dlsym(library, kCplEntryName));
    if (entry == nullptr) {
        dlclose(library);
        return false;
    }

    s_bRunning = true;
    const QPointer<QWidget> window(hwnd);
    // A window destroyed while the applet showed is not handed on.
    auto handle = [&] { return window.isNull() ? nullptr : hwnd; };
    entry(handle(), CPL_INIT, 0, 0);
    entry(handle(), CPL_DBLCLK, 0, 0);
    entry(handle(), CPL_STOP, 0, 0);
    entry(handle(), CPL_EXIT, 0, 0);
    s_bRunning = false;

    dlclose(library);
    return true;
}
