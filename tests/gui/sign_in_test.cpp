// Checks that sign in as the mailbox says, against Dovecot and the local
// authorization server: the browser sign-in and its refresh, an expired
// sign-in in a check the user started and in a hidden one, the token
// command; and the downgrade protection against a man in the middle that
// strips STLS.
#include "fixtures/dovecot_server.h"
#include "fixtures/oauth_server.h"
#include "fixtures/stls_stripping_relay.h"
#include "fixtures/test_certificates.h"
#include "main_window_fixture.h"
#include "platform/notifications.h"

#include <QTest>
#include "platform/registry.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QTest>
#include <QToolButton>
#include <algorithm>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kServerKey = std::string(kMainKey) + "\\Server";

void storeValue(const std::string &name, const std::string &value) { Registry().writeString(kServerKey, name, value); }

std::string storedValue(const std::string &name)
{
    return Registry().readString(Hive::CurrentUser, kServerKey, name).value_or("<none>");
}

class SignInTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dovecot.started()) << dovecot.failure();
        storeMailbox(1, dovecot.hostAndPort(), DovecotServer::UserName, "not used");
    }
    // Mailbox 1 signs in in the browser with the local provider.
    void useBrowserSignIn()
    {
        storeValue("SignIn1", "1");
        storeValue("OAuthAuthorizeUrl1", provider.authorizeUrl());
        storeValue("OAuthTokenUrl1", provider.tokenUrl());
        storeValue("OAuthClientId1", provider.expectedClientId);
    }
    int browserOpenings() const
    {
        return int(std::count_if(shell.calls.begin(), shell.calls.end(),
                                 [](const std::string &call) { return call.rfind("url: ", 0) == 0; }));
    }
    std::string refreshTokenKept() const
    {
        TKeyedEncryption cipher;
        cipher.Key = kPasswordKey;
        return MailboxSecrets(PasswordStore::SettingsFile, cipher).read(1, {}, MailboxSecret::RefreshToken).value;
    }

    OAuthServer provider{DovecotServer::UserName};
    DovecotServer dovecot{{message("Signed in", "a@example.org")}, {}, {"plain", provider.introspectionUrl()}};
    FollowingShell following; // replaces the recording shell of the fixture
    RecordingShell &shell = following;
};

TEST_F(SignInTest, TheFirstCheckSignsInInTheBrowserAndLaterOnesRefreshWithoutIt)
{
    useBrowserSignIn();
    storeGeneral();
    start();

    window->btList->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(browserOpenings(), 1);
    EXPECT_EQ(provider.codeExchanges, 1);
    EXPECT_FALSE(refreshTokenKept().empty());
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();

    window->btList->click(); // the access token is still good
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(provider.refreshes, 0);

    // After a restart only the kept refresh token is there: no browser.
    progress.reset();
    window.reset();
    start();
    window->btList->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(provider.refreshes, 1);
    EXPECT_EQ(browserOpenings(), 1);
    EXPECT_EQ(logCount("ERROR"), 0);
}

TEST_F(SignInTest, AnExpiredSignInOpensTheBrowserAgainOnlyInACheckTheUserStarted)
{
    useBrowserSignIn();
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    MailboxSecrets(PasswordStore::SettingsFile, cipher)
        .save(1, {}, {}, MailboxSecret::RefreshToken, provider.issueRefreshToken());
    provider.revokeEverything(); // consent withdrawn
    storeGeneral([](GeneralSettings &settings) { settings.Automatic = true; });
    RecordingNotifier notifier;
    start();

    hiddenAutomaticPass();
    hiddenAutomaticPass(); // the notification comes once
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(browserOpenings(), 0); // a hidden check never opens a browser
    EXPECT_TRUE(prompts.shown.empty());
    const std::string expired =
        "The sign-in for mailbox 1 (tester) has expired; checking mail with the window open signs in again.";
    EXPECT_EQ(logCount("ERROR " + expired), 2) << log(); // one a pass
    EXPECT_NE(window->trayIcon->problem().find(expired), std::string::npos) << window->trayIcon->problem();
    EXPECT_NE(window->trayIcon->toolTip().find(expired), std::string::npos);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].notification.summary, "The sign-in for mailbox 1 (tester) has expired");
    ASSERT_EQ(notifier.shown[0].notification.actions.size(), 1u);
    EXPECT_EQ(notifier.shown[0].notification.actions[0].label, "Open");

    // "Open": the window comes up and checks the mailbox, which signs in.
    notifier.choose(notifier.shown[0].notification.actions[0].key);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 1; }, 20000)) << log();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("information: The sign-in for mailbox 1 (tester) has expired: The provider refused "
                                     "the sign-in (invalid_grant",
                                     0),
              0u)
        << prompts.shown[0];
    EXPECT_EQ(browserOpenings(), 1);
    EXPECT_EQ(window->trayIcon->problem(), ""); // signed in again
}

TEST_F(SignInTest, ATokenRefusedByTheServerIsShownAsSignInAgain)
{
    storeValue("SignIn1", "2");
    storeValue("TokenCommand1", "echo " + provider.issueAccessToken());
    storeGeneral();
    start();

    window->btList->click();
    EXPECT_EQ(rows(), 1);

    provider.expireAccessTokens();
    window->btList->click();
    EXPECT_EQ(rows(), 0);
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back().rfind("error: The server did not accept the sign-in of tester: sign in again.", 0), 0u)
        << prompts.shown.back();
    EXPECT_EQ(prompts.shown.back().find("Password is incorrect"), std::string::npos);

    storeValue("TokenCommand1", "echo 'no token: the vault is locked' >&2; exit 1");
    window->btList->click();
    EXPECT_EQ(prompts.shown.back(),
              "error: The token command failed with exit code 1: \"no token: the vault is locked\".");
    EXPECT_EQ(logCount("ERROR The token command failed"), 1);
}

class DowngradeTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificates.ok()) << certificates.failure();
        const CertificateFiles local = certificates.make("local", {"127.0.0.1"});
        certificates.trustAuthority();
        server = std::make_unique<DovecotServer>(std::vector<std::string>{message("Mail", "a@example.org")}, local);
        ASSERT_TRUE(server->started()) << server->failure();
        relay = std::make_unique<StlsStrippingRelay>(server->hostAndPort());
        storeGeneral();
    }
    void storeAutomaticMailbox(const std::string &address)
    {
        storeMailbox(1, address, DovecotServer::UserName, DovecotServer::Password);
        storeValue("Security1", "0");
    }
    bool credentialsThroughRelay() const { return relay->clientSent({"USER", "PASS", "AUTH"}); }
    int questions() const
    {
        return int(std::count(prompts.shown.begin(), prompts.shown.end(),
                              "yesno: The server offers no encryption; send the password unencrypted?"));
    }

    TestCertificates certificates;
    std::unique_ptr<DovecotServer> server;
    std::unique_ptr<StlsStrippingRelay> relay;
};

TEST_F(DowngradeTest, AMailboxThatWasEncryptedNeverFallsBackToPlainText)
{
    storeAutomaticMailbox(server->hostAndPort());
    start();
    window->btList->click(); // the real server: STARTTLS
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(storedValue("Encrypted1"), "1");

    storeValue("Server1", relay->hostAndPort()); // now a man in the middle strips STLS
    window->btList->click();

    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(relay->strippedLines(), 1);
    EXPECT_FALSE(credentialsThroughRelay());
    EXPECT_EQ(questions(), 0);
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_NE(prompts.shown.back().find("this mailbox's connection was encrypted before, so the password was not sent"),
              std::string::npos)
        << prompts.shown.back();
    EXPECT_EQ(logCount("ERROR The server offers no encryption, but this mailbox's connection was encrypted before"), 1);
    EXPECT_EQ(logCount("password sent unencrypted"), 0);
}

TEST_F(DowngradeTest, TheFirstUnencryptedSignInIsAskedAboutOnceAndTheAnswerKept)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        TempHome otherHome; // settings of their own; the log is the fixture's
        home.write("activity.log", "");
        storeGeneral();
        storeAutomaticMailbox(relay->hostAndPort());
        start();
        const size_t linesBefore = relay->clientLines().size();
        prompts.yesNoAnswers = {yes};

        window->btList->click();
        window->btList->click(); // the answer is kept: no second question

        EXPECT_EQ(questions(), 1);
        EXPECT_EQ(storedValue("PlainText1"), yes ? "1" : "2");
        EXPECT_EQ(rows(), yes ? 1 : 0);
        const bool sentThrough =
            std::any_of(relay->clientLines().begin() + long(linesBefore), relay->clientLines().end(),
                        [](const std::string &line) { return line.rfind("AUTH", 0) == 0 || line.rfind("USER", 0) == 0; });
        EXPECT_EQ(sentThrough, yes);
        EXPECT_EQ(logCount("WARNING password sent unencrypted"), yes ? 2 : 0);
        if (!yes) {
            EXPECT_NE(prompts.shown.back().find("you chose not to send the password"), std::string::npos)
                << prompts.shown.back();
        }
        progress.reset();
        window.reset();
        prompts.shown.clear();
    }
}

TEST_F(DowngradeTest, AHiddenAutomaticCheckNeverSendsAPasswordInClearWithoutAnEarlierYes)
{
    storeAutomaticMailbox(relay->hostAndPort());
    storeGeneral([](GeneralSettings &settings) { settings.Automatic = true; });
    start();
    QCoreApplication::processEvents();
    window->hide();
    window->automaticRun = true;
    window->minutesLeft = 0;

    window->CheckAllMailBoxes();

    EXPECT_EQ(questions(), 0);
    EXPECT_FALSE(credentialsThroughRelay());
    EXPECT_EQ(storedValue("PlainText1"), "<none>"); // still to be asked
    EXPECT_EQ(logCount("ERROR The server offers no encryption, and a check in the background never sends the "
                       "password unencrypted without your permission"),
              1)
        << log();
}

} // namespace
