// The IMAP client against a real server: Dovecot on a loopback port, with a
// Maildir in a temporary folder and a "Junk" folder of the \Junk special use.
#include "fixtures/dovecot_server.h"
#include "fixtures/imap_script.h"
#include "fixtures/raised.h"
#include "net/errors.h"
#include "net/imap_client.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using tw::test::DovecotServer;
using tw::test::ImapEvents;
using tw::test::raisedText;

namespace {

std::string message(int n) { return tw::test::numberedTestMessage(n); }

class ImapDovecot : public ::testing::Test {
protected:
    // Message n (1-based) gets flags[n-1] (Maildir letters).
    void startServer(const std::vector<std::string> &flags)
    {
        server = std::make_unique<DovecotServer>();
        for (size_t n = 1; n <= flags.size(); ++n)
            server->addMessage(message(int(n)), flags[n - 1]);
        ASSERT_TRUE(server->started()) << server->failure();
        imap.Server = server->imapHostAndPort();
        imap.UserName = DovecotServer::UserName;
        imap.Password = DovecotServer::Password;
        imap.SetTimeOut(10);
    }
    std::vector<std::string> subjects() const
    {
        std::vector<std::string> result;
        for (int i = 0; i < imap.RemoteInfo().Count(); ++i)
            result.push_back(imap.RemoteInfo().Items(i).Headers.GetFieldBody("Subject"));
        return result;
    }
    std::vector<std::string> flags(int count) const
    {
        std::vector<std::string> result;
        for (int n = 1; n <= count; ++n)
            result.push_back(server->flagsOf(n));
        return result;
    }

    std::unique_ptr<DovecotServer> server;
    TmsImapClient imap;
    ImapEvents events{imap};
};

TEST_F(ImapDovecot, ListingLeavesEveryFlagUnchanged)
{
    const std::vector<std::string> before = {"", "S", "F", "RS"};
    startServer(before);

    imap.UpdateInfo();

    EXPECT_FALSE(imap.IsConnected());
    EXPECT_EQ(subjects(), (std::vector<std::string>{"Message 1", "Message 2", "Message 3", "Message 4"}));
    EXPECT_EQ(events.listed, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(imap.RemoteInfo().Items(0).Size, int(message(1).size()));
    EXPECT_EQ(imap.RemoteInfo().Items(0).Headers.Lines().copy(),
              (std::vector<std::string>{"From: Sender 1 <s1@example.org>", "Subject: Message 1"}));
    EXPECT_NE(imap.ListedUidValidity(), 0u);
    EXPECT_EQ(flags(4), before);
    EXPECT_EQ(imap.SignInMechanism(), "PLAIN");
}

TEST_F(ImapDovecot, MarkedMessagesEndUpInJunkAndTheOthersStayUnread)
{
    startServer({"", "", "", ""});
    imap.UpdateInfo();
    imap.FlagForDeletion(0);
    imap.FlagForDeletion(2);

    imap.TransferData();

    EXPECT_EQ(server->messagesIn("Junk"), (std::vector<std::string>{message(1), message(3)}));
    EXPECT_EQ(flags(4), (std::vector<std::string>{"gone", "", "gone", ""}));
    EXPECT_EQ(events.deleted, (std::vector<int>{0, 2}));
    EXPECT_TRUE(events.skipped.empty());
    EXPECT_EQ(imap.LastMove().Destination, "Junk");
    EXPECT_EQ(imap.LastMove().Messages.size(), 2u);
    EXPECT_TRUE(imap.LastMove().undoable());
    EXPECT_EQ(imap.Notice(), "");
    EXPECT_FALSE(imap.IsConnected());
}

TEST_F(ImapDovecot, AMessageExpungedByAnotherClientAfterTheListingIsSkipped)
{
    startServer({"", "", ""});
    imap.UpdateInfo();
    imap.FlagForDeletion(0);
    imap.FlagForDeletion(1);
    ASSERT_TRUE(server->removeMessage(2));

    imap.TransferData();

    EXPECT_EQ(events.skipped, std::vector<int>{1});
    EXPECT_EQ(events.deleted, std::vector<int>{0});
    EXPECT_EQ(server->messagesIn("Junk"), std::vector<std::string>{message(1)});
    EXPECT_EQ(flags(3), (std::vector<std::string>{"gone", "gone", ""}));
}

TEST_F(ImapDovecot, TheUndoMovesAMessageBackToTheInbox)
{
    startServer({"", ""});
    imap.UpdateInfo();
    imap.FlagForDeletion(1);
    imap.TransferData();
    ASSERT_EQ(server->messagesIn("Junk"), std::vector<std::string>{message(2)});
    const TImapMoveRecord moved = imap.LastMove();

    imap.MoveBack(moved);

    EXPECT_TRUE(server->messagesIn("Junk").empty());
    std::vector<std::string> inbox = server->messagesIn("INBOX");
    std::sort(inbox.begin(), inbox.end());
    EXPECT_EQ(inbox, (std::vector<std::string>{message(1), message(2)}));
    EXPECT_EQ(imap.LastMove().Destination, "INBOX");
    EXPECT_EQ(imap.LastMove().Messages.size(), 1u);
    // The junk folder's UIDs are not the listed messages' (its UID 1 is not
    // the listed message 1).
    EXPECT_EQ(events.deleted, std::vector<int>{1});
    // Moved back once, it is no longer in the junk folder to be moved again.
    imap.MoveBack(moved);
    EXPECT_TRUE(imap.LastMove().Messages.empty());
    EXPECT_EQ(server->messagesIn("INBOX").size(), 2u);
}

TEST_F(ImapDovecot, DeletingForGoodRemovesOnlyTheMarkedMessages)
{
    startServer({"", "S", ""});
    imap.DeleteForGood = true;
    imap.UpdateInfo();
    imap.FlagForDeletion(1);

    imap.TransferData();

    EXPECT_EQ(flags(3), (std::vector<std::string>{"", "gone", ""}));
    EXPECT_TRUE(server->messagesIn("Junk").empty());
    EXPECT_TRUE(imap.LastMove().Messages.empty());
    EXPECT_EQ(events.deleted, std::vector<int>{1});
}

// Keeps copies in memory; refuses to keep the one of message RefusedNum.
struct Copies : TmsDeletionCopies {
    long long maxMessageBytes() const override { return maxBytes; }
    void keep(int Num, const std::string &UID, std::string Message, bool HeaderOnly) override
    {
        kept.push_back({Num, UID, Message, HeaderOnly});
    }
    void notSent(int Num, const std::string &) override { notSentNums.push_back(Num); }
    std::vector<int> keptCopies() override
    {
        std::vector<int> nums;
        for (const Kept &copy : kept)
            if (copy.num != refusedNum)
                nums.push_back(copy.num);
        return nums;
    }
    struct Kept {
        int num;
        std::string uid, message;
        bool headerOnly;
    };
    long long maxBytes = 1000;
    int refusedNum = -1;
    std::vector<Kept> kept;
    std::vector<int> notSentNums;
};

TEST_F(ImapDovecot, DeletingForGoodKeepsACopyFirstAndDeletesOnlyWhatIsKept)
{
    startServer({"", "", "", ""});
    server->addMessage(message(5) + std::string(2000, 'x') + "\r\n"); // beyond what is copied whole
    imap.DeleteForGood = true;
    Copies copies;
    copies.refusedNum = 2;
    imap.DeletionCopies = &copies;
    imap.UpdateInfo();
    for (const int n : {0, 2, 4})
        imap.FlagForDeletion(n);

    imap.TransferData();

    ASSERT_EQ(copies.kept.size(), 3u);
    EXPECT_EQ(copies.kept[0].num, 4); // the header block of the large one first
    EXPECT_TRUE(copies.kept[0].headerOnly);
    EXPECT_EQ(copies.kept[0].message, "From: Sender 5 <s5@example.org>\r\nSubject: Message 5\r\n\r\n");
    EXPECT_EQ(copies.kept[1].num, 0);
    EXPECT_EQ(copies.kept[1].message, message(1));
    EXPECT_EQ(copies.kept[1].uid, imap.RemoteInfo().Items(0).UID);
    EXPECT_FALSE(copies.kept[1].headerOnly);
    EXPECT_TRUE(copies.notSentNums.empty());
    // Message 3's copy was not kept: it stays.
    EXPECT_EQ(flags(5), (std::vector<std::string>{"gone", "", "", "", "gone"}));
    EXPECT_EQ(events.deleted, (std::vector<int>{0, 4}));
}

TEST_F(ImapDovecot, AMessageIsReadWholeAndStaysUnread)
{
    startServer({"", "F"});
    imap.StayConnected = true;
    imap.UpdateInfo();

    EXPECT_EQ(imap.RetrieveMessage(1), message(2));
    EXPECT_EQ(imap.RetrieveMessage(0), message(1));
    imap.CloseMailbox();

    EXPECT_EQ(flags(2), (std::vector<std::string>{"", "F"}));
    ASSERT_TRUE(server->removeMessage(1));
    imap.StayConnected = false;
    EXPECT_EQ(raisedText<ETidewellError>([&] { imap.RetrieveMessage(0); }),
              "The message is no longer in the folder \"INBOX\"; check it again.");
}

TEST_F(ImapDovecot, AWrongPasswordIsTheServersRefusal)
{
    startServer({""});
    imap.Password = "not the password";
    EXPECT_EQ(raisedText<ELoginRefusedError>([&] { imap.UpdateInfo(); }),
              "NO [AUTHENTICATIONFAILED] Authentication failed.");
}

} // namespace
