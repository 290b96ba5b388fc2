#include "NuvBrowserDoc.h"

#include "favorites/ShortcutFile.h"

CNuvBrowserDoc::CNuvBrowserDoc() : m_strFavoritesPath(GetFavoritesFolder()) {}
