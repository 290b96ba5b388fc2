// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSize>

class QWidget;

// The main window's placement as the registry keeps it: the window's own rectangle (without
// the window manager's frame) while it is neither maximized nor full screen, and whether it
// is maximized. Restored, the window gets that very rectangle back, moved and sized only as
// far as it takes to keep it on a screen: started again and again, it stays where it was.
//
// The record: the text "NUVW", a 32-bit version (1), a 32-bit state (bit 0 maximized), then
// left, top, width and height as signed 32-bit numbers, all little-endian (28 bytes).
class CWindowPlacement
{
public:
    static QByteArray Save(const QWidget* pWindow);
    // The same; where the window system lets no client place windows (bPosition false), the
    // window's position means nothing (Wayland reports 0,0), so the position of the record
    // stored before, where it is one, is kept for the next start under X11.
    static QByteArray Save(const QWidget* pWindow, const QByteArray& stored, bool bPosition);
    // False for data that is not such a record (nothing is changed then) or that cannot be a
    // window's rectangle.
    static bool Restore(QWidget* pWindow, const QByteArray& data);
    // The same; with bPosition false only the size and the state are restored (Wayland lets
    // no client place its window).
    static bool Restore(QWidget* pWindow, const QByteArray& data, bool bPosition);
    // The window's size at its first start on a screen with `available` room: 1024 x 768, or
    // less where that and the window manager's frame around it would not fit.
    static QSize FirstSize(const QSize& available);
    // Whether the window system lets the program place its windows (not on Wayland).
    static bool CanPlaceWindows();
};
