// SPDX-License-Identifier: GPL-3.0-or-later
// The navigation policy as a table, and its use by the pane.
#include "FakeBrowserControl.h"
#include "FakePaneHost.h"

#include "panes/AddressInput.h"
#include "panes/HtmlPane.h"
#include "panes/NavigationPolicy.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char kImageResult[] = "http://images.google.com/imgres?imgurl=x&prev=/images%3Fq%3Dcat";

TEST(NavigationPolicy, DecisionTable)
{
    enum
    {
        Allow,
        Mail,
        New
    };
    struct Case
    {
        const char* address;
        bool bNavigating, bViewNewWindow, bCheckGoogle;
        int nAction;
        const char* target;
    };
    const char* current = "http://site/page.html";
    const Case cases[] = {
        {"", false, true, true, Allow, ""},
        {"MailTo:someone@example.com", true, false, false, Mail, "MailTo:someone@example.com"},
        {"about:blank", false, true, true, Allow, ""},
        {"ABOUT:home", false, true, true, Allow, ""},
        // The image search opens its results in a new pane, cut before "&prev=/images".
        {kImageResult, true, false, true, New, "http://images.google.com/imgres?imgurl=x"},
        {"HTTP://IMAGES.GOOGLE.de/x&prev=/images", true, false, true, New,
         "HTTP://IMAGES.GOOGLE.de/x"},
        {kImageResult, true, false, false, Allow, ""},
        {"http://images.google.com/imgres?imgurl=x", false, false, true, Allow, ""},
        // Followed links go to new panes only with ViewNewWindow, once the page is complete.
        {"http://other/", true, true, true, Allow, ""},
        {"http://other/", false, false, true, Allow, ""},
        {"http://other/", false, true, true, New, "http://other/"},
        {"http://site/page.html#part", false, true, true, Allow, ""},
        {"http://site/other.html#part", false, true, true, New, "http://site/other.html#part"},
        {"#part", false, true, true, New, "#part"},
    };
    for (const Case& c : cases) {
        BrowserNavigation nav;
        nav.address = c.address;
        const NavigateDecision d =
            DecideNavigation(nav, current, c.bNavigating, c.bViewNewWindow, c.bCheckGoogle);
        EXPECT_EQ(int(d.action), c.nAction) << c.address;
        if (c.nAction != Allow) {
            EXPECT_EQ(d.address, c.target) << c.address;
        }
    }
}

TEST(NavigationPolicy, NewPaneRulesOnlyForMainFrameLinks)
{
    for (int i = 0; i < 3; ++i) {
        BrowserNavigation nav;
        nav.address = kImageResult;
        nav.bMainFrame = i != 0;
        nav.bHistory = i == 1;
        nav.bRedirect = i == 2;
        EXPECT_EQ(DecideNavigation(nav, "", false, true, true).action, NavigateAction::Allow);
        nav.address = "mailto:a@b";
        EXPECT_EQ(DecideNavigation(nav, "", false, true, true).action, NavigateAction::StartMail);
    }
}

TEST(NavigationPolicy, LocalFilesOpenOnlyFromLocalPages)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("secret.txt");
    QFile(file).open(QIODevice::WriteOnly);
    const QString web = "http://site/page.html";
    const QString local = QUrl::fromLocalFile(dir.filePath("page.html")).toString();
    struct Case
    {
        QString target;
        QString page;
        bool bAllowed;
    };
    const Case cases[] = {
        {"http://other/a.html", web, true},
        {"https://other/", local, true},
        {"mailto:a@b.c", web, true},
        {"about:blank", web, true},
        {"", web, true},
        // A local file, however it is spelt, only from a local page.
        {"file:///etc/passwd", web, false},
        {"FILE:///etc/passwd", web, false},
        {"  file:/etc/passwd", web, false},
        {"file://localhost/etc/passwd", web, false},
        {file, web, false},
        {"file:///etc/passwd", "", false},
        {"file:///etc/passwd", "about:blank", false},
        {"file:///etc/passwd", local, true},
        {file, local, true},
        // The engine's own views from no page.
        {"view-source:file:///etc/passwd", web, false},
        {"VIEW-SOURCE:http://other/", web, false},
        {"view-source:file:///etc/passwd", local, false},
        {"chrome://gpu", web, false},
        {"devtools://devtools/bundled/inspector.html", local, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MayOpenFromPage(c.target, c.page), c.bAllowed)
            << c.target.toStdString() << " from " << c.page.toStdString();
}

TEST(NavigationPolicy, PaneCancelsAndHandsOver)
{
    CFakeControlFactory factory;
    CFakePaneHost host;
    host.m_bViewNewWindow = true;
    auto* pPane = static_cast<CHtmlPane*>(host.AddPane(PANE_HTML));
    CFakeBrowserControl* pControl = factory.Last();

    // The first page of a new pane is never diverted.
    EXPECT_FALSE(pControl->RaiseBeforeNavigate2("http://first/"));
    pControl->RaiseAddressChange("http://first/");
    pControl->RaiseDocumentComplete("http://first/");
    ASSERT_FALSE(pPane->IsNavigating());

    EXPECT_TRUE(pControl->RaiseBeforeNavigate2("mailto:x@example.com"));
    EXPECT_EQ(host.m_mailAddresses, QStringList{"mailto:x@example.com"});
    EXPECT_FALSE(pControl->RaiseBeforeNavigate2("http://first/#below"));
    EXPECT_TRUE(host.m_newPaneAddresses.isEmpty());

    EXPECT_TRUE(pControl->RaiseBeforeNavigate2("http://second/"));
    EXPECT_EQ(host.m_newPaneAddresses, QStringList{"http://second/"});
    ASSERT_EQ(host.m_tabs.size(), 2);
    EXPECT_EQ(factory.Control(1)->Calls().last(), "Navigate2 http://second/");
    // This pane stays as it was.
    EXPECT_EQ(pPane->GetAddress(), "http://first/");
}

TEST(AddressInput, SchemeLessAddressesAreCompleted)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("page.html");
    QFile(file).open(QIODevice::WriteOnly);
    struct Case
    {
        QString address;
        QString url;
    };
    const Case cases[] = {
        {"example.com", "http://example.com"},
        {"  example.com/a?b=c  ", "http://example.com/a?b=c"},
        {"localhost:8080/x", "http://localhost:8080/x"},
        {"127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"https://example.com/", "https://example.com/"},
        {"about:blank", "about:blank"},
        {"mailto:a@b.c", "mailto:a@b.c"},
        {file, QUrl::fromLocalFile(file).toString()},
        {dir.path() + "/missing.html", "http://" + dir.path() + "/missing.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlFromAddress(c.address).toString(), c.url) << c.address.toStdString();
    EXPECT_FALSE(UrlFromAddress("  ").isValid());
}

} // namespace
