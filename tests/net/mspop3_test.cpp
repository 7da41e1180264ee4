// The POP3 client against scripted servers: the exact dialogues of a check
// and a deletion run, and the failures a real server will not produce.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/pop3_script.h"
#include "fixtures/raised.h"
#include "net/errors.h"
#include "net/mspop3.h"

#include <QTimer>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using namespace tw;
using tw::test::FakeTcpServer;

namespace {

struct Client {
    // The dialogues here are those of a client sending one command at a
    // time; pipelined ones are in pop3_pipelining_test.cpp.
    explicit Client(FakeTcpServer &server, int timeOut = 5, bool pipelining = false)
    {
        pop.Pipelining = pipelining;
        pop.Server = server.hostAndPort();
        pop.UserName = "ann";
        pop.Password = "pw";
        pop.SetTimeOut(timeOut);
        pop.OnUpdatingInfo = [this](QObject *) { events.push_back("updating"); };
        pop.OnInfoUpdated = [this](QObject *) { events.push_back("updated"); };
        pop.OnNextInfoUpdated = [this](QObject *, int n) { events.push_back("next " + std::to_string(n)); };
        pop.OnTransferringData = [this](QObject *) { events.push_back("transferring"); };
        pop.OnDataTransfered = [this](QObject *) { events.push_back("transfered"); };
        pop.OnDeleting = [this](QObject *, int n) { events.push_back("deleting " + std::to_string(n)); };
        pop.OnRetrieving = [this](QObject *, int n) { events.push_back("retrieving " + std::to_string(n)); };
        pop.OnRetrieved = [this](QObject *, int n) { events.push_back("retrieved " + std::to_string(n)); };
        pop.OnMessageSkipped = [this](QObject *, int n) { events.push_back("skipped " + std::to_string(n)); };
    }
    TmsRemotePOP pop;
    std::vector<std::string> events;
};

// The answer to the CAPA that a pipelining client asks before its first
// message command; empty for a client that sends one command at a time.
std::string capaAfterStat;

// The server side of a login up to the STAT reply, and the CAPA above unless
// the run sends no window (a retrieval).
void scriptLogin(FakeTcpServer &server, const std::string &statReply, bool windowFollows = true)
{
    test::scriptPop3Login(server, statReply, windowFollows ? capaAfterStat : "");
}

const std::string headerBlock1 = "Subject: first\r\n"
                                 "From: A <a@example.org>\r\n"
                                 "X-Long: one\r\n\ttwo\r\n"
                                 "..dotted: header\r\n";
const std::string headerBlock2 = "Subject: second\r\n";

} // namespace

TEST(Pop3Dialogue, ACheckRunOfTwoMessagesSendsLoginStatThenListAndTopPerMessage)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 2 4567");
    server.expect("LIST 1");
    server.sendLine("+OK 1 1380");
    server.expect("TOP 1 1");
    server.send("+OK\r\n" + headerBlock1 + "\r\nfirst body line\r\n.\r\n");
    server.expect("LIST 2");
    server.sendLine("+OK 2 99");
    server.expect("TOP 2 1");
    server.send("+OK\r\n" + headerBlock2 + ".\r\n"); // headers only: no empty line
    server.expect("QUIT");
    server.sendLine("+OK bye");
    server.expectClose();

    Client c(server);
    c.pop.UpdateInfo();
    EXPECT_EQ(c.pop.MessageCount(), 2);
    EXPECT_EQ(c.pop.MailboxSize(), 4567);
    ASSERT_EQ(c.pop.RemoteInfo().Count(), 2);
    const TmsRemoteInfoItem &first = c.pop.RemoteInfo().Items(0);
    EXPECT_EQ(first.Size, 1380);
    EXPECT_EQ(first.Headers.Lines().copy(), (std::vector<std::string>{"Subject: first", "From: A <a@example.org>",
                                                               "X-Long: one", "\ttwo", "..dotted: header"}));
    EXPECT_EQ(first.Headers.GetFieldBody("Subject"), "first");
    const TmsRemoteInfoItem &second = c.pop.RemoteInfo().Items(1);
    EXPECT_EQ(second.Size, 99);
    EXPECT_EQ(second.Headers.Lines().copy(), (std::vector<std::string>{"Subject: second", "."}));
    EXPECT_EQ(c.events, (std::vector<std::string>{"updating", "next 0", "next 1", "updated"}));
    EXPECT_FALSE(c.pop.IsConnected());
}

TEST(Pop3Dialogue, ADeletionRunOfMessage2InANewConnection)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 2 200");
    server.expect("LIST 1");
    server.sendLine("+OK 1 100");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: one\r\n\r\n.\r\n");
    server.expect("LIST 2");
    server.sendLine("+OK 2 100");
    server.expect("TOP 2 1");
    server.send("+OK\r\nSubject: two\r\n\r\nbody\r\n.\r\n");
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();
    server.accept();
    scriptLogin(server, "+OK 2 200");
    server.expect("UIDL 2");
    server.sendLine("+OK 2 uid-two");
    server.expect("LIST 2");
    server.sendLine("+OK 2 100");
    server.expect("TOP 2 1");
    server.send("+OK\r\nSubject: two\r\n\r\nbody\r\n.\r\n");
    server.expect("DELE 2");
    server.sendLine("+OK marked");
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();

    Client c(server);
    c.pop.UpdateInfo();
    c.events.clear();
    c.pop.FlagForDeletion(1);
    c.pop.TransferData();
    EXPECT_EQ(c.events, (std::vector<std::string>{"transferring", "deleting 1", "transfered"}));
}

TEST(Pop3Dialogue, StayConnectedKeepsTheSessionForTheNextTransfer)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 10");
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
    // No QUIT, no second USER or PASS.
    server.expect("UIDL 1");
    server.sendLine("-ERR no UIDL here"); // refused UIDL is not an error
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
    server.expect("DELE 1");
    server.sendLine("-ERR refused"); // refused DELE is not an error either
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();

    Client c(server);
    c.pop.StayConnected = true;
    c.pop.UpdateInfo();
    EXPECT_TRUE(c.pop.IsConnected());
    c.pop.FlagForDeletion(0);
    c.pop.TransferData();
    EXPECT_FALSE(c.pop.IsConnected());
}

TEST(Pop3Dialogue, RetrieveAndDeleteVerifiesTwiceAndSavesTheBlockAsReceived)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 10");
    server.expect("LIST 1");
    server.sendLine("+OK 1 27");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
    for (int round = 0; round < 2; ++round) {
        server.expect("UIDL 1");
        server.sendLine("+OK 1 u1");
        server.expect("LIST 1");
        server.sendLine("+OK 1 27");
        server.expect("TOP 1 1");
        server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
        if (round == 0) {
            server.expect("LIST 1");
            server.sendLine("+OK 1 27");
            server.expect("RETR 1");
            server.send("+OK\r\nSubject: x\r\n\r\n..body\r\n.\r\n");
        }
    }
    server.expect("DELE 1");
    server.sendLine("+OK");
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();

    Client c(server);
    c.pop.StayConnected = true;
    c.pop.UpdateInfo();
    std::string saved;
    int savedNum = -1;
    c.pop.OnUserMessageSave = [&](QObject *, int num, const std::string &contents) {
        savedNum = num;
        saved = contents;
    };
    c.pop.FlagForRetrieval(0);
    c.pop.FlagForDeletion(0);
    c.events.clear();
    c.pop.TransferData();
    EXPECT_EQ(c.events, (std::vector<std::string>{"transferring", "retrieving 0", "retrieved 0", "deleting 0",
                                                  "transfered"}));
    EXPECT_EQ(savedNum, 0);
    EXPECT_EQ(saved, "Subject: x\r\n\r\n..body\r\n.\r\n");
}

TEST(Pop3Dialogue, AChangedMessageIsNeitherRetrievedNorDeletedAndIsReportedOnce)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 2 10");
    for (const char *n : {"1", "2"}) {
        server.expect(std::string("LIST ") + n);
        server.sendLine(std::string("+OK ") + n + " 10");
        server.expect(std::string("TOP ") + n + " 1");
        server.send(std::string("+OK\r\nSubject: listed ") + n + "\r\n\r\n.\r\n");
    }
    // Message 1 was replaced by another program; message 2 is gone.
    server.expect("UIDL 1");
    server.sendLine("+OK 1 other");
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: listed 2\r\n\r\n.\r\n");
    server.expect("UIDL 2");
    server.sendLine("-ERR no such message");
    server.expect("LIST 2");
    server.sendLine("-ERR no such message");
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();

    Client c(server);
    c.pop.StayConnected = true;
    c.pop.UpdateInfo();
    c.events.clear();
    c.pop.FlagForRetrieval(0);
    c.pop.FlagForDeletion(0);
    c.pop.FlagForDeletion(1);
    c.pop.TransferData();
    EXPECT_EQ(c.events, (std::vector<std::string>{"transferring", "skipped 0", "skipped 1", "transfered"}));
}

TEST(Pop3Dialogue, TransferWithoutFlagsStillLogsInAndQuits)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 10");
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();
    server.accept();
    scriptLogin(server, "+OK 1 10");
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();

    Client c(server);
    c.pop.UpdateInfo();
    c.events.clear();
    c.pop.TransferData();
    EXPECT_EQ(c.events, (std::vector<std::string>{"transferring", "transfered"}));
}

TEST(Pop3Dialogue, AnEmptyMailboxSendsNoListButFiresBothEvents)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 0 0");
    server.expect("QUIT");
    server.sendLine("+OK");
    server.expectClose();
    Client c(server);
    c.pop.UpdateInfo();
    EXPECT_EQ(c.pop.MessageCount(), 0);
    EXPECT_EQ(c.events, (std::vector<std::string>{"updating", "updated"}));
}

TEST(Pop3Failures, ANegativeReplyAtEachStepRaisesTheServersLine)
{
    // How far the dialogue gets before the refusal.
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"", "+OK ready"}, {"USER ann", "+OK"}, {"PASS pw", "+OK"}, {"STAT", "+OK 1 10"},
        {"LIST 1", "+OK 1 10"}, {"TOP 1 1", "+OK"},
    };
    for (size_t refused = 0; refused < steps.size(); ++refused) {
        SCOPED_TRACE("refused step " + std::to_string(refused));
        FakeTcpServer server;
        for (size_t i = 0; i <= refused; ++i) {
            if (!steps[i].first.empty())
                server.expect(steps[i].first);
            server.sendLine(i == refused ? "-ERR refused here" : steps[i].second);
            if (i == 0 && refused > 0) { // a refused CAPA is no error: the client goes on with USER
                server.expect("CAPA");
                server.sendLine("-ERR no capabilities here");
            }
        }
        server.expectClose();
        Client c(server);
        EXPECT_EQ(test::raisedText<EServerError>([&] { c.pop.UpdateInfo(); }), "-ERR refused here");
        EXPECT_TRUE(c.pop.IsConnected()); // the caller closes after a refusal
        c.pop.Close();
    }
}

TEST(Pop3Failures, RefusedRetrAndQuitRaiseTheServersLine)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 10");
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
    server.expect("QUIT");
    server.sendLine("-ERR cannot quit");
    server.expectClose();
    server.accept();
    scriptLogin(server, "+OK 1 10");
    server.expect("UIDL 1");
    server.sendLine("+OK 1 u");
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("RETR 1");
    server.sendLine("-ERR locked");
    server.expectClose();

    Client c(server);
    EXPECT_THROW(c.pop.UpdateInfo(), EServerError);
    EXPECT_EQ(c.pop.RemoteInfo().Count(), 1);  // the items read stay
    EXPECT_FALSE(c.pop.IsConnected());           // closed although QUIT failed
    c.pop.FlagForRetrieval(0);
    EXPECT_EQ(test::raisedText<EServerError>([&] { c.pop.TransferData(); }), "-ERR locked");
    c.pop.Close();
}

TEST(Pop3Failures, MissingUserNameOrPasswordIsReportedBeforeAnythingIsSent)
{
    TmsRemotePOP pop;
    pop.Server = "127.0.0.1:1";
    std::vector<std::string> reported;
    pop.OnError = [&](QObject *, std::string &msg) { reported.push_back(msg); };
    pop.Password = "pw";
    EXPECT_THROW(pop.UpdateInfo(), ESocketError);
    pop.UserName = "ann";
    pop.Password = "";
    EXPECT_THROW(pop.UpdateInfo(), ESocketError);
    EXPECT_EQ(reported, (std::vector<std::string>{"UserName property is required", "Password property is required"}));
}

TEST(Pop3Failures, AServerClosingBeforeTheReplyEndsFailsAsARefusalWithEmptyText)
{
    FakeTcpServer server;
    server.sendLine("+OK ready");
    server.expect("CAPA");
    server.sendLine("-ERR no capabilities here");
    server.expect("USER ann");
    server.send("+OK hal");
    server.close();
    Client c(server);
    EXPECT_EQ(test::raisedText<EServerError>([&] { c.pop.UpdateInfo(); }), "");
}

TEST(Pop3Failures, AServerClosingInsteadOfAnsweringQuitSaysSo)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 0 0", false);
    server.expect("QUIT");
    server.close();
    Client c(server);
    EXPECT_EQ(test::raisedText<EServerError>([&] { c.pop.UpdateInfo(); }),
              "The server closed the connection without answering QUIT.");
}

TEST(Pop3Failures, ANonDecimalStatCountIsAConversionError)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK many 10");
    server.expectClose();
    Client c(server);
    EXPECT_EQ(test::raisedText<ETidewellError>([&] { c.pop.UpdateInfo(); }), "'many' is not a valid integer value");
    c.pop.Close();
}

TEST(Pop3Failures, SilenceEndsWithTheTimeOutAndNoQuit)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 10");
    server.expect("LIST 1");
    server.expectClose(); // silent until the client gives up
    Client c(server, 1);
    EXPECT_THROW(c.pop.UpdateInfo(), ETimedOutError);
    EXPECT_FALSE(c.pop.IsConnected());
}

TEST(Pop3Failures, CancelDuringADataBlockClosesWithoutQuit)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 10");
    server.expect("LIST 1");
    server.sendLine("+OK 1 10");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: slow\r\n");
    server.expectClose();
    Client c(server);
    int cancels = 0;
    c.pop.OnCancel = [&](QObject *) { ++cancels; };
    c.pop.OnNextInfoUpdated = nullptr;
    QTimer::singleShot(200, [&] { c.pop.Cancel(); });
    EXPECT_THROW(c.pop.UpdateInfo(), ECanceledError);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(c.pop.RemoteInfo().Count(), 0);
}

TEST(Pop3Client, MessageDirectoryGetsAFinalSeparator)
{
    TmsRemotePOP pop;
    pop.SetMessageDirectory("/tmp/mail");
    EXPECT_EQ(pop.MessageDirectory(), "/tmp/mail/");
    pop.SetMessageDirectory("/tmp/mail/");
    EXPECT_EQ(pop.MessageDirectory(), "/tmp/mail/");
    pop.SetMessageDirectory("");
    EXPECT_EQ(pop.MessageDirectory(), "");
}

// --- Hostile servers ----------------------------------------------------------

namespace {

// The error an action ends with, as "<kind>: <text>" ("none" when it returns).
template <class Action> std::string outcome(Action &&action)
{
    try {
        action();
    } catch (const ETimedOutError &e) {
        return std::string("time-out: ") + e.what();
    } catch (const ESocketError &e) {
        return std::string("socket: ") + e.what();
    } catch (const EServerError &e) {
        return std::string("server: ") + e.what();
    } catch (const ETidewellError &e) {
        return std::string("error: ") + e.what();
    }
    return "none";
}

// Whether the client of the running case sends its commands in windows.
bool windows() { return !capaAfterStat.empty(); }

// Message N's size as a listing asks for it: one at a time with LIST n; in
// windows the one LIST, asked before message 1's TOP, gives all of Sizes.
void scriptSize(FakeTcpServer &server, int n, const std::vector<int> &sizes)
{
    if (windows()) {
        if (n == 1) {
            server.expect("LIST");
            server.send(test::scanListingReply(sizes));
        }
        return;
    }
    server.expect("LIST " + std::to_string(n));
    server.sendLine("+OK " + std::to_string(n) + " " + std::to_string(sizes[size_t(n - 1)]));
}

// Message 1 of 10 bytes as the listing reads it, or as a deletion re-reads
// it (UIDL 1, LIST 1, TOP 1 1 in any mode) when verifying.
void scriptMessage1(FakeTcpServer &server, bool verifying = false)
{
    if (verifying) {
        server.expect("UIDL 1");
        server.sendLine("+OK 1 u1");
        server.expect("LIST 1");
        server.sendLine("+OK 1 10");
    } else {
        scriptSize(server, 1, {10});
    }
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
}

// A listing of one message that ends with an accepted QUIT, then the second
// connection of a deletion run up to its DELE 1.
void scriptDeletionUpToDele(FakeTcpServer &server)
{
    scriptLogin(server, "+OK 1 10");
    scriptMessage1(server);
    server.expect("QUIT");
    server.sendLine("+OK bye");
    server.expectClose();
    server.accept();
    scriptLogin(server, "+OK 1 10");
    scriptMessage1(server, true);
    server.expect("DELE 1");
}

std::string headerLines(size_t bytes)
{
    std::string lines;
    while (lines.size() < bytes)
        lines += "X-Filler: " + std::string(100, 'f') + "\r\n";
    return lines;
}

enum class Run { Listing, Deletion, Retrieval };

struct HostileCase {
    const char *what;
    Run run;
    std::function<void(FakeTcpServer &)> script;
    std::string expected;      // outcome()
    int listedAfter = -1;      // RemoteInfo().Count() afterwards, when >= 0
    int maxListed = 0;         // a lower listing limit for the case, when > 0
};

} // namespace

TEST(Pop3Hostile, EveryHostileServerEndsTheRunWithAClearErrorAndNothingWrongDone)
{
    const std::vector<HostileCase> cases = {
        {"header block without its end", Run::Listing,
         [](FakeTcpServer &s) {
             scriptLogin(s, "+OK 1 10");
             scriptSize(s, 1, {10});
             s.expect("TOP 1 1");
             s.send("+OK\r\n" + headerLines(2 << 20));
             s.expectClose();
         },
         "socket: Server reply is larger than allowed", 0},
        {"message far above its listed size", Run::Retrieval,
         [](FakeTcpServer &s) {
             scriptLogin(s, "+OK 1 100", false);
             s.expect("LIST 1");
             s.sendLine("+OK 1 100");
             s.expect("RETR 1");
             s.send("+OK\r\n" + headerLines(512 << 10));
             s.expectClose();
         },
         "socket: Server reply is larger than allowed"},
        {"reply line one byte at a time", Run::Listing,
         [](FakeTcpServer &s) {
             scriptLogin(s, "+OK 1 10");
             s.expect(windows() ? "LIST" : "LIST 1");
             if (windows())
                 s.expect("TOP 1 1"); // sent in the same window
             s.drip("+OK 1 10 and then some more text, very slowly\r\n", 150);
             s.expectClose();
         },
         "time-out: Operation timed out", 0},
        {"header block a line at a time, never idle long", Run::Listing,
         [](FakeTcpServer &s) {
             scriptLogin(s, "+OK 1 10");
             scriptSize(s, 1, {10});
             s.expect("TOP 1 1");
             s.sendLine("+OK");
             for (int i = 0; i < 20; ++i) {
                 s.sendLine("X-Slow: " + std::to_string(i));
                 s.pause(300);
             }
             s.send("\r\n.\r\n");
             s.expectClose();
         },
         "time-out: Operation timed out", 0},
        {"message count beyond the listing limit", Run::Listing,
         [](FakeTcpServer &s) {
             scriptLogin(s, "+OK 1000000000 10");
             for (int n = 1; n <= 2; ++n) {
                 s.expect("LIST " + std::to_string(n));
                 s.sendLine("+OK " + std::to_string(n) + " 10");
                 s.expect("TOP " + std::to_string(n) + " 1");
                 s.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
             }
             s.expectClose();
         },
         "error: The mailbox holds 1000000000 messages; only the first 2 were listed", 2, 2},
        {"LIST answers for another message", Run::Listing,
         [](FakeTcpServer &s) {
             scriptLogin(s, "+OK 2 20");
             if (windows()) { // the second line of the one LIST is about message 7
                 s.expect("LIST");
                 s.send("+OK\r\n1 10\r\n7 10\r\n.\r\n");
                 s.expect("TOP 1 1");
                 s.send("+OK\r\nSubject: x\r\n\r\n.\r\n");
                 s.expect("TOP 2 1"); // sent in the same window
             } else {
                 scriptMessage1(s);
                 s.expect("LIST 2");
                 s.sendLine("+OK 7 10");
             }
             s.expectClose();
         },
         "error: The server's LIST reply does not describe message 2", 1},
        {"endless reply line", Run::Listing,
         [](FakeTcpServer &s) {
             s.send("+OK " + std::string(TagSocket::MaxReplyLine + 10, 'g'));
             s.expectClose();
         },
         "socket: Server reply line is too long", 0},
        {"NUL bytes and bare line feeds", Run::Listing,
         [](FakeTcpServer &s) {
             s.send(std::string("+OK re\0ady\n", 11));
             s.expect("CAPA");
             s.send("-ERR\n");
             s.expect("USER ann");
             s.send("+OK\n");
             s.expect("PASS pw");
             s.send(std::string("+OK\0-ERR\n", 9));
             s.expect("STAT");
             s.send("+OK 0 0\n");
             s.expect("QUIT");
             s.send("+OK\n");
             s.expectClose();
         },
         "none", 0},
        {"bare carriage returns never end a line", Run::Listing,
         [](FakeTcpServer &s) {
             s.send("+OK ready\r");
             s.pause(100);
             s.send("+OK more\r");
             s.expectClose();
         },
         "time-out: Operation timed out", 0},
        {"connection dropped during DELE", Run::Deletion,
         [](FakeTcpServer &s) {
             scriptDeletionUpToDele(s);
             s.close();
         },
         "socket: " + std::string(std::strerror(ECONNRESET))},
        {"connection dropped during QUIT", Run::Deletion,
         [](FakeTcpServer &s) {
             scriptDeletionUpToDele(s);
             s.sendLine("+OK deleted");
             s.expect("QUIT");
             s.close();
         },
         "server: The server closed the connection without answering QUIT."},
        {"QUIT refused", Run::Deletion,
         [](FakeTcpServer &s) {
             scriptDeletionUpToDele(s);
             s.sendLine("+OK deleted");
             s.expect("QUIT");
             s.sendLine("-ERR cannot quit");
             s.expectClose();
         },
         "server: -ERR cannot quit"},
    };
    // Every case one command at a time, and with commands sent in windows.
    for (const bool pipelining : {false, true})
    for (const HostileCase &hostile : cases) {
        SCOPED_TRACE(std::string(hostile.what) + (pipelining ? ", pipelined" : ""));
        capaAfterStat = pipelining ? "+OK\r\nPIPELINING\r\n.\r\n" : "";
        FakeTcpServer server;
        hostile.script(server);
        Client c(server, 1, pipelining);
        if (hostile.maxListed > 0)
            c.pop.MaxListedMessages = hostile.maxListed;
        std::vector<int> deleted;
        c.pop.OnDeleted = [&](QObject *, int n) { deleted.push_back(n); };
        const std::string result = outcome([&] {
            if (hostile.run == Run::Retrieval) {
                c.pop.OnUserMessageSave = [](QObject *, int, const std::string &) {
                    ADD_FAILURE() << "a cut message must not be saved";
                };
                c.pop.OpenMailbox();
                c.pop.Retrieve(0);
                return;
            }
            c.pop.UpdateInfo();
            if (hostile.run == Run::Deletion) {
                c.pop.FlagForDeletion(0);
                c.pop.TransferData();
            }
        });
        EXPECT_EQ(result, hostile.expected);
        if (hostile.listedAfter >= 0) {
            EXPECT_EQ(c.pop.RemoteInfo().Count(), hostile.listedAfter);
        }
        if (hostile.run == Run::Deletion && hostile.expected.rfind("socket", 0) == 0) {
            EXPECT_TRUE(deleted.empty()); // a DELE without its reply is not reported done
        }
        c.pop.Close();
        server.verify();
    }
    capaAfterStat.clear();
}
