// SPDX-License-Identifier: GPL-3.0-or-later
// Real downloads in the downloads list and its window: a save of a link's target and a
// download a page starts are listed, run, finish and are still listed after the store was
// opened again; a cancelled and a failed download complete when retried, and never leave a
// half-written file under their names.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "ModalDriver.h"
#include "TestBytes.h"
#include "WaitFor.h"

#include "dialogs/DownloadsDlg.h"
#include "panes/DownloadList.h"
#include "panes/HtmlPane.h"
#include "panes/webengine/WebEngineControl.h"
#include "platform/SqlDownloadStore.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWebEngineScript>
#include <gtest/gtest.h>

#include <optional>

namespace {

class DownloadsWindowTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        OpenList();
        m_server.SetHtml("/links.html", "<html><body><a id='zip' href='data.zip'>zip</a>"
                                        "</body></html>");
        CLoopbackHttpServer::Page zip;
        zip.contentType = "application/zip";
        zip.body = Bytes(300000);
        // The server says it would send parts of the file.
        zip.extraHeaders = "Accept-Ranges: bytes\r\nETag: \"v1\"\r\n";
        m_zip = zip;
        m_server.SetPage("/data.zip", zip);

        m_pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
        const QString url = m_server.Url("/links.html");
        ASSERT_TRUE(m_pPane->Navigate(url, false, true));
        ASSERT_TRUE(
            WaitFor([&] { return !m_pPane->IsNavigating() && m_pPane->GetAddress() == url; }));
    }
    void TearDown() override
    {
        delete m_pWindow;
        CDownloadList::SetInstance(nullptr);
        m_pList.reset();
    }

    // The list over the profile's database, opened again as at the next start.
    void OpenList()
    {
        CDownloadList::SetInstance(nullptr);
        m_pList.reset();
        auto pStore = CSqlDownloadStore::Open(m_profile.filePath("history.sqlite"));
        ASSERT_NE(pStore, nullptr);
        m_pList = std::make_unique<CDownloadList>(std::move(pStore));
        CDownloadList::SetInstance(m_pList.get());
    }

    static QByteArray Bytes(int nCount) { return PatternBytes(nCount, 13); }
    static QByteArray Read(const QString& path) { return ReadFileOrMissing(path); }
    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

    // Saves the address as Save Link Target As does; the result of the save's own callback.
    std::optional<bool>* Save(const QString& path, const QString& name)
    {
        m_pPane->SaveAddressToFile(
            m_server.Url(path), m_dir.filePath(name),
            [this](SaveResult result) { m_result = result == SaveResult::Saved; });
        return &m_result;
    }
    const CDownloadList::Row* Newest() const
    {
        return m_pList->Rows().isEmpty() ? nullptr : &m_pList->Rows().first();
    }
    int NewestState() const { return Newest() ? Newest()->record.state : -1; }
    // Clicks a button of the newest row in the window.
    void Press(const char* pszButton)
    {
        if (!m_pWindow) {
            m_pWindow = new CDownloadsDlg(m_pList.get(), nullptr);
            m_pWindow->show();
        }
        QWidget* pRow = m_pWindow->RowWidget(Newest()->record.nId);
        ASSERT_NE(pRow, nullptr);
        auto* pButton = pRow->findChild<QPushButton*>(pszButton);
        ASSERT_NE(pButton, nullptr) << pszButton;
        ASSERT_TRUE(pButton->isVisibleTo(pRow)) << pszButton;
        pButton->click();
    }

    QTemporaryDir m_profile; // the database: one of each case's own
    std::unique_ptr<CDownloadList> m_pList;
    QPointer<CDownloadsDlg> m_pWindow;
    CFakePaneHost m_host;
    CHtmlPane* m_pPane = nullptr;
    QTemporaryDir m_dir;
    CLoopbackHttpServer::Page m_zip;
    std::optional<bool> m_result;
};

TEST_F(DownloadsWindowTest, ASavedTargetIsListedFinishesAndSurvivesARestart)
{
    Save("/data.zip", "data.zip");
    ASSERT_TRUE(WaitFor([&] { return Newest() != nullptr; }));
    EXPECT_EQ(Newest()->record.address, m_server.Url("/data.zip"));
    EXPECT_EQ(Newest()->record.path, m_dir.filePath("data.zip"));
    ASSERT_TRUE(WaitFor([&] { return m_result.has_value(); }));
    EXPECT_TRUE(*m_result);
    ASSERT_TRUE(WaitFor([&] { return NewestState() == SDownloadRecord::Finished; }));
    EXPECT_EQ(Newest()->record.nTotal, m_zip.body.size());
    EXPECT_EQ(Read(m_dir.filePath("data.zip")), m_zip.body);

    // A page's own download, saved where the user says, is listed under that file.
    CModalDriver driver({[&](QWidget* pWindow) {
        auto* pDialog = qobject_cast<QFileDialog*>(pWindow);
        ASSERT_NE(pDialog, nullptr);
        pDialog->findChild<QLineEdit*>("fileNameEdit")->setText(m_dir.filePath("page.zip"));
        static_cast<QDialog*>(pDialog)->accept();
    }});
    auto* pControl = dynamic_cast<CWebEngineControl*>(m_pPane->Browser());
    ASSERT_NE(pControl, nullptr);
    pControl->page()->runJavaScript("document.getElementById('zip').click()",
                                    QWebEngineScript::ApplicationWorld);
    ASSERT_TRUE(WaitFor([&] { return m_pList->Rows().size() == 2; }));
    EXPECT_EQ(Newest()->record.path, m_dir.filePath("page.zip"));
    ASSERT_TRUE(WaitFor([&] { return NewestState() == SDownloadRecord::Finished; }));
    EXPECT_EQ(Read(m_dir.filePath("page.zip")), m_zip.body);

    OpenList();
    ASSERT_EQ(m_pList->Rows().size(), 2);
    EXPECT_EQ(m_pList->Rows()[0].record.path, m_dir.filePath("page.zip"));
    EXPECT_EQ(m_pList->Rows()[1].record.path, m_dir.filePath("data.zip"));
    for (const CDownloadList::Row& row : m_pList->Rows()) {
        EXPECT_EQ(row.record.state, SDownloadRecord::Finished);
        EXPECT_FALSE(row.bMissing);
    }
    EXPECT_EQ(Files(), QStringList({"data.zip", "page.zip"}));
}

TEST_F(DownloadsWindowTest, CancelledAndFailedDownloadsCompleteWhenRetried)
{
    // A transfer that waits half-way is cancelled from the window.
    CLoopbackHttpServer::Page slow = m_zip;
    slow.delivery = CLoopbackHttpServer::Page::Stall;
    slow.nStallBytes = 100000;
    m_server.SetPage("/data.zip", slow);
    Save("/data.zip", "data.zip");
    ASSERT_TRUE(WaitFor([&] { return Newest() && Newest()->record.nReceived > 0; }));
    EXPECT_EQ(NewestState(), SDownloadRecord::Running);
    Press("cancel");
    ASSERT_TRUE(WaitFor([&] { return NewestState() == SDownloadRecord::Cancelled; }));
    ASSERT_TRUE(WaitFor([&] { return m_result.has_value(); }));
    EXPECT_FALSE(*m_result);
    ASSERT_TRUE(WaitFor([&] { return Files().isEmpty(); })) << Files().join(' ').toStdString();
    m_server.ReleaseHeld();

    // Retried, it completes into the same file, on the same row.
    m_server.SetPage("/data.zip", m_zip);
    Press("retry");
    EXPECT_EQ(NewestState(), SDownloadRecord::Running);
    ASSERT_TRUE(WaitFor([&] { return NewestState() == SDownloadRecord::Finished; }));
    EXPECT_EQ(Read(m_dir.filePath("data.zip")), m_zip.body);
    EXPECT_EQ(m_pList->Rows().size(), 1);

    // A transfer that breaks off fails with its reason, and completes when retried.
    CLoopbackHttpServer::Page broken = m_zip;
    broken.nDeclaredLength = m_zip.body.size() * 2;
    m_server.SetPage("/other.zip", broken);
    m_result.reset();
    Save("/other.zip", "other.zip");
    ASSERT_TRUE(WaitFor([&] { return NewestState() == SDownloadRecord::Failed; }));
    EXPECT_FALSE(Newest()->record.reason.isEmpty());
    ASSERT_TRUE(WaitFor([&] { return Files() == QStringList{"data.zip"}; }))
        << Files().join(' ').toStdString();
    m_server.SetPage("/other.zip", m_zip);
    Press("retry");
    ASSERT_TRUE(WaitFor([&] { return NewestState() == SDownloadRecord::Finished; }));
    EXPECT_EQ(Read(m_dir.filePath("other.zip")), m_zip.body);

    // Still so after a restart; Clear List empties it and leaves the files.
    OpenList();
    ASSERT_EQ(m_pList->Rows().size(), 2);
    EXPECT_EQ(m_pList->Rows()[0].record.state, SDownloadRecord::Finished);
    m_pList->ClearEnded();
    OpenList();
    EXPECT_TRUE(m_pList->Rows().isEmpty());
    EXPECT_EQ(Files(), QStringList({"data.zip", "other.zip"}));
}

} // namespace
