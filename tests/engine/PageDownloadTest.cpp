// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads a page starts on its own: the user picks the file, and only a complete download
// ever replaces it.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "ModalDriver.h"
#include "TestBytes.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/webengine/DownloadGate.h"
#include "panes/webengine/PageDownload.h"
#include "panes/webengine/WebEngineControl.h"
#include "platform/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWebEngineScript>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

class PageDownloadTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/links.html", "<html><head><title>Links</title></head><body>"
                                        "<a id='attached' href='report'>report</a>"
                                        "<a id='zip' href='files/data.zip'>zip</a>"
                                        "<a id='broken' href='broken.zip'>broken</a>"
                                        "</body></html>");
        // Text the engine could show, but sent as an attachment under its own name.
        CLoopbackHttpServer::Page attached;
        attached.contentType = "text/plain";
        attached.body = "first line\nsecond line\n";
        attached.extraHeaders = "Content-Disposition: attachment; filename=\"report.txt\"\r\n";
        m_server.SetPage("/report", attached);
        CLoopbackHttpServer::Page zip;
        zip.contentType = "application/zip";
        zip.body = Bytes(200000);
        m_server.SetPage("/files/data.zip", zip);
        CLoopbackHttpServer::Page broken = zip;
        broken.nDeclaredLength = zip.body.size() * 2;
        m_server.SetPage("/broken.zip", broken);

        m_pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        const QString url = m_server.Url("/links.html");
        ASSERT_TRUE(m_pPane->Navigate(url, false, true));
        ASSERT_TRUE(
            WaitFor([&] { return !m_pPane->IsNavigating() && m_pPane->GetAddress() == url; }));
    }

    static QByteArray Bytes(int nCount) { return PatternBytes(nCount, 7); }
    static QByteArray Read(const QString& path) { return ReadFileOrMissing(path); }
    // Temporary download files left in the folder the downloads start in or in the cache.
    static QStringList Leftovers()
    {
        return QDir(CPageDownload::DefaultFolder())
                   .entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden) +
               CacheFiles();
    }
    static QStringList CacheFiles()
    {
        return QDir(DownloadCacheFolder()).entryList(QDir::Files | QDir::Hidden);
    }
    // Files in the folder the save dialog starts in.
    static QStringList DownloadsFiles()
    {
        return QDir(CPageDownload::DefaultFolder()).entryList(QDir::Files | QDir::Hidden);
    }
    bool Load(const QString& path)
    {
        const QString url = m_server.Url(path);
        return m_pPane->Navigate(url, false, true) &&
               WaitFor([&] { return !m_pPane->IsNavigating() && m_pPane->GetAddress() == url; });
    }
    void Click(const QString& id)
    {
        auto* pControl = dynamic_cast<CWebEngineControl*>(m_pPane->Browser());
        ASSERT_NE(pControl, nullptr);
        pControl->page()->runJavaScript(
            QStringLiteral("document.getElementById('%1').click()").arg(id),
            QWebEngineScript::ApplicationWorld);
    }

    // A handler that saves under path, saying yes when asked to replace a file.
    static CModalDriver::Handler SaveAs(const QString& path, QString* pOffered = nullptr)
    {
        return [path, pOffered](QWidget* pWindow) {
            auto* pDialog = qobject_cast<QFileDialog*>(pWindow);
            ASSERT_NE(pDialog, nullptr);
            if (pOffered)
                *pOffered = pDialog->selectedFiles().value(0);
            pDialog->findChild<QLineEdit*>("fileNameEdit")->setText(path); // as typed
            static_cast<QDialog*>(pDialog)->accept(); // asks before replacing a file
        };
    }
    // Answers any window: a save dialog saves into m_dir under the name it offers, the
    // question about several files is answered bAllow and its text kept in pQuestions.
    CModalDriver::Handler Answer(bool bAllow, QStringList* pQuestions)
    {
        return [this, bAllow, pQuestions](QWidget* pWindow) {
            if (auto* pBox = qobject_cast<QMessageBox*>(pWindow)) {
                *pQuestions << pBox->text();
                pBox->button(bAllow ? QMessageBox::Yes : QMessageBox::No)->click();
                return;
            }
            auto* pDialog = qobject_cast<QFileDialog*>(pWindow);
            ASSERT_NE(pDialog, nullptr);
            SaveAs(m_dir.filePath(QFileInfo(pDialog->selectedFiles().value(0)).fileName()))(
                pWindow);
        };
    }
    static void Yes(QWidget* pWindow)
    {
        auto* pBox = qobject_cast<QMessageBox*>(pWindow);
        ASSERT_NE(pBox, nullptr);
        pBox->button(QMessageBox::Yes)->click();
    }

    CFakePaneHost m_host;
    CHtmlPane* m_pPane = nullptr;
    QTemporaryDir m_dir;
};

TEST_F(PageDownloadTest, SavedWhereTheUserSays)
{
    struct Case
    {
        const char* id;
        const char* offered; // the name the dialog offers
        QByteArray bytes;
    };
    const Case cases[] = {
        {"attached", "report.txt", "first line\nsecond line\n"},
        {"zip", "data.zip", Bytes(200000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        // Loaded anew: a second download of one document would first ask about several files.
        ASSERT_TRUE(Load("/links.html"));
        const QString target = m_dir.filePath(QStringLiteral("saved-") + c.id);
        QString offered;
        CModalDriver driver({SaveAs(target, &offered)});
        Click(c.id);
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(target) && Leftovers().isEmpty(); }));
        EXPECT_EQ(Read(target), c.bytes);
        EXPECT_EQ(offered, QDir(CPageDownload::DefaultFolder()).filePath(c.offered));
        EXPECT_EQ(driver.Handled(), 1);
    }
    // The page stays; the bar and the tab are idle again.
    EXPECT_EQ(m_pPane->GetAddress(), m_server.Url("/links.html"));
    ASSERT_TRUE(WaitFor([&] { return m_host.m_tabs[0].nImage == CHtmlPane::kIdleImage; }));
    EXPECT_EQ(m_host.m_progress.value(), 0);
}

TEST_F(PageDownloadTest, APaneOpenedOnlyForADownloadClosesBeforeTheDialog)
{
    // A link opened in a new pane (with ViewNewWindow), and an address handed over by a second
    // start: the new pane's page never shows a document. It is gone before the user is asked,
    // and the download goes on without it.
    enum class Opened
    {
        ByLink,
        ByHandOff
    };
    for (const Opened opened : {Opened::ByLink, Opened::ByHandOff}) {
        SCOPED_TRACE(opened == Opened::ByLink ? "link" : "hand-off");
        m_host.m_closedIndexes.clear();
        const QString target = m_dir.filePath(opened == Opened::ByLink ? "link.zip" : "given.zip");
        QFile::remove(target);
        int nTabsWhenAsked = 0;
        CModalDriver driver({[&](QWidget* pWindow) {
            nTabsWhenAsked = m_host.m_tabs.size();
            SaveAs(target)(pWindow);
        }});
        if (opened == Opened::ByLink) {
            m_host.m_bViewNewWindow = true;
            Click("zip");
        } else {
            m_host.m_bViewNewWindow = false;
            CPaneWnd* pGiven = m_host.AddPane(PANE_HTML);
            ASSERT_TRUE(pGiven->Navigate(m_server.Url("/files/data.zip"), false, true));
        }
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(target) && Leftovers().isEmpty(); }));
        EXPECT_EQ(nTabsWhenAsked, 1);
        EXPECT_EQ(Read(target), Bytes(200000));
        ASSERT_EQ(m_host.m_tabs.size(), 1);
        EXPECT_EQ(m_host.m_tabs[0].pPane, m_pPane);
        EXPECT_EQ(m_host.m_closedIndexes, QList<int>{1});
    }
}

TEST_F(PageDownloadTest, NothingIsWrittenWhereTheUserKeepsFilesBeforeTheAnswer)
{
    // A hidden frame starts the download with no click.
    m_server.SetHtml("/hidden.html", "<html><body><iframe style='display:none' "
                                     "src='files/data.zip'></iframe></body></html>");
    const QString target = m_dir.filePath("data.zip");
    QStringList downloadsWhenAsked{"<not asked>"}, targetFolderWhenAsked, cacheWhenAsked;
    CModalDriver driver({[&](QWidget* pWindow) {
        // The whole file has arrived meanwhile, in the program's own cache folder.
        WaitFor([&] {
            const QStringList files = CacheFiles();
            return files.size() == 1 && !files[0].endsWith(".download") &&
                   QFileInfo(QDir(DownloadCacheFolder()).filePath(files[0])).size() == 200000;
        });
        cacheWhenAsked = CacheFiles();
        downloadsWhenAsked = DownloadsFiles();
        targetFolderWhenAsked = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        SaveAs(target)(pWindow);
    }});
    ASSERT_TRUE(Load("/hidden.html"));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(target) && Leftovers().isEmpty(); }));
    EXPECT_EQ(Read(target), Bytes(200000));
    EXPECT_EQ(cacheWhenAsked.size(), 1);
    EXPECT_EQ(downloadsWhenAsked.join(' ').toStdString(), "");
    EXPECT_EQ(targetFolderWhenAsked.join(' ').toStdString(), "");
    EXPECT_EQ(DownloadsFiles().join(' ').toStdString(), "");
    // Nobody else may look into the cache folder.
    EXPECT_EQ(QFileInfo(DownloadCacheFolder()).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                  QFile::WriteUser | QFile::ExeUser);
}

TEST_F(PageDownloadTest, APageThatDownloadsSeveralFilesAsksOnce)
{
    // Three downloads with no click: the first is offered, the second asks whether the page
    // may download several files, and the answer holds for the third. A new load asks anew.
    m_server.SetHtml("/three.html", "<html><body>"
                                    "<iframe style='display:none' src='files/data.zip'></iframe>"
                                    "<iframe style='display:none' src='report'></iframe>"
                                    "<iframe style='display:none' src='files/more.zip'></iframe>"
                                    "</body></html>");
    CLoopbackHttpServer::Page more;
    more.contentType = "application/zip";
    more.body = "more";
    m_server.SetPage("/files/more.zip", more);
    for (const bool bAllow : {false, true}) {
        SCOPED_TRACE(bAllow ? "allowed" : "refused");
        const int nFiles = bAllow ? 3 : 1;
        QStringList questions;
        const auto files = [&] { return QDir(m_dir.path()).entryList(QDir::Files); };
        {
            QList<CModalDriver::Handler> handlers;
            for (int i = 0; i < nFiles + 1; ++i)
                handlers << Answer(bAllow, &questions);
            CModalDriver driver(handlers);
            ASSERT_TRUE(Load("/three.html"));
            ASSERT_TRUE(WaitFor([&] { return driver.Handled() == nFiles + 1; }));
            ASSERT_TRUE(WaitFor([&] { return files().size() == nFiles && Leftovers().isEmpty(); }))
                << files().join(' ').toStdString();
            QTest::qWait(300); // nothing else is asked
        }
        EXPECT_EQ(questions, QStringList{CDownloadGate::QuestionText()});
        if (bAllow) {
            EXPECT_EQ(Read(m_dir.filePath("more.zip")), "more");
        }
        EXPECT_EQ(DownloadsFiles().join(' ').toStdString(), "");
        for (const QString& file : files())
            QFile::remove(m_dir.filePath(file));
    }
}

TEST_F(PageDownloadTest, CancelledOrBrokenLeavesTheOldFile)
{
    // Cancelling the dialog: no file, nothing left behind.
    const QString target = m_dir.filePath("data.zip");
    {
        CModalDriver driver({[](QWidget* pWindow) { static_cast<QDialog*>(pWindow)->reject(); }});
        Click("zip");
        ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 1; }));
        ASSERT_TRUE(WaitFor([&] { return Leftovers().isEmpty(); }));
        QTest::qWait(200);
        EXPECT_FALSE(QFile::exists(target));
        EXPECT_TRUE(Leftovers().isEmpty());
    }

    // A transfer that breaks off replaces nothing and is reported.
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    QString report;
    CModalDriver driver({SaveAs(target), Yes, [&](QWidget* pWindow) {
                             report = static_cast<QMessageBox*>(pWindow)->text();
                             pWindow->close();
                         }});
    ASSERT_TRUE(Load("/links.html"));
    Click("broken");
    ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 3 && Leftovers().isEmpty(); }));
    EXPECT_TRUE(report.contains("did not deliver the whole file")) << report.toStdString();
    EXPECT_TRUE(report.contains("was left as it was")) << report.toStdString();
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"data.zip"});

    // The program's own download of it fails the same way, and says so.
    std::optional<SaveResult> result;
    m_pPane->SaveAddressToFile(m_server.Url("/broken.zip"), target,
                               [&](SaveResult r) { result = r; });
    ASSERT_TRUE(WaitFor([&] { return result.has_value(); }));
    EXPECT_EQ(*result, SaveResult::Failed);
    EXPECT_EQ(Read(target), "old");
    // The engine deletes its own partial file of a broken transfer on its file thread, after
    // it reported the failure: that file has to go, but may still be there when we hear of it.
    const auto files = [&] { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); };
    EXPECT_TRUE(WaitFor([&] { return files() == QStringList{"data.zip"}; }))
        << files().join(' ').toStdString();
}

// The names servers propose never lead a download out of the Downloads folder, nor hide it.
class HostileNameTest : public PageDownloadTest
{
protected:
    void SetUp() override
    {
        // Downloads two folders down in the temporary home: a name that climbs out of it
        // still lands in the home, where the test sees it.
        const QString home = QDir::homePath();
        m_strDownloads = home + "/in/side/Downloads";
        ASSERT_TRUE(QDir().mkpath(m_strDownloads));
        QFile dirs(m_userDirs);
        ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOWNLOAD_DIR=\"$HOME/in/side/Downloads\"\n");
        dirs.close();
        ASSERT_EQ(CPageDownload::DefaultFolder(), m_strDownloads);
        PageDownloadTest::SetUp();
    }
    void TearDown() override
    {
        QFile::remove(m_userDirs);
        PageDownloadTest::TearDown();
    }

    // Files in the home outside the Downloads folder and the data folders of the program
    // and the engine.
    QStringList Strays() const
    {
        const QString home = QDir::homePath();
        const QStringList own = {home + "/.config/", home + "/.local/", home + "/.cache/",
                                 home + "/run/", m_strDownloads + "/"};
        QStringList strays;
        QDirIterator it(home, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (std::none_of(own.begin(), own.end(),
                             [&](const QString& folder) { return path.startsWith(folder); }))
                strays << path;
        }
        return strays;
    }
    void ClickLink(const QString& href)
    {
        auto* pControl = dynamic_cast<CWebEngineControl*>(m_pPane->Browser());
        ASSERT_NE(pControl, nullptr);
        pControl->page()->runJavaScript(
            QStringLiteral("var a = document.createElement('a'); a.href = '%1';"
                           "document.body.appendChild(a); a.click();")
                .arg(href),
            QWebEngineScript::ApplicationWorld);
    }

    QString m_strDownloads;
    const QString m_userDirs = QDir::homePath() + "/.config/user-dirs.dirs";
};

TEST_F(HostileNameTest, ServerNamesAreReducedBeforeAnythingIsWritten)
{
    const QString x300 = QString(300, 'x');
    const struct
    {
        QByteArray disposition;
        QString offered;
    } cases[] = {
        {"attachment; filename=\"../../evil.sh\"", "evil.sh"},
        {"attachment; filename*=UTF-8''..%2F..%2F.bashrc", "bashrc"},
        {"attachment; filename=\"" + QDir::homePath().toUtf8() + "/absolute.txt\"", "absolute.txt"},
        {"attachment; filename*=UTF-8''..%5C..%5Cback.txt", "back.txt"},
        {"attachment; filename*=UTF-8''bell%07tab%09.txt", "bell_tab_.txt"},
        {"attachment; filename*=UTF-8''nul%00x.txt", "nul_x.txt"},
        {"attachment; filename=\"...\"", "download"},
        {"attachment; filename=\"" + x300.toUtf8() + ".txt\"", QString(251, 'x') + ".txt"},
    };
    // The engine's own look at the name with the NUL in it.
    CExpectQtWarning broken("Broken filename passed to function");
    const QByteArray body = "#!/bin/sh\necho owned\n";
    int nCase = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.disposition.left(60).constData());
        CLoopbackHttpServer::Page page;
        page.contentType = "application/octet-stream";
        page.body = body;
        page.extraHeaders = "Content-Disposition: " + c.disposition + "\r\n";
        const QString path = QStringLiteral("/hostile%1").arg(++nCase);
        m_server.SetPage(path, page);

        const QString target = m_strDownloads + QStringLiteral("/saved-%1").arg(nCase);
        QString offered;
        QStringList straysWhileAsked;
        CModalDriver driver({[&](QWidget* pWindow) {
            straysWhileAsked = Strays(); // the download is under way or done by now
            SaveAs(target, &offered)(pWindow);
        }});
        ASSERT_TRUE(Load("/links.html"));
        ClickLink(path.mid(1));
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(target) && Leftovers().isEmpty(); }));
        EXPECT_EQ(driver.Handled(), 1);
        EXPECT_EQ(offered.toStdString(), (m_strDownloads + "/" + c.offered).toStdString());
        EXPECT_EQ(Read(target), body);
        EXPECT_EQ(straysWhileAsked.join('\n').toStdString(), "");
        EXPECT_EQ(Strays().join('\n').toStdString(), "");
    }
    EXPECT_EQ(QDir(m_strDownloads).entryList(QDir::Files | QDir::Hidden).size(), nCase);
}

} // namespace
