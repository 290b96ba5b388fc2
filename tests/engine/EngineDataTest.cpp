// SPDX-License-Identifier: GPL-3.0-or-later
// Where the engine keeps its data, and which pages it gives us on the program's own profile:
// the start page, files, pages refused while working offline.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/webengine/NoticePage.h"
#include "panes/webengine/WebEngineControl.h"
#include "panes/webengine/WebEngineProfile.h"
#include "platform/InternetState.h"
#include "platform/Paths.h"
#include "platform/StartPageFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

void SetOffline(bool bOffline)
{
    INTERNET_CONNECTED_INFO info{
        bOffline ? INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED, 0};
    InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info);
}

class EngineDataTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/a.html",
                         "<html><head><title>Page A</title></head><body>a</body></html>");
    }

    bool Load(CHtmlPane* pPane, const QString& url)
    {
        return pPane->Navigate(url, false, true) &&
               WaitFor([&] { return !pPane->IsNavigating() && pPane->GetAddress() == url; });
    }

    // Every file and folder under the home folder, relative to it.
    static QStringList HomeEntries()
    {
        const QString home = QDir::homePath();
        QStringList entries;
        QDirIterator it(home, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            entries << it.next().mid(home.size());
        return entries;
    }

    CFakePaneHost m_host;
};

TEST_F(EngineDataTest, TheEngineKeepsItsDataOnlyInTheProgramsOwnFolders)
{
    // The names the program runs under, which feed the engine's default folders.
    QCoreApplication::setApplicationName(QStringLiteral("nuvBrowserClass"));
    QCoreApplication::setOrganizationName(QStringLiteral("Qorval"));
    {
        auto* pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        ASSERT_TRUE(Load(pPane, m_server.Url("/a.html")));
        pPane->Close();
    }
    QTest::qWait(500);
    const QString data = NuvDataHome().mid(QDir::homePath().size());
    // The program's folders, and the test's own run-time folder.
    const QStringList ours = {data, "/.cache/nuvBrowser", "/.config/nuvBrowser", "/run"};
    const QStringList entries = HomeEntries();
    for (const QString& entry : entries) {
        const bool bOurs = std::any_of(ours.begin(), ours.end(), [&](const QString& folder) {
            return entry.startsWith(folder) || folder.startsWith(entry);
        });
        EXPECT_TRUE(bOurs) << entry.toStdString();
    }
    EXPECT_TRUE(NuvWebEngineProfile()->persistentStoragePath().startsWith(NuvDataHome()));
    EXPECT_FALSE(NuvWebEngineProfile()->isOffTheRecord());
}

TEST_F(EngineDataTest, FilePagesAndTheStartPageHaveTheirAddressAndTitle)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("my page.html");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><head><title>File Page</title></head><body><p id='part'>p</p></body></html>");
    file.close();
    const QString fileAddress = QUrl::fromLocalFile(path).toString();

    auto* pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
    const struct
    {
        const char* name;
        std::function<void()> load;
        QString address;
        QString title;
    } cases[] = {
        {"home", [&] { pPane->GoHome(); }, CStartPageFile::Address(), "nuvBrowser"},
        {"a typed path", [&] { pPane->Navigate(path, true, true); }, fileAddress, "File Page"},
        {"a file address with a fragment",
         [&] { pPane->Navigate(fileAddress + "#part", false, true); }, fileAddress, "File Page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_host.m_addressEdit.clear();
        m_host.m_tabs[0].title.clear();
        c.load();
        ASSERT_TRUE(WaitFor([&] { return pPane->GetTitle() == c.title; }));
        EXPECT_TRUE(c.address.startsWith("file:///"));
        EXPECT_EQ(pPane->GetAddress(), c.address);
        EXPECT_EQ(m_host.m_addressEdit.text(), c.address);
        EXPECT_EQ(pPane->GetRecentAddresses().first(), c.address);
    }
    EXPECT_EQ(m_host.m_typedAddresses, QStringList{fileAddress});
}

TEST_F(EngineDataTest, WorkingOfflineTheProgramsProfileRefusesTheNetworkWithAPageOfItsOwn)
{
    // The engine's own error page, under ours, logs this to the console.
    const CExpectQtWarning errorPage("non-JS module files deprecated");
    auto* pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
    auto* pControl = dynamic_cast<CWebEngineControl*>(pPane->Browser());
    ASSERT_EQ(pControl->page()->profile(), NuvWebEngineProfile());
    const QString a = m_server.Url("/a.html");

    SetOffline(true);
    pPane->Navigate(a, false, true);
    ASSERT_TRUE(WaitFor([&] { return pControl->Notice() != nullptr; }));
    EXPECT_TRUE(m_server.Requests().isEmpty());
    const QString text = pControl->Notice()->Text();
    EXPECT_TRUE(text.contains("working offline")) << text.toStdString();
    EXPECT_TRUE(text.contains(a)) << text.toStdString();
    EXPECT_TRUE(text.contains("Work Offline")) << text.toStdString();
    EXPECT_TRUE(pControl->Notice()->isVisible());
    EXPECT_EQ(pPane->GetAddress(), a);
    EXPECT_EQ(m_host.m_addressEdit.text(), a);
    ASSERT_TRUE(WaitFor([&] { return !pPane->IsNavigating(); }));
    // The tab says so too, not the host name the engine's error page would give it.
    QTest::qWait(200);
    EXPECT_EQ(pPane->GetTitle(), "You are working offline");
    EXPECT_EQ(m_host.m_tabs[0].nImage, CHtmlPane::kIdleImage);

    // Local pages still show.
    pPane->GoHome();
    ASSERT_TRUE(WaitFor([&] { return pPane->GetTitle() == "nuvBrowser"; }));
    EXPECT_EQ(pControl->Notice(), nullptr);

    SetOffline(false);
    pPane->Navigate(a, false, true);
    ASSERT_TRUE(WaitFor([&] { return pPane->GetTitle() == "Page A"; }));
    EXPECT_EQ(pControl->Notice(), nullptr);
    // Online again: the page is asked for once (the engine may ask for an icon too).
    EXPECT_EQ(m_server.Requests().value(0), "GET /a.html");
    EXPECT_EQ(m_server.Requests().count("GET /a.html"), 1);
}

TEST_F(EngineDataTest, OnlyTheirOwnPageViewsBelongToThePanes)
{
    auto* pHtml = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
    ASSERT_TRUE(Load(pHtml, m_server.Url("/a.html")));
    auto* pOther = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
    CPaneWnd* pText = m_host.AddPane(PANE_TEXT);
    pText->SetText("text");
    QWidget* pControl = pHtml->Window();
    pControl->resize(400, 300);
    // The widget a press in the middle of the page reaches.
    QWidget* pPressed = pControl->childAt(QPoint(200, 150));
    ASSERT_NE(pPressed, nullptr);

    const struct
    {
        const char* name;
        CPaneWnd* pPane;
        QWidget* pWnd;
        bool bOwns;
    } cases[] = {
        {"the page pressed", pHtml, pPressed, true},
        {"the control's own window", pHtml, pControl, false},
        {"another pane's page", pHtml, pOther->Window()->focusProxy(), false},
        {"no window", pHtml, nullptr, false},
        {"the form", pHtml, &m_host.m_form, false},
        {"a text pane's own window", pText, pText->Window(), false},
        {"a page, asked of a text pane", pText, pPressed, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pPane->OwnsWindow(c.pWnd), c.bOwns) << c.name;
}

} // namespace
