#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"
#include "settings/settings_store.h"

#include <QToolButton>
#include <QTreeWidgetItem>

using namespace tw;
using namespace tw::test;

namespace {

class DeleteRunTest : public MainWindowTest {
protected:
    std::unique_ptr<DovecotServer> server;

    // Three messages, the second and third of them spam; listed and classified.
    // Dovecot lists PIPELINING, so commands go out in windows unless the
    // client's switch is off.
    void listThree(const std::function<void(GeneralSettings &)> &edit = {}, bool pipelining = true)
    {
        server = std::make_unique<DovecotServer>(std::vector<std::string>{
            message("Minutes of the meeting", "ann@example.org"), message("Win a VIAGRA cruise", "king@spam.example"),
            message("VIAGRA again", "queen@spam.example")});
        ASSERT_TRUE(server->started()) << server->failure();
        storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
        storeGeneral(edit);
        addSubjectRule("viagra");
        start();
        window->msRemotePOP1.Pipelining = pipelining;
        window->btListClick();
        ASSERT_EQ(rows(), 3);
        ASSERT_EQ(window->messages.markedCount(), 2);
    }
    void deletesTheMarkedMessagesLogsCountsAndListsAgain(bool pipelining);
    void deletesWithTheLaunchBoxTicked(const std::string &mailer);
};

void DeleteRunTest::deletesTheMarkedMessagesLogsCountsAndListsAgain(bool pipelining)
{
    listThree({}, pipelining);
    prompts.yesNoAnswers = {true};

    window->btDelete->click();

    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"yesno: Really delete 2 messages from server?"}));
    EXPECT_EQ(server->messagesLeft(), (std::vector<std::string>{message("Minutes of the meeting", "ann@example.org")}));
    EXPECT_EQ(logCount("DELETE SPAM on "), 2);
    EXPECT_EQ(logCount("   Subject: Win a VIAGRA cruise\r\n"), 1);
    EXPECT_EQ(logCount("   Sender:  king@spam.example \r\n"), 1);
    EXPECT_EQ(readGeneralSettings().Count, "2");
    // Listed again: only the ordinary message is left.
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(window->ListView1->topLevelItem(0)->text(0), "Minutes of the meeting");
    EXPECT_EQ(window->status(), "There were 2 messages deleted");
    EXPECT_EQ(window->btExit->text(), "E&xit");
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(DeleteRunTest, DeletesTheMarkedMessagesLogsCountsAndListsAgain)
{
    deletesTheMarkedMessagesLogsCountsAndListsAgain(true);
}

TEST_F(DeleteRunTest, OneCommandAtATimeDeletesLogsCountsAndListsAlike)
{
    deletesTheMarkedMessagesLogsCountsAndListsAgain(false);
}

TEST_F(DeleteRunTest, AnsweringNoOrHavingNothingMarkedDeletesNothing)
{
    listThree();
    prompts.yesNoAnswers = {false};
    window->btDeleteClick();
    window->ResetButtonClick();
    window->btDeleteClick();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"yesno: Really delete 2 messages from server?",
                                                       "information: There were no messages marked to delete!"}));
    EXPECT_EQ(server->messagesLeft().size(), 3u);
    EXPECT_EQ(logCount("DELETE SPAM"), 0);
    EXPECT_EQ(rows(), 3);
}

// With the launch box ticked the mailbox is listed again, and the mail
// program is started only when one is set; nothing is said either way.
void DeleteRunTest::deletesWithTheLaunchBoxTicked(const std::string &mailer)
{
    listThree([&mailer](GeneralSettings &g) {
        g.Launch = true;
        g.Ask = false;
        g.Mailer = mailer;
    });
    window->btDeleteClick();
    EXPECT_EQ(server->messagesLeft().size(), 1u);
    EXPECT_EQ(rows(), 1); // what is left, as after every deletion
    EXPECT_EQ(shell.calls, mailer.empty() ? std::vector<std::string>{} : std::vector<std::string>{"start: " + mailer});
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
}

TEST_F(DeleteRunTest, WithTheLaunchBoxTickedTheMailboxIsListedAgainAndTheMailProgramStarted)
{
    deletesWithTheLaunchBoxTicked("/usr/bin/mailer");
    EXPECT_FALSE(window->msRemotePOP1.IsConnected()); // the mail program can log in
}

TEST_F(DeleteRunTest, WithTheLaunchBoxTickedAndNoMailProgramNothingIsLaunched)
{
    deletesWithTheLaunchBoxTicked("");
}

TEST_F(DeleteRunTest, AMessageChangedBehindTheListIsNeitherDeletedNorLoggedNorCounted)
{
    storeMailbox(2, "pop.other.example", "other", "pw", false); // two accounts: no connection is kept open
    listThree([](GeneralSettings &g) { g.Ask = false; });
    // Another mail program fetches and removes the first message: the server
    // now numbers the spam messages 1 and 2.
    ASSERT_TRUE(server->removeMessage(1));

    window->btDeleteClick();

    // The spam at number 2 when listed is now number 1: the client notices
    // that numbers 2 and 3 no longer hold the listed messages.
    const std::vector<std::string> left = server->messagesLeft();
    EXPECT_EQ(left.size(), 2u);
    EXPECT_EQ(logCount("DELETE SPAM"), 0);
    EXPECT_EQ(readGeneralSettings().Count, "0");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("were not deleted because the mailbox changed"), std::string::npos);
    EXPECT_NE(prompts.shown[0].find("Win a VIAGRA cruise"), std::string::npos);
    EXPECT_EQ(window->status(), "There were 0 messages deleted");
}

TEST_F(DeleteRunTest, PressingDeleteWhileADeletionRunsStartsNoSecondOne)
{
    listThree([](GeneralSettings &g) { g.Ask = false; });
    window->msRemotePOP1.OnDeleting = [this](QObject *, int) { window->btDeleteClick(); };
    window->btDeleteClick();
    EXPECT_EQ(server->messagesLeft().size(), 1u);
    EXPECT_EQ(logCount("DELETE SPAM"), 2);
}

} // namespace
