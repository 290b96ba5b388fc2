// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackHttpServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>

#include <memory>
#include <utility>

CLoopbackHttpServer::CLoopbackHttpServer()
{
    connect(&m_server, &QTcpServer::newConnection, this, &CLoopbackHttpServer::HandleConnection);
}

CLoopbackHttpServer::~CLoopbackHttpServer()
{
    Stop();
}

bool CLoopbackHttpServer::Start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void CLoopbackHttpServer::Stop()
{
    m_server.close();
    for (const Held& held : std::as_const(m_held))
        if (held.pSocket)
            held.pSocket->abort();
    m_held.clear();
}

void CLoopbackHttpServer::ReleaseHeld()
{
    const QList<Held> held = std::exchange(m_held, {});
    for (const Held& h : held) {
        if (!h.pSocket)
            continue;
        h.pSocket->write(h.rest);
        h.pSocket->disconnectFromHost();
    }
}

int CLoopbackHttpServer::HeldCount() const
{
    int n = 0;
    for (const Held& held : m_held)
        n += held.pSocket && held.pSocket->state() == QAbstractSocket::ConnectedState;
    return n;
}

QString CLoopbackHttpServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
}

void CLoopbackHttpServer::SetHtml(const QString& path, const QByteArray& html)
{
    Page page;
    page.body = html;
    SetPage(path, page);
}

void CLoopbackHttpServer::SetRedirect(const QString& path, const QString& target)
{
    Page page;
    page.nStatus = 302;
    page.extraHeaders = "Location: " + target.toUtf8() + "\r\n";
    SetPage(path, page);
}

void CLoopbackHttpServer::HandleConnection()
{
    while (QTcpSocket* pSocket = m_server.nextPendingConnection()) {
        connect(pSocket, &QTcpSocket::disconnected, pSocket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(pSocket, &QTcpSocket::readyRead, this, [this, pSocket, buffer] {
            buffer->append(pSocket->readAll());
            const qsizetype nEnd = buffer->indexOf("\r\n\r\n");
            if (nEnd < 0)
                return;
            // A request with a body (a form sent by POST) is answered once the body is in:
            // closing the connection before would reset it.
            static const QRegularExpression length("\r\ncontent-length:\\s*(\\d+)",
                                                   QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch match =
                length.match(QString::fromLatin1(buffer->left(nEnd)));
            if (match.hasMatch() && buffer->size() < nEnd + 4 + match.captured(1).toLongLong())
                return;
            const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
            buffer->clear();
            QString path = requestLine.value(1).isEmpty() ? QStringLiteral("/")
                                                          : QString::fromUtf8(requestLine.value(1));
            m_requests << QString::fromUtf8(requestLine.value(0)) + ' ' + path;
            path = path.section('?', 0, 0);

            Page page;
            if (m_pages.contains(path)) {
                page = m_pages.value(path);
            } else {
                page.nStatus = 404;
                page.body = "<html><head><title>Not found</title></head><body>404</body></html>";
            }
            const QByteArray reason = page.nStatus == 200   ? "OK"
                                      : page.nStatus == 302 ? "Found"
                                                            : "Not Found";
            QByteArray response =
                "HTTP/1.0 " + QByteArray::number(page.nStatus) + ' ' + reason +
                "\r\nContent-Type: " + page.contentType + "\r\nContent-Length: " +
                QByteArray::number(page.nDeclaredLength >= 0 ? page.nDeclaredLength
                                                             : page.body.size()) +
                "\r\nCache-Control: no-store\r\nConnection: close\r\n" + page.extraHeaders +
                "\r\n" + page.body;
            if (page.delivery != Page::Normal) {
                const qsizetype nNow = page.delivery == Page::Stall
                                           ? response.size() - page.body.size() +
                                                 qMin<qsizetype>(page.nStallBytes, page.body.size())
                                           : 0;
                pSocket->write(response.left(nNow));
                m_held.append({pSocket, response.mid(nNow)});
                return;
            }
            pSocket->write(response);
            pSocket->disconnectFromHost();
        });
    }
}
