// The main window teaching the learned score from what the user decides,
// and the score marking in a real check, against a Dovecot mailbox.

#include "classify/learned_fixture.h"
#include "dialog_driver.h"
#include "keep/ui/deleted_mail_model.h"
#include "keep/ui/deleted_mail_window.h"
#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"
#include "settings/settings_store.h"

#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace tw;
using namespace tw::test;

namespace {

class LearningTest : public MainWindowTest {
protected:
    std::unique_ptr<DovecotServer> server;

    // Serves Mailbox, starts the window and checks it once.
    void checkMailbox(const std::vector<std::string> &mailbox, const std::function<void(GeneralSettings &)> &edit = {})
    {
        server = std::make_unique<DovecotServer>(mailbox);
        ASSERT_TRUE(server->started()) << server->failure();
        storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
        storeGeneral(edit);
        addSubjectRule("viagra");
        start();
        window->btListClick();
        ASSERT_EQ(rows(), int(mailbox.size()));
    }
    // The store as another reader finds it on disk.
    LearnedFilter saved() const
    {
        LearnedFilter filter(home.file(kLearnedStoreFile));
        filter.load();
        return filter;
    }
    const TmsHeaders &headersOf(int row) const { return window->msRemotePOP1.RemoteInfo().Items(row).Headers; }
    std::string mailbox() const { return DovecotServer::UserName + std::string("@") + server->hostAndPort(); }
};

const std::vector<std::string> kThree = {message("Minutes of the meeting", "ann@example.org"),
                                         message("Win a VIAGRA cruise", "king@spam.example"),
                                         message("VIAGRA again", "queen@spam.example")};

} // namespace

TEST_F(LearningTest, TheUsersDeletionTeachesSpamAndALaterCheckTheMailLeftAlone)
{
    checkMailbox(kThree);
    const TmsHeaders minutes = headersOf(0), cruise = headersOf(1);
    prompts.yesNoAnswers = {true};
    window->btDelete->click();
    ASSERT_EQ(server->messagesLeft().size(), 1u);
    LearnedFilter afterDeletion = saved();
    EXPECT_EQ(afterDeletion.spamTrained(), 2u);
    EXPECT_EQ(afterDeletion.trainedAs(cruise, mailbox()), TrainedAs::Spam);
    EXPECT_EQ(afterDeletion.hamTrained(), 0u) << "the list after the deletion is no later check";

    window->btListClick();
    ASSERT_EQ(rows(), 1);
    LearnedFilter afterCheck = saved();
    EXPECT_EQ(afterCheck.hamTrained(), 1u);
    EXPECT_EQ(afterCheck.trainedAs(minutes, mailbox()), TrainedAs::Ham);
    window->btListClick();
    EXPECT_EQ(saved().hamTrained(), 1u) << "counted once";
}

TEST_F(LearningTest, AMessageTakenBackFromDeletedMailIsUnlearnedAsSpam)
{
    checkMailbox(kThree);
    const TmsHeaders cruise = headersOf(1);
    prompts.yesNoAnswers = {true};
    window->btDelete->click();
    ASSERT_EQ(saved().trainedAs(cruise, mailbox()), TrainedAs::Spam);

    // Handed to the desktop's mail program from the kept copies.
    onNextDialog<TfrmDeletedMail>([&](TfrmDeletedMail &shown) {
        const int row = shown.model()->rowCount() - 1; // newest first: the cruise was deleted first
        shown.lvDeleted->selectRow(row);
        ASSERT_EQ(shown.selectedMessages().size(), 1u);
        ASSERT_EQ(shown.selectedMessages().front().subject, "Win a VIAGRA cruise");
        shown.btOpen->click();
        shown.btClose->click();
    });
    window->DeletedMail1->trigger();
    ASSERT_EQ(shell.calls.size(), 1u);
    const LearnedFilter after = saved();
    EXPECT_EQ(after.trainedAs(cruise, mailbox()), TrainedAs::Ham);
    EXPECT_EQ(after.spamTrained(), 1u);
    EXPECT_EQ(after.hamTrained(), 1u);
}

TEST_F(LearningTest, AnAutomaticPassThatDeletesTrainsNothing)
{
    server = std::make_unique<DovecotServer>(kThree);
    ASSERT_TRUE(server->started()) << server->failure();
    storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral([](GeneralSettings &g) {
        g.Automatic = true;
        g.Kill = true;
        g.Minutes = 0;
        g.SysTray = true;
    });
    addSubjectRule("viagra");
    start();
    window->trayIcon->hideProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
    window->tmCheckForMailTimer();
    ASSERT_EQ(server->messagesLeft().size(), 1u) << "the pass deleted the spam";
    EXPECT_EQ(window->learnedFilter.spamTrained(), 0u);
    EXPECT_EQ(window->learnedFilter.hamTrained(), 0u);
    EXPECT_EQ(home.read(kLearnedStoreFile), "") << "nothing to save";
}

TEST_F(LearningTest, ExceptionsAndMarksTheUserTookAwayTeachOrdinaryMail)
{
    {
        SpamSettingsModel model;
        model.readSettings();
        const int row = model.rules.exceptions.rowForNewRule();
        model.rules.exceptions.setCell(0, row, "E-mail address");
        model.rules.exceptions.setCell(1, row, "Equals");
        model.rules.exceptions.setCell(2, row, "ann@example.org");
        model.Savesettings();
    }
    checkMailbox(kThree);
    EXPECT_EQ(window->messages.row(0).mark, mark::DefaultException);
    EXPECT_EQ(saved().trainedAs(headersOf(0), mailbox()), TrainedAs::Ham);
    EXPECT_EQ(saved().hamTrained(), 1u) << "classified twice, counted once";

    const TmsHeaders cruise = headersOf(1);
    selectRows({1});
    window->btMarkClick();
    ASSERT_EQ(window->messages.row(1).mark, mark::None);
    EXPECT_FALSE(saved().trainedAs(cruise, mailbox()).has_value()) << "decided only when the list is left";
    window->btListClick();
    EXPECT_EQ(saved().trainedAs(cruise, mailbox()), TrainedAs::Ham);
}

TEST_F(LearningTest, JunkAndNotJunkTrainOneWayOrTheOtherAndTheMarkFollows)
{
    checkMailbox(kThree);
    selectRows({0});
    window->Junk1->trigger();
    EXPECT_EQ(window->messages.row(0).mark, mark::CheckMark);
    EXPECT_EQ(window->status(), "1 message(s) trained as junk");
    EXPECT_EQ(saved().trainedAs(headersOf(0), mailbox()), TrainedAs::Spam);

    selectRows({0, 2});
    window->NotJunk1->trigger();
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
    EXPECT_EQ(window->messages.row(2).mark, mark::None);
    EXPECT_EQ(window->status(), "2 message(s) trained as ordinary mail");
    const LearnedFilter after = saved();
    EXPECT_EQ(after.trainedAs(headersOf(0), mailbox()), TrainedAs::Ham) << "moved";
    EXPECT_EQ(after.spamTrained(), 0u);
    EXPECT_EQ(after.hamTrained(), 2u);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(LearningTest, ATrainedScoreMarksWhatNoRuleCatchesAndWhyExplainsIt)
{
    {
        LearnedFilter trained(home.file(kLearnedStoreFile));
        trainBoth(trained, int(kLearnedMinimumTrained));
        ASSERT_TRUE(trained.save());
    }
    checkMailbox({hamHeaders(900).Text() + "\r\nSee you there.\r\n",
                  spamHeaders(900, "Fresh offer for you").Text() + "\r\nBuy now.\r\n"});
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
    EXPECT_EQ(window->messages.row(1).mark, mark::QuestionMark);
    EXPECT_EQ(window->messages.markedCount(), 0) << "a question mark is never deleted";

    const std::vector<std::string> why = window->explain(1);
    ASSERT_GE(why.size(), 5u);
    EXPECT_TRUE(why[3].starts_with("Question :  Learned score ")) << why[3];
    EXPECT_EQ(why[4], "    Clues for junk:");
}

TEST_F(LearningTest, ADamagedStoreIsReportedAtStartAndKeptAside)
{
    home.write(kLearnedStoreFile, "Tidewell learned score 1\nbroken\n");
    storeGeneral();
    start();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].starts_with("warning: The learned score's store ")) << prompts.shown[0];
    EXPECT_EQ(home.read(std::string(kLearnedStoreFile) + ".damaged"), "Tidewell learned score 1\nbroken\n");
}
