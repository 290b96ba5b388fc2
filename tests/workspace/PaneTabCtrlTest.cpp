// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLog.h"

#include "workspace/PaneTabCtrl.h"

#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <array>

namespace {
// The strip only stores and compares pane pointers; these stand for panes.
struct FakePanes
{
    alignas(16) std::array<char, 16 * 16> bytes{};
    CPaneWnd* operator[](int i) { return reinterpret_cast<CPaneWnd*>(bytes.data() + 16 * i); }
};

// The widest label a tab shows whole: the widest tab less its image and margins.
const int kLongestWholeLabel = CPaneTabCtrl::kMaxTabWidth - 24;

class PaneTabCtrlTest : public ::testing::Test
{
protected:
    CPaneTabCtrl strip;
    FakePanes panes;

    void SetUp() override
    {
        strip.resize(900, strip.PreferredHeight());
        strip.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    }
    // n pane tabs titled p0, p1, ...; the favorites tab first unless it is a panel.
    void Fill(int n, bool bPanel)
    {
        strip.SetFavoritesPanel(bPanel);
        if (!bPanel)
            strip.InsertItem(0, QStringLiteral("1 : Favorites"), CPaneTabCtrl::kImageFavorites);
        for (int i = 0; i < n; ++i) {
            const int nTab = strip.AddTab(panes[i], true);
            strip.SetTabTitle(nTab, QStringLiteral("p%1").arg(i));
        }
    }
    QStringList Labels() const
    {
        QStringList out;
        for (int i = 0; i < strip.count(); ++i)
            out << strip.GetTabLabel(i);
        return out;
    }
};

TEST_F(PaneTabCtrlTest, PaneNumbersAreTheSameInBothModes)
{
    const QStringList expected = {"2 : p0", "3 : p1", "4 : p2", "5 : p3", "6 : p4", "7 : p5",
                                  "8 : p6", "9 : p7", "0 : p8", "* : p9", "* : p10"};
    for (bool bPanel : {true, false}) {
        SCOPED_TRACE(bPanel ? "panel" : "favorites tab");
        while (strip.count() > 0)
            strip.RemoveTab(0);
        Fill(11, bPanel);
        QStringList labels = Labels();
        if (!bPanel) {
            EXPECT_EQ(labels.takeFirst(), "1 : Favorites");
            EXPECT_EQ(strip.GetTabRecord(0), nullptr);
            EXPECT_EQ(strip.GetTabImage(0), CPaneTabCtrl::kImageFavorites);
        }
        EXPECT_EQ(labels, expected);
        strip.RelabelAll();
        EXPECT_EQ(Labels().mid(bPanel ? 0 : 1), expected);
    }
}

TEST_F(PaneTabCtrlTest, RecordsTitlesAndRenumbering)
{
    Fill(4, true);
    EXPECT_EQ(strip.FindTab(panes[2]), 2);
    EXPECT_EQ(strip.GetTabPane(3), panes[3]);
    EXPECT_EQ(strip.FindTab(panes[9]), -1);

    strip.RemoveTab(1);
    EXPECT_EQ(Labels(), QStringList({"2 : p0", "3 : p2", "4 : p3"}));
    EXPECT_EQ(strip.FindTab(panes[1]), -1);
    EXPECT_EQ(strip.FindTab(panes[3]), 2);

    // A null title is the empty title; "&" is shown as it is and claims no Alt key.
    strip.SetTabTitle(0, QString());
    strip.SetTabTitle(1, QStringLiteral("Q&A"));
    EXPECT_EQ(Labels(), QStringList({"2 : ", "3 : Q&A", "4 : p3"}));
    EXPECT_EQ(strip.GetTabTitle(1), "Q&A");

    // Indexes without a tab: lookups answer null, nothing else changes.
    EXPECT_EQ(strip.GetTabRecord(7), nullptr);
    EXPECT_EQ(strip.GetTabPane(-1), nullptr);
    EXPECT_EQ(strip.GetTabTitle(7), QString());
    strip.SetTabTitle(7, QStringLiteral("x"));
    strip.RemoveTab(7);
    EXPECT_EQ(strip.count(), 3);

    // A new tab shows nothing until its title is set; the others keep their numbers.
    strip.AddTab(panes[5], false);
    EXPECT_EQ(strip.GetTabLabel(3), QString());
    EXPECT_EQ(strip.GetTabImage(3), 0);
    strip.SetTabImage(3, 5);
    EXPECT_EQ(strip.GetTabImage(3), 5);
}

TEST_F(PaneTabCtrlTest, TabWidthsFollowTheirLabelsAndTheFont)
{
    Fill(12, true);
    // Every tab is its label's width (up to the longest label shown whole) plus the same
    // padding, and the tabs lie side by side.
    auto expectWidthsFitLabels = [&](const char* step) {
        SCOPED_TRACE(step);
        const QFontMetrics fm = strip.fontMetrics();
        const auto labelWidth = [&](int i) {
            return qMin(fm.horizontalAdvance(strip.GetTabLabel(i)), kLongestWholeLabel);
        };
        const int nPad = strip.GetItemRect(0).width() - labelWidth(0);
        EXPECT_GT(nPad, 0);
        for (int i = 0; i < strip.count(); ++i) {
            const QRect r = strip.GetItemRect(i);
            EXPECT_EQ(r.width() - labelWidth(i), nPad) << "tab " << i;
            if (i > 0) {
                EXPECT_EQ(r.left(), strip.GetItemRect(i - 1).right() + 1) << "tab " << i;
            }
        }
    };
    expectWidthsFitLabels("filled");
    strip.SetTabTitle(3, QStringLiteral("a much longer title than the others"));
    expectWidthsFitLabels("a title grew");
    strip.RemoveTab(0); // renumbers the first ten
    expectWidthsFitLabels("a tab went");
    QFont font = strip.font();
    font.setPointSizeF(font.pointSizeF() * 2);
    strip.setFont(font);
    expectWidthsFitLabels("a larger font");
    strip.AddTab(panes[12], true);
    strip.SetTabTitle(strip.count() - 1, QStringLiteral("p1")); // a label seen before
    expectWidthsFitLabels("a tab came");
}

TEST_F(PaneTabCtrlTest, LongTitlesAreCutShortAndWholeInTheToolTip)
{
    strip.resize(1000, strip.height());
    const QString longTitle = QStringLiteral(
        "The Python Standard Library \u2014 Python 3.11.2 documentation, with every chapter");
    Fill(4, true);
    for (int i : {0, 1, 3})
        strip.SetTabTitle(i, longTitle + QString::number(i));
    strip.SetCurSel(1);

    const QFontMetrics fm = strip.fontMetrics();
    ASSERT_GT(fm.horizontalAdvance(strip.GetTabLabel(0)), 1.5 * CPaneTabCtrl::kMaxTabWidth);
    for (int i = 0; i < strip.count(); ++i) {
        SCOPED_TRACE(i);
        const QString label = strip.GetTabLabel(i);
        const QString shown = strip.GetShownLabel(i);
        EXPECT_EQ(label, CPaneTabCtrl::FormatLabel(i + 2, strip.GetTabTitle(i)));
        EXPECT_EQ(strip.tabToolTip(i), strip.GetTabTitle(i)) << "the whole title";
        if (i == 2) {
            EXPECT_EQ(shown, label) << "a short label is shown whole";
            continue;
        }
        EXPECT_TRUE(shown.startsWith(QStringLiteral("%1 : The Python").arg(i + 2)))
            << qPrintable(shown);
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << qPrintable(shown);
        EXPECT_LE(fm.horizontalAdvance(shown), kLongestWholeLabel + 4);
        EXPECT_EQ(strip.GetItemRect(i).width(), CPaneTabCtrl::kMaxTabWidth);
    }
    // All four fit: the strip does not scroll.
    EXPECT_LE(strip.GetItemRect(3).right(), strip.width());
    for (QToolButton* b : strip.findChildren<QToolButton*>())
        EXPECT_FALSE(b->isVisible());

    // The tool tip is the title of the tab under the pointer.
    const QPoint pt = strip.GetItemRect(3).center();
    QHelpEvent help(QEvent::ToolTip, pt, strip.mapToGlobal(pt));
    QApplication::sendEvent(&strip, &help);
    EXPECT_EQ(QToolTip::text(), longTitle + "3");
    QToolTip::hideText();
}

TEST_F(PaneTabCtrlTest, SelectionMayBeNoneAndOnlyTheUserNotifies)
{
    QSignalSpy changed(&strip, &CPaneTabCtrl::selectionChanged);
    strip.SetFavoritesPanel(true);

    strip.AddTab(panes[0], false);
    EXPECT_EQ(strip.GetCurSel(), -1) << "no selection while a tab exists";
    EXPECT_EQ(strip.GetCurFocus(), 0);
    strip.AddTab(panes[1], true);
    EXPECT_EQ(strip.GetCurSel(), 1);
    strip.AddTab(panes[2], false);
    EXPECT_EQ(strip.GetCurSel(), 1);
    EXPECT_EQ(strip.GetCurFocus(), 2);

    strip.InsertItem(0, QStringLiteral("1 : Favorites"), CPaneTabCtrl::kImageFavorites);
    EXPECT_EQ(strip.GetCurSel(), 2);
    strip.DeleteItem(0);
    EXPECT_EQ(strip.GetCurSel(), 1);

    strip.SetCurSel(5);
    EXPECT_EQ(strip.GetCurSel(), 1) << "an index without a tab changes nothing";
    strip.SetCurSel(0);
    EXPECT_EQ(strip.GetCurSel(), 0);
    strip.RemoveTab(1);
    EXPECT_EQ(strip.GetCurSel(), 0) << "a later tab removed";
    strip.RemoveTab(0);
    EXPECT_EQ(strip.GetCurSel(), -1) << "the selected tab removed";
    EXPECT_EQ(strip.count(), 1);
    EXPECT_EQ(changed.count(), 0);

    // A tap on the only tab selects it, although the bar itself had it current already.
    QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.tabRect(0).center());
    EXPECT_EQ(strip.GetCurSel(), 0);
    EXPECT_EQ(changed.count(), 1);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.tabRect(0).center());
    EXPECT_EQ(changed.count(), 1) << "tapping the selected tab changes nothing";

    strip.AddTab(panes[3], false);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.tabRect(1).center());
    EXPECT_EQ(strip.GetCurSel(), 1);
    EXPECT_EQ(changed.count(), 2);

    // The focus mark moves to the selected tab when the strip gets the focus.
    strip.SetCurFocus(0);
    strip.setFocus();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&strip, &focusIn);
    EXPECT_EQ(strip.GetCurFocus(), 1);
}

TEST_F(PaneTabCtrlTest, AutoWidthSharesTheAvailableWidth)
{
    Fill(4, true);
    strip.SetTabTitle(0, QStringLiteral("a much longer title than the others"));
    EXPECT_GT(strip.tabRect(0).width(), strip.tabRect(1).width()) << "labels size the tabs";

    strip.SetAvailableWidth(320);
    EXPECT_EQ(strip.GetAvailableWidth(), 300);
    strip.SetAutoWidth(true);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(strip.tabRect(i).width(), 65) << i;
    EXPECT_TRUE(strip.GetShownLabel(0).endsWith(QChar(0x2026))) << "cut short in a shared width";
    strip.AddTab(panes[4], false);
    EXPECT_EQ(strip.tabRect(4).width(), 50);

    strip.SetAutoWidth(false);
    EXPECT_GT(strip.tabRect(0).width(), strip.tabRect(1).width());
}

TEST_F(PaneTabCtrlTest, DoubleTapPostsRefreshToTheWindow)
{
    Fill(2, true);
    CCommandLog commands(strip.window());
    QTest::mouseDClick(&strip, Qt::LeftButton, {}, QPoint(strip.width() - 5, 5));
    EXPECT_TRUE(commands.ids.isEmpty()) << "posted, not sent";
    QCoreApplication::processEvents();
    EXPECT_EQ(commands.ids, QList<int>({32787}));
}
} // namespace

namespace {
// The strip's scroll arrows, left first.
QList<QToolButton*> ScrollArrows(const CPaneTabCtrl& strip)
{
    QList<QToolButton*> arrows;
    for (Qt::ArrowType type : {Qt::LeftArrow, Qt::RightArrow})
        for (QToolButton* b : strip.findChildren<QToolButton*>())
            if (b->isVisible() && b->arrowType() == type)
                arrows << b;
    return arrows;
}

TEST_F(PaneTabCtrlTest, ScrolledStripShowsWholeTabs)
{
    strip.resize(230, strip.PreferredHeight());
    Fill(12, true);
    const QList<QToolButton*> arrows = ScrollArrows(strip);
    ASSERT_EQ(arrows.size(), 2) << "the tabs do not fit: the strip scrolls";
    const int nTabsEnd = qMin(arrows[0]->x(), arrows[1]->x());

    // Whatever is selected, no tab is cut at the left, the selected one is whole, and a tap
    // on a tab that is shown chooses that tab.
    auto expectWholeTabs = [&](const char* step) {
        SCOPED_TRACE(step);
        int nFirst = -1;
        for (int i = 0; i < strip.count(); ++i) {
            const QRect r = strip.GetItemRect(i);
            if (r.right() < 0 || r.left() >= nTabsEnd)
                continue;
            EXPECT_GE(r.left(), 0) << "tab " << i << " is cut";
            if (nFirst < 0)
                nFirst = i;
        }
        const QRect rSel = strip.GetItemRect(strip.GetCurSel());
        EXPECT_GE(rSel.left(), 0);
        EXPECT_LE(rSel.right(), nTabsEnd - 1) << "the selected tab is whole";
        return nFirst;
    };
    for (int nSel : {11, 0, 6, 11, 3, 9}) {
        strip.SetCurSel(nSel);
        expectWholeTabs(qPrintable(QStringLiteral("selected %1").arg(nSel)));
    }
    strip.SetCurSel(11);
    const int nFirst = expectWholeTabs("last");
    ASSERT_GT(nFirst, 0);
    QSignalSpy changed(&strip, &CPaneTabCtrl::selectionChanged);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(2, strip.height() / 2));
    EXPECT_EQ(strip.GetCurSel(), nFirst) << "the tab at the left edge is the first one shown";
    EXPECT_EQ(changed.count(), 1);

    // The arrows scroll by whole tabs.
    QTest::mouseClick(arrows[0], Qt::LeftButton);
    EXPECT_EQ(expectWholeTabs("one back"), nFirst - 1);
    EXPECT_EQ(strip.GetItemRect(nFirst - 1).left(), 0);
    QTest::mouseClick(arrows[1], Qt::LeftButton);
    EXPECT_EQ(expectWholeTabs("one on"), nFirst);
    EXPECT_EQ(strip.GetItemRect(nFirst).left(), 0);

    // A new tab gets its title after it was chosen: the longer label is shown whole too.
    const int nNew = strip.AddTab(panes[12], true);
    expectWholeTabs("new tab");
    strip.SetTabTitle(nNew, QStringLiteral("a longer title"));
    expectWholeTabs("titled");

    // Wide enough again: everything is shown from the first tab on, without arrows.
    strip.resize(2000, strip.height());
    EXPECT_TRUE(ScrollArrows(strip).isEmpty());
    EXPECT_EQ(strip.GetItemRect(0).left(), 0);
}
} // namespace
