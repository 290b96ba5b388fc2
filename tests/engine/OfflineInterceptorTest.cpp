// SPDX-License-Identifier: GPL-3.0-or-later
// Working offline: which requests the engine may still make, and a real page load refused
// before it reaches the (loopback) network.
#include "LoopbackHttpServer.h"
#include "TempHome.h"
#include "WaitFor.h"

#include "panes/webengine/OfflineInterceptor.h"
#include "platform/InternetState.h"

#include <QSignalSpy>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

#include <memory>

namespace {
void SetOffline(bool bOffline)
{
    INTERNET_CONNECTED_INFO info{
        bOffline ? INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED, 0};
    InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info);
}

TEST(OfflineInterceptorTest, RefusesOnlyNetworkAddressesAndOnlyWhileOffline)
{
    const struct
    {
        const char* url;
        bool bBlockedOffline;
    } cases[] = {
        {"http://127.0.0.1:8080/a.html", true},
        {"HTTPS://example.com/", true},
        {"ws://example.com/socket", true},
        {"wss://example.com/socket", true},
        {"ftp://ftp.example.com/file", true},
        {"file:///home/user/page.html", false},
        {"qrc:///res/start.html", false},
        {"data:text/html,<p>hi</p>", false},
        {"blob:https://example.com/0b1c2d3e", false},
        {"about:blank", false},
        {"mailto:someone@example.com", false},
        {"", false},
    };
    for (const auto& c : cases) {
        const QUrl url(QString::fromLatin1(c.url));
        EXPECT_EQ(COfflineInterceptor::IsBlocked(url, true), c.bBlockedOffline) << c.url;
        EXPECT_FALSE(COfflineInterceptor::IsBlocked(url, false)) << c.url;
    }
}

TEST(OfflineInterceptorTest, AnOfflineLoadNeverReachesTheServerAndLoadsAgainOnline)
{
    const CExpectQtWarning noGl("No suitable graphics backend found");
    // The engine's own error page for the refused load logs this to the console.
    const CExpectQtWarning errorPage("non-JS module files deprecated");
    CLoopbackHttpServer server;
    ASSERT_TRUE(server.Start());
    server.SetHtml("/a.html", "<html><head><title>A</title></head><body>a</body></html>");

    auto* profile = new QWebEngineProfile(); // off the record
    profile->setUrlRequestInterceptor(new COfflineInterceptor(profile));
    auto page = std::make_unique<QWebEnginePage>(profile);
    QSignalSpy finished(page.get(), &QWebEnginePage::loadFinished);

    SetOffline(true);
    page->load(QUrl(server.Url("/a.html")));
    ASSERT_TRUE(WaitFor([&] { return finished.size() == 1; }));
    EXPECT_FALSE(finished[0][0].toBool());
    EXPECT_TRUE(server.Requests().isEmpty());

    // Local content stays reachable offline.
    page->setHtml("<html><head><title>Local</title></head></html>");
    ASSERT_TRUE(WaitFor([&] { return finished.size() == 2; }));
    EXPECT_TRUE(finished[1][0].toBool());

    SetOffline(false);
    page->load(QUrl(server.Url("/a.html")));
    ASSERT_TRUE(WaitFor([&] { return finished.size() == 3; }));
    EXPECT_TRUE(finished[2][0].toBool());
    EXPECT_EQ(page->title(), "A");
    EXPECT_FALSE(server.Requests().isEmpty());

    page.reset();
    delete profile;
}
} // namespace
