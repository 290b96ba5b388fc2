// SPDX-License-Identifier: GPL-3.0-or-later
// What a page may do only on the user's behalf, in the real workspace: start the mail program
// or another program of the desktop, and open windows. Fake programs on the PATH record every
// start.
#include "EngineWorkspace.h"
#include "WaitFor.h"

#include "platform/ShellServices.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Writes its arguments as one line to <program>.log beside it.
const char kRecorder[] = "#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$0.log\"\n";

class UserGestureTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ForgetMailHandler();
        ASSERT_TRUE(QDir().mkpath(m_bin));
        qputenv("PATH", QFile::encodeName(m_bin) + ':' + m_savedPath);
        AddProgram("xdg-open", kRecorder);
        AddProgram("pmail", kRecorder);
        AddProgram("xdg-mime", "#!/bin/sh\necho fake-mail.desktop\n");

        // On load, with nobody touching it: another program's address, a mail address from
        // a frame and from the page, eight windows.
        m_server.SetHtml("/driveby.html",
                         "<html><head><title>Drive-by</title></head><body>"
                         "<iframe src='mailframe.html'></iframe><script>"
                         "for (var i = 0; i < 8; ++i) window.open('popup.html?' + i);"
                         "setTimeout(function () { location = 'mailto:top@example.com'; }, 50);"
                         "location = 'nuvtest://drive-by/payload';"
                         "</script></body></html>");
        m_server.SetHtml("/mailframe.html", "<html><body><script>"
                                            "for (var i = 0; i < 3; ++i) setTimeout(function () {"
                                            " location = 'mailto:frame@example.com'; }, i * 100);"
                                            "</script></body></html>");
        m_server.SetHtml(
            "/clicks.html",
            "<html><head><title>Clicks</title></head><body style='margin:0;font-size:20px'>"
            "<p id='ready' style='margin:0;height:40px' "
            "onclick='document.body.dataset.ready = 1'>ready</p>"
            "<p><a id='mail' href='mailto:clicked@example.com'>mail</a></p>"
            "<p><a id='other' href='nuvtest://clicked/link'>other program</a></p>"
            "<p><button id='again' onclick='for (var i = 0; i < 5; ++i) setTimeout("
            "function (n) { location = \"mailto:again\" + n + \"@example.com\"; }, i * 150, i)'>"
            "mail five times</button></p>"
            "<p><a id='blankmail' target='_blank' href='mailto:blank@example.com'>new window "
            "mail</a></p>"
            "<p><button id='openmail' onclick='window.open(\"mailto:open@example.com\")'>"
            "open mail</button></p>"
            "<p><button id='open' onclick='window.open(\"popup.html\")'>open</button></p>"
            "<p><a id='blank' target='_blank' href='popup.html?blank'>new window</a></p>"
            "</body></html>");
        m_server.SetHtml("/popup.html", "<html><head><title>Popup</title></head></html>");

        Open();
    }
    void TearDown() override
    {
        EngineWorkspaceTest::TearDown();
        qputenv("PATH", m_savedPath);
        ForgetMailHandler();
    }

    void AddProgram(const QString& name, const QByteArray& script)
    {
        QFile f(m_bin + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(script);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The argument lines of every start of a fake program so far.
    QStringList Started(const QString& name) const
    {
        QFile log(m_bin + "/" + name + ".log");
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    void ForgetStarts()
    {
        QFile::remove(m_bin + "/xdg-open.log");
        QFile::remove(m_bin + "/pmail.log");
    }

    // How often a popup page was asked for, whatever its query.
    int PopupRequests() const
    {
        return int(m_server.Requests().filter(QRegularExpression("^GET /popup\\.html")).size());
    }
    CHtmlPane* Active() const { return qobject_cast<CHtmlPane*>(m_pForm->GetActivePane()); }
    QWidget* PageWidget(CHtmlPane* pPane) const
    {
        return pPane && pPane->Window() ? pPane->Window()->focusProxy() : nullptr;
    }
    // Loads the page with the links, and clicks on it until the engine takes the clicks (it
    // drops input until the page is drawn).
    void OpenClickPage()
    {
        m_pForm->NavigateActivePane(m_server.Url("/clicks.html"), false);
        ASSERT_TRUE(WaitFor([&] { return Shows(Active(), "/clicks.html"); }));
        m_pClicks = Active();
        m_pClicks->Window()->setFocus();
        const QPoint pt = Center(m_pClicks, "ready");
        for (int i = 0; i < 20 && Evaluate(m_pClicks, "document.body.dataset.ready") != "1"; ++i) {
            QTest::mouseClick(PageWidget(m_pClicks), Qt::LeftButton, {}, pt);
            QTest::qWait(200);
        }
        ASSERT_EQ(Evaluate(m_pClicks, "document.body.dataset.ready"), "1");
    }
    void Click(const QString& id)
    {
        QTest::mouseClick(PageWidget(m_pClicks), Qt::LeftButton, {}, Center(m_pClicks, id));
    }

    QString m_bin = m_home.Path() + "/bin";
    QByteArray m_savedPath = qgetenv("PATH");
    CHtmlPane* m_pClicks = nullptr;
};

TEST_F(UserGestureTest, APageStartsNoProgramAndOpensNoWindowOnItsOwn)
{
    CHtmlPane* pPane = Active();
    m_pForm->NavigateActivePane(m_server.Url("/driveby.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Requests("/mailframe.html") > 0; }));
    // Give the scripts the time to try everything they try.
    QTest::qWait(1500);
    EXPECT_EQ(Started("xdg-open"), QStringList());
    EXPECT_EQ(Started("pmail"), QStringList());
    EXPECT_EQ(PaneCount(), 1);
    EXPECT_EQ(PopupRequests(), 0);
    EXPECT_EQ(Active(), pPane);
    EXPECT_TRUE(Shows(pPane, "/driveby.html"));
    // The refused windows are reported where the user looks.
    EXPECT_TRUE(WaitFor([&] { return m_pFrame->GetStatusText().contains("blocked"); }))
        << m_pFrame->GetStatusText().toStdString();
}

TEST_F(UserGestureTest, AClickStartsItsProgramOnce)
{
    OpenClickPage();
    if (HasFatalFailure())
        return;
    const struct
    {
        const char* id;
        const char* started; // what xdg-open is given
    } cases[] = {
        {"mail", "mailto:clicked@example.com"},
        {"other", "nuvtest://clicked/link"},
        // The page tries five times for one click.
        {"again", "mailto:again0@example.com"},
        // A window opened for a mail address only goes away again.
        {"blankmail", "mailto:blank@example.com"},
        {"openmail", "mailto:open@example.com"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        ForgetStarts();
        Click(c.id);
        EXPECT_TRUE(WaitFor([&] { return !Started("xdg-open").isEmpty(); }));
        QTest::qWait(1000);
        EXPECT_EQ(Started("xdg-open"), QStringList{c.started});
        EXPECT_EQ(Started("pmail"), QStringList());
        EXPECT_TRUE(WaitFor([&] { return PaneCount() == 1; }));
        EXPECT_TRUE(Shows(m_pClicks, "/clicks.html"));
    }
}

TEST_F(UserGestureTest, AClickOpensOneWindow)
{
    OpenClickPage();
    if (HasFatalFailure())
        return;
    for (const char* id : {"open", "blank"}) {
        SCOPED_TRACE(id);
        m_pForm->SelectPane(m_app.ViewFavorite == 1 ? 0 : 1);
        ASSERT_TRUE(WaitFor([&] { return Active() == m_pClicks; }));
        const int nPanes = PaneCount();
        Click(id);
        ASSERT_TRUE(WaitFor([&] { return PaneCount() == nPanes + 1; }));
        QTest::qWait(500);
        EXPECT_EQ(PaneCount(), nPanes + 1);
        EXPECT_FALSE(m_pFrame->GetStatusText().contains("blocked"));
    }
    EXPECT_EQ(Requests("/popup.html"), 1);
    EXPECT_EQ(Requests("/popup.html?blank"), 1);
    EXPECT_EQ(PopupRequests(), 2);
}

} // namespace
