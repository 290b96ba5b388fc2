// SPDX-License-Identifier: GPL-3.0-or-later
#include "Resources.h"

#include "Resource.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <iterator>

namespace {
constexpr MenuItemKind P = MenuItemKind::Popup;
constexpr MenuItemKind I = MenuItemKind::Item;
constexpr MenuItemKind S = MenuItemKind::Separator;
constexpr MenuItemKind E = MenuItemKind::End;

const MENUITEMDEF kMainMenu[] = {
    {P, "&File", 0, false},
    {I, "&New", ID_FILE_NEW, false},
    {I, "&Open...\tCtrl+O", ID_FILE_OPEN, false},
    {I, "Save &As...", ID_FILE_SAVE_AS, false},
    {S, nullptr, 0, false},
    {I, "&Print\tCtrl+P", ID_FILE_PRINT, false},
    {S, nullptr, 0, false},
    {P, "Favori&tes", 0, false},
    {I, "&Add to Favorites", ID_FAVORITES_ADD, false},
    {I, "&Organize Favorites", ID_FAVORITES_ORGANIZE, false},
    {I, "&Refresh Favorites", ID_FAVORITES_REFRESH, false},
    {I, "&Import Favorites...", ID_FAVORITES_IMPORT, false},
    {I, "&Export Favorites...", ID_FAVORITES_EXPORT, false},
    {E, nullptr, 0, false},
    {I, "S&end Shortcut to Desktop", ID_FILE_SEND_SHORTCUT, false},
    {S, nullptr, 0, false},
    {I, "P&roperties...", ID_FILE_PROPERTIES, false},
    {I, "&Work Offline", ID_FILE_WORK_OFFLINE, false},
    {I, "E&xit", ID_APP_EXIT, false},
    {I, "&Close", ID_FILE_CLOSE, false},
    {I, "Reopen Closed &Window", ID_FILE_REOPEN_CLOSED, false},
    {E, nullptr, 0, false},

    {P, "&Edit", 0, false},
    {I, "Cu&t\tCtrl+X", ID_EDIT_CUT, false},
    {I, "&Copy\tCtrl+C", ID_EDIT_COPY, false},
    {I, "&Paste\tCtrl+V", ID_EDIT_PASTE, false},
    {S, nullptr, 0, false},
    {I, "Select &All", ID_EDIT_SELECT_ALL, false},
    {S, nullptr, 0, false},
    {I, "&Find...\tCtrl+F", ID_EDIT_FIND, false},
    {E, nullptr, 0, false},

    {P, "&View", 0, false},
    {I, "&Focus to New Window", ID_VIEW_NEW_ACTIVE, false},
    {P, "&Show/Hide", 0, false},
    {I, "&Favorites", ID_VIEW_FAVORITES, false},
    {I, "&Address Bar\tCtrl+M", ID_VIEW_ADDRESS_BAR, false},
    {I, "&Status Bar", ID_VIEW_STATUS_BAR, false},
    {E, nullptr, 0, false},
    {S, nullptr, 0, false},
    {I, "Sto&p\tEsc", ID_VIEW_STOP, false},
    {I, "&Refresh\tShift+Esc", ID_VIEW_REFRESH, false},
    {S, nullptr, 0, false},
    {P, "&Text Size", 0, false},
    {I, "Lar&gest", ID_VIEW_TEXT_LARGEST, false},
    {I, "&Large", ID_VIEW_TEXT_LARGE, false},
    {I, "&Medium", ID_VIEW_TEXT_MEDIUM, false},
    {I, "&Smaller", ID_VIEW_TEXT_SMALLER, false},
    {I, "&Sm&allest", ID_VIEW_TEXT_SMALLEST, false},
    {E, nullptr, 0, false},
    {P, "&Encoding", 0, false},
    {I, "Japanese(EUC)", ID_VIEW_ENCODING_EUC, true},
    {I, "Japanese(JIS-Allow 1 Byte Kana,ESC)", ID_VIEW_ENCODING_JIS_ESC, true},
    {I, "Japanese(JIS-Allow 1 Byte Kana,SIO)", ID_VIEW_ENCODING_JIS_SIO, true},
    {E, nullptr, 0, false},
    {S, nullptr, 0, false},
    {I, "Sour&ce", ID_VIEW_SOURCE, false},
    {I, "&Downloads...", ID_VIEW_DOWNLOADS, false},
    {P, "&Options", 0, false},
    {I, "&Internet Options...", ID_VIEW_INTERNET_OPTIONS, false},
    {I, "&nuvBrowser Options...", ID_VIEW_OPTIONS, false},
    {E, nullptr, 0, false},
    {I, "&About...", ID_APP_ABOUT, false},
    {E, nullptr, 0, false},

    {P, "&Go", 0, false},
    {I, "&Back", ID_GO_BACK, false},
    {I, "&Forward", ID_GO_FORWARD, false},
    {S, nullptr, 0, false},
    {I, "H&ome page", ID_GO_HOME, false},
    {I, "S&earch the Web", ID_GO_SEARCH, false},
    {I, "Handheld PC &Web", ID_GO_HPC_WEB, false},
    {S, nullptr, 0, false},
    {I, "&History...", ID_GO_HISTORY, false},
    {I, "Clear &History...", ID_HISTORY_CLEAR, false},
    {E, nullptr, 0, false},
};

const TOOLBARBUTTONDEF kMainToolBar[] = {
    {ID_GO_BACK, ":/res/toolbar/back.png", "Back"},
    {ID_GO_FORWARD, ":/res/toolbar/forward.png", "Forward"},
    {0, nullptr, nullptr},
    {ID_VIEW_STOP, ":/res/toolbar/stop.png", "Stop"},
    {ID_VIEW_REFRESH, ":/res/toolbar/refresh.png", "Refresh"},
    {0, nullptr, nullptr},
    {ID_GO_HOME, ":/res/toolbar/home.png", "Home"},
    {ID_GO_SEARCH, ":/res/toolbar/search.png", "Search"},
    {0, nullptr, nullptr},
    {ID_TOOLBAR_EXTRA, ":/res/toolbar/extra.png", nullptr},
};

constexpr quint8 kVirt = FVIRTKEY | FNOINVERT;
constexpr quint8 kCtrl = kVirt | FCONTROL;

const ACCEL kMainAccelerators[] = {
    {kCtrl, '0', 32825},
    {kCtrl, '1', 32826},
    {kCtrl, '2', 32817},
    {kCtrl, '3', 32818},
    {kCtrl, '4', 32819},
    {kCtrl, '5', 32820},
    {kCtrl, '6', 32821},
    {kCtrl, '7', 32822},
    {kCtrl, '8', 32823},
    {kCtrl, '9', 32824},
    {kVirt | FALT, 'D', 32834},
    {kVirt, 0x1B, ID_VIEW_STOP},
    {kVirt | FSHIFT, 0x1B, ID_VIEW_REFRESH},
    {kVirt, 0x75, ID_NEXT_PANE},
    {kVirt | FSHIFT, 0x75, ID_PREV_PANE},
    {kVirt, 0x0D, ID_ADDRESS_ENTER},
};

// Consulted after the two tables above: a key either of them takes never gets here.
const ACCEL kDesktopKeys[] = {
    {kVirt | FALT, 0x25, ID_GO_BACK},    // Alt+Left
    {kVirt | FALT, 0x27, ID_GO_FORWARD}, // Alt+Right
    {kVirt, 0x74, ID_VIEW_REFRESH},      // F5
    {kCtrl, 'R', ID_VIEW_REFRESH},
    {kCtrl, 'L', ID_FOCUS_ADDRESS_BAR},
    {kCtrl, 'W', ID_FILE_CLOSE},
    {kCtrl, 0x09, ID_PANE_CYCLE_NEXT},                // Ctrl+Tab
    {kCtrl | FSHIFT, 0x09, ID_PANE_CYCLE_PREVIOUS},   // Ctrl+Shift+Tab
    {kCtrl, 0xBB, ID_VIEW_TEXT_STEP_LARGER},          // Ctrl with the "=" / "+" key
    {kCtrl | FSHIFT, 0xBB, ID_VIEW_TEXT_STEP_LARGER}, // the "+" it gives with Shift
    {kCtrl, 0x6B, ID_VIEW_TEXT_STEP_LARGER},          // keypad "+"
    {kCtrl, 0xBD, ID_VIEW_TEXT_STEP_SMALLER},         // Ctrl+minus
    {kCtrl, 0x6D, ID_VIEW_TEXT_STEP_SMALLER},         // keypad "-"
    // The Downloads window's key, here so that key tables stored before it existed have it
    // too; a binding of the user's to Ctrl+Shift+Y comes first.
    {kCtrl | FSHIFT, 'Y', ID_VIEW_DOWNLOADS},
    // Reopen Closed Window's default key, for the same reason.
    {kCtrl | FSHIFT, 'Z', ID_FILE_REOPEN_CLOSED},
};

// Select all, undo, redo (two keys), copy, paste, cut: no command, the field does them itself.
const ACCEL kFieldKeys[] = {
    {kCtrl, 'A', 0}, {kCtrl, 'Z', 0}, {kCtrl, 'Y', 0}, {kCtrl | FSHIFT, 'Z', 0},
    {kCtrl, 'C', 0}, {kCtrl, 'V', 0}, {kCtrl, 'X', 0},
};

const STRINGDEF kStrings[] = {
    // The items of the context menus.
    {ID_CONTEXT_OPEN_LINK, u"Open Li&nk in New Window"},
    {ID_CONTEXT_OPEN_IMAGE, u"Open Image in New Window(&H)"},
    {ID_CONTEXT_OPEN_FRAME, u"Open &Frame in New Window"},
    {ID_CONTEXT_SAVE_IMAGE_AS, u"Save &Image As..."},
    {ID_CONTEXT_SAVE_TARGET_AS, u"&Save Link Target As..."},
    {ID_CONTEXT_SPELL_REPLACE, u"Replace the Misspelled Word"},
    {ID_CONTEXT_SPELL_ADD_WORD, u"Add to Dictionar&y"},
    {ID_GO_BACK, u"&Back"},
    {ID_GO_FORWARD, u"&Forward"},
    {ID_EDIT_CUT, u"Cu&t"},
    {ID_EDIT_COPY, u"&Copy"},
    {ID_CONTEXT_COPY_SHORTCUT, u"Copy Shortcu&t"},
    {ID_EDIT_PASTE, u"&Paste"},
    {ID_EDIT_SELECT_ALL, u"Select &All"},
    {ID_FILE_PRINT, u"&Print"},
    {ID_VIEW_REFRESH, u"&Refresh"},
    {IDS_SOCKET_INIT_FAILED, u"Windows socket initialization failed."},
    {IDR_MAINFRAME, u"nuvBrowser\n\nNuvBrowser\n\n\nNuvBrowser.Document\nNuvBrowser Document"},
    {ID_TOOLBAR_EXTRA, u"?\?(&F)"},
    {AFX_IDS_IDLEMESSAGE, u"Ready"},
    {ID_INDICATOR_CAPS, u"CAP"},
    {IDS_ADD_FAVORITES_ENTRY, u"To add Favorites"},
    {IDS_SHORTCUT_FILTER, u"Internet Shortcut (*.url)|*.url||"},
    {IDS_FAVORITE_BLANK, u"Blank window cannot be added in Favorites. "},
    {IDS_FAVORITES_TAB, u"1 : Favorites"},
    {IDS_SAVE_BLANK, u"Blank window cannot be saved."},
    {IDS_FILTER_HTML, u"HTML Files(*.htm, *.html)|*.htm; *.html|All Files(*.*)|*.*||"},
    {IDS_FILTER_JPG, u"JPG Files(*.jpg)|*.jpg|All Files(*.*)|*.*||"},
    {IDS_FILTER_GIF, u"GIF Files(*.gif)|*.gif|All Files(*.*)|*.*||"},
    {IDS_FILTER_ALL, u"All Files(*.*)|*.*||"},
    {IDS_SAVE_TARGET_BLANK, u"Blank window cannot be saved."},
    {IDS_OPTIONS_CAPTION, u"nuvBrowser Options"},
    {IDS_BYTES, u"Bytes"},
    {IDS_EXIT_CONFIRM, u"Are you exit?"},
};

// Builds the items from pos up to the End line of the popup they belong to; returns the
// position after that line.
int BuildMenu(QWidget* pMenu, const MENUITEMDEF* pItems, int nCount, int pos)
{
    while (pos < nCount) {
        const MENUITEMDEF& item = pItems[pos++];
        switch (item.kind) {
        case MenuItemKind::End:
            return pos;
        case MenuItemKind::Separator: {
            auto* separator = new QAction(pMenu);
            separator->setSeparator(true);
            pMenu->addAction(separator);
            break;
        }
        case MenuItemKind::Popup: {
            auto* sub = new QMenu(QString::fromUtf8(item.pszText), pMenu);
            pMenu->addAction(sub->menuAction());
            pos = BuildMenu(sub, pItems, nCount, pos);
            break;
        }
        case MenuItemKind::Item: {
            auto* action = new QAction(QString::fromUtf8(item.pszText), pMenu);
            action->setData(item.nID);
            if (item.bChecked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            pMenu->addAction(action);
            break;
        }
        }
    }
    return pos;
}
} // namespace

const MENUITEMDEF* FindMenuResource(int nID, int* pCount)
{
    const bool bFound = nID == IDR_MAINFRAME;
    if (pCount != nullptr)
        *pCount = bFound ? static_cast<int>(std::size(kMainMenu)) : 0;
    return bFound ? kMainMenu : nullptr;
}

const TOOLBARBUTTONDEF* FindToolBarResource(int nID, int* pCount)
{
    const bool bFound = nID == IDR_MAINFRAME;
    if (pCount != nullptr)
        *pCount = bFound ? static_cast<int>(std::size(kMainToolBar)) : 0;
    return bFound ? kMainToolBar : nullptr;
}

const ACCEL* FindAcceleratorResource(int nID, int* pCount)
{
    const struct
    {
        int nID;
        const ACCEL* pTable;
        int nCount;
    } tables[] = {
        {IDR_MAINFRAME, kMainAccelerators, static_cast<int>(std::size(kMainAccelerators))},
        {IDR_DESKTOP_KEYS, kDesktopKeys, static_cast<int>(std::size(kDesktopKeys))},
        {IDR_FIELD_KEYS, kFieldKeys, static_cast<int>(std::size(kFieldKeys))},
    };
    for (const auto& t : tables) {
        if (t.nID != nID)
            continue;
        if (pCount != nullptr)
            *pCount = t.nCount;
        return t.pTable;
    }
    if (pCount != nullptr)
        *pCount = 0;
    return nullptr;
}

QString LoadString(int nID)
{
    for (const STRINGDEF& s : kStrings)
        if (s.nID == nID)
            return QString::fromUtf16(s.pszText);
    return QString();
}

bool LoadMenu(QMenuBar* pMenuBar, int nID)
{
    int nCount = 0;
    const MENUITEMDEF* items = FindMenuResource(nID, &nCount);
    if (pMenuBar == nullptr || items == nullptr)
        return false;
    BuildMenu(pMenuBar, items, nCount, 0);
    return true;
}

bool LoadToolBar(QToolBar* pToolBar, int nID)
{
    int nCount = 0;
    const TOOLBARBUTTONDEF* buttons = FindToolBarResource(nID, &nCount);
    if (pToolBar == nullptr || buttons == nullptr)
        return false;
    for (int i = 0; i < nCount; ++i) {
        const TOOLBARBUTTONDEF& b = buttons[i];
        if (b.nID == 0) {
            pToolBar->addSeparator();
            continue;
        }
        QIcon icon(QString::fromLatin1(b.pszImage));
        if (icon.isNull())
            return false;
        auto* action = new QAction(icon, QString(), pToolBar);
        action->setData(b.nID);
        if (b.pszTip != nullptr)
            action->setToolTip(QString::fromUtf8(b.pszTip));
        pToolBar->addAction(action);
        // A screen reader says the tip; the button without one has no command at all.
        if (QWidget* button = pToolBar->widgetForAction(action))
            button->setAccessibleName(b.pszTip != nullptr ? QString::fromUtf8(b.pszTip)
                                                          : QStringLiteral("Unused"));
    }
    return true;
}
