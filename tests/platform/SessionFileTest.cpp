// SPDX-License-Identifier: GPL-3.0-or-later
// The session file: what a browser that did not end normally leaves for the next start.
#include "TempHome.h"

#include "platform/Paths.h"
#include "platform/SessionFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(SessionFileTest, WrittenPagesReadBackAsTheyWere)
{
    CTempHome home;
    const CSessionFile file;
    EXPECT_EQ(file.Path(), NuvDataHome() + "/session");
    SessionData read;
    EXPECT_EQ(file.Read(&read), CSessionFile::ReadResult::Missing);

    const SessionData cases[] = {
        {{"http://127.0.0.1:8080/a.html"}, 0},
        {{"http://a.example/x y", "file:///tmp/100%.html", "http://b.example/?q=a%20b&r=1#f",
          "http://c.example/größe", "about:blank"},
         3},
        {{"http://a.example/line\nbreak\r"}, 0},
    };
    for (const SessionData& data : cases) {
        SCOPED_TRACE(data.addresses.join(' ').toStdString());
        ASSERT_TRUE(file.Write(data)); // the folder is made the first time
        ASSERT_EQ(file.Read(&read), CSessionFile::ReadResult::Ok);
        EXPECT_EQ(read, data);
        // One line per page, and no temporary file left beside it.
        EXPECT_EQ(CSessionFile::Format(data).count('\n'), data.addresses.size() + 2);
        EXPECT_EQ(QDir(NuvDataHome()).entryList(QDir::Files), QStringList{"session"});
    }
    EXPECT_TRUE(CSessionFile::Format(cases[0]).startsWith("nuvBrowser session 4\nactive 0\n"));
}

TEST(SessionFileTest, DamagedOrForeignFilesAreRefused)
{
    const QByteArray good = "nuvBrowser session 1\nactive 1\npane http://a/\npane http://b/\n";
    SessionData data;
    ASSERT_TRUE(CSessionFile::Parse(good, &data));
    const QByteArray cases[] = {
        "",
        "nuvBrowser session 5\nactive 0\npane http://a/\n", // a newer version
        "Some other file\n",
        good.left(good.size() - 3),                                         // cut short
        "nuvBrowser session 1\npane http://a/\n",                           // no active line
        "nuvBrowser session 1\nactive 2\npane http://a/\npane http://b/\n", // beyond the panes
        "nuvBrowser session 1\nactive -1\npane http://a/\n",
        "nuvBrowser session 1\nactive one\npane http://a/\n",
        "nuvBrowser session 1\nactive 0\nactive 0\npane http://a/\n",
        "nuvBrowser session 1\nactive 0\npane \n",
        "nuvBrowser session 1\nactive 0\nwindow http://a/\n",
        QByteArray("nuvBrowser session 1\nactive 0\npane http://\xff/\n"), // not UTF-8
    };
    for (const QByteArray& bytes : cases) {
        SessionData parsed{{"unchanged"}, 0};
        EXPECT_FALSE(CSessionFile::Parse(bytes, &parsed)) << bytes.constData();
        EXPECT_EQ(parsed.addresses, QStringList{"unchanged"});
    }

    CTempHome home;
    const CSessionFile file;
    ASSERT_TRUE(MakeFolderPath(NuvDataHome()));
    QFile f(file.Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(cases[1]);
    f.close();
    ASSERT_TRUE(cases[1].startsWith("nuvBrowser session 5"));
    EXPECT_EQ(file.Read(&data), CSessionFile::ReadResult::Damaged);
    // A folder in its place is damaged too, not missing.
    ASSERT_TRUE(QFile::remove(file.Path()));
    ASSERT_TRUE(QDir().mkpath(file.Path()));
    EXPECT_EQ(file.Read(&data), CSessionFile::ReadResult::Damaged);
}

TEST(SessionFileTest, HistoriesGoBesideTheirPanes)
{
    CTempHome home;
    const CSessionFile file;
    // Engine bytes are any bytes: line ends, zeros, text that looks like lines of the file.
    static const char kBinary[] = "\x04\x00\n\r\xff%\npane http://x/\nhistory \n";
    const QByteArray binary(kBinary, sizeof(kBinary) - 1);
    const SessionData data{{"http://a/", "http://b/", "http://c/"}, 2, {binary, {}, "third"}};
    ASSERT_TRUE(file.Write(data));
    SessionData read;
    ASSERT_EQ(file.Read(&read), CSessionFile::ReadResult::Ok);
    EXPECT_EQ(read, data);
    EXPECT_EQ(read.History(0), binary);
    EXPECT_TRUE(read.History(1).isEmpty());
    EXPECT_EQ(CSessionFile::Format(data).count("\nhistory "), 2);

    // A file of the version before histories reads as it did.
    ASSERT_TRUE(CSessionFile::Parse("nuvBrowser session 1\nactive 1\npane http://a/\npane "
                                    "http://b/\n",
                                    &read));
    EXPECT_EQ(read, (SessionData{{"http://a/", "http://b/"}, 1}));
}

TEST(SessionFileTest, TitlesGoBesideTheirPanesWithinTheirBound)
{
    CTempHome home;
    const CSessionFile file;
    // A page may call itself anything: line ends, "%", blanks at either end, text that looks
    // like lines of the file. A title beyond the bound is cut, never inside a character.
    const QString smile = QString::fromUtf8("\xf0\x9f\x98\x80");
    const QString longTitle = QString(CSessionFile::kMaxTitleChars - 1, 'x') + smile + "tail";
    const SessionData data{{"http://a/", "http://b/", "file:///tmp/report.pdf", "http://d/"},
                           1,
                           {"fake history a", {}, {}, "fake history d"},
                           {" 100% sure \n\rpane http://x/\ntitle y ", "Größe", {}, longTitle}};
    ASSERT_TRUE(file.Write(data));
    SessionData read;
    ASSERT_EQ(file.Read(&read), CSessionFile::ReadResult::Ok);
    EXPECT_EQ(read.addresses, data.addresses);
    EXPECT_EQ(read.Title(0), data.Title(0));
    EXPECT_EQ(read.Title(1), "Größe");
    EXPECT_TRUE(read.Title(2).isEmpty());
    EXPECT_EQ(read.Title(3), QString(CSessionFile::kMaxTitleChars - 1, 'x'));
    EXPECT_EQ(read.History(0), "fake history a");
    EXPECT_EQ(read.History(3), "fake history d");
    const QByteArray bytes = CSessionFile::Format(data);
    EXPECT_EQ(bytes.count("\ntitle "), 3);
    EXPECT_TRUE(bytes.contains("\ntitle Gr%C3%B6%C3%9Fe\n")) << bytes.left(300).constData();

    // The files of the versions before read as they did: without titles.
    for (const char* header : {"nuvBrowser session 1", "nuvBrowser session 2"}) {
        SCOPED_TRACE(header);
        ASSERT_TRUE(
            CSessionFile::Parse(QByteArray(header) + "\nactive 0\npane http://a/\n", &read));
        EXPECT_EQ(read, (SessionData{{"http://a/"}, 0}));
    }

    // A title out of its place is a damaged file.
    const QByteArray misplaced[] = {
        "nuvBrowser session 3\nactive 0\ntitle A\npane http://a/\n",
        "nuvBrowser session 3\nactive 0\npane http://a/\ntitle A\ntitle A\n",
        "nuvBrowser session 3\nactive 0\npane http://a/\nhistory aGk=\ntitle A\n",
        "nuvBrowser session 2\nactive 0\npane http://a/\ntitle A\n",
    };
    for (const QByteArray& bytes : misplaced) {
        SessionData parsed;
        EXPECT_FALSE(CSessionFile::Parse(bytes, &parsed)) << bytes.constData();
    }
}

TEST(SessionFileTest, ClosedPanesFollowTheOpenOnesInTheOrderTheyClosed)
{
    CTempHome home;
    const CSessionFile file;
    static const char kBinary[] = "\x04\x00\nclosed 0 http://x/\n";
    SessionData data{{"http://a/", "http://b/"}, 1, {"history a"}, {"A"}};
    data.closed = {
        {"http://closed.example/first", "First", QByteArray(kBinary, sizeof(kBinary) - 1), 0},
        {"http://closed.example/a b%\n", " 100% \nclosed 1 http://y/", {}, 7},
        {"about:blank", {}, "history only", 1},
        {"http://closed.example/last", "Last", {}, 2},
    };
    ASSERT_TRUE(file.Write(data));
    SessionData read;
    ASSERT_EQ(file.Read(&read), CSessionFile::ReadResult::Ok);
    EXPECT_EQ(read, data);
    ASSERT_EQ(read.closed.size(), 4);
    EXPECT_EQ(read.closed.last().address, "http://closed.example/last");
    EXPECT_EQ(read.closed[1].nPosition, 7);
    EXPECT_EQ(read.History(0), "history a") << "the open panes keep theirs";
    const QByteArray bytes = CSessionFile::Format(data);
    EXPECT_EQ(bytes.count("\nclosed "), 4) << bytes.constData();
    EXPECT_TRUE(bytes.contains("\npane http://b/\nclosed 0 http://closed.example/first\n"));

    // One without an address has nothing to open and is left out, not written as a damaged
    // line; a place below the first reads as the first.
    SessionData odd{{"http://a/"}, 0};
    odd.closed = {{"", "No address", {}, 0}, {"http://c/", {}, {}, -3}};
    ASSERT_TRUE(CSessionFile::Parse(CSessionFile::Format(odd), &read));
    EXPECT_EQ(read.closed, (QList<ClosedPane>{{"http://c/", {}, {}, 0}}));

    // A file of version 3 reads as it did, without closed panes; nor may it name any.
    ASSERT_TRUE(
        CSessionFile::Parse("nuvBrowser session 3\nactive 0\npane http://a/\ntitle A\n", &read));
    EXPECT_EQ(read, (SessionData{{"http://a/"}, 0, {}, {"A"}}));
    EXPECT_TRUE(read.closed.isEmpty());

    const QByteArray damaged[] = {
        "nuvBrowser session 3\nactive 0\npane http://a/\nclosed 0 http://b/\n",
        "nuvBrowser session 4\nactive 0\nclosed 0 http://b/\npane http://a/\n", // open first
        "nuvBrowser session 4\nactive 0\npane http://a/\nclosed http://b/\n",
        "nuvBrowser session 4\nactive 0\npane http://a/\nclosed -1 http://b/\n",
        "nuvBrowser session 4\nactive 0\npane http://a/\nclosed x http://b/\n",
        "nuvBrowser session 4\nactive 0\npane http://a/\nclosed 0 \n",
        "nuvBrowser session 4\nactive 0\npane http://a/\nclosed 0\n",
        "nuvBrowser session 4\nactive 0\nclosed 0 http://b/\nhistory aGk=\ntitle B\n",
    };
    for (const QByteArray& bytes : damaged) {
        SessionData parsed;
        EXPECT_FALSE(CSessionFile::Parse(bytes, &parsed)) << bytes.constData();
    }
    // A session of closed panes alone is whole.
    ASSERT_TRUE(CSessionFile::Parse(
        "nuvBrowser session 4\nactive 0\nclosed 3 http://b/\ntitle B\nhistory aGk=\n", &read));
    EXPECT_EQ(read.closed, (QList<ClosedPane>{{"http://b/", "B", "hi", 3}}));
}

TEST(SessionFileTest, ADamagedHistoryReadsAsNone)
{
    const QByteArray tooLarge = QByteArray(CSessionFile::kMaxHistoryBytes + 1, 'h').toBase64();
    const struct
    {
        const char* name;
        QByteArray line;
    } cases[] = {
        {"not base64", "history *** not base64 ***"},
        {"not Latin-1", "history aGlzdG9yeQ==\xc3\xa4"},
        {"empty", "history "},
        {"larger than a history may be", "history " + tooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionData read;
        ASSERT_TRUE(CSessionFile::Parse("nuvBrowser session 2\nactive 1\npane http://a/\n" +
                                            c.line + "\npane http://b/\nhistory aGlzdG9yeQ==\n",
                                        &read));
        EXPECT_EQ(read.addresses, (QStringList{"http://a/", "http://b/"}));
        EXPECT_TRUE(read.History(0).isEmpty());
        EXPECT_EQ(read.History(1), "history") << "the others keep theirs";
    }

    // A history line out of its place is a damaged file.
    const QByteArray misplaced[] = {
        "nuvBrowser session 2\nactive 0\nhistory aGlzdG9yeQ==\npane http://a/\n",
        "nuvBrowser session 2\npane http://a/\nactive 0\nhistory aGlzdG9yeQ==\n",
        "nuvBrowser session 2\nactive 0\npane http://a/\nhistory aGk=\nhistory aGk=\n",
        "nuvBrowser session 1\nactive 0\npane http://a/\nhistory aGlzdG9yeQ==\n",
    };
    for (const QByteArray& bytes : misplaced) {
        SessionData read;
        EXPECT_FALSE(CSessionFile::Parse(bytes, &read)) << bytes.constData();
    }
}

TEST(SessionFileTest, HistoriesNeverTakeTheFileBeyondWhatIsRead)
{
    CTempHome home;
    const CSessionFile file;
    // One history too large to keep, then more full-size ones than the file can hold.
    SessionData data;
    data.addresses << "http://large/";
    data.histories << QByteArray(CSessionFile::kMaxHistoryBytes + 1, 'L');
    for (int i = 0; i < 60; ++i) {
        data.addresses << QStringLiteral("http://page%1/").arg(i);
        data.histories << QByteArray(CSessionFile::kMaxHistoryBytes, char('a' + i % 26));
    }
    ASSERT_TRUE(file.Write(data));
    EXPECT_LE(QFileInfo(file.Path()).size(), CSessionFile::kMaxFileBytes);
    SessionData read;
    ASSERT_EQ(file.Read(&read), CSessionFile::ReadResult::Ok);
    EXPECT_EQ(read.addresses, data.addresses) << "every page is kept";
    EXPECT_TRUE(read.History(0).isEmpty());
    EXPECT_EQ(read.History(1), data.History(1)) << "the first ones keep theirs";
    EXPECT_TRUE(read.History(60).isEmpty()) << "the last ones go without";
}

TEST(SessionFileTest, ClosedPanesHistoriesTakeWhatRoomTheOpenOnesLeaveTheLastClosedFirst)
{
    // Open panes whose histories fill most of the file, then closed panes with full ones.
    SessionData data;
    const qsizetype nLine = (CSessionFile::kMaxHistoryBytes + 2) / 3 * 4 + 9; // "history ...\n"
    const int nFit = int(CSessionFile::kMaxFileBytes / nLine);
    for (int i = 0; i < nFit - 2; ++i) {
        data.addresses << QStringLiteral("http://open%1/").arg(i);
        data.histories << QByteArray(CSessionFile::kMaxHistoryBytes, 'o');
    }
    for (int i = 0; i < 5; ++i)
        data.closed << ClosedPane{QStringLiteral("http://closed%1/").arg(i),
                                  {},
                                  QByteArray(CSessionFile::kMaxHistoryBytes, char('a' + i)),
                                  i};
    const QByteArray bytes = CSessionFile::Format(data);
    EXPECT_LE(bytes.size(), CSessionFile::kMaxFileBytes);
    SessionData read;
    ASSERT_TRUE(CSessionFile::Parse(bytes, &read));
    for (qsizetype i = 0; i < data.addresses.size(); ++i)
        EXPECT_EQ(read.History(i), data.History(i)) << "open pane " << i;
    ASSERT_EQ(read.closed.size(), 5) << "every closed pane is kept";
    EXPECT_EQ(read.closed[4].history, data.closed[4].history) << "the last closed keeps its";
    EXPECT_TRUE(read.closed[0].history.isEmpty()) << "the first closed goes without";
}

TEST(SessionFileTest, SessionsPutAsideAreKeptInGenerations)
{
    CTempHome home;
    const CSessionFile file;
    const QFile::Permissions ownerOnly =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    auto put = [&](const QString& address) {
        EXPECT_TRUE(file.Write({{address}, 0}));
        EXPECT_EQ(QFileInfo(file.Path()).permissions(), ownerOnly);
    };
    auto kept = [&](int slot) {
        SessionData data;
        return CSessionFile(file.BackupPath(slot)).Read(&data) == CSessionFile::ReadResult::Ok
                   ? data.addresses.join(' ')
                   : QStringLiteral("<none>");
    };
    EXPECT_EQ(file.BackupPath(0), file.Path() + ".bak");
    EXPECT_EQ(file.BackupPath(3), file.Path() + ".bak.3");

    // Each one put aside takes the next slot; one already kept is not kept twice.
    const struct
    {
        const char* address;
        int nSlot;     // where it goes
        bool bDropped; // every slot was taken: the oldest went
        const char* held;
    } steps[] = {
        {"a", 0, false, "a"},    {"b", 1, false, "ab"},   {"a", 0, false, "ab"},
        {"c", 2, false, "abc"},  {"d", 3, false, "abcd"}, {"e", 4, false, "abcde"},
        {"f", 4, true, "bcdef"}, {"g", 4, true, "cdefg"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.address);
        put(step.address);
        const CBackupSlots::Kept result = file.MoveToBackup();
        EXPECT_EQ(result.path, file.BackupPath(step.nSlot));
        EXPECT_EQ(result.bDroppedOldest, step.bDropped);
        EXPECT_FALSE(QFile::exists(file.Path()));
        for (int slot = 0; slot < CBackupSlots::kSlots; ++slot) {
            SCOPED_TRACE(slot);
            const QString held = QString(step.held).mid(slot, 1);
            EXPECT_EQ(kept(slot), held.isEmpty() ? "<none>" : held);
            if (!held.isEmpty()) {
                EXPECT_EQ(QFileInfo(file.BackupPath(slot)).permissions(), ownerOnly);
            }
        }
        EXPECT_FALSE(QFile::exists(file.BackupPath(CBackupSlots::kSlots)));
    }
    EXPECT_TRUE(file.MoveToBackup().path.isEmpty()) << "nothing left to put aside";
}

TEST(SessionFileTest, AnyFileInItsPlaceIsPutAsideForTheUserAlone)
{
    CTempHome home;
    const CSessionFile file;
    ASSERT_TRUE(MakeFolderPath(NuvDataHome()));
    {
        QFile f(file.Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("damaged\xff");
        ASSERT_TRUE(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                     QFile::ReadOther));
    }
    EXPECT_EQ(file.MoveToBackup().path, file.BackupPath(0));
    EXPECT_EQ(QFileInfo(file.BackupPath(0)).permissions() & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());
    // A folder is moved aside as it is.
    ASSERT_TRUE(QDir().mkpath(file.Path() + "/inside"));
    EXPECT_EQ(file.MoveToBackup().path, file.BackupPath(1));
    EXPECT_TRUE(QFileInfo(file.BackupPath(1) + "/inside").isDir());
    EXPECT_FALSE(QFile::exists(file.Path()));
}

} // namespace
