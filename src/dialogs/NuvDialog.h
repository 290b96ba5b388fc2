// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QDialogButtonBox>

class QLabel;

// A dialog of the program: its controls carry their template ids (GetDlgItem finds them), it
// opens centred on its parent window and takes the focus, Enter gives OK and Escape Cancel.
// OpenModal shows it without waiting for it: the caller continues on finished() or accepted().
class CNuvDialog : public QDialog
{
    Q_OBJECT
public:
    enum : int
    {
        IDOK = 1,
        IDCANCEL = 2,
    };

    explicit CNuvDialog(QWidget* pParent);

    // The control with this template id; null when there is none.
    QWidget* GetDlgItem(int nID) const { return FindDlgItem(this, nID); }

    // Gives a control its template id; the first control below pRoot with an id.
    static void SetDlgItemId(QWidget* pControl, int nID);
    static QWidget* FindDlgItem(const QWidget* pRoot, int nID);

    // Shows the dialog modally, in front and with the focus, and deletes it once it was
    // closed; returns at once.
    void OpenModal();

protected:
    // Gives a control its template id.
    template <class T> T* DlgItem(T* pControl, int nID)
    {
        SetDlgItemId(pControl, nID);
        return pControl;
    }
    // The push buttons at the bottom right: OK and Cancel, or OK alone for a dialog that only
    // shows something. OK runs OnOK, Cancel rejects.
    QDialogButtonBox* CreateButtons(bool bWithCancel);
    // A picture of an icon resource, at its natural size.
    static QLabel* CreateIcon(const QString& resourcePath, int nSize, QWidget* pParent);

    // OK: the default ends the dialog with OK; a dialog may refuse by not calling accept().
    virtual void OnOK();
};
