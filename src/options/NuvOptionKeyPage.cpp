// SPDX-License-Identifier: GPL-3.0-or-later
#include "NuvOptionKeyPage.h"

#include "dialogs/NuvDialog.h"
#include "options/KeyAccelTable.h"
#include "platform/AccelTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QTreeWidget>
#include <QValidator>

namespace {
constexpr int kListLines = 12;

// The key field takes one character and shows letters in upper case. Only characters whose
// code is the virtual-key code of their key can be bound: Latin letters, digits and the
// space bar; any other character would make a binding that no key press matches.
class CKeyCharValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*pos*/) const override
    {
        input = input.toUpper();
        if (input.isEmpty())
            return Acceptable;
        if (input.size() > 1)
            return Invalid;
        const QChar c = input.at(0);
        const bool bBindable = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                               c == QLatin1Char(' ');
        return bBindable ? Acceptable : Invalid;
    }
};

// Some styles (Fusion among them) open a drop-down list as a pop-up with every row at once,
// which runs past the window with all the command names: this one keeps the list to its
// visible-row limit, with a scroll bar.
class CScrollingPopupStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

CNuvOptionKeyPage::CNuvOptionKeyPage(CKeyAccelTable* pKeyTable, QWidget* pParent)
    : QWidget(pParent), m_pKeyTable(pKeyTable)
{
    setWindowTitle(QStringLiteral("Key Setting"));

    m_listKeys = new QTreeWidget(this);
    CNuvDialog::SetDlgItemId(m_listKeys, IDC_KEY_LIST);
    m_listKeys->setColumnCount(2);
    m_listKeys->setAccessibleName(QStringLiteral("Key Bindings"));
    m_listKeys->setHeaderLabels({QStringLiteral("Key"), QStringLiteral("Function")});
    m_listKeys->setRootIsDecorated(false);
    m_listKeys->setUniformRowHeights(true);
    m_listKeys->setItemsExpandable(false);
    m_listKeys->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listKeys->setAllColumnsShowFocus(true);
    m_listKeys->header()->setSectionsMovable(false);
    m_listKeys->header()->setStretchLastSection(true);
    const QFontMetrics metrics(m_listKeys->font());
    m_listKeys->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("Ctrl+Alt+Shift+W")) +
                                      metrics.averageCharWidth() * 3);
    m_listKeys->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_listKeys, &QTreeWidget::itemSelectionChanged, this,
            &CNuvOptionKeyPage::OnSelChangeKeys);

    m_editKey = new QLineEdit(this);
    CNuvDialog::SetDlgItemId(m_editKey, IDC_KEY);
    m_editKey->setMaxLength(1);
    m_editKey->setValidator(new CKeyCharValidator(m_editKey));
    m_editKey->setAlignment(Qt::AlignCenter);
    m_editKey->setFixedWidth(metrics.horizontalAdvance(QLatin1Char('W')) * 3 + 12);
    auto* keyLabel = new QLabel(QStringLiteral("&Key"), this);
    keyLabel->setBuddy(m_editKey);

    m_btnCtrl = new QCheckBox(QStringLiteral("Ctrl"), this);
    CNuvDialog::SetDlgItemId(m_btnCtrl, IDC_CTRL);
    m_btnAlt = new QCheckBox(QStringLiteral("Alt"), this);
    CNuvDialog::SetDlgItemId(m_btnAlt, IDC_ALT);
    m_btnShift = new QCheckBox(QStringLiteral("Shift"), this);
    CNuvDialog::SetDlgItemId(m_btnShift, IDC_SHIFT);

    m_cbFunction = new QComboBox(this);
    CNuvDialog::SetDlgItemId(m_cbFunction, IDC_FUNCTION);
    // The style follows the application's; the widget does not own it.
    auto* pPopupStyle = new CScrollingPopupStyle();
    pPopupStyle->setParent(m_cbFunction);
    m_cbFunction->setStyle(pPopupStyle);
    m_cbFunction->setMaxVisibleItems(kListLines);
    m_cbFunction->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* functionLabel = new QLabel(QStringLiteral("&Func."), this);
    functionLabel->setBuddy(m_cbFunction);

    m_btnSet = new QPushButton(QStringLiteral("&Set"), this);
    CNuvDialog::SetDlgItemId(m_btnSet, IDC_SET);
    m_btnSet->setAutoDefault(false);
    connect(m_btnSet, &QPushButton::clicked, this, &CNuvOptionKeyPage::OnSet);
    m_btnDelete = new QPushButton(QStringLiteral("&Delete"), this);
    CNuvDialog::SetDlgItemId(m_btnDelete, IDC_DELETE);
    m_btnDelete->setAutoDefault(false);
    connect(m_btnDelete, &QPushButton::clicked, this, &CNuvOptionKeyPage::OnDelete);

    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(m_editKey);
    keyRow->addSpacing(12);
    keyRow->addWidget(m_btnCtrl);
    keyRow->addWidget(m_btnAlt);
    keyRow->addWidget(m_btnShift);
    keyRow->addStretch(1);

    auto* functionRow = new QHBoxLayout;
    functionRow->addWidget(m_cbFunction, 1);
    functionRow->addSpacing(12);
    functionRow->addWidget(m_btnSet);
    functionRow->addWidget(m_btnDelete);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_listKeys, 0, 0, 1, 2);
    grid->addWidget(keyLabel, 1, 0);
    grid->addLayout(keyRow, 1, 1);
    grid->addWidget(functionLabel, 2, 0);
    grid->addLayout(functionRow, 2, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);

    setFocusProxy(m_listKeys);
    setTabOrder(m_listKeys, m_editKey);
    setTabOrder(m_editKey, m_btnCtrl);
    setTabOrder(m_btnCtrl, m_btnAlt);
    setTabOrder(m_btnAlt, m_btnShift);
    setTabOrder(m_btnShift, m_cbFunction);
    setTabOrder(m_cbFunction, m_btnSet);
    setTabOrder(m_btnSet, m_btnDelete);

    RefillKeyPage();
}

bool CNuvOptionKeyPage::event(QEvent* pEvent)
{
    // Sizes are known once the style and the fonts are in place.
    if (pEvent->type() == QEvent::Polish)
        FitListToLines();
    return QWidget::event(pEvent);
}

void CNuvOptionKeyPage::FitListToLines()
{
    // Whole lines only: the last one shown is never cut.
    m_listKeys->ensurePolished();
    const bool bTemporary = m_listKeys->topLevelItemCount() == 0;
    if (bTemporary)
        new QTreeWidgetItem(m_listKeys, {QStringLiteral("Ctrl+W"), QStringLiteral("Back")});
    const int nLine = m_listKeys->sizeHintForRow(0);
    if (bTemporary)
        delete m_listKeys->takeTopLevelItem(0);
    m_listKeys->setFixedHeight(2 * m_listKeys->frameWidth() +
                               m_listKeys->header()->sizeHint().height() + kListLines * nLine);
}

void CNuvOptionKeyPage::RefillKeyPage()
{
    const QSignalBlocker blocker(m_listKeys);
    m_listKeys->clear();
    m_cbFunction->clear();
    if (m_pKeyTable == nullptr)
        return;
    const KEYACCELENTRY* entries = m_pKeyTable->GetEntries();
    const int nCount = m_pKeyTable->GetEntryCount();
    for (int i = 0; i < nCount; ++i)
        new QTreeWidgetItem(m_listKeys, {CKeyAccelTable::GetKeyText(entries[i]),
                                         CKeyAccelTable::GetCommandName(entries[i].wCommand)});
    const KEYACCELCOMMAND* commands = CKeyAccelTable::GetCommandTable();
    for (int i = 0; i < CKeyAccelTable::GetCommandTableSize(); ++i)
        m_cbFunction->addItem(QString::fromUtf16(commands[i].pszName));
    m_listKeys->setCurrentItem(nullptr);
    m_listKeys->clearSelection();
    m_cbFunction->setCurrentIndex(-1);
}

int CNuvOptionKeyPage::GetLineCount() const
{
    return m_listKeys->topLevelItemCount();
}

QString CNuvOptionKeyPage::GetLineText(int nLine) const
{
    const QTreeWidgetItem* item = m_listKeys->topLevelItem(nLine);
    return item ? item->text(0) + QLatin1Char('\t') + item->text(1) : QString();
}

void CNuvOptionKeyPage::OnSelChangeKeys()
{
    const QList<QTreeWidgetItem*> selected = m_listKeys->selectedItems();
    if (selected.isEmpty() || m_pKeyTable == nullptr)
        return;
    const int i = m_listKeys->indexOfTopLevelItem(selected.first());
    if (i < 0 || i >= m_pKeyTable->GetEntryCount())
        return;
    const KEYACCELENTRY& entry = m_pKeyTable->GetEntries()[i];
    m_editKey->setText(entry.wKey != 0 ? QString(QChar(entry.wKey)) : QString());
    m_btnCtrl->setChecked(entry.fVirt & FCONTROL);
    m_btnAlt->setChecked(entry.fVirt & FALT);
    m_btnShift->setChecked(entry.fVirt & FSHIFT);
    m_cbFunction->setCurrentIndex(
        m_cbFunction->findText(CKeyAccelTable::GetCommandName(entry.wCommand),
                               Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

bool CNuvOptionKeyPage::ReadKeyControls(int* pnFlags, int* pnKey, int* pnCommand) const
{
    const int f = m_cbFunction->currentIndex();
    if (f < 0 || f >= CKeyAccelTable::GetCommandTableSize())
        return false;
    *pnCommand = CKeyAccelTable::GetCommandTable()[f].wCommand;
    int nFlags = 0;
    if (m_btnCtrl->isChecked())
        nFlags |= FCONTROL;
    if (m_btnAlt->isChecked())
        nFlags |= FALT;
    if (m_btnShift->isChecked())
        nFlags |= FSHIFT;
    *pnFlags = nFlags;
    const QString key = m_editKey->text();
    *pnKey = key.isEmpty() ? 0 : key.at(0).unicode();
    return true;
}

void CNuvOptionKeyPage::OnSet()
{
    ApplyKeyControls(&CKeyAccelTable::SetEntry);
}

void CNuvOptionKeyPage::OnDelete()
{
    ApplyKeyControls(&CKeyAccelTable::RemoveEntry);
}

void CNuvOptionKeyPage::ApplyKeyControls(bool (CKeyAccelTable::*pfnChange)(int, int, int))
{
    int nFlags = 0;
    int nKey = 0;
    int nCommand = 0;
    if (m_pKeyTable == nullptr || !ReadKeyControls(&nFlags, &nKey, &nCommand))
        return;
    (m_pKeyTable->*pfnChange)(nFlags, nKey, nCommand);
    RefillKeyPage();
    if (pfnChange != &CKeyAccelTable::SetEntry)
        return;
    // The line just set is shown and chosen; the controls keep what they show.
    if (QTreeWidgetItem* item = m_listKeys->topLevelItem(m_pKeyTable->FindEntry(nFlags, nKey))) {
        const QSignalBlocker blocker(m_listKeys);
        m_listKeys->setCurrentItem(item);
        m_listKeys->scrollToItem(item);
    }
}
