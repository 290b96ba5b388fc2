// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertiesDlg.h"

#include "res/Resource.h"
#include "res/Resources.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
constexpr int kValueChars = 48;
constexpr int kAddressMaxChars = 80;

QLabel* ValueLabel(QWidget* pParent)
{
    auto* label = new QLabel(pParent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}
} // namespace

CPropertiesDlg::CPropertiesDlg(QWidget* pParent) : CNuvDialog(pParent)
{
    setWindowTitle(QStringLiteral("Properties"));

    m_stcTitle = DlgItem(ValueLabel(this), IDC_TITLE);
    m_stcSize = DlgItem(ValueLabel(this), IDC_SIZE);
    m_stcProtocol = DlgItem(ValueLabel(this), IDC_PROTOCOL);
    m_stcType = DlgItem(ValueLabel(this), IDC_TYPE);
    m_stcModified = DlgItem(ValueLabel(this), IDC_MODIFIED);
    m_stcAddress = DlgItem(new QLineEdit(this), IDC_ADDRESS);
    m_stcAddress->setReadOnly(true);
    m_stcAddress->setFrame(false);
    m_stcAddress->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));

    auto* general = new QGroupBox(QStringLiteral("General"), this);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(CreateIcon(QStringLiteral(":/res/icon138.png"), 32, general), 0,
                        Qt::AlignTop);
    titleRow->addSpacing(8);
    titleRow->addWidget(m_stcTitle, 1);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Protocol :"), m_stcProtocol);
    form->addRow(QStringLiteral("Type :"), m_stcType);
    form->addRow(QStringLiteral("Size :"), m_stcSize);
    form->addRow(QStringLiteral("Modified :"), m_stcModified);
    form->addRow(QStringLiteral("Address :"), m_stcAddress);

    auto* inner = new QVBoxLayout(general);
    inner->addLayout(titleRow);
    inner->addSpacing(6);
    inner->addLayout(form);

    const QFontMetrics metrics(font());
    m_stcProtocol->setMinimumWidth(metrics.averageCharWidth() * kValueChars);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(CreateButtons(false));
}

void CPropertiesDlg::OnInitDialog()
{
    m_stcTitle->setText(m_strTitle);
    m_stcProtocol->setText(m_strProtocol);
    m_stcType->setText(m_strType);
    m_stcSize->setText(m_strSize + LoadString(IDS_BYTES));
    m_stcModified->setText(m_strModified);
    m_stcAddress->setText(m_strAddress);
    m_stcAddress->setCursorPosition(0);
    // The dialog grows with a long address, up to a width that still fits a small screen;
    // beyond it the field scrolls.
    const QFontMetrics metrics(m_stcAddress->font());
    m_stcAddress->setMinimumWidth(qMin(metrics.horizontalAdvance(m_strAddress) + 8,
                                       metrics.averageCharWidth() * kAddressMaxChars));
    m_stcAddress->setToolTip(m_strAddress);
}

QString CPropertiesDlg::GetFieldText(int nID) const
{
    QWidget* item = GetDlgItem(nID);
    if (auto* label = qobject_cast<QLabel*>(item))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(item))
        return edit->text();
    return QString();
}
