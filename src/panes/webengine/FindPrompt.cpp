#include "panes/webengine/FindPrompt.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QWebEnginePage>

CFindPrompt::CFindPrompt(QWebEnginePage* pPage, QWidget* pParent)
    : QDialog(pParent), m_pPage(pPage), m_pText(new QLineEdit(this))
{
    setWindowTitle(tr("Find"));
    auto* pNext = new QPushButton(tr("Find &Next"), this);
    auto* pClose = new QPushButton(tr("Close"), this);
    pNext->setDefault(true);
    auto* pLayout = new QHBoxLayout(this);
    pLayout->addWidget(m_pText, 1);
    pLayout->addWidget(pNext);
    pLayout->addWidget(pClose);
    connect(pNext, &QPushButton::clicked, this,
            [this] { FindNext(QApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(pClose, &QPushButton::clicked, this, &QDialog::reject);
    // Closing the prompt clears the marked matches.
    connect(this, &QDialog::finished, this, [this] { m_pPage->findText(QString()); });
}

void CFindPrompt::FindNext(bool bBackward)
{
    if (m_pText->text().isEmpty())
        return;
    m_pPage->findText(m_pText->text(),
                      bBackward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}
