// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/PaneTabCtrl.h"

#include "platform/CommandEvent.h"
#include "res/Resource.h"
#include "workspace/ImageList.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <QToolTip>
#include <QVariantList>

namespace {
const int kImageSize = 10;
const int kPadLeft = 4;  // button edge to image
const int kGap = 4;      // image to label
const int kPadRight = 6; // label to button edge
const int kMinItemWidth = kPadLeft + kImageSize + kGap;
// A long title is cut short at its end, so that several tabs of long titles fit side by side;
// the whole title is the tab's tool tip.
const int kMaxLabelWidth = CPaneTabCtrl::kMaxTabWidth - kPadLeft - kImageSize - kGap - kPadRight;

// The tab bar reads "&" as a mnemonic and would claim Alt+letter for it.
QString EscapeMnemonics(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}
} // namespace

CPaneTabCtrl::CPaneTabCtrl(QWidget* parent) : QTabBar(parent)
{
    setDrawBase(false);
    setExpanding(false);
    setElideMode(Qt::ElideNone);
    // The bar's own scrolling stops anywhere inside a tab; the strip scrolls by whole tabs.
    setUsesScrollButtons(false);
    setMovable(false);
    setTabsClosable(false);
    setIconSize(QSize(kImageSize, kImageSize));
    setAttribute(Qt::WA_Hover, true);
    connect(this, &QTabBar::currentChanged, this, &CPaneTabCtrl::handleCurrentChanged);

    const auto makeArrow = [this](Qt::ArrowType type, int nTabs) {
        auto* button = new QToolButton(this);
        button->setArrowType(type);
        button->setAccessibleName(nTabs < 0 ? QStringLiteral("Scroll Tabs Left")
                                            : QStringLiteral("Scroll Tabs Right"));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->hide();
        connect(button, &QToolButton::clicked, this, [this, nTabs] { ScrollBy(nTabs); });
        return button;
    };
    m_btnScrollLeft = makeArrow(Qt::LeftArrow, -1);
    m_btnScrollRight = makeArrow(Qt::RightArrow, 1);
}

CPaneTabCtrl::~CPaneTabCtrl()
{
    for (int i = 0; i < count(); ++i)
        delete GetTabRecord(i);
}

QString CPaneTabCtrl::FormatLabel(int nNumber, const QString& title)
{
    if (nNumber == 10)
        return QStringLiteral("0 : %1").arg(title);
    if (nNumber > 10)
        return QStringLiteral("* : %1").arg(title);
    return QStringLiteral("%1 : %2").arg(nNumber).arg(title);
}

int CPaneTabCtrl::AddTab(CPaneWnd* pPane, bool bSelect, int nIndex)
{
    if (!pPane)
        return -1;
    if (nIndex < 0 || nIndex > count())
        nIndex = count();
    auto* pRecord = new PaneTabRecord{pPane, QString()};
    // The tab selected stays selected, at its new index when the new tab comes before it.
    const int nPrevSel = m_nCurSel >= nIndex ? m_nCurSel + 1 : m_nCurSel;
    ++m_nSilent;
    const int nNew = insertTab(nIndex, QString());
    --m_nSilent;
    if (nNew != nIndex) {
        delete pRecord;
        return -1;
    }
    SetItemData(nNew, pRecord, 0);
    if (nNew + 1 < count())
        RelabelAll();
    m_nCurFocus = nNew;
    m_nCurSel = nPrevSel;
    if (bSelect)
        SetCurSel(nNew);
    SyncCurrent();
    update();
    UpdateTabWidths();
    return nNew;
}

void CPaneTabCtrl::RemoveTab(int nIndex)
{
    DeleteItem(nIndex);
    RelabelAll();
    UpdateTabWidths();
}

int CPaneTabCtrl::InsertItem(int nIndex, const QString& text, int nImage)
{
    nIndex = qBound(0, nIndex, count());
    ++m_nSilent;
    const int nNew = insertTab(nIndex, EscapeMnemonics(text));
    --m_nSilent;
    SetItemData(nNew, nullptr, nImage);
    if (m_nCurSel >= nNew)
        ++m_nCurSel;
    if (m_nCurFocus >= nNew)
        ++m_nCurFocus;
    SyncCurrent();
    update();
    return nNew;
}

bool CPaneTabCtrl::DeleteItem(int nIndex)
{
    if (nIndex < 0 || nIndex >= count())
        return false;
    delete GetTabRecord(nIndex);
    ++m_nSilent;
    removeTab(nIndex);
    --m_nSilent;
    if (m_nCurSel == nIndex)
        m_nCurSel = -1;
    else if (m_nCurSel > nIndex)
        --m_nCurSel;
    if (m_nCurFocus == nIndex)
        m_nCurFocus = -1;
    else if (m_nCurFocus > nIndex)
        --m_nCurFocus;
    SyncCurrent();
    update();
    return true;
}

PaneTabRecord* CPaneTabCtrl::GetTabRecord(int nIndex) const
{
    const QVariantList data = tabData(nIndex).toList();
    if (data.size() != 2)
        return nullptr;
    return reinterpret_cast<PaneTabRecord*>(data[0].value<quintptr>());
}

CPaneWnd* CPaneTabCtrl::GetTabPane(int nIndex) const
{
    const PaneTabRecord* pRecord = GetTabRecord(nIndex);
    return pRecord ? pRecord->pPane : nullptr;
}

int CPaneTabCtrl::FindTab(const CPaneWnd* pPane) const
{
    for (int i = 0; i < count(); ++i) {
        const PaneTabRecord* pRecord = GetTabRecord(i);
        if (pRecord && pRecord->pPane == pPane)
            return i;
    }
    return -1;
}

QString CPaneTabCtrl::GetTabTitle(int nIndex) const
{
    const PaneTabRecord* pRecord = GetTabRecord(nIndex);
    return pRecord ? pRecord->strTitle : QString();
}

void CPaneTabCtrl::SetTabTitle(int nIndex, const QString& title)
{
    if (PaneTabRecord* pRecord = GetTabRecord(nIndex))
        pRecord->strTitle = title;
    RelabelTab(nIndex);
    // A chosen tab stays whole when its title grows (a new page's title comes after its tab).
    if (nIndex == m_nCurSel)
        EnsureVisible(nIndex);
}

void CPaneTabCtrl::SetTabSleeping(int nIndex, bool bSleeping)
{
    PaneTabRecord* pRecord = GetTabRecord(nIndex);
    if (!pRecord || pRecord->bSleeping == bSleeping)
        return;
    pRecord->bSleeping = bSleeping;
    update();
}

bool CPaneTabCtrl::IsTabSleeping(int nIndex) const
{
    const PaneTabRecord* pRecord = GetTabRecord(nIndex);
    return pRecord && pRecord->bSleeping;
}

void CPaneTabCtrl::RelabelAll()
{
    for (int i = 0; i < count(); ++i)
        RelabelTab(i);
}

void CPaneTabCtrl::RelabelTab(int nIndex)
{
    if (nIndex < 0 || nIndex >= count())
        return;
    if (!m_bFavoritesPanel && nIndex == 0)
        return;
    const int nNumber = m_bFavoritesPanel ? nIndex + 2 : nIndex + 1;
    const QString title = GetTabTitle(nIndex);
    SetLabel(nIndex, FormatLabel(nNumber, title));
    setTabToolTip(nIndex, title);
}

void CPaneTabCtrl::SetLabel(int nIndex, const QString& label)
{
    // Every new text lays out all tabs again; renumbering leaves most labels as they were.
    const QString text = EscapeMnemonics(label);
    if (tabText(nIndex) == text)
        return;
    InvalidateEdges();
    setTabText(nIndex, text);
}

int CPaneTabCtrl::TextWidth(int nIndex) const
{
    const QString text = tabText(nIndex);
    if (const auto it = m_textWidths.constFind(text); it != m_textWidths.constEnd())
        return it.value();
    // Titles change while pages load: widths of texts gone are dropped now and then.
    if (m_textWidths.size() > 2 * count() + 64)
        m_textWidths.clear();
    const int nWidth = fontMetrics().horizontalAdvance(GetTabLabel(nIndex));
    m_textWidths.insert(text, nWidth);
    return nWidth;
}

QString CPaneTabCtrl::GetTabLabel(int nIndex) const
{
    return tabText(nIndex).replace(QLatin1String("&&"), QLatin1String("&"));
}

QRect CPaneTabCtrl::LabelRect(const QRect& rcItem, bool bSelected)
{
    const int nShift = bSelected ? 1 : 0; // a pressed button's face moves down and right
    return rcItem.adjusted(kPadLeft + kImageSize + kGap + nShift, nShift, -kPadRight / 2, 0);
}

QString CPaneTabCtrl::GetShownLabel(int nIndex) const
{
    const QRect rcItem = GetItemRect(nIndex);
    if (rcItem.isEmpty())
        return QString();
    const int nWidth = LabelRect(rcItem, nIndex == m_nCurSel).width();
    return fontMetrics().elidedText(GetTabLabel(nIndex), Qt::ElideRight, qMax(0, nWidth));
}

void CPaneTabCtrl::SetItemData(int nIndex, PaneTabRecord* pRecord, int nImage)
{
    setTabData(nIndex,
               QVariantList{QVariant::fromValue(reinterpret_cast<quintptr>(pRecord)), nImage});
}

void CPaneTabCtrl::SetTabImage(int nIndex, int nImage)
{
    if (nIndex < 0 || nIndex >= count())
        return;
    SetItemData(nIndex, GetTabRecord(nIndex), nImage);
    update(tabRect(nIndex));
}

int CPaneTabCtrl::GetTabImage(int nIndex) const
{
    const QVariantList data = tabData(nIndex).toList();
    return data.size() == 2 ? data[1].toInt() : -1;
}

void CPaneTabCtrl::SetImageList(const CImageList* pImages)
{
    m_pImages = pImages;
    update();
}

void CPaneTabCtrl::SetAvailableWidth(int nWidth)
{
    m_nAvailWidth = nWidth - 20;
    UpdateTabWidths();
}

void CPaneTabCtrl::SetAutoWidth(bool bOn)
{
    m_bAutoWidth = bOn;
    Relayout();
    UpdateTabWidths();
}

void CPaneTabCtrl::UpdateTabWidths()
{
    if (!m_bAutoWidth)
        return;
    if (m_nAvailWidth == 0)
        m_nAvailWidth = width() - 16;
    const int w = count() > 0 ? m_nAvailWidth / count() : m_nAvailWidth;
    // Very many tabs would leave nothing to tap; the strip scrolls instead.
    m_nItemWidth = qMax(w - 10, kMinItemWidth);
    Relayout();
}

void CPaneTabCtrl::Relayout()
{
    InvalidateEdges();
    // Marks the tab geometry stale; it is laid out again from tabSizeHint.
    setIconSize(QSize(kImageSize, kImageSize));
    UpdateScroll();
}

const QList<int>& CPaneTabCtrl::ItemEdges() const
{
    if (m_edges.size() == count() + 1)
        return m_edges;
    m_edges.clear();
    m_edges.reserve(count() + 1);
    int x = 0;
    for (int i = 0; i < count(); ++i) {
        m_edges << x;
        x += tabSizeHint(i).width();
    }
    m_edges << x;
    return m_edges;
}

int CPaneTabCtrl::TabAreaRight(const QList<int>& edges) const
{
    // The arrows take the right end only while the tabs do not fit.
    if (edges.last() <= width())
        return width();
    return qMax(0, width() - 2 * height());
}

QRect CPaneTabCtrl::GetItemRect(int nIndex) const
{
    if (nIndex < 0 || nIndex >= count())
        return QRect();
    const QList<int> edges = ItemEdges();
    const int x = edges[nIndex] - edges[qMin(m_nFirstVisible, count() - 1)];
    return QRect(x, 0, edges[nIndex + 1] - edges[nIndex], height());
}

int CPaneTabCtrl::HitTest(const QPoint& pt) const
{
    const QList<int> edges = ItemEdges();
    if (count() == 0 || pt.y() < 0 || pt.y() >= height() || pt.x() < 0 ||
        pt.x() >= TabAreaRight(edges))
        return -1;
    const int x = pt.x() + edges[qMin(m_nFirstVisible, count() - 1)];
    for (int i = m_nFirstVisible; i < count(); ++i)
        if (x >= edges[i] && x < edges[i + 1])
            return i;
    return -1;
}

void CPaneTabCtrl::UpdateScroll()
{
    if (m_btnScrollLeft == nullptr) // the bar lays out while it is being built
        return;
    const QList<int> edges = ItemEdges();
    const bool bScrolling = edges.last() > width();
    const int nRight = TabAreaRight(edges);
    if (!bScrolling) {
        m_nFirstVisible = 0;
    } else {
        m_nFirstVisible = qBound(0, m_nFirstVisible, count() - 1);
        // No empty room at the right while earlier tabs are scrolled away.
        while (m_nFirstVisible > 0 && edges.last() - edges[m_nFirstVisible - 1] <= nRight)
            --m_nFirstVisible;
    }
    const int nArrow = height();
    m_btnScrollLeft->setGeometry(width() - 2 * nArrow, 0, nArrow, nArrow);
    m_btnScrollRight->setGeometry(width() - nArrow, 0, nArrow, nArrow);
    m_btnScrollLeft->setVisible(bScrolling);
    m_btnScrollRight->setVisible(bScrolling);
    m_btnScrollLeft->setEnabled(m_nFirstVisible > 0);
    m_btnScrollRight->setEnabled(bScrolling && edges.last() - edges[m_nFirstVisible] > nRight);
    update();
}

void CPaneTabCtrl::EnsureVisible(int nIndex)
{
    if (nIndex < 0 || nIndex >= count())
        return;
    const QList<int> edges = ItemEdges();
    const int nRight = TabAreaRight(edges);
    if (nIndex < m_nFirstVisible)
        m_nFirstVisible = nIndex;
    while (m_nFirstVisible < nIndex && edges[nIndex + 1] - edges[m_nFirstVisible] > nRight)
        ++m_nFirstVisible;
    UpdateScroll();
}

void CPaneTabCtrl::ScrollBy(int nTabs)
{
    if (nTabs > 0 && !m_btnScrollRight->isEnabled())
        return;
    m_nFirstVisible = qBound(0, m_nFirstVisible + nTabs, qMax(0, count() - 1));
    UpdateScroll();
}

void CPaneTabCtrl::resizeEvent(QResizeEvent* event)
{
    QTabBar::resizeEvent(event);
    EnsureVisible(m_nCurSel);
    UpdateScroll();
}

void CPaneTabCtrl::tabInserted(int index)
{
    InvalidateEdges();
    QTabBar::tabInserted(index);
    if (index <= m_nFirstVisible && m_nFirstVisible > 0)
        ++m_nFirstVisible;
    UpdateScroll();
}

void CPaneTabCtrl::tabRemoved(int index)
{
    InvalidateEdges();
    QTabBar::tabRemoved(index);
    if (index < m_nFirstVisible)
        --m_nFirstVisible;
    UpdateScroll();
}

void CPaneTabCtrl::tabLayoutChange()
{
    // Labels and shared widths change the tabs' widths.
    QTabBar::tabLayoutChange();
    UpdateScroll();
}

bool CPaneTabCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return ShowToolTip(static_cast<QHelpEvent*>(event));
    const bool bResult = QTabBar::event(event);
    // The bar repaints the hovered tab where it would have put it; the strip's places differ
    // while scrolled.
    if (event->type() == QEvent::HoverMove || event->type() == QEvent::HoverLeave)
        update();
    return bResult;
}

bool CPaneTabCtrl::ShowToolTip(const QHelpEvent* event)
{
    // The bar would look for the tab where it puts the tabs, not where the strip shows them.
    const int nIndex = HitTest(event->pos());
    const QString tip = nIndex >= 0 ? tabToolTip(nIndex) : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), tip, this, GetItemRect(nIndex));
    return true;
}

void CPaneTabCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_textWidths.clear();
        m_nPreferredHeight = 0;
        InvalidateEdges();
    }
    QTabBar::changeEvent(event);
}

void CPaneTabCtrl::SetCurSel(int nIndex)
{
    if (nIndex >= count())
        return;
    if (nIndex < 0)
        nIndex = -1;
    if (nIndex == m_nCurSel)
        return;
    m_nCurSel = nIndex;
    m_nCurFocus = nIndex;
    SyncCurrent();
    EnsureVisible(nIndex);
    update();
}

void CPaneTabCtrl::SetCurFocus(int nIndex)
{
    m_nCurFocus = nIndex >= 0 && nIndex < count() ? nIndex : -1;
    update();
}

void CPaneTabCtrl::SyncCurrent()
{
    // The bar keeps a current tab of its own; it follows ours so that it scrolls into view
    // and the arrow keys start from it.
    if (m_nCurSel < 0 || currentIndex() == m_nCurSel)
        return;
    ++m_nSilent;
    setCurrentIndex(m_nCurSel);
    --m_nSilent;
}

void CPaneTabCtrl::handleCurrentChanged(int nIndex)
{
    if (m_nSilent > 0 || nIndex == m_nCurSel || nIndex < 0)
        return;
    m_nCurSel = nIndex;
    m_nCurFocus = nIndex;
    EnsureVisible(nIndex);
    update();
    emit selectionChanged();
}

int CPaneTabCtrl::PreferredHeight() const
{
    if (m_nPreferredHeight == 0)
        m_nPreferredHeight = qMax(16, qMax(fontMetrics().height(), kImageSize) + 6);
    return m_nPreferredHeight;
}

QSize CPaneTabCtrl::tabSizeHint(int index) const
{
    if (m_bAutoWidth && m_nItemWidth > 0)
        return QSize(m_nItemWidth, PreferredHeight());
    return QSize(kPadLeft + kImageSize + kGap + qMin(TextWidth(index), kMaxLabelWidth) + kPadRight,
                 PreferredHeight());
}

QSize CPaneTabCtrl::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void CPaneTabCtrl::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    // The strip is opaque: whatever lies below it (the favorites label) does not show through.
    p.fillRect(rect(), palette().brush(QPalette::Window));
    const int nHover = underMouse() ? HitTest(mapFromGlobal(QCursor::pos())) : -1;
    const QList<int> edges = ItemEdges();
    const QRect rcTabs(0, 0, TabAreaRight(edges), height());
    p.setClipRect(rcTabs);
    for (int i = m_nFirstVisible; i < count(); ++i) {
        const QRect r(edges[i] - edges[m_nFirstVisible], 0, edges[i + 1] - edges[i], height());
        if (r.left() >= rcTabs.width())
            break;
        if (r.isEmpty())
            continue;
        const bool bSelected = i == m_nCurSel;
        QStyleOptionButton opt;
        opt.initFrom(this);
        opt.rect = r;
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        if (bSelected) {
            opt.state |= QStyle::State_Sunken | QStyle::State_On;
            p.drawPrimitive(QStyle::PE_PanelButtonCommand, opt);
        } else if (i == nHover) {
            opt.state |= QStyle::State_Raised | QStyle::State_MouseOver;
            p.drawPrimitive(QStyle::PE_PanelButtonCommand, opt);
        } else if (i + 1 < count() && i + 1 != m_nCurSel && i + 1 != nHover) {
            // Flat buttons are told apart by a thin separator.
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(r.right(), r.top() + 3, r.right(), r.bottom() - 3);
        }

        const int nShift = bSelected ? 1 : 0; // a pressed button's face moves down and right
        p.save();
        p.setClipRect(r.adjusted(1, 1, -1, -1), Qt::IntersectClip);
        const QPixmap image = m_pImages ? m_pImages->Pixmap(GetTabImage(i)) : QPixmap();
        if (!image.isNull())
            p.drawPixmap(r.left() + kPadLeft + nShift,
                         r.top() + (r.height() - kImageSize) / 2 + nShift, image);
        // A label wider than its button ends in an ellipsis.
        const QRect rcText = LabelRect(r, bSelected);
        p.setClipRect(rcText, Qt::IntersectClip);
        // The label of a pane whose page sleeps is greyed, as a disabled one.
        const bool bGrey = !isEnabled() || IsTabSleeping(i);
        p.setPen(
            palette().color(bGrey ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText));
        p.drawText(rcText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   fontMetrics().elidedText(GetTabLabel(i), Qt::ElideRight, rcText.width()));
        p.restore();

        if (hasFocus() && i == m_nCurFocus) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = r.adjusted(2, 2, -2, -2);
            p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
}

void CPaneTabCtrl::mousePressEvent(QMouseEvent* event)
{
    // The strip finds the tab itself: the bar would look where it puts the tabs, not where
    // the strip shows them.
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        const int nIndex = HitTest(event->position().toPoint());
        if (nIndex >= 0)
            emit closeRequested(nIndex);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    const int nIndex = HitTest(event->position().toPoint());
    if (nIndex >= 0 && nIndex != m_nCurSel) {
        m_nCurSel = nIndex;
        m_nCurFocus = nIndex;
        SyncCurrent();
        EnsureVisible(nIndex);
        update();
        emit selectionChanged();
    }
}

void CPaneTabCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTabBar::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    QCoreApplication::postEvent(window(), new CCommandEvent(ID_VIEW_REFRESH));
}

void CPaneTabCtrl::focusInEvent(QFocusEvent* event)
{
    QTabBar::focusInEvent(event);
    if (m_nCurSel != -1) {
        m_nCurFocus = m_nCurSel;
        update();
    }
}
