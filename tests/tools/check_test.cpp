// tidewell-check run as cron would run it, against Dovecot's POP3 and IMAP
// (with a \Junk folder): its lines and JSON, a dry run that changes nothing,
// a deletion with the program's log blocks, and its exit statuses.
#include "fixtures/dovecot_server.h"
#include "fixtures/temp_home.h"
#include "fixtures/tool_run.h"
#include "keep/kept_index.h"
#include "platform/registry.h"
#include "platform/session_bus.h"
#include "settings/settings_schema.h"
#include "settings/general_model.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

ToolRun runCheck(const QStringList &arguments) { return runTool(QStringLiteral(TIDEWELL_CHECK_PATH), arguments); }

std::string message(const std::string &subject, const std::string &from)
{
    return "From: " + from + "\r\nSubject: " + subject + "\r\nDate: Tue, 8 Dec 2026 09:00:00 +0000\r\n\r\nHello.\r\n";
}

int countOf(const std::string &text, const std::string &part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

class CheckToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.started()) << server.failure();
        storeMailbox(1, server.hostAndPort(), MailProtocol::POP3);
        storeMailbox(2, server2.imapHostAndPort(), MailProtocol::IMAP);
        ASSERT_TRUE(server2.started()) << server2.failure();
        GeneralSettings general = readGeneralSettings();
        general.Logfile = home.file("activity.log");
        general.PasswordStore = int(PasswordStore::SettingsFile);
        saveGeneralSettings(general, LogNaming::AsIs);
        // No DNS is reachable from the tests: the unknown-domain test stays off.
        SpamTestSettings tests = readSpamTestSettings();
        tests.cbValid = false;
        saveSpamTestSettings(tests);
        SpamSettingsModel model;
        model.readSettings();
        RuleTable &table = model.rules.subject;
        const int row = table.rowForNewRule();
        table.setCell(col::What, row, "Contains");
        table.setCell(col::Matches, row, "Buy now");
        table.setCell(col::Case, row, "No");
        table.setCell(col::Delete, row, "Yes");
        table.setCell(col::Hits, row, "0");
        model.Savesettings();
    }

    void storeMailbox(int n, const std::string &hostAndPort, MailProtocol protocol,
                      const std::string &password = DovecotServer::Password)
    {
        TKeyedEncryption cipher;
        cipher.Key = kPasswordKey;
        readMailboxForRemotePOP(n, cipher, [] {}); // the password-format marker
        ServerSettings servers = readServerSettings(cipher);
        servers.account(n) = {hostAndPort, DovecotServer::UserName, password, true};
        servers.account(n).security = 3 /* None */;
        servers.account(n).plainText = int(PlainTextAnswer::Yes);
        servers.account(n).protocol = int(protocol);
        ASSERT_FALSE(saveServerSettings(servers, cipher).has_value());
    }

    const std::vector<std::string> mail{message("Buy now", "Spammer <spam@example.com>"),
                                        message("Lunch", "Ann <ann@example.org>")};
    TempHome home;
    DovecotServer server{mail};
    DovecotServer server2{mail};
};

} // namespace

TEST_F(CheckToolTest, PrintsEveryMessageOfEveryTickedMailboxAndLogsTheChecks)
{
    const ToolRun run = runCheck({});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> out = lines(run.out);
    ASSERT_EQ(out.size(), 4u) << run.out;
    const std::string size = std::to_string(mail[0].size());
    EXPECT_EQ(out[0], "1\t1\tdelete\t" + size + "\tspam@example.com\tBuy now");
    EXPECT_EQ(out[1], "1\t2\tnone\t" + std::to_string(mail[1].size()) + "\tann@example.org\tLunch");
    // IMAP messages go by their UID.
    EXPECT_TRUE(out[2].starts_with("2\t")) << out[2];
    EXPECT_TRUE(out[2].ends_with("\tdelete\t" + size + "\tspam@example.com\tBuy now")) << out[2];
    EXPECT_EQ(run.err, "");
    const std::string log = home.read("activity.log");
    EXPECT_NE(log.find("MAIL CHECK 2 msg(s) for \"tester\" on server " + server.hostAndPort() + " at "), std::string::npos);
    EXPECT_NE(log.find("MAIL CHECK 2 msg(s) for \"tester\" on server " + server2.imapHostAndPort() + " (IMAP) at "),
              std::string::npos);
    // Nothing was changed and nothing was read.
    EXPECT_EQ(server.messagesLeft(), mail);
    EXPECT_EQ(server2.flagsOf(1), "");

    const ToolRun json = runCheck({"--mailbox", "2", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const std::vector<std::string> objects = lines(json.out);
    ASSERT_EQ(objects.size(), 2u);
    const QJsonObject first = QJsonDocument::fromJson(QByteArray::fromStdString(objects[0])).object();
    EXPECT_EQ(first.value("mailbox").toInt(), 2);
    EXPECT_EQ(first.value("protocol").toString(), "IMAP");
    EXPECT_EQ(first.value("mark").toString(), "delete");
    EXPECT_EQ(first.value("size").toInt(), int(mail[0].size()));
    EXPECT_EQ(first.value("sender").toString(), "spam@example.com");
    EXPECT_EQ(first.value("subject").toString(), "Buy now");
    EXPECT_FALSE(first.value("number").toString().isEmpty());
}

TEST_F(CheckToolTest, ADryRunChangesNothingAndADeletionDeletesOrMovesWhatIsMarked)
{
    ToolRun run = runCheck({"--delete", "--dry-run"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lines(run.out).size(), 4u);
    EXPECT_EQ(server.messagesLeft(), mail);
    EXPECT_EQ(server2.messagesLeft(), mail);
    EXPECT_TRUE(server2.messagesIn("Junk").empty());
    EXPECT_EQ(home.read("activity.log"), "");

    run = runCheck({"--delete"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(server.messagesLeft(), std::vector<std::string>{mail[1]});
    EXPECT_EQ(server2.messagesLeft(), std::vector<std::string>{mail[1]});
    EXPECT_EQ(server2.flagsOf(2), ""); // left unread
    EXPECT_EQ(server2.messagesIn("Junk"), std::vector<std::string>{mail[0]});
    const std::string log = home.read("activity.log");
    for (const std::string &where : {server.hostAndPort(), server2.imapHostAndPort() + " (IMAP)"})
        EXPECT_NE(log.find("\r\n   Server:  " + where + " Mailbox: tester\r\n   Subject: Buy now\r\n"
                           "   Sender:  spam@example.com Spammer\r\n   Size:    " + std::to_string(mail[0].size()) +
                           "  Date: "),
                  std::string::npos)
            << log;
    GeneralSettingsModel general;
    general.read();
    EXPECT_EQ(general.spamCount(), 2); // the deleted-spam counter
    // The copies are kept, the IMAP one knowing where it went.
    EXPECT_NE(home.read(std::string("deleted/") + kKeptIndexFileName).find("\tIMAP\tINBOX\tJunk\t"), std::string::npos);
}

TEST_F(CheckToolTest, AFailedMailboxLeavesTheOthersCheckedAndBadArgumentsAreRefused)
{
    storeMailbox(3, server.hostAndPort(), MailProtocol::POP3, "wrong");
    ToolRun run = runCheck({"--mailbox", "3", "--mailbox", "1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(lines(run.out).size(), 2u) << run.out;
    EXPECT_TRUE(run.err.starts_with("tidewell-check: mailbox 3: \"")) << run.err;
    EXPECT_NE(run.err.find("Either your UserName/Mailbox or Password is incorrect."), std::string::npos) << run.err;
    EXPECT_NE(home.read("activity.log").find("ERROR "), std::string::npos);

    for (const QStringList &bad : {QStringList{"--mailbox", "13"}, QStringList{"--mailbox"}, QStringList{"--all"}}) {
        run = runCheck(bad);
        EXPECT_EQ(run.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(run.err.find("usage: tidewell-check") != std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

namespace {

// The environment cron gives a job: no session bus, no runtime folder, no display.
QProcessEnvironment cronEnvironment(const TempHome &home)
{
    QProcessEnvironment environment;
    environment.insert("HOME", QString::fromStdString(home.path()));
    environment.insert("PATH", "/usr/bin:/bin");
    environment.insert("SHELL", "/bin/sh");
    environment.insert("TIDEWELL_HOME", QString::fromStdString(home.path()));
    return environment;
}

// An older settings file: the password still in Passwd<n>, and no
// PasswordStore value, which reads as the desktop keyring.
void dropPasswordStoreValue()
{
    Registry().deleteValue(std::string(kMainKey) + "\\" + kGeneralSection, "PasswordStore");
}

} // namespace

TEST_F(CheckToolTest, UnderCronAnOlderSettingsFileChecksWithThePasswordItHolds)
{
    if (!userSessionBusAddress("", ::getuid()).empty())
        GTEST_SKIP() << "this user's own session bus is under /run/user, and tidewell-check would use it";
    dropPasswordStoreValue();
    const std::string password = storedServerValue("Passwd1");

    for (int run = 1; run <= 2; ++run) {
        const ToolRun check =
            runTool(QStringLiteral(TIDEWELL_CHECK_PATH), {"--mailbox", "1"}, {}, cronEnvironment(home));
        EXPECT_EQ(check.status, 0) << check.err;
        EXPECT_EQ(lines(check.out).size(), 2u) << check.out;
        EXPECT_NE(check.err.find("is used from Tidewell's settings file, where it stays until the keyring can take it"),
                  std::string::npos)
            << check.err;
        // Each run says it once, in the log as a warning.
        EXPECT_EQ(countOf(home.read("activity.log"), "WARNING The desktop keyring could not be reached ("), run);
    }
    for (const std::string &line : lines(home.read("activity.log")))
        EXPECT_FALSE(line.starts_with("ERROR")) << line;
    EXPECT_EQ(storedServerValue("Passwd1"), password); // never taken out of the file without the keyring
}

TEST_F(CheckToolTest, UnderCronAPasswordOnlyTheKeyringHoldsFailsWithAnErrorLineSayingWhatToDo)
{
    if (!userSessionBusAddress("", ::getuid()).empty())
        GTEST_SKIP() << "this user's own session bus is under /run/user, and tidewell-check would use it";
    GeneralSettings general = readGeneralSettings();
    general.PasswordStore = int(PasswordStore::Keyring);
    saveGeneralSettings(general, LogNaming::AsIs);
    clearSettingsFilePassword(1);

    const ToolRun run = runTool(QStringLiteral(TIDEWELL_CHECK_PATH), {"--mailbox", "1"}, {}, cronEnvironment(home));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::string what = "The desktop keyring could not give the password of mailbox 1 (tester on " +
                             server.hostAndPort() + "): ";
    const std::string toDo = ". Run tidewell-check from its systemd user timer (tidewell-check.timer), which reaches "
                             "the keyring of your session, or keep the passwords in Tidewell's settings file (the "
                             "Passwords page of the general settings).";
    EXPECT_TRUE(run.err.starts_with("tidewell-check: mailbox 1: " + what)) << run.err;
    EXPECT_NE(run.err.find(toDo + "\n"), std::string::npos) << run.err;
    const std::vector<std::string> logged = lines(home.read("activity.log"));
    ASSERT_EQ(logged.size(), 1u) << home.read("activity.log");
    EXPECT_TRUE(logged[0].starts_with("ERROR " + what)) << logged[0];
    EXPECT_NE(logged[0].find(toDo + " FOR tester ON " + server.hostAndPort()), std::string::npos) << logged[0];
    EXPECT_EQ(server.messagesLeft(), mail);
}

TEST_F(CheckToolTest, MessagesLeftOnTheServerForWantOfACopyFailTheRun)
{
    // A file where the folder of kept copies should be: no copy can be kept.
    home.write("deleted", "not a folder");
    for (const char *mailbox : {"1", "2"}) {
        SCOPED_TRACE(mailbox);
        const ToolRun run = runCheck({"--delete", "--mailbox", mailbox});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("tidewell-check: mailbox " + std::string(mailbox) +
                               ": 1 marked message(s) were not deleted because no copy of them could be kept; they "
                               "are still on the server\n"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(server.messagesLeft(), mail);
    EXPECT_EQ(server2.messagesLeft(), mail);
    EXPECT_TRUE(server2.messagesIn("Junk").empty());
}

namespace {

// Nothing to check is a failure a script must see, and so is the log the
// user reads: tidewell-check under cron says so in both places.
TEST(CheckToolWithoutMailboxes, FailsWithAnErrorLineThatSaysWhatToDo)
{
    TempHome home;
    GeneralSettings general = readGeneralSettings();
    general.Logfile = home.file("activity.log");
    saveGeneralSettings(general, LogNaming::AsIs);
    const ToolRun run = runTool(QStringLiteral(TIDEWELL_CHECK_PATH), {}, {}, cronEnvironment(home));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("At least ONE mailbox needs to be checked."), std::string::npos) << run.err;
    const std::vector<std::string> logged = lines(home.read("activity.log"));
    ASSERT_EQ(logged.size(), 1u) << home.read("activity.log");
    EXPECT_TRUE(logged[0].starts_with("ERROR At least ONE mailbox needs to be checked. Set one up")) << logged[0];
}

} // namespace
