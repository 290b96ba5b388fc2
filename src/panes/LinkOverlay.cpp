// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/LinkOverlay.h"

#include <QCursor>
#include <QEvent>

namespace {
const int kMargin = 3;           // text to the overlay's edge
const int kPointerRoom = 12;     // how near the pointer may come before the overlay moves
const int kPointerWatchMs = 100; // how often the pointer is looked at while shown
} // namespace

CLinkOverlay::CLinkOverlay(QWidget* pView) : QLabel(pView)
{
    setObjectName(QStringLiteral("linkOverlay"));
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
    m_pointerWatch.setInterval(kPointerWatchMs);
    connect(&m_pointerWatch, &QTimer::timeout, this, &CLinkOverlay::Place);
}

void CLinkOverlay::ShowText(const QString& text, QWidget* pPage)
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
        m_pointerWatch.stop();
        hide();
        return;
    }
    Place();
    show();
    raise();
    m_pointerWatch.start();
}

QRect CLinkOverlay::PageRect() const
{
    const QWidget* pView = parentWidget();
    if (!m_pPage || m_pPage == pView || !pView->isAncestorOf(m_pPage))
        return pView->rect();
    return QRect(m_pPage->mapTo(pView, QPoint(0, 0)), m_pPage->size());
}

void CLinkOverlay::Place()
{
    if (m_strText.isEmpty())
        return;
    const QRect page = PageRect();
    // A long address keeps its beginning and its end; at most half the page wide, as the
    // pointer needs the other corner.
    const int nFrame = 2 * (frameWidth() + kMargin);
    const int nTextWidth = qMax(0, page.width() / 2 - nFrame);
    const QString shown = fontMetrics().elidedText(m_strText, Qt::ElideMiddle, nTextWidth);
    if (text() != shown)
        setText(shown);
    const QSize size(qMin(fontMetrics().horizontalAdvance(shown) + nFrame, page.width()),
                     qMin(fontMetrics().height() + nFrame, page.height()));
    QRect rc(QPoint(page.left(), page.bottom() - size.height() + 1), size);
    const QPoint pointer = parentWidget()->mapFromGlobal(QCursor::pos());
    if (rc.adjusted(0, -kPointerRoom, kPointerRoom, 0).contains(pointer))
        rc.moveRight(page.right());
    if (geometry() != rc)
        setGeometry(rc);
}

bool CLinkOverlay::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if ((pEvent->type() == QEvent::Resize || pEvent->type() == QEvent::Move) && isVisible())
        Place();
    return QLabel::eventFilter(pWatched, pEvent);
}
