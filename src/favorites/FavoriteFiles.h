// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The organiser's work on the Favorites folder: new folders, renames, moves and deletes of
// the folders and .url files themselves. Every path must lie inside the folder given as the
// root (checked; the root itself is never changed), and no entry is replaced unless the
// caller says so after asking.
class CFavoriteFiles
{
public:
    enum class Result
    {
        Ok,
        BadName,     // empty, ".", "..", a "/" or a zero byte in it, or too long
        Exists,      // a shortcut of that name is there: ask, then try again with bReplace
        Taken,       // a folder has the name, or a folder would replace a shortcut: never
        IntoItself,  // a folder cannot go into itself or one of its folders
        OutsideRoot, // not an entry of the Favorites folder
        Missing,     // the entry is gone
        NoTrash,     // the desktop has no trash here: delete for good only when asked
        Failed,      // the file system refused
    };

    explicit CFavoriteFiles(const QString& root);

    // Whether a name the user typed can name an entry of a folder.
    static bool IsValidName(const QString& name);
    // The text of a result for a message box ("" for Ok).
    static QString Describe(Result result, const QString& name);

    // The name the organiser shows: a shortcut's file name without ".url".
    static QString ShownName(const QString& path);

    // A new folder `name` in `folder`; its path goes to *pPath.
    Result NewFolder(const QString& folder, const QString& name, QString* pPath = nullptr);
    // Renames an entry; a shortcut keeps its ".url" (name is what ShownName shows). Replacing
    // an existing shortcut needs bReplace; an existing folder is never replaced.
    Result Rename(const QString& path, const QString& name, bool bReplace = false,
                  QString* pNewPath = nullptr);
    // Moves an entry into folder, under its own name (the same rules as Rename).
    Result Move(const QString& path, const QString& folder, bool bReplace = false,
                QString* pNewPath = nullptr);
    // To the desktop's trash; NoTrash when there is none, Delete with bForGood removes it.
    Result Delete(const QString& path, bool bForGood = false);

private:
    bool IsInside(const QString& path, bool bRootToo) const;
    Result PlaceAt(const QString& path, const QString& target, bool bReplace, QString* pNewPath);

    QString m_root; // absolute and clean
};
