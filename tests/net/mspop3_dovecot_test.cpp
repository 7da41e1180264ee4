// The POP3 client against a real server: Dovecot on a loopback port with a
// Maildir in a temporary folder.
#include "fixtures/dovecot_server.h"
#include "fixtures/temp_home.h"
#include "net/errors.h"
#include "net/mspop3.h"
#include "platform/paths.h"

#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using tw::test::DovecotServer;

namespace {

std::string message(int n)
{
    const std::string number = std::to_string(n);
    return "From: Sender " + number + " <s" + number + "@example.org>\r\n"
           "Subject: Message " + number + "\r\n"
           "Date: Tue, 5 Dec 2000 14:03:22 +0000\r\n"
           "\r\n"
           "Body of message " + number + "\r\n"
           ".a line that the server has to dot-stuff\r\n";
}

std::vector<std::string> messages(int count)
{
    std::vector<std::string> texts;
    for (int n = 1; n <= count; ++n)
        texts.push_back(message(n));
    return texts;
}

class Pop3Dovecot : public ::testing::Test {
protected:
    void startServer(int count)
    {
        server = std::make_unique<DovecotServer>(messages(count));
        ASSERT_TRUE(server->started()) << server->failure();
        pop.Server = server->hostAndPort();
        pop.UserName = DovecotServer::UserName;
        pop.Password = DovecotServer::Password;
        pop.SetTimeOut(10);
        pop.OnMessageSkipped = [this](QObject *, int n) { skipped.push_back(n); };
        pop.OnDeleting = [this](QObject *, int n) { deleting.push_back(n); };
    }
    std::vector<std::string> subjects() const
    {
        std::vector<std::string> result;
        for (int i = 0; i < pop.RemoteInfo().Count(); ++i)
            result.push_back(pop.RemoteInfo().Items(i).Headers.GetFieldBody("Subject"));
        return result;
    }

    std::unique_ptr<DovecotServer> server;
    TmsRemotePOP pop;
    std::vector<int> skipped, deleting;
};

} // namespace

TEST_F(Pop3Dovecot, ListsAnEmptyMailbox)
{
    startServer(0);
    int events = 0;
    pop.OnUpdatingInfo = pop.OnInfoUpdated = [&](QObject *) { ++events; };
    pop.UpdateInfo();
    EXPECT_EQ(pop.MessageCount(), 0);
    EXPECT_EQ(pop.MailboxSize(), 0);
    EXPECT_EQ(pop.RemoteInfo().Count(), 0);
    EXPECT_EQ(events, 2);
    EXPECT_FALSE(pop.IsConnected());
}

TEST_F(Pop3Dovecot, ListsSizesAndHeaderBlocksOfAFullMailbox)
{
    startServer(3);
    std::vector<int> next;
    pop.OnNextInfoUpdated = [&](QObject *, int n) { next.push_back(n); };
    pop.UpdateInfo();
    EXPECT_EQ(pop.MessageCount(), 3);
    EXPECT_EQ(subjects(), (std::vector<std::string>{"Message 1", "Message 2", "Message 3"}));
    EXPECT_EQ(next, (std::vector<int>{0, 1, 2}));
    const TmsRemoteInfoItem &first = pop.RemoteInfo().Items(0);
    EXPECT_EQ(first.Size, int(message(1).size()));
    EXPECT_EQ(first.Headers.Count(), 3); // the body line of TOP n 1 is cut away
    EXPECT_EQ(first.Headers.GetFieldBody("From"), "Sender 1 <s1@example.org>");
    EXPECT_EQ(pop.MailboxSize(), int(3 * message(1).size()));
}

TEST_F(Pop3Dovecot, AWrongPasswordIsTheServersRefusal)
{
    startServer(1);
    pop.Password = "wrong";
    try {
        pop.UpdateInfo();
        FAIL() << "logged in with a wrong password";
    } catch (const EServerError &e) {
        EXPECT_EQ(std::string(e.what()).substr(0, 4), "-ERR");
    }
    pop.CloseMailbox();
    EXPECT_FALSE(pop.IsConnected());
    EXPECT_EQ(server->messagesLeft().size(), 1u);
}

TEST_F(Pop3Dovecot, DeletesExactlyTheChosenMessages)
{
    startServer(4);
    pop.UpdateInfo();
    pop.FlagForDeletion(1);
    pop.FlagForDeletion(3);
    pop.TransferData();
    EXPECT_EQ(deleting, (std::vector<int>{1, 3}));
    EXPECT_TRUE(skipped.empty());
    EXPECT_EQ(server->messagesLeft(), (std::vector<std::string>{message(1), message(3)}));
    pop.UpdateInfo();
    EXPECT_EQ(subjects(), (std::vector<std::string>{"Message 1", "Message 3"}));
}

TEST_F(Pop3Dovecot, RetrievesAMessageToItsFileInTheProgramFolder)
{
    tw::test::TempHome home;
    startServer(3);
    pop.UpdateInfo();
    pop.SetMessageDirectory(programFolder());
    pop.FlagForRetrieval(1);
    pop.TransferData();
    pop.ClearFlags(1);
    // The data block as received: dot-stuffed line doubled, dot line at the end.
    const std::string expected = "From: Sender 2 <s2@example.org>\r\nSubject: Message 2\r\n"
                                 "Date: Tue, 5 Dec 2000 14:03:22 +0000\r\n\r\nBody of message 2\r\n"
                                 "..a line that the server has to dot-stuff\r\n.\r\n";
    EXPECT_EQ(home.read("msg_1.eml"), expected);
    EXPECT_EQ(server->messagesLeft().size(), 3u); // retrieval deletes nothing
    EXPECT_FALSE(pop.RemoteInfo().Items(1).RetrieveFlag());
}

TEST_F(Pop3Dovecot, StayConnectedReusesTheSessionForTheDeletion)
{
    startServer(2);
    int opens = 0;
    pop.OnOpen = [&](QObject *) { ++opens; };
    pop.StayConnected = true;
    pop.UpdateInfo();
    EXPECT_TRUE(pop.IsConnected());
    pop.FlagForDeletion(0);
    pop.TransferData();
    EXPECT_EQ(opens, 1); // no second login
    EXPECT_FALSE(pop.IsConnected());
    EXPECT_EQ(server->messagesLeft(), (std::vector<std::string>{message(2)}));
}

TEST_F(Pop3Dovecot, AMessageRemovedBehindTheClientsBackNeverCostsAnotherMessage)
{
    startServer(3);
    pop.UpdateInfo();
    ASSERT_TRUE(server->removeMessage(2)); // another mail program takes message 2
    pop.FlagForDeletion(0);
    pop.FlagForDeletion(1); // now the server's number 2 is message 3
    pop.FlagForDeletion(2); // the server has no number 3 any more
    pop.TransferData();
    EXPECT_EQ(deleting, (std::vector<int>{0}));
    EXPECT_EQ(skipped, (std::vector<int>{1, 2}));
    EXPECT_EQ(server->messagesLeft(), (std::vector<std::string>{message(3)}));
}

TEST_F(Pop3Dovecot, ACancelDuringTheDeletionRunRemovesNothing)
{
    startServer(3);
    pop.UpdateInfo();
    for (int i = 0; i < 3; ++i)
        pop.FlagForDeletion(i);
    pop.OnDeleting = [this](QObject *, int n) {
        if (n == 1) // the user cancels while the second deletion is under way
            QTimer::singleShot(0, [this] { pop.Cancel(); });
    };
    EXPECT_THROW(pop.TransferData(), ECanceledError);
    EXPECT_FALSE(pop.IsConnected());
    EXPECT_EQ(server->messagesLeft().size(), 3u); // no QUIT: the server keeps them all
}

TEST(Pop3DovecotWindows, WindowsAndOneCommandAtATimeListAndDeleteAlike)
{
    // More messages than one window holds, and a deletion run after another
    // program took message 50: every flagged message from there on is found
    // changed (the last one gone), the ones before are deleted.
    std::vector<std::vector<std::string>> outcomes;
    for (const bool pipelining : {true, false}) {
        SCOPED_TRACE(pipelining ? "pipelining" : "one command at a time");
        DovecotServer server(messages(120));
        ASSERT_TRUE(server.started()) << server.failure();
        TmsRemotePOP pop;
        pop.Server = server.hostAndPort();
        pop.UserName = DovecotServer::UserName;
        pop.Password = DovecotServer::Password;
        pop.SetTimeOut(10);
        pop.Pipelining = pipelining;
        std::vector<std::string> outcome;
        pop.OnNextInfoUpdated = [&](QObject *, int n) {
            const TmsRemoteInfoItem &item = pop.RemoteInfo().Items(n);
            outcome.push_back("row " + std::to_string(n) + " " + item.Headers.GetFieldBody("Subject") + " " +
                              std::to_string(item.Size));
        };
        pop.OnMessageSkipped = [&](QObject *, int n) { outcome.push_back("skipped " + std::to_string(n)); };
        pop.OnDeleting = [&](QObject *, int n) { outcome.push_back("deleting " + std::to_string(n)); };
        pop.OnDeleted = [&](QObject *, int n) { outcome.push_back("deleted " + std::to_string(n)); };

        pop.UpdateInfo();
        EXPECT_TRUE(pop.Capabilities().has("PIPELINING")); // asked before the sign-in either way
        ASSERT_TRUE(server.removeMessage(50));
        for (int i = 0; i < pop.RemoteInfo().Count(); i += 3)
            pop.FlagForDeletion(i);
        pop.FlagForDeletion(119); // the server has no number 120 any more
        pop.TransferData();
        for (const std::string &left : server.messagesLeft())
            outcome.push_back("left " + left.substr(0, left.find("\r\n")));
        outcomes.push_back(outcome);
    }
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0], outcomes[1]);
    EXPECT_EQ(std::count(outcomes[0].begin(), outcomes[0].end(), "deleted 48"), 1);
    EXPECT_EQ(std::count(outcomes[0].begin(), outcomes[0].end(), "skipped 51"), 1);
    EXPECT_EQ(std::count(outcomes[0].begin(), outcomes[0].end(), "skipped 119"), 1);
}
