// The demo of `make run`, driven as a user tries it: the demo server and
// program folder, a check that marks the demo spam, the deletion, and the
// check after it.

#include "demo-pop3/demo_home.h"
#include "demo-pop3/pop3_server.h"
#include "main_window_fixture.h"

#include <QDir>
#include <QFile>

#include <map>

using namespace tw;
using namespace tw::test;

namespace {

// What the demo's rules make of each message of the demo mailbox.
const std::map<std::string, int> kDemoMarks = {
    {"Lunch on Thursday?", mark::None},
    {"Angebot f\xC3\xBCr die Reparatur", mark::None},             // encoded word, ISO-8859-1: shown as UTF-8
    {"December newsletter: new arrivals and a reading night", 5}, // the exception
    {"Scheduled maintenance Saturday 22:00", mark::None},
    {"Caf\xC3\xA9 photos \xE2\x80\x94 from the trip", mark::None}, // encoded word, UTF-8
    {"Your November statement is ready", mark::None},
    {"Re: logo drafts", mark::None},
    {"Sunday dinner", mark::None},
    {"[tidewell] Pipeline passed for main", mark::None},
    {"Meeting notes 9 Dec", mark::None},
    {"Your loan is due in 3 days", mark::None},
    {"Concert tickets for Friday", mark::None},
    {"WINNER: claim your $1,000,000 now", mark::CheckMark},      // subject, sender domain
    {"Viagra and more at 80% off", mark::CheckMark},             // whole word
    {"Lose weight without any effort", mark::CheckMark},         // starts with
    {"LIMITED TIME OFFER", mark::CheckMark},                     // sender address
    {"Re: your account", mark::BlacklistMark},                       // known spammer
    {"\xD0\xA1\xD0\xBA\xD0\xB8\xD0\xB4\xD0\xBA\xD0\xB8 \xD0\xB4\xD0\xBE 90% \xD1\x82\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xBA\xD0\xBE "
     "\xD1\x81\xD0\xB5\xD0\xB3\xD0\xBE\xD0\xB4\xD0\xBD\xD1\x8F",
     mark::CheckMark},                                           // non-English
    {"Grow your business today", mark::CheckMark},               // header line
    {"Final notice for your payout", mark::CheckMark},           // not addressed to the user
};

class DemoTest : public MainWindowTest {
protected:
    QString demo = QString::fromStdString(home.file("demo"));

    QStringList mailboxFiles() const
    {
        return QDir(demo + QStringLiteral("/mailbox")).entryList(QDir::Files, QDir::Name);
    }
    std::map<std::string, int> listedMarks() const
    {
        std::map<std::string, int> marks;
        for (int row = 0; row < window->messages.count(); ++row)
            marks[window->messages.row(row).subject] = window->messages.row(row).mark;
        return marks;
    }
};

TEST_F(DemoTest, CheckMarksTheSpamAndDeletingLeavesTheOrdinaryMail)
{
    std::string error;
    ASSERT_TRUE(demo::layOutDemo(QString::fromStdString(sourceDir() + "/resources/demo"), demo, error)) << error;
    demo::Pop3Server server({demo::kDemoUser, demo::kDemoPassword, demo + QStringLiteral("/mailbox")});
    ASSERT_TRUE(server.listen());
    qputenv("TIDEWELL_HOME", (demo + QStringLiteral("/home")).toLocal8Bit()); // restored by the fixture
    demo::configureDemoHome("127.0.0.1:" + std::to_string(server.port()));
    ASSERT_EQ(mailboxFiles().size(), 20);

    start();
    window->btListClick();
    EXPECT_EQ(listedMarks(), kDemoMarks);

    prompts.yesNoAnswers = {true};
    window->btDeleteClick();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"yesno: Really delete 8 messages from server?\n\n"
                                                       "A copy of each is kept in Deleted mail for 30 days."}));

    // The deletion lists the mailbox again: only the ordinary mail is left,
    // on the server and in the list.
    std::map<std::string, int> ordinary;
    for (const auto &[subject, mark] : kDemoMarks)
        if (!isMarkedForDeletion(mark))
            ordinary[subject] = mark;
    EXPECT_EQ(listedMarks(), ordinary);
    const QStringList left = mailboxFiles();
    EXPECT_EQ(left.size(), 12);
    for (const QString &name : left)
        EXPECT_LT(name.left(2).toInt(), 13) << name.toStdString(); // 01..12 are the ordinary messages
    QFile log(demo + QStringLiteral("/home/logfile.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("DELETE SPAM"), 8);
    // Every deleted message is kept in Deleted mail.
    std::map<std::string, int> kept;
    for (const KeptMessage &copy : window->deletedMail().load())
        kept[copy.subject] = mark::CheckMark;
    std::map<std::string, int> deleted;
    for (const auto &[subject, mark] : kDemoMarks)
        if (isMarkedForDeletion(mark))
            deleted[subject] = mark::CheckMark;
    EXPECT_EQ(kept, deleted);
}

} // namespace
