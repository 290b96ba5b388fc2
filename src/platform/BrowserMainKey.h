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
};
