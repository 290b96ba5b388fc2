// SPDX-License-Identifier: GPL-3.0-or-later
// The dark scheme on the real engine: pages are told prefers-color-scheme: dark, and our own
// notices take the program's palette. The engine reads its flags once per process, at its
// start: every case runs as a process of its own (as ctest runs them).
#include "EngineWorkspace.h"

#include "options/ColorScheme.h"
#include "panes/webengine/NoticePage.h"

#include <QApplication>

#include <csignal>

namespace {

class ColorSchemeEngineTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_savedFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        m_server.SetHtml("/scheme.html",
                         "<html><head><title>Scheme</title><style>"
                         "body{background:white}"
                         "@media (prefers-color-scheme: dark){body{background:black}}"
                         "</style></head><body>text</body></html>");
    }
    void TearDown() override
    {
        EngineWorkspaceTest::TearDown();
        NuvColorScheme::ApplyToWidgets(ColorScheme::Light);
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", m_savedFlags);
    }
    // Opens the scheme page in the first pane, under the scheme the program would give.
    void OpenUnder(ColorScheme scheme)
    {
        NuvColorScheme::ApplyToWidgets(scheme);
        NuvColorScheme::ApplyToEngine(scheme);
        Open();
        if (HasFatalFailure())
            return;
        m_pForm->NavigateActivePane(m_server.Url("/scheme.html"), false);
        ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/scheme.html"); }));
    }
    QByteArray m_savedFlags;
};

TEST_F(ColorSchemeEngineTest, DarkSchemeReachesPagesAndTheNotices)
{
    OpenUnder(ColorScheme::Dark);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Evaluate(Pane(0), "String(matchMedia('(prefers-color-scheme: dark)').matches)"),
              "true");
    EXPECT_EQ(Evaluate(Pane(0), "getComputedStyle(document.body).backgroundColor"), "rgb(0, 0, 0)");

    // The notice of a page whose process ended is painted in the program's colours.
    const CExpectQtWarning killed("Render process");
    auto* pControl = dynamic_cast<CWebEngineControl*>(Pane(0)->Browser());
    ASSERT_NE(pControl, nullptr);
    const qint64 pid = pControl->page()->renderProcessPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    ASSERT_TRUE(WaitFor([&] { return pControl->Notice() != nullptr; }));
    auto* pNotice = const_cast<CNoticePage*>(pControl->Notice());
    const QImage shot = pNotice->grab().toImage();
    const QColor background = shot.pixelColor(5, 5);
    EXPECT_EQ(background, QApplication::palette().color(QPalette::Base));
    EXPECT_LT(background.lightness(), 80);
}

TEST_F(ColorSchemeEngineTest, LightSchemeLeavesPagesLight)
{
    OpenUnder(ColorScheme::Light);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Evaluate(Pane(0), "String(matchMedia('(prefers-color-scheme: dark)').matches)"),
              "false");
}
} // namespace
