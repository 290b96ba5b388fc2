// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FavoritesOrganizer.h"
#include "FavoritesStore.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class CCmdTarget;
class IFavoritesHost;
class QThreadPool;
class QTreeWidget;
class QTreeWidgetItem;

// The favorites tree's behaviour over the workspace form's tree widget: its filling, opening
// favorites by tap, double tap and Enter, the status text of the selected item, and the
// commands Add to Favorites, Refresh Favorites and Organize Favorites.
//
// It watches the tree and its viewport itself (Enter, taps, double taps) and follows the
// tree's current item. A tap or double tap is acted on after the tree has handled it. Only
// a tap on an item itself (its picture, label and the row right of them) moves the selection;
// a tap in the indentation leaves it where it was (and, with single taps on, opens the item
// already selected); a tap on an expand button only expands or collapses.
class CFavoritesTree : public QObject
{
    Q_OBJECT
public:
    // Belongs to the tree and goes with it; the host must outlive it.
    CFavoritesTree(QTreeWidget* pTree, IFavoritesHost* pHost);
    ~CFavoritesTree() override;

    QTreeWidget* Tree() const { return m_pTree; }

    // Inserts "To add Favorites" as the last top-level item.
    void InsertAddEntry();
    // Empties the tree, inserts the add entry and walks the Favorites folder into it (sorted
    // as ViewSortFavorite says); every folder starts collapsed. The walk's result.
    bool RebuildFavorites();
    // Starts reading the Favorites folder on a worker thread (nothing without a path), so that
    // FillFavorites finds it read. The sort setting is read now.
    void StartReading();
    // The folder's content added to the tree as it is (after InsertAddEntry on a new tree):
    // what StartReading read, as soon as it is read (at once when it is), else a walk now.
    // False when the folder cannot be listed.
    bool FillFavorites();
    // The tree holds the folder's content, or will never (no fill was asked for, or the folder
    // could not be read): false only while a fill waits for the reading.
    bool IsFilled() const { return !m_bFillWhenRead; }
    // The one thread the folder is read on, at a low priority; it goes with the application,
    // which waits for a reading under way.
    static QThreadPool* ReadingPool();
    // Opens the current item: a shortcut's address in the active pane, or in a new pane when
    // Shift is held or ViewNewWindow is set; the add entry runs AddToFavorites; a folder opens
    // or closes unless bFromDoubleTap (the tree did that itself). True when an address was
    // handed to a pane or a favorite was added.
    bool OpenSelectedFavorite(bool bFromDoubleTap);
    // Saves the active pane's address as a shortcut file the user names; ".url" is added to a
    // name that does not end with it (after asking before replacing a file of that name).
    // True when written; a failed write is reported in a message box and leaves the disk as
    // it was.
    bool AddToFavorites();

    // The tree's notifications: a tap at a point of the viewport, a double tap, Enter, the
    // selection moved.
    void OnTap(const QPoint& ptViewport);
    void OnDoubleTap();
    void OnEnterKey();
    void OnSelChanged();

    // Commands 1016, 32839 and 32840.
    void OnFavoritesAdd();
    void OnFavoritesRefresh();
    // Shows the Favorites folder in the desktop's file manager; where that fails, in our own
    // organiser, which says why it opened.
    void OnFavoritesOrganize();
    // Our own organiser (one at a time), with a notice line; the tree is read again after
    // every change it makes. Null while none is open.
    void OpenOrganizer(const QString& notice = QString());
    CFavoritesOrganizer* Organizer() const { return m_pOrganizer; }
    // Import Favorites...: a bookmark file the user picks is added to the Favorites folder,
    // the tree rebuilt, and a message says what was added, skipped, or why nothing was.
    void OnFavoritesImport();
    // Export Favorites...: the Favorites folder written as a bookmark file the user names.
    void OnFavoritesExport();

    // The file name offered for a page with this title: the title with "/", "\", control
    // characters and a leading "~" made "_", shortened to fit a file name with ".url" after
    // it; empty for an empty title.
    static QString ProposedFileName(const QString& strTitle);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    bool ConfirmReplace(const QString& strPath);
    // The bookmark file the user picks (bSave: names), empty when cancelled or gone.
    QString AskBookmarkFile(bool bSave);
    void ShowMessage(const QString& strText);
    bool IsOnItem(const QTreeWidgetItem* pItem, const QPoint& ptViewport) const;
    bool IsOnExpandButton(const QTreeWidgetItem* pItem, const QPoint& ptViewport) const;
    bool HandleViewportEvent(QEvent* pEvent);
    void OnReadingDone();
    // Adds what the reading found to the tree; false when the folder could not be listed.
    bool AddReadEntries();
    void DropReading();

    QTreeWidget* m_pTree;
    QPointer<CFavoritesOrganizer> m_pOrganizer;
    // Kept apart: the viewport's last events come while the tree is half destroyed, when
    // asking the tree for it is no longer allowed.
    QObject* m_pViewport = nullptr;
    IFavoritesHost* m_pHost;
    bool m_bReleaseEndsDoubleTap = false; // the next release belongs to a double tap

    // What a worker reads of the folder (a null future: no reading under way or left).
    struct Reading
    {
        bool bListed = false;
        std::vector<FavoriteEntry> entries;
    };
    QFuture<Reading> m_reading;
    QFutureWatcher<Reading> m_readingWatcher;
    bool m_bReading = false; // m_reading holds a reading not added yet
    int m_nReadingSort = 0;
    bool m_bFillWhenRead = false; // FillFavorites came first: the reading's end fills
};

// Binds Add to Favorites (1016), Refresh Favorites (32839), Organize Favorites (32840), Import
// Favorites (32851) and Export Favorites (32852), always enabled, to the tree's handlers. The tree
// must outlive the target's table.
void MapFavoritesCommands(CCmdTarget& target, CFavoritesTree& tree);
