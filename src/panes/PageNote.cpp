// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/PageNote.h"

#include <QEvent>

namespace {
const int kMargin = 3; // text to the note's edge
} // namespace

CPageNote::CPageNote(QWidget* pView) : QLabel(pView)
{
    setObjectName(QStringLiteral("pageNote"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setFrameShape(QFrame::Box);
    setMargin(kMargin);
    setTextFormat(Qt::PlainText);
    hide();
    pView->installEventFilter(this);
}

void CPageNote::ShowText(const QString& text, QWidget* pPage)
{
    if (pPage != m_pPage) {
        if (m_pPage && m_pPage != parentWidget())
            m_pPage->removeEventFilter(this);
        m_pPage = pPage;
        // A bar below the page (find) makes the page smaller without resizing the view.
        if (m_pPage && m_pPage != parentWidget())
            m_pPage->installEventFilter(this);
    }
    m_strText = text;
    if (text.isEmpty()) {
        hide();
        return;
    }
    Place();
    show();
    raise();
}

QRect CPageNote::PageRect() const
{
    const QWidget* pView = parentWidget();
    if (!m_pPage || m_pPage == pView || !pView->isAncestorOf(m_pPage))
        return pView->rect();
    return QRect(m_pPage->mapTo(pView, QPoint(0, 0)), m_pPage->size());
}

QSize CPageNote::FitText(int nWidth, int nHeight)
{
    // A long text keeps its beginning and its end.
    const int nFrame = 2 * (frameWidth() + kMargin);
    const QString shown =
        fontMetrics().elidedText(m_strText, Qt::ElideMiddle, qMax(0, nWidth - nFrame));
    if (text() != shown)
        setText(shown);
    return QSize(qMin(fontMetrics().horizontalAdvance(shown) + nFrame, nWidth),
                 qMin(fontMetrics().height() + nFrame, nHeight));
}

void CPageNote::Place()
{
    if (m_strText.isEmpty())
        return;
    const QRect page = PageRect();
    QRect rc(page.topLeft(), FitText(page.width(), page.height()));
    rc.moveRight(page.right());
    if (geometry() != rc)
        setGeometry(rc);
}

bool CPageNote::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if ((pEvent->type() == QEvent::Resize || pEvent->type() == QEvent::Move) && isVisible())
        Place();
    return QLabel::eventFilter(pWatched, pEvent);
}
