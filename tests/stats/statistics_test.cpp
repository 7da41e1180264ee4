#include "stats/day_axis.h"
#include "stats/daterange.h"
#include "stats/statistics.h"
#include "stats/table_sort.h"
#include "stats_fixture.h"

using namespace tw;

namespace {

CheckRecord check(const std::string &mailbox, TDateTime date, int hour, int minute, int count)
{
    CheckRecord r;
    r.mailbox = mailbox;
    r.count = std::to_string(count);
    r.countValue = count;
    r.dateValue = date;
    r.date = std::to_string(static_cast<long>(date)); // one text per day, like the log's dates
    r.timeValue = encodeTime(hour, minute, 0);
    return r;
}

DeletionRecord deletion(const std::string &mailbox, TDateTime date, const std::string &sender)
{
    DeletionRecord r;
    r.mailbox = mailbox;
    r.dateValue = date;
    r.date = std::to_string(static_cast<long>(date));
    r.sender = sender;
    const size_t at = sender.find('@');
    r.domain = at == std::string::npos ? "" : sender.substr(at + 1);
    return r;
}

// A function, not a constant: date conversions must not run during static start-up.
StatsFilter everything() { return {{encodeDate(1998, 1, 1), encodeDate(2030, 1, 1)}, std::nullopt}; }

} // namespace

using Statistics = test::UsFormats;

TEST_F(Statistics, EmptyLogGivesEmptyChartsTablesAndZeroPie)
{
    const ActivityLogData empty;
    const StatsTables tables = fillInGrids(empty, everything());
    EXPECT_TRUE(tables.traffic.empty() && tables.spam.empty());
    const ChartData chart = PlotReadings(empty, everything());
    EXPECT_EQ(chart.checks, (std::array<int, 7>{}));
    EXPECT_EQ(chart.found48, (std::array<int, kHalfHours>{}));
    EXPECT_TRUE(chart.dayChecks.empty() && chart.dayFound.empty() && chart.dayDeleted.empty());
    EXPECT_TRUE(chart.topSpammers.empty() && chart.topDomains.empty());
    const PieValues pie = RecomputePie(tables, everything().range);
    EXPECT_EQ(pie.normal, 0);
    EXPECT_EQ(pie.deleted, 0);
}

TEST_F(Statistics, LabelsOfTheWeekdayAndHalfHourCharts)
{
    const ChartData chart = PlotReadings(ActivityLogData{}, everything());
    EXPECT_EQ(chart.dayLabels[0], "Sunday");
    EXPECT_EQ(chart.dayLabels[6], "Saturday");
    EXPECT_EQ(chart.halfHourLabels[0], "12:00 AM");
    EXPECT_EQ(chart.halfHourLabels[1], "12:30 AM");
    EXPECT_EQ(chart.halfHourLabels[47], "11:30 PM");
}

TEST_F(Statistics, RunsOfDaysHalfHoursAndWeekdays)
{
    const TDateTime sun = encodeDate(2026, 3, 1);
    const TDateTime mon = sun + 1;
    const TDateTime tue = sun + 2;
    ActivityLogData data;
    data.checks = {
        check("a", sun, 0, 29, 3), check("a", sun, 0, 30, 0), // same day: 2 checks, 3 found
        check("a", mon, 23, 59, 0),                            // nothing found: no "found" point
        check("a", sun, 12, 0, 5),                             // the same date again later: a new run
    };
    data.deletions = {deletion("a", tue, "x@y"), deletion("a", tue, "x@y"), deletion("a", sun, "z@y")};
    const ChartData chart = PlotReadings(data, everything());

    EXPECT_EQ(chart.dayChecks, (std::vector<DayPoint>{{sun, 2}, {mon, 1}, {sun, 1}}));
    EXPECT_EQ(chart.dayFound, (std::vector<DayPoint>{{sun, 3}, {sun, 5}}));
    EXPECT_EQ(chart.dayDeleted, (std::vector<DayPoint>{{tue, 2}, {sun, 1}}));
    EXPECT_EQ(chart.checks48[0], 1);
    EXPECT_EQ(chart.found48[0], 3);
    EXPECT_EQ(chart.checks48[1], 1);
    EXPECT_EQ(chart.checks48[47], 1);
    EXPECT_EQ(chart.checks48[24], 1);
    EXPECT_EQ(chart.checks, (std::array<int, 7>{3, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(chart.found, (std::array<int, 7>{8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(chart.deleted, (std::array<int, 7>{1, 0, 2, 0, 0, 0, 0}));
}

TEST_F(Statistics, MailboxFilterIgnoresCaseAndRangeIncludesBothEnds)
{
    const TDateTime d1 = encodeDate(2026, 1, 10);
    const TDateTime d2 = encodeDate(2026, 1, 20);
    ActivityLogData data;
    data.checks = {check("Alice", d1, 1, 0, 4), check("ALICE", d2, 1, 0, 6), check("alicia", d1, 1, 0, 1),
                   check("bob", d2, 1, 0, 7), check("alice", d2 + 1, 1, 0, 100)};
    data.deletions = {deletion("aLiCe", d1, "s@x"), deletion("bob", d1, "t@x")};
    const StatsFilter alice{{d1, d2}, std::string("alice")};

    EXPECT_TRUE(qMailboxOK(alice, "ALICE", d1));
    EXPECT_TRUE(qMailboxOK(alice, "Alice", d2));
    EXPECT_FALSE(qMailboxOK(alice, "alicia", d1));
    EXPECT_FALSE(qMailboxOK(alice, "alice", d2 + 1));
    EXPECT_FALSE(qMailboxOK(alice, "alice", d1 - 1));

    const StatsTables tables = fillInGrids(data, alice);
    ASSERT_EQ(tables.traffic.size(), 2u);
    EXPECT_EQ(tables.traffic[0]->mailbox, "Alice");
    EXPECT_EQ(tables.traffic[1]->mailbox, "ALICE");
    ASSERT_EQ(tables.spam.size(), 1u);
    const PieValues pie = RecomputePie(tables, alice.range);
    EXPECT_EQ(pie.normal, 9);
    EXPECT_EQ(pie.deleted, 1);

    // More deletions than messages found never makes a negative slice.
    data.deletions.assign(12, deletion("alice", d1, "s@x"));
    EXPECT_EQ(RecomputePie(fillInGrids(data, alice), alice.range).normal, 0);
}

TEST_F(Statistics, TopTenOrderAndTheEmptySenderPlace)
{
    auto entries = [](std::vector<std::pair<std::string, int>> counts) {
        ActivityLogData data;
        for (const auto &[sender, n] : counts)
            for (int i = 0; i < n; ++i)
                data.deletions.push_back(deletion("a", encodeDate(2026, 1, 1), sender));
        return PlotReadings(data, everything()).topSpammers;
    };

    // Twelve senders deleted once each: the ten that sort last, last first.
    std::vector<std::pair<std::string, int>> twelve;
    for (char c = 'a'; c <= 'l'; ++c)
        twelve.push_back({std::string(1, c) + "@x", 1});
    const std::vector<TopEntry> top = entries(twelve);
    ASSERT_EQ(top.size(), 10u);
    EXPECT_EQ(top.front(), (TopEntry{"l@x", 1}));
    EXPECT_EQ(top.back(), (TopEntry{"c@x", 1}));

    // Largest counts first; the empty sender uses a place without a bar.
    std::vector<std::pair<std::string, int>> mixed{{"", 5}, {"big@x", 7}, {"mid@x", 5}, {"zed@x", 5}};
    for (char c = 'a'; c <= 'h'; ++c)
        mixed.push_back({std::string(1, c) + "@x", 1});
    const std::vector<TopEntry> withEmpty = entries(mixed);
    EXPECT_EQ(withEmpty, (std::vector<TopEntry>{{"big@x", 7}, {"zed@x", 5}, {"mid@x", 5}, {"h@x", 1}, {"g@x", 1},
                                                {"f@x", 1}, {"e@x", 1}, {"d@x", 1}, {"c@x", 1}}));

    // Counts past 9999 stay in numeric order.
    EXPECT_EQ(entries({{"many@x", 10000}, {"some@x", 9999}}).front(), (TopEntry{"many@x", 10000}));
}

TEST_F(Statistics, TitleAndDateRange)
{
    const StatsRange range = initialStatsRange(Clock::now());
    EXPECT_DOUBLE_EQ(range.start, encodeDate(1998, 1, 1));
    EXPECT_EQ(statsTitle("All mailboxes", {encodeDate(1998, 1, 1), encodeDate(2026, 12, 8)}),
              "All mailboxes from 1/1/1998 thru 12/8/2026");

    const struct {
        TDateTime from;
        int months;
        TDateTime expected;
    } months[] = {
        {encodeDate(2026, 3, 31), 1, encodeDate(2026, 2, 28)},
        {encodeDate(2024, 3, 31), 1, encodeDate(2024, 2, 29)},
        {encodeDate(2026, 1, 15), 1, encodeDate(2025, 12, 15)},
        {encodeDate(2026, 12, 31), 12, encodeDate(2025, 12, 31)},
        {encodeDate(2026, 5, 31) + 0.75, 3, encodeDate(2026, 2, 28)},
    };
    for (const auto &m : months)
        EXPECT_DOUBLE_EQ(decrementMonths(m.from, m.months), m.expected);

    const TDateTime today = encodeDate(2026, 3, 31) + 0.5;
    DateRangeChoice choice;
    choice.choice = RangeChoice::PreviousMonths;
    choice.months = 1;
    StatsRange r = computeStartEnd(choice, today);
    EXPECT_DOUBLE_EQ(r.start, encodeDate(2026, 2, 28));
    EXPECT_DOUBLE_EQ(r.end, encodeDate(2026, 3, 31));
    choice.choice = RangeChoice::PreviousDays;
    choice.days = 365;
    r = computeStartEnd(choice, today);
    EXPECT_DOUBLE_EQ(r.start, encodeDate(2025, 3, 31));
    choice.choice = RangeChoice::Between;
    choice.startField = encodeDate(2020, 1, 1);
    choice.endField = encodeDate(2020, 2, 1);
    r = computeStartEnd(choice, today);
    EXPECT_DOUBLE_EQ(r.start, encodeDate(2020, 1, 1));
    EXPECT_DOUBLE_EQ(r.end, encodeDate(2020, 2, 1));

    EXPECT_DOUBLE_EQ(endAfterStartExit(encodeDate(2020, 3, 1), encodeDate(2020, 2, 1)), encodeDate(2020, 3, 1));
    EXPECT_DOUBLE_EQ(endAfterStartExit(encodeDate(2020, 1, 1), encodeDate(2020, 2, 1)), encodeDate(2020, 2, 1));
}

TEST_F(Statistics, TablesSortDatesAndNumbersByValue)
{
    ActivityLogData data;
    data.checks = {check("b", encodeDate(2026, 12, 1), 9, 0, 10), check("A", encodeDate(2026, 2, 1), 10, 0, 9),
                   check("c", encodeDate(2026, 10, 1), 9, 0, 100)};
    data.checks[0].date = "12/1/2026";
    data.checks[1].date = "2/1/2026";
    data.checks[2].date = "10/1/2026";
    StatsTables tables = fillInGrids(data, everything());
    auto mailboxes = [&] {
        std::string order;
        for (const CheckRecord *r : tables.traffic)
            order += r->mailbox;
        return order;
    };
    sortTraffic(tables.traffic, TrafficColumn::Date, true);
    EXPECT_EQ(mailboxes(), "Acb"); // as dates, not as the texts "10/1", "12/1", "2/1"
    sortTraffic(tables.traffic, TrafficColumn::Count, false);
    EXPECT_EQ(mailboxes(), "cbA"); // 100, 10, 9
    sortTraffic(tables.traffic, TrafficColumn::Mailbox, true);
    EXPECT_EQ(mailboxes(), "Abc");
    sortTraffic(tables.traffic, TrafficColumn::Time, true);
    EXPECT_EQ(mailboxes(), "bcA"); // equal times keep their order

    data.deletions = {deletion("a", encodeDate(2026, 1, 1), "x@y"), deletion("b", encodeDate(2026, 1, 1), "w@y")};
    data.deletions[0].size = "900";
    data.deletions[1].size = "1000";
    tables = fillInGrids(data, everything());
    sortSpam(tables.spam, SpamColumn::Size, true);
    EXPECT_EQ(tables.spam[0]->mailbox, "a");
    sortSpam(tables.spam, SpamColumn::Sender, true);
    EXPECT_EQ(tables.spam[0]->mailbox, "b");
}

TEST_F(Statistics, DayAxisTicksAreWholeWeeksThatFit)
{
    const TDateTime first = encodeDate(2026, 3, 1) + 0.4;
    const struct {
        double span;
        int maxTicks;
        int stepDays;
        int count;
    } cases[] = {
        {0, 10, 7, 2},        // one day still gets one week
        {20, 10, 7, 4},       // three weeks, a tick a week
        {3650, 12, 336, 12},  // ten years: 48-week steps to stay within 12 ticks
        {70, 3, 42, 3},       // eleven weeks in two steps
    };
    for (const auto &c : cases) {
        const DayAxisTicks ticks = dayAxisTicks(first, first + c.span, c.maxTicks);
        EXPECT_EQ(ticks.start, encodeDate(2026, 3, 1)) << c.span;
        EXPECT_EQ(ticks.stepDays, c.stepDays) << c.span;
        EXPECT_EQ(ticks.count, c.count) << c.span;
        EXPECT_EQ(ticks.end, ticks.start + (c.count - 1) * c.stepDays) << c.span;
        EXPECT_GE(ticks.end, first + c.span) << c.span;
    }
}
