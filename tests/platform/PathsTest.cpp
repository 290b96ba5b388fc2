// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {
mode_t ModeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class PathsTest : public ::testing::Test
{
protected:
    // Points the temporary directory into the test's home and drops XDG_RUNTIME_DIR.
    QString UseTempFallback()
    {
        const QString tmp = m_home.Path() + "/tmp";
        QDir().mkpath(tmp);
        qputenv("TMPDIR", QFile::encodeName(tmp));
        qunsetenv("XDG_RUNTIME_DIR");
        return tmp + QString("/nuvBrowser-%1").arg(::geteuid());
    }
    void TearDown() override
    {
        if (m_bHadTmp)
            qputenv("TMPDIR", m_savedTmp);
        else
            qunsetenv("TMPDIR");
    }

    CTempHome m_home;
    bool m_bHadTmp = qEnvironmentVariableIsSet("TMPDIR");
    QByteArray m_savedTmp = qgetenv("TMPDIR");
};

TEST_F(PathsTest, RuntimeFolderLivesInTheRuntimeDirectory)
{
    const QString expected = m_home.RuntimeDir() + "/nuvBrowser";
    EXPECT_EQ(RuntimeFolder(), expected);
    EXPECT_EQ(ModeOf(expected), 0700u);
}

TEST_F(PathsTest, WithoutARuntimeDirectoryAPrivateTemporaryFolderServes)
{
    const QString expected = UseTempFallback();
    EXPECT_EQ(RuntimeFolder(), expected);
    EXPECT_EQ(ModeOf(expected), 0700u);
    EXPECT_EQ(RuntimeFolder(), expected) << "found again";

    qputenv("XDG_RUNTIME_DIR", "relative/run"); // not absolute: not used
    EXPECT_EQ(RuntimeFolder(), expected);
}

TEST_F(PathsTest, ForeignOrOpenFoldersAreRefused)
{
    const QString folder = UseTempFallback();
    const QByteArray native = QFile::encodeName(folder);

    ASSERT_EQ(::mkdir(native.constData(), 0700), 0);
    ASSERT_EQ(::chmod(native.constData(), 0750), 0);
    EXPECT_EQ(RuntimeFolder(), QString()) << "group may enter";
    ASSERT_EQ(::chmod(native.constData(), 0701), 0);
    EXPECT_EQ(RuntimeFolder(), QString()) << "others may pass";
    ASSERT_EQ(::rmdir(native.constData()), 0);

    // A link to a private folder elsewhere (someone could have placed it there).
    const QString target = m_home.Path() + "/elsewhere";
    ASSERT_EQ(::mkdir(QFile::encodeName(target).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(target, folder));
    EXPECT_EQ(RuntimeFolder(), QString()) << "symbolic link";
    ASSERT_TRUE(QFile::remove(folder));

    QFile file(folder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(RuntimeFolder(), QString()) << "a file";
    ASSERT_TRUE(QFile::remove(folder));

    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give the folder to another user";
    ASSERT_EQ(::mkdir(native.constData(), 0700), 0);
    ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
    EXPECT_EQ(RuntimeFolder(), QString()) << "another owner";
}

TEST_F(PathsTest, DownloadCacheFolderIsPrivate)
{
    const QString folder = m_home.Path() + "/.cache/nuvBrowser/downloads";
    const QByteArray native = QFile::encodeName(folder);
    EXPECT_EQ(DownloadCacheFolder(), folder);
    EXPECT_EQ(ModeOf(folder), 0700u);

    // One of ours that others may enter is closed; a link to a folder elsewhere is refused.
    ASSERT_EQ(::chmod(native.constData(), 0755), 0);
    EXPECT_EQ(DownloadCacheFolder(), folder);
    EXPECT_EQ(ModeOf(folder), 0700u);
    ASSERT_EQ(::rmdir(native.constData()), 0);
    const QString target = m_home.Path() + "/elsewhere";
    ASSERT_EQ(::mkdir(QFile::encodeName(target).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(target, folder));
    EXPECT_EQ(DownloadCacheFolder(), QString());
}

TEST_F(PathsTest, MakeFolderPathCreatesPrivateParents)
{
    const QString deep = m_home.Path() + "/a/b/c";
    EXPECT_TRUE(MakeFolderPath(deep));
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_EQ(ModeOf(m_home.Path() + "/a") & 077, 0u);
    EXPECT_TRUE(MakeFolderPath(deep)) << "already there";

    QFile file(m_home.Path() + "/plain");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(MakeFolderPath(m_home.Path() + "/plain/x"));
    EXPECT_FALSE(MakeFolderPath(m_home.Path() + "/plain"));
    EXPECT_FALSE(MakeFolderPath(QString()));
}
} // namespace
