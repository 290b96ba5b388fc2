// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccelTable.h"

#include <QString>

class QMenuBar;
class QToolBar;

// The program's resources: the menu, tool bar, accelerator and string tables, keyed by the ids
// of Resource.h.

enum class MenuItemKind
{
    Popup,
    Item,
    Separator,
    End
};

// One line of a menu resource: a popup opens a sub-menu that runs to its End line.
struct MENUITEMDEF
{
    MenuItemKind kind;
    const char* pszText;
    int nID;
    bool bChecked; // the item shows a check mark from the start
};

// One button of a tool bar resource; id 0 is a separator.
struct TOOLBARBUTTONDEF
{
    int nID;
    const char* pszImage; // Qt resource path of the 16 x 16 image
    const char* pszTip;
};

struct STRINGDEF
{
    int nID;
    const char16_t* pszText;
};

// The table with this id, or null (count 0) when there is none.
const MENUITEMDEF* FindMenuResource(int nID, int* pCount);
const TOOLBARBUTTONDEF* FindToolBarResource(int nID, int* pCount);
const ACCEL* FindAcceleratorResource(int nID, int* pCount);

// The string with this id; empty when there is none.
QString LoadString(int nID);

// Fills a menu bar with the menu resource: one QAction per item, carrying the item's command
// id. False when there is no such menu.
bool LoadMenu(QMenuBar* pMenuBar, int nID);
// Fills a tool bar with the tool bar resource. False when there is no such tool bar.
bool LoadToolBar(QToolBar* pToolBar, int nID);
