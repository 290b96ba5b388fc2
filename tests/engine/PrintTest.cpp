// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a page on the real engine: a PDF file keeps the text as text.
#include "EngineFixture.h"
#include "EventLog.h"
#include "WaitFor.h"

#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PrintTest : public EngineTest
{
};

TEST_F(PrintTest, APdfFileKeepsTheTextAsText)
{
    QByteArray body = "<html><head><title>Long</title></head><body>";
    for (int i = 0; i < 200; ++i)
        body += "<p>Line " + QByteArray::number(i) + " of a long document to print.</p>";
    m_server.SetHtml("/long.html", body + "</body></html>");
    CEventLog log;
    std::unique_ptr<CWebEngineControl> control(
        static_cast<CWebEngineControl*>(CreateWebEngineControl(nullptr)));
    control->resize(600, 400);
    control->SetEventSink(&log);
    control->Navigate2(m_server.Url("/long.html"));
    ASSERT_TRUE(WaitFor([&] { return log.Has("Complete " + m_server.Url("/long.html")); }));

    QTemporaryDir dir;
    const QString path = dir.filePath("out.pdf");
    auto pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pPrinter->setOutputFormat(QPrinter::PdfFormat);
    pPrinter->setOutputFileName(path);
    ASSERT_TRUE(control->StartPrint(std::move(pPrinter)));
    // It shows that it works until the file is written; one job at a time.
    EXPECT_TRUE(control->IsPrinting());
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(log.Has("Status Printing..."));
    EXPECT_FALSE(control->StartPrint(std::make_unique<QPrinter>()));
    ASSERT_TRUE(WaitFor([&] { return !control->IsPrinting(); }, 60000));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log.m_lines.last(), "Status ");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    // Text is set in fonts; pages drawn as pictures would be JPEG images.
    EXPECT_TRUE(pdf.contains("/Font"));
    EXPECT_FALSE(pdf.contains("/DCTDecode"));
    EXPECT_GE(pdf.count("/Type /Page") + pdf.count("/Type/Page"), 3);
}

} // namespace
