#include "demo-pop3/pop3_server.h"

#include <QTcpSocket>

#include <memory>

namespace tw::demo {
namespace {

// A client that sends this much without a line end is not speaking POP3.
constexpr qsizetype kMaxPendingBytes = 4096;

} // namespace

Pop3Server::Pop3Server(Account account, QObject *parent) : QObject(parent), m_account(std::move(account))
{
    connect(&m_server, &QTcpServer::newConnection, this, &Pop3Server::accept);
}

bool Pop3Server::listen(quint16 port) { return m_server.listen(QHostAddress::LocalHost, port); }

void Pop3Server::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        // The session lives as long as its socket; deleting it without QUIT removes nothing.
        auto session = std::make_shared<Pop3Session>(m_account, m_lock);
        auto pending = std::make_shared<QByteArray>();
        socket->write(QByteArray::fromStdString(session->greeting()));
        connect(socket, &QTcpSocket::readyRead, socket, [socket, session, pending] {
            pending->append(socket->readAll());
            qsizetype end;
            while (!session->finished() && (end = pending->indexOf('\n')) >= 0) {
                QByteArray line = pending->left(end);
                pending->remove(0, end + 1);
                if (line.endsWith('\r'))
                    line.chop(1);
                socket->write(QByteArray::fromStdString(session->handle(line.toStdString())));
            }
            if (session->finished() || pending->size() > kMaxPendingBytes)
                socket->disconnectFromHost();
        });
        // The socket's connections hold the session; when the client is gone
        // the socket goes and with it the session and its lock.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
    }
}

} // namespace tw::demo
