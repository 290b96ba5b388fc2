// Keys typed into a page of the real workspace: the frame's keys run their commands, the rest
// reach the page.
#include "CommandLog.h"
#include "EngineWorkspace.h"
#include "TempHome.h"
#include "WaitFor.h"

#include "app/MainFrame.h"
#include "app/NuvBrowserApp.h"
#include "panes/HtmlPane.h"
#include "panes/webengine/FindBar.h"
#include "panes/webengine/WebEngineControl.h"
#include "res/Resource.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

#include <QApplication>
#include <QWebEngineScript>
#include <gtest/gtest.h>

#include <memory>

namespace {

class FrameKeysTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/form.html", "<html><head><title>Form</title></head><body>"
                                       "<form action='result.html'><input id='q' name='q'>"
                                       "</form></body></html>");
        m_server.SetHtml("/result.html", "<html><head><title>Result</title></head></html>");

        Open();
    }

    // The active pane.
    CHtmlPane* Pane() const { return qobject_cast<CHtmlPane*>(m_pForm->GetActivePane()); }
    bool Shows(const QString& path) const
    {
        return Pane() && !Pane()->IsNavigating() && Pane()->GetAddress() == m_server.Url(path);
    }
    // The page's widget has the keyboard focus.
    bool PageHasFocus() const
    {
        QWidget* pFocus = QApplication::focusWidget();
        QWidget* pPage = Pane() ? Pane()->Window() : nullptr;
        return pFocus && pPage && (pFocus == pPage || pPage->isAncestorOf(pFocus));
    }
    // The value of an expression in the page; "?" when there was no answer.
    QString Evaluate(const QString& script)
    {
        auto* pControl = dynamic_cast<CWebEngineControl*>(Pane()->Browser());
        auto value = std::make_shared<QVariant>();
        pControl->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                        [value](const QVariant& v) { *value = v; });
        WaitFor([&] { return value->isValid(); }, 2000);
        return value->isValid() ? value->toString() : QStringLiteral("?");
    }
    int Requests(const QString& line) const { return m_server.Requests().count(line); }
};

TEST_F(FrameKeysTest, PageKeysReachThePageAndFrameKeysRunCommands)
{
    m_pForm->NavigateActivePane(m_server.Url("/form.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows("/form.html"); }));
    Pane()->Window()->setFocus();
    ASSERT_TRUE(WaitFor([&] { return PageHasFocus(); }));
    // Into the text field, as the user does. The engine drops input until the page is
    // drawn, so tap until the field has the focus.
    ASSERT_TRUE(WaitFor([&] {
        QTest::mouseClick(QApplication::focusWidget(), Qt::LeftButton, {}, QPoint(20, 15));
        return Evaluate("document.activeElement && document.activeElement.id") == "q";
    }));
    // After a page from another process (the start page is a file) the engine also drops
    // keys for a moment: type until one arrives, then empty the field again.
    ASSERT_TRUE(WaitFor([&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
        return !Evaluate("document.getElementById('q').value").isEmpty();
    }));
    Evaluate("document.getElementById('q').value = ''");
    CCommandLog spy(m_pFrame.get());

    // Typing and Enter belong to the page: the form is sent with what was typed.
    QTest::keyClicks(QApplication::focusWidget(), "abc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return Shows("/result.html?q=abc"); }))
        << m_server.Requests().join(", ").toStdString();
    EXPECT_EQ(spy.ids, QList<int>{});

    // Esc stops, Shift+Esc loads the page again, Ctrl+N makes a new pane.
    ASSERT_TRUE(WaitFor([&] { return PageHasFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(spy.ids, QList<int>{ID_VIEW_STOP});

    const QString result = "GET /result.html?q=abc";
    const int nLoads = Requests(result);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(spy.ids, (QList<int>{ID_VIEW_STOP, ID_VIEW_REFRESH}));
    ASSERT_TRUE(WaitFor([&] { return Requests(result) == nLoads + 1; }));

    const int nPanes = PaneCount();
    ASSERT_TRUE(WaitFor([&] { return PageHasFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(spy.ids, (QList<int>{ID_VIEW_STOP, ID_VIEW_REFRESH, ID_FILE_NEW}));
    EXPECT_EQ(PaneCount(), nPanes + 1);
}

TEST_F(FrameKeysTest, TheFindBarKeepsEscAndEnter)
{
    m_pForm->NavigateActivePane(m_server.Url("/form.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows("/form.html"); }));
    Pane()->Window()->setFocus();
    ASSERT_TRUE(WaitFor([&] { return PageHasFocus(); }));
    CCommandLog spy(m_pFrame.get());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(spy.ids, QList<int>{ID_EDIT_FIND});
    CFindBar* pBar = dynamic_cast<CWebEngineControl*>(Pane()->Browser())->FindBar();
    ASSERT_NE(pBar, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), pBar->Field());

    // Enter searches; Esc closes the bar and neither stops the page nor reaches the frame.
    QTest::keyClicks(pBar->Field(), "Form");
    QTest::keyClick(pBar->Field(), Qt::Key_Return);
    QTest::keyClick(pBar->Field(), Qt::Key_Escape);
    EXPECT_EQ(spy.ids, QList<int>{ID_EDIT_FIND});
    EXPECT_FALSE(pBar->isVisible());
    EXPECT_TRUE(PageHasFocus());
}

} // namespace
