// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The document: only the path of the user's Favorites folder, looked up once.
class CNuvBrowserDoc
{
public:
    CNuvBrowserDoc();

    QString m_strFavoritesPath;
};
