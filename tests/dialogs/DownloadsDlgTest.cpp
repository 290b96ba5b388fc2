// SPDX-License-Identifier: GPL-3.0-or-later
// The Downloads window: each row's buttons by its state, and the window following the list.
#include "dialogs/DownloadsDlg.h"
#include "TempHome.h"
#include "panes/DownloadList.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(DownloadsDlgTest, EachRowOffersWhatItsStateAllows)
{
    CTempHome home;
    CDownloadList list(std::make_unique<CMemoryDownloadStore>());
    const QString kept = home.Path() + "/kept.zip";
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const qint64 nKept = list.Begin(kept, "http://127.0.0.1/kept.zip");
    list.End(nKept, SDownloadRecord::Finished);
    const qint64 nMissing = list.Begin(home.Path() + "/gone.zip", "http://127.0.0.1/gone.zip");
    list.End(nMissing, SDownloadRecord::Finished);
    const qint64 nFailed = list.Begin(home.Path() + "/f.zip", "http://127.0.0.1/f.zip");
    list.End(nFailed, SDownloadRecord::Failed, "the network connection failed");
    const qint64 nCancelled = list.Begin(home.Path() + "/c.zip", "http://127.0.0.1/c.zip");
    list.End(nCancelled, SDownloadRecord::Cancelled);

    CDownloadsDlg window(&list, nullptr);
    window.show();
    // Made before the window opened, the running one comes at the top as it starts.
    const qint64 nRunning = list.Begin(home.Path() + "/r.zip", "http://127.0.0.1/r.zip", 1000);
    list.Progress(nRunning, 250, 1000);

    const struct
    {
        qint64 nId;
        const char* pszShown; // the visible buttons; "+" marks one that is disabled
        const char* pszState;
    } rows[] = {
        {nRunning, "cancel", "250 bytes of 1.0 kB"},
        {nKept, "open folder remove", "Finished, 0 bytes"},
        {nMissing, "open+ folder retry remove", "Missing: the file was moved or deleted"},
        {nFailed, "retry remove", "Failed: the network connection failed"},
        {nCancelled, "retry remove", "Cancelled"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszState);
        QWidget* pRow = window.RowWidget(row.nId);
        ASSERT_NE(pRow, nullptr);
        QStringList shown;
        for (const char* pszName : {"open", "folder", "cancel", "retry", "remove"}) {
            auto* pButton = pRow->findChild<QPushButton*>(pszName);
            ASSERT_NE(pButton, nullptr);
            if (pButton->isVisibleTo(pRow))
                shown << QString(pszName) + (pButton->isEnabled() ? "" : "+");
        }
        EXPECT_EQ(shown.join(' '), row.pszShown);
        QStringList texts;
        for (QLabel* pLabel : pRow->findChildren<QLabel*>())
            texts << pLabel->text();
        EXPECT_TRUE(texts.contains(row.pszState)) << texts.join('|').toStdString();
    }

    // Remove from List takes the row; Clear List the rest that ended.
    window.RowWidget(nFailed)->findChild<QPushButton*>("remove")->click();
    EXPECT_EQ(window.RowWidget(nFailed), nullptr);
    EXPECT_EQ(list.Find(nFailed), nullptr);
    auto* pClear = window.findChild<QPushButton*>("clear");
    ASSERT_TRUE(pClear && pClear->isEnabled());
    pClear->click();
    EXPECT_EQ(list.Rows().size(), 1);
    EXPECT_NE(window.RowWidget(nRunning), nullptr);
    EXPECT_FALSE(pClear->isEnabled());
    // The row follows the download to its end.
    list.End(nRunning, SDownloadRecord::Cancelled);
    EXPECT_TRUE(window.RowWidget(nRunning)->findChild<QPushButton*>("retry")->isVisibleTo(
        window.RowWidget(nRunning)));
    EXPECT_TRUE(pClear->isEnabled());
}

} // namespace
