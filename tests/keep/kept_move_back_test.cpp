// Moving kept IMAP messages back: which rows can go back, the move records
// made of them, and a round trip through the index against Dovecot.
#include "fixtures/dovecot_server.h"
#include "keep/kept_file_name.h"
#include "keep/kept_index.h"
#include "keep/kept_move_back.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using tw::test::DovecotServer;

namespace {

KeptMessage imapRow(int mailbox, uint32_t sourceUid, uint32_t junkUid, const std::string &junk = "Junk",
                    uint32_t junkValidity = 77)
{
    KeptMessage row;
    row.mailbox = mailbox;
    row.server = "imap.example.org";
    row.user = "ann";
    row.protocol = 1;
    row.imapFolder = "INBOX";
    row.imapJunkFolder = junk;
    row.imapSourceUidValidity = 5;
    row.imapJunkUidValidity = junkValidity;
    row.imapSourceUid = sourceUid;
    row.imapJunkUid = junkUid;
    return row;
}

TEST(KeptMoveBack, OnlyImapMessagesWhoseJunkUidIsKnownCanGoBack)
{
    KeptMessage pop3;
    pop3.mailbox = 1;
    KeptMessage deletedForGood = imapRow(1, 9, 0, "", 0);
    const struct {
        const char *what;
        KeptMessage row;
        bool can;
    } cases[] = {
        {"moved, with COPYUID", imapRow(1, 3, 40), true},
        {"a POP3 message", pop3, false},
        {"deleted for good", deletedForGood, false},
        {"moved without COPYUID", imapRow(1, 3, 0, "Junk", 0), false},
        {"a junk UIDVALIDITY but no UID", imapRow(1, 3, 0), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(canMoveBack(c.row), c.can) << c.what;
}

TEST(KeptMoveBack, RowsAreGroupedByMailboxAndMove)
{
    const std::vector<KeptMessage> rows = {
        imapRow(1, 3, 40),          imapRow(2, 3, 40), // the same UIDs in another mailbox
        imapRow(1, 8, 41),          imapRow(1, 9, 0, "Junk", 0), // cannot go back: left out
        imapRow(1, 4, 12, "Spam"), imapRow(1, 5, 42, "Junk", 78), // the junk folder renewed meanwhile
    };
    const std::vector<KeptMoveBack> moves = keptMoveBacks(rows);
    ASSERT_EQ(moves.size(), 4u);
    EXPECT_EQ(moves[0].rows, (std::vector<size_t>{0, 2}));
    EXPECT_EQ(moves[0].record.Source, "INBOX");
    EXPECT_EQ(moves[0].record.Destination, "Junk");
    EXPECT_EQ(moves[0].record.SourceUidValidity, 5u);
    EXPECT_EQ(moves[0].record.DestinationUidValidity, 77u);
    ASSERT_EQ(moves[0].record.Messages.size(), 2u);
    EXPECT_EQ(moves[0].record.Messages[1].sourceUid, 8u);
    EXPECT_EQ(moves[0].record.Messages[1].destinationUid, 41u);
    EXPECT_TRUE(moves[0].record.undoable());
    EXPECT_EQ(moves[1].rows, std::vector<size_t>{1});
    EXPECT_EQ(moves[2].rows, std::vector<size_t>{4});
    EXPECT_EQ(moves[2].record.Destination, "Spam");
    EXPECT_EQ(moves[3].rows, std::vector<size_t>{5});
    EXPECT_TRUE(keptMoveBacks({}).empty());
}

std::string message(int n) { return tw::test::numberedTestMessage(n); }

// What a deletion run keeps of a moved message, read back through the index
// as the "Deleted mail" window reads it.
std::vector<KeptMessage> keptRowsOf(const TImapMoveRecord &moved, const std::string &server)
{
    std::vector<KeptMessage> rows;
    for (const TImapMoveRecord::Message &m : moved.Messages) {
        KeptMessage row;
        row.fileName = keptFileName(1765000000, 1, std::to_string(moved.SourceUidValidity) + "." +
                                                       std::to_string(m.sourceUid));
        row.deletedAt = 1765000000;
        row.mailbox = 1;
        row.server = server;
        row.user = DovecotServer::UserName;
        row.protocol = 1;
        row.imapFolder = moved.Source;
        row.imapJunkFolder = moved.Destination;
        row.imapSourceUidValidity = moved.SourceUidValidity;
        row.imapJunkUidValidity = moved.DestinationUidValidity;
        row.imapSourceUid = m.sourceUid;
        row.imapJunkUid = m.destinationUid;
        rows.push_back(row);
    }
    return parseKeptIndex(keptIndexText(rows)).rows;
}

TEST(KeptMoveBackDovecot, KeptRowsOfAMoveToJunkFindTheirMessagesAgain)
{
    DovecotServer server;
    for (int n = 1; n <= 3; ++n)
        server.addMessage(message(n), "");
    ASSERT_TRUE(server.started()) << server.failure();
    TmsImapClient imap;
    imap.Server = server.imapHostAndPort();
    imap.UserName = DovecotServer::UserName;
    imap.Password = DovecotServer::Password;
    imap.SetTimeOut(10);
    imap.UpdateInfo();
    imap.FlagForDeletion(0);
    imap.FlagForDeletion(2);
    imap.TransferData();
    ASSERT_EQ(server.messagesIn("Junk").size(), 2u);

    const std::vector<KeptMessage> rows = keptRowsOf(imap.LastMove(), imap.Server);
    ASSERT_EQ(rows.size(), 2u);
    const std::vector<KeptMoveBack> moves = keptMoveBacks(rows);
    ASSERT_EQ(moves.size(), 1u);
    imap.MoveBack(moves[0].record);

    EXPECT_TRUE(server.messagesIn("Junk").empty());
    std::vector<std::string> inbox = server.messagesIn("INBOX");
    std::sort(inbox.begin(), inbox.end());
    EXPECT_EQ(inbox, (std::vector<std::string>{message(1), message(2), message(3)}));
    for (const KeptMessage &row : rows)
        EXPECT_TRUE(wasMovedBack(row, imap.LastMove())) << row.imapSourceUid;

    // Gone from the junk folder, they are not moved again.
    imap.MoveBack(moves[0].record);
    for (const KeptMessage &row : rows)
        EXPECT_FALSE(wasMovedBack(row, imap.LastMove())) << row.imapSourceUid;
}

} // namespace
