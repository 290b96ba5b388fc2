// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QCheckBox;
class QSpinBox;
class QComboBox;

// The settings the general options page switches; each points at the application's field.
struct NuvOptionSettings
{
    int* pViewSortFavorite = nullptr;
    int* pViewSingleFavorite = nullptr;
    int* pViewTabWidthFixed = nullptr;
    int* pRunLastClose = nullptr;
    int* pRunExitConfirm = nullptr;
    int* pRunRestoreSession = nullptr;
    // Sleeping panes: seconds behind the others before a page is frozen, discarded.
    int* pRunFreezeHidden = nullptr;
    int* pRunDiscardHidden = nullptr;
    // Desktop
    int* pViewColorScheme = nullptr;
    int* pSpellCheck = nullptr;
};

// The page "nuvBrowser Options": check boxes and the colour scheme, each writing its setting
// the moment it is changed (OK and Cancel of the sheet do not change them).
class CNuvOptionPage : public QWidget
{
    Q_OBJECT
public:
    enum : int
    {
        IDD = 143,
        IDC_SORT_FAVORITES = 1044,
        IDC_TAB_WIDTH = 1045,
        IDC_SINGLE_CLICK = 1046,
        IDC_LAST_CLOSE = 1047,
        IDC_EXIT_CONFIRM = 1048,
        IDC_RESTORE_SESSION = 1049,
        // Sleeping panes.
        IDC_FREEZE_HIDDEN = 32875,
        IDC_DISCARD_HIDDEN = 32876,
        // Desktop
        IDC_COLOR_SCHEME = 1050,
        IDC_SPELL_CHECK = 1051,
    };

    explicit CNuvOptionPage(const NuvOptionSettings& settings, QWidget* pParent = nullptr);

    QCheckBox* GetCheckBox(int nID) const;
    QSpinBox* GetSpinBox(int nID) const;
    QComboBox* GetColorSchemeBox() const { return m_cboColorScheme; }

private:
    QCheckBox* AddCheckBox(int nID, const QString& text, int* pSetting);
    // The delays of sleeping panes, in seconds (0: never), written as they change.
    void AddSleepDelays(const NuvOptionSettings& settings);
    void AddDesktopBlock(const NuvOptionSettings& settings);

    QCheckBox* m_btnLastClose = nullptr;
    QCheckBox* m_btnExitConfirm = nullptr;
    QCheckBox* m_btnSingleClick = nullptr;
    QCheckBox* m_btnTabWidth = nullptr;
    QCheckBox* m_btnSortFavorites = nullptr;
    QCheckBox* m_btnRestoreSession = nullptr;
    QComboBox* m_cboColorScheme = nullptr;
};
