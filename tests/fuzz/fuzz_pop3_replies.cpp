// The input as everything a POP3 server says: a loopback server in this
// process sends it whole to each connection and hangs up when the client
// waits for more. The client lists the
// mailbox and then runs a deletion and a retrieval of the first message, as
// the program does, and must end each with a result or one of its errors.
#include "fuzz_support.h"
#include "net/errors.h"
#include "net/mspop3.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace tw;

namespace {

// Sends the whole input at once to each connection, reads and drops what the
// client says, and hangs up once the client has been quiet for a moment: by
// then it has used up the replies and waits for more.
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

template <class Action> void endsCleanly(Action &&action)
{
    try {
        action();
    } catch (const ETidewellError &) {
        // every failure the server can cause is one of the client's errors
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ensureQtApplication();
    static ReplyingServer server;
    server.setReplies(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    TmsRemotePOP pop;
    pop.Server = server.address();
    pop.UserName = "ann";
    pop.Password = "pw";
    pop.SetTimeOut(1);
    pop.MaxListedMessages = 50;
    pop.OnUserMessageSave = [](QObject *, int, const std::string &) {};
    endsCleanly([&] { pop.UpdateInfo(); });
    pop.Close();
    if (pop.RemoteInfo().Count() > 0) {
        pop.FlagForDeletion(0);
        pop.FlagForRetrieval(0);
        endsCleanly([&] { pop.TransferData(); });
        pop.Close();
    }
    return 0;
}
