// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NuvDialog.h"

#include <QString>
#include <QStringList>

class QListWidget;

// "History": the recent addresses of one pane, newest first, to go back to one of them. OK or
// a double click on a line takes the selected line; without a selection OK ends the dialog as
// Cancel does.
class CHistoryDlg : public CNuvDialog
{
    Q_OBJECT
public:
    enum : int
    {
        IDD = 139,
        IDC_HISTORY = 1022,
    };

    // The pane's recent addresses, newest first; empty and one-character entries are not
    // listed.
    CHistoryDlg(const QStringList& recent, QWidget* pParent);

    // The address chosen on OK.
    const QString& GetSelected() const { return m_strSelected; }
    QListWidget* List() const { return m_listHistory; }

protected:
    void OnOK() override;

private:
    QListWidget* m_listHistory = nullptr;
    QString m_strSelected;
};
