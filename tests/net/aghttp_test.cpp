// The HTTP client against a scripted server: the request it sends and the
// three ways a body can end.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/http_script.h"
#include "net/aghttp.h"
#include "net/errors.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace tw;
using tw::test::expectHttpGet;
using tw::test::FakeTcpServer;

namespace {

struct Client {
    explicit Client(FakeTcpServer &server, const std::string &path = "/ver.txt")
    {
        http.SetTimeOut(5);
        http.SetURL("http://" + server.hostAndPort() + path);
    }
    TagHTTP http;
};

} // namespace

TEST(TagHTTP, AChunkedBodyOfSizes1AAnd5Has31Bytes)
{
    FakeTcpServer server;
    expectHttpGet(server, "/ver.txt");
    server.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n");
    server.send("1A\r\nabcdefghijklmnopqrstuvwxyz\r\n");
    server.pause(20);
    server.send("5  \r\n12345\r\n0\r\n\r\n");
    server.expectClose();
    Client c(server);
    EXPECT_EQ(c.http.Get(), 200);
    EXPECT_EQ(c.http.Body(), "abcdefghijklmnopqrstuvwxyz12345");
    EXPECT_EQ(c.http.ResponseHeaders().Strings(0), "HTTP/1.1 200 OK");
    EXPECT_FALSE(c.http.IsConnected());
}

TEST(TagHTTP, ABodyWithoutLengthIsReadUntilTheServerCloses)
{
    FakeTcpServer server;
    expectHttpGet(server, "/ver.txt", "Tidewell");
    server.send("HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\nmissing,");
    server.pause(30);
    server.send(" really");
    server.close();
    Client c(server);
    c.http.UserAgent = "Tidewell";
    EXPECT_EQ(c.http.Get(), 404); // an error page is still the body
    EXPECT_EQ(c.http.Body(), "missing, really");
}

TEST(TagHTTP, ContentLengthLimitsTheBodyAndDrivesTheProgress)
{
    FakeTcpServer server;
    expectHttpGet(server, "/");
    server.send("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n1.9.");
    server.pause(30);
    server.send("1");
    server.expectClose();
    TagHTTP http;
    http.SetTimeOut(5);
    http.SetURL("HTTP://" + server.hostAndPort()); // no path: "/"
    std::vector<int> percents;
    http.OnProgress = [&](QObject *, int perc, int) { percents.push_back(perc); };
    EXPECT_EQ(http.Get(), 200);
    EXPECT_EQ(http.Body(), "1.9.");
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
}

TEST(TagHTTP, ABodyCutShortOfItsLengthIsAnError)
{
    FakeTcpServer server;
    expectHttpGet(server, "/ver.txt");
    server.send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly this");
    server.close();
    Client c(server);
    EXPECT_THROW(c.http.Get(), ESocketError);
    EXPECT_FALSE(c.http.IsConnected());
}

TEST(TagHTTP, NoStatusLineGivesMinusOne)
{
    FakeTcpServer server;
    expectHttpGet(server, "/ver.txt");
    server.close();
    Client c(server);
    EXPECT_EQ(c.http.Get(), -1);
    EXPECT_EQ(c.http.Body(), "");
}

TEST(TagHTTP, AnyOtherSchemeIsRefusedAndTheOldUrlStays)
{
    TagHTTP http;
    http.SetURL("http://example.org/a/b.txt");
    EXPECT_EQ(http.Path(), "/a/b.txt");
    std::string reported;
    http.OnError = [&](QObject *, std::string &msg) { reported = msg; };
    for (const char *bad : {"https://example.org/", "ftp://example.org/x", "example.org", ""}) {
        EXPECT_THROW(http.SetURL(bad), ESocketError) << bad;
        EXPECT_EQ(reported, "Invalid URL");
        EXPECT_EQ(http.URL(), "http://example.org/a/b.txt");
    }
}

TEST(TagHTTP, ARefusedConnectionFailsAndLeavesNoSocket)
{
    uint16_t port;
    {
        QTcpServer probe; // a port nobody listens on once the probe is gone
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    TagHTTP http;
    http.SetTimeOut(5);
    http.SetURL("http://127.0.0.1:" + std::to_string(port) + "/ver.txt");
    EXPECT_THROW(http.Get(), ESocketError);
    EXPECT_FALSE(http.IsConnected());
}

// Hostile web servers: each would hold the client forever or make it grow
// without bound; each must end with an error, the connection closed, and
// the client's memory within the limits.
TEST(TagHTTP, AServerBeyondTheLimitsEndsTheRequestWithAnError)
{
    std::string chunks;
    for (int i = 0; i < 1000; ++i)
        chunks += "64\r\n" + std::string(100, 'x') + "\r\n";
    std::string headers;
    for (int i = 0; i < 5000; ++i)
        headers += "X-Filler-" + std::to_string(i) + ": endless\r\n";
    const struct {
        const char *name;
        std::string reply;
    } cases[] = {
        {"endless header lines", "HTTP/1.0 200 OK\r\n" + headers},
        {"a few huge header lines", "HTTP/1.0 200 OK\r\n" + std::string(3, 'x').append(60000, 'y') + "\r\n" +
                                        std::string(60000, 'z') + "\r\n\r\n"},
        {"a length beyond the body limit", "HTTP/1.0 200 OK\r\nContent-Length: 10737418240\r\n\r\nxyz"},
        {"endless chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks},
        {"a body without length beyond the limit", "HTTP/1.0 200 OK\r\n\r\n" + std::string(100000, 'b')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        expectHttpGet(server, "/ver.txt");
        server.send(c.reply);
        server.expectClose();
        Client client(server);
        client.http.MaxBodyBytes = 50000;
        EXPECT_THROW(client.http.Get(), ESocketError);
        EXPECT_FALSE(client.http.IsConnected());
        EXPECT_LE(client.http.Body().size(), 50000u);
        EXPECT_LE(client.http.ResponseHeaders().Count(), TagHTTP::MaxHeaderLines);
    }
}

TEST(TagHTTP, AServerThatTricklesEndsTheRequestAtItsTimeLimit)
{
    for (bool inTheBody : {false, true}) {
        SCOPED_TRACE(inTheBody ? "trickling body" : "trickling headers");
        FakeTcpServer server;
        expectHttpGet(server, "/ver.txt");
        if (inTheBody)
            server.send("HTTP/1.0 200 OK\r\n\r\n");
        // A byte every 200 ms never lets the time-out between events fall due.
        server.drip(std::string(inTheBody ? "" : "HTTP/1.0 200 OK\r\nX: ") + std::string(200, 'a'), 200);
        Client client(server);
        client.http.MaxSeconds = 2;
        QElapsedTimer clock;
        clock.start();
        EXPECT_THROW(client.http.Get(), ETimedOutError);
        EXPECT_LT(clock.elapsed(), 4000);
        EXPECT_FALSE(client.http.IsConnected());
    }
}
