// SPDX-License-Identifier: GPL-3.0-or-later
// What a pane learns about its page over the page's life on the real engine: an address and
// a title for every load, a loading state from the first moment, a page whose process ended.
#include "EngineFixture.h"
#include "EventLog.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/webengine/NoticePage.h"

#include <QCoreApplication>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/types.h>
#include <vector>

namespace {

class PageLifeTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/a.html", "<html><head><title>Page A</title></head><body>"
                                    "<a id='l' href='b.html'>to b</a></body></html>");
        m_server.SetHtml("/b.html",
                         "<html><head><title>Page B</title></head><body>b</body></html>");
        CLoopbackHttpServer::Page held;
        held.body = "<html><head><title>Late</title></head><body>late</body></html>";
        held.delivery = CLoopbackHttpServer::Page::Hold;
        m_server.SetPage("/held.html", held);
        CLoopbackHttpServer::Page stalled = held;
        stalled.body = "<html><head><title>Slow</title></head><body>" + QByteArray(4000, 'x') +
                       "</body></html>";
        stalled.delivery = CLoopbackHttpServer::Page::Stall;
        stalled.nStallBytes = 60;
        m_server.SetPage("/stalled.html", stalled);
    }

    CHtmlPane* AddPane()
    {
        auto* pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        pPane->Window()->resize(500, 400);
        return pPane;
    }

    bool Load(CHtmlPane* pPane, const QString& url)
    {
        return pPane->Navigate(url, false, true) &&
               WaitFor([&] { return !pPane->IsNavigating() && pPane->GetAddress() == url; });
    }

    static CWebEngineControl* ControlOf(CHtmlPane* pPane)
    {
        return dynamic_cast<CWebEngineControl*>(pPane->Browser());
    }

    // The title the page's document reports now; empty when it does not answer.
    static QString DocumentTitle(CHtmlPane* pPane)
    {
        std::optional<QString> title;
        bool bAnswered = false;
        pPane->GetProperties([&](const PaneProperties& props) {
            bAnswered = true;
            title = props.title;
        });
        WaitFor([&] { return bAnswered; });
        return title.value_or(QString());
    }

    int TabImage(CHtmlPane* pPane) const
    {
        return m_host.m_tabs.value(m_host.FindTab(pPane)).nImage;
    }

    CFakePaneHost m_host;
};

TEST_F(PageLifeTest, EveryLoadReportsItsAddressThenItsTitle)
{
    CEventLog log;
    std::unique_ptr<CWebEngineControl> control(
        static_cast<CWebEngineControl*>(CreateWebEngineControl(nullptr)));
    control->SetEventSink(&log);
    const QString a = m_server.Url("/a.html");
    const QString held = m_server.Url("/held.html");

    const struct
    {
        const char* name;
        std::function<void()> load;
    } cases[] = {{"a new address", [&] { control->Navigate2(a); }},
                 {"the same address again", [&] { control->Navigate2(a); }},
                 {"a reload", [&] { control->Refresh(); }},
                 {"a reload after a stopped load",
                  [&] {
                      control->Navigate2(held);
                      WaitFor([&] { return m_server.HeldCount() == 1; });
                      control->Stop();
                      WaitFor([&] { return log.Matching("Complete ").size() == 1; });
                      m_server.ReleaseHeld();
                      log.m_lines.clear();
                      control->Refresh();
                  }},
                 {"back to the page", [&] {
                      control->Navigate2(m_server.Url("/b.html"));
                      WaitFor([&] { return log.Has("Title Page B"); });
                      log.m_lines.clear();
                      control->GoBack();
                  }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.m_lines.clear();
        c.load();
        ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + a); }))
            << log.m_lines.join("\n").toStdString();
        EXPECT_EQ(log.Titles(), (QStringList{"Address " + a, "Title Page A"}));
    }
}

TEST_F(PageLifeTest, TypingTheShownAddressAgainRecordsItAndKeepsTheTitle)
{
    CHtmlPane* pPane = AddPane();
    const QString a = m_server.Url("/a.html");
    ASSERT_TRUE(Load(pPane, a));
    m_host.m_tabs[0].title = a; // the workspace labels a typed address at once
    ASSERT_TRUE(pPane->Navigate(a, true, true));
    ASSERT_TRUE(WaitFor([&] { return !pPane->IsNavigating(); }));
    EXPECT_EQ(m_host.m_tabs[0].title, "Page A");
    EXPECT_EQ(m_host.m_typedAddresses, QStringList{a});

    // The next link followed is not taken for a typed address.
    dynamic_cast<CWebEngineControl*>(pPane->Browser())
        ->page()
        ->runJavaScript("document.getElementById('l').click()");
    ASSERT_TRUE(WaitFor([&] { return pPane->GetTitle() == "Page B"; }));
    EXPECT_EQ(m_host.m_typedAddresses, QStringList{a});
}

TEST_F(PageLifeTest, APaneLoadsFromTheStartOfANavigationUntilItEnds)
{
    const struct
    {
        const char* path;
        bool bStop; // ended by Stop, or by the server's answer
    } cases[] = {
        {"/held.html", false},
        {"/held.html", true},
        {"/stalled.html", false},
    };
    CHtmlPane* pPane = AddPane();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.bStop ? " stopped" : " answered"));
        ASSERT_TRUE(Load(pPane, m_server.Url("/a.html")));
        ASSERT_TRUE(pPane->Navigate(m_server.Url(c.path), false, true));
        ASSERT_TRUE(WaitFor([&] { return m_server.HeldCount() == 1; }));
        // Let the engine report what it has while the server keeps it waiting.
        QTest::qWait(300);
        EXPECT_GE(TabImage(pPane), 0);
        EXPECT_LT(TabImage(pPane), CHtmlPane::kIdleImage);
        EXPECT_GT(m_host.m_progress.value(), 0);
        if (c.bStop)
            pPane->Stop();
        else
            m_server.ReleaseHeld();
        ASSERT_TRUE(WaitFor([&] { return !pPane->IsNavigating(); }));
        EXPECT_EQ(TabImage(pPane), CHtmlPane::kIdleImage);
        EXPECT_EQ(m_host.m_progress.value(), 0);
        m_server.ReleaseHeld();
    }
}

TEST_F(PageLifeTest, APageWhoseProcessEndedSaysSoAndComesBack)
{
    const CExpectQtWarning killed("Render process");
    CHtmlPane* pPane = AddPane();
    const QString a = m_server.Url("/a.html");
    const QString b = m_server.Url("/b.html");
    ASSERT_TRUE(Load(pPane, b));
    ASSERT_TRUE(Load(pPane, a));
    CWebEngineControl* pControl = ControlOf(pPane);
    ASSERT_EQ(pControl->Notice(), nullptr);

    const struct
    {
        const char* name;
        std::function<void()> restore;
        QString address; // the page restored
    } cases[] = {
        {"Refresh", [&] { pPane->Refresh(); }, a},
        {"Back", [&] { pPane->GoBack(); }, b},
        {"Forward", [&] { pPane->GoForward(); }, a},
    };
    QString shown = a;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 pid = pControl->page()->renderProcessPid();
        ASSERT_GT(pid, 0);
        // Mid-load, so that the progress has something to reset.
        pPane->OnProgressChange(3000, 10000);
        ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
        ASSERT_TRUE(WaitFor([&] { return pControl->Notice() != nullptr; }));
        EXPECT_TRUE(pControl->Notice()->isVisible());
        EXPECT_TRUE(pControl->Notice()->Text().contains("stopped working"));
        EXPECT_TRUE(pControl->Notice()->Text().contains(shown));
        EXPECT_EQ(pPane->GetAddress(), shown);
        EXPECT_EQ(TabImage(pPane), CHtmlPane::kIdleImage);
        EXPECT_EQ(m_host.m_progress.value(), 0);

        // Questions to the page fail without waiting for a time limit.
        bool bAnswered = false;
        bool bOk = true;
        pPane->GetProperties([&](const PaneProperties& props) {
            bAnswered = true;
            bOk = props.title.has_value();
        });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_TRUE(bAnswered);
        EXPECT_FALSE(bOk);

        c.restore();
        ASSERT_TRUE(WaitFor([&] { return pControl->Notice() == nullptr; }));
        const QString title = c.address == a ? "Page A" : "Page B";
        EXPECT_TRUE(WaitFor([&] { return DocumentTitle(pPane) == title; }));
        EXPECT_EQ(pPane->GetAddress(), c.address);
        shown = c.address;
    }
}

TEST_F(PageLifeTest, PagesOfOneSiteShareAProcessAndComeBackTogetherWhenItEnds)
{
    const CExpectQtWarning killed("Render process");
    // "localhost" is another site than "127.0.0.1", on the same loopback server.
    QString other = m_server.Url("/b.html");
    other.replace("127.0.0.1", "localhost");
    const struct
    {
        QString address;
        QString title;
    } pages[] = {{m_server.Url("/a.html"), "Page A"},
                 {m_server.Url("/b.html"), "Page B"},
                 {other, "Page B"}};
    std::vector<CHtmlPane*> panes;
    for (const auto& page : pages) {
        panes.push_back(AddPane());
        ASSERT_TRUE(Load(panes.back(), page.address)) << page.address.toStdString();
    }
    const auto pid = [&](int i) { return ControlOf(panes[i])->page()->renderProcessPid(); };
    ASSERT_GT(pid(0), 0);
    EXPECT_EQ(pid(0), pid(1)) << "pages of one site share a render process";
    EXPECT_NE(pid(0), pid(2)) << "pages of another site have their own";
    const qint64 otherPid = pid(2);

    ASSERT_EQ(::kill(pid_t(pid(0)), SIGKILL), 0);
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(WaitFor([&] { return ControlOf(panes[i])->Notice() != nullptr; }));
        EXPECT_TRUE(ControlOf(panes[i])->Notice()->Text().contains("stopped working"));
        EXPECT_TRUE(ControlOf(panes[i])->Notice()->Text().contains(pages[i].address));
    }
    EXPECT_EQ(ControlOf(panes[2])->Notice(), nullptr) << "the other site's page lives on";
    EXPECT_EQ(pid(2), otherPid);

    for (int i : {0, 1})
        panes[i]->Refresh();
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(WaitFor([&] { return ControlOf(panes[i])->Notice() == nullptr; }));
        EXPECT_TRUE(WaitFor([&] { return DocumentTitle(panes[i]) == pages[i].title; }));
        EXPECT_EQ(panes[i]->GetAddress(), pages[i].address);
    }
    EXPECT_GT(pid(0), 0);
    EXPECT_EQ(pid(0), pid(1)) << "they share the new process too";
}

TEST_F(PageLifeTest, ANavigationThatCannotStartLeavesThePaneIdle)
{
    // An unknown scheme goes to the desktop's program (xdg-open), which is not on this PATH.
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", savedPath); });
    CHtmlPane* pPane = AddPane();
    ASSERT_TRUE(Load(pPane, m_server.Url("/a.html")));
    for (const char* address : {"", "   ", "http://[::1", "nosuchscheme:thing"}) {
        SCOPED_TRACE(address);
        pPane->Navigate(QString::fromLatin1(address), false, true);
        // Give the engine the chance to start something, should it.
        QTest::qWait(300);
        EXPECT_EQ(TabImage(pPane), CHtmlPane::kIdleImage);
        EXPECT_EQ(m_host.m_progress.value(), 0);
        EXPECT_EQ(pPane->GetAddress(), m_server.Url("/a.html"));
    }
}

TEST_F(PageLifeTest, AMailAddressHandedOverLeavesNoPaneBehind)
{
    m_server.SetHtml("/mail.html", "<html><head><title>Mail</title></head><body></body></html>");
    CHtmlPane* pPane = AddPane();
    ASSERT_TRUE(Load(pPane, m_server.Url("/mail.html")));

    // A mail address handed over by a second start gets a new pane of its own: it goes.
    CHtmlPane* pGiven = AddPane();
    ASSERT_TRUE(pGiven->Navigate("mailto:given@example.com", false, true));
    ASSERT_TRUE(WaitFor([&] { return !m_host.m_mailAddresses.isEmpty(); }));
    ASSERT_TRUE(WaitFor([&] { return m_host.m_tabs.size() == 1; }));
    EXPECT_EQ(m_host.m_tabs[0].pPane, pPane);

    // A pane that shows a page stays.
    m_host.m_mailAddresses.clear();
    ASSERT_TRUE(pPane->Navigate("mailto:stay@example.com", false, true));
    ASSERT_TRUE(WaitFor([&] { return !m_host.m_mailAddresses.isEmpty(); }));
    QTest::qWait(300);
    ASSERT_EQ(m_host.m_tabs.size(), 1);
    EXPECT_EQ(pPane->GetAddress(), m_server.Url("/mail.html"));
}

} // namespace

namespace {
// The value of a script expression in the pane's page; empty when the page does not answer.
QVariant PageValue(CHtmlPane* pPane, const QString& expression)
{
    auto* pControl = dynamic_cast<CWebEngineControl*>(pPane->Browser());
    if (!pControl)
        return {};
    std::optional<QVariant> value;
    pControl->page()->runJavaScript(expression, QWebEngineScript::ApplicationWorld,
                                    [&](const QVariant& v) { value = v; });
    WaitFor([&] { return value.has_value(); });
    return value.value_or(QVariant());
}

TEST_F(PageLifeTest, APaneBehindTheOthersGivesBackItsDrawingAndKeepsItsPage)
{
    CHtmlPane* pFirst = AddPane();
    const QString a = m_server.Url("/a.html");
    ASSERT_TRUE(Load(pFirst, a));
    auto* pQuick = ControlOf(pFirst)->findChild<QQuickWidget*>();
    ASSERT_NE(pQuick, nullptr) << "the engine draws through a Qt Quick widget";
    ASSERT_NE(pQuick->quickWindow(), nullptr);
    EXPECT_FALSE(pQuick->quickWindow()->isPersistentSceneGraph())
        << "a hidden pane would keep its frames";
    EXPECT_FALSE(pQuick->quickWindow()->isPersistentGraphics());

    // State only the living page holds: a reload or a discarded page would lose it.
    PageValue(pFirst, "window.kept = 42; document.title = 'Changed'; 0");
    ASSERT_TRUE(WaitFor([&] { return pFirst->GetTitle() == "Changed"; }));

    CHtmlPane* pSecond = AddPane();
    ASSERT_TRUE(Load(pSecond, m_server.Url("/b.html")));
    EXPECT_FALSE(pFirst->Window()->isVisible());
    QCoreApplication::processEvents();

    // Back to the front: the same page, with its state, and drawn again.
    m_host.m_pActivePane->Deactivate();
    m_host.m_pActivePane = pFirst;
    pFirst->Activate(true);
    ASSERT_TRUE(WaitFor([&] { return pQuick->isVisible(); }));
    EXPECT_EQ(PageValue(pFirst, "window.kept").toInt(), 42);
    EXPECT_EQ(pFirst->GetAddress(), a);
    EXPECT_EQ(pFirst->GetTitle(), "Changed");
    EXPECT_EQ(DocumentTitle(pFirst), "Changed");
    EXPECT_FALSE(pFirst->IsNavigating());
}
} // namespace
