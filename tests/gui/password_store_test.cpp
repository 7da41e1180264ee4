// Passwords asked at each check (General/PasswordStore 2): nothing is
// stored, a check the user started asks once per program run, a password
// the server refused is asked again, and a hidden automatic check asks
// nothing but logs why it passed the mailbox over.
#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"
#include "platform/registry.h"

#include <QToolButton>

using namespace tw;
using namespace tw::test;

namespace {

std::string serverValue(const std::string &name) { return tw::test::storedServerValue(name); }

class PasswordAskedTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dovecot.started()) << dovecot.failure();
        storeMailbox(1, dovecot.hostAndPort(), DovecotServer::UserName, "stored before");
        // Chosen as the settings window leaves it: no password stored.
        Registry().writeString(std::string(kMainKey) + "\\Server", "Passwd1", "");
    }
    void storeAsking(bool automatic = false)
    {
        storeGeneral([automatic](GeneralSettings &settings) {
            settings.PasswordStore = int(PasswordStore::AskEachCheck);
            settings.Automatic = automatic;
        });
    }
    std::string question() const
    {
        return "secret: Password / The password of mailbox 1 (tester on " + dovecot.hostAndPort() + "):";
    }

    DovecotServer dovecot{{message("Asked for", "a@example.org")}};
};

TEST_F(PasswordAskedTest, AVisibleCheckAsksOncePerRunAndAgainAfterARefusal)
{
    storeAsking();
    start();
    prompts.inputAnswers = {{true, "wrong"}, {true, DovecotServer::Password}};

    window->btList->click();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0], question());
    EXPECT_NE(prompts.shown[1].find("Either your UserName/Mailbox or Password is incorrect"), std::string::npos)
        << prompts.shown[1];
    EXPECT_EQ(rows(), 0);

    window->btList->click(); // the refused one is asked again
    EXPECT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[2], question());
    EXPECT_EQ(rows(), 1);

    window->btList->click(); // then known for the rest of the run
    EXPECT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(serverValue("Passwd1"), ""); // and stored nowhere
}

TEST_F(PasswordAskedTest, AHiddenCheckAsksNothingAndLogsWhyItPassedTheMailboxOver)
{
    storeAsking(true);
    start();
    hiddenAutomaticPass();

    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
    EXPECT_EQ(logCount("ERROR No password is kept for mailbox 1 (tester on " + dovecot.hostAndPort() +
                       "): it is asked at each check, and a check in the background cannot ask. Checking mail with "
                       "the window open asks for it. FOR tester ON " +
                       dovecot.hostAndPort()),
              1)
        << log();
}

} // namespace
