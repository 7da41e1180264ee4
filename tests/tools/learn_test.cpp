#include "classify/learned_fixture.h"
#include "fixtures/temp_home.h"
#include "fixtures/tool_run.h"
#include "platform/singleinstance.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

ToolRun runLearn(const QStringList &arguments) { return runTool(QStringLiteral(TIDEWELL_LEARN_PATH), arguments); }

class LearnToolTest : public ::testing::Test {
protected:
    TempHome home;

    // Count messages of one kind as files "<kind>/<n>.eml", whole messages with a body.
    QStringList writeMessages(const std::string &kind, int count)
    {
        QDir().mkpath(QString::fromStdString(home.file(kind)));
        QStringList files;
        for (int n = 0; n < count; ++n) {
            const TmsHeaders headers = kind == "spam" ? spamHeaders(n) : hamHeaders(n);
            const std::string name = kind + "/" + std::to_string(n) + ".eml";
            home.write(name, headers.Text() + "\r\nThe body is never read.\r\n");
            files << QString::fromStdString(home.file(name));
        }
        return files;
    }
    QString file(const std::string &name) const { return QString::fromStdString(home.file(name)); }
};

} // namespace

TEST_F(LearnToolTest, TrainsScoresAndCountsOnTheProgramsStore)
{
    const QStringList spam = writeMessages("spam", 50), ham = writeMessages("ham", 50);
    ToolRun run = runLearn(QStringList{"--spam"} + spam + QStringList{"--ham"} + ham);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Read 50 message(s): 50 trained as junk.\nRead 50 message(s): 50 trained as ordinary mail.\n");
    EXPECT_TRUE(home.read("learned.dat").starts_with("Tidewell learned score 1\nmessages 50 50\n"));

    home.write("new-spam.eml", spamHeaders(900).Text());
    home.write("new-ham.eml", hamHeaders(900).Text() + "\r\nbody\r\n");
    run = runLearn({"--score", file("new-spam.eml"), file("new-ham.eml"), "--stats"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("1.000\t" + home.file("new-spam.eml") + "\n0.000\t" + home.file("new-ham.eml") +
                                    "\nJunk trained: 50\nOrdinary mail trained: 50\nTokens: "))
        << run.out;
    EXPECT_TRUE(run.out.ends_with("\nIn use: yes\n")) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST_F(LearnToolTest, AMessageCountsOnceAndMovesWhenTrainedTheOtherWay)
{
    const QStringList spam = writeMessages("spam", 3);
    ASSERT_EQ(runLearn(QStringList{"--spam"} + spam).status, 0);
    ToolRun run = runLearn(QStringList{"--spam"} + spam);
    EXPECT_EQ(run.out, "Read 3 message(s): 0 trained as junk, 3 trained as junk before.\n");
    // A folder is read too; the first message is now said to be ordinary mail.
    run = runLearn({"--ham", spam.front(), "--stats"});
    EXPECT_TRUE(run.out.starts_with("Read 1 message(s): 0 trained as ordinary mail, 1 moved from junk.\n"
                                    "Junk trained: 2\nOrdinary mail trained: 1\nTokens: "))
        << run.out;
    EXPECT_TRUE(run.out.ends_with("\nIn use: no, 50 of each are needed\n")) << run.out;
    run = runLearn({"--spam", file("spam"), "--stats"});
    EXPECT_NE(
        run.out.find("Read 3 message(s): 0 trained as junk, 1 moved from ordinary mail, 2 trained as junk before."),
        std::string::npos)
        << run.out;
}

TEST_F(LearnToolTest, MistakesAndUnreadableFilesAreReported)
{
    for (const QStringList &arguments : {QStringList{}, QStringList{"--spam"}, QStringList{"--spam", "--ham", "x"},
                                         QStringList{"x.eml"}, QStringList{"--bogus", "x"}}) {
        const ToolRun run = runLearn(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(run.err.find("usage: tidewell-learn"), std::string::npos);
    }
    const QStringList spam = writeMessages("spam", 1);
    const ToolRun run = runLearn({"--spam", file("missing.eml"), spam.front(), "--score", file("missing.eml")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.eml: There is no file or folder"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("cannot read " + home.file("missing.eml")), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "Read 1 message(s): 1 trained as junk.\n") << "the readable file is trained";
}

TEST_F(LearnToolTest, OnlyTrainingSetsADamagedStoreAside)
{
    home.write("learned.dat", "Tidewell learned score 1\ngarbage\n");
    const QStringList spam = writeMessages("spam", 1);
    ToolRun run = runLearn({"--score", spam.front()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0.500\t" + spam.front().toStdString() + "\n");
    EXPECT_NE(run.err.find("cannot be used"), std::string::npos) << run.err;
    EXPECT_EQ(home.read("learned.dat"), "Tidewell learned score 1\ngarbage\n") << "scoring changes no file";

    run = runLearn({"--spam", spam.front()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("is damaged"), std::string::npos) << run.err;
    EXPECT_EQ(home.read("learned.dat.damaged"), "Tidewell learned score 1\ngarbage\n");
    EXPECT_TRUE(home.read("learned.dat").starts_with("Tidewell learned score 1\nmessages 1 0\n"));
}

TEST_F(LearnToolTest, TrainingIsRefusedWhileTidewellRuns)
{
    // This test process owns the program folder, as the running program would.
    TFirstInstance running(home.path());
    ASSERT_EQ(running.claim(), TFirstInstance::Claim::Owned);
    const QStringList spam = writeMessages("spam", 1);
    const ToolRun refused = runLearn({"--spam", spam.front()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Tidewell is running"), std::string::npos) << refused.err;
    EXPECT_EQ(home.read("learned.dat"), "");
    EXPECT_EQ(runLearn({"--stats"}).status, 0) << "asking is fine";
}
