// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/FindBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

CFindBar::CFindBar(QWebEnginePage* pPage, QWidget* pParent)
    : QWidget(pParent), m_pPage(pPage), m_pText(new QLineEdit(this)), m_pStatus(new QLabel(this))
{
    setAutoFillBackground(true);
    setAccessibleName(tr("Find bar"));
    m_pText->setPlaceholderText(tr("Find in page"));
    m_pText->setAccessibleName(tr("Find"));
    m_pText->setClearButtonEnabled(true);
    m_pText->setProperty(kKeepsEscape, true);
    m_pText->installEventFilter(this);
    m_pStatus->setMinimumWidth(fontMetrics().horizontalAdvance(tr("No matches")) + 8);

    auto makeButton = [this](const QString& text, const QString& name) {
        auto* pButton = new QToolButton(this);
        pButton->setText(text);
        pButton->setAccessibleName(name);
        pButton->setToolTip(name);
        pButton->setAutoRaise(true);
        pButton->setFocusPolicy(Qt::NoFocus);
        return pButton;
    };
    QToolButton* pPrevious = makeButton(QStringLiteral("\u25B2"), tr("Previous match"));
    QToolButton* pNext = makeButton(QStringLiteral("\u25BC"), tr("Next match"));
    QToolButton* pClose = makeButton(QStringLiteral("\u2715"), tr("Close the find bar"));

    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(6, 3, 6, 3);
    pLayout->addWidget(new QLabel(tr("Find:"), this));
    pLayout->addWidget(m_pText, 1);
    pLayout->addWidget(pPrevious);
    pLayout->addWidget(pNext);
    pLayout->addWidget(m_pStatus);
    pLayout->addStretch(0);
    pLayout->addWidget(pClose);

    connect(pPrevious, &QToolButton::clicked, this, [this] { FindNext(true); });
    connect(pNext, &QToolButton::clicked, this, [this] { FindNext(false); });
    connect(pClose, &QToolButton::clicked, this, &CFindBar::Close);
    connect(m_pText, &QLineEdit::textEdited, this, [this] { FindNext(false); });
    hide();
}

void CFindBar::Open()
{
    show();
    raise();
    m_pText->setFocus(Qt::ShortcutFocusReason);
    m_pText->selectAll();
    if (!m_pText->text().isEmpty())
        FindNext(false);
}

void CFindBar::Close()
{
    m_pPage->findText(QString());
    m_pStatus->clear();
    const bool bHadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    emit closed();
    if (bHadFocus && parentWidget())
        parentWidget()->setFocus();
}

void CFindBar::FindNext(bool bBackward)
{
    const QString text = m_pText->text();
    if (text.isEmpty()) {
        m_pPage->findText(QString());
        m_pStatus->clear();
        return;
    }
    QPointer<CFindBar> self(this);
    m_pPage->findText(text, bBackward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags(),
                      [self](const QWebEngineFindTextResult& result) {
                          if (self)
                              self->ShowResult(result);
                      });
}

void CFindBar::ShowResult(const QWebEngineFindTextResult& result)
{
    if (m_pText->text().isEmpty() || isHidden())
        return;
    m_pStatus->setText(
        result.numberOfMatches() == 0
            ? tr("No matches")
            : tr("%1 of %2").arg(result.activeMatch()).arg(result.numberOfMatches()));
}

QString CFindBar::Status() const
{
    return m_pStatus->text();
}

bool CFindBar::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pText && pEvent->type() == QEvent::KeyPress) {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        switch (pKey->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            FindNext(pKey->modifiers() & Qt::ShiftModifier);
            return true;
        case Qt::Key_Escape:
            Close();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(pWatched, pEvent);
}
