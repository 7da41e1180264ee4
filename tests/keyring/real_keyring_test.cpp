// Secrets in a real desktop keyring: gnome-keyring's Secret Service on a
// private session bus, reached through the program's own QtKeychain store.
// keyring_session.sh starts both; the desktop's own tool (secret-tool)
// shows what the keyring holds.
#include "fixtures/dovecot_server.h"
#include "fixtures/tool_run.h"
#include "keyring_fixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QToolButton>

using namespace tw;
using namespace tw::test;

namespace {

// What secret-tool finds under Tidewell's entry; "<none>" when nothing.
std::string lookedUp(const std::string &entry)
{
    const ToolRun run =
        runTool("secret-tool", {"lookup", "server", "Tidewell", "user", QString::fromStdString(entry)});
    return run.status == 0 ? run.out : "<none>";
}

const std::string kAnnPassword = "ann@pop.example.org (password)";

class RealKeyringTest : public KeyringWindowTest {};

TEST_F(RealKeyringTest, EntriesAreWrittenReadAndRemovedUnderTidewell)
{
    EXPECT_EQ(keyringEntryName({"ann", "pop.example.org"}, MailboxSecret::Password), kAnnPassword);
    EXPECT_EQ(keyringEntryName({"ann", "pop.example.org"}, MailboxSecret::RefreshToken), "ann@pop.example.org (token)");

    EXPECT_EQ(keyring.read(kAnnPassword).status, SecretResult::Status::NotFound);
    ASSERT_EQ(keyring.write(kAnnPassword, "p\xc3\xa4ss w\xc3\xb6rd").error, "");
    EXPECT_EQ(lookedUp(kAnnPassword), "p\xc3\xa4ss w\xc3\xb6rd"); // text, as the desktop's tools show it
    EXPECT_EQ(keyring.read(kAnnPassword).value, "p\xc3\xa4ss w\xc3\xb6rd");

    const std::string bytes("\xff\0raw\x80", 6); // not text: kept byte for byte
    ASSERT_EQ(keyring.write(kAnnPassword, bytes).error, "");
    const SecretResult read = keyring.read(kAnnPassword);
    EXPECT_EQ(read.status, SecretResult::Status::Done);
    EXPECT_EQ(read.value, bytes);

    EXPECT_EQ(keyring.remove(kAnnPassword).status, SecretResult::Status::Done);
    EXPECT_EQ(lookedUp(kAnnPassword), "<none>");
    EXPECT_EQ(keyring.remove(kAnnPassword).status, SecretResult::Status::Done); // gone stays gone
}

TEST_F(RealKeyringTest, StartUpMovesEverySecretOverAndRegistryIniKeepsNone)
{
    storeMailbox(1, "pop.example.org", "ann", "first secret");
    storeMailbox(2, "mail.example.net", "bob", "second secret");
    storeGeneralWithKeyring();
    MailboxSecrets(PasswordStore::SettingsFile).save(2, {}, {}, MailboxSecret::RefreshToken, "refresh-bob");
    const std::string enciphered = serverValue("Passwd1");
    ASSERT_NE(enciphered, "");

    EXPECT_EQ(startUp(), "");

    EXPECT_EQ(lookedUp(kAnnPassword), "first secret");
    EXPECT_EQ(lookedUp("bob@mail.example.net (password)"), "second secret");
    EXPECT_EQ(lookedUp("bob@mail.example.net (token)"), "refresh-bob");
    EXPECT_EQ(serverValue("Passwd1"), "");
    EXPECT_EQ(serverValue("Passwd2"), "");
    EXPECT_EQ(serverValue("OAuthRefreshToken2"), "");
    EXPECT_EQ(registryText().find(enciphered), std::string::npos);
    EXPECT_EQ(general.servers.account(1).password, "first secret");
    EXPECT_EQ(general.servers.account(2).signIn.refreshToken, "refresh-bob");

    // The next start finds nothing left to move and reads the keyring.
    EXPECT_EQ(restart(), "");
    EXPECT_EQ(general.servers.account(2).password, "second secret");
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
}

TEST_F(RealKeyringTest, SavedSettingsWriteChangeMoveAndRemoveTheEntries)
{
    storeGeneralWithKeyring();
    EXPECT_EQ(startUp(), "");
    MailboxAccount &account = general.servers.account(1);
    const auto save = [&] {
        const std::optional<MailboxProblem> problem = general.saveServers();
        EXPECT_FALSE(problem) << problem->text;
        EXPECT_EQ(general.secrets.takeLeftInKeyring(), "");
    };

    account = {"pop.example.org", "ann", "one", true};
    save();
    EXPECT_EQ(lookedUp(kAnnPassword), "one");
    EXPECT_EQ(registryText().find("Passwd1=\""), std::string::npos) << registryText(); // no value, not even an empty one

    account.password = "two"; // a changed password
    save();
    EXPECT_EQ(lookedUp(kAnnPassword), "two");

    account.server = "pop.example.com"; // a renamed server moves the entry
    account.signIn.refreshToken = "refresh-ann";
    save();
    EXPECT_EQ(lookedUp(kAnnPassword), "<none>");
    EXPECT_EQ(lookedUp("ann@pop.example.com (password)"), "two");
    EXPECT_EQ(lookedUp("ann@pop.example.com (token)"), "refresh-ann");

    account.userName = "anna"; // and so does a renamed user
    save();
    EXPECT_EQ(lookedUp("ann@pop.example.com (password)"), "<none>");
    EXPECT_EQ(lookedUp("ann@pop.example.com (token)"), "<none>");
    EXPECT_EQ(lookedUp("anna@pop.example.com (password)"), "two");
    EXPECT_EQ(lookedUp("anna@pop.example.com (token)"), "refresh-ann");

    // What was saved is what the next run reads.
    EXPECT_EQ(restart(), "");
    EXPECT_EQ(general.servers.account(1).password, "two");
    EXPECT_EQ(general.servers.account(1).signIn.refreshToken, "refresh-ann");

    general.servers.account(1) = {}; // a cleared mailbox row
    save();
    EXPECT_EQ(lookedUp("anna@pop.example.com (password)"), "<none>");
    EXPECT_EQ(lookedUp("anna@pop.example.com (token)"), "<none>");
}

TEST_F(RealKeyringTest, ACheckLogsInWithThePasswordFromTheKeyringAlsoAfterARestart)
{
    DovecotServer dovecot{{message("Kept in the keyring", "a@example.org")}};
    ASSERT_TRUE(dovecot.started()) << dovecot.failure();
    storeMailbox(1, dovecot.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneralWithKeyring();
    EXPECT_EQ(startUp(), "");
    EXPECT_EQ(serverValue("Passwd1"), "");
    const std::string entry = keyringEntryName({DovecotServer::UserName, dovecot.hostAndPort()}, MailboxSecret::Password);
    EXPECT_EQ(lookedUp(entry), DovecotServer::Password);

    window->btList->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();

    restart();
    window->btList->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
    EXPECT_EQ(logCount("ERROR"), 0) << log();
}

TEST_F(RealKeyringTest, TidewellCheckUnderCronFindsTheKeyringOnTheBusOfTheRuntimeFolder)
{
    DovecotServer dovecot{{message("Checked from cron", "a@example.org")}};
    ASSERT_TRUE(dovecot.started()) << dovecot.failure();
    storeMailbox(1, dovecot.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneralWithKeyring();
    ASSERT_EQ(general.readAtStartUp(), ""); // the password moves to the keyring
    ASSERT_EQ(serverValue("Passwd1"), "");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_TRUE(QFileInfo(runtime + "/bus").exists()) << "keyring_session.sh puts the bus there";

    // What cron gives a job, plus the runtime folder a logged-in user has.
    QProcessEnvironment cron;
    cron.insert("HOME", QString::fromStdString(home.path()));
    cron.insert("PATH", "/usr/bin:/bin");
    cron.insert("TIDEWELL_HOME", QString::fromStdString(home.path()));
    cron.insert("XDG_RUNTIME_DIR", runtime);
    const ToolRun run = runTool(QStringLiteral(TIDEWELL_CHECK_PATH), {"--mailbox", "1"}, {}, cron);

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Checked from cron"), std::string::npos) << run.out;
    EXPECT_EQ(logCount("MAIL CHECK"), 1) << log();
    EXPECT_EQ(logCount("ERROR"), 0) << log();
    EXPECT_EQ(logCount("WARNING"), 0) << log();
}

TEST_F(RealKeyringTest, ALockedKeyringNobodyUnlocksMovesNothingAndCostsNoWait)
{
    storeMailbox(1, "pop.example.org", "ann", "first secret");
    storeGeneralWithKeyring();
    const std::string before = registryText();
    // Locked, with no prompter to ask for its password (no display).
    const ToolRun locked = runTool("dbus-send", {"--session", "--print-reply", "--dest=org.freedesktop.secrets",
                                                "/org/freedesktop/secrets", "org.freedesktop.Secret.Service.Lock",
                                                "array:objpath:/org/freedesktop/secrets/collection/login"});
    ASSERT_EQ(locked.status, 0) << locked.err;
    QElapsedTimer clock;
    clock.start();

    const std::string notMoved = startUp();

    EXPECT_NE(notMoved, "");
    EXPECT_LT(clock.elapsed(), 10'000);
    EXPECT_EQ(registryText(), before);
    EXPECT_EQ(general.servers.account(1).password, "first secret");
    EXPECT_EQ(lookedUp(kAnnPassword), "<none>");
}

} // namespace
