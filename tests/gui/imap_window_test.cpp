// The main window over an IMAP mailbox on Dovecot (with a \Junk folder), and
// tidewell-check's deletion compared with the window's: the same log blocks.
#include "fixtures/dovecot_server.h"
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
