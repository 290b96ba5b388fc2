// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in applet for the loader's tests. It appends one line per event to the file named
// by NUV_APPLET_RECORD: "load" and "unload" when the library is loaded and freed, and
// "<message> <lParam1> <lParam2> <window>" for each call of its entry point. Built with
// NUV_NO_ENTRY it has no entry point at all.
#include "platform/ControlPanelApplet.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
void Record(const char* format, ...)
{
    const char* path = std::getenv("NUV_APPLET_RECORD");
    if (path == nullptr)
        return;
    FILE* file = std::fopen(path, "a");
    if (file == nullptr)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fputc('\n', file);
    std::fclose(file);
}

__attribute__((constructor)) void OnLoad()
{
    Record("load");
}

__attribute__((destructor)) void OnUnload()
{
    Record("unload");
}
} // namespace

#ifndef NUV_NO_ENTRY
CPL_EXPORT LONG CPlApplet(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2)
{
    Record("%" PRIu32 " %" PRIdPTR " %" PRIdPTR " %p", uMsg, lParam1, lParam2,
           static_cast<void*>(hwndCPl));
    return uMsg == CPL_INIT ? 1 : 0;
}
#endif
