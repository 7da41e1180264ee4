// The general settings window's sign-in per mailbox: the choice is stored,
// the line of guidance follows the row, and "Sign in..." runs the browser
// sign-in at once or asks for the token command.
#include "fixtures/oauth_server.h"
#include "fixtures/temp_home.h"
#include "platform/dialup_fake.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/sound.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"
#include "settings/ui/general.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kServerKey = std::string(kMainKey) + "\\Server";

std::string serverValue(const std::string &name) { return tw::test::storedServerValue(name); }

class GeneralSignInTest : public ::testing::Test {
protected:
    // The refresh token is kept in the settings file, where the tests read it.
    GeneralSignInTest() { savePasswordStore(PasswordStore::SettingsFile); }

    TempHome home;
    ScriptedPrompts prompts;
    FollowingShell shell;
    RecordingSound sound;
    FakeDialUpService dialUpService;
    TagRas dialUp{dialUpService};
    GeneralSettingsModel general;
    SpamSettingsModel spam;
    std::unique_ptr<TfrmGeneral> window;

    void storeMailbox(int n, const std::string &server, const std::string &user, int signIn)
    {
        TKeyedEncryption cipher;
        cipher.Key = kPasswordKey;
        ServerSettings servers = readServerSettings(cipher);
        servers.account(n) = {server, user, "pw", true};
        servers.account(n).signIn.method = signIn;
        ASSERT_FALSE(saveServerSettings(servers, cipher).has_value());
    }
    void show()
    {
        spam.readSettings();
        general.read();
        window = std::make_unique<TfrmGeneral>(general, spam, dialUp, GeneralWindowCommands{});
        window->show();
    }
    std::string note() const { return window->lblSignInNote->text().toStdString(); }
    void typeServer(int n, const QString &text)
    {
        QLineEdit *field = window->edServe[size_t(n - 1)];
        field->selectAll();
        QTest::keyClicks(field, text);
    }
};

TEST_F(GeneralSignInTest, TheLineOfGuidanceFollowsTheRowAndItsChoice)
{
    storeMailbox(1, "pop.gmail.com", "ann", 0);
    show();
    EXPECT_EQ(note(), "Mailbox 1: with two-step verification Gmail needs an app password, made on your account's "
                      "security page.");
    EXPECT_FALSE(window->btSignIn[0]->isEnabled()); // nothing to sign in with a password

    window->cmbSignIn[0]->setCurrentIndex(1);
    EXPECT_TRUE(window->btSignIn[0]->isEnabled());
    EXPECT_EQ(note(), "Mailbox 1: A browser sign-in for Google needs a client id (OAuthClientId), and this build of "
                      "Tidewell brings none: see \"Signing in with OAuth2\" in the README.");

    typeServer(2, "imap.mail.me.com");
    EXPECT_EQ(note(), "Mailbox 2: iCloud Mail offers no POP3: choose IMAP as the protocol.");
    window->cmbProtocol[1]->setCurrentIndex(1); // IMAP
    EXPECT_EQ(note(), "Mailbox 2: with two-step verification iCloud needs an app password, made on your account's "
                      "security page.");
    typeServer(2, "imap.gmail.com");
    EXPECT_EQ(note(), "Mailbox 2: with two-step verification Gmail needs an app password, made on your account's "
                      "security page.");
    window->cmbProtocol[1]->setCurrentIndex(0);
    typeServer(2, "pop.gmx.net");
    EXPECT_EQ(note(), "Mailbox 2: with two-step verification GMX needs an app password, made on your account's "
                      "security page.");
    typeServer(2, "pop.example.org");
    EXPECT_EQ(note(), "");
}

TEST_F(GeneralSignInTest, ATokenCommandIsAskedForAndStoredWithTheChoice)
{
    storeMailbox(1, "pop.example.org", "ann", 0);
    show();
    window->cmbSignIn[0]->setCurrentIndex(2);
    EXPECT_EQ(note(), "Mailbox 1: press \"Sign in...\" to enter the token command.");

    window->btOK->click(); // no command yet: the save stops there
    EXPECT_EQ(prompts.shown.back(), "error: Mailbox 1 - there is no token command set");
    EXPECT_TRUE(window->isVisible());

    prompts.inputAnswers.push_back({true, "  pass show mail/token  "});
    window->btSignIn[0]->click();
    EXPECT_EQ(note(), "");
    window->btOK->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serverValue("SignIn1"), "2");
    EXPECT_EQ(serverValue("TokenCommand1"), "pass show mail/token");
}

TEST_F(GeneralSignInTest, SignInRunsTheBrowserSignInNowAndKeepsTheRefreshToken)
{
    OAuthServer provider;
    storeMailbox(1, "127.0.0.1:1", "ann", 1);
    Registry registry;
    registry.writeString(kServerKey, "OAuthAuthorizeUrl1", provider.authorizeUrl());
    registry.writeString(kServerKey, "OAuthTokenUrl1", provider.tokenUrl());
    registry.writeString(kServerKey, "OAuthClientId1", provider.expectedClientId);
    show();
    EXPECT_EQ(note(), "");

    window->btSignIn[0]->click();

    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].rfind("url: " + provider.authorizeUrl() + "?", 0), 0u) << shell.calls[0];
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"information: Mailbox 1 is signed in."});
    EXPECT_EQ(provider.codeExchanges, 1);
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    const std::string kept =
        MailboxSecrets(PasswordStore::SettingsFile, cipher).read(1, {}, MailboxSecret::RefreshToken).value;
    EXPECT_FALSE(kept.empty());
    EXPECT_EQ(general.servers.account(1).signIn.refreshToken, kept);

    // Cancel keeps the sign-in: it has been stored already.
    window->btCancel->click();
    EXPECT_EQ(general.servers.account(1).signIn.refreshToken, kept);

    // A sign-in the provider refuses says so.
    provider.expectedClientId = "another-client";
    window->show();
    window->btSignIn[0]->click();
    EXPECT_EQ(prompts.shown.back(), "error: The sign-in for mailbox 1 did not succeed: The provider refused the "
                                    "sign-in (unauthorized_client).");
}

} // namespace
