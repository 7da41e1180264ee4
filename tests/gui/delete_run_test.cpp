#include "fixtures/dovecot_server.h"
#include "keep/kept_file_name.h"
#include "main_window_fixture.h"
#include "platform/clock.h"
#include "settings/settings_store.h"

#include "fixtures/fake_tcp_server.h"
#include "stats/deletion_record.h"

#include <QDir>
#include <QToolButton>
#include <csignal>
#include <unistd.h>

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
    void deletesWithTheLaunchBoxTicked(const std::string &mailer);
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
    // Listed again: only the ordinary message is left.
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(window->ListView1->text(0, 0), "Minutes of the meeting");
    // (The list shows the messages: the row added to be explained comes after these checks.)
    window->messages.add({"Win a VIAGRA cruise", "king@spam.example", "", "1", "", mark::CheckMark});
    // What "Why was this e-mail marked?" said then, and says now: the learned
    // score, trained with too few messages to be used, took no part and is
    // not mentioned.
    const std::vector<std::string> saidNow = window->explain(window->messages.count() - 1);
    ASSERT_FALSE(cruise.why.empty());
    EXPECT_EQ(cruise.why, saidNow);
    for (const std::string &line : cruise.why)
        EXPECT_EQ(line.find("Learned score"), std::string::npos) << line;
    EXPECT_EQ(logCount("DELETE SPAM on "), 2);
    EXPECT_EQ(logCount("   Subject: Win a VIAGRA cruise\r\n"), 1);
    EXPECT_EQ(logCount("   Sender:  king@spam.example \r\n"), 1);
    EXPECT_EQ(readGeneralSettings().Count, "2");
    EXPECT_EQ(window->status(), "There were 2 messages deleted");
    EXPECT_EQ(window->btExit->text(), "E&xit");
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_FALSE(PendingDeletionRecord().exists()); // confirmed once logged
    EXPECT_EQ(logCount("MAY HAVE BEEN DELETED"), 0);
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

TEST_F(DeleteRunTest, AKillBetweenTheAcceptedQuitAndTheLogIsLoggedAtTheNextStartAsPossiblyDeleted)
{
    listThree([](GeneralSettings &g) { g.Ask = false; });
    // The program dies the moment the server has accepted QUIT (the
    // deletions are final), before it has logged them. The run goes on in a
    // forked child; its window is hidden, as in a hidden automatic run, since
    // painting needs threads that a forked child no longer has.
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            ::alarm(30); // a child that hangs ends with another signal and fails the test
            window->hide();
            window->automaticRun = true;
            window->msRemotePOP1.OnClosed = [](QObject *) { std::raise(SIGKILL); };
            window->btDeleteClick();
        },
        ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(server->messagesLeft().size(), 1u);
    EXPECT_EQ(logCount("DELETE SPAM"), 0);
    ASSERT_TRUE(PendingDeletionRecord().exists());

    progress.reset();
    window.reset();
    start();
    EXPECT_EQ(logCount("MAY HAVE BEEN DELETED on "), 2);
    EXPECT_EQ(logCount("   Subject: Win a VIAGRA cruise\r\n"), 1);
    EXPECT_EQ(logCount("   Subject: VIAGRA again\r\n"), 1);
    EXPECT_EQ(logCount("DELETE SPAM"), 0); // the statistics do not count them
    EXPECT_FALSE(PendingDeletionRecord().exists());
    EXPECT_NE(window->status().find("may have been deleted"), std::string::npos);
    progress.reset();
    window.reset();
    start(); // logged once only
    EXPECT_EQ(logCount("MAY HAVE BEEN DELETED on "), 2);
}

// Scripted servers for what Dovecot never does: the listing of Subjects
// (each a message of size 100) on a session that stays open.
void scriptListing(FakeTcpServer &server, const std::vector<std::string> &subjects)
{
    scriptLogin(server, "+OK " + std::to_string(subjects.size()) + " " + std::to_string(100 * subjects.size()));
    for (size_t n = 1; n <= subjects.size(); ++n) {
        server.expect("LIST " + std::to_string(n));
        server.sendLine("+OK " + std::to_string(n) + " 100");
        server.expect("TOP " + std::to_string(n) + " 1");
        server.send("+OK\r\nSubject: " + subjects[n - 1] + "\r\nFrom: x@spam.example\r\n\r\n.\r\n");
    }
}
void scriptAcceptedDele(FakeTcpServer &server, int n, const std::string &subject)
{
    const std::string number = std::to_string(n);
    server.expect("UIDL " + number);
    server.sendLine("+OK " + number + " uid" + number);
    server.expect("LIST " + number);
    server.sendLine("+OK " + number + " 100");
    server.expect("TOP " + number + " 1");
    server.send("+OK\r\nSubject: " + subject + "\r\nFrom: x@spam.example\r\n\r\n.\r\n");
    server.expect("DELE " + number);
    server.sendLine("+OK deleted");
    server.expect("QUIT");
}

TEST_F(DeleteRunTest, ASessionLostAtItsQuitLogsTheAcceptedDeletionsAsPossiblyDeleted)
{
    FakeTcpServer server;
    scriptListing(server, {"VIAGRA deal"});
    scriptAcceptedDele(server, 1, "VIAGRA deal");
    server.close(); // no answer to QUIT: whether the deletion happened is unknown
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    // The dialogue without copies: RETR has tests of its own.
    storeGeneral([](GeneralSettings &g) {
        g.Ask = false;
        g.KeepDeletedDays = 0;
    });
    addSubjectRule("viagra");
    start();
    window->btListClick();
    ASSERT_EQ(window->messages.markedCount(), 1);

    window->btDeleteClick();

    EXPECT_EQ(logCount("MAY HAVE BEEN DELETED on "), 1);
    EXPECT_EQ(logCount("   Subject: VIAGRA deal\r\n"), 1);
    EXPECT_EQ(logCount("DELETE SPAM"), 0);
    EXPECT_FALSE(PendingDeletionRecord().exists());
    EXPECT_EQ(readGeneralSettings().Count, "0");
}

TEST_F(DeleteRunTest, AServerThatAcceptsDeleButKeepsTheMessageIsFoundOutWhenListedAgain)
{
    FakeTcpServer server;
    scriptListing(server, {"Minutes", "VIAGRA deal"});
    scriptAcceptedDele(server, 2, "VIAGRA deal");
    server.sendLine("+OK bye");
    server.accept(); // the listing after the run: the message is still there
    scriptListing(server, {"Minutes", "VIAGRA deal"});
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    // The dialogue without copies: RETR has tests of its own.
    storeGeneral([](GeneralSettings &g) {
        g.Ask = false;
        g.KeepDeletedDays = 0;
    });
    addSubjectRule("viagra");
    start();
    window->btListClick();
    ASSERT_EQ(window->messages.markedCount(), 1);

    window->btDeleteClick();

    ASSERT_EQ(rows(), 2);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], "warning: The server answered that it deleted these messages, but it still holds "
                                "them:\nVIAGRA deal\nThe activity log lists them as deleted; they are not counted as "
                                "deleted spam.");
    EXPECT_EQ(logCount("DELETE SPAM on "), 1);
    EXPECT_EQ(logCount("ERROR The server accepted the deletion of 1 message(s) but still holds them FOR ann ON "), 1);
    EXPECT_EQ(readGeneralSettings().Count, "0");
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
