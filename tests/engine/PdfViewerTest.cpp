// SPDX-License-Identifier: GPL-3.0-or-later
// PDF documents from the network are shown in the page by the engine's own viewer; saving
// the link target or the page still writes the file.
#include "EngineFixture.h"
#include "FakePaneHost.h"
#include "ModalDriver.h"
#include "WaitFor.h"

#include "panes/HtmlPane.h"
#include "panes/webengine/WebEngineControl.h"
#include "platform/Paths.h"

#include <QDir>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

// A one-page PDF with a title in its document information, cross-reference offsets computed.
QByteArray PdfWithTitle(const QByteArray& title)
{
    const QByteArray stream = "BT /F1 24 Tf 40 100 Td (Hello from the loopback) Tj ET";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream +
            "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Title (" + title + ") >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

class PdfViewerTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        CLoopbackHttpServer::Page pdf;
        pdf.contentType = "application/pdf";
        pdf.body = PdfWithTitle("Loopback Report");
        m_server.SetPage("/report.pdf", pdf);
        m_pPane = static_cast<CHtmlPane*>(m_host.AddPane(PANE_HTML));
    }

    CFakePaneHost m_host;
    CHtmlPane* m_pPane = nullptr;
};

TEST_F(PdfViewerTest, APdfOpensInThePageWithoutADownload)
{
    // Any dialog (the download's file dialog) is closed and fails the test.
    CModalDriver noDialogs({});
    const QString url = m_server.Url("/report.pdf");
    ASSERT_TRUE(m_pPane->Navigate(url, false, true));
    EXPECT_TRUE(WaitFor([&] { return m_pPane->GetTitle() == "Loopback Report"; }, 30000))
        << m_pPane->GetTitle().toStdString();
    EXPECT_EQ(m_pPane->GetAddress(), url);
    EXPECT_FALSE(m_pPane->IsNavigating());
    EXPECT_EQ(noDialogs.Handled(), 0);

    // Saving the link target still writes the document itself.
    QTemporaryDir dir;
    const QString path = dir.filePath("saved.pdf");
    std::optional<bool> saved;
    m_pPane->Browser()->SaveAddressToFile(url, path, [&](bool bOk) { saved = bOk; });
    ASSERT_TRUE(WaitFor([&] { return saved.has_value(); }, 30000));
    EXPECT_TRUE(*saved);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), PdfWithTitle("Loopback Report"));

    // Save As of the page shown: the engine cannot save the viewer as a page and downloads
    // the document instead, to the chosen file.
    const QString page = dir.filePath("page.pdf");
    saved.reset();
    m_pPane->SaveDocument(page, [&](SaveResult r) { saved = r == SaveResult::Saved; });
    ASSERT_TRUE(WaitFor([&] { return saved.has_value(); }, 30000));
    EXPECT_TRUE(*saved);
    QFile pageFile(page);
    ASSERT_TRUE(pageFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(pageFile.readAll(), PdfWithTitle("Loopback Report"));
    EXPECT_EQ(QDir(DownloadsFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(noDialogs.Handled(), 0);
}

} // namespace
