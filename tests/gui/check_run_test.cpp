#include "app/which.h"
#include "dialog_driver.h"
#include "fixtures/dovecot_server.h"
#include "fixtures/fake_tcp_server.h"
#include "main_window_fixture.h"
#include "platform/event_wait.h"
#include "platform/paths.h"
#include "platform/registry.h"

#include <QApplication>
#include <algorithm>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include "settings/settings_store.h"

using namespace tw;
using namespace tw::test;

namespace {

class CheckRunTest : public MainWindowTest {};

TEST_F(CheckRunTest, ListsClassifiesAndLogsAMailbox)
{
    DovecotServer server({message("Lunch on Friday", "Ann Smith <ann@example.org>"),
                          message("Cheap VIAGRA now", "\"Spam King\" <king@spam.example>"),
                          "From: bob@example.org\r\nDate: not a date\r\n\r\nno subject\r\n"});
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral();
    addSubjectRule("viagra");
    start();

    window->btList->click();

    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(window->ListView1->text(0, 0), "Lunch on Friday");
    EXPECT_EQ(window->ListView1->text(0, 1), "ann@example.org");
    EXPECT_EQ(window->ListView1->text(0, 2), "Ann Smith");
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
    EXPECT_EQ(window->messages.row(1).mark, mark::CheckMark);
    EXPECT_EQ(window->ListView1->text(2, 0), "");
    EXPECT_EQ(window->ListView1->text(2, 4), "not a date"); // unparsable: raw text
    // Dovecot here offers no STLS, so the mailbox's Automatic security lists it unencrypted.
    EXPECT_EQ(window->status(), "Message Total: 3 Number Marked: 1  (not encrypted)");
    EXPECT_TRUE(window->btDelete->isVisible());
    EXPECT_TRUE(window->btList->isEnabled());
    EXPECT_EQ(window->btExit->text(), "E&xit");
    EXPECT_EQ(logCount("MAIL CHECK 3 msg(s) for \"tester\" on server " + server.hostAndPort() + " at "), 1);
    // The hit count of the rule that fired was saved.
    SpamSettingsModel saved;
    saved.readSettings();
    EXPECT_EQ(saved.rules.subject.cell(col::Hits, 1), "1");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(CheckRunTest, AMessageTooLargeToReadItsHeadersIsListedWithAQuestionMarkAndTheListingGoesOn)
{
    // One line of HTML of two megabytes: the reply to TOP n 1 holds all of it.
    const std::string huge = "From: big@spam.example\r\nSubject: Huge offer\r\nDate: Tue, 8 Dec 2026 21:34:05 +0000\r\n"
                             "Content-Type: text/html\r\n\r\n<html>" + std::string(2 << 20, 'x') + "</html>\r\n";
    DovecotServer server({message("Lunch on Friday", "ann@example.org"), huge,
                          message("Cheap VIAGRA after the big one", "king@spam.example")});
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral();
    addSubjectRule("offer"); // would condemn the huge one if rules were applied to it
    addSubjectRule("viagra");
    start();
    for (bool pipelining : {true, false}) {
        SCOPED_TRACE(pipelining ? "pipelined" : "one command at a time");
        window->msRemotePOP1.Pipelining = pipelining;
        window->btListClick();

        ASSERT_EQ(rows(), 3);
        const TWaitingMessage &big = window->messages.row(1);
        EXPECT_EQ(big.mark, mark::QuestionMark);
        EXPECT_EQ(big.sizeText, std::to_string(huge.size()));
        EXPECT_EQ(big.subject, "Huge offer");
        EXPECT_EQ(window->messages.row(2).mark, mark::CheckMark);
        const std::vector<std::string> why = window->explain(1);
        ASSERT_EQ(why.size(), 5u);
        EXPECT_EQ(why[3], "Question :  Too large to read: its header block and first body line are " +
                              std::to_string(huge.size()) + " bytes (more than 1048576)");
        EXPECT_EQ(why[4], "No rule was applied to it; look at it in your mail program before deleting it.");
        EXPECT_TRUE(prompts.shown.empty());
    }
}

TEST_F(CheckRunTest, AWrongPasswordIsExplainedLoggedAsAnErrorAndKeptOnTheTrayTip)
{
    DovecotServer server({message("Hello", "ann@example.org")});
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, "wrong");
    storeGeneral();
    start();

    window->btListClick();

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("\"  Unable to connect to your mailbox - \"tester\".  Either your "
                                    "UserName/Mailbox or Password is incorrect.  Go to the General Settings "
                                    "screen to correct your mailbox or password."),
              std::string::npos)
        << prompts.shown[0];
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(window->btList->isEnabled());
    EXPECT_EQ(window->btExit->text(), "E&xit");
    // An ERROR line with the server's refusal, and no check of 0 messages for the statistics.
    EXPECT_EQ(logCount("ERROR -ERR"), 1) << log();
    // Beside it only the note that the password went unencrypted (Security "None").
    EXPECT_EQ(logCount(" FOR tester ON " + server.hostAndPort() + " AT "), 2);
    EXPECT_EQ(logCount("WARNING password sent unencrypted FOR tester ON "), 1) << log();
    EXPECT_EQ(logCount("MAIL CHECK"), 0);
    EXPECT_EQ(window->trayIcon->problem().rfind("Last check of tester on " + server.hostAndPort() + " failed: -ERR", 0),
              0u)
        << window->trayIcon->problem();

    // The tip keeps the failure until that mailbox is checked successfully.
    window->trayIcon->setHint("Tidewell - next e-mail check in 9 minutes");
    EXPECT_NE(window->trayIcon->toolTip().find("\nLast check of tester"), std::string::npos);
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    window->btListClick();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(window->trayIcon->problem(), "");
    EXPECT_EQ(logCount("MAIL CHECK 1 msg(s) for \"tester\""), 1);
}

TEST_F(CheckRunTest, ARefusalAfterTheLoginIsNotBlamedOnThePassword)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 100");
    server.expect("LIST 1");
    server.sendLine("-ERR [SYS/TEMP] mailbox is locked");
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    storeGeneral();
    start();

    window->btListClick();

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], "error: \"-ERR [SYS/TEMP] mailbox is locked\"  The server " + server.hostAndPort() +
                                    " refused a command for \"ann\", so Tidewell stopped there.  Try again later.");
    EXPECT_EQ(logCount("ERROR -ERR [SYS/TEMP] mailbox is locked FOR ann"), 1);
    EXPECT_EQ(logCount("MAIL CHECK"), 0);
}

TEST_F(CheckRunTest, ATimeOutReturnsTheWindowToIdleAndIsReportedOnce)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 1 100");
    server.expect("LIST 1");
    // then silence
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    storeGeneral();
    start();
    window->msRemotePOP1.SetTimeOut(1);

    window->btListClick();

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], "error: Operation timed out");
    EXPECT_TRUE(window->btList->isEnabled());
    EXPECT_EQ(window->btExit->text(), "E&xit");
    EXPECT_FALSE(window->runningState());
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(logCount("ERROR Operation timed out FOR ann ON " + server.hostAndPort()), 1);
    EXPECT_EQ(logCount("ERROR"), 1);
    EXPECT_EQ(logCount("MAIL CHECK"), 0);
    server.verify();
}

TEST_F(CheckRunTest, CancellingDuringTheListingEmptiesTheList)
{
    FakeTcpServer server;
    scriptLogin(server, "+OK 2 100");
    server.expect("LIST 1");
    server.sendLine("+OK 1 50");
    server.expect("TOP 1 1");
    server.send("+OK\r\nSubject: one\r\n\r\n.\r\n");
    server.expect("LIST 2");
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    storeGeneral();
    start();
    // The user presses Cancel while the second message is awaited.
    // Waits (bounded) until the client has asked for the second message.
    QTimer poll;
    int polls = 0;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, window.get(), [&] {
        const auto &lines = server.received();
        const bool waiting = std::find(lines.begin(), lines.end(), "LIST 2") != lines.end();
        if (!waiting && ++polls < 500)
            return;
        poll.stop();
        EXPECT_TRUE(waiting);
        EXPECT_EQ(window->btExit->text(), "Cancel");
        EXPECT_TRUE(progress->isVisible());
        EXPECT_EQ(progress->pnlServer->text().toStdString(), server.hostAndPort());
        EXPECT_EQ(progress->pnlMailbox->text(), "ann");
        EXPECT_EQ(progress->lblMessage->text(), "Message 1 of 2");
        EXPECT_EQ(rows(), 1);
        progress->btCancel->click();
    });
    poll.start();

    window->btListClick();

    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(window->btList->isEnabled());
    EXPECT_EQ(window->btExit->text(), "E&xit");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(logCount("ERROR Operation has been canceled FOR ann"), 1);
}

TEST_F(CheckRunTest, TwoUsableMailboxesAskWhichOneAndCancellingKeepsTheList)
{
    storeMailbox(1, "127.0.0.1:1", "ann", "pw");
    storeMailbox(2, "127.0.0.1:2", "bob", "pw");
    storeGeneral();
    start();
    window->messages.add({"kept", "a@b", "", "1", "", mark::None, false});
    window->ListView1->rowsAppended();
    std::vector<std::string> offered;
    onNextDialog<TfrmWhichMailbox>([&](TfrmWhichMailbox &dialog) {
        for (int i = 0; i < dialog.cbMailbox->count(); ++i)
            offered.push_back(dialog.cbMailbox->itemText(i).toStdString());
        EXPECT_EQ(dialog.cbMailbox->currentIndex(), 0); // the current mailbox is preselected
        dialog.btCancel->click();
    });

    window->btListClick();

    EXPECT_EQ(offered, (std::vector<std::string>{"1) Mailbox ann - Server 127.0.0.1:1",
                                                 "2) Mailbox bob - Server 127.0.0.1:2"}));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(log(), "");
}

TEST_F(CheckRunTest, MissingMailboxSettingsAreExplained)
{
    storeGeneral();
    start();
    int addingOpened = 0;
    window->ShowAddFromAddress = [&addingOpened] { ++addingOpened; };
    window->btListClick(); // no mailbox yet: the way to add one, not an error box
    EXPECT_EQ(addingOpened, 1);
    storeMailbox(1, "pop.example.org", "   ", "pw"); // a user name of blanks is missing
    general.read();
    window->btListClick();
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>{"error: You need to enter your e-mail username in the settings."}));
}

TEST_F(CheckRunTest, AMailboxWithoutStoredPasswordNeverSendsAnotherMailboxsPassword)
{
    storeMailbox(1, "pop.one.example", "ann", "secret-one");
    storeMailbox(2, "pop.two.example", "bob", "secret-two");
    Registry(registryFilePath()).writeString(std::string(kMainKey) + "\\Server", "Passwd2", "");
    storeGeneral();
    start();
    EXPECT_EQ(window->msRemotePOP1.Password, "secret-one");
    window->GetRemotePOPSettings(2);
    EXPECT_EQ(window->msRemotePOP1.Server, "pop.two.example");
    EXPECT_EQ(window->msRemotePOP1.Password, "");
}

TEST_F(CheckRunTest, PasswordsOfAnOlderFormatAreClearedWithOneWarning)
{
    {
        // An older release stored a password and no format marker.
        TKeyedEncryption cipher;
        cipher.Key = kPasswordKey;
        ServerSettings servers;
        servers.account(1) = {"pop.example.org", "ann", "old", true};
        ASSERT_FALSE(saveServerSettings(servers, cipher).has_value());
    }
    storeGeneral();
    start();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], std::string("warning: ") + kPasswordsLostWarning);
    window->GetRemotePOPSettings(1);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(window->msRemotePOP1.Server, "pop.example.org");
    EXPECT_EQ(window->msRemotePOP1.Password, "");
}

} // namespace
