// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

// A small HTTP/1.0 server on 127.0.0.1 with a free port, for engine tests. It serves the
// pages put into it by path; any other path gets 404. Every request line is logged.
class CLoopbackHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Page
    {
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        QByteArray extraHeaders; // "Name: value\r\n" lines
        int nStatus = 200;
        // The Content-Length sent when not the body's own: a larger one makes a transfer
        // that breaks off in the middle of the body.
        qint64 nDeclaredLength = -1;
        // Hold: no answer at all until ReleaseHeld. Stall: the head and the first
        // nStallBytes of the body at once, the rest on ReleaseHeld.
        enum Delivery
        {
            Normal,
            Hold,
            Stall
        } delivery = Normal;
        int nStallBytes = 0;
    };

    CLoopbackHttpServer();
    ~CLoopbackHttpServer() override;

    bool Start();
    void Stop();
    quint16 Port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:<port>" + path
    QString Url(const QString& path) const;

    void SetPage(const QString& path, const Page& page) { m_pages.insert(path, page); }
    void SetHtml(const QString& path, const QByteArray& html);
    // A 302 to another address.
    void SetRedirect(const QString& path, const QString& target);

    const QStringList& Requests() const { return m_requests; }

    // Answers whatever Hold and Stall pages still owe, and closes those connections.
    void ReleaseHeld();
    // Held or stalled answers not yet released, whose connection is still open.
    int HeldCount() const;

private:
    struct Held
    {
        QPointer<QTcpSocket> pSocket;
        QByteArray rest;
    };

    void HandleConnection();

    QTcpServer m_server;
    QHash<QString, Page> m_pages;
    QStringList m_requests;
    QList<Held> m_held;
};
