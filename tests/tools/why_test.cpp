#include "fixtures/temp_home.h"
#include "fixtures/tool_run.h"
#include "platform/registry.h"
#include "settings/dns_setting.h"
#include "settings/settings_schema.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"

#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace tw;

namespace {

ToolRun runWhy(const QStringList &arguments, const QByteArray &input = {})
{
    return runTool(QStringLiteral(TIDEWELL_WHY_PATH), arguments, input);
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
    const ToolRun run = runWhy({"--size", "500", "-"}, kSpam);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Message from king@spam.example"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Delete   :  Subject Contains \"viagra\" "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nMark: 0\n"), std::string::npos) << run.out;
    EXPECT_EQ(home.read("subj.lst"), before); // hit counts untouched
}

TEST_F(WhyToolTest, AnOrdinaryMessageHasNoMark)
{
    home.write("mail.txt", "From: ann@example.org\nSubject: Lunch\n\n");
    const ToolRun run = runWhy({QString::fromStdString(home.file("mail.txt"))});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Mark: -1"), std::string::npos) << run.out;
}

TEST_F(WhyToolTest, ARawEightBitSubjectIsReadInItsDeclaredCharset)
{
    SpamSettingsModel model;
    model.readSettings();
    RuleTable &subject = model.rules.subject;
    const int row = subject.rowForNewRule();
    subject.setCell(col::What, row, "Contains");
    subject.setCell(col::Matches, row, "\uad11\uace0"); // "advertisement", typed in UTF-8
    subject.setCell(col::Case, row, "No");
    subject.setCell(col::Delete, row, "Yes");
    subject.setCell(col::Hits, row, "0");
    model.Savesettings();
    const QByteArray korean = "From: ad@spam.example\r\nSubject: [\xB1\xA4\xB0\xED] sale\r\n"
                              "Content-Type: text/plain; charset=euc-kr\r\n\r\n";
    const ToolRun run = runWhy({"-"}, korean);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Subject of   [\uad11\uace0] sale"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Delete   :  Subject Contains \"\uad11\uace0\" "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nMark: 0\n"), std::string::npos) << run.out;
}

TEST_F(WhyToolTest, HelpNamesTheSettingsItReads)
{
    const ToolRun run = runWhy({"--help"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char *part : {"usage: tidewell-why", "Security<n>", "SignIn<n>", "TokenCommand<n>", "OAuthClientId<n>",
                             "OAuthRefreshToken<n>", "Encrypted<n>", "PlainText<n>", "Protocol<n>", "Folder<n>",
                             "ImapDelete<n>", "PasswordStore"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part;
}

TEST_F(WhyToolTest, BadArgumentsAndMissingFilesExitWithTwo)
{
    for (const QStringList &arguments : {QStringList{"--size", "x", "-"}, QStringList{},
                                         QStringList{"/nonexistent/header.txt"}, QStringList{"--mark", "15", "-"}}) {
        const ToolRun run = runWhy(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.empty());
    }
}

// A DNS server that never answers is given up after the first query's two
// short tries, as a check gives it up, and the explanation still comes: it
// does not wait a resolver's full time-out per lookup (a run that has not
// ended after 20 s fails).
TEST_F(WhyToolTest, ADnsServerThatNeverAnswersIsGivenUpAndTheExplanationComes)
{
    QUdpSocket silent; // bound, never read: every query goes unanswered
    ASSERT_TRUE(silent.bind(QHostAddress::LocalHost, 0));
    SpamSettingsModel model;
    model.readSettings();
    model.tests.cbValid = true;
    model.Savesettings();
    Registry().writeString(std::string(kMainKey) + "\\General", kDnsServerName,
                           "127.0.0.1:" + std::to_string(silent.localPort()));
    const ToolRun run = runWhy({"-"}, "From: ann@lunch.example\r\nSubject: Lunch\r\n\r\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(silent.hasPendingDatagrams()); // the sender's domain was asked about
    EXPECT_NE(run.out.find("Mark: -1"), std::string::npos) << run.out; // nobody condemned for the silence
}

} // namespace

namespace {

// The companions explain, train and show from files alone: none of them can
// even reach the desktop keyring or the message bus it answers on.
TEST(CompanionTools, NoneLinksTheKeyringOrTheMessageBus)
{
    for (const char *tool : {TIDEWELL_WHY_PATH, TIDEWELL_LEARN_PATH, TIDEWELL_SHOW_PATH}) {
        const ToolRun run = runTool(QStringLiteral("readelf"), {"--dynamic", QString::fromUtf8(tool)});
        ASSERT_EQ(run.status, 0) << tool << run.err;
        EXPECT_NE(run.out.find("(NEEDED)"), std::string::npos) << tool;
        for (const char *library : {"keychain", "dbus", "DBus", "secret"})
            EXPECT_EQ(run.out.find(library), std::string::npos) << tool << " links " << library;
    }
}

} // namespace
