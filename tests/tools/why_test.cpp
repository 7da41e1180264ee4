#include "fixtures/temp_home.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace tw;

namespace {

struct WhyRun {
    int status = -1;
    std::string out, err;
};

WhyRun runWhy(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(TIDEWELL_WHY_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    WhyRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

class WhyToolTest : public ::testing::Test {
protected:
    test::TempHome home;
    void SetUp() override
    {
        SpamSettingsModel model;
        model.readSettings();
        RuleTable &subject = model.rules.subject;
        subject.setCell(col::What, 1, "Contains");
        subject.setCell(col::Matches, 1, "viagra");
        subject.setCell(col::Case, 1, "No");
        subject.setCell(col::Delete, 1, "Yes");
        subject.setCell(col::Hits, 1, "0");
        model.tests.cbValid = false; // no DNS in the tests
        model.Savesettings();
    }
};

const QByteArray kSpam = "From: \"Spam King\" <king@spam.example>\r\nSubject: Cheap VIAGRA now\r\n\r\nbody is not read\r\n";

TEST_F(WhyToolTest, ExplainsAMarkFromStandardInputAndChangesNoFile)
{
    const std::string before = home.read("subj.lst");
    const WhyRun run = runWhy({"--size", "500", "-"}, kSpam);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Message from king@spam.example"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Delete   :  Subject Contains \"viagra\" "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nMark: 0\n"), std::string::npos) << run.out;
    EXPECT_EQ(home.read("subj.lst"), before); // hit counts untouched
}

TEST_F(WhyToolTest, AnOrdinaryMessageHasNoMark)
{
    home.write("mail.txt", "From: ann@example.org\nSubject: Lunch\n\n");
    const WhyRun run = runWhy({QString::fromStdString(home.file("mail.txt"))});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Mark: -1"), std::string::npos) << run.out;
}

TEST_F(WhyToolTest, BadArgumentsAndMissingFilesExitWithTwo)
{
    for (const QStringList &arguments : {QStringList{"--size", "x", "-"}, QStringList{},
                                         QStringList{"/nonexistent/header.txt"}, QStringList{"--mark", "15", "-"}}) {
        const WhyRun run = runWhy(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.empty());
    }
}

} // namespace
