// Downloads a page starts on its own: the user picks the file, and only a complete download
// ever replaces it.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "ModalDriver.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/webengine/PageDownload.h"
#include "panes/webengine/WebEngineControl.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
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

    static QByteArray Bytes(int nCount)
    {
        QByteArray bytes(nCount, '\0');
        for (int i = 0; i < nCount; ++i)
            bytes[i] = char(i * 7 % 251);
        return bytes;
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Temporary download files left in the folder the downloads start in.
    static QStringList Leftovers()
    {
        return QDir(CPageDownload::DefaultFolder())
            .entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
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

TEST_F(PageDownloadTest, APaneOpenedOnlyForADownloadCloses)
{
    // With ViewNewWindow the link opens a new pane, whose page then never shows a document.
    m_host.m_bViewNewWindow = true;
    const QString target = m_dir.filePath("data.zip");
    CModalDriver driver({SaveAs(target)});
    Click("zip");
    ASSERT_TRUE(WaitFor([&] { return m_host.m_tabs.size() == 2; }));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(target) && m_host.m_tabs.size() == 1; }));
    EXPECT_EQ(Read(target), Bytes(200000));
    EXPECT_EQ(m_host.m_tabs[0].pPane, m_pPane);
    EXPECT_EQ(m_host.m_closedIndexes, QList<int>{1});
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
    Click("broken");
    ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 3 && Leftovers().isEmpty(); }));
    EXPECT_TRUE(report.contains("did not deliver the whole file")) << report.toStdString();
    EXPECT_TRUE(report.contains("was left as it was")) << report.toStdString();
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"data.zip"});

    // The program's own download of it fails the same way, and says so.
    std::optional<bool> result;
    m_pPane->SaveAddressToFile(m_server.Url("/broken.zip"), target, [&](bool b) { result = b; });
    ASSERT_TRUE(WaitFor([&] { return result.has_value(); }));
    EXPECT_FALSE(*result);
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
