// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "favorites/FavoriteFiles.h"

#include <QDialog>
#include <QStringList>
#include <QTreeWidget>

class QLabel;
class QPushButton;

// The favorites tree of the organiser: folders take drops, and a drop moves the files
// themselves (the dialog does it) instead of the tree's items.
class COrganizerTree : public QTreeWidget
{
    Q_OBJECT
public:
    explicit COrganizerTree(QWidget* pParent);

    // The folder a drop at the point goes into: the folder under it, else the folder that
    // holds the entry under it; empty outside every item.
    QString DropFolderAt(const QPoint& pt) const;

signals:
    void MoveRequested(const QStringList& paths, const QString& folder);

protected:
    void dropEvent(QDropEvent* pEvent) override;
};

// A small organiser of our own, for desktops where no file manager shows the Favorites
// folder: the folders and .url files with New Folder, Rename (in place), Delete (to the
// trash), and moving by drag and drop or Cut and Paste. Every change is made on the files at
// once and announced with Changed(), so the browser's favorites tree can be read again.
class CFavoritesOrganizer : public QDialog
{
    Q_OBJECT
public:
    // notice: a line above the tree (empty: none), e.g. why the organiser opened.
    CFavoritesOrganizer(const QString& root, const QString& notice, QWidget* pParent);

    COrganizerTree* Tree() const { return m_pTree; }
    // The entry the tree shows for a path; null when none.
    QTreeWidgetItem* ItemOf(const QString& path) const;
    // Reads the folder again, keeping what was open and chosen.
    void Reload();

    // The buttons' and keys' commands, on the chosen entries.
    void OnNewFolder();
    void OnRename();
    void OnDelete();
    void OnCut();
    void OnPaste();
    // Moves entries into a folder: what a drop and Paste do.
    void MoveInto(const QStringList& paths, const QString& folder);

signals:
    void Changed();

private:
    void AddEntries(QTreeWidgetItem* pParent, const QString& folder);
    QStringList ChosenPaths() const;
    // The folder the chosen entry is or lies in; the root when none is chosen.
    QString ChosenFolder() const;
    void HandleEdited(QTreeWidgetItem* pItem);
    void Rename(const QString& path, const QString& name, bool bReplace);
    void Delete(const QStringList& paths, bool bForGood);
    // Asks a yes/no question without waiting; yes runs `onYes`.
    void Ask(const QString& text, std::function<void()> onYes);
    void Tell(const QString& text);
    void Choose(const QString& path);
    void UpdateButtons();

    CFavoriteFiles m_files;
    QString m_root;
    COrganizerTree* m_pTree;
    QLabel* m_pNotice;
    QPushButton* m_pRename;
    QPushButton* m_pDelete;
    QPushButton* m_pCut;
    QPushButton* m_pPaste;
    QStringList m_cut;
    bool m_bFilling = false;
};
