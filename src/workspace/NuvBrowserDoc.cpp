// SPDX-License-Identifier: GPL-3.0-or-later
#include "NuvBrowserDoc.h"

#include "favorites/ShortcutFile.h"

CNuvBrowserDoc::CNuvBrowserDoc() : m_strFavoritesPath(GetFavoritesFolder()) {}
