// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The platform browser's Main key: its start page ("Start Page", "Windows CE Page"), search page
// and the image and sound switches. The pages fall back to these defaults where the key has no
// value.
class CBrowserMainKey
{
public:
    static constexpr const char* kPath = "Software\\Microsoft\\Internet Explorer\\Main";

    // The start page shipped with the program.
    static QString DefaultStartPage();
    static QString DefaultSearchPage();
    // The text value of the key, or the fallback where it has none (or an empty one).
    static QString Value(const char* name, const QString& fallback);
    // The address is the start page: the key's "Start Page", or the one shipped with the
    // program.
    static bool IsStartPage(const QString& address);
};
