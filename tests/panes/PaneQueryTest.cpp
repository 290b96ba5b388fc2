// SPDX-License-Identifier: GPL-3.0-or-later
// Operations that continue when the engine answers: exactly one answer, a failure when the
// engine is silent, nothing once the pane is gone.
#include "FakeBrowserControl.h"
#include "FakePaneHost.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/PageInspection.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

namespace {

class PaneQueryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        m_pControl = m_factory.Last();
        m_pPane->SetQueryTimeout(50);
    }

    CFakeControlFactory m_factory;
    CFakePaneHost m_host;
    CHtmlPane* m_pPane = nullptr;
    CFakeBrowserControl* m_pControl = nullptr;
};

TEST_F(PaneQueryTest, AnswerArrivesOnceAndLaterAnswersAreDropped)
{
    m_pPane->SetQueryTimeout(60000);
    QStringList answers;
    m_pPane->GetSource(
        [&](bool bOk, const QString& text) { answers << (bOk ? "ok " : "failed ") + text; });
    ASSERT_EQ(m_pControl->m_markupQueries.size(), 1);
    EXPECT_TRUE(answers.isEmpty());

    const auto done = m_pControl->m_markupQueries.takeFirst();
    done({true, "<body>x</body>"});
    done({true, "again"});
    EXPECT_EQ(answers, QStringList{"ok <body>x</body>"});
}

TEST_F(PaneQueryTest, SilentEngineGivesAFailureAfterTheTimeLimit)
{
    int nCalls = 0;
    PaneProperties props;
    props.title = "untouched";
    m_pPane->GetProperties([&](const PaneProperties& p) {
        ++nCalls;
        props = p;
    });
    EXPECT_EQ(nCalls, 0);
    ASSERT_TRUE(WaitFor([&] { return nCalls > 0; }));
    EXPECT_FALSE(props.title.has_value());
    // The engine answers late: nothing more happens.
    BrowserDocumentInfo late;
    late.bOk = true;
    late.title = "late";
    m_pControl->m_documentQueries.takeFirst()(late);
    QTest::qWait(20);
    EXPECT_EQ(nCalls, 1);
}

TEST_F(PaneQueryTest, NothingRunsAfterThePaneIsDeleted)
{
    int nCalls = 0;
    m_pPane->InspectAt(m_pPane->Window()->mapToGlobal(QPoint(3, 4)), [&](int) { ++nCalls; });
    m_pPane->SaveDocument("/tmp/x.htm", [&](SaveResult) { ++nCalls; });
    ASSERT_EQ(m_pControl->m_elementQueries.size(), 1);
    EXPECT_EQ(m_pControl->m_elementPoints.first(), QPoint(3, 4));
    const auto inspect = m_pControl->m_elementQueries.takeFirst();
    const auto save = m_pControl->m_saveRequests.takeFirst();

    m_pPane->Close();
    QTest::qWait(100); // past the time limit
    inspect({true, {{"A", "http://x/", {}, {}}}});
    save(true);
    EXPECT_EQ(nCalls, 0);
}

TEST_F(PaneQueryTest, SavesHaveNoTimeLimit)
{
    QList<SaveResult> results;
    m_pPane->SaveAddressToFile("http://a/i.gif", "/tmp/i.gif", [&](SaveResult r) { results << r; });
    EXPECT_EQ(m_pControl->Calls().last(), "SaveAddressToFile http://a/i.gif /tmp/i.gif");
    QTest::qWait(120);
    EXPECT_TRUE(results.isEmpty());
    m_pControl->m_saveRequests.takeFirst()(true);
    EXPECT_EQ(results, QList<SaveResult>{SaveResult::Saved});
}

// A save the user stopped is no failure; while saves run, a note over the page names the
// latest and how to stop it.
TEST_F(PaneQueryTest, StoppedSavesAreCancelledAndRunningOnesShowANote)
{
    struct Case
    {
        const char* name;
        bool bStop; // Stop while the save runs
        bool bOk;   // the control's answer
        SaveResult expected;
    };
    const Case cases[] = {
        {"completes", false, true, SaveResult::Saved},
        {"fails", false, false, SaveResult::Failed},
        {"stopped", true, false, SaveResult::Cancelled},
        {"completes although stopped", true, true, SaveResult::Saved},
    };
    m_pPane->Window()->resize(400, 300);
    const auto note = [this]() -> QString {
        auto* pNote = m_pControl->findChild<QLabel*>("pageNote");
        return pNote && !pNote->isHidden() ? pNote->text() : QString();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<SaveResult> result;
        m_pPane->SaveDocument("/tmp/first.htm", [](SaveResult) {});
        m_pPane->SaveAddressToFile("http://a/i.gif", "/tmp/dir/i.gif",
                                   [&](SaveResult r) { result = r; });
        EXPECT_EQ(note(), "Saving \"i.gif\"... (Esc cancels)");
        if (c.bStop)
            m_pPane->Stop();
        ASSERT_EQ(m_pControl->m_saveRequests.size(), 2);
        m_pControl->m_saveRequests.takeLast()(c.bOk);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(*result, c.expected);
        EXPECT_EQ(note(), "Saving \"first.htm\"... (Esc cancels)");
        m_pControl->m_saveRequests.takeFirst()(true);
        EXPECT_EQ(note(), QString());
    }
}

TEST_F(PaneQueryTest, SaveInfoAndPropertiesTakeWhatCouldBeRead)
{
    PaneSaveInfo info;
    m_pPane->GetSaveInfo([&](const PaneSaveInfo& i) { info = i; });
    BrowserDocumentInfo doc;
    doc.bOk = true;
    doc.mimeType = "GIF Image";
    doc.fileSize = "120";
    m_pControl->m_documentQueries.takeFirst()(doc);
    EXPECT_TRUE(info.bOk);
    EXPECT_EQ(info.address, QString());
    EXPECT_EQ(info.type, "GIF Image");

    PaneProperties props;
    m_pPane->GetProperties([&](const PaneProperties& p) { props = p; });
    m_pControl->m_documentQueries.takeFirst()(doc);
    EXPECT_EQ(props.type, std::optional<QString>("GIF Image"));
    EXPECT_EQ(props.size, std::optional<QString>("120"));
    EXPECT_FALSE(props.title.has_value());
    EXPECT_FALSE(props.address.has_value());

    m_pPane->GetSaveInfo([&](const PaneSaveInfo& i) { info = i; });
    m_pControl->m_documentQueries.takeFirst()(BrowserDocumentInfo());
    EXPECT_FALSE(info.bOk);
}

TEST_F(PaneQueryTest, InspectionKeepsAddressesOfWhatItFound)
{
    m_pControl->m_strLocation = "http://top.example/dir/frames.html";
    int nFlags = -1;
    auto inspect = [&](const QList<BrowserElement>& path) {
        nFlags = -1;
        m_pPane->InspectAt(m_pPane->Window()->mapToGlobal(QPoint(10, 10)),
                           [&](int n) { nFlags = n; });
        m_pControl->m_elementQueries.takeFirst()({true, path});
        return nFlags;
    };
    EXPECT_EQ(
        inspect(
            {{"IMG", {}, "http://i/1.png", {}}, {"A", "http://l/", {}, {}}, {"BODY", {}, {}, {}}}),
        PANE_HAS_LINK | PANE_HAS_IMAGE);
    EXPECT_EQ(m_pPane->GetLinkAddress(), "http://l/");
    EXPECT_EQ(m_pPane->GetImageAddress(), "http://i/1.png");
    // A paragraph: nothing found, the old addresses stay.
    EXPECT_EQ(inspect({{"P", {}, {}, {}}, {"BODY", {}, {}, {}}}), 0);
    EXPECT_EQ(m_pPane->GetLinkAddress(), "http://l/");
    EXPECT_EQ(inspect({{"FRAME", {}, "sub/f.html", {}}, {"FRAMESET", {}, {}, {}}}), PANE_HAS_FRAME);
    EXPECT_EQ(m_pPane->GetLinkAddress(), "http://top.example/dir/sub/f.html");

    // A point left of the window: no question to the engine.
    nFlags = -1;
    m_pPane->InspectAt(m_pPane->Window()->mapToGlobal(QPoint(-1, 5)), [&](int n) { nFlags = n; });
    EXPECT_EQ(nFlags, 0);
    EXPECT_TRUE(m_pControl->m_elementQueries.isEmpty());
}

TEST(PageInspection, ElementPaths)
{
    struct Case
    {
        QList<BrowserElement> path;
        int nFlags;
        const char* link;
        const char* image;
    };
    const Case cases[] = {
        // Outermost link wins; BODY ends the walk.
        {{{"A", "http://in/", {}, {}},
          {"A", "http://out/", {}, {}},
          {"BODY", {}, {}, {}},
          {"A", "http://beyond/", {}, {}}},
         PANE_HAS_LINK,
         "http://out/",
         ""},
        {{{"input", {}, "http://i/b.png", "Image"}}, PANE_HAS_IMAGE, "", "http://i/b.png"},
        {{{"INPUT", {}, "http://i/b.png", "text"}}, 0, "", ""},
        // An anchor with an empty address is still a link; one without href is not.
        {{{"A", "", {}, {}}}, PANE_HAS_LINK, "", ""},
        {{{"A", {}, {}, {}}}, 0, "", ""},
        // A frame ends the inspection at once and needs the top document's address.
        {{{"FRAME", {}, "/f.html", {}}, {"A", "http://l/", {}, {}}},
         PANE_HAS_FRAME,
         "http://top/f.html",
         ""},
        {{}, 0, "", ""},
    };
    for (const Case& c : cases) {
        QString link, image;
        EXPECT_EQ(ClassifyElementPath(c.path, "http://top/a/b.html", &link, &image), c.nFlags);
        EXPECT_EQ(link, c.link);
        EXPECT_EQ(image, c.image);
    }
    QString link;
    EXPECT_EQ(ClassifyElementPath({{"FRAME", {}, "f.html", {}}}, QString(), &link, &link), 0);
}

TEST(PageInspection, CombineUrl)
{
    EXPECT_EQ(CombineUrl("http://a/b/c.html", "d/e.html"), "http://a/b/d/e.html");
    EXPECT_EQ(CombineUrl("http://a/b/c.html", "../x y.html"), "http://a/x y.html");
    EXPECT_EQ(CombineUrl("http://a/b/c.html", "https://z/"), "https://z/");
}

} // namespace
