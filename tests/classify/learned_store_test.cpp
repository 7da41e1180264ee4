#include "fixtures/file_faults.h"
#include "fixtures/temp_home.h"
#include "learned_fixture.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

class LearnedStoreTest : public ::testing::Test {
protected:
    TempHome home;
    std::string path = home.file(kLearnedStoreFile);

    // A store with something of everything in it, saved.
    void saveTrainedStore()
    {
        LearnedFilter filter(path);
        trainBoth(filter, 3, 0, "ann@pop.example");
        filter.rememberLeftAlone(hamHeaders(40), "ann@pop.example");
        ASSERT_TRUE(filter.save());
    }
};

} // namespace

TEST_F(LearnedStoreTest, ReadsBackWhatItSaved)
{
    saveTrainedStore();
    LearnedFilter before(path);
    trainBoth(before, 3, 0, "ann@pop.example");
    before.rememberLeftAlone(hamHeaders(40), "ann@pop.example");

    LearnedFilter after(path);
    EXPECT_EQ(after.load(), "");
    EXPECT_EQ(after.spamTrained(), 3u);
    EXPECT_EQ(after.hamTrained(), 3u);
    EXPECT_EQ(after.tokenCount(), before.tokenCount());
    EXPECT_DOUBLE_EQ(after.score(spamHeaders(9)), before.score(spamHeaders(9)));
    EXPECT_EQ(after.train(spamHeaders(1), TrainedAs::Spam, "ann@pop.example"), TrainOutcome::AlreadyTrained);
    const TmsHeaders leftAlone = hamHeaders(40);
    EXPECT_EQ(after.confirmLeftAlone("ann@pop.example", {&leftAlone}), 1);

    const std::string text = home.read(kLearnedStoreFile);
    EXPECT_TRUE(text.starts_with("Tidewell learned score 1\nmessages 3 3\ntokens ")) << text.substr(0, 60);
    EXPECT_TRUE(text.ends_with("\nend\n"));
    EXPECT_EQ(QFile::permissions(QString::fromStdString(path)) & (QFile::ReadGroup | QFile::ReadOther), 0)
        << "written for the user alone";
}

TEST_F(LearnedStoreTest, NothingIsWrittenUntilSomethingIsTrained)
{
    LearnedFilter filter(path);
    EXPECT_EQ(filter.load(), "");
    EXPECT_TRUE(filter.save());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST_F(LearnedStoreTest, AFailedSaveLeavesTheOldStoreWholeAndTriesAgainLater)
{
    saveTrainedStore();
    const std::string before = home.read(kLearnedStoreFile);
    LearnedFilter filter(path);
    filter.load();
    trainBoth(filter, 200, 100);
    std::string why;
    {
        FileSizeLimit full(before.size() + 100);
        EXPECT_FALSE(filter.save(&why));
    }
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(home.read(kLearnedStoreFile), before);
    EXPECT_EQ(countFilesStartingWith(home.path(), std::string(kLearnedStoreFile) + "."), 0) << "no temporary file left";
    EXPECT_TRUE(filter.changed());
    EXPECT_TRUE(filter.save());
    LearnedFilter reread(path);
    reread.load();
    EXPECT_EQ(reread.spamTrained(), 203u);
}

TEST_F(LearnedStoreTest, ADamagedStoreIsReportedAndKeptAsideNeverEmptiedSilently)
{
    saveTrainedStore();
    const std::string whole = home.read(kLearnedStoreFile);
    const std::vector<std::pair<const char *, std::string>> damages = {
        {"cut short", whole.substr(0, whole.size() / 2)},
        {"a broken token line",
         "Tidewell learned score 1\nmessages 1 0\ntokens 1\nx y z token\ntrained 0\npending 0\nend\n"},
        {"not a store at all", "\x89PNG\r\n\x1a\n"},
    };
    for (const auto &[what, damaged] : damages) {
        home.write(kLearnedStoreFile, damaged);
        QFile::remove(QString::fromStdString(path + ".damaged"));
        LearnedFilter filter(path);
        const std::string report = filter.load();
        EXPECT_NE(report.find("is damaged"), std::string::npos) << what << ": " << report;
        EXPECT_NE(report.find(path + ".damaged"), std::string::npos) << what << ": " << report;
        EXPECT_EQ(home.read(std::string(kLearnedStoreFile) + ".damaged"), damaged) << what;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path))) << what;
        EXPECT_EQ(filter.spamTrained() + filter.hamTrained(), 0u) << what;
        // Training goes on into a new store; the damaged one stays as it was.
        EXPECT_EQ(filter.train(spamHeaders(1), TrainedAs::Spam, ""), TrainOutcome::Trained) << what;
        EXPECT_TRUE(filter.save()) << what;
        EXPECT_EQ(home.read(std::string(kLearnedStoreFile) + ".damaged"), damaged) << what;
    }
    // A second damaged store does not replace the first one kept aside.
    home.write(kLearnedStoreFile, "garbage");
    LearnedFilter filter(path);
    EXPECT_NE(filter.load().find(path + ".damaged-2"), std::string::npos);
}

TEST_F(LearnedStoreTest, AStoreItCannotUseIsLeftAloneAndNothingIsTrained)
{
    saveTrainedStore();
    const std::string later = "Tidewell learned score 2\nsomething new\n";
    home.write(kLearnedStoreFile, later);
    LearnedFilter filter(path);
    const std::string report = filter.load();
    EXPECT_NE(report.find("later version"), std::string::npos) << report;
    EXPECT_FALSE(filter.available());
    EXPECT_EQ(filter.train(spamHeaders(1), TrainedAs::Spam, ""), TrainOutcome::NotAvailable);
    EXPECT_TRUE(filter.save());
    EXPECT_EQ(home.read(kLearnedStoreFile), later);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path + ".damaged")));

    // A folder where the file should be.
    QFile::remove(QString::fromStdString(path));
    QDir().mkpath(QString::fromStdString(path));
    LearnedFilter blocked(path);
    EXPECT_NE(blocked.load().find("cannot be used"), std::string::npos);
    EXPECT_EQ(blocked.train(spamHeaders(1), TrainedAs::Spam, ""), TrainOutcome::NotAvailable);
}

TEST_F(LearnedStoreTest, AnUnreadableStoreIsNeverWrittenOver)
{
    saveTrainedStore();
    const std::string before = home.read(kLearnedStoreFile);
    LearnedFilter filter(path);
    {
        WithoutReadAccess unreadable(path);
        EXPECT_NE(filter.load().find("cannot be used"), std::string::npos);
        EXPECT_EQ(filter.train(spamHeaders(1), TrainedAs::Spam, ""), TrainOutcome::NotAvailable);
        EXPECT_TRUE(filter.save());
    }
    EXPECT_EQ(home.read(kLearnedStoreFile), before);
}

TEST(TokenCountsPruning, DropsTheRarelySeenOldTokensFirst)
{
    TokenCounts counts;
    counts.insert("often:old", {5, 0, 100});
    counts.insert("once:old", {1, 0, 100});
    counts.insert("once:new", {0, 1, 200});
    counts.insert("twice:old", {1, 1, 50});
    EXPECT_EQ(counts.prune(2), 2u);
    std::vector<std::string> kept;
    counts.forEach([&](std::string_view token, const TokenCount &) { kept.emplace_back(token); });
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"often:old", "twice:old"}));
    TokenCount count;
    EXPECT_FALSE(counts.find(tokenHash("once:new"), count));
    ASSERT_TRUE(counts.find(tokenHash("often:old"), count));
    EXPECT_EQ(count.spam, 5u);
    EXPECT_EQ(counts.prune(2), 0u) << "within the limit nothing goes";
}

TEST(TokenCountsPruning, AStorePastItsLimitIsSavedAtNineTenthsOfIt)
{
    TempHome home;
    LearnedFilter filter(home.file(kLearnedStoreFile));
    filter.maxTokens = 1000;
    // Every message brings tokens of its own: its number, its address, its id.
    for (int n = 0; n < 400; ++n)
        filter.train(spamHeaders(n), TrainedAs::Spam, "");
    ASSERT_GT(filter.tokenCount(), 1000u);
    ASSERT_TRUE(filter.save());
    LearnedFilter reread(home.file(kLearnedStoreFile));
    reread.load();
    EXPECT_EQ(reread.tokenCount(), 900u);
    EXPECT_EQ(reread.spamTrained(), 400u);
    // What every message has is kept.
    std::vector<std::string> clues;
    for (const Clue &clue : reread.explain(headerBlock("Subject: cheap pills")).spamClues)
        clues.push_back(clue.token);
    EXPECT_NE(std::find(clues.begin(), clues.end(), "subject:cheap"), clues.end());
    EXPECT_NE(std::find(clues.begin(), clues.end(), "subject:pills"), clues.end());
}
