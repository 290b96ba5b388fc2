// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/NoticePage.h"

#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

CNoticePage::CNoticePage(QWidget* pParent)
    : QWidget(pParent), m_pHeading(new QLabel(this)), m_pAddress(new QLabel(this)),
      m_pAdvice(new QLabel(this))
{
    // The colours of a page in the program's scheme, light or dark.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::Text);

    QFont heading = font();
    heading.setPointSizeF(heading.pointSizeF() * 1.6);
    heading.setBold(true);
    m_pHeading->setFont(heading);
    m_pAddress->setTextFormat(Qt::PlainText);
    m_pAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pAddress->setForegroundRole(QPalette::Link);
    for (QLabel* pLabel : {m_pHeading, m_pAddress, m_pAdvice}) {
        pLabel->setWordWrap(true);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    m_pHeading->setTextFormat(Qt::PlainText);
    m_pAdvice->setTextFormat(Qt::PlainText);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(40, 40, 40, 40);
    pLayout->setSpacing(16);
    pLayout->addWidget(m_pHeading);
    pLayout->addWidget(m_pAddress);
    pLayout->addWidget(m_pAdvice);
    pLayout->addStretch(1);
    hide();
}

void CNoticePage::ShowNotice(const QString& heading, const QString& address, const QString& advice)
{
    m_pHeading->setText(heading);
    m_pAddress->setText(address);
    m_pAddress->setVisible(!address.isEmpty());
    m_pAdvice->setText(advice);
    show();
    raise();
}

QString CNoticePage::Heading() const
{
    return m_pHeading->text();
}

QString CNoticePage::Text() const
{
    return m_pHeading->text() + QLatin1Char('\n') + m_pAddress->text() + QLatin1Char('\n') +
           m_pAdvice->text();
}
