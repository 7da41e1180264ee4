// A deletion whose answer is lost: a relay in front of a real Dovecot cuts
// the connection at the command that removes the marked messages, before
// or after the server acted on it. Whatever happened, every message gone
// from the server has its byte-exact kept copy, and the activity log names
// each marked message exactly once, for what became of it.
#include "fixtures/cutting_relay.h"
#include "fixtures/dovecot_server.h"
#include "fixtures/temp_home.h"
#include "keep/deleted_mail_store.h"
#include "net/errors.h"
#include "runs/deletion_run.h"
#include "runs/imap_session.h"
#include "runs/kept_copies.h"
#include "runs/listed_row.h"
#include "runs/pop3_session.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace tw;
using tw::test::CuttingRelay;
using tw::test::DovecotServer;
using tw::test::TempHome;

namespace {

std::string message(int n) { return tw::test::numberedTestMessage(n); }

size_t occurrences(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The first line of the log block whose subject line names Subject.
std::string blockHead(const std::string &log, const std::string &subject)
{
    // The block: head line, server line, subject line.
    const size_t serverLineEnd = log.find("\r\n   Subject: " + subject + "\r\n");
    if (serverLineEnd == std::string::npos || serverLineEnd == 0)
        return {};
    const size_t headLineEnd = log.rfind("\r\n", serverLineEnd - 1);
    if (headLineEnd == std::string::npos || headLineEnd == 0)
        return {};
    const size_t before = log.rfind("\r\n", headLineEnd - 1);
    const size_t start = before == std::string::npos ? 0 : before + 2;
    return log.substr(start, headLineEnd - start);
}

// Three messages; 1 and 3 are marked.
struct Mailbox {
    Mailbox(MailProtocol protocol, bool deleteForGood, const std::string &serverAddress,
            const std::string &recordPath)
    {
        pop.SetTimeOut(10);
        imap.SetTimeOut(10);
        if (protocol == MailProtocol::IMAP)
            session = std::make_unique<TImapSession>(imap);
        else
            session = std::make_unique<TPop3Session>(pop);
        RemotePOPAccount account;
        account.server = serverAddress;
        account.userName = DovecotServer::UserName;
        account.password = DovecotServer::Password;
        account.security = int(TMailSecurity::None);
        account.protocol = int(protocol);
        account.imapDelete = deleteForGood;
        session->loadAccount(account);
        session->OnNextInfoUpdated = [this](QObject *, int index) {
            messages.add(listedRow(session->listed().Items(index)));
        };
        session->list();
        if (messages.count() == 3) {
            messages.row(0).mark = mark::CheckMark;
            messages.row(2).mark = mark::CheckMark;
        }
        run = std::make_unique<TDeletionRun>(*session, messages, log, recordPath);
    }

    // The transfer with copies kept in Store, settled as the runs settle a
    // failure; returns the error text ("" when it did not fail).
    std::string removeMarked(const DeletedMailStore &store)
    {
        const auto copies = prepareCopies(store, 1 << 20, *session, messages, run->markedRows(), 1,
                                          [](int) { return std::vector<std::string>{"why"}; });
        log.OpenLogFile();
        std::string error;
        try {
            run->transfer(run->markedRows(), copies.get());
            run->logDeletions();
            run->confirm();
        } catch (const ETidewellError &e) {
            error = e.what();
            if (session->client().IsConnected())
                session->client().Close();
            run->settleFailure();
        }
        recordMovesInCopies(*copies, *session);
        copies->settle(run->possiblyRemovedRows());
        log.CloseLogFile();
        return error;
    }

    TmsRemotePOP pop;
    TmsImapClient imap;
    std::unique_ptr<TMailboxSession> session;
    WaitingMessages messages;
    ActivityLog log;
    std::unique_ptr<TDeletionRun> run;
};

TEST(InterruptedRemoval, EveryMessageGoneHasItsCopyAndIsLoggedOnce)
{
    enum class Logged { Deleted, MayHaveBeen, StillThere };
    struct Case {
        const char *name;
        MailProtocol protocol;
        bool deleteForGood;
        const char *command;
        CuttingRelay::Cut cut;
        bool gone;     // messages 1 and 3 are gone from the inbox afterwards
        Logged logged; // how the log names each of them
        bool unreachableAfterwards = false;
    } cases[] = {
        {"IMAP deletion, answer to UID EXPUNGE lost, server out of reach afterwards", MailProtocol::IMAP, true,
         "UID EXPUNGE", CuttingRelay::Cut::AfterTheServerAnswered, true, Logged::MayHaveBeen, true},
        {"IMAP deletion, answer to UID EXPUNGE lost", MailProtocol::IMAP, true, "UID EXPUNGE",
         CuttingRelay::Cut::AfterTheServerAnswered, true, Logged::Deleted},
        {"IMAP move, answer to UID MOVE lost", MailProtocol::IMAP, false, "UID MOVE",
         CuttingRelay::Cut::AfterTheServerAnswered, true, Logged::Deleted},
        {"IMAP deletion, answer to UID STORE lost", MailProtocol::IMAP, true, "UID STORE",
         CuttingRelay::Cut::AfterTheServerAnswered, false, Logged::MayHaveBeen},
        {"IMAP move, cut before UID MOVE arrived", MailProtocol::IMAP, false, "UID MOVE",
         CuttingRelay::Cut::BeforeForwarding, false, Logged::StillThere},
        {"POP3, answer to QUIT lost", MailProtocol::POP3, false, "QUIT", CuttingRelay::Cut::AfterTheServerAnswered,
         true, Logged::MayHaveBeen},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        DovecotServer server;
        for (int n = 1; n <= 3; ++n)
            server.addMessage(message(n));
        ASSERT_TRUE(server.started()) << server.failure();
        const bool imap = c.protocol == MailProtocol::IMAP;
        CuttingRelay relay(imap ? server.imapHostAndPort() : server.hostAndPort(), c.command, imap, c.cut);
        Mailbox mailbox(c.protocol, c.deleteForGood, relay.hostAndPort(), home.file("deletion.pending"));
        ASSERT_EQ(mailbox.messages.count(), 3);
        mailbox.log.setPath(home.file("activity.log"));
        const DeletedMailStore store(home.file("deleted"));
        relay.RefuseAfterCut = c.unreachableAfterwards;
        relay.arm();
        // A program killed as the command goes out has left its record.
        bool recorded = false;
        relay.OnCommand = [&] { recorded = PendingDeletionRecord(home.file("deletion.pending")).exists(); };

        const std::string error = mailbox.removeMarked(store);

        EXPECT_TRUE(relay.cut());
        EXPECT_TRUE(recorded);
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(mailbox.run->failureSummary().empty());
        EXPECT_FALSE(PendingDeletionRecord(home.file("deletion.pending")).exists());
        // Message 2 was never touched.
        EXPECT_EQ(server.flagsOf(2), "");
        const std::vector<KeptMessage> kept = store.load();
        for (const int n : {1, 3}) {
            const std::string subject = "Message " + std::to_string(n);
            SCOPED_TRACE(subject);
            EXPECT_EQ(server.flagsOf(n) == "gone", c.gone) << server.flagsOf(n);
            // A copy is kept unless the message is known to be still there, unchanged.
            const auto copy = std::find_if(kept.begin(), kept.end(),
                                           [&](const KeptMessage &row) { return row.subject == subject; });
            if (c.logged == Logged::StillThere) {
                EXPECT_EQ(copy, kept.end());
            } else {
                ASSERT_NE(copy, kept.end());
                EXPECT_EQ(store.read(copy->fileName), message(n));
            }
            const std::string logged = home.read("activity.log");
            EXPECT_EQ(occurrences(logged, subject), 1u) << logged;
            switch (c.logged) {
            case Logged::Deleted:
                EXPECT_EQ(blockHead(logged, subject).rfind("DELETE SPAM on ", 0), 0u) << logged;
                break;
            case Logged::MayHaveBeen:
                EXPECT_EQ(blockHead(logged, subject).rfind("MAY HAVE BEEN DELETED on ", 0), 0u) << logged;
                break;
            case Logged::StillThere:
                EXPECT_NE(logged.find("still holds the message: " + subject), std::string::npos) << logged;
                break;
            }
        }
        EXPECT_EQ(occurrences(home.read("activity.log"), "Message 2"), 0u);
    }
}

TEST(InterruptedRemoval, AnImapRemovalWithoutItsRecordSendsNothing)
{
    for (const bool deleteForGood : {true, false}) {
        SCOPED_TRACE(deleteForGood ? "deletion" : "move");
        TempHome home;
        DovecotServer server;
        for (int n = 1; n <= 3; ++n)
            server.addMessage(message(n));
        ASSERT_TRUE(server.started()) << server.failure();
        home.write("blocker", "a file where the record's folder should be");
        Mailbox mailbox(MailProtocol::IMAP, deleteForGood, server.imapHostAndPort(),
                        home.file("blocker") + "/deletion.pending");
        mailbox.log.setPath(home.file("activity.log"));
        const DeletedMailStore store(home.file("deleted"));

        const std::string error = mailbox.removeMarked(store);

        EXPECT_EQ(error.rfind("Nothing was deleted: the record of the deletion could not be written to ", 0), 0u)
            << error;
        EXPECT_EQ(server.messagesLeft(), (std::vector<std::string>{message(1), message(2), message(3)}));
        EXPECT_EQ(server.flagsOf(1), "");
        EXPECT_TRUE(server.messagesIn("Junk").empty());
        EXPECT_TRUE(store.load().empty()); // the copies of messages still there go again
        EXPECT_TRUE(mailbox.run->possiblyRemovedRows().empty());
    }
}

} // namespace
