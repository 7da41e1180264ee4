#include "classify/header_tokens.h"
#include "fixtures/temp_home.h"
#include "learned_fixture.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

TEST(LearnedFilter, ScoresNewMessagesByWhatItWasTrained)
{
    TempHome home;
    LearnedFilter filter(home.file(kLearnedStoreFile));
    EXPECT_DOUBLE_EQ(filter.score(spamHeaders(1)), 0.5) << "nothing trained: unsure";
    trainBoth(filter, 10);
    EXPECT_GT(filter.score(spamHeaders(500, "Cheap watches for you")), 0.99);
    EXPECT_LT(filter.score(hamHeaders(500, "Agenda of the project meeting")), 0.01);
    // A message with nothing known about it stays in the unsure middle.
    EXPECT_DOUBLE_EQ(filter.score(headerBlock("X-Nothing: known")), 0.5);
}

TEST(LearnedFilter, EachMessageCountsOnceAndACorrectionMovesIt)
{
    TempHome home;
    LearnedFilter filter(home.file(kLearnedStoreFile));
    const TmsHeaders message = spamHeaders(7);

    EXPECT_EQ(filter.train(message, TrainedAs::Spam, "ann@pop.example"), TrainOutcome::Trained);
    EXPECT_EQ(filter.train(message, TrainedAs::Spam, "ann@pop.example"), TrainOutcome::AlreadyTrained);
    EXPECT_EQ(filter.train(message, TrainedAs::Spam, "ANN@POP.EXAMPLE"), TrainOutcome::AlreadyTrained)
        << "the mailbox's letter case does not matter";
    // A server that notes in the header block that a message was read does not make it another message.
    TmsHeaders read = message;
    read.Add("Status: RO");
    EXPECT_EQ(filter.train(read, TrainedAs::Spam, "ann@pop.example"), TrainOutcome::AlreadyTrained);
    EXPECT_EQ(filter.spamTrained(), 1u);
    EXPECT_EQ(filter.hamTrained(), 0u);
    const size_t tokens = filter.tokenCount();

    EXPECT_EQ(filter.train(message, TrainedAs::Ham, "ann@pop.example"), TrainOutcome::Moved);
    EXPECT_EQ(filter.spamTrained(), 0u);
    EXPECT_EQ(filter.hamTrained(), 1u);
    EXPECT_EQ(filter.tokenCount(), tokens) << "the same tokens, now counted as ordinary mail";
    EXPECT_EQ(filter.trainedAs(message, "ann@pop.example"), TrainedAs::Ham);
    EXPECT_EQ(filter.train(message, TrainedAs::Ham, "ann@pop.example"), TrainOutcome::AlreadyTrained);

    // The same message listed from another mailbox is another message there.
    EXPECT_EQ(filter.train(message, TrainedAs::Spam, "bob@pop.example"), TrainOutcome::Trained);
    EXPECT_EQ(filter.spamTrained(), 1u);
}

TEST(LearnedFilter, MovingAMessageLeavesTheCountsAsIfItHadBeenTrainedRightAway)
{
    TempHome home;
    LearnedFilter moved(home.file("a.dat")), direct(home.file("b.dat"));
    trainBoth(moved, 5);
    trainBoth(direct, 5);
    const TmsHeaders message = hamHeaders(99, "Cheap pills for the project");
    moved.train(message, TrainedAs::Spam, "");
    moved.train(message, TrainedAs::Ham, "");
    direct.train(message, TrainedAs::Ham, "");
    EXPECT_EQ(moved.spamTrained(), direct.spamTrained());
    EXPECT_EQ(moved.hamTrained(), direct.hamTrained());
    EXPECT_DOUBLE_EQ(moved.score(spamHeaders(300)), direct.score(spamHeaders(300)));
    EXPECT_DOUBLE_EQ(moved.score(hamHeaders(300)), direct.score(hamHeaders(300)));
}

TEST(LearnedFilter, ActsOnlyOnceFiftyOfEachAreTrained)
{
    TempHome home;
    LearnedFilter filter(home.file(kLearnedStoreFile));
    trainBoth(filter, 49);
    filter.train(spamHeaders(49), TrainedAs::Spam, "");
    EXPECT_FALSE(filter.ready());
    filter.train(hamHeaders(49), TrainedAs::Ham, "");
    EXPECT_TRUE(filter.ready());
}

TEST(LearnedFilter, TheExplanationNamesTheStrongestCluesEachWay)
{
    TempHome home;
    LearnedFilter filter(home.file(kLearnedStoreFile));
    trainBoth(filter, 10);
    // Mostly spam, with the colleague's address in it.
    const TmsHeaders mixed = headerBlock("From: Best Offers <offers3@pills.example>\r\n"
                                         "Subject: Cheap pills for you\r\n"
                                         "To: me@home.example\r\nX-Mailer: Mass Sender 3.1");
    const ScoreExplanation explanation = filter.explain(mixed);
    EXPECT_DOUBLE_EQ(explanation.score, filter.score(mixed));
    ASSERT_EQ(explanation.spamClues.size(), 5u);
    ASSERT_FALSE(explanation.hamClues.empty());
    EXPECT_LE(explanation.hamClues.size(), 5u);
    const std::vector<std::string> tokens = headerTokens(mixed);
    for (size_t i = 0; i < explanation.spamClues.size(); ++i) {
        EXPECT_GT(explanation.spamClues[i].probability, 0.5);
        EXPECT_TRUE(std::binary_search(tokens.begin(), tokens.end(), explanation.spamClues[i].token));
        if (i > 0) {
            EXPECT_GE(explanation.spamClues[i - 1].probability, explanation.spamClues[i].probability);
        }
    }
    // The colleague's mail went to the user's own address.
    EXPECT_TRUE(explanation.hamClues.front().token.starts_with("to-")) << explanation.hamClues.front().token;
    EXPECT_LT(explanation.hamClues.front().probability, 0.5);
}

TEST(LearnedFilter, MessagesLeftAloneBecomeOrdinaryMailWhenALaterCheckStillFindsThem)
{
    TempHome home;
    LearnedFilter filter(home.file(kLearnedStoreFile));
    const TmsHeaders kept = hamHeaders(1), fetched = hamHeaders(2), other = hamHeaders(3);
    filter.rememberLeftAlone(kept, "ann@pop.example");
    filter.rememberLeftAlone(fetched, "ann@pop.example");
    filter.rememberLeftAlone(other, "bob@pop.example");

    // Another mailbox's listing settles nothing of Ann's.
    EXPECT_EQ(filter.confirmLeftAlone("bob@pop.example", {&kept}), 0);
    // Ann's mail program took the second message meanwhile.
    EXPECT_EQ(filter.confirmLeftAlone("ann@pop.example", {&kept, &other}), 1);
    EXPECT_EQ(filter.trainedAs(kept, "ann@pop.example"), TrainedAs::Ham);
    EXPECT_FALSE(filter.trainedAs(fetched, "ann@pop.example").has_value());
    EXPECT_EQ(filter.hamTrained(), 1u);
    // Settled once: a still later check trains nothing more.
    EXPECT_EQ(filter.confirmLeftAlone("ann@pop.example", {&kept, &fetched}), 0);
    EXPECT_EQ(filter.hamTrained(), 1u);
}
