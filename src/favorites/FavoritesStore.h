// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

class QPixmap;
class QTreeWidget;
class QTreeWidgetItem;

// The three kinds of favorites tree item.
enum FAVKIND
{
    FAV_FOLDER,
    FAV_SHORTCUT,
    FAV_ADD_ENTRY, // the one top-level "To add Favorites" item
};

// The record every favorites tree item carries. The item owns it; it goes with the item.
struct FAVITEMDATA
{
    FAVKIND nKind = FAV_FOLDER;
    QString pszName;       // the folder's name, or the shortcut's file name without ".url"
    QByteArray pszURL;     // a shortcut's address as its file holds it (UTF-8)
    QByteArray nativePath; // the folder or file as the file system spells its path

    bool IsFolder() const { return nKind == FAV_FOLDER; }
    bool IsShortcut() const { return nKind == FAV_SHORTCUT; }
    bool IsAddEntry() const { return nKind == FAV_ADD_ENTRY; }
};

// Images of the tree by index: the first when the item is not selected, the second when it is.
enum : int
{
    FAV_IMAGE_FOLDER = 0,
    FAV_IMAGE_FOLDER_SELECTED = 1,
    FAV_IMAGE_SHORTCUT = 2,
    FAV_IMAGE_SHORTCUT_SELECTED = 3,
    FAV_IMAGE_ADD_ENTRY = 4,
    FAV_IMAGE_ADD_ENTRY_SELECTED = 5,
};

// Item data roles holding an item's two image indices.
constexpr int kFavImageRole = 0x0100 + 1;         // Qt::UserRole + 1
constexpr int kFavSelectedImageRole = 0x0100 + 2; // Qt::UserRole + 2

// Gives the tree its images; every favorites item, present and later, shows its pair.
void SetFavoritesImageList(QTreeWidget* tree, const QList<QPixmap>& images);

// Inserts an item carrying the record as the last child of parent (null: the top level).
QTreeWidgetItem* InsertFavoriteItem(QTreeWidget* tree, QTreeWidgetItem* parent, FAVITEMDATA record,
                                    const QString& text, int image, int selectedImage);

// The record of an item; null for an item that carries none.
const FAVITEMDATA* FavoriteRecord(const QTreeWidgetItem* item);

// What a walk of a folder found: a folder's or a shortcut's record and, for a folder, what it
// holds, each level in the order the tree shows it. Plain data, read on any thread.
struct FavoriteEntry
{
    FAVITEMDATA record;
    std::vector<FavoriteEntry> children;
};

// The walk of FillFavoritesTree without the tree: needs no widget, so it may run on a worker
// thread. False when the directory cannot be listed; an empty folder path lists nothing.
bool ReadFavoritesFolder(const QString& folder, const QString& subfolder, int sort,
                         std::vector<FavoriteEntry>* pEntries);

// What FillFavoritesTree does with the entries of a walk: their items go under parent (null:
// the top level) after what it holds, and with sort not 0 the whole level is sorted.
void AddFavoriteEntries(QTreeWidget* tree, QTreeWidgetItem* parent,
                        std::vector<FavoriteEntry> entries, int sort);

// Walks folder (+ "/" + subfolder when given) into the tree under parent (null: the top
// level), depth first: sub-directories (but none whose name begins with ".") become folder
// items, files named *.url (any case) shortcut items. A directory reached a second time
// (through symbolic links) shows as a folder item but is not walked again. With sort not 0
// every level's children are sorted by CompareFavorites when its walk ends (the items the
// parent held before included); with sort 0 the walked items of every level are in name
// order without regard to case, folders and shortcuts mixed, after what the parent held.
// False when the directory cannot be listed; an empty folder path lists nothing.
bool FillFavoritesTree(const QString& folder, const QString& subfolder, QTreeWidget* tree,
                       QTreeWidgetItem* parent, int sort);

// The order of two records: the add entry first, then the folders (names compared
// case-sensitively), then the shortcuts (names compared in lower case). A missing record
// compares equal to anything.
int CompareFavorites(const FAVITEMDATA* pRecord1, const FAVITEMDATA* pRecord2);
