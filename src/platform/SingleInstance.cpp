// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "Paths.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

const char* const CSingleInstance::kSocketName = "WCE_nuvBrowserClass";

namespace {
constexpr qsizetype kHeaderBytes = 8;

quint32 ReadLE32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

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

CSingleInstance::CSingleInstance(int nTimeoutMs, const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_nTimeoutMs(nTimeoutMs), m_strFolder(runtimeFolder)
{
}

CSingleInstance::~CSingleInstance()
{
    // The sockets are children of the server and go with it, without calling back here.
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it)
        it.key()->disconnect(this);
    m_connections.clear();
    delete m_pServer;
}

QString CSingleInstance::SocketPath() const
{
    const QString folder = m_strFolder.isEmpty() ? RuntimeFolder() : m_strFolder;
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QLatin1String(kSocketName);
}

bool CSingleInstance::IsListening() const
{
    return m_pServer && m_pServer->isListening();
}

void CSingleInstance::SetHandler(std::function<bool(quint32, const QString*)> handler)
{
    m_handler = std::move(handler);
}

CSingleInstance::ClaimResult CSingleInstance::ClaimOrHandOff(const QString& address, bool* pAnswer)
{
    if (IsListening()) {
        if (pAnswer)
            *pAnswer = false;
        return ClaimResult::Claimed;
    }
    return HandOffOrListen(address, pAnswer, true);
}

CSingleInstance::ClaimResult CSingleInstance::HandOff(const QString& address, bool* pAnswer)
{
    return HandOffOrListen(address, pAnswer, false);
}

CSingleInstance::ClaimResult CSingleInstance::HandOffOrListen(const QString& address, bool* pAnswer,
                                                              bool bListen)
{
    if (pAnswer)
        *pAnswer = false;
    const QString path = SocketPath();
    if (path.isEmpty())
        return ClaimResult::Failed;
    CClaimLock lock(path + QLatin1String(".lock"));
    if (!lock.Held())
        return ClaimResult::Failed;

    int fd = -1;
    switch (ConnectUntil(path, QDeadlineTimer(m_nTimeoutMs), &fd)) {
    case ConnectResult::Connected: {
        lock.Release(); // a slow browser holds up no other start's claim
        const CFd socket(fd);
        if (quint32(address.size() + 1) * 2 > kMaxHandOffBytes)
            return ClaimResult::TooLong; // the browser would refuse it
        return SendRecord(socket.Get(), address, pAnswer);
    }
    case ConnectResult::NoListener:
        break;
    case ConnectResult::Busy:
        return ClaimResult::Hung; // a browser whose backlog is full: it takes no connections
    case ConnectResult::Failed:
        return ClaimResult::Failed;
    }
    if (!bListen)
        return ClaimResult::NoBrowser;
    QLocalServer::removeServer(path);
    auto* pServer = new QLocalServer(this);
    if (!pServer->listen(path)) {
        delete pServer;
        return ClaimResult::Failed;
    }
    m_pServer = pServer;
    connect(m_pServer, &QLocalServer::newConnection, this, &CSingleInstance::handleNewConnection);
    return ClaimResult::Claimed;
}

CSingleInstance::ClaimResult CSingleInstance::SendRecord(int fd, const QString& address,
                                                         bool* pAnswer)
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
            return ClaimResult::HandedOff;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return ClaimResult::Hung; // the browser closed without an answer
        if (errno == EAGAIN && !PollUntil(fd, POLLIN, deadline))
            return ClaimResult::Hung; // no answer in time
    }
}

QByteArray CSingleInstance::EncodeRecord(quint32 dwData, const QString& text)
{
    const quint32 cbData = quint32(text.size() + 1) * 2;
    QByteArray bytes(kHeaderBytes + cbData, '\0');
    qToLittleEndian<quint32>(dwData, bytes.data());
    qToLittleEndian<quint32>(cbData, bytes.data() + 4);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data() + kHeaderBytes);
    return bytes;
}

CSingleInstance::RecordCheck CSingleInstance::CheckRecord(const QByteArray& received,
                                                          quint32* pdwData, QString* pText)
{
    if (received.size() < kHeaderBytes)
        return RecordCheck::NeedMore;
    const quint32 dwData = ReadLE32(received, 0);
    const quint32 cbData = ReadLE32(received, 4);
    if (dwData != kHandOffData || cbData == 0 || cbData % 2 != 0 || cbData > kMaxHandOffBytes)
        return RecordCheck::Refused;
    if (received.size() < kHeaderBytes + qsizetype(cbData))
        return RecordCheck::NeedMore;
    const char* pText16 = received.constData() + kHeaderBytes;
    const qsizetype nUnits = cbData / 2;
    QString text(nUnits, Qt::Uninitialized);
    qFromLittleEndian<quint16>(pText16, nUnits, text.data());
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero < 0)
        return RecordCheck::Refused;
    text.truncate(zero);
    *pdwData = dwData;
    *pText = text;
    return RecordCheck::Complete;
}

void CSingleInstance::handleNewConnection()
{
    while (QLocalSocket* pSocket = m_pServer->nextPendingConnection()) {
        Connection& conn = m_connections[pSocket];
        // A start that stalls halfway through its record is cut off, so it blocks nobody.
        conn.pTimer = new QTimer(pSocket);
        conn.pTimer->setSingleShot(true);
        connect(conn.pTimer, &QTimer::timeout, this, [this, pSocket] { Answer(pSocket, false); });
        conn.pTimer->start(m_nTimeoutMs);
        connect(pSocket, &QLocalSocket::readyRead, this,
                [this, pSocket] { handleReadyRead(pSocket); });
        connect(pSocket, &QLocalSocket::disconnected, this, [this, pSocket] { Forget(pSocket); });
        handleReadyRead(pSocket);
    }
}

void CSingleInstance::handleReadyRead(QLocalSocket* pSocket)
{
    for (;;) {
        auto it = m_connections.find(pSocket);
        if (it == m_connections.end() || it->bAnswered)
            return;
        quint32 dwData = 0;
        QString text;
        switch (CheckRecord(it->buffer, &dwData, &text)) {
        case RecordCheck::Refused:
            Answer(pSocket, false);
            return;
        case RecordCheck::Complete: {
            if (SenderIsGone(pSocket)) {
                // It gave up before we read its record, and told its user so.
                Answer(pSocket, false);
                return;
            }
            it->bAnswered = true; // the handler may take its time; nothing more is read
            it->pTimer->stop();
            const QPointer<QLocalSocket> guard(pSocket);
            const bool bResult = m_handler && m_handler(dwData, &text);
            if (guard)
                Answer(pSocket, bResult);
            return;
        }
        case RecordCheck::NeedMore:
            break;
        }
        // Never read past the record: at most the header, then at most cbData bytes.
        const qsizetype want = it->buffer.size() < kHeaderBytes
                                   ? kHeaderBytes
                                   : kHeaderBytes + ReadLE32(it->buffer, 4);
        const QByteArray more = pSocket->read(want - it->buffer.size());
        if (more.isEmpty())
            return;
        it->buffer += more;
    }
}

void CSingleInstance::Answer(QLocalSocket* pSocket, bool bResult)
{
    auto it = m_connections.find(pSocket);
    if (it == m_connections.end())
        return;
    it->bAnswered = true;
    it->pTimer->stop();
    const char answer = bResult ? 1 : 0;
    pSocket->write(&answer, 1);
    pSocket->flush();
    pSocket->disconnectFromServer();
}

bool CSingleInstance::SenderIsGone(QLocalSocket* pSocket)
{
    if (pSocket->state() != QLocalSocket::ConnectedState)
        return true;
    // Its bytes may all have been read while its close is not yet seen by the socket: ask
    // the system whether the other end still exists (a sender that only shut down its
    // sending side still waits for the answer).
    pollfd fd{int(pSocket->socketDescriptor()), 0, 0};
    return fd.fd >= 0 && ::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR)) != 0;
}

void CSingleInstance::Forget(QLocalSocket* pSocket)
{
    m_connections.remove(pSocket);
    pSocket->deleteLater();
}
