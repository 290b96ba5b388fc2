// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BookmarkFile.h"

#include <QByteArray>
#include <QString>

// Favorites to and from the bookmark files of other browsers: folders are folders of the
// Favorites folder, links its shortcut (.url) files.
class CFavoritesExchange
{
public:
    struct Result
    {
        bool bOk = false;
        int nAdded = 0;   // shortcut files written
        int nSkipped = 0; // already there with that name and address
        int nRefused = 0; // addresses that are not for a favorite (javascript:, too long, ...)
        QString strError; // why nothing was written
    };

    // Writes the entries into the folder: folders become folders (an existing one of that name
    // is added to), links shortcut files named as Add to Favorites names a page of that
    // title; a name already taken by another address gets " (2)", " (3)" ... Everything is
    // planned first; a write that fails removes what this import wrote, so a failure leaves
    // the folder as it was.
    static Result Import(const std::vector<BookmarkNode>& roots, const QString& folder);

    // Reads the file at path and imports it; a file that cannot be read or parsed writes
    // nothing.
    static Result ImportFile(const QString& path, const QString& folder);

    // The folder's folders and shortcut files as entries, ADD_DATE from the files' times.
    // False when the folder cannot be listed.
    static bool Read(const QString& folder, std::vector<BookmarkNode>* pRoots);

    // Writes the folder as a bookmark file at path (replaced whole or not at all); false and
    // *pError when that fails.
    static bool ExportFile(const QString& folder, const QString& path, QString* pError);

    // The summary an import shows.
    static QString Summary(const Result& result);

    // For "--import-favorites FILE" and "--export-favorites FILE": does it on the user's
    // Favorites folder, prints the import's summary on the standard output and a failure on
    // the standard error; 0 on success, 1 on failure.
    static int RunCommand(bool bImport, const QString& path);
};
