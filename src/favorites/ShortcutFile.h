#pragma once

#include <QByteArray>
#include <QString>

// The Favorites folder ($XDG_DATA_HOME/nuvBrowser/Favorites), created when missing;
// the empty string when it cannot be had.
QString GetFavoritesFolder();

// The address stored in the shortcut file folder + "/" + file (file empty: folder is the
// whole path), as 8-bit (UTF-8) text; empty when the file cannot be read.
QByteArray ReadShortcutAddress(const QString& folder, const QString& file = QString());

// Writes a shortcut file holding the address; false (and the disk untouched) on failure.
bool WriteShortcutFile(const QString& path, const QString& address);
