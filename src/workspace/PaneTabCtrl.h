// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/PaneHost.h"

#include <QHash>
#include <QString>
#include <QTabBar>

class CImageList;
class QHelpEvent;
class QToolButton;
class CPaneWnd;

// The item data of a pane's tab: the pane it shows and the pane's title. The strip owns it.
struct PaneTabRecord
{
    CPaneWnd* pPane = nullptr;
    QString strTitle;
    bool bSleeping = false; // the pane's page sleeps: its label is greyed
};

// The workspace's tab strip: one flat button per pane, numbered with the digit of the
// Ctrl+digit key that selects it. When the favorites are not a panel, tab 0 is the favorites
// tab; it has no record and the strip never labels it.
//
// Tabs that do not fit scroll by whole tabs, as a desktop tab control does: the first tab
// shown starts at the left edge, two arrows at the right edge move one tab on or back, and
// choosing a tab scrolls it into view.
//
// The selection is the strip's own and may be -1 (no tab selected) while there are tabs.
// Changing it from code never notifies; a user's choice of a tab (mouse, keys) emits
// selectionChanged. A double tap posts the Refresh command to the top-level window.
class CPaneTabCtrl : public QTabBar, public IPaneTabs
{
    Q_OBJECT
public:
    static constexpr int kImageFavorites = 6;
    // The widest a tab grows for its label (unless the tabs share a fixed width).
    static constexpr int kMaxTabWidth = 220;

    explicit CPaneTabCtrl(QWidget* parent = nullptr);
    ~CPaneTabCtrl() override;

    // Adds a tab for the pane at the index (at the end for -1 or an index beyond it); it is
    // selected when bSelect is set, otherwise the selection stays on the tab it was on (also
    // when there was none). The tabs after it are numbered anew. Returns the new index, -1 on
    // failure.
    int AddTab(CPaneWnd* pPane, bool bSelect, int nIndex = -1);
    // Deletes the tab and its record, then relabels all tabs and updates the widths.
    void RemoveTab(int nIndex) override;
    PaneTabRecord* GetTabRecord(int nIndex) const;
    CPaneWnd* GetTabPane(int nIndex) const;
    int FindTab(const CPaneWnd* pPane) const override;
    // The record's title; empty when the tab has no record (GetTabRecord tells the two apart).
    QString GetTabTitle(int nIndex) const override;
    void SetTabTitle(int nIndex, const QString& title) override;
    void SetTabSleeping(int nIndex, bool bSleeping) override;
    bool IsTabSleeping(int nIndex) const;
    void RelabelAll();

    // A tab without a record (the favorites tab), inserted and deleted as it stands: no
    // relabelling, no width update. Deleting a tab that has a record frees the record.
    int InsertItem(int nIndex, const QString& text, int nImage);
    bool DeleteItem(int nIndex);

    void SetFavoritesPanel(bool bPanel) { m_bFavoritesPanel = bPanel; }
    bool IsFavoritesPanel() const { return m_bFavoritesPanel; }

    void SetAvailableWidth(int nWidth);
    int GetAvailableWidth() const { return m_nAvailWidth; }
    void SetAutoWidth(bool bOn);
    bool IsAutoWidth() const { return m_bAutoWidth; }
    void UpdateTabWidths();

    int GetCurSel() const { return m_nCurSel; }
    // Selects the tab (-1: none) without a notification; an index beyond the last tab
    // changes nothing.
    void SetCurSel(int nIndex) override;
    int GetCurFocus() const { return m_nCurFocus; }
    void SetCurFocus(int nIndex);

    // The images of the tabs; the list must outlive the strip.
    void SetImageList(const CImageList* pImages);
    void SetTabImage(int nIndex, int nImage) override;
    int GetTabImage(int nIndex) const;
    // The tab's whole label ("N : title"); a pane tab's tool tip is its whole title.
    QString GetTabLabel(int nIndex) const;
    // The label as the tab shows it: a label too long for its tab (kMaxTabWidth, or the
    // shared fixed width) is cut short at its end with an ellipsis.
    QString GetShownLabel(int nIndex) const;
    // Where the tab is shown, in the strip's coordinates (left of the strip when scrolled
    // away); empty without a tab.
    QRect GetItemRect(int nIndex) const;
    // The tab shown at the point; -1 for none (also on the scroll arrows).
    int HitTest(const QPoint& pt) const;
    // The first tab shown: tabs that do not fit scroll by whole tabs.
    int GetFirstVisible() const { return m_nFirstVisible; }

    // The height the strip needs for its labels and images.
    int PreferredHeight() const;

    // The label for a pane tab: "%d : %s", "0 : %s" for number 10, "* : %s" above.
    static QString FormatLabel(int nNumber, const QString& title);

signals:
    // The user chose another tab.
    void selectionChanged();
    // A middle click on a tab: the user wants its pane closed.
    void closeRequested(int nIndex);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void tabLayoutChange() override;

private:
    // Where a tab's label is drawn inside its button.
    static QRect LabelRect(const QRect& rcItem, bool bSelected);
    bool ShowToolTip(const QHelpEvent* event);
    void SetItemData(int nIndex, PaneTabRecord* pRecord, int nImage);
    void RelabelTab(int nIndex);
    void SetLabel(int nIndex, const QString& label);
    // The width of a tab's text, measured once per text and font: the bar lays out every tab
    // whenever one changes.
    int TextWidth(int nIndex) const;
    void SyncCurrent();
    void Relayout();
    void handleCurrentChanged(int nIndex);
    // Left edges of the tabs as if unscrolled, and the end of the last one (count + 1 values).
    // Kept until a tab, a text, a width or the font changes.
    const QList<int>& ItemEdges() const;
    void InvalidateEdges() { m_edges.clear(); }
    int TabAreaRight(const QList<int>& edges) const;
    void UpdateScroll();
    void EnsureVisible(int nIndex);
    void ScrollBy(int nTabs);

    bool m_bFavoritesPanel = false;
    int m_nAvailWidth = 0;
    bool m_bAutoWidth = false;

    int m_nCurSel = -1;
    int m_nCurFocus = -1;
    int m_nItemWidth = 0; // the shared width in auto-width mode
    int m_nSilent = 0;    // > 0 while the bar's own current-index changes are ours
    const CImageList* m_pImages = nullptr;
    int m_nFirstVisible = 0;
    QToolButton* m_btnScrollLeft = nullptr;
    QToolButton* m_btnScrollRight = nullptr;
    mutable QHash<QString, int> m_textWidths; // tab text (as the bar holds it) -> width
    mutable QList<int> m_edges;               // empty while stale
    mutable int m_nPreferredHeight = 0;       // 0 while stale
};
