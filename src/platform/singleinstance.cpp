#include "platform/singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace tw {

static const QByteArray kShowRequest = "show\n";

static QString instanceKey(const QString &key)
{
    return key.isEmpty() ? QStringLiteral("tidewell-%1").arg(getuid()) : key;
}

TFirstInstance::TFirstInstance(const QString &key, QObject *parent) : QObject(parent), m_key(instanceKey(key)) {}

TFirstInstance::~TFirstInstance() = default;

bool TFirstInstance::anotherInstanceRunning()
{
    QLocalSocket probe;
    probe.connectToServer(m_key);
    if (probe.waitForConnected(500)) {
        probe.write(kShowRequest);
        probe.waitForBytesWritten(500);
        probe.disconnectFromServer();
        return true;
    }
    // Nobody answered: a stale socket file from a crashed instance may remain.
    QLocalServer::removeServer(m_key);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_key))
        return false; // cannot guard; run anyway rather than refuse to start
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("show"))
                    emit showRequested();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    return false;
}

bool firstInstanceRunning(const QString &key)
{
    QLocalSocket probe;
    probe.connectToServer(instanceKey(key));
    if (!probe.waitForConnected(500))
        return false;
    probe.disconnectFromServer();
    return true;
}

} // namespace tw
