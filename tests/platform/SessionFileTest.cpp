// The session file: what a browser that did not end normally leaves for the next start.
#include "TempHome.h"

#include "platform/Paths.h"
#include "platform/SessionFile.h"

#include <QDir>
#include <QFile>
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
    EXPECT_TRUE(CSessionFile::Format(cases[0]).startsWith("nuvBrowser session 1\nactive 0\n"));
}

TEST(SessionFileTest, DamagedOrForeignFilesAreRefused)
{
    const QByteArray good = "nuvBrowser session 1\nactive 1\npane http://a/\npane http://b/\n";
    SessionData data;
    ASSERT_TRUE(CSessionFile::Parse(good, &data));
    const QByteArray cases[] = {
        "",
        "nuvBrowser session 2\nactive 0\npane http://a/\n",
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
    EXPECT_EQ(file.Read(&data), CSessionFile::ReadResult::Damaged);
    // A folder in its place is damaged too, not missing.
    ASSERT_TRUE(QFile::remove(file.Path()));
    ASSERT_TRUE(QDir().mkpath(file.Path()));
    EXPECT_EQ(file.Read(&data), CSessionFile::ReadResult::Damaged);
}

TEST(SessionFileTest, PutAsideItReplacesTheOlderBackup)
{
    CTempHome home;
    const CSessionFile file;
    ASSERT_TRUE(file.Write({{"http://old/"}, 0}));
    ASSERT_TRUE(file.MoveToBackup());
    ASSERT_TRUE(file.Write({{"http://new/"}, 0}));
    ASSERT_TRUE(file.MoveToBackup());
    EXPECT_FALSE(QFile::exists(file.Path()));
    SessionData data;
    ASSERT_EQ(CSessionFile(file.BackupPath()).Read(&data), CSessionFile::ReadResult::Ok);
    EXPECT_EQ(data.addresses, QStringList{"http://new/"});
    EXPECT_FALSE(file.MoveToBackup()) << "nothing left to put aside";
}

} // namespace
