// SPDX-License-Identifier: GPL-3.0-or-later
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
    // A busy machine draws the page late: the taps go on for longer there.
    ASSERT_TRUE(WaitFor(
        [&] {
            QTest::mouseClick(QApplication::focusWidget(), Qt::LeftButton, {}, QPoint(20, 15));
            return Evaluate("document.activeElement && document.activeElement.id") == "q";
        },
        40000));
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

// A page with a text field, a link and text that is not a field.
class FrameFieldKeysTest : public FrameKeysTest
{
protected:
    using EngineWorkspaceTest::Pane;
    using EngineWorkspaceTest::Shows;
    using FrameKeysTest::Pane;
    using FrameKeysTest::Shows;

    void SetUp() override
    {
        FrameKeysTest::SetUp();
        m_server.SetHtml("/links.html",
                         "<html><head><title>Links</title></head><body>"
                         "<input id='q' value='typed'><p id='text'>Plain text</p>"
                         "<p><a id='link' href='b.html' style='font-size:40px'>B</a></p>"
                         "</body></html>");
        m_server.SetHtml("/b.html", "<html><head><title>B</title></head><body>B</body></html>");
        m_server.SetHtml("/c.html", "<html><head><title>C</title></head><body>C</body></html>");
    }
    // Shows the page with the focus in it and nothing of it focused, once the page takes
    // input.
    void ShowLinks()
    {
        m_pForm->NavigateActivePane(m_server.Url("/links.html"), false);
        ASSERT_TRUE(WaitFor([&] { return Shows("/links.html"); }));
        Pane()->Window()->setFocus();
        ASSERT_TRUE(WaitFor([&] { return PageHasFocus(); }));
        Blur();
        // It drops input until the page is drawn: tap until the field takes the focus.
        const QPoint pt = EngineWorkspaceTest::Center(Pane(), "q");
        ASSERT_TRUE(WaitFor([&] {
            QTest::mouseClick(Pane()->Browser()->PageView(), Qt::LeftButton, {}, pt);
            return Pane()->IsEditingText();
        }));
        Blur();
    }
    // Takes the focus from the page's field (the engine may give it back a moment later).
    void Blur()
    {
        auto* pControl = dynamic_cast<CWebEngineControl*>(Pane()->Browser());
        ASSERT_TRUE(WaitFor([&] {
            pControl->page()->runJavaScript("document.activeElement.blur()",
                                            QWebEngineScript::ApplicationWorld);
            QTest::qWait(100);
            return !Pane()->IsEditingText();
        }));
    }
    void Tap(const QString& id, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
    {
        QTest::mouseClick(Pane()->Browser()->PageView(), button, modifiers,
                          EngineWorkspaceTest::Center(Pane(), id));
    }
};

TEST_F(FrameFieldKeysTest, APageFieldKeepsItsEditingKeysAndTypedLetters)
{
    ShowLinks();
    // A plain "A" bound to Focus to Favorites.
    m_pFrame->m_keyAccelTable.SetEntry(0, 'A', ID_FOCUS_FAVORITES);
    m_pFrame->m_keyAccelTable.BuildAccelerators();
    EXPECT_FALSE(Pane()->IsEditingText());
    Tap("q", Qt::LeftButton, {});
    ASSERT_TRUE(WaitFor([&] { return Pane()->IsEditingText(); }));
    ASSERT_EQ(Evaluate("document.activeElement.id"), "q");
    CCommandLog spy(m_pFrame.get());

    // Ctrl+A selects the field's text, and the letter is typed over it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] {
        return Evaluate("var q = document.getElementById('q'); "
                        "q.selectionStart + ',' + q.selectionEnd") == "0,5";
    }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    EXPECT_TRUE(WaitFor([&] { return Evaluate("document.getElementById('q').value") == "a"; }));
    // Ctrl+Z undoes the typing in the field and closes no pane.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return Evaluate("document.getElementById('q').value") == "typed"; }));
    EXPECT_EQ(spy.ids, QList<int>{});
    EXPECT_TRUE(PageHasFocus());
    EXPECT_EQ(PaneCount(), 1);

    // Out of the field the bindings rule again.
    Tap("text", Qt::LeftButton, {});
    ASSERT_TRUE(WaitFor([&] { return !Pane()->IsEditingText(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    EXPECT_EQ(spy.ids, QList<int>{ID_FOCUS_FAVORITES});
}

TEST_F(FrameFieldKeysTest, APageCannotPretendToHaveAFieldFocused)
{
    ShowLinks();
    Evaluate("console.info('nuvBrowser editing 0000000000000000 1')");
    for (int i = 0; i < 3; ++i)
        QTest::qWait(50);
    EXPECT_FALSE(Pane()->IsEditingText());
}

TEST_F(FrameFieldKeysTest, LinksWithTheMiddleButtonOrCtrlOpenBehindAndCtrlShiftInFront)
{
    m_app.ViewNewActive = 1;
    ShowLinks();
    CHtmlPane* pFirst = Pane();
    const struct
    {
        const char* name;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        bool bFront;
    } cases[] = {
        {"middle click", Qt::MiddleButton, {}, false},
        {"Ctrl+click", Qt::LeftButton, Qt::ControlModifier, false},
        {"Ctrl+Shift+click", Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_pForm->SelectPane(0);
        ASSERT_TRUE(WaitFor([&] { return m_pForm->GetActivePane() == pFirst && PageHasFocus(); }));
        const int nPanes = PaneCount();
        Tap("link", c.button, c.modifiers);
        ASSERT_TRUE(WaitFor([&] { return PaneCount() == nPanes + 1; }));
        QTest::keyRelease(m_pFrame->windowHandle(), Qt::Key_Control);
        CHtmlPane* pNew = Pane(nPanes);
        ASSERT_NE(pNew, nullptr);
        EXPECT_TRUE(WaitFor([&] { return Shows(pNew, "/b.html"); }));
        EXPECT_EQ(m_pForm->GetActivePane(), c.bFront ? pNew : pFirst);
        EXPECT_TRUE(Shows(pFirst, "/links.html")) << "the page itself stays";
    }
}

TEST_F(FrameFieldKeysTest, TheMouseBackButtonGoesOnePageBack)
{
    for (const char* path : {"/b.html", "/c.html", "/links.html"}) {
        m_pForm->NavigateActivePane(m_server.Url(path), false);
        ASSERT_TRUE(WaitFor([&] { return Shows(path); }));
    }
    CCommandLog spy(m_pFrame.get());
    QWidget* pView = Pane()->Browser()->PageView();
    const QPoint pt(200, 300);
    QTest::mouseClick(pView, Qt::BackButton, {}, pt);
    EXPECT_TRUE(WaitFor([&] { return Shows("/c.html"); }));
    // Only the frame's command went back: the page did not go back a second time.
    for (int i = 0; i < 10; ++i)
        QTest::qWait(50);
    EXPECT_TRUE(Shows("/c.html")) << Pane()->GetAddress().toStdString();
    QTest::mouseClick(pView, Qt::ForwardButton, {}, pt);
    EXPECT_TRUE(WaitFor([&] { return Shows("/links.html"); }));
    EXPECT_EQ(spy.ids, (QList<int>{ID_GO_BACK, ID_GO_FORWARD}));
}

} // namespace
