// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NuvDialog.h"

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QPushButton;

// "Open Internet Address": asks for an address or a local file. It offers the addresses typed
// before, and remembers its last address and its two boxes for the rest of the run (never
// stored). OK with an empty address is refused silently.
class COpenAddressDlg : public CNuvDialog
{
    Q_OBJECT
public:
    enum : int
    {
        IDD = 130,
        IDC_ADDRESS = 1020,
        IDC_BROWSE = 1021,
        IDC_NO_RECORD = 1030,
        IDC_NEW_WINDOW = 1031,
    };

    // pHistory/nHistory: the typed addresses, the oldest first (empty slots allowed); the
    // list offers them newest first.
    COpenAddressDlg(const QString* pHistory, int nHistory, QWidget* pParent);

    // The address taken on OK.
    const QString& GetEntered() const { return m_strEntered; }
    QComboBox* AddressCombo() const { return m_cbAddress; }
    // The open-file dialog of Browse while it shows; null otherwise.
    QFileDialog* BrowseDialog() const;

    // The state of the last OK, for the whole run.
    static QString s_strLastAddress;
    static int s_bNoRecord;
    static int s_bNewWindow;

protected:
    void OnOK() override;

private:
    void OnBrowse();

    QCheckBox* m_btnNewWindow = nullptr;
    QCheckBox* m_btnNoRecord = nullptr;
    QComboBox* m_cbAddress = nullptr;
    QPushButton* m_btnBrowse = nullptr;
    QString m_strEntered;
};
