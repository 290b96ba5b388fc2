// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HandOffSender.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;
class QTimer;

// The single-instance channel: a per-user local socket, <runtime folder>/WCE_nuvBrowserClass.
// The first start listens on it; a later start connects and sends one record:
//   dwData, cbData (32-bit little-endian each), then cbData bytes of UTF-16LE text with its
//   terminating zero.
// The browser answers with one byte, 1 for true and 0 for false, and closes the connection.
// It acts on a record only while its sender is still connected to take the answer: a start
// that gave up waiting (the browser was stopped, say) has reported failure, and its address
// must not be opened behind its back when the browser runs again.
class CSingleInstance : public QObject
{
    Q_OBJECT
public:
    using ClaimResult = HandOffResult; // NoBrowser only from HandOff
    enum class RecordCheck
    {
        Complete,
        NeedMore,
        Refused
    };

    static constexpr int kDefaultTimeoutMs = CHandOffSender::kDefaultTimeoutMs;

    // nTimeoutMs bounds both the wait for a browser's answer and the time a browser gives a
    // connection to deliver its record. An empty folder means RuntimeFolder().
    explicit CSingleInstance(int nTimeoutMs = kDefaultTimeoutMs,
                             const QString& runtimeFolder = QString(), QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Hands the address to a running browser, or becomes the browser. A socket nobody
    // listens on (left by a crashed browser) is removed. pAnswer gets the browser's answer
    // after HandedOff and false otherwise.
    ClaimResult ClaimOrHandOff(const QString& address, bool* pAnswer = nullptr);
    // The sending half alone (CHandOffSender): NoBrowser when nobody listens; this process
    // never listens here.
    ClaimResult HandOff(const QString& address, bool* pAnswer = nullptr);

    // Called for every valid record a later start sends while it waits for the answer; its
    // result is the answer.
    void SetHandler(std::function<bool(quint32 dwData, const QString* pText)> handler);

    bool IsListening() const;
    // The socket's path; empty when no safe runtime folder exists.
    QString SocketPath() const;

    // The bytes a later start sends for the text.
    static QByteArray EncodeRecord(quint32 dwData, const QString& text)
    {
        return CHandOffSender::EncodeRecord(dwData, text);
    }
    // Judges the bytes received so far. Refused: cbData odd, zero or over kMaxHandOffBytes,
    // a dwData other than kHandOffData, or a text without a zero unit. Complete: pdwData and
    // pText get the record (the text up to its first zero unit); bytes past cbData are not
    // looked at.
    static RecordCheck CheckRecord(const QByteArray& received, quint32* pdwData, QString* pText);

private:
    struct Connection
    {
        QByteArray buffer;
        QTimer* pTimer = nullptr;
        bool bAnswered = false;
    };

    // Under the claim lock, when nobody listens: listens on the socket's path.
    ClaimResult Listen(const QString& path);
    void handleNewConnection();
    void handleReadyRead(QLocalSocket* pSocket);
    void Answer(QLocalSocket* pSocket, bool bResult);
    static bool SenderIsGone(QLocalSocket* pSocket);
    void Forget(QLocalSocket* pSocket);

    int m_nTimeoutMs;
    CHandOffSender m_sender;
    QLocalServer* m_pServer = nullptr;
    QHash<QLocalSocket*, Connection> m_connections;
    std::function<bool(quint32, const QString*)> m_handler;
};
