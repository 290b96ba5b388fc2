// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The control-panel applet interface shared by the Internet Options applet and the program
// that loads it: one C entry point, CPlApplet, driven by numbered messages. A window handle
// is the QWidget the applet's dialog belongs to, passed as an opaque pointer.

#include <cstdint>

class QWidget;

using HWND = QWidget*;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using LPARAM = std::intptr_t;
using LONG_PTR = std::intptr_t;

enum : UINT
{
    CPL_INIT = 1,       // the library was loaded; nonzero answer: ready
    CPL_GETCOUNT = 2,   // answer: the number of applets in the library
    CPL_INQUIRE = 3,    // lParam1 applet, lParam2 CPLINFO*
    CPL_SELECT = 4,     // lParam1 applet, lParam2 its data
    CPL_DBLCLK = 5,     // lParam1 applet, lParam2 its data: show the applet
    CPL_STOP = 6,       // lParam1 applet, lParam2 its data: the applet ends
    CPL_EXIT = 7,       // the library is about to be freed
    CPL_NEWINQUIRE = 8, // lParam1 applet, lParam2 NEWCPLINFO*
};

// CPLINFO's resource ids: this value means "ask with CPL_NEWINQUIRE".
const int CPL_DYNAMIC_RES = 0;

struct CPLINFO
{
    int idIcon;
    int idName;
    int idInfo;
    LONG_PTR lData;
};

// Texts are UTF-16 with a terminating zero.
struct NEWCPLINFO
{
    std::uint32_t dwSize; // set by the caller to sizeof(NEWCPLINFO)
    std::uint32_t dwFlags;
    std::uint32_t dwHelpContext;
    LONG_PTR lData;
    void* hIcon;
    char16_t szName[32];
    char16_t szInfo[64];
    char16_t szHelpFile[128];
};

using APPLET_PROC = LONG (*)(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

// The name of the entry point every applet library exports.
inline constexpr char kCplEntryName[] = "CPlApplet";

// Marks a library's CPlApplet as its one exported symbol.
#define CPL_EXPORT extern "C" __attribute__((visibility("default")))
