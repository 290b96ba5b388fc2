// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The start page shipped with the program, as a file of its own data folder:
// NuvDataHome() + "/start.html", written from the program's resources when it is missing or
// differs from them. Pages, the address field, favorites and saving all see a file:// address
// they can use; a resource address is no address to them.
class CStartPageFile
{
public:
    // The file's file:// address; the resource's qrc: address when the file cannot be written
    // (the page still shows, only without an address).
    static QString Address();
    static QString Path();
    // The address is this page's, as the file's or as the resource's (nothing is written).
    static bool IsAddress(const QString& address);
};
