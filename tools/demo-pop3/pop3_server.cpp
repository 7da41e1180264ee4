#include "demo-pop3/pop3_server.h"

#include <QTcpSocket>

#include <memory>

namespace tw::demo {
namespace {

// A client that sends this much without a line end is not speaking POP3.
constexpr qsizetype kMaxPendingBytes = 4096;
// The name that tells a socket's connection apart from its other children.
const char *const kConnectionName = "demo-pop3-connection";

// One client's connection. Commands are taken one line at a time, and only
// while the replies not yet sent stay below Pop3Server::kMaxUnsentReplyBytes:
// a client that sends commands without reading the replies stops being read
// (its further commands wait in the network's buffers) instead of making the
// server hold every reply in memory.
class Connection : public QObject {
public:
    Connection(QTcpSocket *socket, const Account &account, bool &lock)
        : QObject(socket), m_socket(socket), m_session(account, lock)
    {
        setObjectName(QLatin1String(kConnectionName));
        m_socket->setReadBufferSize(kMaxPendingBytes);
        m_socket->write(QByteArray::fromStdString(m_session.greeting()));
        connect(m_socket, &QTcpSocket::readyRead, this, &Connection::pump);
        connect(m_socket, &QTcpSocket::bytesWritten, this, &Connection::pump);
    }

    qint64 heldBytes() const { return m_socket->bytesToWrite() + m_pending.size() + m_socket->bytesAvailable(); }

private:
    void pump()
    {
        while (!m_session.finished() && m_socket->bytesToWrite() < Pop3Server::kMaxUnsentReplyBytes) {
            qsizetype end = m_pending.indexOf('\n');
            if (end < 0) {
                m_pending.append(m_socket->read(kMaxPendingBytes - m_pending.size() + 1));
                end = m_pending.indexOf('\n');
                if (end < 0)
                    break;
            }
            QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            m_socket->write(QByteArray::fromStdString(m_session.handle(line.toStdString())));
        }
        if (m_session.finished() || m_pending.size() > kMaxPendingBytes)
            m_socket->disconnectFromHost();
    }

    QTcpSocket *m_socket;
    Pop3Session m_session;
    QByteArray m_pending; // received, not yet a whole command line
};

} // namespace

Pop3Server::Pop3Server(Account account, QObject *parent) : QObject(parent), m_account(std::move(account))
{
    connect(&m_server, &QTcpServer::newConnection, this, &Pop3Server::accept);
}

bool Pop3Server::listen(quint16 port) { return m_server.listen(QHostAddress::LocalHost, port); }

qint64 Pop3Server::heldBytes() const
{
    qint64 total = 0;
    for (const QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        for (const QObject *child : socket->children())
            if (child->objectName() == QLatin1String(kConnectionName))
                total += static_cast<const Connection *>(child)->heldBytes();
    return total;
}

void Pop3Server::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        // The connection (and with it the session) lives as long as its
        // socket; ending it without QUIT removes nothing.
        new Connection(socket, m_account, m_lock);
        // When the client is gone the socket goes and with it the session and its lock.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
    }
}

} // namespace tw::demo
