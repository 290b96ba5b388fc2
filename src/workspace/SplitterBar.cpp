// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/SplitterBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

CSplitterBar::CSplitterBar(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
    setFocusPolicy(Qt::NoFocus);
}

int CSplitterBar::ClampX(int x, int nMaxX)
{
    if (x < 10)
        x = 10;
    if (x > nMaxX)
        x = nMaxX;
    return x;
}

int CSplitterBar::ParentX(const QMouseEvent* event) const
{
    return ClampX(mapToParent(event->position().toPoint()).x(), m_nMaxX);
}

void CSplitterBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    qDrawShadePanel(&p, rect(), palette(), false, 1, &palette().button());
}

void CSplitterBar::mousePressEvent(QMouseEvent* event)
{
    // The press grabs the pointer until the release, wherever it moves.
    if (event->button() == Qt::LeftButton)
        m_bDragging = true;
}

void CSplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bDragging)
        return;
    move(ParentX(event), y());
    raise();
}

void CSplitterBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bDragging || event->button() != Qt::LeftButton)
        return;
    m_bDragging = false;
    emit dragFinished(ParentX(event));
    lower();
}
