// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// The address a typed or handed-over text stands for: the text itself when it names a
// scheme, else a file:// address for an existing file or folder, else http://. An invalid
// QUrl for empty text.
QUrl UrlFromAddress(const QString& address);

// Typed text that is words rather than an address: it holds a blank, or it has no ".", ":"
// or "/" and is not "localhost". Text that begins with a scheme and paths are never searched.
bool IsSearchText(const QString& text);

// The search page's address asking for the query: the URL-encoded query replaces "%s" where
// the address holds it, else it becomes the value of "q".
QUrl SearchUrl(const QString& searchPage, const QString& query);
