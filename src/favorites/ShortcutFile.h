// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Internet Shortcut (".url") files, as written here:
//   "[InternetShortcut]" CR LF "URL=" and the address in UTF-8, nothing after it.
// Only the first kShortcutReadLimit bytes of a file are read; an address is written only
// when its UTF-8 form is 1 to kMaxShortcutAddress bytes long, so that a file written here
// is read back whole (a longer address would come back cut: the favorite would lead
// elsewhere).
constexpr qsizetype kShortcutReadLimit = 511;
constexpr qsizetype kShortcutHeaderSize = 24; // "[InternetShortcut]" CR LF "URL="
constexpr qsizetype kMaxShortcutAddress = kShortcutReadLimit - kShortcutHeaderSize;

// The Favorites folder ($XDG_DATA_HOME/nuvBrowser/Favorites), created when missing;
// the empty string when it cannot be had.
QString GetFavoritesFolder();

// The address stored in the shortcut file folder + "/" + file (file empty: folder is the
// whole path), as 8-bit (UTF-8) text; empty when the file cannot be read.
QByteArray ReadShortcutAddress(const QString& folder, const QString& file = QString());

// The same for a path given in the file system's own bytes.
QByteArray ReadShortcutAddressAt(const QByteArray& nativePath);

// The address held by the first bytes of a shortcut file, as UTF-8: the value of the first
// URL= line of the [InternetShortcut.W] section decoded from UTF-7, else of the
// [InternetShortcut] section (sections and keys in any case), else the value of the first
// key of any kind; empty when the bytes hold no "=". A value ends at CR, LF, a zero byte or
// the end of the bytes. Bytes that are not UTF-8 are read as Windows-1252 (Windows writes
// the ANSI code page).
QByteArray ShortcutAddressFromBytes(const QByteArray& head);

// Writes a shortcut file holding the address; false (and the disk untouched) on failure.
// The file is replaced whole or not at all.
bool WriteShortcutFile(const QString& path, const QString& address);
