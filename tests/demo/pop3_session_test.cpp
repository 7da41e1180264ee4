// The demo POP3 server's protocol, driven in-process and over a loopback
// socket: replies, deletion only at QUIT, RSET and dropped connections.

#include "demo-pop3/pop3_server.h"
#include "demo-pop3/pop3_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tw::demo;

namespace {

class DemoMailbox : public ::testing::Test {
protected:
    QTemporaryDir dir;
    bool lock = false;

    void SetUp() override
    {
        write("a.eml", "From: ann@a.example\nSubject: one\n\nfirst line\n.hidden dot\nlast\n");
        write("b.eml", "From: bob@b.example\r\nSubject: two\r\n\r\nbody\r\n");
        write("c.eml", "From: cy@c.example\nSubject: three\n\n.\n");
    }
    void write(const QString &name, const QByteArray &text)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
    Account account() const { return {"demo", "secret", dir.path()}; }

    // Logs in and returns the session.
    std::unique_ptr<Pop3Session> loggedIn()
    {
        auto session = std::make_unique<Pop3Session>(account(), lock);
        EXPECT_EQ(session->handle("USER demo"), "+OK send your password\r\n");
        EXPECT_EQ(session->handle("PASS secret"), "+OK 3 messages (152 octets)\r\n");
        return session;
    }
};

TEST_F(DemoMailbox, RepliesFollowTheProtocol)
{
    auto session = loggedIn();
    struct Exchange {
        const char *command;
        std::string reply;
    } transcript[] = {
        {"STAT", "+OK 3 152\r\n"},
        {"LIST", "+OK 3 messages\r\n1 68\r\n2 43\r\n3 41\r\n.\r\n"},
        {"list 2", "+OK 2 43\r\n"},
        {"LIST 4", "-ERR no such message\r\n"},
        {"LIST x", "-ERR no such message\r\n"},
        {"UIDL", "+OK 3 messages\r\n1 a.eml\r\n2 b.eml\r\n3 c.eml\r\n.\r\n"},
        {"UIDL 3", "+OK 3 c.eml\r\n"},
        {"TOP 1 0", "+OK top of message follows\r\nFrom: ann@a.example\r\nSubject: one\r\n\r\n.\r\n"},
        {"TOP 1 2", "+OK top of message follows\r\nFrom: ann@a.example\r\nSubject: one\r\n\r\nfirst line\r\n"
                    "..hidden dot\r\n.\r\n"},
        {"TOP 1", "-ERR TOP needs a message number and a line count\r\n"},
        {"RETR 3", "+OK 41 octets\r\nFrom: cy@c.example\r\nSubject: three\r\n\r\n..\r\n.\r\n"},
        {"CAPA", "+OK Capability list follows\r\nUSER\r\nTOP\r\nUIDL\r\nPIPELINING\r\n"
                 "IMPLEMENTATION tidewell-demo-pop3\r\n.\r\n"},
        {"NOOP", "+OK \r\n"},
        {"PASS secret", "-ERR already logged in\r\n"},
        {"FETCH 1", "-ERR unknown command\r\n"},
    };
    for (const Exchange &step : transcript)
        EXPECT_EQ(session->handle(step.command), step.reply) << step.command;
}

TEST_F(DemoMailbox, AWrongPasswordIsRefusedAndNothingElseIsAllowedBeforeALogin)
{
    Pop3Session session(account(), lock);
    EXPECT_EQ(session.greeting(), "+OK Tidewell demo POP3 server ready\r\n");
    EXPECT_EQ(session.handle("STAT"), "-ERR log in first with USER and PASS\r\n");
    EXPECT_EQ(session.handle("PASS secret"), "-ERR USER first\r\n");
    session.handle("USER demo");
    EXPECT_EQ(session.handle("PASS wrong"), "-ERR [AUTH] wrong user name or password\r\n");
    EXPECT_EQ(session.handle("PASS secret"), "-ERR USER first\r\n"); // a refused PASS starts over
    session.handle("USER intruder");
    EXPECT_EQ(session.handle("PASS secret"), "-ERR [AUTH] wrong user name or password\r\n");
    EXPECT_FALSE(lock);
    session.handle("USER demo");
    EXPECT_EQ(session.handle("PASS secret").substr(0, 3), "+OK");
}

TEST_F(DemoMailbox, DeletedMessagesGoOnlyAtQuit)
{
    auto session = loggedIn();
    EXPECT_EQ(session->handle("DELE 2"), "+OK message 2 deleted\r\n");
    EXPECT_EQ(session->handle("DELE 2"), "-ERR message 2 already deleted\r\n");
    EXPECT_EQ(session->handle("RETR 2"), "-ERR message 2 already deleted\r\n");
    EXPECT_EQ(session->handle("STAT"), "+OK 2 109\r\n");
    EXPECT_EQ(session->handle("LIST"), "+OK 2 messages\r\n1 68\r\n3 41\r\n.\r\n");
    EXPECT_EQ(files(), QStringList({"a.eml", "b.eml", "c.eml"}));
    EXPECT_EQ(session->handle("QUIT"), "+OK Tidewell demo POP3 server signing off\r\n");
    EXPECT_TRUE(session->finished());
    EXPECT_EQ(files(), QStringList({"a.eml", "c.eml"}));
    EXPECT_FALSE(lock);
}

TEST_F(DemoMailbox, RsetOrAnEndWithoutQuitRemovesNothing)
{
    {
        auto session = loggedIn();
        session->handle("DELE 1");
        EXPECT_EQ(session->handle("RSET"), "+OK 3 messages\r\n");
        EXPECT_EQ(session->handle("LIST 1"), "+OK 1 68\r\n");
        session->handle("QUIT");
    }
    EXPECT_EQ(files().size(), 3);
    {
        auto session = loggedIn();
        session->handle("DELE 1");
        session->handle("DELE 3");
    } // the session ends without QUIT
    EXPECT_EQ(files().size(), 3);
    EXPECT_FALSE(lock);
}

TEST_F(DemoMailbox, ASecondSessionWaitsUntilTheFirstHasEnded)
{
    auto first = loggedIn();
    Pop3Session second(account(), lock);
    second.handle("USER demo");
    EXPECT_EQ(second.handle("PASS secret"), "-ERR [IN-USE] the mailbox is in use by another session\r\n");
    first.reset();
    second.handle("USER demo");
    EXPECT_EQ(second.handle("PASS secret").substr(0, 3), "+OK");
}

// The reply to Command (nothing sent when empty), waiting in the event loop
// so that the server in this thread can answer; "" after 5 seconds.
QByteArray reply(QTcpSocket &socket, const QByteArray &command)
{
    if (!command.isEmpty())
        socket.write(command + "\r\n");
    QByteArray text;
    (void)QTest::qWaitFor([&] { return (text += socket.readAll()).endsWith("\r\n"); }, 5000);
    return text;
}

bool connectTo(QTcpSocket &socket, quint16 port)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000);
}

// Over a real socket: a client that sends DELE and then drops the connection.
TEST_F(DemoMailbox, ADroppedConnectionRemovesNothing)
{
    Pop3Server server(account());
    ASSERT_TRUE(server.listen());
    {
        QTcpSocket client;
        ASSERT_TRUE(connectTo(client, server.port()));
        EXPECT_TRUE(reply(client, {}).startsWith("+OK Tidewell demo"));
        reply(client, "USER demo");
        EXPECT_TRUE(reply(client, "PASS secret").startsWith("+OK 3 messages"));
        EXPECT_TRUE(reply(client, "DELE 1").startsWith("+OK message 1 deleted"));
        client.abort();
    }
    // Until the server has seen the drop the mailbox stays locked; then a
    // new login finds every message.
    QTcpSocket client;
    ASSERT_TRUE(connectTo(client, server.port()));
    reply(client, {});
    QByteArray answer;
    for (int attempt = 0; attempt < 50 && !answer.startsWith("+OK"); ++attempt) {
        reply(client, "USER demo");
        answer = reply(client, "PASS secret");
    }
    EXPECT_TRUE(answer.startsWith("+OK 3 messages")) << answer.constData();
    EXPECT_EQ(files().size(), 3);
}

// A client that sends RETR after RETR without reading the replies: the
// server stops reading its commands instead of holding every reply.
TEST_F(DemoMailbox, AClientThatDoesNotReadIsNotServedBeyondABoundedBuffer)
{
    const QByteArray big(100000, 'x');
    write("d.eml", "From: dan@d.example\r\nSubject: big\r\n\r\n" + big + "\r\n");
    Pop3Server server(account());
    ASSERT_TRUE(server.listen());
    QTcpSocket client;
    ASSERT_TRUE(connectTo(client, server.port()));
    reply(client, {});
    reply(client, "USER demo");
    ASSERT_TRUE(reply(client, "PASS secret").startsWith("+OK 4 messages"));
    client.setReadBufferSize(1); // from now on the client reads nothing more
    constexpr int kCommands = 200; // 20 MB of replies
    for (int i = 0; i < kCommands; ++i)
        client.write("RETR 4\r\n");
    qint64 mostHeld = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1500) {
        QTest::qWait(20);
        mostHeld = std::max(mostHeld, server.heldBytes());
    }
    EXPECT_GT(mostHeld, Pop3Server::kMaxUnsentReplyBytes / 2); // it did fill up to its bound
    EXPECT_LT(mostHeld, Pop3Server::kMaxUnsentReplyBytes + 2 * big.size());

    // Once the client reads, every reply arrives, none lost.
    client.setReadBufferSize(0);
    QByteArray all;
    qsizetype searchFrom = 0;
    int replies = 0;
    (void)QTest::qWaitFor(
        [&] {
            all += client.readAll();
            for (qsizetype at = all.indexOf("\r\n.\r\n", searchFrom); at >= 0; at = all.indexOf("\r\n.\r\n", searchFrom)) {
                ++replies;
                searchFrom = at + 5;
            }
            return replies >= kCommands;
        },
        60000);
    EXPECT_EQ(replies, kCommands);
}

} // namespace
