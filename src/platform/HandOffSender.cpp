// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandOffSender.h"

#include "Paths.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

const char* const CHandOffSender::kSocketName = "WCE_nuvBrowserClass";

namespace {
constexpr qsizetype kHeaderBytes = 8;

// Two starts at the same moment must not both find no browser and both listen, nor may one
// remove the socket the other has just made: the look-and-claim runs under this lock.
class CClaimLock
{
public:
    explicit CClaimLock(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0)
            Release();
    }
    ~CClaimLock() { Release(); }
    CClaimLock(const CClaimLock&) = delete;
    CClaimLock& operator=(const CClaimLock&) = delete;

    bool Held() const { return m_fd >= 0; }
    void Release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

class CFd
{
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Waits for events on fd until the deadline; false when it passed first.
bool PollUntil(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(deadline.remainingTime()));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

enum class ConnectResult
{
    Connected,
    NoListener, // no socket, or one nobody listens on (left by a browser that crashed)
    Busy,       // a browser whose backlog stayed full until the deadline
    Failed,
};

ConnectResult ConnectUntil(const QString& path, const QDeadlineTimer& deadline, int* pFd)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    if (size_t(encoded.size()) >= sizeof(addr.sun_path))
        return ConnectResult::Failed;
    std::memcpy(addr.sun_path, encoded.constData(), size_t(encoded.size()));
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return ConnectResult::Failed;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0) {
            *pFd = fd;
            return ConnectResult::Connected;
        }
        const int err = errno;
        ::close(fd);
        switch (err) {
        case ENOENT:
        case ECONNREFUSED:
            return ConnectResult::NoListener;
        case EAGAIN:
        case EINTR:
            break;
        default:
            return ConnectResult::Failed;
        }
        if (deadline.hasExpired())
            return ConnectResult::Busy;
        ::poll(nullptr, 0, 10); // a full backlog: try again shortly
    }
}
} // namespace

CHandOffSender::CHandOffSender(int nTimeoutMs, const QString& runtimeFolder)
    : m_nTimeoutMs(nTimeoutMs), m_strFolder(runtimeFolder)
{
}

QString CHandOffSender::SocketPath() const
{
    const QString folder = m_strFolder.isEmpty() ? RuntimeFolder() : m_strFolder;
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QLatin1String(kSocketName);
}

HandOffResult CHandOffSender::HandOff(const QString& address, bool* pAnswer,
                                      const Listen& listen) const
{
    if (pAnswer)
        *pAnswer = false;
    const QString path = SocketPath();
    if (path.isEmpty())
        return HandOffResult::Failed;
    CClaimLock lock(path + QLatin1String(".lock"));
    if (!lock.Held())
        return HandOffResult::Failed;

    int fd = -1;
    switch (ConnectUntil(path, QDeadlineTimer(m_nTimeoutMs), &fd)) {
    case ConnectResult::Connected: {
        lock.Release(); // a slow browser holds up no other start's claim
        const CFd socket(fd);
        if (quint32(address.size() + 1) * 2 > kMaxHandOffBytes)
            return HandOffResult::TooLong; // the browser would refuse it
        return SendRecord(socket.Get(), address, pAnswer);
    }
    case ConnectResult::NoListener:
        break;
    case ConnectResult::Busy:
        return HandOffResult::Hung; // a browser whose backlog is full: it takes no connections
    case ConnectResult::Failed:
        return HandOffResult::Failed;
    }
    return listen ? listen(path) : HandOffResult::NoBrowser;
}

HandOffResult CHandOffSender::SendRecord(int fd, const QString& address, bool* pAnswer) const
{
    const QDeadlineTimer deadline(m_nTimeoutMs);
    const QByteArray record = EncodeRecord(kHandOffData, address);
    qsizetype sent = 0;
    while (sent < record.size()) {
        const ssize_t n =
            ::send(fd, record.constData() + sent, size_t(record.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN && PollUntil(fd, POLLOUT, deadline))
            continue;
        else
            break; // the browser closed early (it may still have answered), or no time is left
    }
    // The answer is waited for: only then does this start know that its address arrived.
    for (;;) {
        char answer = 0;
        const ssize_t n = ::read(fd, &answer, 1);
        if (n == 1) {
            if (pAnswer)
                *pAnswer = answer == 1;
            return HandOffResult::HandedOff;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return HandOffResult::Hung; // the browser closed without an answer
        if (errno == EAGAIN && !PollUntil(fd, POLLIN, deadline))
            return HandOffResult::Hung; // no answer in time
    }
}

QByteArray CHandOffSender::EncodeRecord(quint32 dwData, const QString& text)
{
    const quint32 cbData = quint32(text.size() + 1) * 2;
    QByteArray bytes(kHeaderBytes + cbData, '\0');
    qToLittleEndian<quint32>(dwData, bytes.data());
    qToLittleEndian<quint32>(cbData, bytes.data() + 4);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data() + kHeaderBytes);
    return bytes;
}
