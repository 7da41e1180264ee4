// The main window over an IMAP mailbox on Dovecot (with a \Junk folder), and
// tidewell-check's deletion compared with the window's: the same log blocks.
#include "fixtures/dovecot_server.h"
#include "fixtures/imap_script.h"
#include "fixtures/tool_run.h"
#include "main_window_fixture.h"
#include "settings/settings_store.h"

#include "keep/ui/deleted_mail_window.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <sstream>

using namespace tw;
using namespace tw::test;

namespace {

class ImapWindowTest : public MainWindowTest {
protected:
    const std::vector<std::string> mail{message("Minutes of the meeting", "ann@example.org"),
                                        message("Win a VIAGRA cruise", "king@spam.example"),
                                        message("VIAGRA again", "queen@spam.example")};

    void useProtocol(int n, MailProtocol protocol)
    {
        TKeyedEncryption cipher;
        cipher.Key = kPasswordKey;
        ServerSettings servers = readServerSettings(cipher);
        servers.account(n).protocol = int(protocol);
        ASSERT_FALSE(saveServerSettings(servers, cipher).has_value());
    }
    // The deletion blocks of the log, without their time stamps and with
    // Server named "SERVER".
    std::vector<std::string> deletionBlocks(const std::string &server) const
    {
        std::vector<std::string> blocks;
        std::istringstream in(log());
        for (std::string line; std::getline(in, line);) {
            if (!line.starts_with("DELETE SPAM on "))
                continue;
            std::string block = "DELETE SPAM";
            for (int i = 0; i < 4 && std::getline(in, line); ++i)
                block += "\n" + line;
            for (size_t at = block.find(server); at != std::string::npos; at = block.find(server))
                block.replace(at, server.size(), "SERVER");
            blocks.push_back(block);
        }
        return blocks;
    }
};

} // namespace

TEST_F(ImapWindowTest, AnImapMailboxIsCheckedAndItsMarkedMessagesMovedToJunk)
{
    DovecotServer server(mail);
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.imapHostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    useProtocol(1, MailProtocol::IMAP);
    storeGeneral();
    addSubjectRule("viagra");
    start();

    window->btListClick();
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(window->messages.markedCount(), 2);
    EXPECT_EQ(window->StatusPanel2->text().toStdString(), "Message Total: 3 Number Marked: 2  (not encrypted)");
    EXPECT_EQ(logCount("MAIL CHECK 3 msg(s) for \"tester\" on server " + server.imapHostAndPort() + " (IMAP) at "), 1);
    EXPECT_EQ(server.flagsOf(2), ""); // listing reads nothing

    prompts.yesNoAnswers = {true};
    window->btDelete->click();

    // The question says what happens to them.
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_TRUE(prompts.shown.front().starts_with("yesno: Really move 2 messages to Junk?")) << prompts.shown.front();
    EXPECT_EQ(server.messagesIn("Junk"), (std::vector<std::string>{mail[1], mail[2]}));
    EXPECT_EQ(server.messagesLeft(), std::vector<std::string>{mail[0]});
    EXPECT_EQ(server.flagsOf(1), ""); // the one left stays unread
    EXPECT_EQ(logCount("DELETE SPAM on "), 2);
    EXPECT_EQ(logCount("   Server:  " + server.imapHostAndPort() + " (IMAP) Mailbox: tester"), 2);
    EXPECT_EQ(window->StatusPanel2->text().toStdString(), "There were 2 messages deleted");
    EXPECT_EQ(rows(), 1); // listed again
    for (const KeptMessage &copy : window->deletedMail().load()) {
        EXPECT_EQ(copy.imapJunkFolder, "Junk");
        EXPECT_NE(copy.imapJunkUid, 0u);
    }

    // "Move back to the inbox" in Deleted mail undoes the move on the server.
    bool clicked = false;
    QTimer::singleShot(0, window.get(), [&] {
        auto *deleted = qobject_cast<TfrmDeletedMail *>(QApplication::activeModalWidget());
        if (!deleted)
            return;
        deleted->lvDeleted->selectAll();
        clicked = deleted->btMoveBack->isEnabled();
        deleted->btMoveBack->click();
        deleted->btClose->click();
    });
    window->DeletedMail1Click();
    ASSERT_TRUE(clicked);
    EXPECT_TRUE(server.messagesIn("Junk").empty());
    std::vector<std::string> inbox = server.messagesIn("INBOX");
    std::sort(inbox.begin(), inbox.end());
    std::vector<std::string> all = mail;
    std::sort(all.begin(), all.end());
    EXPECT_EQ(inbox, all);
    EXPECT_TRUE(window->deletedMail().load().empty());
    EXPECT_EQ(prompts.shown.back(), "information: The 2 messages are back in the folders they were checked in.");
}

TEST_F(ImapWindowTest, TheCheckToolDeletesWithTheWindowsLogBlocks)
{
    for (const MailProtocol protocol : {MailProtocol::POP3, MailProtocol::IMAP}) {
        SCOPED_TRACE(protocol == MailProtocol::IMAP ? "IMAP" : "POP3");
        home.write("activity.log", "");
        DovecotServer byWindow(mail), byTool(mail);
        ASSERT_TRUE(byWindow.started() && byTool.started());
        const auto address = [protocol](const DovecotServer &server) {
            return protocol == MailProtocol::IMAP ? server.imapHostAndPort() : server.hostAndPort();
        };
        storeMailbox(1, address(byWindow), DovecotServer::UserName, DovecotServer::Password);
        useProtocol(1, protocol);
        storeGeneral();
        if (protocol == MailProtocol::POP3)
            addSubjectRule("viagra");
        start();
        window->btListClick();
        prompts.yesNoAnswers = {true};
        window->btDelete->click();
        const std::vector<std::string> windowBlocks = deletionBlocks(address(byWindow));
        ASSERT_EQ(windowBlocks.size(), 2u) << log();
        progress.reset();
        window.reset();

        home.write("activity.log", "");
        storeMailbox(1, address(byTool), DovecotServer::UserName, DovecotServer::Password);
        useProtocol(1, protocol);
        const ToolRun run = runTool(QStringLiteral(TIDEWELL_CHECK_PATH), {"--delete"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(deletionBlocks(address(byTool)), windowBlocks);
        EXPECT_EQ(byTool.messagesLeft(), byWindow.messagesLeft());
        EXPECT_EQ(byTool.messagesIn("Junk"), byWindow.messagesIn("Junk"));
    }
}

TEST_F(ImapWindowTest, AServerThatCannotExpungeSingleMessagesIsNamedAndNothingElseIsExpunged)
{
    FakeTcpServer server;
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    useProtocol(1, MailProtocol::IMAP);
    // A second mailbox, not ticked: the session ends after each listing.
    storeMailbox(2, "pop.example.org", "bob", "pw", false);
    storeGeneral([](GeneralSettings &g) { g.KeepDeletedDays = 0; });
    addSubjectRule("viagra");
    const std::string listing = "UID FETCH 1:* (UID RFC822.SIZE BODY.PEEK[HEADER])";
    const auto scriptListing = [&](int exists, const std::string &replies) {
        scriptImapLogin(server, "IMAP4rev1");
        scriptImapSelect(server, "a2", "EXAMINE", exists);
        server.expect("a3 " + listing);
        server.send(replies + "a3 OK done\r\n");
        scriptImapLogout(server, "a4");
    };
    scriptListing(2, imapFetchReply(1, 21, 80, imapHeader("Lunch")) + imapFetchReply(2, 22, 90, imapHeader("VIAGRA")));
    server.accept();
    scriptImapLogin(server, "IMAP4rev1");
    server.expect("a2 LIST \"\" \"*\"");
    server.sendLine("* LIST (\\HasNoChildren) \"/\" INBOX");
    server.sendLine("* LIST (\\HasNoChildren \\Junk) \"/\" Junk");
    server.sendLine("a2 OK List completed");
    scriptImapSelect(server, "a3", "SELECT", 2);
    server.expect("a4 UID FETCH 22 (UID RFC822.SIZE)");
    server.sendLine("* 2 FETCH (UID 22 RFC822.SIZE 90)");
    server.sendLine("a4 OK Fetch completed");
    scriptImapDialogue(server, {{"a5 UID COPY 22 \"Junk\"", {"a5 OK Copied"}},
                                {"a6 UID STORE 22 +FLAGS.SILENT (\\Deleted)", {"a6 OK Stored"}}});
    scriptImapLogout(server, "a7");
    server.accept();
    scriptListing(2, imapFetchReply(1, 21, 80, imapHeader("Lunch")) + imapFetchReply(2, 22, 90, imapHeader("VIAGRA")));
    start();

    window->btListClick();
    ASSERT_EQ(rows(), 2);
    prompts.yesNoAnswers = {true};
    window->btDelete->click();

    server.verify();
    ASSERT_GE(prompts.shown.size(), 2u);
    EXPECT_TRUE(prompts.shown[1].starts_with("warning: The server offers neither MOVE nor UIDPLUS, so the messages were "
                                             "copied to \"Junk\" and marked as deleted in \"INBOX\" but not removed "
                                             "from it"))
        << prompts.shown[1];
    EXPECT_EQ(logCount("WARNING The server offers neither MOVE nor UIDPLUS"), 1);
    EXPECT_EQ(logCount("DELETE SPAM on "), 1);
    EXPECT_EQ(logCount("still holds"), 0);
    EXPECT_EQ(window->StatusPanel2->text().toStdString(), "There were 1 messages deleted");
}
