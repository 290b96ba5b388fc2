// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/LinkOverlay.h"

#include <QCursor>

namespace {
const int kPointerRoom = 12;     // how near the pointer may come before the overlay moves
const int kPointerWatchMs = 100; // how often the pointer is looked at while shown
} // namespace

CLinkOverlay::CLinkOverlay(QWidget* pView) : CPageNote(pView)
{
    setObjectName(QStringLiteral("linkOverlay"));
    m_pointerWatch.setInterval(kPointerWatchMs);
    connect(&m_pointerWatch, &QTimer::timeout, this, &CLinkOverlay::Place);
}

void CLinkOverlay::ShowText(const QString& text, QWidget* pPage)
{
    CPageNote::ShowText(text, pPage);
    if (text.isEmpty())
        m_pointerWatch.stop();
    else
        m_pointerWatch.start();
}

void CLinkOverlay::Place()
{
    if (m_strText.isEmpty())
        return;
    const QRect page = PageRect();
    // At most half the page wide, as the pointer needs the other corner.
    const QSize size = FitText(page.width() / 2, page.height());
    QRect rc(QPoint(page.left(), page.bottom() - size.height() + 1), size);
    const QPoint pointer = parentWidget()->mapFromGlobal(QCursor::pos());
    if (rc.adjusted(0, -kPointerRoom, kPointerRoom, 0).contains(pointer))
        rc.moveRight(page.right());
    if (geometry() != rc)
        setGeometry(rc);
}
