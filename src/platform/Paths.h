// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the program keeps its files. Every function reads the environment at each call,
// so a test that points the XDG variables elsewhere sees the new places at once.

// $XDG_DATA_HOME/nuvBrowser, else ~/.local/share/nuvBrowser (not created here).
QString NuvDataHome();

// The user's Favorites folder: NuvDataHome() + "/Favorites" (not created here).
QString FavoritesFolderPath();

// The folder a save dialog starts in: the user's Downloads folder when there is one, else home.
QString DownloadsFolder();

// The folder that holds what a page downloads until the user said where it goes:
// $XDG_CACHE_HOME/nuvBrowser/downloads, else ~/.cache/nuvBrowser/downloads. Created with mode
// 0700 when missing. The empty string when it cannot be made, or when what is there is not a
// directory of our own that nobody else may enter (a symbolic link, another owner).
QString DownloadCacheFolder();

// Creates the folder and any missing parents (new folders get mode 0700); true when the
// path is a directory afterwards.
bool MakeFolderPath(const QString& path);

// The per-user folder for the program's sockets: $XDG_RUNTIME_DIR/nuvBrowser, else
// nuvBrowser-<uid> in the temporary directory. Created with mode 0700 when missing. The
// empty string when it cannot be made, or when what is there is not a directory of our
// own that nobody else may enter (a symbolic link, another owner, wider permissions).
QString RuntimeFolder();
