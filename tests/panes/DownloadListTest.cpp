// SPDX-License-Identifier: GPL-3.0-or-later
// The downloads list over its stores: rows come back after a reopen, newest first, a finished
// file deleted outside shows as missing, Clear List keeps what still runs, and cancel and
// retry reach the engine. Each case runs over every store the program has.
#include "panes/DownloadList.h"
#include "TempHome.h"
#include "platform/SqlDownloadStore.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

namespace {
// Hands the list a store that outlives it, as a file outlives the program.
class CBorrowedStore : public IDownloadStore
{
public:
    explicit CBorrowedStore(IDownloadStore* pStore) : m_pStore(pStore) {}
    QList<SDownloadRecord> Load(int nMax) override { return m_pStore->Load(nMax); }
    void Put(const SDownloadRecord& record) override { m_pStore->Put(record); }
    void Remove(const QList<qint64>& ids) override { m_pStore->Remove(ids); }

private:
    IDownloadStore* m_pStore;
};

class CFakeEngine : public IDownloadEngine
{
public:
    QList<qint64> cancelled;
    QList<SDownloadRecord> retried;
    QList<qint64> forgotten;
    bool bRetryStarts = true;
    void CancelDownload(qint64 nId) override { cancelled.append(nId); }
    bool RetryDownload(const SDownloadRecord& record) override
    {
        retried.append(record);
        return bRetryStarts;
    }
    void ForgetDownload(qint64 nId) override { forgotten.append(nId); }
};

struct StoreKind
{
    const char* pszName;
    // Opens the store again, as the next start of the program does.
    std::function<std::unique_ptr<IDownloadStore>(const QString& folder)> open;
};

class DownloadListTest : public ::testing::TestWithParam<StoreKind>
{
protected:
    CTempHome home;
    CMemoryDownloadStore memory;
    CFakeEngine engine;
    std::unique_ptr<CDownloadList> pList;

    void SetUp() override
    {
        CDownloadList::SetEngine(&engine);
        Reopen();
    }
    void TearDown() override
    {
        pList.reset();
        CDownloadList::SetEngine(nullptr);
    }
    void Reopen()
    {
        pList.reset(); // written out before the next one reads
        std::unique_ptr<IDownloadStore> pStore = GetParam().open(home.Path());
        if (!pStore)
            pStore = std::make_unique<CBorrowedStore>(&memory);
        pList = std::make_unique<CDownloadList>(std::move(pStore));
    }
    QString File(const QString& name, const QByteArray& content = "data")
    {
        const QString path = home.Path() + "/" + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    QStringList Names() const
    {
        QStringList names;
        for (const CDownloadList::Row& row : pList->Rows())
            names << row.record.path.section('/', -1);
        return names;
    }
};

TEST_P(DownloadListTest, RowsSurviveAReopenNewestFirst)
{
    const QString a = File("a.zip", "12345");
    const qint64 nA = pList->Begin(a, "http://127.0.0.1/a.zip");
    pList->Progress(nA, 2, 5);
    pList->End(nA, SDownloadRecord::Finished);
    const qint64 nB = pList->Begin(home.Path() + "/b.iso", "http://127.0.0.1/b.iso", 100);
    pList->End(nB, SDownloadRecord::Failed, "the network connection failed");
    const qint64 nC = pList->Begin(home.Path() + "/c.pdf", "http://127.0.0.1/c.pdf");
    pList->End(nC, SDownloadRecord::Cancelled);
    const qint64 nD = pList->Begin(home.Path() + "/d.bin", "http://127.0.0.1/d.bin", 9);
    pList->Progress(nD, 3, 9); // still running when the program ends
    EXPECT_EQ(Names(), QStringList({"d.bin", "c.pdf", "b.iso", "a.zip"}));

    Reopen();
    ASSERT_EQ(Names(), QStringList({"d.bin", "c.pdf", "b.iso", "a.zip"}));
    const struct
    {
        qint64 nId;
        int state;
        QString reason;
        qint64 nTotal;
    } rows[] = {
        {nD, SDownloadRecord::Failed, SDownloadRecord::SessionEndedReason(), 9},
        {nC, SDownloadRecord::Cancelled, QString(), -1},
        {nB, SDownloadRecord::Failed, "the network connection failed", 100},
        {nA, SDownloadRecord::Finished, QString(), 5},
    };
    for (const auto& row : rows) {
        const CDownloadList::Row* pRow = pList->Find(row.nId);
        ASSERT_NE(pRow, nullptr) << row.nId;
        EXPECT_EQ(pRow->record.state, row.state) << row.nId;
        EXPECT_EQ(pRow->record.reason, row.reason) << row.nId;
        EXPECT_EQ(pRow->record.nTotal, row.nTotal) << row.nId;
    }
    EXPECT_EQ(pList->Find(nA)->record.address, "http://127.0.0.1/a.zip");
    EXPECT_EQ(pList->Find(nA)->record.path, a);
    // A later download gets a larger id than every kept one.
    EXPECT_GT(pList->Begin(home.Path() + "/e", "http://127.0.0.1/e"), nD);
    EXPECT_EQ(Names().first(), "e");
}

TEST_P(DownloadListTest, AFinishedFileDeletedOutsideShowsAsMissing)
{
    const QString path = File("report.pdf");
    const qint64 nId = pList->Begin(path, "http://127.0.0.1/report.pdf");
    pList->End(nId, SDownloadRecord::Finished);
    EXPECT_FALSE(pList->Find(nId)->bMissing);
    ASSERT_TRUE(QFile::remove(path));
    QSignalSpy changed(pList.get(), &CDownloadList::RowChanged);
    pList->CheckFiles();
    EXPECT_TRUE(pList->Find(nId)->bMissing);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(CDownloadList::StateText(*pList->Find(nId)).startsWith("Missing"));
    // Also after a restart; and a file that comes back is no longer missing.
    Reopen();
    EXPECT_TRUE(pList->Find(nId)->bMissing);
    File("report.pdf");
    pList->CheckFiles();
    EXPECT_FALSE(pList->Find(nId)->bMissing);
}

TEST_P(DownloadListTest, ClearListAndRemoveKeepWhatRuns)
{
    const qint64 nDone = pList->Begin(File("done"), "http://127.0.0.1/done");
    pList->End(nDone, SDownloadRecord::Finished);
    const qint64 nFailed = pList->Begin(home.Path() + "/failed", "http://127.0.0.1/failed");
    pList->End(nFailed, SDownloadRecord::Failed, "x");
    const qint64 nRunning = pList->Begin(home.Path() + "/running", "http://127.0.0.1/running");

    pList->Remove(nRunning); // a running download is not removed
    EXPECT_EQ(Names(), QStringList({"running", "failed", "done"}));
    pList->ClearEnded();
    EXPECT_EQ(Names(), QStringList({"running"}));
    EXPECT_EQ(engine.forgotten, QList<qint64>({nFailed, nDone}));
    Reopen();
    ASSERT_EQ(Names(), QStringList({"running"}));
    // The file the list named stays where it is.
    EXPECT_TRUE(QFile::exists(home.Path() + "/done"));
}

TEST_P(DownloadListTest, CancelAndRetryGoToTheEngine)
{
    const qint64 nId = pList->Begin(home.Path() + "/f.zip", "http://127.0.0.1/f.zip", 10);
    pList->Progress(nId, 4, 10);
    EXPECT_FALSE(pList->Retry(nId)); // running: nothing to retry
    pList->Cancel(nId);
    EXPECT_EQ(engine.cancelled, QList<qint64>({nId}));
    pList->End(nId, SDownloadRecord::Cancelled);
    pList->Cancel(nId); // ended: nothing to cancel
    EXPECT_EQ(engine.cancelled.size(), 1);

    ASSERT_TRUE(pList->Retry(nId));
    ASSERT_EQ(engine.retried.size(), 1);
    EXPECT_EQ(engine.retried[0].address, "http://127.0.0.1/f.zip");
    EXPECT_EQ(engine.retried[0].path, home.Path() + "/f.zip");
    EXPECT_EQ(pList->Find(nId)->record.state, SDownloadRecord::Running);
    EXPECT_EQ(Names(), QStringList({"f.zip"})); // the same row, not a new one

    // A retry that cannot start fails at once, with a reason.
    pList->End(nId, SDownloadRecord::Failed, "x");
    engine.bRetryStarts = false;
    EXPECT_FALSE(pList->Retry(nId));
    EXPECT_EQ(pList->Find(nId)->record.state, SDownloadRecord::Failed);
    EXPECT_FALSE(pList->Find(nId)->record.reason.isEmpty());
}

TEST(DownloadListText, StateTexts)
{
    const auto row = [](int state, qint64 nReceived, qint64 nTotal, qint64 nSpeed,
                        const QString& reason = QString()) {
        CDownloadList::Row r;
        r.record.state = state;
        r.record.nReceived = nReceived;
        r.record.nTotal = nTotal;
        r.record.reason = reason;
        r.nBytesPerSecond = nSpeed;
        return r;
    };
    const struct
    {
        CDownloadList::Row row;
        const char* pszText;
    } cases[] = {
        {row(SDownloadRecord::Running, 0, -1, -1), "0 bytes"},
        {row(SDownloadRecord::Running, 1500000, 50000000, -1), "1.5 MB of 50.0 MB"},
        {row(SDownloadRecord::Running, 0, 50000000, 1000000),
         "0 bytes of 50.0 MB, 1.0 MB/s, 50 s left"},
        {row(SDownloadRecord::Running, 0, 50000000, 100000),
         "0 bytes of 50.0 MB, 100.0 kB/s, 8 min 20 s left"},
        {row(SDownloadRecord::Running, 0, 50000000, 0), "0 bytes of 50.0 MB, 0 bytes/s"},
        {row(SDownloadRecord::Finished, 0, 2000, -1), "Finished, 2.0 kB"},
        {row(SDownloadRecord::Cancelled, 0, -1, -1), "Cancelled"},
        {row(SDownloadRecord::Failed, 0, -1, -1, "the network connection failed"),
         "Failed: the network connection failed"},
        {row(SDownloadRecord::Failed, 0, -1, -1), "Failed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDownloadList::StateText(c.row), c.pszText);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, DownloadListTest,
    ::testing::Values(StoreKind{"memory",
                                [](const QString&) { return std::unique_ptr<IDownloadStore>(); }},
                      StoreKind{"sqlite",
                                [](const QString& folder) -> std::unique_ptr<IDownloadStore> {
                                    auto p = CSqlDownloadStore::Open(folder + "/history.sqlite");
                                    EXPECT_NE(p, nullptr);
                                    return p;
                                }}),
    [](const auto& info) { return std::string(info.param.pszName); });
} // namespace
