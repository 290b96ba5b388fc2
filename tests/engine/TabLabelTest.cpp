// SPDX-License-Identifier: GPL-3.0-or-later
// What a tab is labelled on the real engine: the page's title; a document without one by its
// file name; a typed address only until its page arrives, or until it is clear none will.
#include "EngineWorkspace.h"

#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class TabLabelTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        EngineWorkspaceTest::SetUp();
        m_server.SetHtml("/a.html", "<html><head><title>Page a</title></head></html>");
        CLoopbackHttpServer::Page slow;
        slow.delivery = CLoopbackHttpServer::Page::Hold;
        m_server.SetPage("/slow.html", slow);
    }
    void TearDown() override
    {
        m_server.ReleaseHeld();
        EngineWorkspaceTest::TearDown();
    }
    // The active pane shows /a.html, labelled by its title.
    void ShowPageA()
    {
        CHtmlPane* pPane = Pane(0);
        ASSERT_TRUE(pPane->Navigate(m_server.Url("/a.html"), false, true));
        ASSERT_TRUE(WaitFor([&] { return Shows(pPane, "/a.html"); }, 30000));
        ASSERT_TRUE(WaitFor([&] { return pPane->GetTitle() == "Page a"; }));
    }
};

TEST_F(TabLabelTest, ATypedAddressWhosePageNeverArrivesGivesTheLabelBack)
{
    // An unknown scheme goes to the desktop's program (xdg-open), which is not on this PATH.
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", savedPath); });
    Open();
    ASSERT_NO_FATAL_FAILURE(ShowPageA());
    CHtmlPane* pPane = Pane(0);
    const struct
    {
        const char* name;
        QString address;
        bool bStop; // the user stops the load (Esc)
    } cases[] = {
        {"an unknown scheme", "nosuchscheme:thing", false},
        {"a malformed address", "http://[::1", false},
        {"a slow page, stopped", m_server.Url("/slow.html"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_pForm->NavigateActivePane(c.address, true);
        EXPECT_TRUE(pPane->GetTitle() == c.address || pPane->GetTitle() == "Page a");
        if (c.bStop) {
            ASSERT_TRUE(WaitFor([&] { return Requests("/slow.html") > 0; }, 30000));
            ASSERT_TRUE(m_pFrame->SendCommand(ID_VIEW_STOP));
        }
        EXPECT_TRUE(WaitFor([&] { return pPane->GetTitle() == "Page a"; }, 10000))
            << pPane->GetTitle().toStdString();
        // Give the engine the chance to report something else, should it.
        QTest::qWait(300);
        EXPECT_EQ(pPane->GetTitle(), "Page a");
        EXPECT_EQ(pPane->GetAddress(), m_server.Url("/a.html"));
    }
}

TEST_F(TabLabelTest, ADocumentWithoutATitleIsLabelledByItsFileName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString textPath = dir.filePath("notes 1.txt");
    QFile text(textPath);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("plain notes\n");
    text.close();
    CLoopbackHttpServer::Page pdf;
    pdf.contentType = "application/pdf";
    pdf.body = "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n2 0 obj\n<< /Type "
               "/Pages /Kids [] /Count 0 >>\nendobj\ntrailer\n<< /Root 1 0 R >>\n%%EOF\n";
    m_server.SetPage("/docs/untitled.pdf", pdf);
    Open();
    CHtmlPane* pPane = Pane(0);
    const struct
    {
        QString address;
        const char* label;
    } cases[] = {
        {QUrl::fromLocalFile(textPath).toString(), "notes 1.txt"},
        {m_server.Url("/docs/untitled.pdf"), "untitled.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(pPane->Navigate(c.address, false, true));
        ASSERT_TRUE(WaitFor([&] { return pPane->GetAddress() == c.address; }, 30000))
            << pPane->GetAddress().toStdString();
        EXPECT_TRUE(WaitFor([&] { return pPane->GetTitle() == c.label; }, 10000))
            << pPane->GetTitle().toStdString();
        QTest::qWait(500);
        EXPECT_EQ(pPane->GetTitle(), c.label);
    }
}

} // namespace
