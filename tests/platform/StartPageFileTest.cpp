// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StartPageFile.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section('/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(StartPageFileTest, TheShippedPageIsAFileWithAnAddress)
{
    const QByteArray shipped = ReadAll(":/res/start.html");
    ASSERT_FALSE(shipped.isEmpty());
    const struct
    {
        const char* name;
        QByteArray before; // what the file holds first; null: there is none
    } cases[] = {
        {"missing", QByteArray()},
        {"cut short", shipped.left(40)},
        {"changed", "<html>something else</html>"},
        {"as shipped", shipped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempHome home;
        if (!c.before.isNull())
            WriteAll(home.DataHome() + "/nuvBrowser/start.html", c.before);
        const QString address = CStartPageFile::Address();
        EXPECT_EQ(address,
                  QUrl::fromLocalFile(home.DataHome() + "/nuvBrowser/start.html").toString());
        EXPECT_EQ(ReadAll(QUrl(address).toLocalFile()), shipped);
    }
}

TEST(StartPageFileTest, AFolderThatCannotBeMadeLeavesTheResourceAddress)
{
    CTempHome home;
    // A file where the program's data folder should be.
    WriteAll(home.DataHome() + "/nuvBrowser", "not a folder");
    EXPECT_EQ(CStartPageFile::Address(), "qrc:///res/start.html");
    EXPECT_EQ(ReadAll(home.DataHome() + "/nuvBrowser"), "not a folder");
}
} // namespace
