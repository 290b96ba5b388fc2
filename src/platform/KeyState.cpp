// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyState.h"

#include <QGuiApplication>

#ifdef NUV_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#endif

namespace {
#ifdef NUV_HAVE_X11
Display* X11Display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}
#endif
} // namespace

bool CapsLockKnown()
{
#ifdef NUV_HAVE_X11
    return X11Display() != nullptr;
#else
    return false;
#endif
}

bool IsCapsLockOn()
{
#ifdef NUV_HAVE_X11
    if (Display* dpy = X11Display()) {
        XkbStateRec state;
        if (XkbGetState(dpy, XkbUseCoreKbd, &state) == Success)
            return (state.locked_mods & LockMask) != 0;
    }
#endif
    return false;
}

char16_t LatinKeyFromXKeycode(quint32 nXKeycode)
{
#ifdef NUV_HAVE_X11
    Display* dpy = X11Display();
    if (dpy == nullptr || nXKeycode < 8 || nXKeycode > 255)
        return 0;
    // Groups are the layouts the user switches between; the first Latin letter or digit
    // found on the key is its meaning.
    for (int group = 0; group < 4; ++group) {
        for (int level = 0; level < 2; ++level) {
            const KeySym sym =
                XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(nXKeycode), group, level);
            if (sym >= XK_0 && sym <= XK_9)
                return static_cast<char16_t>(sym);
            if (sym >= XK_A && sym <= XK_Z)
                return static_cast<char16_t>(sym);
            if (sym >= XK_a && sym <= XK_z)
                return static_cast<char16_t>(sym - XK_a + XK_A);
        }
    }
#else
    Q_UNUSED(nXKeycode);
#endif
    return 0;
}
