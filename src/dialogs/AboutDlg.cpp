// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

const char* const CAboutDlg::kVersion = "nuvBrowser Version 0.8w";
const char* const CAboutDlg::kBuildDate = "Mar 30 2003";

CAboutDlg::CAboutDlg(QWidget* pParent) : CNuvDialog(pParent)
{
    setWindowTitle(QStringLiteral("About (nuvBrowser)"));

    // Plain text: an ampersand in the version shows as it is.
    auto* version = DlgItem(new QLabel(QString::fromLatin1(kVersion), this), IDC_VERSION);
    version->setTextFormat(Qt::PlainText);
    version->setAlignment(Qt::AlignCenter);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    auto* build = DlgItem(
        new QLabel(QStringLiteral("UPDATE : %1").arg(QString::fromLatin1(kBuildDate)), this),
        IDC_BUILD);
    build->setTextFormat(Qt::PlainText);
    build->setAlignment(Qt::AlignCenter);

    auto* texts = new QVBoxLayout;
    texts->addStretch(1);
    texts->addWidget(version);
    texts->addWidget(build);
    texts->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(CreateIcon(QStringLiteral(":/res/nuvbrowser.png"), 48, this), 0,
                   Qt::AlignVCenter);
    top->addSpacing(16);
    top->addLayout(texts, 1);
    top->addSpacing(16);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(CreateButtons(false));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
