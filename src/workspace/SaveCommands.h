// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CCmdTarget;
class CNuvBrowserForm;
class CPaneWnd;

// Saving from the workspace: Save As of the File menu (the shown document) and the page
// menu's Save Image As and Save Link Target As (a download of the address). All of them go
// through one save dialog, which opens in the folder of the last file saved (at first the
// Downloads folder, else home). Failures are reported in a message box; a save the user
// stopped (Esc) ends without one.
class CSaveCommands : public QObject
{
    Q_OBJECT
public:
    // The file-name part of an address (after its last "/" or "\") and that name's
    // extension (after its last "."; bHasExtension false when the name has none). A web
    // address's query and fragment are not part of its file name, and its name is shown
    // decoded ("%20" a blank; a "/" or "\" it encodes becomes "_").
    struct FileName
    {
        QString name;
        QString extension;
        bool bHasExtension = false;
    };

    // What the save dialog offers for a type text (a document's type or an extension).
    struct FilterChoice
    {
        int nFilterID = 0;     // the string of the dialog's filters
        QString defaultSuffix; // empty: none
        QStringList suffixes;  // the extensions files of the type go by, the default first
        bool bDownload = false;
    };

    explicit CSaveCommands(CNuvBrowserForm* pForm);

    // Binds Save As (32805), Save Image As (32904) and Save Link Target As (32905).
    void MapCommands(CCmdTarget& target);

    static FileName SplitFileName(const QString& address);
    // The name Save As proposes for a document: the address's file name, with the type's
    // extension added when the name does not already end in one the type goes by ("index.htm"
    // for a folder's page of that type).
    static QString ProposedName(const QString& address, const QString& type);
    // By the beginning of the type text, without regard to case: HTM, GIF, JPG, JPEG, other.
    static FilterChoice ChooseFilter(const QString& type, bool bDownload);

    // Asks where to save and saves: a download of the address, or the active pane's document.
    // The dialog is not waited for; the save runs once a file was chosen.
    void SaveWithDialog(const QString& address, const QString& type, const QString& name,
                        bool bDownload);

    // The folder (with its trailing "/") of the last file chosen; empty before the first.
    const QString& LastSaveFolder() const { return m_strLastSaveFolder; }

    void OnSaveImageAs();
    void OnSaveLinkTargetAs();
    void OnFileSaveAs();

private:
    // Saves a link's or an image's target of the page of pFrom, when that page may lead there.
    void SaveAddress(const CPaneWnd* pFrom, const QString& address);
    void Save(const QString& address, const QString& path, bool bDownload);
    void ShowMessage(int nID);

    CNuvBrowserForm* m_pForm;
    QString m_strLastSaveFolder;
};
