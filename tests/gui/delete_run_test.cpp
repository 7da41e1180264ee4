#include "fixtures/dovecot_server.h"
#include "keep/kept_file_name.h"
#include "main_window_fixture.h"
#include "platform/clock.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QToolButton>
#include <QTreeWidgetItem>

#include <map>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kQuestionWithCopies =
    "yesno: Really delete 2 messages from server?\n\nA copy of each is kept in Deleted mail for 30 days.";

class DeleteRunTest : public MainWindowTest {
protected:
    std::unique_ptr<DovecotServer> server;

    void TearDown() override { Clock::setFixedNow(std::nullopt); }
    // The kept copies by subject.
    std::map<std::string, KeptMessage> keptBySubject() const
    {
        std::map<std::string, KeptMessage> kept;
        for (const KeptMessage &copy : window->deletedMail().load())
            kept[copy.subject] = copy;
        return kept;
    }
    std::string keptBytes(const KeptMessage &copy) const
    {
        return window->deletedMail().read(copy.fileName).value_or("<missing>");
    }

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
};

void DeleteRunTest::deletesTheMarkedMessagesLogsCountsAndListsAgain(bool pipelining)
{
    listThree({}, pipelining);
    prompts.yesNoAnswers = {true};

    window->btDelete->click();

    EXPECT_EQ(prompts.shown, (std::vector<std::string>{kQuestionWithCopies}));
    EXPECT_EQ(server->messagesLeft(), (std::vector<std::string>{message("Minutes of the meeting", "ann@example.org")}));
    // A copy of each deleted message, exactly as stored, with what the index says of it.
    std::map<std::string, KeptMessage> kept = keptBySubject();
    ASSERT_EQ(kept.size(), 2u);
    const KeptMessage &cruise = kept["Win a VIAGRA cruise"];
    EXPECT_EQ(keptBytes(cruise), message("Win a VIAGRA cruise", "king@spam.example"));
    EXPECT_EQ(keptBytes(kept["VIAGRA again"]), message("VIAGRA again", "queen@spam.example"));
    EXPECT_EQ(cruise.mailbox, 1);
    EXPECT_EQ(cruise.server, server->hostAndPort());
    EXPECT_EQ(cruise.user, DovecotServer::UserName);
    EXPECT_EQ(cruise.senderAddress, "king@spam.example");
    EXPECT_EQ(cruise.size, (long long)message("Win a VIAGRA cruise", "king@spam.example").size());
    EXPECT_FALSE(cruise.uidl.empty());
    EXPECT_FALSE(cruise.headersOnly);
    window->messages.add({"Win a VIAGRA cruise", "king@spam.example", "", "1", "", mark::CheckMark});
    EXPECT_EQ(cruise.why, window->explain(window->messages.count() - 1)); // what "Why was this e-mail marked?" said
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
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>{kQuestionWithCopies, "information: There were no messages marked to delete!"}));
    EXPECT_EQ(server->messagesLeft().size(), 3u);
    EXPECT_EQ(logCount("DELETE SPAM"), 0);
    EXPECT_EQ(rows(), 3);
}

TEST_F(DeleteRunTest, WithTheLaunchBoxTickedTheMailProgramStartsInsteadOfAListing)
{
    listThree([](GeneralSettings &g) {
        g.Launch = true;
        g.Ask = false;
        g.Mailer = "/usr/bin/mailer";
    });
    window->btDeleteClick();
    EXPECT_EQ(server->messagesLeft().size(), 1u);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"start: /usr/bin/mailer"}));
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

TEST_F(DeleteRunTest, WithCopiesOffTheQuestionAndTheRunAreAsWithoutCopies)
{
    listThree([](GeneralSettings &g) { g.KeepDeletedDays = 0; });
    prompts.yesNoAnswers = {true};
    window->btDeleteClick();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"yesno: Really delete 2 messages from server?"}));
    EXPECT_EQ(server->messagesLeft().size(), 1u);
    EXPECT_EQ(logCount("DELETE SPAM"), 2);
    EXPECT_FALSE(QDir(QString::fromStdString(window->deletedMail().folder())).exists());
}

TEST_F(DeleteRunTest, AMessageWhoseCopyCannotBeKeptStaysOnTheServerAndTheSummaryAndLogSaySo)
{
    listThree([](GeneralSettings &g) { g.Ask = false; });
    home.write("deleted", "a file where the folder of copies belongs");

    window->btDeleteClick();

    EXPECT_EQ(server->messagesLeft().size(), 3u);
    EXPECT_EQ(logCount("DELETE SPAM"), 0);
    EXPECT_EQ(logCount("ERROR Not deleted, as no copy of it could be kept (the folder "), 2);
    EXPECT_EQ(logCount("): Win a VIAGRA cruise FOR tester ON "), 1);
    EXPECT_EQ(readGeneralSettings().Count, "0");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("warning: These messages were not deleted because no copy of them could be kept:\n"
                                     "2. Win a VIAGRA cruise (the folder ",
                                     0),
              0u)
        << prompts.shown[0];
    EXPECT_NE(prompts.shown[0].find("\n3. VIAGRA again ("), std::string::npos);
    EXPECT_EQ(window->status(), "There were 0 messages deleted");
    EXPECT_EQ(rows(), 3); // listed again: all three are still there
}

TEST_F(DeleteRunTest, AMessageAboveTheSizeLimitKeepsOnlyItsHeaderBlock)
{
    const std::string large = message("Huge VIAGRA offer", "king@spam.example", std::string(3000, 'x') + "\r\n");
    server = std::make_unique<DovecotServer>(std::vector<std::string>{large});
    ASSERT_TRUE(server->started()) << server->failure();
    storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral([](GeneralSettings &g) {
        g.Ask = false;
        g.KeepDeletedMaxKB = 2;
    });
    addSubjectRule("viagra");
    start();
    window->btListClick();
    window->btDeleteClick();
    EXPECT_TRUE(server->messagesLeft().empty());
    const std::map<std::string, KeptMessage> kept = keptBySubject();
    ASSERT_EQ(kept.size(), 1u);
    const KeptMessage &copy = kept.begin()->second;
    EXPECT_TRUE(copy.headersOnly);
    EXPECT_EQ(copy.size, (long long)large.size());
    EXPECT_EQ(keptBytes(copy), large.substr(0, large.find("\r\n\r\n") + 4));
}

TEST_F(DeleteRunTest, CopiesExpireAfterTheRunAsAtStartUp)
{
    const QDateTime start = QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
    Clock::setFixedNow(start);
    const qint64 tenDaysBefore = start.toSecsSinceEpoch() - 10 * 24 * 3600;
    DeletedMailStore store(DeletedMailStore::defaultFolder());
    ASSERT_TRUE(store.prepareFolder());
    const std::string old = keptFileName(tenDaysBefore, 1, "old");
    ASSERT_TRUE(writeKeptFile(store.pathOf(old), message("Old", "x@example.org"), nullptr));
    listThree([](GeneralSettings &g) { g.Ask = false; });
    ASSERT_EQ(store.load().size(), 1u); // ten days old: kept at start-up

    Clock::setFixedNow(start.addDays(25)); // the old copy is 35 days old now
    window->btDeleteClick();

    const std::map<std::string, KeptMessage> kept = keptBySubject();
    EXPECT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept.count("Old"), 0u);
    EXPECT_EQ(kept.at("VIAGRA again").deletedAt, start.addDays(25).toSecsSinceEpoch());
}

TEST_F(DeleteRunTest, AtStartUpOldCopiesGoAndAFolderKeptAboveItsSizeForYoungCopiesIsLogged)
{
    const QDateTime now = QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
    Clock::setFixedNow(now);
    DeletedMailStore store(DeletedMailStore::defaultFolder());
    ASSERT_TRUE(store.prepareFolder());
    const std::string big(1536 * 1024, 'x');
    const std::vector<std::pair<std::string, int>> copies = {{"forty days", 40 * 24}, {"two days", 48}, {"one hour", 1}};
    for (const auto &[subject, hours] : copies)
        ASSERT_TRUE(writeKeptFile(store.pathOf(keptFileName(now.toSecsSinceEpoch() - hours * 3600, 1, subject)),
                                  message(subject, "x@example.org", big), nullptr));
    storeGeneral([](GeneralSettings &g) { g.KeepDeletedMaxMB = 1; });

    start();

    const std::vector<KeptMessage> left = store.load();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].subject, "one hour");
    EXPECT_EQ(logCount("Deleted mail holds 2 MB, above its limit of 1 MB; copies less than a day old are kept at "), 1);
}

} // namespace
