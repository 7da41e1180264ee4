// The IMAP client's listing and deletion against scripted servers: replies
// in any order, a literal split across reads, exactly which UIDs are
// copied, flagged and expunged with and without MOVE and UIDPLUS, a folder
// renewed between listing and deletion, and where the junk folder is found.
#include "fixtures/imap_script.h"
#include "fixtures/raised.h"
#include "net/errors.h"
#include "net/imap_client.h"
#include "platform/program_version.h"

#include <algorithm>
#include <map>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kListing = "UID FETCH 1:* (UID RFC822.SIZE BODY.PEEK[HEADER])";

struct Client {
    explicit Client(FakeTcpServer &server) : events(imap) { useScript(imap, server); }
    std::vector<std::string> subjects() const
    {
        std::vector<std::string> result;
        for (int i = 0; i < imap.RemoteInfo().Count(); ++i)
            result.push_back(imap.RemoteInfo().Items(i).Headers.GetFieldBody("Subject"));
        return result;
    }
    std::vector<uint32_t> uids() const
    {
        std::vector<uint32_t> result;
        for (int i = 0; i < imap.RemoteInfo().Count(); ++i)
            result.push_back(imap.ListedUid(i));
        return result;
    }
    TmsImapClient imap;
    ImapEvents events;
};

bool sent(const FakeTcpServer &server, const std::string &command)
{
    return std::any_of(server.received().begin(), server.received().end(), [&](const std::string &line) {
        const size_t space = line.find(' ');
        return space != std::string::npos && line.compare(space + 1, command.size(), command) == 0;
    });
}

// Lists four messages, UIDs 21 to 24, each of size 100.
void scriptFourMessages(FakeTcpServer &server, const std::string &afterLogin)
{
    scriptImapLogin(server, afterLogin);
    scriptImapSelect(server, "a2", "EXAMINE", 4);
    server.expect("a3 " + kListing);
    for (int n = 1; n <= 4; ++n)
        server.send(imapFetchReply(n, 20 + n, 100, imapHeader("Message " + std::to_string(n))));
    server.sendLine("a3 OK Fetch completed");
    scriptImapLogout(server, "a4");
    server.accept();
}

TEST(ImapClient, AListingTakesRepliesInAnyOrderWithNewsInBetween)
{
    FakeTcpServer server;
    Client client(server);
    scriptImapLogin(server);
    scriptImapSelect(server, "a2", "EXAMINE", 3);
    server.expect("a3 " + kListing);
    const std::string first = imapHeader("First");
    const std::string third = imapHeader("Third");
    // Items in any order, and one message's items over two replies; between
    // them new mail, a message expunged by another client (the ones after
    // it move up), a flag changed elsewhere and other news.
    server.send("* 1 FETCH (BODY[HEADER] {" + std::to_string(first.size()) + "}\r\n" + first +
                " FLAGS (\\Seen) RFC822.SIZE 100 UID 11)\r\n");
    server.sendLine("* 4 EXISTS");
    server.sendLine("* 3 FETCH (UID 13 RFC822.SIZE 300)");
    server.sendLine("* 2 EXPUNGE");
    server.sendLine("* OK [HIGHESTMODSEQ 90] news");
    server.sendLine("* 1 FETCH (FLAGS (\\Seen \\Flagged))");
    server.sendLine("* FLAGS (\\Seen \\Flagged \\Deleted $Junk)");
    server.send("* 2 FETCH (BODY[HEADER] {" + std::to_string(third.size()) + "}\r\n" + third + ")\r\n");
    server.send(imapFetchReply(3, 14, 400, imapHeader("New")));
    server.send(imapFetchReply(3, 14, 400, imapHeader("New"))); // said twice
    server.sendLine("a3 OK Fetch completed");
    scriptImapLogout(server, "a4");

    client.imap.UpdateInfo();

    server.verify();
    EXPECT_EQ(client.subjects(), (std::vector<std::string>{"First", "Third", "New"}));
    EXPECT_EQ(client.uids(), (std::vector<uint32_t>{11, 13, 14}));
    EXPECT_EQ(client.events.listed, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(client.imap.RemoteInfo().Items(1).Size, 300);
    EXPECT_EQ(client.imap.ListedUidValidity(), 7u);
    EXPECT_FALSE(client.imap.IsConnected());
}

// NetEase opens no folder ("NO Unsafe Login") for a client that has not
// named itself with ID first; Tidewell names itself, and only itself, to a
// server that lists ID, and sends no ID to one that does not.
TEST(ImapClient, AServerThatListsIdHearsTheProgramsNameBeforeAFolderIsOpened)
{
    const std::string id = std::string("a2 ID (\"name\" \"Tidewell\" \"version\" \"") + kProgramVersion + "\")";
    struct Case {
        const char *name;
        std::string afterLogin;
        ImapDialogue identification;
        bool listed;
    } cases[] = {
        {"ID listed and answered", "IMAP4rev1 ID", {{id, {"* ID (\"name\" \"Coremail Imap\")", "a2 OK ID completed"}}},
         true},
        {"ID listed, the answer a refusal", "IMAP4rev1 ID", {{id, {"a2 BAD unknown field"}}}, true},
        {"ID not listed", "IMAP4rev1", {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server);
        scriptImapLogin(server, c.afterLogin);
        scriptImapDialogue(server, c.identification);
        const std::string examine = c.listed ? "a3" : "a2";
        if (c.listed) {
            scriptImapSelect(server, examine, "EXAMINE", 1);
            server.expect("a4 " + kListing);
            server.send(imapFetchReply(1, 5, 100, imapHeader("Welcome")));
            server.sendLine("a4 OK Fetch completed");
            scriptImapLogout(server, "a5");
        } else {
            server.expect(examine + " EXAMINE \"INBOX\"");
            server.sendLine(examine + " NO Unsafe Login. Please contact kefu@188.com for help");
        }

        const std::string error = raisedText<EServerError>([&] { client.imap.UpdateInfo(); });
        client.imap.Close();

        server.verify();
        if (c.listed) {
            EXPECT_EQ(error, "<no error>");
            EXPECT_EQ(client.subjects(), std::vector<std::string>{"Welcome"});
        } else {
            EXPECT_EQ(error, "NO Unsafe Login. Please contact kefu@188.com for help");
        }
    }
}

TEST(ImapClient, AnEmptyFolderIsListedWithoutAFetchAndACancelEndsAListing)
{
    {
        FakeTcpServer server;
        Client client(server);
        int updating = 0, updated = 0;
        client.imap.OnUpdatingInfo = [&](QObject *) { ++updating; };
        client.imap.OnInfoUpdated = [&](QObject *) { ++updated; };
        scriptImapLogin(server);
        scriptImapSelect(server, "a2", "EXAMINE", 0);
        scriptImapLogout(server, "a3");
        client.imap.UpdateInfo();
        EXPECT_EQ(client.imap.RemoteInfo().Count(), 0);
        EXPECT_EQ(updating + updated, 2);
    }
    {
        FakeTcpServer server;
        Client client(server);
        client.imap.OnNextInfoUpdated = [&](QObject *, int) { client.imap.Cancel(); };
        scriptImapLogin(server);
        scriptImapSelect(server, "a2", "EXAMINE", 2);
        server.expect("a3 " + kListing);
        server.send(imapFetchReply(1, 1, 9, imapHeader("one")) + imapFetchReply(2, 2, 9, imapHeader("two")));
        server.expectClose();
        EXPECT_THROW(client.imap.UpdateInfo(), ECanceledError);
        EXPECT_EQ(client.subjects(), std::vector<std::string>{"one"});
        EXPECT_FALSE(client.imap.IsConnected());
    }
}

TEST(ImapClient, ALiteralSplitAcrossReadsIsReadWhole)
{
    FakeTcpServer server;
    Client client(server);
    scriptImapLogin(server);
    scriptImapSelect(server, "a2", "EXAMINE", 2);
    server.expect("a3 " + kListing);
    const std::string header = "Subject: split\r\nFrom: b@example.org\r\n\r\n";
    // The marker, the literal, its line ends and the rest of the reply each
    // arrive in pieces.
    server.send("* 1 FETCH (UID 5 RFC822.SIZE 90 BODY[HEADER] {");
    server.pause(30);
    server.send(std::to_string(header.size()).substr(0, 1));
    server.pause(30);
    server.send(std::to_string(header.size()).substr(1) + "}\r");
    server.pause(30);
    server.send("\n" + header.substr(0, 12));
    server.pause(30);
    server.send(header.substr(12, 4)); // ends between CR and LF
    server.pause(30);
    server.send(header.substr(16) + ")");
    server.pause(30);
    server.send("\r\n" + imapFetchReply(2, 6, 80, imapHeader("after")) + "a3 OK done\r\n");
    scriptImapLogout(server, "a4");

    client.imap.UpdateInfo();

    EXPECT_EQ(client.imap.RemoteInfo().Items(0).Headers.Lines().copy(),
              (std::vector<std::string>{"Subject: split", "From: b@example.org"}));
    EXPECT_EQ(client.subjects(), (std::vector<std::string>{"split", "after"}));
}

TEST(ImapClient, OnlyTidewellsUidsAreMovedOrExpunged)
{
    struct Case {
        const char *name;
        const char *afterLogin;
        ImapDialogue dialogue;
        bool withheld;
    } cases[] = {
        {"MOVE",
         "IMAP4rev1 MOVE UIDPLUS",
         {{"a5 UID MOVE 21,23 \"Junk\"",
           {"* OK [COPYUID 9 21,23 5:6] Moved", "* 3 EXPUNGE", "* 1 EXPUNGE", "a5 OK done"}}},
         false},
        {"UIDPLUS without MOVE",
         "IMAP4rev1 UIDPLUS",
         {{"a5 UID COPY 21,23 \"Junk\"", {"a5 OK [COPYUID 9 21,23 5:6] Copied"}},
          {"a6 UID STORE 21,23 +FLAGS.SILENT (\\Deleted)", {"a6 OK Stored"}},
          {"a7 UID EXPUNGE 21,23", {"* 3 EXPUNGE", "* 1 EXPUNGE", "a7 OK Expunged"}}},
         false},
        {"neither MOVE nor UIDPLUS",
         "IMAP4rev1",
         {{"a5 UID COPY 21,23 \"Junk\"", {"a5 OK Copied"}},
          {"a6 UID STORE 21,23 +FLAGS.SILENT (\\Deleted)", {"a6 OK Stored"}}},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server);
        scriptFourMessages(server, c.afterLogin);
        scriptImapLogin(server, c.afterLogin);
        server.expect("a2 LIST \"\" \"*\"");
        server.sendLine("* LIST (\\HasNoChildren) \"/\" INBOX");
        server.sendLine("* LIST (\\HasNoChildren \\Junk) \"/\" Junk");
        server.sendLine("a2 OK List completed");
        scriptImapSelect(server, "a3", "SELECT", 4);
        server.expect("a4 UID FETCH 21,23 (UID RFC822.SIZE)");
        server.sendLine("* 3 FETCH (RFC822.SIZE 100 UID 23)");
        server.sendLine("* 1 FETCH (UID 21 RFC822.SIZE 100)");
        server.sendLine("a4 OK Fetch completed");
        scriptImapDialogue(server, c.dialogue);
        scriptImapLogout(server, std::string("a") + std::to_string(5 + c.dialogue.size()));
        client.imap.UpdateInfo();
        client.imap.FlagForDeletion(0);
        client.imap.FlagForDeletion(2);

        client.imap.TransferData();

        server.verify();
        EXPECT_FALSE(sent(server, "EXPUNGE") || sent(server, "CLOSE")) << "an expunge of every \\Deleted message";
        EXPECT_EQ(client.events.deleting, (std::vector<int>{0, 2}));
        EXPECT_EQ(client.events.deleted, (std::vector<int>{0, 2}));
        const TImapMoveRecord &move = client.imap.LastMove();
        EXPECT_EQ(move.Source, "INBOX");
        EXPECT_EQ(move.SourceUidValidity, 7u);
        EXPECT_EQ(move.Destination, "Junk");
        ASSERT_EQ(move.Messages.size(), 2u);
        EXPECT_EQ(move.Messages[1].sourceUid, 23u);
        EXPECT_EQ(move.undoable(), !c.withheld);
        if (move.undoable()) {
            EXPECT_EQ(move.DestinationUidValidity, 9u);
            EXPECT_EQ(move.Messages[1].destinationUid, 6u);
        }
        EXPECT_EQ(client.imap.Notice().empty(), !c.withheld) << client.imap.Notice();
    }
}

TEST(ImapClient, DeletingForGoodWithoutUidPlusMarksButNeverExpunges)
{
    FakeTcpServer server;
    Client client(server);
    client.imap.DeleteForGood = true;
    scriptFourMessages(server, "IMAP4rev1");
    scriptImapLogin(server, "IMAP4rev1");
    scriptImapSelect(server, "a2", "SELECT", 4);
    server.expect("a3 UID FETCH 22 (UID RFC822.SIZE)");
    server.sendLine("* 2 FETCH (UID 22 RFC822.SIZE 100)");
    server.sendLine("a3 OK Fetch completed");
    server.expect("a4 UID STORE 22 +FLAGS.SILENT (\\Deleted)");
    server.sendLine("a4 OK Stored");
    scriptImapLogout(server, "a5");
    client.imap.UpdateInfo();
    client.imap.FlagForDeletion(1);

    client.imap.TransferData();

    server.verify();
    EXPECT_EQ(client.events.deleted, std::vector<int>{1});
    EXPECT_EQ(client.imap.Notice(),
              "The server does not offer UIDPLUS, so the messages were marked as deleted in \"INBOX\" but not removed "
              "from it: this server can only remove all messages marked as deleted at once, and Tidewell removes none "
              "but its own. Your mail program removes them when it compacts (expunges) the folder.");
}

TEST(ImapClient, MessagesNotAsListedAreLeftAlone)
{
    struct Case {
        const char *name;
        uint32_t validity;                // of the folder at the deletion
        std::vector<std::string> fetched; // the replies to the confirming UID FETCH
        std::vector<int> moved;
    } cases[] = {
        {"the folder was renewed: its UIDs name other messages", 8, {}, {}},
        {"one expunged, one of another size", 7, {"* 1 FETCH (UID 21 RFC822.SIZE 101)", "* 2 FETCH (UID 23 RFC822.SIZE 100)"}, {2}},
        {"a refusal answers only for what it sent", 7, {"* 3 FETCH (UID 23 RFC822.SIZE 100)"}, {2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server);
        scriptFourMessages(server, "IMAP4rev1 MOVE UIDPLUS");
        scriptImapLogin(server);
        server.expect("a2 LIST \"\" \"*\"");
        server.sendLine("* LIST (\\Junk) \"/\" Junk");
        server.sendLine("a2 OK List completed");
        scriptImapSelect(server, "a3", "SELECT", 4, c.validity);
        int tag = 4;
        if (c.validity == 7) {
            server.expect("a4 UID FETCH 21,23 (UID RFC822.SIZE)");
            for (const std::string &reply : c.fetched)
                server.sendLine(reply);
            server.sendLine(std::string(c.name).find("refusal") != std::string::npos ? "a4 NO Some messages are gone"
                                                                                     : "a4 OK done");
            server.expect("a5 UID MOVE 23 \"Junk\"");
            server.sendLine("a5 OK done");
            tag = 6;
        }
        scriptImapLogout(server, "a" + std::to_string(tag));
        client.imap.UpdateInfo();
        client.imap.FlagForDeletion(0);
        client.imap.FlagForDeletion(2);

        client.imap.TransferData();

        server.verify();
        EXPECT_EQ(client.events.deleted, c.moved);
        std::vector<int> left = {0, 2};
        std::erase_if(left, [&](int n) { return std::count(c.moved.begin(), c.moved.end(), n) > 0; });
        EXPECT_EQ(client.events.skipped, left);
    }
}

TEST(ImapClient, TheJunkFolderIsFoundOrMade)
{
    struct Case {
        const char *name, *capabilities;
        ImapDialogue dialogue;
        const char *junk;
    } cases[] = {
        {"the special use, asked for",
         "IMAP4rev1 SPECIAL-USE",
         {{"a2 LIST \"\" \"*\" RETURN (SPECIAL-USE)",
           {"* LIST () \"/\" Junk", "* LIST (\\Junk) \"/\" \"Bulk Mail\"", "a2 OK done"}}},
         "Bulk Mail"},
        {"the special use, unasked",
         "IMAP4rev1",
         {{"a2 LIST \"\" \"*\"", {"* LIST (\\HasNoChildren \\Junk) \"/\" \"[Gmail]/Spam\"", "a2 OK done"}}},
         "[Gmail]/Spam"},
        {"a server that lists SPECIAL-USE but refuses to say it",
         "IMAP4rev1 SPECIAL-USE",
         {{"a2 LIST \"\" \"*\" RETURN (SPECIAL-USE)", {"a2 BAD unknown option"}},
          {"a3 LIST \"\" \"*\"", {"* LIST () \".\" INBOX.Spam", "a3 OK done"}}},
         "INBOX.Spam"},
        {"none: made below the personal name space and subscribed",
         "IMAP4rev1 NAMESPACE",
         {{"a2 LIST \"\" \"*\"", {"* LIST () \".\" INBOX", "* LIST (\\Noselect) \".\" Junk", "a2 OK done"}},
          {"a3 NAMESPACE", {"* NAMESPACE ((\"INBOX.\" \".\")) NIL NIL", "a3 OK done"}},
          {"a4 CREATE \"INBOX.Junk\"", {"a4 OK Created"}},
          {"a5 SUBSCRIBE \"INBOX.Junk\"", {"a5 OK Subscribed"}}},
         "INBOX.Junk"},
        {"none: made with its special use where the server takes one",
         "IMAP4rev1 CREATE-SPECIAL-USE",
         {{"a2 LIST \"\" \"*\"", {"* LIST () \"/\" INBOX", "a2 OK done"}},
          {"a3 CREATE \"Junk\" (USE (\\Junk))", {"a3 NO [ALREADYEXISTS] Mailbox exists"}},
          {"a4 SUBSCRIBE \"Junk\"", {"a4 NO not now"}}},
         "Junk"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server);
        scriptImapLogin(server, c.capabilities);
        scriptImapDialogue(server, c.dialogue);
        client.imap.OpenMailbox();
        EXPECT_EQ(client.imap.FindJunkFolder(), c.junk);
        EXPECT_EQ(client.imap.FindJunkFolder(), c.junk); // asked once per session
        server.verify();
    }
}

TEST(ImapClient, ARefusalIsQuotedAndStopsBeforeAnythingIsMoved)
{
    FakeTcpServer server;
    Client client(server);
    scriptFourMessages(server, "IMAP4rev1 MOVE");
    scriptImapLogin(server, "IMAP4rev1 MOVE");
    server.expect("a2 LIST \"\" \"*\"");
    server.sendLine("a2 OK done");
    server.expect("a3 CREATE \"Junk\"");
    server.sendLine("a3 NO [OVERQUOTA] Quota exceeded");
    server.expectClose();
    client.imap.UpdateInfo();
    client.imap.FlagForDeletion(0);

    EXPECT_EQ(raisedText<EServerError>([&] { client.imap.TransferData(); }), "NO [OVERQUOTA] Quota exceeded");
    client.imap.Close();
    server.verify();
    EXPECT_TRUE(client.events.deleting.empty());
}

TEST(ImapClient, MovingBackNeedsTheJunkFolderAsItWas)
{
    TImapMoveRecord record;
    record.Source = "INBOX";
    record.Destination = "Junk";
    record.DestinationUidValidity = 9;
    record.Messages = {{21, 5}, {23, 6}};
    {
        SCOPED_TRACE("renewed");
        FakeTcpServer server;
        Client client(server);
        scriptImapLogin(server);
        server.expect("a2 SELECT \"Junk\"");
        server.sendLine("* OK [UIDVALIDITY 10] new");
        server.sendLine("a2 OK [READ-WRITE] done");
        EXPECT_EQ(raisedText<ETidewellError>([&] { client.imap.MoveBack(record); }),
                  "The folder \"Junk\" has been renewed on the server since the messages were moved there (its "
                  "UIDVALIDITY changed), so Tidewell cannot find them any more.");
    }
    {
        SCOPED_TRACE("as it was: what is still there goes back");
        FakeTcpServer server;
        Client client(server);
        scriptImapLogin(server);
        server.expect("a2 SELECT \"Junk\"");
        server.sendLine("* OK [UIDVALIDITY 9] as before");
        server.sendLine("a2 OK [READ-WRITE] done");
        server.expect("a3 UID FETCH 5:6 (UID)");
        server.sendLine("* 1 FETCH (UID 6)");
        server.sendLine("a3 OK done");
        server.expect("a4 UID MOVE 6 \"INBOX\"");
        server.sendLine("* OK [COPYUID 7 6 40] Moved");
        server.sendLine("a4 OK done");
        scriptImapLogout(server, "a5");
        client.imap.MoveBack(record);
        server.verify();
        ASSERT_EQ(client.imap.LastMove().Messages.size(), 1u);
        EXPECT_EQ(client.imap.LastMove().Messages[0].destinationUid, 40u);
        EXPECT_EQ(client.imap.LastMove().Destination, "INBOX");
    }
    record.DestinationUidValidity = 0;
    TmsImapClient offline;
    EXPECT_EQ(raisedText<ETidewellError>([&] { offline.MoveBack(record); }),
              "The server did not say where in \"Junk\" the messages went, so Tidewell cannot find them to move them "
              "back.");
}

} // namespace

namespace {

// Logs in again and finds the junk folder and the marked UIDs 21 and 23,
// each of size 100, confirmed unchanged (tags a1 to a4).
void scriptConfirmedRemoval(FakeTcpServer &server)
{
    scriptImapLogin(server);
    server.expect("a2 LIST \"\" \"*\"");
    server.sendLine("* LIST (\\Junk) \"/\" Junk");
    server.sendLine("a2 OK List completed");
    scriptImapSelect(server, "a3", "SELECT", 4);
    server.expect("a4 UID FETCH 21,23 (UID RFC822.SIZE)");
    server.sendLine("* 1 FETCH (UID 21 RFC822.SIZE 100)");
    server.sendLine("* 3 FETCH (UID 23 RFC822.SIZE 100)");
    server.sendLine("a4 OK done");
}

// Keeps copies in memory, every one of them.
struct MemoryCopies : TmsDeletionCopies {
    long long maxMessageBytes() const override { return 1 << 20; }
    void keep(int Num, const std::string &, std::string Message, bool) override { kept[Num] = std::move(Message); }
    void notSent(int Num, const std::string &) override { notSentNums.push_back(Num); }
    std::vector<int> keptCopies() override
    {
        std::vector<int> nums;
        for (const auto &[num, message] : kept)
            nums.push_back(num);
        return nums;
    }
    std::map<int, std::string> kept;
    std::vector<int> notSentNums;
};

} // namespace

TEST(ImapClient, AnAcceptedMoveRemovesEveryUidWhateverItsCopyUidNames)
{
    // COPYUID naming only one of the two, or UIDs that were not asked for:
    // the OK still means both left the folder.
    for (const std::string copyUid : {"9 21 5", "9 30:31 5:6"}) {
        SCOPED_TRACE(copyUid);
        FakeTcpServer server;
        Client client(server);
        scriptFourMessages(server, "IMAP4rev1 MOVE UIDPLUS");
        scriptConfirmedRemoval(server);
        scriptImapDialogue(server, {{"a5 UID MOVE 21,23 \"Junk\"",
                                     {"* OK [COPYUID " + copyUid + "] Moved", "* 3 EXPUNGE", "* 1 EXPUNGE", "a5 OK done"}}});
        scriptImapLogout(server, "a6");
        client.imap.UpdateInfo();
        client.imap.FlagForDeletion(0);
        client.imap.FlagForDeletion(2);

        client.imap.TransferData();

        server.verify();
        EXPECT_EQ(client.events.deleted, (std::vector<int>{0, 2}));
        ASSERT_EQ(client.imap.LastMove().Messages.size(), 2u);
        EXPECT_EQ(client.imap.LastMove().Messages[1].sourceUid, 23u);
        EXPECT_EQ(client.imap.LastMove().Messages[1].destinationUid, 0u); // where it went is not known
    }
}

TEST(ImapClient, AMessageSentLargerThanListedIsNeitherCopiedNorMovedAndNothingGoesBeforeOnRemoving)
{
    // Message 23 was listed at 100 bytes; the server now sends 20 kB for it.
    const std::string small = std::string(98, 'a') + "\r\n";
    const std::string grown(20000, 'b');
    for (const bool removingRefused : {false, true}) {
        SCOPED_TRACE(removingRefused ? "OnRemoving raises" : "OnRemoving passes");
        FakeTcpServer server;
        Client client(server);
        scriptFourMessages(server, "IMAP4rev1 MOVE UIDPLUS");
        scriptConfirmedRemoval(server);
        server.expect("a5 UID FETCH 21,23 (UID BODY.PEEK[])");
        server.send("* 1 FETCH (UID 21 BODY[] {100}\r\n" + small + ")\r\n");
        server.send("* 3 FETCH (UID 23 BODY[] {20000}\r\n" + grown + ")\r\n");
        server.sendLine("a5 OK done");
        if (removingRefused) {
            server.expectClose();
        } else {
            scriptImapDialogue(server, {{"a6 UID MOVE 21 \"Junk\"", {"* 1 EXPUNGE", "a6 OK done"}}});
            scriptImapLogout(server, "a7");
        }
        MemoryCopies copies;
        client.imap.DeletionCopies = &copies;
        std::vector<int> removing;
        client.imap.OnRemoving = [&](QObject *, const std::vector<int> &nums) {
            removing = nums;
            EXPECT_TRUE(client.events.deleting.empty()) << "fired after a removal began";
            if (removingRefused)
                throw ETidewellError("no record");
        };
        client.imap.UpdateInfo();
        client.imap.FlagForDeletion(0);
        client.imap.FlagForDeletion(2);

        if (removingRefused) {
            EXPECT_EQ(test::raisedText<ETidewellError>([&] { client.imap.TransferData(); }), "no record");
            client.imap.Close();
        } else {
            client.imap.TransferData();
        }

        server.verify();
        EXPECT_EQ(removing, std::vector<int>{0});
        ASSERT_EQ(copies.kept.size(), 1u);
        EXPECT_EQ(copies.kept[0], small);
        EXPECT_TRUE(copies.notSentNums.empty());
        EXPECT_EQ(client.events.skipped, std::vector<int>{2}); // changed since the listing
        EXPECT_EQ(client.events.deleted, removingRefused ? std::vector<int>{} : std::vector<int>{0});
        EXPECT_FALSE(sent(server, "UID MOVE 21,23"));
    }
}
