// A deletion that keeps a copy of every message it removes: RETR goes out
// in the windows of the re-read, a message found changed is neither copied
// nor deleted, a large one keeps its header block, and only messages whose
// copies are kept get a DELE.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/pop3_script.h"
#include "net/errors.h"
#include "net/mspop3.h"
#include "net/pop3_message_text.h"

#include <gtest/gtest.h>

using namespace tw;
using tw::test::FakeTcpServer;

namespace {

TEST(Pop3MessageText, ADataBlockGivesTheMessageUnstuffedWithCrLf)
{
    struct Case {
        const char *what;
        std::string block, message;
    };
    const std::vector<Case> cases = {
        {"plain", "Subject: a\r\n\r\nbody\r\n.\r\n", "Subject: a\r\n\r\nbody\r\n"},
        {"stuffed lines", "S: a\r\n\r\n..\r\n...x\r\n.y\r\n.\r\n", "S: a\r\n\r\n.\r\n..x\r\ny\r\n"},
        {"bare LF and CR", "S: a\n\nline\rnext\r\n.\r\n", "S: a\r\n\r\nline\r\nnext\r\n"},
        {"empty message", ".\r\n", ""},
        {"no terminating line", "S: a\r\n\r\nlast", "S: a\r\n\r\nlast\r\n"},
        {"a dot line inside stays a line", "a\r\n..\r\nb\r\n.\r\n", "a\r\n.\r\nb\r\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(messageFromDataBlock(c.block), c.message) << c.what;
}

TEST(Pop3MessageText, TheHeaderBlockEndsWithItsEmptyLineAndLosesTheDotOfABodilessMessage)
{
    EXPECT_EQ(headerBlockFromLines({"Subject: a", " folded", "..From: x"}), "Subject: a\r\n folded\r\n.From: x\r\n\r\n");
    EXPECT_EQ(headerBlockFromLines({"Subject: a", "."}), "Subject: a\r\n\r\n");
    EXPECT_EQ(headerBlockFromLines({"Subject: a", "", "body"}), "Subject: a\r\n\r\n");
}

const std::string kPipeliningListed = "+OK\r\nTOP\r\nUIDL\r\nPIPELINING\r\n.\r\n";

std::string topReply(int n) { return "+OK\r\nSubject: message " + std::to_string(n) + "\r\n\r\nbody\r\n.\r\n"; }

// Records what the client hands over; refuses to keep the copies in Lost.
struct RecordingCopies : TmsDeletionCopies {
    long long maxMessageBytes() const override { return 1000; }
    void keep(int num, const std::string &uid, std::string message, bool headerOnly) override
    {
        events.push_back("copy " + std::to_string(num) + " " + uid + (headerOnly ? " headers: " : " whole: ") + message);
        handed.push_back(num);
    }
    void notSent(int num, const std::string &reply) override
    {
        events.push_back("not sent " + std::to_string(num) + ": " + reply);
    }
    std::vector<int> keptCopies() override
    {
        events.push_back("asked");
        std::vector<int> kept;
        for (int num : handed)
            if (num != lost)
                kept.push_back(num);
        return kept;
    }
    std::vector<std::string> events;
    std::vector<int> handed;
    int lost = -1;
};

} // namespace

TEST(Pop3DeletionCopies, CopiesGoOutWithTheReReadAndOnlyKeptMessagesAreDeleted)
{
    // Five listed messages, all flagged: 1 is copied and deleted; 2 was
    // replaced meanwhile; 3 is larger than the copy limit and keeps its
    // header block; the server refuses to send 4; the copy of 5 is lost.
    for (const bool pipelining : {true, false}) {
        SCOPED_TRACE(pipelining ? "windows" : "one at a time");
        FakeTcpServer server;
        test::scriptPop3Login(server, "+OK 5 6000", pipelining ? kPipeliningListed : "");
        const auto size = [](int n) { return std::string(n == 3 ? "5000" : "100"); };
        test::scriptListing(server, {100, 100, 5000, 100, 100},
                            {topReply(1), topReply(2), topReply(3), topReply(4), topReply(5)}, pipelining);
        for (int n = 1; n <= 5; ++n) {
            const std::string number = std::to_string(n);
            server.expect("UIDL " + number);
            server.sendLine("+OK " + number + " uid" + number);
            server.expect("LIST " + number);
            server.sendLine("+OK " + number + " " + size(n));
            server.expect("TOP " + number + " 1");
            server.send(topReply(n == 2 ? 9 : n));
            if (n == 3 || (n == 2 && !pipelining))
                continue; // no RETR for a large message; none after a change is seen, one at a time
            server.expect("RETR " + number);
            if (n == 4)
                server.sendLine("-ERR message 4 is locked");
            else
                server.send("+OK\r\nSubject: message " + number + "\r\n\r\nbody\r\n..dot\r\n.\r\n");
        }
        server.expect("DELE 1");
        server.sendLine("+OK");
        server.expect("DELE 3");
        server.sendLine("+OK");
        server.expect("QUIT");
        server.sendLine("+OK bye");
        server.expectClose();

        TmsRemotePOP pop;
        pop.Server = server.hostAndPort();
        pop.UserName = "ann";
        pop.Password = "pw";
        pop.SetTimeOut(3);
        pop.Pipelining = pipelining;
        pop.StayConnected = true;
        RecordingCopies copies;
        copies.lost = 4;
        pop.DeletionCopies = &copies;
        std::vector<std::string> &events = copies.events;
        pop.OnMessageSkipped = [&](QObject *, int n) { events.push_back("skipped " + std::to_string(n)); };
        pop.OnDeleted = [&](QObject *, int n) { events.push_back("deleted " + std::to_string(n)); };
        pop.UpdateInfo();
        for (int i = 0; i < 5; ++i)
            pop.FlagForDeletion(i);
        pop.TransferData();
        server.verify();
        EXPECT_EQ(events, (std::vector<std::string>{
                              "copy 0 uid1 whole: Subject: message 1\r\n\r\nbody\r\n.dot\r\n",
                              "skipped 1",
                              "copy 2 uid3 headers: Subject: message 3\r\n\r\n",
                              "not sent 3: -ERR message 4 is locked",
                              "copy 4 uid5 whole: Subject: message 5\r\n\r\nbody\r\n.dot\r\n",
                              "asked",
                              "deleted 0",
                              "deleted 2",
                          }));
    }
}

TEST(Pop3DeletionCopies, WithoutCopiesTheDeletionSendsNoRetr)
{
    FakeTcpServer server;
    test::scriptPop3Login(server, "+OK 1 100", kPipeliningListed);
    test::scriptListing(server, {100}, {topReply(1)}, true);
    server.expect("UIDL 1");
    server.sendLine("+OK 1 uid1");
    server.expect("LIST 1");
    server.sendLine("+OK 1 100");
    server.expect("TOP 1 1");
    server.send(topReply(1));
    server.expect("DELE 1");
    server.sendLine("+OK");
    server.expect("QUIT");
    server.sendLine("+OK bye");
    server.expectClose();

    TmsRemotePOP pop;
    pop.Server = server.hostAndPort();
    pop.UserName = "ann";
    pop.Password = "pw";
    pop.SetTimeOut(3);
    pop.StayConnected = true;
    pop.UpdateInfo();
    pop.FlagForDeletion(0);
    pop.TransferData();
    server.verify();
}
