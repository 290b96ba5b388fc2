// SPDX-License-Identifier: GPL-3.0-or-later
// What an HTML pane learns from its page through the engine: elements at a point, document
// properties, markup; saving and downloading into files; editing commands and zoom.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "ModalDriver.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "platform/Paths.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PaneDocumentTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/inspect.html",
                         "<html><head><title>Inspect</title><style>"
                         "body{margin:0} img,input{display:block;width:100px;height:50px;"
                         "border:0;margin:0;padding:0} p{margin:0;height:40px}</style></head>"
                         "<body><a href='target.html'><img src='pic.gif'></a>"
                         "<p>plain text</p><input type='Image' src='btn.gif'></body></html>");
        m_server.SetHtml("/frames.html", "<html><frameset cols='100%'>"
                                         "<frame src='sub/f.html'></frameset></html>");
        m_server.SetHtml("/sub/f.html", "<html><body>in a frame</body></html>");
        CLoopbackHttpServer::Page gif;
        gif.contentType = "image/gif";
        gif.body = GifBytes();
        m_server.SetPage("/pic.gif", gif);
        m_pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
    }

    bool Load(const QString& path)
    {
        const QString url = m_server.Url(path);
        return m_pPane->Navigate(url, false, true) &&
               WaitFor([&] { return !m_pPane->IsNavigating() && m_pPane->GetAddress() == url; });
    }

    // The flags for a point of the pane's window, in window pixels.
    int InspectAt(int x, int y)
    {
        int nFlags = -1;
        m_pPane->InspectAt(m_pPane->Window()->mapToGlobal(QPoint(x, y)),
                           [&](int n) { nFlags = n; });
        WaitFor([&] { return nFlags != -1; });
        return nFlags;
    }

    CFakePaneHost m_host;
    CHtmlPane* m_pPane = nullptr;
};

TEST_F(PaneDocumentTest, ElementsAtAPointAndDocumentProperties)
{
    ASSERT_TRUE(Load("/inspect.html"));
    EXPECT_EQ(InspectAt(10, 10), PANE_HAS_LINK | PANE_HAS_IMAGE);
    EXPECT_EQ(m_pPane->GetLinkAddress(), m_server.Url("/target.html"));
    EXPECT_EQ(m_pPane->GetImageAddress(), m_server.Url("/pic.gif"));
    EXPECT_EQ(InspectAt(10, 70), 0);
    EXPECT_EQ(m_pPane->GetLinkAddress(), m_server.Url("/target.html"));
    EXPECT_EQ(InspectAt(10, 110), PANE_HAS_IMAGE);
    EXPECT_EQ(m_pPane->GetImageAddress(), m_server.Url("/btn.gif"));

    // Zoomed to level 5 (1.5): window pixels are converted to the page's.
    EXPECT_EQ(m_pPane->SetTextSize(5), 5);
    EXPECT_EQ(InspectAt(10, 100), 0); // the paragraph, at 66 in the page
    EXPECT_EQ(InspectAt(10, 160), PANE_HAS_IMAGE);

    PaneProperties props;
    bool bDone = false;
    m_pPane->GetProperties([&](const PaneProperties& p) {
        props = p;
        bDone = true;
    });
    ASSERT_TRUE(WaitFor([&] { return bDone; }));
    EXPECT_EQ(props.title, std::optional<QString>("Inspect"));
    EXPECT_EQ(props.type, std::optional<QString>("HTML Document"));
    EXPECT_EQ(props.protocol, std::optional<QString>("HyperText Transfer Protocol"));
    EXPECT_EQ(props.address, std::optional<QString>(m_server.Url("/inspect.html")));
    EXPECT_TRUE(props.modified.has_value() && !props.modified->isEmpty());
    EXPECT_TRUE(props.size.has_value() && props.size->toInt() > 100);

    QString source;
    bDone = false;
    m_pPane->GetSource([&](bool bOk, const QString& text) {
        EXPECT_TRUE(bOk);
        source = text;
        bDone = true;
    });
    ASSERT_TRUE(WaitFor([&] { return bDone; }));
    EXPECT_TRUE(source.startsWith("<body>")) << source.toStdString();
    EXPECT_TRUE(source.contains("plain text"));

    // A frame: its source resolved against the top document's address.
    ASSERT_TRUE(Load("/frames.html"));
    EXPECT_EQ(InspectAt(20, 20), PANE_HAS_FRAME);
    EXPECT_EQ(m_pPane->GetLinkAddress(), m_server.Url("/sub/f.html"));

    // A picture shown by itself is saved by download: its type says so.
    ASSERT_TRUE(Load("/pic.gif"));
    PaneSaveInfo info;
    bDone = false;
    m_pPane->GetSaveInfo([&](const PaneSaveInfo& i) {
        info = i;
        bDone = true;
    });
    ASSERT_TRUE(WaitFor([&] { return bDone; }));
    EXPECT_TRUE(info.bOk);
    EXPECT_EQ(info.type, "GIF Image");
    EXPECT_EQ(info.address, m_server.Url("/pic.gif"));

    // A pane closed while its page is asked: the answer never comes, nothing breaks.
    int nLate = 0;
    m_pPane->GetSource([&](bool, const QString&) { ++nLate; });
    m_pPane->GetProperties([&](const PaneProperties&) { ++nLate; });
    m_pPane->Close();
    QTest::qWait(300);
    EXPECT_EQ(nLate, 0);
}

TEST_F(PaneDocumentTest, SavingAndDownloadingWriteWholeFilesOnly)
{
    QTemporaryDir dir;
    auto run = [&](auto start) {
        std::optional<bool> result;
        start([&](SaveResult r) { result = r == SaveResult::Saved; });
        WaitFor([&] { return result.has_value(); });
        return result.value_or(false);
    };
    auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    };

    ASSERT_TRUE(Load("/inspect.html"));
    const QString page = dir.filePath("page.htm");
    QFile old(page);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    EXPECT_TRUE(run([&](auto done) { m_pPane->SaveDocument(page, done); }));
    EXPECT_TRUE(read(page).contains("plain text"));

    // A picture shown by itself: the engine saves it as a download of its address, which
    // still goes to the chosen file, with no dialog of its own and nothing in Downloads.
    {
        CModalDriver noDialogs({});
        ASSERT_TRUE(Load("/pic.gif"));
        const QString shown = dir.filePath("shown.gif");
        int nAnswers = 0;
        EXPECT_TRUE(run([&](auto done) {
            m_pPane->SaveDocument(shown, [&, done](SaveResult r) {
                ++nAnswers;
                done(r);
            });
        }));
        EXPECT_EQ(read(shown), GifBytes());
        QTest::qWait(300);
        EXPECT_EQ(nAnswers, 1);
        EXPECT_EQ(QDir(DownloadsFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    const QString picture = dir.filePath("pic.gif");
    EXPECT_TRUE(run(
        [&](auto done) { m_pPane->SaveAddressToFile(m_server.Url("/pic.gif"), picture, done); }));
    EXPECT_EQ(read(picture), GifBytes());

    // A place that cannot hold the file: a failure, and nothing is left behind.
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString nowhere = dir.filePath("file/pic.gif");
    EXPECT_FALSE(run(
        [&](auto done) { m_pPane->SaveAddressToFile(m_server.Url("/pic.gif"), nowhere, done); }));
    EXPECT_FALSE(QFile::exists(nowhere));
    // An address the server does not have: its error page is not saved as the picture.
    const QString none = dir.filePath("none.gif");
    EXPECT_FALSE(
        run([&](auto done) { m_pPane->SaveAddressToFile(m_server.Url("/none.gif"), none, done); }));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"file", "page.htm", "pic.gif", "shown.gif"}));
}

TEST_F(PaneDocumentTest, EditingCommandsAndTextSize)
{
    ASSERT_TRUE(Load("/inspect.html"));
    EXPECT_EQ(m_pPane->UpdateTextSize(), 3);
    m_pPane->SelectAll();
    ASSERT_TRUE(WaitFor([&] {
        QString text;
        return m_pPane->GetSelectedText(&text) && text.contains("plain text");
    }));
    ASSERT_TRUE(WaitFor([&] { return m_pPane->IsCommandEnabled(12); }));
    QGuiApplication::clipboard()->clear();
    m_pPane->Copy();
    ASSERT_TRUE(
        WaitFor([] { return QGuiApplication::clipboard()->text().contains("plain text"); }));

    // The level stays with the pane from page to page.
    EXPECT_EQ(m_pPane->SetTextSize(2), 2);
    ASSERT_TRUE(Load("/frames.html"));
    EXPECT_EQ(m_pPane->UpdateTextSize(), 2);
}

} // namespace
