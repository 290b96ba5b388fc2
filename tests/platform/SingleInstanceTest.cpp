// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstance.h"
#include "platform/Paths.h"

#include "TempHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using ClaimResult = CSingleInstance::ClaimResult;
using RecordCheck = CSingleInstance::RecordCheck;

namespace {
const char* Name(ClaimResult r)
{
    switch (r) {
    case ClaimResult::Claimed:
        return "Claimed";
    case ClaimResult::HandedOff:
        return "HandedOff";
    case ClaimResult::Hung:
        return "Hung";
    case ClaimResult::TooLong:
        return "TooLong";
    case ClaimResult::Failed:
        return "Failed";
    case ClaimResult::NoBrowser:
        return "NoBrowser";
    }
    return "?";
}

// Runs the event loop until done() holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, int ms = 20000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

QByteArray Header(quint32 dwData, quint32 cbData)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian<quint32>(dwData, bytes.data());
    qToLittleEndian<quint32>(cbData, bytes.data() + 4);
    return bytes;
}

QByteArray Utf16(const QString& text)
{
    QByteArray bytes(text.size() * 2, '\0');
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

struct ClientResult
{
    ClaimResult result = ClaimResult::Failed;
    bool bAnswer = false;
};

// A second start on its own thread, so the browser on this thread can answer it.
std::future<ClientResult> StartClient(const QString& folder, const QString& address,
                                      int timeoutMs = 10000)
{
    return std::async(std::launch::async, [=] {
        CSingleInstance client(timeoutMs, folder);
        ClientResult r;
        r.result = client.ClaimOrHandOff(address, &r.bAnswer);
        return r;
    });
}

ClientResult Finish(std::future<ClientResult>& f)
{
    EXPECT_TRUE(WaitUntil(
        [&] { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    return f.get();
}

class SingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strFolder = RuntimeFolder();
        ASSERT_FALSE(m_strFolder.isEmpty());
    }

    // Claims the channel with a browser that records what it is handed.
    void StartBrowser(int timeoutMs = 10000, bool bResult = true)
    {
        m_pBrowser = std::make_unique<CSingleInstance>(timeoutMs, m_strFolder);
        m_pBrowser->SetHandler([this, bResult](quint32 dwData, const QString* pText) {
            m_received.append(pText ? *pText : QStringLiteral("<null>"));
            m_dwLast = dwData;
            return bResult;
        });
        ASSERT_EQ(m_pBrowser->ClaimOrHandOff("ignored"), ClaimResult::Claimed);
        ASSERT_TRUE(m_pBrowser->IsListening());
    }

    QString SocketPath() const { return m_strFolder + "/WCE_nuvBrowserClass"; }

    // Sends raw bytes and returns the answer byte; -1 when the browser closed without one.
    int SendRaw(const QByteArray& bytes)
    {
        QLocalSocket socket;
        socket.connectToServer(SocketPath());
        if (!socket.waitForConnected(5000))
            return -2;
        socket.write(bytes);
        socket.flush();
        WaitUntil([&] {
            return socket.bytesAvailable() > 0 || socket.state() != QLocalSocket::ConnectedState;
        });
        char c = 0;
        return socket.getChar(&c) ? int(c) : -1;
    }

    CTempHome m_home;
    QString m_strFolder;
    std::unique_ptr<CSingleInstance> m_pBrowser;
    QStringList m_received;
    quint32 m_dwLast = 0;
};

TEST(SingleInstanceRecord, EncodesAndChecksRecords)
{
    const QByteArray abc = CSingleInstance::EncodeRecord(kHandOffData, "abc");
    EXPECT_EQ(abc, Header(39919, 8) + QByteArray("a\0b\0c\0\0\0", 8));
    EXPECT_EQ(CSingleInstance::EncodeRecord(kHandOffData, QString()),
              Header(39919, 2) + QByteArray(2, '\0'));

    struct Case
    {
        const char* what;
        QByteArray bytes;
        RecordCheck check;
        QString text;
    };
    const QString longest(kMaxHandOffBytes / 2 - 1, QLatin1Char('x'));
    const QString umlaut = QString::fromUtf8("h\xC3\xA4\xF0\x9D\x84\x9E"); // a surrogate pair too
    const Case cases[] = {
        {"plain", abc, RecordCheck::Complete, "abc"},
        {"empty text", Header(39919, 2) + QByteArray(2, '\0'), RecordCheck::Complete, ""},
        {"outside ASCII", CSingleInstance::EncodeRecord(kHandOffData, umlaut),
         RecordCheck::Complete, umlaut},
        {"largest", CSingleInstance::EncodeRecord(kHandOffData, longest), RecordCheck::Complete,
         longest},
        {"read up to the first zero", Header(39919, 10) + Utf16(QString::fromLatin1("ab\0cd", 5)),
         RecordCheck::Complete, "ab"},
        {"bytes past cbData ignored", abc + "junk", RecordCheck::Complete, "abc"},
        {"half a header", abc.left(5), RecordCheck::NeedMore, ""},
        {"half a text", abc.left(11), RecordCheck::NeedMore, ""},
        {"odd cbData", Header(39919, 3) + QByteArray(3, '\0'), RecordCheck::Refused, ""},
        {"zero cbData", Header(39919, 0), RecordCheck::Refused, ""},
        {"over 64 KiB", Header(39919, kMaxHandOffBytes + 2), RecordCheck::Refused, ""},
        {"no terminating zero", Header(39919, 4) + Utf16("ab"), RecordCheck::Refused, ""},
        {"foreign dwData", CSingleInstance::EncodeRecord(1234, "abc"), RecordCheck::Refused, ""},
    };
    for (const Case& c : cases) {
        quint32 dwData = 0;
        QString text;
        EXPECT_EQ(CSingleInstance::CheckRecord(c.bytes, &dwData, &text), c.check) << c.what;
        EXPECT_EQ(text, c.text) << c.what;
        if (c.check == RecordCheck::Complete) {
            EXPECT_EQ(dwData, kHandOffData) << c.what;
        }
    }
}

TEST_F(SingleInstanceTest, SecondStartHandsItsAddressToTheBrowser)
{
    StartBrowser();
    const QString address = QString::fromUtf8("http://example.org/\xC3\xA4");
    auto client = StartClient(m_strFolder, address);
    ClientResult r = Finish(client);
    EXPECT_STREQ(Name(r.result), "HandedOff");
    EXPECT_TRUE(r.bAnswer);
    EXPECT_EQ(m_received, QStringList{address});
    EXPECT_EQ(m_dwLast, kHandOffData);

    client = StartClient(m_strFolder, QString()); // an empty command line
    r = Finish(client);
    EXPECT_STREQ(Name(r.result), "HandedOff");
    EXPECT_EQ(m_received, (QStringList{address, QString()}));

    // An address too long for a record is not sent: the start says so, the browser goes on.
    const qsizetype nLongest = kMaxHandOffBytes / 2 - 1;
    const struct
    {
        qsizetype nChars;
        const char* result;
    } sizes[] = {{nLongest + 1, "TooLong"}, {40000, "TooLong"}, {nLongest, "HandedOff"}};
    for (const auto& size : sizes) {
        client = StartClient(m_strFolder, QString(size.nChars, QLatin1Char('y')));
        r = Finish(client);
        EXPECT_STREQ(Name(r.result), size.result) << size.nChars;
        EXPECT_EQ(r.bAnswer, size.result == std::string("HandedOff")) << size.nChars;
    }
    ASSERT_EQ(m_received.size(), 3);
    EXPECT_EQ(m_received.last().size(), nLongest);
}

TEST_F(SingleInstanceTest, TheSendingHalfAloneNeverListens)
{
    // Nobody listens (no socket, or a crashed browser's): nothing is sent, nothing claimed.
    CSingleInstance early(10000, m_strFolder);
    bool bAnswer = true;
    EXPECT_STREQ(Name(early.HandOff("nobody", &bAnswer)), "NoBrowser");
    EXPECT_FALSE(bAnswer);
    EXPECT_FALSE(early.IsListening());
    EXPECT_FALSE(QFileInfo::exists(SocketPath()));

    StartBrowser();
    auto client = std::async(std::launch::async, [this] {
        CSingleInstance sender(10000, m_strFolder);
        ClientResult r;
        r.result = sender.HandOff("to the browser", &r.bAnswer);
        return r;
    });
    const ClientResult r = Finish(client);
    EXPECT_STREQ(Name(r.result), "HandedOff");
    EXPECT_TRUE(r.bAnswer);
    EXPECT_EQ(m_received, QStringList{"to the browser"});
}

TEST_F(SingleInstanceTest, ARecordWhoseSenderGaveUpIsNotActedOn)
{
    // The browser was stopped: a start connected, sent its record, waited in vain and went
    // away, all before the browser could read a byte.
    StartBrowser();
    const QByteArray record = CSingleInstance::EncodeRecord(kHandOffData, "gave up");
    {
        QLocalSocket gone;
        gone.connectToServer(SocketPath());
        ASSERT_TRUE(gone.waitForConnected(5000));
        gone.write(record);
        ASSERT_TRUE(gone.waitForBytesWritten(5000));
        gone.abort();
    }
    // The browser runs again; a later start gets through.
    auto client = StartClient(m_strFolder, "later");
    EXPECT_STREQ(Name(Finish(client).result), "HandedOff");
    auto* server = m_pBrowser->findChild<QLocalServer*>();
    ASSERT_NE(server, nullptr);
    // Every connection served and closed: the one that gave up was read too.
    EXPECT_TRUE(WaitUntil([&] { return server->findChildren<QLocalSocket*>().isEmpty(); }));
    EXPECT_EQ(m_received, QStringList{"later"});
}

TEST_F(SingleInstanceTest, TheHandlersAnswerReachesTheSender)
{
    StartBrowser(10000, false);
    auto client = StartClient(m_strFolder, "x");
    const ClientResult r = Finish(client);
    EXPECT_STREQ(Name(r.result), "HandedOff");
    EXPECT_FALSE(r.bAnswer);
    EXPECT_EQ(m_received, QStringList{"x"});
}

TEST_F(SingleInstanceTest, AfterTheBrowserEndsTheNextStartBecomesTheBrowser)
{
    StartBrowser();
    m_pBrowser.reset();
    EXPECT_FALSE(QFileInfo::exists(SocketPath()));

    CSingleInstance next(10000, m_strFolder);
    QString got;
    next.SetHandler([&](quint32, const QString* pText) {
        got = *pText;
        return true;
    });
    ASSERT_STREQ(Name(next.ClaimOrHandOff("first")), "Claimed");
    auto client = StartClient(m_strFolder, "second");
    EXPECT_STREQ(Name(Finish(client).result), "HandedOff");
    EXPECT_EQ(got, "second");
}

TEST_F(SingleInstanceTest, BadRecordsAreRefusedAndTheBrowserGoesOn)
{
    StartBrowser();
    const QByteArray bad[] = {
        Header(39919, 3) + QByteArray(3, 'a'),
        Header(39919, 0),
        Header(39919, kMaxHandOffBytes + 2) + QByteArray(1000, 'a'),
        Header(39919, 4) + Utf16("ab"),
        CSingleInstance::EncodeRecord(1234, "abc"),
        Header(0, 0),
    };
    for (const QByteArray& bytes : bad)
        EXPECT_EQ(SendRaw(bytes), 0) << bytes.left(8).toHex().constData();
    EXPECT_TRUE(m_received.isEmpty());

    // Only cbData bytes are read: what follows a record is not part of its text.
    EXPECT_EQ(SendRaw(CSingleInstance::EncodeRecord(kHandOffData, "ok") + Utf16("more")), 1);
    EXPECT_EQ(m_received, QStringList{"ok"});
}

TEST_F(SingleInstanceTest, StalledOrVanishedSendersBlockNobody)
{
    StartBrowser(500);
    const QByteArray record = CSingleInstance::EncodeRecord(kHandOffData, "abcdef");

    QLocalSocket stalled;
    stalled.connectToServer(SocketPath());
    ASSERT_TRUE(stalled.waitForConnected(5000));
    stalled.write(record.left(10)); // header and one letter, then nothing
    stalled.flush();
    {
        QLocalSocket vanished;
        vanished.connectToServer(SocketPath());
        ASSERT_TRUE(vanished.waitForConnected(5000));
        vanished.write(record.left(12));
        vanished.flush();
        QTest::qWait(20);
        vanished.abort();
    }

    auto client = StartClient(m_strFolder, "through");
    const ClientResult r = Finish(client);
    EXPECT_STREQ(Name(r.result), "HandedOff");
    EXPECT_TRUE(r.bAnswer);
    EXPECT_EQ(m_received, QStringList{"through"});

    // The stalled sender is cut off with a refusal.
    ASSERT_TRUE(WaitUntil([&] {
        return stalled.bytesAvailable() > 0 || stalled.state() != QLocalSocket::ConnectedState;
    }));
    char c = 1;
    EXPECT_TRUE(stalled.getChar(&c));
    EXPECT_EQ(c, 0);
}

TEST_F(SingleInstanceTest, StaleSocketOfACrashedBrowserIsTakenOver)
{
    // A socket file nobody listens on, as a killed browser leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(SocketPath());
    ASSERT_LT(size_t(path.size()), sizeof(addr.sun_path));
    std::memcpy(addr.sun_path, path.constData(), path.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(SocketPath()));

    StartBrowser();
    auto client = StartClient(m_strFolder, "after the crash");
    EXPECT_STREQ(Name(Finish(client).result), "HandedOff");
    EXPECT_EQ(m_received, QStringList{"after the crash"});
}

TEST_F(SingleInstanceTest, BrowserThatNeverAnswersIsReportedHung)
{
    // It accepts connections (the system queues them) but never reads or answers.
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(SocketPath()));

    CSingleInstance second(300, m_strFolder);
    bool bAnswer = true;
    EXPECT_STREQ(Name(second.ClaimOrHandOff("x", &bAnswer)), "Hung");
    EXPECT_FALSE(bAnswer);
    EXPECT_FALSE(second.IsListening());
    EXPECT_TRUE(mute.isListening());
    EXPECT_TRUE(QFileInfo::exists(SocketPath())) << "the hung browser's socket stays";
}

TEST_F(SingleInstanceTest, NoSafeRuntimeFolderFails)
{
    ASSERT_TRUE(QFile::setPermissions(m_strFolder, QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadOther |
                                                       QFile::ExeOther));
    CSingleInstance instance;
    EXPECT_STREQ(Name(instance.ClaimOrHandOff("x")), "Failed");
    EXPECT_FALSE(instance.IsListening());
}

TEST_F(SingleInstanceTest, HundredStartsInARowArriveOnceEachInOrder)
{
    StartBrowser();
    QStringList sent;
    for (int i = 0; i < 100; ++i) {
        sent.append(QStringLiteral("http://127.0.0.1/%1").arg(i));
        auto client = StartClient(m_strFolder, sent.last());
        ASSERT_STREQ(Name(Finish(client).result), "HandedOff") << i;
    }
    EXPECT_EQ(m_received, sent);
}

TEST_F(SingleInstanceTest, WhatLiesAtTheSocketPathIsReplacedNeverFollowed)
{
    // Something that is no listening socket where the socket belongs: a regular file, or a
    // link to a file elsewhere. The start becomes the browser; the file the link names stays.
    const QString outside = m_home.Path() + "/outside.txt";
    struct Case
    {
        const char* what;
        std::function<bool()> make;
    };
    const Case cases[] = {
        {"regular file",
         [&] {
             QFile f(SocketPath());
             return f.open(QIODevice::WriteOnly) && f.write("x") == 1;
         }},
        {"link to a file outside", [&] { return QFile::link(outside, SocketPath()); }},
    };
    for (const Case& c : cases) {
        QFile file(outside);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        ASSERT_TRUE(c.make()) << c.what;
        StartBrowser();
        auto client = StartClient(m_strFolder, c.what);
        EXPECT_STREQ(Name(Finish(client).result), "HandedOff") << c.what;
        m_pBrowser.reset();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "keep me") << c.what;
        file.close();
    }
    EXPECT_EQ(m_received, QStringList({"regular file", "link to a file outside"}));
}

TEST_F(SingleInstanceTest, OnlyTheSameUserCanConnect)
{
    StartBrowser();
    // The folder is the user's and closed to everybody else; the socket lies inside it.
    struct stat folder;
    ASSERT_EQ(::lstat(QFile::encodeName(m_strFolder).constData(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_uid, ::geteuid());
    EXPECT_EQ(folder.st_mode & 077, 0u);
    struct stat sock;
    ASSERT_EQ(::lstat(QFile::encodeName(SocketPath()).constData(), &sock), 0);
    EXPECT_TRUE(S_ISSOCK(sock.st_mode));
    EXPECT_EQ(sock.st_uid, ::geteuid());

    // Another user tries to connect (a child that becomes "nobody"; only root can).
    if (::geteuid() != 0)
        GTEST_SKIP() << "no second user to connect as";
    const QByteArray path = QFile::encodeName(SocketPath());
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
        const bool bConnected = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::_exit(bConnected ? 1 : (errno == EACCES ? 0 : 3));
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: connected, 2: could not change user, 3: other error";
    EXPECT_TRUE(m_received.isEmpty());
}

// The other side of a hand-off in a process of its own: this test program run again with
// one of the DISABLED_ cases below selected.
QProcess* StartChild(const char* testName, const QString& folder, const QString& address)
{
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NUV_SI_FOLDER", folder);
    env.insert("NUV_SI_ADDRESS", QString::fromLatin1(address.toUtf8().toHex()));
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(),
             {"--gtest_also_run_disabled_tests",
              QString("--gtest_filter=SingleInstanceChild.%1").arg(testName)});
    return p;
}

TEST_F(SingleInstanceTest, HandOffBetweenProcesses)
{
    const QString address = QString::fromUtf8("http://example.org/\xE2\x82\xAC");
    const QByteArray hex = address.toUtf8().toHex();

    // This process is the browser, a second process starts.
    StartBrowser();
    std::unique_ptr<QProcess> child(StartChild("DISABLED_HandOff", m_strFolder, address));
    ASSERT_TRUE(WaitUntil([&] { return child->state() == QProcess::NotRunning; }, 60000));
    QByteArray out = child->readAllStandardOutput();
    EXPECT_TRUE(out.contains("CHILD result=HandedOff answer=1")) << out.constData();
    EXPECT_EQ(m_received, QStringList{address});
    m_pBrowser.reset();

    // Another process is the browser, this one starts.
    child.reset(StartChild("DISABLED_Serve", m_strFolder, QString()));
    out.clear();
    ASSERT_TRUE(WaitUntil(
        [&] {
            out += child->readAllStandardOutput();
            return out.contains("CHILD listening") || child->state() == QProcess::NotRunning;
        },
        60000));
    ASSERT_TRUE(out.contains("CHILD listening")) << out.constData();
    CSingleInstance second(10000, m_strFolder);
    bool bAnswer = false;
    EXPECT_STREQ(Name(second.ClaimOrHandOff(address, &bAnswer)), "HandedOff");
    EXPECT_TRUE(bAnswer);
    ASSERT_TRUE(WaitUntil([&] { return child->state() == QProcess::NotRunning; }, 30000));
    out += child->readAllStandardOutput();
    EXPECT_TRUE(out.contains("CHILD got=" + hex)) << out.constData();
    EXPECT_EQ(child->exitCode(), 0);
}

TEST(SingleInstanceChild, DISABLED_HandOff)
{
    const QString folder = qEnvironmentVariable("NUV_SI_FOLDER");
    ASSERT_FALSE(folder.isEmpty());
    const QString address = QString::fromUtf8(QByteArray::fromHex(qgetenv("NUV_SI_ADDRESS")));
    CSingleInstance second(10000, folder);
    bool bAnswer = false;
    const ClaimResult r = second.ClaimOrHandOff(address, &bAnswer);
    std::printf("CHILD result=%s answer=%d\n", Name(r), int(bAnswer));
    std::fflush(stdout);
}

TEST(SingleInstanceChild, DISABLED_Serve)
{
    const QString folder = qEnvironmentVariable("NUV_SI_FOLDER");
    ASSERT_FALSE(folder.isEmpty());
    CSingleInstance browser(10000, folder);
    QString got;
    bool bGot = false;
    browser.SetHandler([&](quint32, const QString* pText) {
        got = *pText;
        bGot = true;
        return true;
    });
    ASSERT_EQ(browser.ClaimOrHandOff(QString()), ClaimResult::Claimed);
    std::printf("CHILD listening\n");
    std::fflush(stdout);
    ASSERT_TRUE(WaitUntil([&] { return bGot; }, 30000));
    std::printf("CHILD got=%s\n", got.toUtf8().toHex().constData());
    std::fflush(stdout);
}
} // namespace
