// The keyring cannot be reached: the test program runs with no session bus
// (keyring_session.sh no-bus). Every job fails within its limit with the
// keyring's own text. A password registry.ini still holds serves, with a
// warning once per program run; for one only the keyring holds, a check the
// user started asks once per program run where to keep secrets instead, a
// hidden automatic check writes an ERROR block and goes on; and
// registry.ini loses nothing.
#include "fixtures/dovecot_server.h"
#include "keyring_fixture.h"
#include "platform/registry.h"
#include "settings/settings_schema.h"

#include <QElapsedTimer>
#include <QToolButton>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kAnnEntry = "ann@pop.example.org (password)";

class NoSessionBusTest : public KeyringWindowTest {
protected:
    void SetUp() override { ASSERT_TRUE(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")); }

    // The keyring's text for a failed job, as a fresh store gets it.
    static std::string keyringFailure()
    {
        KeychainSecretStore probe(kKeyringService);
        return probe.read("probe").error;
    }
    // The same as a log line quotes it, without its full stop.
    static std::string quotedFailure()
    {
        std::string text = keyringFailure();
        while (!text.empty() && text.back() == '.')
            text.pop_back();
        return text;
    }
};

TEST_F(NoSessionBusTest, AJobFailsWithinItsLimitWithTheKeyringsText)
{
    for (int job = 0; job < 3; ++job) {
        KeychainSecretStore fresh(kKeyringService); // no failure remembered
        QElapsedTimer clock;
        clock.start();
        const SecretResult result = job == 0   ? fresh.read(kAnnEntry)
                                    : job == 1 ? fresh.write(kAnnEntry, "pw")
                                               : fresh.remove(kAnnEntry);
        EXPECT_LT(clock.elapsed(), 10'500) << job;
        EXPECT_TRUE(result.failed()) << job;
        EXPECT_NE(result.error, "") << job;
    }
}

TEST_F(NoSessionBusTest, NothingMovesAndRegistryIniKeepsEverySecret)
{
    storeMailbox(1, "pop.example.org", "ann", "first secret");
    storeMailbox(2, "mail.example.net", "bob", "second secret");
    storeGeneralWithKeyring();
    const std::string before = registryText();

    EXPECT_EQ(startUp(), keyringFailure());

    EXPECT_EQ(registryText(), before);
    EXPECT_EQ(general.servers.account(1).password, "first secret"); // read where it still is
    EXPECT_EQ(general.servers.account(2).password, "second secret");
}

TEST_F(NoSessionBusTest, AnOlderSettingsFilesPasswordServesWithAWarningOncePerRunAndNoQuestion)
{
    DovecotServer dovecot{{message("Checked from an older settings file", "a@example.org")}};
    ASSERT_TRUE(dovecot.started()) << dovecot.failure();
    storeMailbox(1, dovecot.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneralWithKeyring([](GeneralSettings &settings) { settings.Automatic = true; });
    // Written before there was a choice: no PasswordStore value, which reads as the keyring.
    Registry().deleteValue(std::string(kMainKey) + "\\" + kGeneralSection, "PasswordStore");
    const std::string before = registryText();
    const std::string warning = "WARNING The desktop keyring could not be reached (" + quotedFailure() +
                                "); the password of mailbox 1 (" + DovecotServer::UserName + " on " +
                                dovecot.hostAndPort() +
                                ") is used from Tidewell's settings file, where it stays until the keyring can "
                                "take it.";

    EXPECT_EQ(startUp(), keyringFailure()); // the move is tried
    window->btList->click();
    EXPECT_EQ(rows(), 1);
    window->btList->click();
    hiddenAutomaticPass();
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
    EXPECT_EQ(logCount(warning), 1) << log();

    // The next start tries the move again, and the first check says it again.
    EXPECT_EQ(restart(), keyringFailure());
    window->btList->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
    EXPECT_EQ(logCount(warning), 2) << log();
    EXPECT_EQ(logCount("ERROR"), 0) << log();
    EXPECT_EQ(registryText(), before);
}

TEST_F(NoSessionBusTest, AVisibleCheckAsksOncePerRunWithTheKeyringsTextAndGoesOn)
{
    DovecotServer dovecot{{message("Checked without a keyring", "a@example.org")}};
    ASSERT_TRUE(dovecot.started()) << dovecot.failure();
    storeMailbox(1, dovecot.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    clearSettingsFilePassword(1); // only the keyring held it
    storeGeneralWithKeyring();
    startUp();
    const std::string before = registryText();
    prompts.chooseAnswers = {1}; // ask at each check
    prompts.inputAnswers = {{true, DovecotServer::Password}};

    window->btList->click();

    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0],
              "choose: Tidewell could not use the desktop keyring for the mailbox passwords and sign-in tokens:\n\n" +
                  keyringFailure() +
                  "\n\nUntil Tidewell ends, keep them in Tidewell's settings file (enciphered, but readable by any "
                  "program you run), or ask for each password at the first check?  The Passwords page of the "
                  "general settings chooses for good. [Keep in the settings file | Ask at each check]");
    EXPECT_EQ(rows(), 1); // signed in with the password typed

    window->btList->click(); // asked once per run
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(registryText(), before);
    EXPECT_EQ(logCount("ERROR"), 0) << log();

    // The next run asks again: the answer was for this run, the keyring stays chosen.
    restart();
    prompts.chooseAnswers = {-1}; // the box closed without an answer
    window->btList->click();
    EXPECT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(registryText(), before);
}

TEST_F(NoSessionBusTest, AHiddenCheckAsksNothingAndLogsAnErrorForEachMailbox)
{
    storeMailbox(1, "pop.example.org", "ann", "first secret");
    storeMailbox(2, "mail.example.net", "bob", "second secret");
    clearSettingsFilePassword(1); // only the keyring held them
    clearSettingsFilePassword(2);
    storeGeneralWithKeyring([](GeneralSettings &settings) { settings.Automatic = true; });
    startUp();
    const std::string before = registryText();

    hiddenAutomaticPass();

    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
    const std::string failure = quotedFailure();
    EXPECT_EQ(logCount("ERROR The desktop keyring could not give the password of mailbox 1 (ann on pop.example.org): " +
                       failure +
                       ". Checking mail with the window open asks where to keep it instead, or keep the passwords "
                       "in Tidewell's settings file (the Passwords page of the general settings). FOR ann ON "
                       "pop.example.org"),
              1)
        << log();
    EXPECT_EQ(logCount("ERROR The desktop keyring could not give the password of mailbox 2 (bob on mail.example.net): " +
                       failure),
              1)
        << log();
    EXPECT_EQ(registryText(), before);
}

} // namespace
