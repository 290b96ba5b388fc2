// SPDX-License-Identifier: GPL-3.0-or-later
// A browser that is killed leaves its pages behind; the next start offers them and brings
// them back in order, each page loading only when its pane first comes to the front, with
// its back/forward history.
#include "EngineWorkspace.h"
#include "ModalDriver.h"

#include "platform/SessionFile.h"
#include "res/Resource.h"
#include "workspace/SessionKeeper.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
const QString kProgram = QStringLiteral(NUV_BINARY_DIR "/nuvbrowser");

class SessionRestoreTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        EngineWorkspaceTest::SetUp();
        for (const char* name : {"a", "b", "c"})
            m_server.SetHtml(QStringLiteral("/%1.html").arg(name),
                             QByteArray("<html><head><title>Page ") + name +
                                 "</title></head></html>");
        m_browser.setProcessChannelMode(QProcess::ForwardedChannels);
    }
    void TearDown() override
    {
        EngineWorkspaceTest::TearDown();
        if (m_browser.state() != QProcess::NotRunning) {
            m_browser.kill();
            m_browser.waitForFinished(10000);
        }
    }
    SessionData Stored() const
    {
        SessionData data;
        return m_file.Read(&data) == CSessionFile::ReadResult::Ok ? data : SessionData();
    }
    static SessionData WithoutHistories(SessionData data)
    {
        data.histories.clear();
        return data;
    }
    // A second start that hands its address to the browser; the loop runs meanwhile, so the
    // server answers the browser.
    bool HandOver(const QString& address)
    {
        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(kProgram, {address});
        return second.waitForStarted(10000) &&
               WaitFor([&] { return second.state() == QProcess::NotRunning; }, 60000) &&
               second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0;
    }

    QProcess m_browser;
    CSessionFile m_file;
};

TEST_F(SessionRestoreTest, AKilledBrowsersPagesComeBackInOrderLoadingWhenChosen)
{
    const QStringList pages = {m_server.Url("/a.html"), m_server.Url("/b.html"),
                               m_server.Url("/c.html")};
    m_browser.start(kProgram, {pages[0]});
    ASSERT_TRUE(m_browser.waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return Stored().addresses == pages.mid(0, 1); }, 60000));
    ASSERT_TRUE(HandOver(pages[1]));
    ASSERT_TRUE(HandOver(pages[2]));
    const SessionData three{pages, 2, {}, {"Page a", "Page b", "Page c"}};
    ASSERT_TRUE(WaitFor([&] { return WithoutHistories(Stored()) == three; }, 60000))
        << Stored().addresses.join(' ').toStdString();

    m_browser.kill(); // SIGKILL: nothing of the program runs any more
    ASSERT_TRUE(m_browser.waitForFinished(30000));
    const SessionData left = Stored();
    ASSERT_EQ(WithoutHistories(left), three) << "the killed browser's pages are left behind";
    const int nA = Requests("/a.html"), nB = Requests("/b.html"), nC = Requests("/c.html");

    CModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->informativeText(), "3 pages will open again.");
        box->button(QMessageBox::Yes)->click();
    }});
    Open(true);
    EXPECT_EQ(driver.Handled(), 1);
    ASSERT_EQ(PaneCount(), 3);
    EXPECT_EQ(m_pForm->GetActivePane(), Pane(2));
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(2), "/c.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return Pane(2)->GetTitle() == "Page c"; }));
    EXPECT_EQ(Requests("/c.html"), nC + 1);
    // The others wait, unasked, named by the titles their pages had.
    EXPECT_EQ(Pane(0)->GetTitle(), "Page a");
    EXPECT_EQ(Pane(1)->GetTitle(), "Page b");
    EXPECT_EQ(Requests("/a.html"), nA);
    EXPECT_EQ(Requests("/b.html"), nB);

    m_pForm->SelectPane(0);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/a.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return Pane(0)->GetTitle() == "Page a"; }));
    EXPECT_EQ(Requests("/a.html"), nA + 1);
    EXPECT_EQ(Requests("/b.html"), nB);

    // The restored session is kept as it goes on, and a normal end removes it.
    const SessionData now = m_pForm->Session()->Snapshot();
    EXPECT_EQ(WithoutHistories(now), (SessionData{pages, 0, {}, three.titles}));
    // The page that waits still has the history it came back with.
    EXPECT_FALSE(now.History(1).isEmpty());
    EXPECT_EQ(now.History(1), left.History(1));
    Close();
    EXPECT_FALSE(QFile::exists(m_file.Path()));
}

TEST_F(SessionRestoreTest, AKilledPanesHistoryComesBackWithIt)
{
    // In the run that is killed, the page moves on by itself: a, then b, in one pane.
    const QString a = m_server.Url("/a.html"), b = m_server.Url("/b.html");
    CLoopbackHttpServer::Page moving;
    moving.body = "<html><head><title>Page a</title></head><body><script>"
                  "onload = () => setTimeout(() => location.href = '/b.html', 100);"
                  "</script></body></html>";
    moving.extraHeaders = "Cache-Control: no-store\r\n";
    m_server.SetPage("/a.html", moving);
    m_browser.start(kProgram, {a});
    ASSERT_TRUE(m_browser.waitForStarted(10000));
    ASSERT_TRUE(WaitFor(
        [&] {
            const SessionData data = Stored();
            return data.addresses == QStringList{b} && data.History(0).contains(a.toUtf8()) &&
                   data.History(0).contains(b.toUtf8());
        },
        60000))
        << Stored().addresses.join(' ').toStdString();
    m_browser.kill();
    ASSERT_TRUE(m_browser.waitForFinished(30000));

    // From now on a stays where it is.
    CLoopbackHttpServer::Page still = moving;
    still.body = "<html><head><title>Page a</title></head></html>";
    m_server.SetPage("/a.html", still);
    const int nA = Requests("/a.html");
    m_app.RunRestoreSession = 1;
    Open(true);
    ASSERT_EQ(PaneCount(), 1);
    CHtmlPane* pPane = Pane(0);
    ASSERT_TRUE(WaitFor([&] { return Shows(pPane, "/b.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return pPane->GetTitle() == "Page b"; }));
    EXPECT_EQ(Requests("/a.html"), nA) << "only the page in front loads";
    ASSERT_TRUE(WaitFor([&] { return pPane->CanGoBack(); }));
    EXPECT_FALSE(pPane->CanGoForward());

    // Back and Forward, as the user chooses them.
    ASSERT_TRUE(m_pFrame->SendCommand(ID_GO_BACK));
    ASSERT_TRUE(WaitFor([&] { return Shows(pPane, "/a.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return pPane->GetTitle() == "Page a"; }));
    EXPECT_EQ(Requests("/a.html"), nA + 1);
    ASSERT_TRUE(WaitFor([&] { return pPane->CanGoForward(); }));
    EXPECT_FALSE(pPane->CanGoBack());
    ASSERT_TRUE(m_pFrame->SendCommand(ID_GO_FORWARD));
    ASSERT_TRUE(WaitFor([&] { return Shows(pPane, "/b.html"); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return pPane->CanGoBack() && !pPane->CanGoForward(); }));
}

TEST_F(SessionRestoreTest, ADamagedHistoryLoadsThePageAlone)
{
    // A real history of this engine: a, then b.
    Open();
    CHtmlPane* pPane = Pane(0);
    for (const char* path : {"/a.html", "/b.html"}) {
        ASSERT_TRUE(pPane->Navigate(m_server.Url(path), false, true));
        ASSERT_TRUE(WaitFor([&] { return Shows(pPane, path); }, 30000));
    }
    ASSERT_TRUE(WaitFor([&] { return pPane->CanGoBack(); }));
    const QByteArray history = pPane->SaveHistory();
    ASSERT_FALSE(history.isEmpty());
    Close();

    // The stream begins with the format's version, the count of entries and the current one.
    auto withField = [&](int nOffset, qint32 nValue) {
        QByteArray bytes = history;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.device()->seek(nOffset);
        out << nValue;
        return bytes;
    };
    const struct
    {
        const char* name;
        QByteArray bytes;
    } damaged[] = {
        {"cut short", history.left(history.size() / 2)},
        {"another format", withField(0, 99)},
        {"a count beyond its entries", withField(4, 0x7fffffff)},
        {"a negative count", withField(4, -1)},
        {"the current entry beyond the entries", withField(8, 5)},
        {"a negative current entry", withField(8, -2)},
        {"bytes after the last entry", history + "x"},
        {"not a history at all", "nuvBrowser"},
    };
    const int nDamaged = int(std::size(damaged));
    SessionData data;
    data.nActive = 0;
    for (int i = 0; i < nDamaged; ++i) {
        const QString path = QStringLiteral("/d%1.html").arg(i);
        m_server.SetHtml(path, "<html><head><title>Damaged</title></head></html>");
        data.addresses << m_server.Url(path);
        data.histories << damaged[i].bytes;
    }
    ASSERT_TRUE(m_file.Write(data));
    m_app.RunRestoreSession = 1;
    Open(true);
    ASSERT_EQ(PaneCount(), nDamaged);
    for (int i = 0; i < nDamaged; ++i) {
        SCOPED_TRACE(damaged[i].name);
        m_pForm->SelectPane(i);
        const QString path = QStringLiteral("/d%1.html").arg(i);
        ASSERT_TRUE(WaitFor([&] { return Shows(Pane(i), path); }, 30000));
        EXPECT_TRUE(WaitFor([&] { return Pane(i)->GetTitle() == "Damaged"; }));
        EXPECT_FALSE(Pane(i)->CanGoBack());
        EXPECT_FALSE(Pane(i)->CanGoForward());
    }
}

TEST_F(SessionRestoreTest, WhatAFormSentStaysOutOfTheSessionAndItsBackups)
{
    // The form fills itself in a moment after it loaded and sends itself by POST, as a user
    // who signs in would; its answer names the page it is in "Signed in".
    const QByteArray user = "user-51b2e8", password = "pw-7f3a9c-secret";
    m_server.SetHtml("/form.html", "<html><head><title>Sign in</title></head><body>"
                                   "<form name=f method=post action=/result.html><input name=user>"
                                   "<input type=password name=pw></form><script>"
                                   "onload = () => setTimeout(() => { document.f.user.value = '" +
                                       user + "'; document.f.pw.value = '" + password +
                                       "'; document.f.submit(); }, 100);"
                                       "</script></body></html>");
    m_server.SetHtml("/result.html", "<html><head><title>Signed in</title></head><body><script>"
                                     "top.document.title = 'Signed in';</script></body></html>");
    m_server.SetHtml("/framed.html", "<html><head><title>Framed</title></head><body>"
                                     "<iframe src=/form.html></iframe></body></html>");
    auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    // Neither the file nor a history in it holds what the form sent.
    auto expectNoFormData = [&](const QString& path, const QString& address) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray raw = bytes(path);
        ASSERT_FALSE(raw.isEmpty());
        EXPECT_FALSE(raw.contains(password));
        EXPECT_FALSE(raw.contains(user));
        SessionData data;
        ASSERT_EQ(CSessionFile(path).Read(&data), CSessionFile::ReadResult::Ok);
        EXPECT_EQ(data.addresses, QStringList{address});
        for (const QByteArray& history : data.histories) {
            EXPECT_FALSE(history.contains(password));
            EXPECT_FALSE(history.contains(user));
        }
        EXPECT_EQ(QFileInfo(path).permissions(),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    };

    // The form as the page, then in a frame of the page; the pages of the last are kept for
    // the next start.
    for (const char* path : {"/framed.html", "/form.html"}) {
        SCOPED_TRACE(path);
        const bool bFramed = QByteArray(path) == "/framed.html";
        const QString shown = m_server.Url(bFramed ? "/framed.html" : "/result.html");
        const int nPosts = int(m_server.Requests().count("POST /result.html"));
        m_app.RunRestoreSession = bFramed ? 0 : 1;
        Open(true);
        CHtmlPane* pPane = Pane(0);
        ASSERT_TRUE(pPane->Navigate(m_server.Url(path), false, true));
        ASSERT_TRUE(WaitFor(
            [&] {
                return !pPane->IsNavigating() && pPane->GetAddress() == shown &&
                       pPane->GetTitle() == "Signed in";
            },
            30000));
        ASSERT_EQ(m_server.Requests().count("POST /result.html"), nPosts + 1);
        m_pForm->Session()->WriteIfChanged();
        expectNoFormData(m_file.Path(), shown);
        Close();
    }
    const QString result = m_server.Url("/result.html");
    expectNoFormData(m_file.Path(), result);

    // The next start restores it; the page that was the form's answer loads by its address.
    const int nPosts = int(m_server.Requests().count("POST /result.html"));
    const int nGets = Requests("/result.html");
    Open(true);
    ASSERT_EQ(PaneCount(), 1);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/result.html"); }, 30000));
    EXPECT_EQ(Requests("/result.html"), nGets + 1);
    EXPECT_EQ(m_server.Requests().count("POST /result.html"), nPosts)
        << "the form is not sent again";
    Close();

    // A start whose question is answered No puts it aside.
    m_app.RunRestoreSession = 0;
    CModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::No)->click();
    }});
    Open(true);
    EXPECT_EQ(driver.Handled(), 1);
    Close();
    expectNoFormData(m_file.BackupPath(), result);
}

} // namespace
