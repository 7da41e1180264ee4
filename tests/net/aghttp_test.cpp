// The HTTP client against a scripted server: the request it sends and the
// three ways a body can end.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/http_script.h"
#include "net/aghttp.h"
#include "net/errors.h"

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
