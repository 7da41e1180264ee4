// The runs' mailbox sessions against a real server (Dovecot, POP3 and IMAP
// with a \Junk folder): the same steps give the same outcome for both
// protocols, an IMAP listing changes no flag, and the marked messages go
// (deleted, or moved to Junk with the kept copy recording where to).
#include "fixtures/dovecot_server.h"
#include "fixtures/temp_home.h"
#include "keep/deleted_mail_store.h"
#include "runs/deletion_run.h"
#include "runs/imap_session.h"
#include "runs/kept_copies.h"
#include "runs/listed_row.h"
#include "runs/pop3_session.h"

#include <gtest/gtest.h>
#include <memory>

using namespace tw;
using tw::test::DovecotServer;
using tw::test::TempHome;

namespace {

std::string message(int n) { return tw::test::numberedTestMessage(n); }

class MailboxSessionTest : public ::testing::TestWithParam<MailProtocol> {
protected:
    void SetUp() override
    {
        // Message 4 was read by a mail program before.
        for (int n = 1; n <= 3; ++n)
            server.addMessage(message(n));
        server.addMessage(message(4), "S");
        ASSERT_TRUE(server.started()) << server.failure();
        pop.SetTimeOut(10);
        imap.SetTimeOut(10);
        if (GetParam() == MailProtocol::IMAP)
            session = std::make_unique<TImapSession>(imap);
        else
            session = std::make_unique<TPop3Session>(pop);
        RemotePOPAccount account;
        account.server = GetParam() == MailProtocol::IMAP ? server.imapHostAndPort() : server.hostAndPort();
        account.userName = DovecotServer::UserName;
        account.password = DovecotServer::Password;
        account.security = int(TMailSecurity::None);
        account.protocol = int(GetParam());
        session->loadAccount(account);
        session->OnNextInfoUpdated = [this](QObject *, int index) {
            messages.add(listedRow(session->listed().Items(index)));
        };
        log.setPath(home.file("activity.log"));
    }

    TempHome home;
    DovecotServer server;
    TmsRemotePOP pop;
    TmsImapClient imap;
    std::unique_ptr<TMailboxSession> session;
    WaitingMessages messages;
    ActivityLog log;
};

TEST_P(MailboxSessionTest, MarkedMessagesGoAndAMessageRemovedMeanwhileIsSkipped)
{
    session->list();
    ASSERT_EQ(messages.count(), 4);
    EXPECT_EQ(messages.row(2).subject, "Message 3");
    EXPECT_EQ(session->waitingCount(), 4);
    // Listing leaves every flag as it was.
    EXPECT_EQ(server.flagsOf(1), "");
    EXPECT_EQ(server.flagsOf(4), "S");
    EXPECT_TRUE(session->confirmUnchanged(0));

    messages.row(0).mark = mark::CheckMark;
    messages.row(2).mark = mark::BlacklistMark;
    messages.row(3).mark = mark::QuestionMark; // not a deletion mark
    // Another mail program takes message 3 between the listing and the deletion.
    ASSERT_TRUE(server.removeMessage(3));
    EXPECT_FALSE(session->confirmUnchanged(2));
    session->end();

    TDeletionRun run(*session, messages, log);
    ASSERT_EQ(run.markedRows(), (std::vector<int>{0, 2}));
    log.OpenLogFile();
    run.transfer(run.markedRows(), nullptr);
    run.logDeletions();
    log.CloseLogFile();
    run.confirm();
    EXPECT_EQ(run.deletedRows(), std::vector<int>{0});
    EXPECT_EQ(run.skippedRows(), std::vector<int>{2});
    EXPECT_FALSE(session->client().IsConnected());

    EXPECT_EQ(server.messagesLeft(), (std::vector<std::string>{message(2), message(4)}));
    EXPECT_EQ(server.flagsOf(2), "");
    EXPECT_EQ(server.flagsOf(4), "S");
    if (GetParam() == MailProtocol::IMAP)
        EXPECT_EQ(server.messagesIn("Junk"), std::vector<std::string>{message(1)});
    else
        EXPECT_TRUE(server.messagesIn("Junk").empty());

    // One block, naming the protocol for IMAP; the readers take the server
    // up to the blank.
    const std::string logged = home.read("activity.log");
    const std::string server = session->client().Server;
    EXPECT_NE(logged.find("   Server:  " + server + (GetParam() == MailProtocol::IMAP ? " (IMAP)" : "") +
                          " Mailbox: tester\r\n   Subject: Message 1\r\n"),
              std::string::npos)
        << logged;
    EXPECT_EQ(logged.find("Message 3"), std::string::npos);
    // The messages the server said it removed are gone from a new listing.
    const std::vector<TDeletionRun::RemovedMessage> removed = run.removedMessages();
    messages.clear();
    session->list();
    EXPECT_TRUE(stillHeld(removed, session->listed()).empty());
    EXPECT_EQ(messages.count(), 2);
}

TEST_P(MailboxSessionTest, AKeptCopyOfAMovedMessageRecordsWhereItWent)
{
    session->list();
    ASSERT_EQ(messages.count(), 4);
    messages.row(1).mark = mark::CheckMark;
    const DeletedMailStore store(home.file("deleted"));
    TDeletionRun run(*session, messages, log);
    const auto copies = prepareCopies(store, 1 << 20, *session, messages, run.markedRows(), 1,
                                      [](int) { return std::vector<std::string>{"why"}; });
    run.transfer(run.markedRows(), copies.get());
    ASSERT_TRUE(recordMovesInCopies(*copies, *session));
    copies->settle(run.deletedRows());

    const std::vector<KeptMessage> kept = store.load();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].subject, "Message 2");
    EXPECT_EQ(store.read(kept[0].fileName), message(2));
    if (GetParam() == MailProtocol::IMAP) {
        EXPECT_TRUE(kept[0].isImap());
        EXPECT_EQ(kept[0].imapFolder, "INBOX");
        EXPECT_EQ(kept[0].imapJunkFolder, "Junk");
        EXPECT_NE(kept[0].imapSourceUid, 0u);
        EXPECT_NE(kept[0].imapJunkUid, 0u);
        EXPECT_NE(kept[0].imapJunkUidValidity, 0u);
        EXPECT_EQ(server.messagesIn("Junk"), std::vector<std::string>{message(2)});
    } else {
        EXPECT_FALSE(kept[0].isImap());
        EXPECT_TRUE(kept[0].imapJunkFolder.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, MailboxSessionTest, ::testing::Values(MailProtocol::POP3, MailProtocol::IMAP),
                         [](const auto &info) { return info.param == MailProtocol::IMAP ? "IMAP" : "POP3"; });

} // namespace
