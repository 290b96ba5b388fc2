// SPDX-License-Identifier: GPL-3.0-or-later
#include "NuvDialog.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {
const char* const kIdProperty = "dlgItemId";
} // namespace

CNuvDialog::CNuvDialog(QWidget* pParent) : QDialog(pParent)
{
    // A dialog of the program has no context help button and no size grip.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false);
}

void CNuvDialog::SetDlgItemId(QWidget* pControl, int nID)
{
    pControl->setProperty(kIdProperty, nID);
    pControl->setObjectName(QStringLiteral("dlgItem%1").arg(nID));
}

QWidget* CNuvDialog::FindDlgItem(const QWidget* pRoot, int nID)
{
    const QList<QWidget*> children = pRoot->findChildren<QWidget*>();
    for (QWidget* child : children)
        if (child->property(kIdProperty).toInt() == nID)
            return child;
    return nullptr;
}

QDialogButtonBox* CNuvDialog::CreateButtons(bool bWithCancel)
{
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(QDialogButtonBox::Ok);
    DlgItem(ok, IDOK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CNuvDialog::OnOK);
    if (bWithCancel) {
        QPushButton* cancel = box->addButton(QDialogButtonBox::Cancel);
        DlgItem(cancel, IDCANCEL);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    return box;
}

QLabel* CNuvDialog::CreateIcon(const QString& resourcePath, int nSize, QWidget* pParent)
{
    auto* label = new QLabel(pParent);
    label->setPixmap(QIcon(resourcePath).pixmap(nSize, nSize));
    label->setFixedSize(nSize, nSize);
    return label;
}

void CNuvDialog::OnOK()
{
    accept();
}

void CNuvDialog::OpenModal()
{
    setAttribute(Qt::WA_DeleteOnClose);
    open();
    raise();
    activateWindow();
}
