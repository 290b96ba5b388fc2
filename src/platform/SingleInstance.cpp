// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <poll.h>

namespace {
constexpr qsizetype kHeaderBytes = 8;

quint32 ReadLE32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
} // namespace

CSingleInstance::CSingleInstance(int nTimeoutMs, const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_nTimeoutMs(nTimeoutMs), m_sender(nTimeoutMs, runtimeFolder)
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
    return m_sender.SocketPath();
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
    return m_sender.HandOff(address, pAnswer, [this](const QString& path) { return Listen(path); });
}

CSingleInstance::ClaimResult CSingleInstance::HandOff(const QString& address, bool* pAnswer)
{
    return m_sender.HandOff(address, pAnswer);
}

CSingleInstance::ClaimResult CSingleInstance::Listen(const QString& path)
{
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
