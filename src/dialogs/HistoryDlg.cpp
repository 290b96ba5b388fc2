// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
constexpr int kListChars = 56;
constexpr int kListLines = 10;
} // namespace

CHistoryDlg::CHistoryDlg(const QStringList& recent, QWidget* pParent) : CNuvDialog(pParent)
{
    setWindowTitle(QStringLiteral("History"));

    m_listHistory = DlgItem(new QListWidget(this), IDC_HISTORY);
    m_listHistory->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listHistory->setAccessibleName(windowTitle());
    m_listHistory->setTextElideMode(Qt::ElideMiddle);
    m_listHistory->setUniformItemSizes(true);
    const QFontMetrics metrics(m_listHistory->font());
    m_listHistory->setMinimumSize(metrics.averageCharWidth() * kListChars,
                                  metrics.lineSpacing() * kListLines);
    connect(m_listHistory, &QListWidget::itemDoubleClicked, this, [this] { OnOK(); });

    auto* hint = new QLabel(QStringLiteral("Select an item to jump and press [OK] button."), this);
    hint->setAlignment(Qt::AlignCenter);
    hint->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_listHistory, 1);
    layout->addWidget(hint);
    layout->addWidget(CreateButtons(true));

    for (const QString& address : recent)
        if (address.size() > 1)
            (new QListWidgetItem(address, m_listHistory))->setToolTip(address);
    if (m_listHistory->count() > 0)
        m_listHistory->setCurrentRow(0);
    m_listHistory->setFocus();
}

void CHistoryDlg::OnOK()
{
    const int i = m_listHistory->currentRow();
    const QListWidgetItem* item = i < 0 ? nullptr : m_listHistory->item(i);
    if (item == nullptr || !item->isSelected()) {
        reject();
        return;
    }
    m_strSelected = item->text();
    accept();
}
