// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class CKeyAccelTable;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The page "Key Setting": the user's key bindings, one line per entry of the table in table
// order (the key combination, then the command's name), and the controls to bind a key
// (one letter or digit, Ctrl, Alt, Shift) to one of the named commands, or to delete a
// binding. The page edits the table in place; storing, rebuilding the accelerators and
// discarding the edits are the caller's, on OK and Cancel.
class CNuvOptionKeyPage : public QWidget
{
    Q_OBJECT
public:
    enum : int
    {
        IDD = 142,
        IDC_KEY_LIST = 1035,
        IDC_CTRL = 1036,
        IDC_ALT = 1037,
        IDC_SHIFT = 1038,
        IDC_KEY = 1039,
        IDC_FUNCTION = 1040,
        IDC_SET = 1042,
        IDC_DELETE = 1043,
    };

    // Without a table the page shows nothing and its buttons do nothing.
    explicit CNuvOptionKeyPage(CKeyAccelTable* pKeyTable, QWidget* pParent = nullptr);

    // Fills the binding list from the table and the function list from the command names;
    // neither has a selection afterwards, the key field and the boxes keep what they show.
    void RefillKeyPage();
    // The binding the controls describe: false when no function is chosen. The key is the
    // key field's character, 0 when it is empty.
    bool ReadKeyControls(int* pnFlags, int* pnKey, int* pnCommand) const;

    // The text of a line of the binding list: the keys, a tab, the command's name.
    QString GetLineText(int nLine) const;
    int GetLineCount() const;

    CKeyAccelTable* m_pKeyTable = nullptr;

protected:
    bool event(QEvent* pEvent) override;

private:
    // The binding list's height: its header and a whole number of lines.
    void FitListToLines();
    void OnSelChangeKeys();
    void OnSet();
    void OnDelete();
    // Set and Delete: the change with the binding the controls describe, then a refill.
    void ApplyKeyControls(bool (CKeyAccelTable::*pfnChange)(int, int, int));

    QCheckBox* m_btnShift = nullptr;
    QCheckBox* m_btnCtrl = nullptr;
    QCheckBox* m_btnAlt = nullptr;
    QLineEdit* m_editKey = nullptr;
    QTreeWidget* m_listKeys = nullptr;
    QComboBox* m_cbFunction = nullptr;
    QPushButton* m_btnSet = nullptr;
    QPushButton* m_btnDelete = nullptr;
};
