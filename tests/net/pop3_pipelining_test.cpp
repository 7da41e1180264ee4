// Commands sent in windows to a server that lists PIPELINING, and one at a
// time to any other: the same results either way, the wire shows which way
// was taken, and a refusal, a drop or replies cut at any byte end the run as
// they would without windows.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/pop3_script.h"
#include "net/errors.h"
#include "net/mspop3.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

using namespace tw;
using tw::test::FakeTcpServer;

namespace {

const std::string kPipeliningListed = "+OK\r\nTOP\r\nUIDL\r\nPIPELINING\r\n.\r\n";

// What a run shows its caller: the events (the rows, the deletions) and how
// it ended.
struct Outcome {
    std::vector<std::string> events;
    std::vector<std::string> subjects;
    std::string error = "none";
    bool operator==(const Outcome &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Outcome &outcome)
{
    out << "error: " << outcome.error << "; events:";
    for (const std::string &event : outcome.events)
        out << " [" << event << "]";
    out << "; subjects:";
    for (const std::string &subject : outcome.subjects)
        out << " [" << subject << "]";
    return out;
}

struct Client {
    Client(FakeTcpServer &server, bool pipelining)
    {
        pop.Server = server.hostAndPort();
        pop.UserName = "ann";
        pop.Password = "pw";
        pop.SetTimeOut(3);
        pop.Pipelining = pipelining;
        pop.OnNextInfoUpdated = [this](QObject *, int n) { outcome.events.push_back("row " + std::to_string(n)); };
        pop.OnDeleted = [this](QObject *, int n) { outcome.events.push_back("deleted " + std::to_string(n)); };
        pop.OnMessageSkipped = [this](QObject *, int n) { outcome.events.push_back("skipped " + std::to_string(n)); };
        pop.OnError = [this](QObject *, std::string &text) { outcome.events.push_back("error event " + text); };
    }
    // Runs Action and records how it ended and what was listed.
    template <class Action> Outcome run(Action &&action)
    {
        try {
            action();
        } catch (const ETidewellError &error) {
            outcome.error = error.what();
        }
        for (int i = 0; i < pop.RemoteInfo().Count(); ++i)
            outcome.subjects.push_back(pop.RemoteInfo().Items(i).Headers.GetFieldBody("Subject"));
        return outcome;
    }
    TmsRemotePOP pop;
    Outcome outcome;
};

// The most commands the client had sent at any moment without their
// replies, read from the wire (each scripted send is one reply; the first
// is the greeting).
int mostUnanswered(const std::vector<std::string> &wire)
{
    int commands = 0, replies = -1, most = 0;
    for (const std::string &entry : wire) {
        (entry.rfind("C: ", 0) == 0 ? commands : replies) += 1;
        most = std::max(most, commands - replies);
    }
    return most;
}

std::string topReply(int n) { return "+OK\r\nSubject: message " + std::to_string(n) + "\r\n\r\nbody\r\n.\r\n"; }

// The listing of Count messages of 100 bytes, the first Replied of them
// answered (all when negative), as a client in windows or one at a time asks it.
void scriptListing(FakeTcpServer &server, int count, bool windows, int replied = -1)
{
    std::vector<std::string> tops;
    for (int n = 1; n <= (replied < 0 ? count : replied); ++n)
        tops.push_back(topReply(n));
    test::scriptListing(server, std::vector<int>(size_t(count), 100), tops, windows);
}

struct Mode {
    const char *name;
    bool pipelining;       // the client's switch
    std::string capaReply; // "" when the client sends no CAPA
    bool windows;          // whether commands must go out ahead of replies
};

const std::vector<Mode> kModes = {
    {"PIPELINING listed", true, kPipeliningListed, true},
    {"PIPELINING listed, switch off", false, "", false},
    {"PIPELINING not listed", true, "+OK\r\nTOP\r\nUIDL\r\n.\r\n", false},
    {"CAPA refused", true, "-ERR unknown command\r\n", false},
};

} // namespace

TEST(Pop3Pipelining, ListingAndDeletionGiveTheSameResultsInEveryModeAndWindowsOnlyWherePipeliningIsListed)
{
    // Three messages listed; all three flagged. Message 2 was replaced
    // meanwhile (another header block), the server refuses DELE 3: only
    // message 1 goes.
    const Outcome expected{{"row 0", "row 1", "row 2", "skipped 1", "deleted 0"},
                           {"message 1", "message 2", "message 3"}};
    for (const Mode &mode : kModes) {
        SCOPED_TRACE(mode.name);
        FakeTcpServer server;
        test::scriptPop3Login(server, "+OK 3 300", mode.capaReply);
        scriptListing(server, 3, mode.windows);
        for (int n = 1; n <= 3; ++n) {
            server.expect("UIDL " + std::to_string(n));
            server.sendLine("+OK " + std::to_string(n) + " uid" + std::to_string(n));
            server.expect("LIST " + std::to_string(n));
            server.sendLine("+OK " + std::to_string(n) + " 100");
            server.expect("TOP " + std::to_string(n) + " 1");
            server.send(topReply(n == 2 ? 9 : n));
        }
        server.expect("DELE 1");
        server.sendLine("+OK message 1 deleted");
        server.expect("DELE 3");
        server.sendLine("-ERR message 3 is locked");
        server.expect("QUIT");
        server.sendLine("+OK bye");
        server.expectClose();

        Client c(server, mode.pipelining);
        c.pop.StayConnected = true;
        const Outcome outcome = c.run([&] {
            c.pop.UpdateInfo();
            for (int i = 0; i < 3; ++i)
                c.pop.FlagForDeletion(i);
            c.pop.TransferData();
        });
        EXPECT_EQ(outcome, expected);
        server.verify();
        const int ahead = mostUnanswered(server.wire());
        if (mode.windows) {
            EXPECT_GE(ahead, 9) << "the deletion's re-read of three messages goes out in one window";
        } else {
            EXPECT_EQ(ahead, 1) << "one command at a time";
        }
    }
}

TEST(Pop3Pipelining, AReplyToTopBeyondOneMegabyteIsReadToItsEndAndTheListingGoesOn)
{
    const std::string huge(2 << 20, 'a'); // two megabytes on one line, as a one-line HTML message has
    const struct {
        const char *what;
        std::string top2;
        size_t headerLines; // the complete header lines kept of message 2
    } cases[] = {
        {"a header block beyond 1 MB", "+OK\r\nSubject: message 2\r\nX-Filler: " + huge + "\r\n\r\nbody\r\n.\r\n", 1},
        {"a first body line beyond 1 MB", "+OK\r\nSubject: message 2\r\nFrom: a@b.example\r\n\r\n" + huge + "\r\n.\r\n", 2},
    };
    for (const auto &c : cases) {
        for (const Mode &mode : kModes) {
            SCOPED_TRACE(std::string(c.what) + ", " + mode.name);
            FakeTcpServer server;
            test::scriptPop3Login(server, "+OK 3 3000200", mode.capaReply);
            test::scriptListing(server, {100, 3000000, 100}, {topReply(1), c.top2, topReply(3)}, mode.windows);
            // The deletion of message 2 re-reads it the same way and finds it unchanged.
            server.expect("UIDL 2");
            server.sendLine("+OK 2 uid2");
            server.expect("LIST 2");
            server.sendLine("+OK 2 3000000");
            server.expect("TOP 2 1");
            server.send(c.top2);
            server.expect("DELE 2");
            server.sendLine("+OK message 2 deleted");
            server.expect("QUIT");
            server.sendLine("+OK bye");
            server.expectClose();

            Client client(server, mode.pipelining);
            client.pop.StayConnected = true;
            const Outcome outcome = client.run([&] {
                client.pop.UpdateInfo();
                ASSERT_EQ(client.pop.RemoteInfo().Count(), 3);
                const TmsRemoteInfoItem &cut = client.pop.RemoteInfo().Items(1);
                // Without "+OK" and its line end, and without the dot line.
                EXPECT_EQ(cut.CutReplyBytes, (long long)c.top2.size() - 5 - 3);
                EXPECT_EQ(cut.Size, 3000000);
                EXPECT_EQ(cut.Headers.Count(), (int)c.headerLines);
                EXPECT_EQ(client.pop.RemoteInfo().Items(2).CutReplyBytes, 0);
                client.pop.FlagForDeletion(1);
                client.pop.TransferData();
            });
            EXPECT_EQ(outcome, (Outcome{{"row 0", "row 1", "row 2", "deleted 1"}, {"message 1", "message 2", "message 3"}}));
        }
    }
}

TEST(Pop3Pipelining, ARefusalOrADropInTheMiddleOfAWindowEndsTheListingAsWithoutWindows)
{
    // Message 2's size (one at a time its LIST 2 is answered first).
    const auto sizeOf2 = [](FakeTcpServer &s, bool windows) {
        if (!windows) {
            s.expect("LIST 2");
            s.sendLine("+OK 2 100");
        }
    };
    struct Case {
        const char *what;
        std::function<void(FakeTcpServer &, bool windows)> afterMessage1; // the server's part after message 1
        Outcome expected;
    };
    const std::vector<Case> cases = {
        {"TOP 2 refused",
         [&](FakeTcpServer &s, bool windows) {
             sizeOf2(s, windows);
             s.expect("TOP 2 1");
             s.sendLine("-ERR message 2 is gone");
         },
         {{"row 0"}, {"message 1"}, "-ERR message 2 is gone"}},
        {"dropped inside a reply line",
         [](FakeTcpServer &s, bool windows) {
             s.expect(windows ? "TOP 2 1" : "LIST 2");
             s.send("+OK 2 1");
             s.close();
         },
         {{"row 0"}, {"message 1"}, ""}},
        {"dropped inside a header block",
         [&](FakeTcpServer &s, bool windows) {
             sizeOf2(s, windows);
             s.expect("TOP 2 1");
             s.send("+OK\r\nSubject: cut");
             s.close();
         },
         {{"row 0", "error event Connection closed by the server before the data was complete"},
          {"message 1"},
          "Connection closed by the server before the data was complete"}},
    };
    for (const Case &failure : cases) {
        for (const bool pipelined : {false, true}) {
            SCOPED_TRACE(std::string(failure.what) + (pipelined ? ", pipelined" : ""));
            FakeTcpServer server;
            test::scriptPop3Login(server, "+OK 4 400", pipelined ? kPipeliningListed : "");
            scriptListing(server, 4, pipelined, 1);
            failure.afterMessage1(server, pipelined);
            if (pipelined) { // the rest of the window was on its way already
                for (const char *command : {"TOP 3 1", "TOP 4 1"})
                    server.expect(command);
            }
            server.expectClose();

            Client c(server, pipelined);
            EXPECT_EQ(c.run([&] { c.pop.UpdateInfo(); }), failure.expected);
            c.pop.Close();
            server.verify();
        }
    }
}

TEST(Pop3Pipelining, TheOneListOfEverySizeIsReadWithinItsLimits)
{
    // A window asks for every size with one LIST: its refusal, a reply
    // without end and one that stops describing messages end the listing
    // as the same faults of LIST n would.
    struct Case {
        const char *what;
        std::string listReply;
        int topsAnswered;
        Outcome expected;
    };
    std::string endless = "+OK\r\n";
    for (int n = 1; endless.size() < (3u << 20); ++n)
        endless += "1 " + std::to_string(n) + "\r\n";
    const std::vector<Case> cases = {
        {"refused", "-ERR no listing today\r\n", 0, {{}, {}, "-ERR no listing today"}},
        {"without end",
         endless,
         0,
         {{"error event Server reply is larger than allowed"}, {}, "Server reply is larger than allowed"}},
        {"describing two of three messages",
         "+OK\r\n1 100\r\n2 100\r\n.\r\n",
         2,
         {{"row 0", "row 1"}, {"message 1", "message 2"}, "The server's LIST reply does not describe message 3"}},
    };
    for (const Case &fault : cases) {
        SCOPED_TRACE(fault.what);
        FakeTcpServer server;
        test::scriptPop3Login(server, "+OK 3 300", kPipeliningListed);
        server.expect("LIST");
        server.send(fault.listReply);
        for (int n = 1; n <= 3; ++n) {
            server.expect("TOP " + std::to_string(n) + " 1");
            if (n <= fault.topsAnswered)
                server.send(topReply(n));
        }
        server.expectClose(); // with replies still owed, no QUIT

        Client c(server, true);
        EXPECT_EQ(c.run([&] { c.pop.UpdateInfo(); }), fault.expected);
        EXPECT_FALSE(c.pop.IsConnected());
        server.verify();
    }
}

TEST(Pop3Pipelining, AWindowOfRepliesArrivingOneByteAtATimeListsAsAWhole)
{
    FakeTcpServer server;
    test::scriptPop3Login(server, "+OK 3 300", kPipeliningListed);
    server.expect("LIST");
    std::string replies = test::scanListingReply({100, 100, 100});
    for (int n = 1; n <= 3; ++n) {
        server.expect("TOP " + std::to_string(n) + " 1");
        replies += topReply(n);
    }
    // Every reply split at every byte, and no byte held back for a reply
    // that has not been asked for yet.
    server.drip(replies, 1);
    server.expect("QUIT");
    server.sendLine("+OK bye");
    server.expectClose();

    Client c(server, true);
    const Outcome outcome = c.run([&] { c.pop.UpdateInfo(); });
    EXPECT_EQ(outcome, (Outcome{{"row 0", "row 1", "row 2"}, {"message 1", "message 2", "message 3"}}));
    EXPECT_EQ(c.pop.RemoteInfo().Items(2).Size, 100);
}

TEST(Pop3Pipelining, ACancelStopsAtOnceAlthoughTheRestOfTheWindowHasArrived)
{
    for (const bool pipelined : {false, true}) {
        SCOPED_TRACE(pipelined ? "pipelined" : "one command at a time");
        FakeTcpServer server;
        test::scriptPop3Login(server, "+OK 3 300", pipelined ? kPipeliningListed : "");
        scriptListing(server, 3, pipelined, pipelined ? 3 : 1); // the window's replies are all sent
        server.expectClose();                     // no QUIT

        Client c(server, pipelined);
        c.pop.OnNextInfoUpdated = [&](QObject *, int n) {
            c.outcome.events.push_back("row " + std::to_string(n));
            c.pop.Cancel(); // the user's cancel, handled while the first row is shown
        };
        EXPECT_EQ(c.run([&] { c.pop.UpdateInfo(); }),
                  (Outcome{{"row 0", "error event Operation has been canceled"}, {"message 1"}, "Operation has been canceled"}));
        server.verify();
    }
}

namespace {

// The most command text (line ends included) the client had sent at any
// moment without its reply, read from the wire as mostUnanswered reads it.
size_t mostUnansweredBytes(const std::vector<std::string> &wire)
{
    std::deque<size_t> unanswered;
    size_t bytes = 0, most = 0;
    bool greeting = true;
    for (const std::string &entry : wire) {
        if (entry.rfind("C: ", 0) == 0) {
            unanswered.push_back(entry.size() - 3 + 2);
            bytes += unanswered.back();
            most = std::max(most, bytes);
        } else if (greeting) {
            greeting = false;
        } else if (!unanswered.empty()) {
            bytes -= unanswered.front();
            unanswered.pop_front();
        }
    }
    return most;
}

// A reply to TOP n 1 of the size real mail has: some two kilobytes of
// header lines, the empty line and a body line.
std::string realisticTopReply(int n)
{
    std::string reply = "+OK\r\n";
    for (int hop = 0; hop < 8; ++hop)
        reply += "Received: from relay" + std::to_string(hop) + ".example.net (relay" + std::to_string(hop) +
                 ".example.net [192.0.2." + std::to_string(hop) + "])\r\n\tby mx.example.org (Postfix) with ESMTP id " +
                 std::to_string(100000 + n) + "\r\n\tfor <ann@example.org>; Tue, 5 Dec 2000 14:03:22 +0000\r\n";
    reply += "Subject: message " + std::to_string(n) + "\r\nFrom: Sender <sender@example.net>\r\n\r\nbody\r\n.\r\n";
    return reply;
}

} // namespace

TEST(Pop3Pipelining, AListingKeepsTheCommandsOfAtMostAThousandMessagesUnansweredAndTheWindowDeep)
{
    constexpr int kCount = 1500;
    FakeTcpServer server;
    test::scriptPop3Login(server, "+OK 1500 3000000", kPipeliningListed);
    std::vector<std::string> tops;
    for (int n = 1; n <= kCount; ++n)
        tops.push_back(realisticTopReply(n));
    test::scriptListing(server, std::vector<int>(kCount, 2000), tops, true);
    server.expect("QUIT");
    server.sendLine("+OK bye");
    server.expectClose();

    Client c(server, true);
    EXPECT_EQ(c.run([&] { c.pop.UpdateInfo(); }).subjects.size(), size_t(kCount));
    server.verify();
    const int most = mostUnanswered(server.wire());
    EXPECT_LE(most, pop3::kMaxWindowMessages + 1); // LIST counts as one more
    EXPECT_GE(most, pop3::kMaxWindowMessages * 3 / 4) << "the window is topped up as replies arrive";
    EXPECT_LE(mostUnansweredBytes(server.wire()), size_t(pop3::kMaxWindowBytes));
}

TEST(Pop3Pipelining, LongCommandsKeepAtMostTheWindowsBytesUnanswered)
{
    // Commands far longer than a listing's, as a deletion of many messages
    // with long numbers sends them: the bytes, not the messages, bound the window.
    constexpr int kCommands = 1000;
    const std::string padding(250, 'x');
    FakeTcpServer server;
    test::scriptPop3Login(server, "+OK 0 0", kPipeliningListed);
    for (int n = 1; n <= kCommands; ++n) {
        server.expect("NOOP " + std::to_string(n) + " " + padding);
        server.sendLine("+OK");
    }
    server.expectClose();

    Client c(server, true);
    c.pop.OpenMailbox();
    TPop3CommandWindow window(c.pop, c.pop.PipeliningInSession());
    int queued = 0;
    window.QueueMore = [&] {
        if (queued == kCommands)
            return false;
        ++queued;
        window.queue(queued, "NOOP " + std::to_string(queued) + " " + padding);
        return true;
    };
    size_t mostSeen = 0;
    for (int n = 1; n <= kCommands; ++n) {
        EXPECT_EQ(window.readReply(), 1);
        mostSeen = std::max(mostSeen, window.unansweredBytes());
    }
    c.pop.Close();
    server.verify();
    const size_t most = mostUnansweredBytes(server.wire());
    EXPECT_LE(most, size_t(pop3::kMaxWindowBytes));
    EXPECT_GE(most, size_t(pop3::kMaxWindowBytes) * 3 / 4);
    EXPECT_LE(mostSeen, size_t(pop3::kMaxWindowBytes));
}
