// SPDX-License-Identifier: GPL-3.0-or-later
// The find bar of a page on the real engine: it searches its own page as the user types,
// steps through the matches, counts them, stays out of the page's way and closes on Esc.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/webengine/FindBar.h"
#include "panes/webengine/WebEngineControl.h"

#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class FindBarTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/fruit.html", "<html><head><title>Fruit</title></head><body>"
                                        "<p>apple pear</p><p>apple plum</p><p>an apple</p>"
                                        "</body></html>");
        m_server.SetHtml("/other.html", "<html><head><title>Other</title></head><body>"
                                        "<p>apple</p></body></html>");
        m_host.m_main.resize(800, 600);
        m_host.m_main.show();
    }

    CHtmlPane* PaneOn(const QString& path)
    {
        auto* pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        pPane->Window()->resize(600, 400);
        const QString url = m_server.Url(path);
        pPane->Navigate(url, false, true);
        EXPECT_TRUE(WaitFor([&] { return !pPane->IsNavigating() && pPane->GetAddress() == url; }));
        return pPane;
    }

    static CFindBar* BarOf(CHtmlPane* pPane)
    {
        return dynamic_cast<CWebEngineControl*>(pPane->Browser())->FindBar();
    }

    static void Type(QWidget* pWnd, Qt::Key key, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(pWnd, key, mods);
    }

    CFakePaneHost m_host;
};

TEST_F(FindBarTest, FindsStepsCountsAndCloses)
{
    CHtmlPane* pPane = PaneOn("/fruit.html");
    pPane->Find();
    CFindBar* pBar = BarOf(pPane);
    ASSERT_NE(pBar, nullptr);
    ASSERT_TRUE(pBar->isVisible());
    QLineEdit* pField = pBar->Field();

    // The bar sits below the page, not over it.
    QWidget* pPage = pPane->Browser()->PageView();
    const QRect page(pPage->mapTo(pPane->Window(), QPoint(0, 0)), pPage->size());
    EXPECT_LE(page.bottom(), pBar->geometry().top());
    EXPECT_EQ(pBar->geometry().bottom(), pPane->Window()->height() - 1);

    const struct
    {
        const char* step;
        std::function<void()> act;
        const char* status;
    } steps[] = {
        {"typing", [&] { QTest::keyClicks(pField, "apple"); }, "1 of 3"},
        {"Enter", [&] { Type(pField, Qt::Key_Return); }, "2 of 3"},
        {"Enter again", [&] { Type(pField, Qt::Key_Return); }, "3 of 3"},
        {"Shift+Enter", [&] { Type(pField, Qt::Key_Return, Qt::ShiftModifier); }, "2 of 3"},
        {"a word that is not there", [&] { QTest::keyClicks(pField, "zzz"); }, "No matches"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        EXPECT_TRUE(WaitFor([&] { return pBar->Status() == s.status; }))
            << pBar->Status().toStdString();
    }

    // Esc closes the bar, the page takes its whole window again and the marks go.
    Type(pField, Qt::Key_Escape);
    EXPECT_FALSE(pBar->isVisible());
    EXPECT_EQ(pPage->height(), pPane->Window()->height());
    EXPECT_EQ(pBar->Status(), "");

    // Opened again, it searches its text at once.
    pField->setText("pear");
    pPane->Find();
    EXPECT_TRUE(WaitFor([&] { return pBar->Status() == "1 of 1"; }));
    EXPECT_EQ(QApplication::focusWidget(), pField);
}

TEST_F(FindBarTest, EachPageSearchesItself)
{
    CHtmlPane* pFirst = PaneOn("/fruit.html");
    CHtmlPane* pSecond = PaneOn("/other.html");
    pFirst->Find();
    QTest::keyClicks(BarOf(pFirst)->Field(), "apple");
    ASSERT_TRUE(WaitFor([&] { return BarOf(pFirst)->Status() == "1 of 3"; }));

    // The second pane in front: its own bar, its own page.
    pFirst->Deactivate();
    pSecond->Activate(true);
    pSecond->Find();
    EXPECT_FALSE(BarOf(pFirst)->isVisible());
    QTest::keyClicks(BarOf(pSecond)->Field(), "apple");
    EXPECT_TRUE(WaitFor([&] { return BarOf(pSecond)->Status() == "1 of 1"; }));
}

} // namespace
