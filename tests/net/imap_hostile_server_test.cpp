// What the IMAP client does with a server that sends too much, too slowly
// or out of turn: each listing ends with one of the client's errors (and a
// closed connection where the replies can no longer be read in step), never
// with memory or time growing without bound.
#include "fixtures/imap_script.h"
#include "net/errors.h"
#include "net/imap_client.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

template <class Action> std::string outcome(Action &&action)
{
    try {
        action();
    } catch (const EImapReplyError &error) {
        return std::string("reply: ") + error.what();
    } catch (const ETimedOutError &error) {
        return std::string("time-out: ") + error.what();
    } catch (const EServerError &error) {
        return std::string("server: ") + error.what();
    } catch (const ESocketError &error) {
        return std::string("socket: ") + error.what();
    } catch (const ETidewellError &error) {
        return std::string("error: ") + error.what();
    }
    return "listed";
}

std::string repeated(const std::string &text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

TEST(ImapHostileServer, EveryBoundEndsTheListingWithAnError)
{
    const std::string pad = "X-Pad: " + std::string(70, 'x') + "\r\n";
    const std::string bigHeader = "Subject: big\r\n" + repeated(pad, (1 << 20) / int(pad.size()) + 200) + "\r\n";
    struct Case {
        const char *name;
        int exists;
        std::string replies;       // after the listing's command
        std::string dripped;       // then, a byte every 100 ms
        std::string result;        // what UpdateInfo raised
        int listed;                // items in the list afterwards
        bool closedByClient;       // the client hangs up at once
    } cases[] = {
        {"a header block beyond 1 MB is cut and the listing goes on", 2,
         imapFetchReply(1, 1, int(bigHeader.size()), bigHeader) + imapFetchReply(2, 2, 9, imapHeader("next")) +
             "a3 OK done\r\n",
         "", "listed", 2, false},
        {"a literal larger than any message", 1, "* 1 FETCH (UID 1 RFC822.SIZE 9 BODY[HEADER] {300000000}\r\n", "",
         "reply: Server reply is larger than allowed", 0, true},
        {"a line far longer than 64 KB", 1, "* 1 FETCH (UID 1 X " + std::string(2 << 20, 'x') + ")\r\n", "",
         "socket: Server reply line is too long", 0, true},
        // Each byte comes well within the time-out, but the whole reply
        // must come within three of them.
        {"a reply trickling in beyond its time", 1, "* 1 FETCH (UID 1 RFC822.SIZE 9 BODY[HEADER] {60}\r\n",
         std::string(60, 'x'), "time-out: Operation timed out", 0, true},
        {"a flood of replies to one command", 1, repeated("* 1 EXISTS\r\n", 10010), "",
         "reply: The server's replies are out of step with Tidewell's commands: it sent more replies to one command "
         "than Tidewell reads.",
         0, true},
        {"lists nested too deeply", 1, "* 1 FETCH " + std::string(40, '(') + std::string(40, ')') + "\r\n", "",
         "reply: The server's reply could not be read: its lists are nested too deeply.", 0, true},
        {"a FETCH reply that cannot be read", 2, imapFetchReply(1, 1, 9, "A: b\r\n\r\n") + "* 2 FETCH (UID x)\r\n",
         "", "reply: The server's FETCH reply could not be read: UID is not a number.", 1, true},
        {"a reply to a command never sent", 1, "a9 OK done\r\n", "",
         "reply: The server's replies are out of step with Tidewell's commands: it answered a command that Tidewell "
         "did not send (OK done).",
         0, true},
        {"a continuation out of place", 1, "+ more\r\n", "",
         "reply: The server's replies are out of step with Tidewell's commands: it asked for more of a command that "
         "was complete.",
         0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        TmsImapClient imap;
        useScript(imap, server, c.dripped.empty() ? 5 : 1);
        scriptImapLogin(server);
        scriptImapSelect(server, "a2", "EXAMINE", c.exists);
        server.expect("a3 UID FETCH 1:* (UID RFC822.SIZE BODY.PEEK[HEADER])");
        server.send(c.replies);
        if (!c.dripped.empty())
            server.drip(c.dripped, 100);
        if (c.closedByClient)
            server.expectClose();
        else
            scriptImapLogout(server, "a4");
        QElapsedTimer clock;
        clock.start();

        EXPECT_EQ(outcome([&] { imap.UpdateInfo(); }), c.result);

        EXPECT_LT(clock.elapsed(), c.dripped.empty() ? 15000 : 5000);
        EXPECT_EQ(imap.RemoteInfo().Count(), c.listed);
        EXPECT_FALSE(imap.IsConnected());
        imap.Close();
        server.verify();
        if (c.listed == 2) {
            const TmsRemoteInfoItem &big = imap.RemoteInfo().Items(0);
            EXPECT_EQ(big.CutReplyBytes, (long long)bigHeader.size());
            EXPECT_EQ(big.Headers.GetFieldBody("Subject"), "big");
            EXPECT_LE(big.Headers.Text().size(), size_t(1 << 20));
            EXPECT_EQ(imap.RemoteInfo().Items(1).Headers.GetFieldBody("Subject"), "next");
        }
    }
}

TEST(ImapHostileServer, AFolderTooLargeIsListedUpToTheBound)
{
    FakeTcpServer server;
    TmsImapClient imap;
    useScript(imap, server);
    imap.MaxListedMessages = 2;
    scriptImapLogin(server);
    scriptImapSelect(server, "a2", "EXAMINE", 3);
    server.expect("a3 FETCH 1:2 (UID RFC822.SIZE BODY.PEEK[HEADER])");
    for (int n = 1; n <= 3; ++n) // one more than asked for
        server.send(imapFetchReply(n, uint32_t(n), 9, imapHeader(std::to_string(n))));
    server.sendLine("a3 OK done");

    EXPECT_EQ(outcome([&] { imap.UpdateInfo(); }), "error: The folder holds 3 messages; only the first 2 were listed");
    EXPECT_EQ(imap.RemoteInfo().Count(), 2);
    imap.Close();
}

TEST(ImapHostileServer, AServerThatHangsUpSaysWhyWhenItCan)
{
    struct Case {
        const char *name, *replies, *result;
    } cases[] = {
        {"inside a literal", "* 1 FETCH (UID 1 RFC822.SIZE 9 BODY[HEADER] {50}\r\nabc",
         "socket: Connection closed by the server before the data was complete"},
        {"after its BYE", "* BYE Server shutting down\r\n",
         "server: The server closed the connection: \"BYE Server shutting down\""},
        {"without a word", "", "server: The server closed the connection."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        TmsImapClient imap;
        useScript(imap, server);
        scriptImapLogin(server);
        scriptImapSelect(server, "a2", "EXAMINE", 1);
        server.expect("a3 UID FETCH 1:* (UID RFC822.SIZE BODY.PEEK[HEADER])");
        server.send(c.replies);
        server.close();
        EXPECT_EQ(outcome([&] { imap.UpdateInfo(); }), c.result);
        EXPECT_FALSE(imap.IsConnected());
    }
}

TEST(ImapHostileServer, AGreetingOfAnotherProtocolIsNotTakenForIMAP)
{
    FakeTcpServer server;
    TmsImapClient imap;
    useScript(imap, server);
    server.sendLine("+OK POP3 ready");
    server.expectClose();
    EXPECT_EQ(outcome([&] { imap.UpdateInfo(); }),
              "reply: The server's replies are out of step with Tidewell's commands: its greeting is not OK, PREAUTH "
              "or BYE (+OK POP3 ready).");
}

} // namespace
