// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML pane's reactions to its control's events, driven through the fake control.
#include "FakeBrowserControl.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"

#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QPointer>
#include <functional>
#include <gtest/gtest.h>

namespace {

class HtmlPaneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        m_pControl = m_factory.Last();
        ASSERT_NE(m_pControl, nullptr);
    }

    int TabImage() const { return m_host.m_tabs.at(m_host.FindTab(m_pPane)).nImage; }
    QString TabTitle() const { return m_host.m_tabs.at(m_host.FindTab(m_pPane)).title; }

    CFakeControlFactory m_factory;
    CFakePaneHost m_host;
    CHtmlPane* m_pPane = nullptr;
    CFakeBrowserControl* m_pControl = nullptr;
};

TEST_F(HtmlPaneTest, OnlyTheControlsAddressReportsSetTheAddress)
{
    struct Case
    {
        const char* title;
        bool bAddressReport;         // the control's own report, or a title the page gave itself
        const char* address;         // expected afterwards
        const char* label = nullptr; // the tab's, when not the title
    };
    const Case cases[] = {
        {"http://a.example/x", true, "http://a.example/x"},
        {"file:///doc/p.html#part", true, "file:///doc/p.html", "p.html"},
        {"HTTPS://B.example/#top", true, "HTTPS://B.example/"},
        {"about:blank", true, "about:blank"},
        {"#frag", false, "about:blank"}, // not an address: the address stays
        {"My Page", false, "about:blank"},
        {"ftp://c.example/", true, "about:blank"},
        // A page that calls itself by an address is only labelled so.
        {"https://bank.example/", false, "about:blank"},
        {"file:///etc/passwd", false, "about:blank"},
        {"about:config", false, "about:blank"},
        {"Http:#x", true, "Http:"},
    };
    ASSERT_TRUE(m_pPane->Navigate("typed.example", true, true));
    m_pControl->RaiseBeforeNavigate2("http://a.example/x");
    for (const Case& c : cases) {
        if (c.bAddressReport)
            m_pControl->RaiseAddressChange(c.title);
        else
            m_pControl->RaiseTitleChange(c.title);
        EXPECT_EQ(TabTitle(), c.label ? c.label : c.title);
        EXPECT_EQ(m_pPane->GetAddress(), c.address) << c.title;
    }
    // The active pane shows its address in the address field; the page's own titles reached
    // neither the recent list nor the typed-address list.
    EXPECT_EQ(m_host.m_addressEdit.text(), "Http:");
    EXPECT_EQ(m_pPane->GetRecentAddresses().mid(0, 6),
              (QStringList{"Http:", "about:blank", "HTTPS://B.example/", "file:///doc/p.html",
                           "http://a.example/x", ""}));
    EXPECT_EQ(m_host.m_typedAddresses, QStringList{"http://a.example/x"});
}

TEST_F(HtmlPaneTest, ADocumentOfTheFileSystemWithoutATitleIsLabelledByItsFileName)
{
    const struct
    {
        const char* address;
        const char* label;
    } cases[] = {
        {"file:///home/u/My%20Report.pdf", "My Report.pdf"},
        {"FILE:///tmp/a.txt#x", "a.txt"},
        {"file:///tmp/", "file:///tmp/"}, // a folder: no file name
        {"http://a.example/doc.html", "http://a.example/doc.html"},
        {"about:blank", "about:blank"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        m_pControl->RaiseAddressChange(c.address);
        EXPECT_EQ(TabTitle(), c.label);
        EXPECT_EQ(m_pPane->PageTitle(), c.label);
    }
    // Its own title, once it has one, names it.
    m_pControl->RaiseTitleChange("Report");
    EXPECT_EQ(TabTitle(), "Report");
}

TEST_F(HtmlPaneTest, ALoadThatBringsNoPageGivesTheLabelBack)
{
    // The tab shows a typed address over the page that is there until its page arrives;
    // when none does, the tab goes back to the page's title.
    const struct
    {
        const char* name;
        std::function<void(CHtmlPane*, CFakeBrowserControl*)> end;
        const char* label; // afterwards
    } cases[] = {
        {"the control refuses the address",
         [](CHtmlPane* p, CFakeBrowserControl* c) {
             c->m_bNavigateFails = true;
             EXPECT_FALSE(p->Navigate("http://[bad", true, true));
             c->m_bNavigateFails = false;
         },
         "Page A"},
        {"stopped", [](CHtmlPane* p, CFakeBrowserControl*) { p->Stop(); }, "Page A"},
        {"the load ends without a page",
         [](CHtmlPane*, CFakeBrowserControl* c) { c->RaiseDocumentComplete("http://a.example/"); },
         "Page A"},
        {"a mail address goes to the mail program",
         [](CHtmlPane*, CFakeBrowserControl* c) { c->RaiseBeforeNavigate2("mailto:x@example"); },
         "Page A"},
        {"the page arrives",
         [](CHtmlPane*, CFakeBrowserControl* c) {
             c->RaiseAddressChange("http://b.example/");
             c->RaiseTitleChange("Page B");
             c->RaiseDocumentComplete("http://b.example/");
         },
         "Page B"},
        {"the page arrives without a title",
         [](CHtmlPane*, CFakeBrowserControl* c) {
             c->RaiseAddressChange("http://b.example/");
             c->RaiseDocumentComplete("http://b.example/");
         },
         "http://b.example/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_pControl->RaiseAddressChange("http://a.example/");
        m_pControl->RaiseTitleChange("Page A");
        m_pPane->ShowLoadingTitle("typed.example");
        ASSERT_TRUE(m_pPane->Navigate("typed.example", true, true));
        EXPECT_EQ(TabTitle(), "typed.example");
        c.end(m_pPane, m_pControl);
        EXPECT_EQ(TabTitle(), c.label);
    }
}

TEST_F(HtmlPaneTest, TitleEventsNeedTheTabStrip)
{
    m_pPane->Link(nullptr, &m_host.m_progress, &m_host.m_addressEdit);
    m_pControl->RaiseAddressChange("http://a.example/");
    EXPECT_EQ(m_pPane->GetAddress(), QString());
    EXPECT_EQ(m_pPane->GetRecentAddresses().first(), QString());
}

TEST_F(HtmlPaneTest, TypedAddressIsRecordedOnceWhenThePageArrives)
{
    EXPECT_TRUE(m_pPane->Navigate("a.example", true, true));
    m_pControl->RaiseTitleChange("Loading");
    m_pControl->RaiseBeforeNavigate2("http://a.example/");
    EXPECT_TRUE(m_host.m_typedAddresses.isEmpty());
    m_pControl->RaiseAddressChange("http://a.example/#x");
    m_pControl->RaiseBeforeNavigate2("http://a.example/next");
    m_pControl->RaiseAddressChange("http://a.example/next");
    EXPECT_EQ(m_host.m_typedAddresses, QStringList{"http://a.example/"});

    m_pPane->Navigate("b.example", false, true);
    m_pControl->RaiseBeforeNavigate2("http://b.example/");
    m_pControl->RaiseAddressChange("http://b.example/");
    EXPECT_EQ(m_host.m_typedAddresses.size(), 1);
}

// Only the page the typed load arrives at is recorded: not a page an earlier load still
// reports (the start page arriving after the user entered an address), nor one the user or
// a page went to after the typed load ended without a page.
TEST_F(HtmlPaneTest, TypedAddressIsThePageItsLoadArrivesAt)
{
    const struct
    {
        const char* typed;
        QStringList events; // "before", "redirect", "address", or a call to the pane
        QStringList recorded;
    } cases[] = {
        {"a.example",
         {"before http://a.example/", "address http://a.example/"},
         {"http://a.example/"}},
        // The earlier load's page commits after the typed request was made, or before it.
        {"a.example",
         {"before http://a.example/", "address file:///home/start.html",
          "address http://a.example/"},
         {"http://a.example/"}},
        {"a.example",
         {"address file:///home/start.html", "before http://a.example/",
          "address http://a.example/"},
         {"http://a.example/"}},
        // Where the server sends it on; words become the search page's address.
        {"a.example/old",
         {"before http://a.example/old", "redirect http://a.example/new",
          "address http://a.example/new"},
         {"http://a.example/new"}},
        {"two words",
         {"before https://find.example/?q=two words", "address https://find.example/?q=two words"},
         {"https://find.example/?q=two words"}},
        // A page the engine loads without asking: known by the address as typed.
        {"about:blank", {"address about:blank"}, {"about:blank"}},
        // The typed load ends without a page: what is shown next was not typed.
        {"mailto:x@a.example",
         {"before mailto:x@a.example", "before http://b.example/", "address http://b.example/"},
         {}},
        {"a.example", {"Stop", "before http://b.example/", "address http://b.example/"}, {}},
        {"a.example", {"GoBack", "address http://b.example/"}, {}},
        {"a.example",
         {"GoHome", "before file:///home/start.html", "address file:///home/start.html"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.events.join(", ").toStdString());
        m_host.m_typedAddresses.clear();
        ASSERT_TRUE(m_pPane->Navigate(c.typed, true, true));
        for (const QString& event : c.events) {
            const QString address = event.section(' ', 1);
            if (event.startsWith("before ")) {
                m_pControl->RaiseBeforeNavigate2(address);
            } else if (event.startsWith("redirect ")) {
                BrowserNavigation nav;
                nav.address = address;
                nav.bRedirect = true;
                m_pControl->RaiseBeforeNavigate2(nav);
            } else if (event.startsWith("address ")) {
                m_pControl->RaiseAddressChange(address);
            } else if (event == "Stop") {
                m_pPane->Stop();
            } else if (event == "GoBack") {
                m_pPane->GoBack();
            } else if (event == "GoHome") {
                m_pPane->GoHome();
            }
        }
        EXPECT_EQ(m_host.m_typedAddresses.join(" | ").toStdString(),
                  c.recorded.join(" | ").toStdString());
    }
}

TEST_F(HtmlPaneTest, RecentAddressesNewestFirstWithoutRepeats)
{
    const QStringList recent = m_pPane->GetRecentAddresses();
    EXPECT_EQ(recent.size(), CHtmlPane::kRecentCount);
    for (int i = 0; i < 11; ++i) {
        m_pControl->RaiseAddressChange(QString("http://h%1/").arg(i));
        m_pControl->RaiseAddressChange(QString("http://h%1/").arg(i)); // reported twice
    }
    QStringList expected;
    for (int i = 10; i >= 1; --i)
        expected << QString("http://h%1/").arg(i);
    EXPECT_EQ(m_pPane->GetRecentAddresses(), expected);
    // Only a repeat of the newest entry is dropped.
    m_pControl->RaiseAddressChange("http://h9/");
    EXPECT_EQ(m_pPane->GetRecentAddresses().mid(0, 3),
              (QStringList{"http://h9/", "http://h10/", "http://h9/"}));
}

TEST_F(HtmlPaneTest, ProgressDrivesTheBarAndTheTabImage)
{
    struct Case
    {
        int nProgress, nMax, nImage, nBarValue, nBarMax;
    };
    const Case cases[] = {
        {50, 100, 2, 50, 100},   {-1, 100, 5, -1, 100},         {1, 10000, 0, 1, 10000},
        {0, 10000, 5, 0, 10000}, {9999, 10000, 4, 9999, 10000}, {100, 100, 5, 0, 10000},
        {3, 0, 0, 0, 10000},     {150, 100, 5, -1, 100},
    };
    for (const Case& c : cases) {
        m_pControl->RaiseProgressChange(c.nProgress, c.nMax);
        EXPECT_EQ(TabImage(), c.nImage) << c.nProgress << " of " << c.nMax;
        if (c.nBarValue >= 0) {
            EXPECT_EQ(m_host.m_progress.value(), c.nBarValue) << c.nProgress;
        }
        EXPECT_EQ(m_host.m_progress.maximum(), c.nBarMax) << c.nProgress;
    }
    // An unchanged image is not sent again.
    m_host.m_imageCalls.clear();
    m_pControl->RaiseProgressChange(60, 100);
    m_pControl->RaiseProgressChange(70, 100);
    EXPECT_EQ(m_host.m_imageCalls, QList<int>{3});
}

TEST_F(HtmlPaneTest, ProgressPutsAMovedWindowBack)
{
    const PaneRect rc = m_pPane->PaneRectangle();
    m_pPane->Window()->move(rc.left, rc.top + 7);
    m_pControl->RaiseProgressChange(10, 100);
    EXPECT_EQ(m_pPane->Window()->geometry(), QRect(rc.left, rc.top, rc.Width(), rc.Height()));
}

TEST_F(HtmlPaneTest, NavigateStartsAndForgetsTheImage)
{
    m_pControl->RaiseProgressChange(10000, 10000); // image 5 already shown
    m_host.m_imageCalls.clear();
    m_host.m_nCurSel = -1;
    EXPECT_TRUE(m_pPane->Navigate("http://a.example/", false, true));
    EXPECT_EQ(m_pControl->Calls().last(), "Navigate2 http://a.example/");
    // 1 of 10000 shows image 0; after Navigate2 the image is sent again although it is 5.
    EXPECT_EQ(m_host.m_imageCalls, (QList<int>{0, 5}));
    EXPECT_EQ(m_host.m_progress.value(), 0);
    EXPECT_EQ(m_host.m_progress.maximum(), 10000);
    EXPECT_TRUE(m_pPane->IsNavigating());
    EXPECT_EQ(m_host.m_nCurSel, 0);
    EXPECT_TRUE(m_pPane->IsActive());

    m_pControl->m_bNavigateFails = true;
    EXPECT_FALSE(m_pPane->Navigate("http://b.example/", false, false));
    EXPECT_FALSE(m_pPane->IsNavigating());
    // Nothing started: the pane does not look as if it were loading.
    EXPECT_EQ(TabImage(), CHtmlPane::kIdleImage);
    EXPECT_EQ(m_host.m_progress.value(), 0);
}

TEST_F(HtmlPaneTest, DocumentCompleteEndsNavigatingOnlyWhenThePageIsComplete)
{
    m_pPane->Navigate("http://a.example/", false, true);
    m_pControl->RaiseProgressChange(50, 100);
    m_pControl->m_nReadyState = READYSTATE_INTERACTIVE; // a frame finished
    m_pControl->RaiseDocumentComplete("http://a.example/frame");
    EXPECT_TRUE(m_pPane->IsNavigating());
    EXPECT_EQ(TabImage(), 2);
    m_pControl->m_nReadyState = READYSTATE_COMPLETE;
    m_pControl->RaiseDocumentComplete("http://a.example/");
    EXPECT_FALSE(m_pPane->IsNavigating());
    EXPECT_EQ(TabImage(), 5);
    EXPECT_EQ(m_host.m_progress.value(), 0);
}

TEST_F(HtmlPaneTest, HistoryStateChangesOnlyWithTheUpdateNotice)
{
    m_pControl->RaiseCommandStateChange(CSC_NAVIGATEBACK, 1);
    EXPECT_FALSE(m_pPane->CanGoBack());
    m_pControl->RaiseCommandStateChange(CSC_UPDATECOMMANDS, 0);
    EXPECT_TRUE(m_pPane->CanGoBack());
    EXPECT_FALSE(m_pPane->CanGoForward());
    // Only the low 16 bits of the flag count.
    m_pControl->RaiseCommandStateChange(CSC_NAVIGATEFORWARD, 0x10000);
    m_pControl->RaiseCommandStateChange(CSC_NAVIGATEBACK, 0);
    m_pControl->RaiseCommandStateChange(7, 1);
    m_pControl->RaiseCommandStateChange(CSC_UPDATECOMMANDS, 0);
    EXPECT_FALSE(m_pPane->CanGoBack());
    EXPECT_FALSE(m_pPane->CanGoForward());
}

TEST_F(HtmlPaneTest, StatusTextReachesTheFrameOnlyFromTheActivePane)
{
    m_pControl->RaiseStatusTextChange("http://link/");
    EXPECT_EQ(m_host.m_statusTexts.last(), "http://link/");
    m_pPane->Deactivate();
    m_pControl->RaiseStatusTextChange("http://other/");
    EXPECT_EQ(m_host.m_statusTexts.last(), "http://link/");
    EXPECT_EQ(m_pPane->StatusText(), "http://other/");
}

TEST_F(HtmlPaneTest, HoveredLinkShowsOverThePageWhileTheStatusBarIsHidden)
{
    QWidget* page = m_pControl;
    ASSERT_TRUE(page->isVisible());
    const auto overlay = [&] { return page->findChild<QLabel*>("linkOverlay"); };
    const auto shown = [&] { return overlay() && overlay()->isVisible(); };
    QCursor::setPos(page->mapToGlobal(page->rect().center()));

    m_pControl->RaiseStatusTextChange("http://link.example/a.html");
    ASSERT_TRUE(shown());
    EXPECT_EQ(overlay()->text(), "http://link.example/a.html");
    EXPECT_EQ(m_host.m_statusTexts.last(), "http://link.example/a.html");
    EXPECT_TRUE(overlay()->testAttribute(Qt::WA_TransparentForMouseEvents));
    const QRect rcLeft = overlay()->geometry();
    EXPECT_EQ(rcLeft.left(), 0);
    EXPECT_EQ(rcLeft.bottom(), page->height() - 1);
    EXPECT_LE(rcLeft.width(), page->width() / 2);

    // The pointer comes to the lower left corner: the overlay gets out of its way.
    QCursor::setPos(page->mapToGlobal(QPoint(rcLeft.left() + 4, rcLeft.center().y())));
    ASSERT_TRUE(WaitFor([&] { return overlay()->geometry().right() == page->width() - 1; }));
    EXPECT_EQ(overlay()->geometry().bottom(), page->height() - 1);
    QCursor::setPos(page->mapToGlobal(page->rect().center()));
    ASSERT_TRUE(WaitFor([&] { return overlay()->geometry().left() == 0; }));

    // A long address keeps its beginning and end.
    const QString longAddress = "http://link.example/" + QString(300, 'x') + "/end.html";
    m_pControl->RaiseStatusTextChange(longAddress);
    EXPECT_TRUE(overlay()->text().startsWith("http://link.example/"));
    EXPECT_TRUE(overlay()->text().endsWith("/end.html"));
    EXPECT_LE(overlay()->width(), page->width() / 2);

    // The pointer leaves the link.
    m_pControl->RaiseStatusTextChange("");
    EXPECT_FALSE(shown());

    // With the status bar shown, the status bar alone tells.
    m_host.m_bStatusBarShown = true;
    m_pControl->RaiseStatusTextChange("http://link.example/b.html");
    EXPECT_FALSE(shown());
    EXPECT_EQ(m_host.m_statusTexts.last(), "http://link.example/b.html");
}

TEST_F(HtmlPaneTest, StopRefreshAndCommandsGoToTheControl)
{
    m_pControl->RaiseProgressChange(50, 100);
    m_pControl->ClearCalls();
    m_pPane->Stop();
    EXPECT_EQ(TabImage(), 5);
    EXPECT_EQ(m_host.m_progress.maximum(), 10000);
    m_pPane->Refresh();
    EXPECT_EQ(TabImage(), 0);
    m_pPane->Copy();
    m_pPane->Print();
    m_pPane->Find();
    EXPECT_EQ(m_pControl->Calls(),
              (QStringList{"Stop", "Refresh", "ExecWB 12 0", "ExecWB 6 1", "ExecFind"}));

    m_pControl->m_nEnabledCommands = 1 << OLECMDID_PASTE;
    EXPECT_TRUE(m_pPane->IsCommandEnabled(OLECMDID_PASTE));
    EXPECT_FALSE(m_pPane->IsCommandEnabled(OLECMDID_COPY));
}

TEST_F(HtmlPaneTest, LeftEdgeAndHeight)
{
    m_pControl->ClearCalls();
    m_pPane->SetLeft(100);
    EXPECT_EQ(m_pPane->PaneRectangle().left, 105);
    m_pPane->SetLeft(100);
    m_pPane->SetHeight(200);
    EXPECT_EQ(m_pControl->Calls(), (QStringList{"SetLeft 105", "SetHeight 200"}));
    EXPECT_EQ(m_pPane->PaneRectangle().bottom, m_pPane->PaneRectangle().top + 200);
}

TEST_F(HtmlPaneTest, TextSizeLevels)
{
    EXPECT_EQ(m_pPane->UpdateTextSize(), 3);
    EXPECT_EQ(m_pPane->SetTextSize(4), 4);
    EXPECT_EQ(m_pControl->Calls().last(), "ExecWB 19 2 in 3");
    m_pControl->m_nZoom = 0;
    EXPECT_EQ(m_pPane->UpdateTextSize(), 1);
    // A control that cannot tell its zoom leaves the level as it was.
    m_pControl->m_bZoomReadable = false;
    EXPECT_EQ(m_pPane->SetTextSize(0), 1);
}

TEST_F(HtmlPaneTest, QuitClosesThePaneAfterTheEventReturned)
{
    m_host.AddPane(PANE_TEXT);
    QPointer<CHtmlPane> pGuard = m_pPane;
    QPointer<CFakeBrowserControl> pControl = m_pControl;

    m_pControl->RaiseQuit();
    m_pControl->RaiseQuit(); // a second request while the first is pending
    // Still there: the control is inside its own event.
    ASSERT_FALSE(pGuard.isNull());
    EXPECT_EQ(m_host.FindTab(m_pPane), 0);

    QCoreApplication::processEvents();
    EXPECT_TRUE(pGuard.isNull());
    EXPECT_TRUE(pControl.isNull());
    EXPECT_EQ(m_host.m_closedIndexes, QList<int>{0});
    EXPECT_EQ(m_host.m_tabs.size(), 1);
}

TEST_F(HtmlPaneTest, NewWindowRequestsGoToTheWorkspace)
{
    IBrowserControl* pDisp = m_pControl->RaiseNewWindow2();
    ASSERT_EQ(m_factory.Count(), 2);
    EXPECT_EQ(pDisp, static_cast<IBrowserControl*>(m_factory.Control(1)));
    EXPECT_EQ(m_host.m_tabs.size(), 2);
    // The new pane's first page is never diverted, whatever the settings.
    auto* pNew = static_cast<CHtmlPane*>(m_host.m_tabs[1].pPane);
    EXPECT_TRUE(pNew->IsNavigating());

    m_host.m_bCancelNewWindows = true;
    bool bCancel = false;
    EXPECT_EQ(m_pControl->RaiseNewWindow2(&bCancel), nullptr);
    EXPECT_TRUE(bCancel);
    EXPECT_EQ(m_host.m_tabs.size(), 2);
}

} // namespace
