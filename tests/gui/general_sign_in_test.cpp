// The general settings window's sign-in per mailbox: the choice is stored,
// the line of guidance follows the row, "Sign in..." runs the browser
// sign-in at once or asks for the token command, "OAuth2 settings..." keeps
// the row's own OAuth2 values, and "Add from address..." fills a row from
// what was found for an e-mail address.
#include "fixtures/oauth_server.h"
#include "fixtures/temp_home.h"
#include "platform/dialup_fake.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/sound.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"
#include "settings/ui/general.h"
#include "settings/ui/oauth_settings.h"
#include "dialog_driver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
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
    // What to register, and where, is said in the window.
    EXPECT_EQ(note(), "Mailbox 1: A browser sign-in for Google needs a client id. This build of Tidewell brings no "
                      "client id for Google: create an OAuth client of the type \"Desktop app\" in the Google Cloud "
                      "console (console.cloud.google.com, APIs & Services, Credentials) for the scope "
                      "https://mail.google.com/, then enter its client id under \"OAuth2 settings...\" in the "
                      "mailbox's row.");

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

TEST_F(GeneralSignInTest, OAuthSettingsKeepTheFourValuesAndSayWhatIsMissing)
{
    storeMailbox(1, "mail.custom.example", "ann", 1);
    show();
    EXPECT_TRUE(window->btOAuthSettings[0]->isVisibleTo(window.get()));
    EXPECT_EQ(note(), "Mailbox 1: A browser sign-in for this server needs an authorization URL, a token URL and a "
                      "client id. This build of Tidewell brings no client id: register Tidewell with the server's "
                      "provider as an installed (desktop) application with the redirect address http://127.0.0.1, "
                      "then enter its client id under \"OAuth2 settings...\" in the mailbox's row. The provider's "
                      "documentation for mail programs names its authorization and token URLs.");
    struct Seen {
        std::string adviceBefore, adviceAfter;
    };
    auto seen = std::make_shared<Seen>();
    onNextDialog<TfrmOAuthSettings>([seen](TfrmOAuthSettings &dialog) {
        seen->adviceBefore = dialog.lblAdvice->text().toStdString();
        QTest::keyClicks(dialog.edClientId, "  tidewell-desktop ");
        QTest::keyClicks(dialog.edAuthorizeUrl, "https://auth.custom.example/authorize");
        QTest::keyClicks(dialog.edTokenUrl, "https://auth.custom.example/token");
        QTest::keyClicks(dialog.edScope, "mail offline");
        seen->adviceAfter = dialog.lblAdvice->text().toStdString();
        dialog.btOK->click();
    });
    window->btOAuthSettings[0]->click();
    EXPECT_NE(seen->adviceBefore.find("needs an authorization URL, a token URL and a client id"), std::string::npos)
        << seen->adviceBefore;
    EXPECT_EQ(seen->adviceAfter, "Nothing is missing: \"Sign in...\" in the mailbox's row opens the browser.");
    EXPECT_EQ(note(), "");
    EXPECT_EQ(serverValue("OAuthClientId1"), "<none>"); // kept with the row until OK

    window->btOK->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serverValue("OAuthClientId1"), "tidewell-desktop");
    EXPECT_EQ(serverValue("OAuthAuthorizeUrl1"), "https://auth.custom.example/authorize");
    EXPECT_EQ(serverValue("OAuthTokenUrl1"), "https://auth.custom.example/token");
    EXPECT_EQ(serverValue("OAuthScope1"), "mail offline");

    // A known provider's values show greyed; Cancel keeps what was there.
    window->show();
    window->cmbProtocol[0]->setCurrentIndex(1);
    typeServer(1, "outlook.office365.com");
    auto placeholder = std::make_shared<std::string>();
    onNextDialog<TfrmOAuthSettings>([placeholder](TfrmOAuthSettings &dialog) {
        dialog.edClientId->clear();
        *placeholder = dialog.edScope->placeholderText().toStdString();
        dialog.btCancel->click();
    });
    window->btOAuthSettings[0]->click();
    EXPECT_EQ(*placeholder, "https://outlook.office.com/IMAP.AccessAsUser.All offline_access");
    EXPECT_EQ(general.servers.account(1).signIn.clientId, "tidewell-desktop");

    window->cmbSignIn[0]->setCurrentIndex(0);
    EXPECT_FALSE(window->btOAuthSettings[0]->isVisibleTo(window.get())); // a password has nothing to set
}

TEST_F(GeneralSignInTest, AddFromAddressFillsTheFirstEmptyRowWithWhatTheUserConfirms)
{
    storeMailbox(1, "pop.one.example", "ann", 0);
    show();
    struct Seen {
        QStringList found;
        std::string guidance;
    };
    auto seen = std::make_shared<Seen>();
    // A known provider: found in the table, no network needed.
    onNextDialog<TfrmAddFromAddress>([seen](TfrmAddFromAddress &dialog) {
        QTest::keyClicks(dialog.edAddress, "bob@gmail.com");
        // Return searches and shows what was found; it does not also take it.
        QTest::keyClick(dialog.edAddress, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        for (int i = 0; i < dialog.lstFound->count(); ++i)
            seen->found << dialog.lstFound->item(i)->text();
        seen->guidance = dialog.lblGuidance->text().toStdString();
        dialog.btUse->click();
    });
    window->btAddFromAddress->click();
    ASSERT_EQ(seen->found.size(), 2);
    EXPECT_EQ(seen->found[0].toStdString(), "IMAP imap.gmail.com:993, TLS, sign-in by OAuth2 as bob@gmail.com (Gmail, "
                                            "from the list of known providers)");
    EXPECT_TRUE(seen->found[1].startsWith("POP3 pop.gmail.com:995, TLS"));
    EXPECT_NE(seen->guidance.find("app password"), std::string::npos) << seen->guidance;

    EXPECT_EQ(window->edServe[1]->text(), "imap.gmail.com:993");
    EXPECT_EQ(window->edName[1]->text(), "bob@gmail.com");
    EXPECT_EQ(window->cmbProtocol[1]->currentIndex(), int(MailProtocol::IMAP));
    EXPECT_EQ(window->cmbSecurity[1]->currentIndex(), 1); // TLS
    // This build has no client id for Google: the password, and what the
    // provider and a browser sign-in would need.
    EXPECT_EQ(window->cmbSignIn[1]->currentIndex(), 0);
    EXPECT_TRUE(window->cb[1]->isChecked());
    EXPECT_EQ(note().rfind("Mailbox 2: Google also takes an app password", 0), 0u) << note();
    EXPECT_NE(note().find("create an OAuth client of the type \"Desktop app\""), std::string::npos) << note();
    EXPECT_EQ(window->focusWidget(), window->edPass[1]); // the password is what is left to type
    EXPECT_EQ(serverValue("Server2"), ""); // nothing stored before OK

    QTest::keyClicks(window->edPass[1], "app-password");
    window->btOK->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serverValue("Server2"), "imap.gmail.com:993");
    EXPECT_EQ(serverValue("Mailbox2"), "bob@gmail.com");
    EXPECT_EQ(serverValue("Protocol2"), "1");
    EXPECT_EQ(serverValue("Security2"), "1");
}

TEST_F(GeneralSignInTest, AddFromAddressShowsItIsSearchingAndCancelEndsTheSearch)
{
    show();
    struct Seen {
        bool searchingShown = false, findEnabled = true;
        std::string step, address;
        bool canceledSeen = false;
    };
    auto seen = std::make_shared<Seen>();
    window->discoverMailbox = [seen](const std::string &address, const TDiscoveryOptions &options) {
        seen->address = address;
        auto *dialog = qobject_cast<TfrmAddFromAddress *>(QApplication::activeModalWidget());
        if (!dialog)
            return TDiscoveryResult{};
        options.onStep("Asking DNS for SRV records of example.org...");
        seen->searchingShown = dialog->prgSearching->isVisible();
        seen->findEnabled = dialog->btFind->isEnabled();
        seen->step = dialog->lblStep->text().toStdString();
        dialog->btCancel->click(); // the user gives up
        seen->canceledSeen = options.canceled();
        TDiscoveryResult result;
        result.notes.push_back("The search was canceled.");
        return result;
    };
    onNextDialog<TfrmAddFromAddress>([](TfrmAddFromAddress &dialog) {
        QTest::keyClicks(dialog.edAddress, " ann@example.org ");
        dialog.btFind->click();
    });
    window->btAddFromAddress->click();
    EXPECT_EQ(seen->address, "ann@example.org");
    EXPECT_TRUE(seen->searchingShown);
    EXPECT_FALSE(seen->findEnabled);
    EXPECT_EQ(seen->step, "Asking DNS for SRV records of example.org...");
    EXPECT_TRUE(seen->canceledSeen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the dialog closed
    EXPECT_EQ(window->edServe[0]->text(), "");              // and nothing was filled

    // An address that is none is said so, without a search.
    seen->address.clear();
    auto said = std::make_shared<std::string>();
    onNextDialog<TfrmAddFromAddress>([said](TfrmAddFromAddress &dialog) {
        QTest::keyClicks(dialog.edAddress, "ann.example.org");
        dialog.btFind->click();
        *said = dialog.lblStep->text().toStdString();
        dialog.btCancel->click();
    });
    window->btAddFromAddress->click();
    EXPECT_EQ(seen->address, "");
    EXPECT_NE(said->find("is not an e-mail address"), std::string::npos) << *said;
}
