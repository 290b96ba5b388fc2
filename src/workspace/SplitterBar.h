// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The bar between the favorites panel and the panes. Dragging it moves only the bar; when
// the button is released, dragFinished reports the chosen x in the parent's coordinates,
// held between 10 and the largest x allowed (that limit wins when it is below 10).
class CSplitterBar : public QWidget
{
    Q_OBJECT
public:
    explicit CSplitterBar(QWidget* parent = nullptr);

    void SetMaxX(int nMaxX) { m_nMaxX = nMaxX; }
    int GetMaxX() const { return m_nMaxX; }
    bool IsDragging() const { return m_bDragging; }

    // x held between 10 and nMaxX.
    static int ClampX(int x, int nMaxX);

signals:
    void dragFinished(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int ParentX(const QMouseEvent* event) const;

    bool m_bDragging = false;
    int m_nMaxX = 0;
};
