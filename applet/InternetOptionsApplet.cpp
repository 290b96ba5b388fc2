// SPDX-License-Identifier: GPL-3.0-or-later
// The Internet Options control-panel applet: one applet, shown as a modal dialog over the
// window that asks for it.
#include "InternetOptionsDialog.h"

#include "platform/ControlPanelApplet.h"

#include <QApplication>
#include <QPointer>

#include <algorithm>
#include <string_view>

namespace {
template <std::size_t N> void CopyText(char16_t (&target)[N], std::u16string_view text)
{
    const std::size_t count = std::min(text.size(), N - 1);
    std::copy_n(text.data(), count, target);
    std::fill(target + count, target + N, u'\0');
}

bool ShowInternetOptions(HWND hwnd)
{
    // Widgets need the program's QApplication; a host without one gets a refusal.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return false;
    // On the heap under the window: should that window be destroyed while the dialog
    // shows, it takes the dialog along and the pointer turns null.
    QPointer<CInternetOptionsDialog> dialog = new CInternetOptionsDialog(hwnd);
    dialog->exec();
    delete dialog.data();
    return true;
}
} // namespace

CPL_EXPORT LONG CPlApplet(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2)
{
    switch (uMsg) {
    case CPL_INIT:
        return 1;
    case CPL_GETCOUNT:
        return 1;
    case CPL_INQUIRE: {
        auto* info = reinterpret_cast<CPLINFO*>(lParam2);
        if (lParam1 != 0 || info == nullptr)
            return 1;
        *info = CPLINFO{CPL_DYNAMIC_RES, CPL_DYNAMIC_RES, CPL_DYNAMIC_RES, 0};
        return 0;
    }
    case CPL_NEWINQUIRE: {
        auto* info = reinterpret_cast<NEWCPLINFO*>(lParam2);
        if (lParam1 != 0 || info == nullptr)
            return 1;
        info->dwSize = sizeof(NEWCPLINFO);
        info->dwFlags = 0;
        info->dwHelpContext = 0;
        info->lData = 0;
        info->hIcon = nullptr;
        CopyText(info->szName, u"Internet Options");
        CopyText(info->szInfo, u"Start and search pages, typed addresses and text size");
        CopyText(info->szHelpFile, u"");
        return 0;
    }
    case CPL_DBLCLK:
        return lParam1 == 0 && ShowInternetOptions(hwndCPl) ? 0 : 1;
    case CPL_SELECT:
    case CPL_STOP:
    case CPL_EXIT:
    default:
        return 0;
    }
}
