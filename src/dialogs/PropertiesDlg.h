// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NuvDialog.h"

#include <QString>

class QLabel;
class QLineEdit;

// "Properties": what the active document says about itself. It only shows the texts the
// caller filled in, as they stand; the size is followed by "Bytes".
class CPropertiesDlg : public CNuvDialog
{
    Q_OBJECT
public:
    enum : int
    {
        IDD = 140,
        IDC_PROTOCOL = 1024,
        IDC_TYPE = 1025,
        IDC_SIZE = 1026,
        IDC_MODIFIED = 1027,
        IDC_ADDRESS = 1028,
        IDC_TITLE = 1029,
    };

    explicit CPropertiesDlg(QWidget* pParent);

    // Sets the fields from the strings; call once they are filled in.
    void OnInitDialog();
    // The text a field shows.
    QString GetFieldText(int nID) const;

    QString m_strTitle;
    QString m_strProtocol;
    QString m_strType;
    QString m_strSize;
    QString m_strModified;
    QString m_strAddress;

private:
    QLabel* m_stcTitle = nullptr;
    QLabel* m_stcSize = nullptr;
    QLabel* m_stcProtocol = nullptr;
    QLabel* m_stcType = nullptr;
    QLabel* m_stcModified = nullptr;
    QLineEdit* m_stcAddress = nullptr; // an address may be longer than any dialog
};
