// Commands sent in windows to a server that lists PIPELINING, and one at a
// time to any other: the same results either way, the wire shows which way
// was taken, and a refusal, a drop or replies cut at any byte end the run as
// they would without windows.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/pop3_script.h"
#include "net/errors.h"
#include "net/mspop3.h"

#include <algorithm>
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

void scriptListing(FakeTcpServer &server, int count)
{
    for (int n = 1; n <= count; ++n) {
        server.expect("LIST " + std::to_string(n));
        server.sendLine("+OK " + std::to_string(n) + " 100");
        server.expect("TOP " + std::to_string(n) + " 1");
        server.send(topReply(n));
    }
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
        scriptListing(server, 3);
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
            for (int n = 1; n <= 3; ++n) {
                server.expect("LIST " + std::to_string(n));
                server.sendLine("+OK " + std::to_string(n) + (n == 2 ? " 3000000" : " 100"));
                server.expect("TOP " + std::to_string(n) + " 1");
                server.send(n == 2 ? c.top2 : topReply(n));
            }
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
    struct Case {
        const char *what;
        std::function<void(FakeTcpServer &)> afterMessage1; // the server's part after message 1
        bool top2Expected;                                  // else TOP 2 1 is still to be read
        Outcome expected;
    };
    const std::vector<Case> cases = {
        {"TOP 2 refused",
         [](FakeTcpServer &s) {
             s.expect("LIST 2");
             s.sendLine("+OK 2 100");
             s.expect("TOP 2 1");
             s.sendLine("-ERR message 2 is gone");
         },
         true,
         {{"row 0"}, {"message 1"}, "-ERR message 2 is gone"}},
        {"dropped inside a reply line",
         [](FakeTcpServer &s) {
             s.expect("LIST 2");
             s.send("+OK 2 1");
             s.close();
         },
         false,
         {{"row 0"}, {"message 1"}, ""}},
        {"dropped inside a header block",
         [](FakeTcpServer &s) {
             s.expect("LIST 2");
             s.sendLine("+OK 2 100");
             s.expect("TOP 2 1");
             s.send("+OK\r\nSubject: cut");
             s.close();
         },
         true,
         {{"row 0", "error event Connection closed by the server before the data was complete"},
          {"message 1"},
          "Connection closed by the server before the data was complete"}},
    };
    for (const Case &failure : cases) {
        for (const bool pipelined : {false, true}) {
            SCOPED_TRACE(std::string(failure.what) + (pipelined ? ", pipelined" : ""));
            FakeTcpServer server;
            test::scriptPop3Login(server, "+OK 4 400", pipelined ? kPipeliningListed : "");
            scriptListing(server, 1);
            failure.afterMessage1(server);
            if (pipelined) { // the rest of the window was on its way already
                if (!failure.top2Expected)
                    server.expect("TOP 2 1");
                for (const char *command : {"LIST 3", "TOP 3 1", "LIST 4", "TOP 4 1"})
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

TEST(Pop3Pipelining, AWindowOfRepliesArrivingOneByteAtATimeListsAsAWhole)
{
    FakeTcpServer server;
    test::scriptPop3Login(server, "+OK 3 300", kPipeliningListed);
    std::string replies;
    for (int n = 1; n <= 3; ++n) {
        server.expect("LIST " + std::to_string(n));
        server.expect("TOP " + std::to_string(n) + " 1");
        replies += "+OK " + std::to_string(n) + " 100\r\n" + topReply(n);
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
        scriptListing(server, pipelined ? 3 : 1); // the window's replies are all sent
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

TEST(Pop3Pipelining, AWindowNeverHoldsMoreThanItsCommandsUnanswered)
{
    FakeTcpServer server;
    test::scriptPop3Login(server, "+OK 130 13000", kPipeliningListed);
    scriptListing(server, 130);
    server.expect("QUIT");
    server.sendLine("+OK bye");
    server.expectClose();

    Client c(server, true);
    EXPECT_EQ(c.run([&] { c.pop.UpdateInfo(); }).subjects.size(), 130u);
    server.verify();
    EXPECT_EQ(mostUnanswered(server.wire()), pop3::kMaxWindowCommands);
}
