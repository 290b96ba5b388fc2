// SPDX-License-Identifier: GPL-3.0-or-later
// The session file of the workspace: written while pages are open, gone after a normal end,
// and offered back at a start that finds it.
#include "ModalDriver.h"
#include "WorkspaceFixture.h"

#include "platform/BrowserMainKey.h"
#include "platform/Paths.h"
#include "platform/RegistryStore.h"
#include "platform/SessionFile.h"
#include "platform/StartPageFile.h"
#include "workspace/SessionKeeper.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace {

class SessionKeeperTest : public WorkspaceTest
{
protected:
    void SetUp() override { bSession = true; }

    CSessionFile file;

    SessionData Stored() const
    {
        SessionData data;
        return file.Read(&data) == CSessionFile::ReadResult::Ok ? data
                                                                : SessionData{{"<none>"}, -1};
    }
    static QByteArray Bytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // What a run that did not end normally leaves: the session file's bytes, and the marker
    // of a restore that ended abnormally in its first moments.
    void LeaveBehind(const QByteArray& bytes, bool bMarker) const
    {
        ASSERT_TRUE(MakeFolderPath(NuvDataHome()));
        QFile f(file.Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
        if (bMarker) {
            QFile marker(file.RestoringMarkerPath());
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        }
    }
    // Opens panes showing the addresses, the last one in front.
    void ShowPages(const QStringList& addresses)
    {
        for (int i = 0; i < addresses.size(); ++i) {
            if (i > 0) {
                ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
            }
            Control(Pane(i))->RaiseAddressChange(addresses[i]);
        }
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (int i = 0; i < PaneCount(); ++i)
            titles << Pane(i)->GetTitle();
        return titles;
    }
    static bool Loaded(const CPaneWnd* pPane, const QString& address)
    {
        return Control(pPane)->Calls().contains("Navigate2 " + address);
    }
    // The loads a pane's control was asked for, in order.
    static std::string Loads(const CPaneWnd* pPane)
    {
        static const QRegularExpression load("^(Navigate2|RestoreHistory) ");
        return Control(pPane)->Calls().filter(load).join("; ").toStdString();
    }
    static int Navigations(const CPaneWnd* pPane)
    {
        return int(Control(pPane)->Calls().filter("Navigate2 ").size());
    }
};

TEST_F(SessionKeeperTest, TheOpenPagesAreWrittenAndGoOnANormalEnd)
{
    for (int nRestore : {0, 1}) {
        SCOPED_TRACE(nRestore);
        app.RunRestoreSession = nRestore;
        Open();
        ShowPages({"http://a.example/", "http://b.example/x y", "http://c.example/"});
        ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 1));
        const SessionData three{{"http://a.example/", "http://b.example/x y", "http://c.example/"},
                                1};
        ASSERT_TRUE(WaitFor([&] { return Stored() == three; })) << Bytes(file.Path()).constData();

        // A closed pane and a source view (not a page) are followed by the file; the closed
        // pane is kept among the closed ones, with its place.
        ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
        ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
        SessionData two{{"http://a.example/", "http://c.example/"}, 0};
        two.closed = {ClosedPane{"http://b.example/x y", {}, {}, 1}};
        ASSERT_TRUE(WaitFor([&] { return Stored() == two; })) << Bytes(file.Path()).constData();

        Close();
        if (nRestore == 0) {
            EXPECT_FALSE(QFile::exists(file.Path()));
        } else {
            EXPECT_EQ(Stored(), two) << "kept for the next start";
        }
        file.Remove();
    }
}

TEST_F(SessionKeeperTest, ASessionLeftBehindAtStart)
{
    const SessionData left{{"http://a.example/", "http://b.example/", "http://c.example/"}, 1};
    const QByteArray leftBytes = CSessionFile::Format(left);
    // What a restored session holds at its end once the third pane was chosen last.
    const QByteArray laterBytes = CSessionFile::Format({left.addresses, 2});
    const QByteArray v1Bytes = "nuvBrowser session 1\nactive 1\npane http://a.example/\npane "
                               "http://b.example/\npane http://c.example/\n";
    enum Answer
    {
        NotAsked,
        Yes,
        No,
        Gone // the box goes without an answer, as when a signal ends the program
    };
    const struct
    {
        const char* name;
        QByteArray bytes; // the session file found
        bool bMarker;     // a restore ended abnormally in its first moments
        int nRestore;     // RunRestoreSession
        Answer answer;
        bool bRestored;
        QByteArray backup;   // session.bak afterwards
        QByteArray afterEnd; // the session file after a normal end
    } cases[] = {
        {"asked, yes", leftBytes, false, 0, Yes, true, "<missing>", "<missing>"},
        {"asked, no", leftBytes, false, 0, No, false, leftBytes, "<missing>"},
        {"asked, no answer", leftBytes, false, 0, Gone, false, "<missing>", leftBytes},
        {"restored without asking", leftBytes, false, 1, NotAsked, true, "<missing>", laterBytes},
        {"damaged", leftBytes.left(40), false, 0, NotAsked, false, leftBytes.left(40), "<missing>"},
        {"the version before histories", v1Bytes, false, 1, NotAsked, true, "<missing>",
         laterBytes},
        {"a newer version", "nuvBrowser session 5\nactive 0\npane http://a.example/\n", false, 0,
         NotAsked, false, "nuvBrowser session 5\nactive 0\npane http://a.example/\n", "<missing>"},
        {"not text", QByteArray("\xff\xfe\x00\x01", 4), false, 0, NotAsked, false,
         QByteArray("\xff\xfe\x00\x01", 4), "<missing>"},
        {"crashed again while restoring", leftBytes, true, 1, NotAsked, false, leftBytes,
         "<missing>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file.BackupPath());
        ASSERT_NO_FATAL_FAILURE(LeaveBehind(c.bytes, c.bMarker));
        app.RunRestoreSession = c.nRestore;
        QList<CModalDriver::Handler> handlers;
        if (c.answer != NotAsked) {
            handlers << [&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), "nuvBrowser did not close normally. Open the pages of "
                                       "the last session?");
                EXPECT_EQ(box->informativeText(), "3 pages will open again.");
                EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
                EXPECT_EQ(PaneCount(), 0) << "asked before the first pane";
                // The keeper's tick while the user thinks leaves the file alone.
                form->Session()->WriteIfChanged();
                EXPECT_EQ(Bytes(file.Path()), c.bytes);
                if (c.answer == Gone)
                    box->done(0);
                else
                    box->button(c.answer == Yes ? QMessageBox::Yes : QMessageBox::No)->click();
            };
        }
        CModalDriver driver(handlers); // a question nobody expects fails the case
        Open();
        // The start goes on once the question is answered.
        ASSERT_TRUE(WaitFor([&] { return PaneCount() > 0; }));
        EXPECT_EQ(driver.Handled(), int(handlers.size()));
        EXPECT_EQ(Bytes(file.BackupPath()), c.backup);
        EXPECT_FALSE(QFile::exists(file.RestoringMarkerPath()) && !c.bRestored);
        if (c.bRestored) {
            // In their order, titled by their addresses; only the one in front loads.
            ASSERT_EQ(PaneCount(), 3);
            EXPECT_EQ(Titles(), left.addresses);
            EXPECT_EQ(ActiveIndex(), 1);
            EXPECT_TRUE(Loaded(Pane(1), "http://b.example/"));
            EXPECT_EQ(Navigations(Pane(0)) + Navigations(Pane(2)), 0);
            EXPECT_EQ(form->Session()->Snapshot(), left) << "the waiting panes stay in the session";
            EXPECT_TRUE(QFile::exists(file.RestoringMarkerPath()));
            // The others load when they first come to the front, once.
            ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 2));
            EXPECT_TRUE(Loaded(Pane(2), "http://c.example/"));
            EXPECT_EQ(Navigations(Pane(0)), 0);
            ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 1));
            ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 2));
            EXPECT_EQ(Navigations(Pane(1)) + Navigations(Pane(2)), 2);
        } else {
            ASSERT_EQ(PaneCount(), 1);
            EXPECT_TRUE(Control(Pane(0))->Calls().contains("GoHome"));
        }
        Close();
        EXPECT_FALSE(QFile::exists(file.RestoringMarkerPath())) << "gone on a normal end";
        EXPECT_EQ(Bytes(file.Path()), c.afterEnd);
        file.Remove();
    }
}

TEST_F(SessionKeeperTest, HistoriesAreKeptAndComeBackWithTheirPanes)
{
    Open();
    ShowPages({"http://a.example/", "http://b.example/"});
    Control(Pane(0))->m_history = "fake history a";
    Control(Pane(1))->m_history = "fake history b";
    ASSERT_TRUE(WaitFor([&] {
        return Stored() == SessionData{{"http://a.example/", "http://b.example/"},
                                       1,
                                       {"fake history a", "fake history b"}};
    })) << Bytes(file.Path()).constData();
    // A page that went back changed only its history: the file follows.
    Control(Pane(1))->m_history = "fake history b, back";
    ASSERT_TRUE(WaitFor([&] { return Stored().History(1) == "fake history b, back"; }));
    Close();

    // The next start: the front pane comes back with its history at once, the others when
    // they are chosen; a history the control cannot read loads the address instead, and a
    // pane without one just loads its address.
    const SessionData left{
        {"http://a.example/", "http://b.example/", "http://c.example/", "http://d.example/"},
        1,
        {"fake history a", "fake history b", "damaged", {}}};
    ASSERT_TRUE(file.Write(left));
    app.RunRestoreSession = 1;
    Open();
    ASSERT_EQ(PaneCount(), 4);
    EXPECT_EQ(Loads(Pane(1)), "RestoreHistory fake history b");
    EXPECT_EQ(Loads(Pane(0)) + Loads(Pane(2)) + Loads(Pane(3)), "");
    // The waiting panes keep theirs in the session.
    EXPECT_EQ(form->Session()->Snapshot(), left);

    const struct
    {
        int nPane;
        const char* loads;
    } chosen[] = {
        {0, "RestoreHistory fake history a"},
        {2, "RestoreHistory damaged; Navigate2 http://c.example/"},
        {3, "Navigate2 http://d.example/"},
    };
    for (const auto& c : chosen) {
        SCOPED_TRACE(c.nPane);
        ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + c.nPane));
        EXPECT_EQ(Loads(Pane(c.nPane)), c.loads);
    }
}

TEST_F(SessionKeeperTest, TitlesAreKeptAndNameTheirPanesUntilThePagesLoad)
{
    app.RunRestoreSession = 1;
    Open();
    const QString pdf = "file:///tmp/docs/report.pdf";
    ShowPages({"http://a.example/", pdf, "http://c.example/"});
    Control(Pane(0))->RaiseTitleChange("Page A");
    // A page on its way does not name its pane in the file: the page it shows does.
    Control(Pane(2))->RaiseTitleChange("Page C");
    form->NavigateActivePane("http://slow.example/", true);
    ASSERT_EQ(Pane(2)->GetTitle(), "http://slow.example/");
    const SessionData shown{
        {"http://a.example/", pdf, "http://c.example/"}, 2, {}, {"Page A", "report.pdf", "Page C"}};
    ASSERT_TRUE(WaitFor([&] { return Stored() == shown; })) << Bytes(file.Path()).constData();
    Close();
    EXPECT_EQ(Stored(), shown);

    // The next start: each pane named by its page's title, or, without one, by its address
    // or the file name of its document, until its page loads.
    const SessionData left{{"http://a.example/", "http://b.example/", pdf, "http://d.example/"},
                           1,
                           {},
                           {"Page A", {}, {}, "Page D"}};
    ASSERT_TRUE(file.Write(left));
    Open();
    ASSERT_EQ(PaneCount(), 4);
    EXPECT_EQ(Titles(), (QStringList{"Page A", "http://b.example/", "report.pdf", "Page D"}));
    EXPECT_EQ(form->Session()->Snapshot(), left) << "the waiting panes keep their titles";

    // Chosen, a pane loads; its title stays until its page reports its own.
    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 0));
    ASSERT_TRUE(Loaded(Pane(0), "http://a.example/"));
    EXPECT_EQ(Pane(0)->GetTitle(), "Page A");
    Control(Pane(0))->RaiseAddressChange("http://a.example/");
    Control(Pane(0))->RaiseTitleChange("Page A, later");
    EXPECT_EQ(Pane(0)->GetTitle(), "Page A, later");
    // One whose load ends without a page keeps the title it came back with.
    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 3));
    ASSERT_TRUE(Loaded(Pane(3), "http://d.example/"));
    Control(Pane(3))->RaiseDocumentComplete("");
    EXPECT_EQ(Pane(3)->GetTitle(), "Page D");
}

TEST_F(SessionKeeperTest, OnlyASessionWithPagesBeyondTheStartPageIsOffered)
{
    const QString startFile = QUrl::fromLocalFile(CStartPageFile::Path()).toString();
    const struct
    {
        const char* name;
        QStringList addresses;
        const char* question; // the count it tells; nullptr: not asked
    } cases[] = {
        {"a blank pane", {"about:blank"}, nullptr},
        {"the start page and blank panes", {startFile, "about:blank", startFile}, nullptr},
        {"the start page the user chose", {"http://home.example/"}, nullptr},
        {"the start page and a page", {startFile, "http://a.example/"}, "2 pages will open again."},
        {"a page", {"http://a.example/"}, "1 page will open again."},
    };
    ASSERT_TRUE(CRegistryStore().SetValue(QString::fromLatin1(CBrowserMainKey::kPath),
                                          RegValue::String("Start Page", "home.example")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file.BackupPath());
        ASSERT_TRUE(file.Write({c.addresses, 0}));
        QList<CModalDriver::Handler> handlers;
        if (c.question) {
            handlers << [&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->informativeText(), c.question);
                box->button(QMessageBox::No)->click();
            };
        }
        CModalDriver driver(handlers); // a question nobody expects fails the case
        Open();
        ASSERT_TRUE(WaitFor([&] { return PaneCount() > 0; }));
        EXPECT_EQ(driver.Handled(), int(handlers.size()));
        // A start as without a session: the home page, in one pane.
        ASSERT_EQ(PaneCount(), 1);
        EXPECT_TRUE(Control(Pane(0))->Calls().contains("GoHome"));
        EXPECT_EQ(QFile::exists(file.BackupPath()), c.question != nullptr);
        Close();
        EXPECT_FALSE(QFile::exists(file.Path()));
    }
}

TEST_F(SessionKeeperTest, TheQuestionCountsThePagesAsTheFileHoldsThem)
{
    // Two pages and the source view of one: the file holds two pages, and the question that
    // offers them says two.
    app.RunRestoreSession = 1; // kept at the end, as a browser that was killed leaves it
    Open();
    ShowPages({"http://a.example/", "http://b.example/"});
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    ASSERT_EQ(PaneCount(), 3);
    Close();
    ASSERT_EQ(Stored().addresses.size(), 2);

    app.RunRestoreSession = 0;
    QString told;
    CModalDriver driver({[&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        told = box->informativeText();
        box->button(QMessageBox::Yes)->click();
    }});
    Open();
    ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 1; }));
    EXPECT_EQ(told, "2 pages will open again.");
    EXPECT_EQ(PaneCount(), 2);
}

TEST_F(SessionKeeperTest, AStartAddressOpensAfterTheRestoredPanes)
{
    ASSERT_TRUE(file.Write({{"http://a.example/", "http://b.example/"}, 0}));
    app.RunRestoreSession = 1;
    app.m_strStartAddress = "http://start.example/";
    Open();
    ASSERT_EQ(PaneCount(), 3);
    EXPECT_TRUE(Loaded(Pane(0), "http://a.example/"));
    EXPECT_EQ(Navigations(Pane(1)), 0);
    EXPECT_TRUE(Loaded(Pane(2), "http://start.example/"));
    EXPECT_EQ(ActiveIndex(), 2);
}

TEST_F(SessionKeeperTest, ASessionPutAsideIsNeverWrittenOverAndTheMessageSaysWhere)
{
    // The crash guard puts a session aside; later starts that put theirs aside (No to the
    // question, a damaged file) keep it, each in a slot of its own.
    const QByteArray guarded = CSessionFile::Format({{"http://guarded.example/"}, 0});
    const QByteArray refused = CSessionFile::Format({{"http://refused.example/"}, 0});
    const QByteArray damaged = "nuvBrowser session 2\nactive 0\npane http://\xff/\n";
    const struct
    {
        const char* name;
        QByteArray bytes; // the session file found
        bool bMarker;     // a restore ended abnormally in its first moments
        bool bAsked;      // and answered No
        int nSlot;        // where it goes
    } starts[] = {
        {"crashed again while restoring", guarded, true, false, 0},
        {"asked, no", refused, false, true, 1},
        {"damaged", damaged, false, false, 2},
        {"the guarded session again", guarded, true, false, 0}, // already kept there
    };
    int nHeld = 0; // slots in use
    for (const auto& start : starts) {
        SCOPED_TRACE(start.name);
        nHeld = std::max(nHeld, start.nSlot + 1);
        ASSERT_NO_FATAL_FAILURE(LeaveBehind(start.bytes, start.bMarker));
        app.RunRestoreSession = start.bAsked ? 0 : 1;
        QList<CModalDriver::Handler> handlers;
        if (start.bAsked) {
            handlers << [](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                box->button(QMessageBox::No)->click();
            };
        }
        CModalDriver driver(handlers);
        testing::internal::CaptureStderr();
        Open();
        ASSERT_TRUE(WaitFor([&] { return PaneCount() > 0; }));
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_EQ(driver.Handled(), int(handlers.size()));
        Close();
        EXPECT_NE(told.find("kept in " + file.BackupPath(start.nSlot).toStdString() + "."),
                  std::string::npos)
            << told;
        EXPECT_EQ(Bytes(file.BackupPath(0)), guarded);
        EXPECT_EQ(Bytes(file.BackupPath(1)), nHeld > 1 ? refused : "<missing>");
        EXPECT_EQ(Bytes(file.BackupPath(2)), nHeld > 2 ? damaged : "<missing>");
        EXPECT_FALSE(QFile::exists(file.BackupPath(3)));
    }
}

} // namespace
