// SPDX-License-Identifier: GPL-3.0-or-later
// The registry file under faults: a writer killed in the middle of its writes, a full disk,
// a folder nobody may write, two writers at once, and a very large file. Writers run in
// child processes, so a kill or a resource limit hits them and not the test.
#include "TempHome.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kKey = QStringLiteral("Software\\Qorval\\nuvBrowser\\Options");
const QString kKept = QStringLiteral("Kept");

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs body in a child process; its exit status (0 on success), -signal when killed.
template <typename Body> pid_t StartChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body() ? 0 : 1);
    return pid;
}

int WaitChild(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// The registry holds either the whole earlier value or the whole later one, parsed clean,
// and the value nobody wrote is still there.
void ExpectOneWholeValue(const QString& path, const QList<QString>& allowed)
{
    const RegistryData data = RegistryData::Parse(FileBytes(path));
    EXPECT_EQ(data.damagedLines, 0);
    const RegKeyData* key = data.FindKey(kKey);
    ASSERT_NE(key, nullptr);
    const RegValue* kept = key->Find(kKept);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->text, QStringLiteral("untouched"));
    const RegValue* value = key->Find(QStringLiteral("Big"));
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(allowed.contains(value->text)) << value->text.left(20).toStdString();
}

// Takes the capabilities that let root pass over file modes out of this process's set.
bool DropFileModeOverride()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        data[0].effective &= ~(1u << cap), data[0].permitted &= ~(1u << cap);
    return ::syscall(SYS_capset, &header, data) == 0;
}

class RegistryFaultTest : public ::testing::Test
{
protected:
    CTempHome home;
    const QString big1 = QString(200000, QLatin1Char('a'));
    const QString big2 = QString(200000, QLatin1Char('b'));

    void SetUp() override
    {
        CRegKey key;
        ASSERT_TRUE(key.Create(kKey));
        ASSERT_TRUE(key.SetString(kKept, QStringLiteral("untouched")));
        ASSERT_TRUE(key.SetString(QStringLiteral("Big"), big1));
    }
};

TEST_F(RegistryFaultTest, WriterKilledMidWriteLeavesOldOrNewFile)
{
    const QString path = home.RegistryPath();
    for (int round = 0; round < 20; ++round) {
        // The child writes the two values in turn until it is killed; the kill lands after a
        // number of the child's file changes that grows with the round, wherever the child is.
        const pid_t pid = StartChild([&] {
            CRegKey key;
            key.Open(kKey);
            for (int i = 0;; ++i)
                key.SetString(QStringLiteral("Big"), i % 2 ? big1 : big2);
            return true;
        });
        ASSERT_GT(pid, 0);
        QByteArray last = FileBytes(path);
        for (int changes = 0, polls = 0; changes <= round % 5 && polls < 20000; ++polls) {
            const QByteArray now = FileBytes(path);
            if (now != last)
                ++changes, last = now;
        }
        ::kill(pid, SIGKILL);
        EXPECT_EQ(WaitChild(pid), -SIGKILL);
        ExpectOneWholeValue(path, {big1, big2});
    }
    // The program goes on using the file, and its next write clears the temporary files
    // the killed writers left.
    CRegKey key;
    ASSERT_TRUE(key.Open(kKey));
    EXPECT_TRUE(key.SetString(QStringLiteral("Big"), QStringLiteral("after")));
    ExpectOneWholeValue(path, {QStringLiteral("after")});
    EXPECT_EQ(QFileInfo(path).dir().entryList(QDir::Files, QDir::Name).join(' ').toStdString(),
              "registry.reg registry.reg.lock");
}

TEST_F(RegistryFaultTest, FullDiskFailsTheWriteAndKeepsTheFile)
{
    const QByteArray before = FileBytes(home.RegistryPath());
    // A file-size limit below the new file's size: the write fails as on a full disk.
    const pid_t pid = StartChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        CRegKey key;
        if (!key.Open(kKey))
            return false;
        // Failure is reported, and the program keeps running and reading.
        const bool bWritten = key.SetString(QStringLiteral("Big"), big2);
        QString text;
        return !bWritten && key.QueryString(kKept, &text) && text == QLatin1String("untouched");
    });
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitChild(pid), 0);
    EXPECT_EQ(FileBytes(home.RegistryPath()), before);
    // No half-written temporary file is left beside it (the lock file stays).
    QStringList left = QDir(QFileInfo(home.RegistryPath()).path()).entryList(QDir::Files);
    left.removeAll(QStringLiteral("registry.reg.lock"));
    EXPECT_EQ(left, QStringList{QStringLiteral("registry.reg")});
}

TEST_F(RegistryFaultTest, ReadOnlyFolderFailsTheWriteAndKeepsTheFile)
{
    const QString folder = QFileInfo(home.RegistryPath()).path();
    const QByteArray before = FileBytes(home.RegistryPath());
    ASSERT_EQ(::chmod(QFile::encodeName(home.RegistryPath()).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const pid_t pid = StartChild([&] {
        // Root writes anywhere: the child gives up the right to ignore file modes first.
        if (!DropFileModeOverride())
            return false;
        CRegKey key;
        QString text;
        return key.Open(kKey) && !key.SetString(QStringLiteral("Big"), big2) &&
               key.QueryString(kKept, &text) && text == QLatin1String("untouched");
    });
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitChild(pid), 0);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(FileBytes(home.RegistryPath()), before);
}

TEST_F(RegistryFaultTest, TwoWritersAtOnceLoseNeither)
{
    constexpr int kRounds = 150;
    auto writer = [](const QString& name) {
        return [name] {
            CRegKey key;
            if (!key.Open(kKey))
                return false;
            for (int i = 1; i <= kRounds; ++i) {
                if (!key.SetDword(name, quint32(i)))
                    return false;
                quint32 seen = 0;
                if (!key.QueryDword(name, &seen) || seen != quint32(i))
                    return false; // the other writer lost this one's value
            }
            return true;
        };
    };
    const pid_t a = StartChild(writer(QStringLiteral("WriterA")));
    const pid_t b = StartChild(writer(QStringLiteral("WriterB")));
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(WaitChild(a), 0);
    EXPECT_EQ(WaitChild(b), 0);
    CRegKey key;
    ASSERT_TRUE(key.Open(kKey));
    quint32 va = 0, vb = 0;
    EXPECT_TRUE(key.QueryDword(QStringLiteral("WriterA"), &va));
    EXPECT_TRUE(key.QueryDword(QStringLiteral("WriterB"), &vb));
    EXPECT_EQ(va, quint32(kRounds));
    EXPECT_EQ(vb, quint32(kRounds));
    ExpectOneWholeValue(home.RegistryPath(), {big1});
}

TEST_F(RegistryFaultTest, TwentyMegabyteFileIsReadAndWritten)
{
    // 20 MB of keys and values (a file grown by some other program).
    QByteArray bytes = "REGEDIT4\r\n";
    for (int k = 0; bytes.size() < 20 * 1024 * 1024; ++k) {
        bytes += "\r\n[HKEY_CURRENT_USER\\Software\\Filler\\K" + QByteArray::number(k) + "]\r\n";
        for (int v = 0; v < 100; ++v)
            bytes += "\"V" + QByteArray::number(v) + "\"=\"" + QByteArray(2000, 'x') + "\"\r\n";
    }
    QFile f(home.RegistryPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Append));
    ASSERT_EQ(f.write(bytes.mid(10)), bytes.size() - 10);
    f.close();
    CRegKey key;
    ASSERT_TRUE(key.Open(kKey));
    QString text;
    EXPECT_TRUE(key.QueryString(kKept, &text));
    EXPECT_TRUE(key.SetString(kKept, QStringLiteral("changed")));
    EXPECT_TRUE(CRegKey().Open(QStringLiteral("Software\\Filler\\K0")));
    EXPECT_TRUE(key.QueryString(kKept, &text));
    EXPECT_EQ(text, QStringLiteral("changed"));
}
} // namespace
