// SPDX-License-Identifier: GPL-3.0-or-later
#include "NuvOptionPage.h"

#include "dialogs/NuvDialog.h"
#include "options/ColorScheme.h"
#include "platform/SpellCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

CNuvOptionPage::CNuvOptionPage(const NuvOptionSettings& settings, QWidget* pParent)
    : QWidget(pParent)
{
    setWindowTitle(QStringLiteral("nuvBrowser Options"));
    auto* layout = new QVBoxLayout(this);
    m_btnSortFavorites =
        AddCheckBox(IDC_SORT_FAVORITES, QStringLiteral("Sort &Favorites by Type and Then Name"),
                    settings.pViewSortFavorite);
    m_btnSingleClick =
        AddCheckBox(IDC_SINGLE_CLICK, QStringLiteral("&Single-clicked Action of Favorites"),
                    settings.pViewSingleFavorite);
    m_btnTabWidth = AddCheckBox(IDC_TAB_WIDTH, QStringLiteral("Au&to Adjust of Tab Width"),
                                settings.pViewTabWidthFixed);
    m_btnLastClose =
        AddCheckBox(IDC_LAST_CLOSE, QStringLiteral("Exit by the &Last Window closing."),
                    settings.pRunLastClose);
    m_btnExitConfirm = AddCheckBox(IDC_EXIT_CONFIRM, QStringLiteral("Confirm at the &Exit."),
                                   settings.pRunExitConfirm);
    m_btnRestoreSession = AddCheckBox(
        IDC_RESTORE_SESSION, QStringLiteral("Restore the Pages of the Last Session at Start"),
        settings.pRunRestoreSession);
    AddSleepDelays(settings);
    AddDesktopBlock(settings);
    layout->addStretch(1);
    setFocusProxy(m_btnSortFavorites);
}

QCheckBox* CNuvOptionPage::AddCheckBox(int nID, const QString& text, int* pSetting)
{
    auto* box = new QCheckBox(text, this);
    CNuvDialog::SetDlgItemId(box, nID);
    layout()->addWidget(box);
    if (pSetting == nullptr) {
        box->setEnabled(false);
        return box;
    }
    box->setChecked(*pSetting != 0);
    // A click writes the new state at once; the setting is stored when the program ends.
    connect(box, &QCheckBox::clicked, this,
            [pSetting](bool bChecked) { *pSetting = bChecked ? 1 : 0; });
    return box;
}

QCheckBox* CNuvOptionPage::GetCheckBox(int nID) const
{
    return qobject_cast<QCheckBox*>(CNuvDialog::FindDlgItem(this, nID));
}

void CNuvOptionPage::AddSleepDelays(const NuvOptionSettings& settings)
{
    auto* form = new QFormLayout;
    const struct
    {
        int nID;
        const char* label;
        int* pSetting;
    } delays[] = {
        {IDC_FREEZE_HIDDEN, "F&reeze a hidden page after", settings.pRunFreezeHidden},
        {IDC_DISCARD_HIDDEN, "&Discard a hidden page after", settings.pRunDiscardHidden},
    };
    for (const auto& d : delays) {
        auto* spin = new QSpinBox(this);
        CNuvDialog::SetDlgItemId(spin, d.nID);
        spin->setRange(0, 7 * 24 * 3600);
        spin->setSingleStep(60);
        spin->setSuffix(QStringLiteral(" s"));
        spin->setSpecialValueText(QStringLiteral("never"));
        spin->setEnabled(d.pSetting != nullptr);
        if (int* pSetting = d.pSetting) {
            spin->setValue(qMax(0, *pSetting));
            // As the check boxes: written at once, stored when the program ends.
            connect(spin, &QSpinBox::valueChanged, this,
                    [pSetting](int nValue) { *pSetting = nValue; });
        }
        form->addRow(QString::fromLatin1(d.label), spin);
    }
    static_cast<QBoxLayout*>(layout())->addLayout(form);
}

QSpinBox* CNuvOptionPage::GetSpinBox(int nID) const
{
    return qobject_cast<QSpinBox*>(CNuvDialog::FindDlgItem(this, nID));
}

void CNuvOptionPage::AddDesktopBlock(const NuvOptionSettings& settings)
{
    QCheckBox* spell =
        AddCheckBox(IDC_SPELL_CHECK, QStringLiteral("Check the S&pelling of Text Fields"),
                    settings.pSpellCheck);
    // The pages follow at once.
    connect(spell, &QCheckBox::clicked, this,
            [](bool bChecked) { CSpellState::Instance()->SetEnabled(bChecked); });

    auto* row = new QHBoxLayout();
    auto* label = new QLabel(QStringLiteral("&Colors:"), this);
    m_cboColorScheme = new QComboBox(this);
    CNuvDialog::SetDlgItemId(m_cboColorScheme, IDC_COLOR_SCHEME);
    m_cboColorScheme->setAccessibleName(QStringLiteral("Colors"));
    // In the order of the registry value.
    m_cboColorScheme->addItems(
        {QStringLiteral("As the Desktop"), QStringLiteral("Light"), QStringLiteral("Dark")});
    label->setBuddy(m_cboColorScheme);
    row->addWidget(label);
    row->addWidget(m_cboColorScheme, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    int* pScheme = settings.pViewColorScheme;
    if (pScheme == nullptr) {
        m_cboColorScheme->setEnabled(false);
        return;
    }
    const bool bKnown = *pScheme >= 0 && *pScheme < m_cboColorScheme->count();
    m_cboColorScheme->setCurrentIndex(bKnown ? *pScheme : NuvColorScheme::FollowDesktop);
    // The program's windows change at once; pages are told at the engine's next start.
    connect(m_cboColorScheme, &QComboBox::activated, this, [pScheme](int nIndex) {
        *pScheme = nIndex;
        NuvColorScheme::ApplyToWidgets(NuvColorScheme::Resolve(nIndex));
    });
    auto* note =
        new QLabel(QStringLiteral("Pages follow a change of colors at the next start."), this);
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    layout()->addWidget(note);
}
