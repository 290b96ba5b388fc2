// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandBands.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>

namespace {
constexpr int kBandGap = 2;    // between a gripper and its bar
constexpr int kBandSpace = 4;  // after a bar, before the next band
constexpr int kRowPadding = 3; // above and below the bars of a row
} // namespace

CCommandBands::CCommandBands(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CCommandBands::AddBand(QWidget* pBar, bool bGripper)
{
    if (pBar == nullptr)
        return;
    pBar->setParent(this);
    m_bands.push_back({pBar, bGripper, 0});
    pBar->show();
    updateGeometry();
}

QWidget* CCommandBands::GetBand(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetBandCount())
        return nullptr;
    return m_bands[static_cast<size_t>(nIndex)].pBar;
}

void CCommandBands::SetBandMinWidth(int nIndex, int nWidth)
{
    if (nIndex >= 0 && nIndex < GetBandCount())
        m_bands[static_cast<size_t>(nIndex)].nMinWidth = nWidth;
    updateGeometry();
}

QToolButton* CCommandBands::AddCloseButton()
{
    if (m_pClose != nullptr)
        return m_pClose;
    m_pClose = new QToolButton(this);
    m_pClose->setAutoRaise(true);
    m_pClose->setFocusPolicy(Qt::NoFocus);
    m_pClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_pClose->setIconSize(QSize(12, 12));
    m_pClose->setToolTip(tr("Close"));
    m_pClose->setAccessibleName(m_pClose->toolTip());
    connect(m_pClose, &QToolButton::clicked, this, &CCommandBands::closeRequested);
    m_pClose->show();
    updateGeometry();
    return m_pClose;
}

int CCommandBands::GetRowCount() const
{
    return m_layout.rowTops.empty() ? 0 : static_cast<int>(m_layout.rowTops.size()) - 1;
}

int CCommandBands::GripperWidth() const
{
    return style()->pixelMetric(QStyle::PM_ToolBarHandleExtent, nullptr, this) + kBandGap;
}

int CCommandBands::IdealWidth(const Band& band) const
{
    const int bar = qMax(band.pBar->sizeHint().width(), band.nMinWidth);
    return bar + (band.bGripper ? GripperWidth() : 0) + kBandSpace;
}

CCommandBands::Arrangement CCommandBands::Arrange(int nWidth) const
{
    Arrangement a;
    const QSize closeSize = m_pClose ? m_pClose->sizeHint() : QSize();

    // Which bands share a row: as many as fit at their ideal widths (the first of a row always).
    std::vector<std::vector<size_t>> rows;
    int x = 0;
    for (size_t i = 0; i < m_bands.size(); ++i) {
        if (m_bands[i].pBar->isHidden())
            continue;
        const int limit = nWidth - (rows.size() <= 1 ? closeSize.width() : 0);
        const int w = IdealWidth(m_bands[i]);
        if (rows.empty() || (x > 0 && x + w > limit)) {
            rows.emplace_back();
            x = 0;
        }
        rows.back().push_back(i);
        x += w;
    }

    int top = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        int rowHeight = r == 0 ? closeSize.height() : 0;
        for (size_t i : rows[r])
            rowHeight = qMax(rowHeight, m_bands[i].pBar->sizeHint().height());
        rowHeight += 2 * kRowPadding;
        const int right = nWidth - (r == 0 ? closeSize.width() : 0);
        a.rowTops.push_back(top);
        x = 0;
        for (size_t k = 0; k < rows[r].size(); ++k) {
            const Band& band = m_bands[rows[r][k]];
            const bool bLast = k + 1 == rows[r].size();
            const int w = bLast ? qMax(right - x, 0) : IdealWidth(band);
            Placement p;
            p.nRow = static_cast<int>(r);
            p.rcBand = QRect(x, top, w, rowHeight);
            const int gripper = band.bGripper ? GripperWidth() : 0;
            if (gripper > 0)
                p.rcGripper =
                    QRect(x, top + kRowPadding, gripper - kBandGap, rowHeight - 2 * kRowPadding);
            const int barHeight = qMin(band.pBar->sizeHint().height(), rowHeight);
            const int space = bLast ? 0 : kBandSpace;
            p.rcBar = QRect(x + gripper, top + (rowHeight - barHeight) / 2,
                            qMax(w - gripper - space, 0), barHeight);
            a.bands.push_back(p);
            x += w;
        }
        if (r == 0 && m_pClose)
            a.rcClose =
                QRect(nWidth - closeSize.width(), top + (rowHeight - closeSize.height()) / 2,
                      closeSize.width(), closeSize.height());
        top += rowHeight + 1; // an etched line between rows
    }
    a.rowTops.push_back(rows.empty() ? 0 : top);
    return a;
}

int CCommandBands::heightForWidth(int nWidth) const
{
    return Arrange(nWidth).rowTops.back();
}

QSize CCommandBands::sizeHint() const
{
    int w = m_pClose ? m_pClose->sizeHint().width() : 0;
    for (const Band& band : m_bands)
        if (!band.pBar->isHidden())
            w += IdealWidth(band);
    return QSize(w, Arrange(w).rowTops.back());
}

QSize CCommandBands::minimumSizeHint() const
{
    int w = m_pClose ? m_pClose->sizeHint().width() : 0;
    for (const Band& band : m_bands)
        if (!band.pBar->isHidden())
            w = qMax(w, IdealWidth(band));
    // Narrower widths take more rows (heightForWidth); the least height is one row.
    return QSize(w, sizeHint().height());
}

void CCommandBands::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int nRows = GetRowCount();
    m_layout = Arrange(width());
    size_t n = 0;
    for (const Band& band : m_bands) {
        if (band.pBar->isHidden())
            continue;
        band.pBar->setGeometry(m_layout.bands[n++].rcBar);
    }
    if (m_pClose)
        m_pClose->setGeometry(m_layout.rcClose);
    if (nRows != GetRowCount())
        updateGeometry();
    update();
}

bool CCommandBands::event(QEvent* event)
{
    // A bar that changes its size wish (the menu's texts, a hidden band) re-arranges the rows.
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        QResizeEvent resize(size(), size());
        resizeEvent(&resize);
    }
    return QWidget::event(event);
}

void CCommandBands::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor window = palette().color(QPalette::Window);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, window.lighter(106));
    background.setColorAt(1, window.darker(103));
    painter.fillRect(rect(), background);

    const QColor dark = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    for (size_t r = 1; r + 1 < m_layout.rowTops.size(); ++r) {
        const int y = m_layout.rowTops[r] - 1;
        painter.setPen(dark);
        painter.drawLine(0, y, width(), y);
    }
    for (const Placement& p : m_layout.bands) {
        if (p.rcGripper.isEmpty())
            continue;
        // An etched edge before the band, then the gripper.
        if (p.rcBand.left() > 0) {
            painter.setPen(dark);
            painter.drawLine(p.rcBand.left(), p.rcGripper.top(), p.rcBand.left(),
                             p.rcGripper.bottom());
            painter.setPen(light);
            painter.drawLine(p.rcBand.left() + 1, p.rcGripper.top(), p.rcBand.left() + 1,
                             p.rcGripper.bottom());
        }
        QStyleOption option;
        option.initFrom(this);
        option.rect = p.rcGripper.adjusted(2, 0, 0, 0);
        option.state |= QStyle::State_Horizontal;
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
    }
    painter.setPen(dark);
    painter.drawLine(0, height() - 1, width(), height() - 1);
}
