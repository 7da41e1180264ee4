#include "fixtures/temp_home.h"
#include "stats/activity_log.h"
#include "stats/log_reader.h"
#include "stats/statistics.h"
#include "stats_fixture.h"

using namespace tw;

using LogReader = test::UsFormats;

namespace {

ActivityLogData readOk(const std::string &path)
{
    std::string error;
    std::optional<ActivityLogData> data = readInLogFile(path, error);
    EXPECT_TRUE(data.has_value()) << error;
    return data ? *data : ActivityLogData{};
}

} // namespace

TEST_F(LogReader, MissingFileAndFolderGiveTheirErrors)
{
    test::TempHome home;
    std::string error;
    EXPECT_FALSE(readInLogFile(home.file("nope.txt"), error));
    EXPECT_EQ(error, kLogMissingError);
    EXPECT_FALSE(readInLogFile(home.path(), error));
    EXPECT_EQ(error, kLogMissingError);
}

TEST_F(LogReader, FieldsOfChecksAndDeletions)
{
    test::TempHome home;
    home.write("log.txt",
               "MAIL CHECK 12 msg(s) for \"Alice\" on server pop.a.example at Tue 12/8/2026 9:34 PM\r\n"
               "MAIL CHECK  msg(s) for \"Bob\" on server pop.b.example at Tue 12/8/2026 9:35 PM\r\n"
               "MAIL CHECK 1 msg(s) for \"ALICE\" on server pop.a.example at Wed 12/9/2026 12:00 AM\r\n"
               "ERROR Timed out FOR carol ON pop.c.example AT Wed 12/9/2026 1:00 AM\r\n"
               "Automatic mode enabled at Wed 12/9/2026 1:00 AM\r\n"
               "DELETE SPAM on Wed 12/9/2026 11:59 PM\r\n"
               "   Server:  pop.a.example Mailbox: Alice\r\n"
               "   Subject: Buy, buy, buy\r\n"
               "   Sender:  Spam@Junk.Example Big Spender\r\n"
               "   Size:    2048  Date: 12/9/2026 10:00:00 PM\r\n");
    const ActivityLogData data = readOk(home.file("log.txt"));

    ASSERT_EQ(data.checks.size(), 2u); // the one without a number makes no record...
    EXPECT_EQ(data.mailboxes, (std::vector<std::string>{"All mailboxes", "Alice", "Bob"})); // ...but names its mailbox
    const CheckRecord &c = data.checks[0];
    EXPECT_EQ(c.count, "12");
    EXPECT_EQ(c.countValue, 12);
    EXPECT_EQ(c.mailbox, "Alice");
    EXPECT_EQ(c.server, "pop.a.example");
    EXPECT_EQ(c.date, "12/8/2026");
    EXPECT_EQ(c.time, "9:34 PM");
    EXPECT_DOUBLE_EQ(c.dateValue, encodeDate(2026, 12, 8));
    EXPECT_DOUBLE_EQ(c.timeValue, encodeTime(21, 34, 0));
    EXPECT_EQ(data.checks[1].time, "12:00 AM");
    EXPECT_DOUBLE_EQ(data.checks[1].timeValue, 0.0);

    ASSERT_EQ(data.deletions.size(), 1u);
    const DeletionRecord &d = data.deletions[0];
    EXPECT_EQ(d.mailbox, "Alice");
    EXPECT_EQ(d.server, "pop.a.example");
    EXPECT_EQ(d.date, "12/9/2026");
    EXPECT_EQ(d.time, "11:59 PM");
    EXPECT_EQ(d.size, "2048");
    EXPECT_EQ(d.sender, "spam@junk.example big spender");
    EXPECT_EQ(d.domain, "junk.example big spender");
    EXPECT_DOUBLE_EQ(d.dateValue, encodeDate(2026, 12, 9));
}

TEST_F(LogReader, DamagedAndOddLinesDoNotStopTheReading)
{
    test::TempHome home;
    home.write("log.txt",
               // A block cut short (say by a crash) must not swallow the next entry.
               "DELETE SPAM on Mon 12/7/2026 8:00 AM\n"
               "   Server:  pop.x Mailbox: eve\n"
               "MAIL CHECK 2 msg(s) for \"eve\" on server pop.x at Mon 12/7/2026 8:05 AM\n"
               // A date and time that cannot be read count as now.
               "MAIL CHECK 4 msg(s) for \"eve\" on server pop.x at Mon 99/99/2026 xx:yy\r"
               "DELETE SPAM on Mon 12/7/2026 9:00 AM\r"
               "   Server:  pop.x Mailbox: eve\r"
               "   Subject: s\r"
               "   Sender:  nobody-at-all\r"); // the file ends inside the block
    const ActivityLogData data = readOk(home.file("log.txt"));
    ASSERT_EQ(data.checks.size(), 2u);
    EXPECT_EQ(data.checks[0].countValue, 2);
    EXPECT_DOUBLE_EQ(data.checks[1].dateValue, Clock::now());
    EXPECT_NEAR(data.checks[1].timeValue, encodeTime(21, 34, 0), 1e-6);
    ASSERT_EQ(data.deletions.size(), 2u);
    EXPECT_EQ(data.deletions[0].mailbox, "eve");
    EXPECT_EQ(data.deletions[0].sender, "");
    EXPECT_EQ(data.deletions[1].sender, "nobody-at-all");
    EXPECT_EQ(data.deletions[1].domain, "");
    EXPECT_EQ(data.deletions[1].size, "");
}

TEST_F(LogReader, ProgressCountsSixtyBytesPerLineUpToTheFileSize)
{
    test::TempHome home;
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "Automatic mode enabled at Tue 12/8/2026 9:34 PM\r\n";
    home.write("log.txt", text);
    std::vector<long long> positions;
    std::string error;
    ASSERT_TRUE(readInLogFile(home.file("log.txt"), error, [&](long long position, long long size) {
        EXPECT_EQ(size, static_cast<long long>(text.size()));
        positions.push_back(position);
    }));
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 60);
    EXPECT_EQ(positions.back(), static_cast<long long>(text.size()));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
}

// The writer and the reader share the line formats: whatever is written
// reads back into the same records, whatever the date and time formats.
TEST_F(LogReader, WhatTheWriterWritesReadsBack)
{
    const struct {
        const char *locale;
        const char *date;
        const char *time;
    } formats[] = {
        {"en_US", "M/d/yy", "h:mm AP"},
        {"de_DE", "dd.MM.yy", "HH:mm"},
        {"C", "d MMM yyyy", "HH:mm:ss"}, // blanks inside the date
    };
    for (const auto &f : formats) {
        SCOPED_TRACE(f.locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(f.locale)));
        LocaleFormats::setFormats(f.date, f.time, f.time);
        test::TempHome home;
        ActivityLog log;
        log.setPath(home.file("sub/activity.txt"));

        setNow(2026, 3, 1, 0, 29);
        log.logMailCheck(3, "alice", "pop.a.example");
        setNow(2026, 3, 1, 0, 30);
        log.logError("Connection refused", "alice", "pop.a.example");
        log.logMailCheck(0, "Alice", "pop.a.example");
        setNow(2026, 3, 2, 23, 59);
        log.logAutomaticMode(true);
        log.OpenLogFile();
        log.logDeletion({"pop.b.example", "bob", "Hello", "Junk@Spam.example", "Junk Sender", "1234", "3/2/2026"});
        log.logDeletion({"pop.b.example", "bob", "Again", "junk@spam.example", "Junk Sender", "99", "3/2/2026"});
        log.CloseLogFile();
        setNow(2026, 3, 3, 12, 0);
        log.logMailCheck(2, "bob", "pop.b.example");

        const ActivityLogData data = readOk(home.file("sub/activity.txt"));
        ASSERT_EQ(data.checks.size(), 3u);
        EXPECT_EQ(data.mailboxes, (std::vector<std::string>{"All mailboxes", "alice", "bob"}));
        EXPECT_EQ(data.checks[0].countValue, 3);
        EXPECT_EQ(data.checks[1].mailbox, "Alice");
        EXPECT_EQ(data.checks[2].server, "pop.b.example");
        EXPECT_DOUBLE_EQ(data.checks[0].dateValue, encodeDate(2026, 3, 1));
        EXPECT_DOUBLE_EQ(data.checks[0].timeValue, encodeTime(0, 29, 0));
        EXPECT_DOUBLE_EQ(data.checks[1].timeValue, encodeTime(0, 30, 0));
        ASSERT_EQ(data.deletions.size(), 2u);
        EXPECT_EQ(data.deletions[0].mailbox, "bob");
        EXPECT_EQ(data.deletions[0].server, "pop.b.example");
        EXPECT_EQ(data.deletions[0].size, "1234");
        EXPECT_EQ(data.deletions[0].sender, "junk@spam.example junk sender");
        EXPECT_DOUBLE_EQ(data.deletions[1].dateValue, encodeDate(2026, 3, 2));
        EXPECT_DOUBLE_EQ(data.deletions[1].timeValue, encodeTime(23, 59, 0));

        const StatsFilter all{{encodeDate(1998, 1, 1), encodeDate(2026, 12, 31)}, std::nullopt};
        const ChartData chart = PlotReadings(data, all);
        EXPECT_EQ(chart.checks48[0], 1);
        EXPECT_EQ(chart.checks48[1], 1);
        EXPECT_EQ(chart.found48[0], 3);
        EXPECT_EQ(chart.deleted48[47], 2);
        EXPECT_EQ(chart.checks[0], 2); // 1 March 2026 is a Sunday
        EXPECT_EQ(chart.deleted[1], 2);
        EXPECT_EQ(chart.dayChecks, (std::vector<DayPoint>{{encodeDate(2026, 3, 1), 2}, {encodeDate(2026, 3, 3), 1}}));
        EXPECT_EQ(chart.dayFound, (std::vector<DayPoint>{{encodeDate(2026, 3, 1), 3}, {encodeDate(2026, 3, 3), 2}}));
        EXPECT_EQ(chart.dayDeleted, (std::vector<DayPoint>{{encodeDate(2026, 3, 2), 2}}));
        EXPECT_EQ(chart.topSpammers, (std::vector<TopEntry>{{"junk@spam.example junk sender", 2}}));
        EXPECT_EQ(chart.topDomains, (std::vector<TopEntry>{{"spam.example junk sender", 2}}));
    }
}

TEST_F(LogReader, CancellingEndsTheReadingWithoutAnError)
{
    test::TempHome home;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "MAIL CHECK 1 msg(s) for \"a\" on server s at Tue 12/8/2026 9:34 PM\r\n";
    home.write("log.txt", text);
    std::string error;
    int asked = 0;
    EXPECT_FALSE(readInLogFile(home.file("log.txt"), error, {}, [&] { return ++asked == 2; }));
    EXPECT_EQ(error, "");
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(readInLogFile(home.file("log.txt"), error, {}, [] { return false; }));
}
