#pragma once
// A loopback server for the fuzz targets that play a whole protocol
// client against the input: it sends the input whole to each connection,
// reads and drops what the client says, and hangs up once the client has
// been quiet for a moment (by then it has used up the replies and waits
// for more). And the check that every action ends with one of the
// client's own errors.

#include "net/errors.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <string>

namespace tw::fuzz {

class ReplyingServer {
public:
    ReplyingServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection())
                serve(client);
        });
    }
    void setReplies(const QByteArray &replies) { m_replies = replies; }
    std::string address() const { return "127.0.0.1:" + std::to_string(m_server.serverPort()); }

private:
    static constexpr int kQuietMilliseconds = 20;

    void serve(QTcpSocket *client)
    {
        auto *quiet = new QTimer(client);
        quiet->setSingleShot(true);
        QObject::connect(quiet, &QTimer::timeout, client, [client] { client->disconnectFromHost(); });
        QObject::connect(client, &QTcpSocket::readyRead, client, [client, quiet] {
            client->readAll();
            quiet->start(kQuietMilliseconds);
        });
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        client->write(m_replies);
        quiet->start(kQuietMilliseconds);
    }

    QTcpServer m_server;
    QByteArray m_replies;
};

// Runs Action; every failure the server can cause is one of the client's errors.
template <class Action> void endsCleanly(Action &&action)
{
    try {
        action();
    } catch (const ETidewellError &) {
    }
}

} // namespace tw::fuzz
