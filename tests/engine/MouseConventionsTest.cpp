// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's mouse conventions in a page: the back and forward buttons move in the
// history, Ctrl with the wheel changes the page's size.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/webengine/WebEngineControl.h"

#include <QApplication>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

class MouseConventionsTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/a.html", "<html><head><title>A</title></head><body>A</body></html>");
        m_server.SetHtml("/b.html", "<html><head><title>B</title></head><body>B</body></html>");
        m_host.m_main.resize(800, 600);
        m_host.m_form.resize(800, 600);
        m_host.m_main.show();
        m_pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        m_pControl = dynamic_cast<CWebEngineControl*>(m_pPane->Browser());
        ASSERT_NE(m_pControl, nullptr);
        m_pControl->resize(780, 560);
        m_pControl->show();
        Load("/a.html");
        Load("/b.html");
    }
    void Load(const QString& path)
    {
        ASSERT_TRUE(m_pPane->Navigate(m_server.Url(path), false, true));
        ASSERT_TRUE(WaitFor([&] { return Shows(path); }, 30000));
    }
    bool Shows(const QString& path) const
    {
        return !m_pPane->IsNavigating() && m_pPane->GetAddress() == m_server.Url(path);
    }
    // The widget the engine renders into takes the mouse.
    QWidget* Surface() const { return m_pControl->focusProxy(); }
    void ExtraButton(Qt::MouseButton button)
    {
        QWidget* pSurface = Surface();
        ASSERT_NE(pSurface, nullptr);
        const QPointF pt(100, 100);
        QMouseEvent press(QEvent::MouseButtonPress, pt, pSurface->mapToGlobal(pt), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(pSurface, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, pt, pSurface->mapToGlobal(pt), button,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pSurface, &release);
    }

    CFakePaneHost m_host;
    CHtmlPane* m_pPane = nullptr;
    CWebEngineControl* m_pControl = nullptr;
};

TEST_F(MouseConventionsTest, BackAndForwardButtonsMoveInTheHistory)
{
    ExtraButton(Qt::BackButton);
    EXPECT_TRUE(WaitFor([&] { return Shows("/a.html"); }, 30000))
        << m_pPane->GetAddress().toStdString();
    ExtraButton(Qt::ForwardButton);
    EXPECT_TRUE(WaitFor([&] { return Shows("/b.html"); }, 30000))
        << m_pPane->GetAddress().toStdString();
}

TEST_F(MouseConventionsTest, CtrlWheelChangesThePageSize)
{
    QWidget* pSurface = Surface();
    ASSERT_NE(pSurface, nullptr);
    const qreal before = m_pControl->page()->zoomFactor();
    const QPointF pt(100, 100);
    for (int nDelta : {120, -120}) {
        SCOPED_TRACE(nDelta);
        const qreal start = m_pControl->page()->zoomFactor();
        QWheelEvent wheel(pt, pSurface->mapToGlobal(pt), QPoint(), QPoint(0, nDelta), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pSurface, &wheel);
        EXPECT_TRUE(WaitFor(
            [&] {
                const qreal now = m_pControl->page()->zoomFactor();
                return nDelta > 0 ? now > start : now < start;
            },
            10000))
            << m_pControl->page()->zoomFactor();
    }
    EXPECT_NEAR(m_pControl->page()->zoomFactor(), before, 0.01);
}

} // namespace
