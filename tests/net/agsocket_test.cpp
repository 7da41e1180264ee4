// The socket transport against a scripted server: line assembly, data blocks,
// closes, time-outs, cancels and the connection set-up.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/raised.h"
#include "net/agRasCmp.h"
#include "platform/dialup_fake.h"
#include "net/agsocket.h"
#include "net/errors.h"

#include <QElapsedTimer>
#include <algorithm>
#include <QTcpServer>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace tw;
using tw::test::FakeTcpServer;

namespace {

// A socket connected to Server, with a short time-out so that a broken test
// ends quickly instead of hanging.
struct Connected {
    explicit Connected(FakeTcpServer &server, int timeOut = 5)
    {
        socket.Server = server.hostAndPort();
        socket.ServiceName = "pop3";
        socket.SetTimeOut(timeOut);
        socket.ResetState();
        socket.Open();
        socket.Connect();
    }
    TagSocket socket;
};

// A port on which nothing listens: bound by the system, then released.
uint16_t closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const uint16_t port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

TEST(TagSocketLines, SplitLinesAreAssembledAndTheNextReplyStaysInTheSocket)
{
    FakeTcpServer server;
    server.send("+OK he");
    server.pause(30);
    server.send("llo\r");
    server.pause(30);
    server.send("\n+OK second\r\n\r\n-ERR x\r\r\n");
    Connected c(server);
    EXPECT_EQ(c.socket.ReadLine(), -1); // the base code: the first three characters as a number; "+OK" is none
    EXPECT_EQ(c.socket.LastReply(), "+OK hello");
    c.socket.ReadLine();
    EXPECT_EQ(c.socket.LastReply(), "+OK second");
    c.socket.ReadLine();
    EXPECT_EQ(c.socket.LastReply(), ""); // an empty line
    c.socket.ReadLine();
    EXPECT_EQ(c.socket.LastReply(), "-ERR x"); // every CR and LF at the end goes
}

TEST(TagSocketLines, ReplyCodeOfTheBaseIsTheThreeDigitNumber)
{
    TagSocket socket;
    EXPECT_EQ(socket.ReplyCode("250 ok"), 250);
    EXPECT_EQ(socket.ReplyCode("25"), -1);
    EXPECT_EQ(socket.ReplyCode("abc"), -1);
}

TEST(TagSocketLines, ALineLongerThan1024BytesIsReadWholeWithoutSpillingIntoTheNext)
{
    const std::string longLine = "+OK " + std::string(5000, 'x');
    FakeTcpServer server;
    server.sendLine(longLine);
    server.sendLine("+OK next");
    Connected c(server);
    c.socket.ReadLine();
    EXPECT_EQ(c.socket.LastReply(), longLine);
    c.socket.ReadLine();
    EXPECT_EQ(c.socket.LastReply(), "+OK next");
}

TEST(TagSocketLines, AnEndlessLineIsCutWithAClearErrorAndTheConnectionClosed)
{
    FakeTcpServer server;
    server.send(std::string(TagSocket::MaxReplyLine + 10, 'y'));
    server.expectClose();
    Connected c(server);
    std::string reported;
    c.socket.OnError = [&](QObject *, std::string &msg) { reported = msg; };
    EXPECT_EQ(test::raisedText<ESocketError>([&] { c.socket.ReadLine(); }), "Server reply line is too long");
    EXPECT_EQ(reported, "Server reply line is too long");
    EXPECT_FALSE(c.socket.IsConnected());
}

TEST(TagSocketLines, PeerClosingBeforeTheLineFeedGivesMinusOneAndAnEmptyReply)
{
    FakeTcpServer server;
    server.send("+OK never ended");
    server.close();
    Connected c(server);
    EXPECT_EQ(c.socket.ReadLine(), -1);
    EXPECT_EQ(c.socket.LastReply(), "");
}

TEST(TagSocketData, BlockIsKeptExactlyAsSentAndEndsAtItsDotLine)
{
    FakeTcpServer server;
    server.send("Subject: a\r\n..dotted\r\n");
    server.pause(20);
    server.send("body\r\n");
    server.pause(20);
    server.send(".\r");
    server.pause(20);
    server.send("\n+OK after\r\n");
    Connected c(server);
    std::string stream;
    std::vector<int> transferred;
    c.socket.OnProgress = [&](QObject *, int perc, int bytes) {
        EXPECT_EQ(perc, -1);
        transferred.push_back(bytes);
    };
    c.socket.ReadData(stream, -1);
    EXPECT_EQ(stream, "Subject: a\r\n..dotted\r\nbody\r\n.\r\n");
    ASSERT_FALSE(transferred.empty());
    EXPECT_EQ(transferred.front(), 0);
    c.socket.ReadLine();
    EXPECT_EQ(c.socket.LastReply(), "+OK after"); // nothing after the dot line was taken
}

TEST(TagSocketData, ABlockOfOnlyTheDotLineIsComplete)
{
    FakeTcpServer server;
    server.send(".\r\n");
    Connected c(server);
    std::string stream;
    c.socket.ReadData(stream, -1);
    EXPECT_EQ(stream, ".\r\n");
}

TEST(TagSocketData, ProgressReportsPercentagesOfTheExpectedSize)
{
    FakeTcpServer server;
    server.send("12345678\r\n");
    server.pause(30);
    server.send(".\r\n");
    Connected c(server);
    std::string stream;
    std::vector<std::pair<int, int>> progress;
    c.socket.OnProgress = [&](QObject *, int perc, int bytes) { progress.emplace_back(perc, bytes); };
    c.socket.ReadData(stream, 20);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(50, 10)); // 10 of 20 bytes before the last chunk
}

TEST(TagSocketData, ProgressStaysWithinAHundredPercentWhenTheBlockOutgrowsItsSize)
{
    FakeTcpServer server;
    std::string block;
    const std::string line = std::string(1022, 'x') + "\r\n";
    while (block.size() < (24u << 20)) // a percentage of 1 byte above the int range
        block += line;
    server.send(block);
    server.pause(100); // the dot line comes in a pass of its own, after all of that
    server.send(".\r\n");
    Connected c(server);
    std::vector<int> percents;
    c.socket.OnProgress = [&](QObject *, int perc, int) { percents.push_back(perc); };
    std::string stream;
    c.socket.ReadData(stream, 1);
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::all_of(percents.begin(), percents.end(), [](int p) { return p >= 0 && p <= 100; }))
        << "last: " << percents.back();
}

TEST(TagSocketData, BeyondItsKeptPartABlockIsReadToItsEndAndDropped)
{
    // The kept part is 8 bytes; the dot line may arrive split anywhere,
    // also across the point where keeping stops. The next reply is intact.
    const std::string block = "0123456789abcdef\r\n.\r\n";
    for (size_t split : {size_t(6), size_t(8), size_t(17), size_t(18), size_t(19), block.size()}) {
        SCOPED_TRACE("split after byte " + std::to_string(split));
        FakeTcpServer server;
        server.send(block.substr(0, split));
        server.pause(20);
        server.send(block.substr(split) + "+OK next\r\n");
        Connected c(server);
        std::string stream = "kept before:";
        TDataBlockLimits limits;
        limits.MaxKeptBytes = 8;
        EXPECT_EQ(c.socket.ReadData(stream, -1, limits), (long long)block.size() - 8);
        EXPECT_EQ(stream, "kept before:01234567");
        c.socket.ReadLine();
        EXPECT_EQ(c.socket.LastReply(), "+OK next");
    }
}

TEST(TagSocketData, AServerClosingInTheMiddleOfABlockFailsAtOnce)
{
    FakeTcpServer server;
    server.send("Subject: cut\r\nFrom: x\r\n");
    server.close();
    Connected c(server, 30);
    QElapsedTimer clock;
    clock.start();
    std::string stream;
    EXPECT_THROW(c.socket.ReadData(stream, -1), ESocketError);
    EXPECT_LT(clock.elapsed(), 10000); // not the 30-second time-out
    EXPECT_FALSE(c.socket.IsConnected());
}

TEST(TagSocketWaits, ASilentServerTimesOutClosesAndReportsTheText)
{
    FakeTcpServer server;
    server.expectClose();
    Connected c(server, 1);
    std::string reported;
    c.socket.OnError = [&](QObject *, std::string &msg) {
        reported = msg;
        msg = "changed"; // has no effect on a time-out
    };
    EXPECT_EQ(test::raisedText<ETimedOutError>([&] { c.socket.ReadLine(); }), "Operation timed out");
    EXPECT_EQ(reported, "Operation timed out");
    EXPECT_TRUE(c.socket.TimedOut());
    EXPECT_FALSE(c.socket.IsConnected());
}

TEST(TagSocketWaits, CancelDuringReadDataClosesAndEndsWithTheCancelError)
{
    FakeTcpServer server;
    server.send("Subject: half\r\n");
    server.expectClose();
    Connected c(server);
    int cancelEvents = 0;
    c.socket.OnCancel = [&](QObject *) { ++cancelEvents; };
    QTimer::singleShot(100, [&] { c.socket.Cancel(); });
    std::string stream;
    EXPECT_EQ(test::raisedText<ECanceledError>([&] { c.socket.ReadData(stream, -1); }), "Operation has been canceled");
    EXPECT_EQ(cancelEvents, 1);
    EXPECT_FALSE(c.socket.IsConnected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.scriptDone(); }, 3000)); // the server saw the close
}

TEST(TagSocketWaits, ReadToEndReadsACountOrUntilTheServerCloses)
{
    FakeTcpServer server;
    server.send("0123456789");
    server.pause(20);
    server.send("abcdef");
    server.close();
    Connected c(server);
    int closedEvents = 0;
    c.socket.OnClosed = [&](QObject *) { ++closedEvents; };
    std::string counted, rest;
    c.socket.ReadToEnd(counted, 4);
    EXPECT_EQ(counted, "0123");
    c.socket.ReadToEnd(rest, -1);
    EXPECT_EQ(rest, "456789abcdef");
    EXPECT_EQ(closedEvents, 2);
    EXPECT_TRUE(c.socket.IsConnected()); // the socket stays until Close
}

TEST(TagSocketConnect, ARefusedConnectionFailsAtOnceWithThePlatformText)
{
    TagSocket socket;
    socket.Server = "127.0.0.1:" + std::to_string(closedPort());
    socket.SetTimeOut(30);
    socket.ResetState();
    socket.Open();
    QElapsedTimer clock;
    clock.start();
    try {
        socket.Connect();
        FAIL() << "connected to a closed port";
    } catch (const ESocketError &e) {
        EXPECT_STREQ(e.what(), "Connection refused");
    }
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(TagSocketConnect, OnErrorMayChangeTheTextOfTheRaisedError)
{
    TagSocket socket;
    socket.OnError = [](QObject *, std::string &msg) { msg = "Mailbox server missing: " + msg; };
    socket.ResetState();
    try {
        socket.Open();
        FAIL();
    } catch (const ESocketError &e) {
        EXPECT_STREQ(e.what(), "Mailbox server missing: Server property is required");
    }
}

TEST(TagSocketConnect, HostNamesAndIPv6AddressesConnect)
{
    QTcpServer v6;
    if (!v6.listen(QHostAddress::LocalHostIPv6, 0))
        GTEST_SKIP() << "no IPv6 loopback here";
    FakeTcpServer v4;
    for (const std::string &server :
         {"[::1]:" + std::to_string(v6.serverPort()), "localhost:" + std::to_string(v4.port())}) {
        TagSocket socket;
        socket.Server = server;
        socket.SetTimeOut(5);
        socket.ResetState();
        socket.Open();
        EXPECT_NO_THROW(socket.Connect()) << server;
        socket.Close();
    }
}

TEST(TagSocketOpen, PortComesFromServerTheServicesDatabaseOrTheDefault)
{
    struct Case {
        std::string server, service;
        uint16_t expected;
    };
    const Case cases[] = {
        {"127.0.0.1:995", "pop3", 995},          // a port in Server needs no lookup
        {"127.0.0.1", "pop3", 110},              // the services database
        {"localhost:abc", "pop3", 110},          // no number: the lookup
        {"localhost:70000", "pop3", 110},        // out of range: the lookup
        {"127.0.0.1", "no-such-service-here", 4321}, // lookup fails: DefaultPort, no error
    };
    for (const Case &c : cases) {
        TagSocket socket;
        socket.Server = c.server;
        socket.ServiceName = c.service;
        socket.DefaultPort = 4321;
        socket.ResetState();
        socket.Open();
        EXPECT_EQ(socket.Port(), c.expected) << c.server;
        EXPECT_TRUE(socket.IsConnected()); // a socket exists after Open
    }
}

TEST(TagSocketOpen, ChecksAndLookupFailuresRaiseSocketErrors)
{
    struct Case {
        std::string server, service, text;
    };
    const Case cases[] = {
        {"", "pop3", "Server property is required"},
        {"127.0.0.1", "", "Service name is required"},
    };
    for (const Case &c : cases) {
        TagSocket socket;
        socket.Server = c.server;
        socket.ServiceName = c.service;
        socket.ResetState();
        EXPECT_EQ(test::raisedText<ESocketError>([&] { socket.Open(); }), c.text) << c.server;
    }
    // A name the resolver rejects without asking any server.
    TagSocket socket;
    socket.Server = "bad..name";
    socket.SetTimeOut(5);
    socket.ResetState();
    EXPECT_THROW(socket.Open(), ESocketError);
}

TEST(TagSocketOpen, LineOperationsNeedAConnection)
{
    TagSocket socket;
    try {
        socket.SendLine("NOOP");
        FAIL();
    } catch (const ESocketError &e) {
        EXPECT_STREQ(e.what(), "You have to connect to the server first");
    }
    EXPECT_THROW(socket.ReadLine(), ESocketError);
    std::string stream;
    EXPECT_THROW(socket.ReadData(stream, -1), ESocketError);
    socket.Close(); // harmless without a socket
}

TEST(TagSocketOpen, ADialUpLinkIsDialedByOpenAndHungUpByClose)
{
    FakeDialUpService service;
    service.entries = {"Office"};
    TagRas link(service);
    link.setService("Office");
    TagSocket socket;
    socket.RAS = &link;
    socket.Server = "127.0.0.1:110";
    socket.ResetState();
    socket.Open();
    EXPECT_TRUE(link.LinkUp());
    const auto dialed = std::find_if(service.log.begin(), service.log.end(),
                                     [](const std::string &entry) { return entry.rfind("dial Office", 0) == 0; });
    EXPECT_NE(dialed, service.log.end());
    socket.Close();
    EXPECT_FALSE(link.LinkUp());
    ASSERT_FALSE(service.log.empty());
    EXPECT_EQ(service.log.back().substr(0, 6), "hangup");
}

TEST(TagSocketWaits, AResetConnectionEndsTheReadAndTheNextSendFailsAndCloses)
{
    FakeTcpServer server;
    server.send("+OK par");
    server.pause(50);
    server.reset();
    Connected c(server);
    std::string reported;
    c.socket.OnError = [&](QObject *, std::string &msg) { reported = msg; };
    EXPECT_EQ(c.socket.ReadLine(), -1); // the platform reports a reset as the end of the stream
    EXPECT_EQ(c.socket.LastReply(), "");
    try {
        c.socket.SendLine("QUIT");
        FAIL() << "sent on a reset connection";
    } catch (const ESocketError &e) {
        EXPECT_STREQ(e.what(), "Connection reset by peer");
    }
    EXPECT_EQ(reported, "Connection reset by peer");
    EXPECT_FALSE(c.socket.IsConnected()); // 10054 closes the connection
}

TEST(TagSocketOpen, AFailedDialEndsOpenWithTheDialUpError)
{
    FakeDialUpService service;
    service.entries = {"Office"};
    service.dialStartError = 633;
    TagRas link(service);
    link.setService("Office");
    TagSocket socket;
    socket.RAS = &link;
    socket.Server = "127.0.0.1:110";
    socket.ResetState();
    EXPECT_THROW(socket.Open(), ERASError);
    EXPECT_FALSE(socket.IsConnected());
}
