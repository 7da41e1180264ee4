#include "classify/learning_decisions.h"
#include "classify_fixture.h"
#include "fixtures/temp_home.h"
#include "learned_fixture.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

struct LearnedWorld : ClassifyWorld {
    TempHome home;
    LearnedFilter filter{home.file(kLearnedStoreFile)};

    LearnedWorld()
    {
        classifier.setLearnedFilter(&filter);
        trainBoth(filter, int(kLearnedMinimumTrained));
    }
    int add(const TmsHeaders &headers) { return addMessage(headers.Text()); }
};

std::string joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST(LearnedStage, MarksWhatNoRuleCaughtWithTheChosenMark)
{
    LearnedWorld w;
    const int spam = w.add(spamHeaders(900, "Fresh offer for you"));
    const int ham = w.add(hamHeaders(900, "Notes of the project meeting"));
    w.classifier.MarkForDeletion(-1);
    EXPECT_EQ(w.mark(spam), mark::QuestionMark) << "a question mark unless the user chose otherwise";
    EXPECT_EQ(w.mark(ham), mark::None);

    w.settings.rbLearnedCheck = true;
    EXPECT_TRUE(w.classifier.btRemarkClick());
    EXPECT_EQ(w.mark(spam), mark::CheckMark);

    w.settings.cbLearned = false;
    w.classifier.btRemarkClick();
    EXPECT_EQ(w.mark(spam), mark::None) << "switched off";
}

TEST(LearnedStage, DoesNothingUntilFiftyOfEachAreTrained)
{
    ClassifyWorld w;
    TempHome home;
    LearnedFilter filter(home.file(kLearnedStoreFile));
    w.classifier.setLearnedFilter(&filter);
    trainBoth(filter, int(kLearnedMinimumTrained) - 1);
    const int spam = w.addMessage(spamHeaders(900).Text());
    w.classifier.MarkForDeletion(-1);
    EXPECT_EQ(w.mark(spam), mark::None);
    // The score took no part, so the explanation is the plain one.
    const std::vector<std::string> why = w.classifier.explain(spam);
    ASSERT_EQ(why.size(), 4u);
    EXPECT_EQ(why[3], "Message was neither on the exception list nor on the list of matching criteria");
}

TEST(LearnedStage, RulesComeFirstAndAnExceptionAlwaysWins)
{
    LearnedWorld w;
    w.settings.rbLearnedCheck = true;
    w.subjectRule("Contains", "maybe", false); // a question mark
    w.exceptionRule("E-mail address", "Equals", "offers901@");
    const int questioned = w.add(spamHeaders(900, "Cheap pills maybe"));
    const int excepted = w.add(spamHeaders(901));
    std::vector<int> exceptedRows;
    w.classifier.OnExcepted = [&](int row) { exceptedRows.push_back(row); };

    w.classifier.MarkForDeletion(-1);
    EXPECT_EQ(w.mark(questioned), mark::QuestionMark) << "the rule's question mark is not raised to a check mark";
    EXPECT_EQ(w.mark(excepted), mark::DefaultException);
    EXPECT_EQ(exceptedRows, std::vector<int>{excepted});

    const std::vector<std::string> why = w.classifier.explain(excepted);
    EXPECT_EQ(why.size(), 4u) << "only the exception line: " << joined(why);
    EXPECT_EQ(exceptedRows, std::vector<int>{excepted}) << "explaining trains nothing";
    const std::string questionedWhy = joined(w.classifier.explain(questioned));
    EXPECT_NE(questionedWhy.find(", not used: the message is marked already\n"), std::string::npos) << questionedWhy;
}

TEST(LearnedStage, TheExplanationShowsTheScoreAndTheStrongestCluesEachWay)
{
    LearnedWorld w;
    const int spam = w.add(spamHeaders(900, "Fresh offer for you"));
    const std::vector<std::string> why = w.classifier.explain(spam);
    ASSERT_GE(why.size(), 5u) << joined(why);
    EXPECT_TRUE(why[3].starts_with("Question :  Learned score ")) << why[3];
    EXPECT_TRUE(why[3].ends_with(" is at or above the cutoff 0.990")) << why[3];
    EXPECT_EQ(why[4], "    Clues for junk:");
    int junkClues = 0;
    size_t k = 5;
    for (; k < why.size() && why[k].starts_with("        "); ++k, ++junkClues)
        EXPECT_TRUE(why[k].starts_with("        0.9") || why[k].starts_with("        1.0")) << why[k];
    EXPECT_EQ(junkClues, 5);
    ASSERT_LT(k, why.size());
    EXPECT_TRUE(why[k].starts_with("    Clues for ordinary mail:")) << why[k];
    EXPECT_NE(joined(why).find("  from-domain:pills.example\n"), std::string::npos) << joined(why);

    const int ham = w.add(hamHeaders(900, "Notes of the project meeting"));
    const std::string hamWhy = joined(w.classifier.explain(ham));
    const size_t block = hamWhy.find("Message was neither on the exception list nor on the list of matching criteria\n"
                                     "Learned score 0.000, below the cutoff 0.990\n"
                                     "    Clues for junk: none\n"
                                     "    Clues for ordinary mail:\n");
    ASSERT_NE(block, std::string::npos) << hamWhy;
    int hamClues = 0;
    const std::string clueLine = "\n        0.0";
    for (size_t at = hamWhy.find(clueLine, block); at != std::string::npos; at = hamWhy.find(clueLine, at + 1))
        ++hamClues;
    EXPECT_EQ(hamClues, 5) << hamWhy;
}

TEST(LearnedStage, TheCutoffIsReadWithADecimalPointAndKeptInRange)
{
    const std::vector<std::pair<std::string, double>> cases = {
        {"0.95", 0.95}, {" 0.9 ", 0.9}, {"1", 1.0},    {"1.5", 1.0},
        {"0.2", 0.5},   {"0,95", 0.99}, {"", 0.99}, {"nan", 0.99}};
    for (const auto &[text, value] : cases) {
        SpamTestSettings settings;
        settings.edLearnedCutoff = text;
        EXPECT_DOUBLE_EQ(learnedCutoff(settings), value) << "\"" << text << "\"";
    }
    EXPECT_EQ(scoreText(0.98765), "0.988");
    EXPECT_EQ(scoreText(1), "1.000");
}

namespace {

// Three listed messages of one mailbox with the user's marks on them.
struct ListedWorld : LearnedWorld {
    DecisionLearner learner{filter};
    ListedWorld()
    {
        learner.setListedMailbox("pop.example", "ann");
        add(spamHeaders(700)); // 0: deleted
        add(hamHeaders(701));  // 1: unmarked by the user
        add(hamHeaders(702));  // 2: left alone, no mark
        add(spamHeaders(703)); // 3: question mark, left alone
        messages.row(0).mark = mark::CheckMark;
        messages.row(1).mark = mark::CheckMark;
        messages.row(1).selected = true;
        messages.btMarkClick();
        messages.row(1).selected = false;
        messages.row(3).mark = mark::QuestionMark;
    }
    std::optional<TrainedAs> as(int row) const { return filter.trainedAs(info.Items(row).Headers, "ann@pop.example"); }
};

} // namespace

TEST(LearningDecisions, TheUsersDeletionRunTeachesSpamAndOrdinaryMail)
{
    ListedWorld w;
    const std::uint32_t spamBefore = w.filter.spamTrained(), hamBefore = w.filter.hamTrained();
    const DecisionLearner::Taught taught = w.learner.listLeft(w.messages, w.info, {0}, true);
    EXPECT_EQ(taught.spam, 1);
    EXPECT_EQ(taught.ham, 1);
    EXPECT_EQ(taught.waiting, 1);
    EXPECT_EQ(w.as(0), TrainedAs::Spam);
    EXPECT_EQ(w.as(1), TrainedAs::Ham);
    EXPECT_FALSE(w.as(2).has_value()) << "not yet: only once a later check still finds it";
    EXPECT_FALSE(w.as(3).has_value()) << "a question mark the user left is no decision";
    EXPECT_EQ(w.filter.spamTrained(), spamBefore + 1);
    EXPECT_EQ(w.filter.hamTrained(), hamBefore + 1);

    // The next check lists the messages still there, with the same letters in other case.
    TmsRemoteInfo later;
    later.Add().Headers = w.info.Items(2).Headers;
    later.Add().Headers = w.info.Items(3).Headers;
    w.learner.setListedMailbox("POP.example", "Ann");
    EXPECT_EQ(w.learner.listed(later), 1);
    EXPECT_EQ(w.as(2), TrainedAs::Ham);
}

TEST(LearningDecisions, AnAutomaticPassThatDeletesTrainsNothing)
{
    ListedWorld w;
    const std::uint32_t spamBefore = w.filter.spamTrained();
    const DecisionLearner::Taught taught = w.learner.listLeft(w.messages, w.info, {0}, false);
    EXPECT_EQ(taught.spam, 0);
    EXPECT_EQ(taught.waiting, 0);
    EXPECT_FALSE(w.as(0).has_value());
    EXPECT_FALSE(w.as(2).has_value());
    EXPECT_EQ(w.filter.spamTrained(), spamBefore);
    // What the user decided before the pass still counts.
    EXPECT_EQ(taught.ham, 1);
    EXPECT_EQ(w.learner.listed(w.info), 0) << "nothing was left waiting";
}

TEST(LearningDecisions, AMarkTheUserGaveBackIsNoDecision)
{
    ListedWorld w;
    w.messages.row(1).selected = true;
    w.messages.btMarkClick(); // marked again
    const DecisionLearner::Taught taught = w.learner.listLeft(w.messages, w.info, {}, false);
    EXPECT_EQ(taught.ham, 0);
    EXPECT_FALSE(w.as(1).has_value());
}

TEST(LearningDecisions, ExceptionsJunkNotJunkAndRestoredCopies)
{
    ListedWorld w;
    w.learner.excepted(w.info.Items(2).Headers);
    EXPECT_EQ(w.as(2), TrainedAs::Ham);
    w.learner.excepted(w.info.Items(2).Headers);
    EXPECT_EQ(w.learner.userSays(w.info.Items(2).Headers, TrainedAs::Ham), TrainOutcome::AlreadyTrained)
        << "an exception met at every classification counts once";

    EXPECT_EQ(w.learner.userSays(w.info.Items(3).Headers, TrainedAs::Spam), TrainOutcome::Trained);
    EXPECT_EQ(w.learner.userSays(w.info.Items(3).Headers, TrainedAs::Ham), TrainOutcome::Moved);

    // Deleted by the user, then restored from the kept copies.
    w.learner.listLeft(w.messages, w.info, {0}, true);
    ASSERT_EQ(w.as(0), TrainedAs::Spam);
    EXPECT_EQ(w.learner.restoredFromKeptCopies(w.info.Items(0).Headers, "POP.EXAMPLE", "ann"), TrainOutcome::Moved);
    EXPECT_EQ(w.as(0), TrainedAs::Ham);
}
