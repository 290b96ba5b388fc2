// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt WebEngine control against a loopback server: the events it raises and in what
// order, and the panes on top of it.
#include "EngineFixture.h"
#include "EventLog.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/BrowserControlFactory.h"
#include "panes/HtmlPane.h"
#include "panes/webengine/WebEngineControl.h"
#include "panes/webengine/WebEngineFactory.h"
#include "panes/webengine/WebEngineProfile.h"
#include "platform/Paths.h"
#include "platform/RegistryStore.h"
#include "platform/SettingChangeNotifier.h"

#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <gtest/gtest.h>

#include <memory>

namespace {

class WebEngineControlTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/a.html", "<html><head><title>Page A</title></head><body>"
                                    "<a id='l' href='b.html'>to b</a></body></html>");
        m_server.SetHtml("/b.html", "<html><body>no title here</body></html>");
        m_server.SetRedirect("/moved.html", m_server.Url("/a.html"));
        m_server.SetHtml("/opener.html", "<html><head><title>Opener</title></head><body>"
                                         "</body></html>");
        m_server.SetHtml("/popup.html", "<html><head><title>Popup</title></head></html>");
    }

    static void RunScript(CWebEngineControl* pControl, const QString& script)
    {
        pControl->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
    }
    // The tests of the new-window events open windows from scripts, with nobody clicking:
    // the program's pages may not (see UserGestureTest).
    static void AllowScriptWindows(CWebEngineControl* pControl)
    {
        pControl->page()->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows,
                                                   true);
    }
};

TEST_F(WebEngineControlTest, NavigationEventsInOrder)
{
    CEventLog log;
    std::unique_ptr<CWebEngineControl> control(
        static_cast<CWebEngineControl*>(CreateWebEngineControl(nullptr)));
    control->resize(400, 300);
    control->SetEventSink(&log);
    EXPECT_EQ(control->ReadyState(), READYSTATE_UNINITIALIZED);

    // A scheme-less address is completed with http://.
    const QString a = m_server.Url("/a.html");
    ASSERT_TRUE(control->Navigate2(a.mid(7)));
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + a); }))
        << log.m_lines.join("\n").toStdString();
    EXPECT_EQ(control->ReadyState(), READYSTATE_COMPLETE);
    EXPECT_EQ(control->LocationURL(), a);
    EXPECT_TRUE(log.Has("Before " + a));
    // The full address comes first as the title, then the page's own; never the engine's
    // scheme-less stand-in.
    EXPECT_EQ(log.Titles(), (QStringList{"Address " + a, "Title Page A"}));
    const QStringList progress = log.Matching("Progress ");
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), "Progress 10000 10000");
    // The completion comes after the titles and the last progress.
    EXPECT_GT(log.m_lines.indexOf("Complete " + a), log.m_lines.indexOf("Title Page A"));

    // A followed link to a page without a title: its address is its only title.
    log.m_lines.clear();
    const QString b = m_server.Url("/b.html");
    RunScript(control.get(), "document.getElementById('l').click()");
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + b); }));
    EXPECT_TRUE(log.Has("Before " + b));
    EXPECT_EQ(log.Titles(), QStringList{"Address " + b});
    // Back is possible now: forward, back, then the update notice.
    EXPECT_EQ(log.Matching("Command "),
              (QStringList{"Command 1 0", "Command 2 1", "Command -1 0"}));

    // Back is a history navigation. (A page a script left without a user's gesture is
    // skipped by the engine's back, so go back to the linked page from a typed one.)
    control->Navigate2(a);
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + a); }));
    log.m_lines.clear();
    control->GoBack();
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + b); }));
    EXPECT_TRUE(log.Has("Before " + b + " history"));
    EXPECT_EQ(log.Titles(), QStringList{"Address " + b});
    EXPECT_EQ(log.Matching("Command ").last(), "Command -1 0");

    // A reload raises no BeforeNavigate2; a redirect is marked.
    log.m_lines.clear();
    control->Refresh();
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + b); }));
    EXPECT_TRUE(log.Matching("Before ").isEmpty());
    log.m_lines.clear();
    control->Navigate2(m_server.Url("/moved.html"));
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + a); }));
    EXPECT_TRUE(log.Has("Before " + a + " redirect"));

    // A mail address a script sets with nobody touching the page goes nowhere: the engine
    // asks about other programs' addresses only for the user's press or key.
    log.m_lines.clear();
    RunScript(control.get(), "location.href = 'mailto:someone@example.com'");
    QTest::qWait(500);
    EXPECT_TRUE(log.Matching("Before ").isEmpty());
    EXPECT_EQ(control->LocationURL(), a);
}

TEST_F(WebEngineControlTest, NewWindowAndClose)
{
    CEventLog log;
    std::unique_ptr<CWebEngineControl> control(
        static_cast<CWebEngineControl*>(CreateWebEngineControl(nullptr)));
    control->SetEventSink(&log);
    AllowScriptWindows(control.get());
    const QString opener = m_server.Url("/opener.html");
    control->Navigate2(opener);
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + opener); }));

    // A refused request gives the page no window: nothing is loaded for it.
    log.m_bRefuseNewWindows = true;
    RunScript(control.get(), "window.open('popup.html')");
    ASSERT_TRUE(WaitFor([&] { return log.Has("NewWindow"); }));
    QTest::qWait(300);
    EXPECT_FALSE(m_server.Requests().contains("GET /popup.html"));

    // Granted: the page loads into the control handed back.
    log.m_bRefuseNewWindows = false;
    RunScript(control.get(), "window.open('popup.html')");
    const QString popup = m_server.Url("/popup.html");
    ASSERT_TRUE(WaitFor([&] { return log.m_pNewLog && log.m_pNewLog->Has("Complete " + popup); }));
    EXPECT_EQ(log.m_pNewLog->Matching("Title ").last(), "Title Popup");

    // The window a script opened may close itself: the control reports it quits.
    RunScript(log.m_pNewControl.get(), "window.close()");
    ASSERT_TRUE(WaitFor([&] { return log.m_pNewLog->Has("Quit"); }));
    EXPECT_FALSE(log.Has("Quit"));
}

TEST_F(WebEngineControlTest, PanesOnTheEngine)
{
    CFakePaneHost host;
    auto* pPane = static_cast<CHtmlPane*>(host.AddPane(PANE_HTML));
    ASSERT_NE(pPane->Browser(), nullptr);
    const QString a = m_server.Url("/a.html");
    ASSERT_TRUE(pPane->Navigate(a, true, true));
    ASSERT_TRUE(WaitFor([&] { return !pPane->IsNavigating(); }));
    EXPECT_EQ(pPane->GetAddress(), a);
    EXPECT_EQ(pPane->GetTitle(), "Page A");
    EXPECT_EQ(host.m_addressEdit.text(), a);
    EXPECT_EQ(host.m_typedAddresses, QStringList{a});
    EXPECT_EQ(pPane->GetRecentAddresses().first(), a);
    EXPECT_EQ(host.m_tabs[0].nImage, CHtmlPane::kIdleImage);
    EXPECT_EQ(host.m_progress.value(), 0);
    EXPECT_EQ(host.m_progress.maximum(), 10000);

    // A page's new window becomes a pane of the workspace, and closing it closes that pane.
    const QString opener = m_server.Url("/opener.html");
    pPane->Navigate(opener, false, true);
    ASSERT_TRUE(WaitFor([&] { return !pPane->IsNavigating() && pPane->GetAddress() == opener; }));
    auto* pControl = dynamic_cast<CWebEngineControl*>(pPane->Browser());
    AllowScriptWindows(pControl);
    RunScript(pControl, "window.open('popup.html')");
    ASSERT_TRUE(WaitFor([&] { return host.m_tabs.size() == 2; }));
    auto* pPopup = static_cast<CHtmlPane*>(host.m_tabs[1].pPane);
    ASSERT_TRUE(WaitFor([&] { return pPopup->GetTitle() == "Popup"; }));
    EXPECT_EQ(pPopup->GetAddress(), m_server.Url("/popup.html"));

    QPointer<CHtmlPane> pGuard = pPopup;
    RunScript(dynamic_cast<CWebEngineControl*>(pPopup->Browser()), "window.close()");
    ASSERT_TRUE(WaitFor([&] { return pGuard.isNull(); }));
    EXPECT_EQ(host.m_tabs.size(), 1);
    EXPECT_EQ(host.m_closedIndexes, QList<int>{1});

    // With ViewNewWindow a followed link opens in a new pane; this one stays.
    host.m_bViewNewWindow = true;
    ASSERT_TRUE(pPane->Navigate(a, false, true));
    ASSERT_TRUE(WaitFor([&] { return !pPane->IsNavigating() && pPane->GetAddress() == a; }));
    RunScript(pControl, "document.getElementById('l').click()");
    ASSERT_TRUE(WaitFor([&] { return host.m_tabs.size() == 2; }));
    auto* pLinked = static_cast<CHtmlPane*>(host.m_tabs[1].pPane);
    const QString b = m_server.Url("/b.html");
    ASSERT_TRUE(WaitFor([&] { return !pLinked->IsNavigating() && pLinked->GetAddress() == b; }));
    EXPECT_EQ(pPane->GetAddress(), a);
    EXPECT_EQ(pControl->LocationURL(), a);

    // Pages keep their data under the program's own folders.
    EXPECT_TRUE(NuvWebEngineProfile()->persistentStoragePath().startsWith(NuvDataHome()));
    EXPECT_FALSE(NuvWebEngineProfile()->isOffTheRecord());
}

TEST_F(WebEngineControlTest, ImagesAndSoundsFollowTheBrowserSettings)
{
    const QString mainKey = "Software\\Microsoft\\Internet Explorer\\Main";
    CRegistryStore store;
    ASSERT_TRUE(store.SetValue(mainKey, RegValue::String("Display Inline Images", "NO")));
    ASSERT_TRUE(store.SetValue(mainKey, RegValue::String("Play_Background_Sounds", "no")));
    std::unique_ptr<CWebEngineControl> control(
        static_cast<CWebEngineControl*>(CreateWebEngineControl(nullptr)));
    QWebEnginePage* pPage = control->page();
    EXPECT_FALSE(pPage->settings()->testAttribute(QWebEngineSettings::AutoLoadImages));
    EXPECT_TRUE(pPage->isAudioMuted());

    ASSERT_TRUE(store.SetValue(mainKey, RegValue::String("Display Inline Images", "yes")));
    ASSERT_TRUE(store.DeleteValue(mainKey, "Play_Background_Sounds"));
    CSettingChangeNotifier::Broadcast();
    EXPECT_TRUE(pPage->settings()->testAttribute(QWebEngineSettings::AutoLoadImages));
    EXPECT_FALSE(pPage->isAudioMuted());
}

} // namespace
