#include "stats/statistics.h"

#include "platform/bytes.h"
#include "platform/clock_locale.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tw {

namespace {

bool inRange(const StatsRange &range, TDateTime date) { return date >= range.start && date <= range.end; }

// Plain arithmetic on the day count: these run once per record, and going
// through the local-time calendar for each would dominate a long history.
int halfHourOf(TDateTime timeOfDay)
{
    const double fraction = timeOfDay - std::floor(timeOfDay);
    const long long minute = static_cast<long long>(std::floor(fraction * 1440.0 + 1e-6)) % 1440;
    return std::clamp(int(minute / 30), 0, kHalfHours - 1);
}

// 0 = Sunday; day 0 (30 December 1899) was a Saturday.
int weekdayIndex(TDateTime date)
{
    const long long day = static_cast<long long>(std::floor(date));
    return int(((day + 6) % 7 + 7) % 7);
}

// Collects day-by-day points: consecutive records with the same date text
// form a run, which becomes one point when the next run starts or at the end.
class DayRuns {
public:
    void add(const std::string &dateText, TDateTime date, int count)
    {
        if (m_open && dateText != m_dateText)
            close();
        if (!m_open) {
            m_open = true;
            m_dateText = dateText;
            m_date = date;
            m_records = 0;
            m_sum = 0;
        }
        ++m_records;
        m_sum += count;
    }
    // Records per run go to Records; sums of at least 1 go to Sums (when given).
    void finish() { close(); }
    std::vector<DayPoint> records, sums;

private:
    void close()
    {
        if (!m_open)
            return;
        records.push_back({m_date, m_records});
        if (m_sum >= 1)
            sums.push_back({m_date, m_sum});
        m_open = false;
    }
    bool m_open = false;
    std::string m_dateText;
    TDateTime m_date = 0;
    int m_records = 0;
    int m_sum = 0;
};

} // namespace

bool qMailboxOK(const StatsFilter &filter, const std::string &mailbox, TDateTime date)
{
    if (!inRange(filter.range, date))
        return false;
    return !filter.mailbox || sameText(*filter.mailbox, mailbox);
}

StatsTables fillInGrids(const ActivityLogData &data, const StatsFilter &filter)
{
    StatsTables tables;
    for (const CheckRecord &r : data.checks)
        if (qMailboxOK(filter, r.mailbox, r.dateValue))
            tables.traffic.push_back(&r);
    for (const DeletionRecord &r : data.deletions)
        if (qMailboxOK(filter, r.mailbox, r.dateValue))
            tables.spam.push_back(&r);
    return tables;
}

std::vector<TopEntry> topTen(const std::vector<const std::string *> &texts)
{
    // Senders and domains are kept in lower case, so counting equal texts
    // gives the same runs as counting neighbours in a case-blind sorted list.
    std::unordered_map<std::string_view, int> counts;
    for (const std::string *t : texts)
        ++counts[*t];
    std::vector<TopEntry> entries;
    entries.reserve(counts.size());
    for (const auto &[text, count] : counts)
        entries.push_back({std::string(text), count});
    // Largest count first, then the later-sorting text; ordered by number,
    // so counts of 10000 and more keep their place.
    const size_t keep = std::min(kTopCount, entries.size());
    std::partial_sort(entries.begin(), entries.begin() + long(keep), entries.end(),
                      [](const TopEntry &a, const TopEntry &b) {
                          if (a.count != b.count)
                              return a.count > b.count;
                          const int byText = compareText(a.text, b.text);
                          return byText != 0 ? byText > 0 : a.text > b.text;
                      });
    entries.resize(keep);
    std::erase_if(entries, [](const TopEntry &e) { return e.text.empty(); });
    return entries;
}

ChartData PlotReadings(const ActivityLogData &data, const StatsFilter &filter)
{
    ChartData chart;
    const QLocale locale;
    for (int w = 0; w < 7; ++w)
        chart.dayLabels[size_t(w)] = fromDisplay(locale.dayName(w == 0 ? 7 : w, QLocale::LongFormat));
    const QString timeFormat = LocaleFormats::shortTime();
    for (int h = 0; h < kHalfHours; ++h)
        chart.halfHourLabels[size_t(h)] = fromDisplay(locale.toString(QTime(h / 2, h % 2 ? 30 : 0), timeFormat));

    DayRuns checkRuns;
    for (const CheckRecord &r : data.checks) {
        if (!qMailboxOK(filter, r.mailbox, r.dateValue))
            continue;
        const size_t w = size_t(weekdayIndex(r.dateValue));
        const size_t h = size_t(halfHourOf(r.timeValue));
        chart.checks[w] += 1;
        chart.found[w] += r.countValue;
        chart.checks48[h] += 1;
        chart.found48[h] += r.countValue;
        checkRuns.add(r.date, r.dateValue, r.countValue);
    }
    checkRuns.finish();
    chart.dayChecks = std::move(checkRuns.records);
    chart.dayFound = std::move(checkRuns.sums);

    DayRuns deletionRuns;
    std::vector<const std::string *> senders, domains;
    for (const DeletionRecord &r : data.deletions) {
        if (!qMailboxOK(filter, r.mailbox, r.dateValue))
            continue;
        senders.push_back(&r.sender);
        domains.push_back(&r.domain);
        chart.deleted[size_t(weekdayIndex(r.dateValue))] += 1;
        chart.deleted48[size_t(halfHourOf(r.timeValue))] += 1;
        deletionRuns.add(r.date, r.dateValue, 1);
    }
    deletionRuns.finish();
    chart.dayDeleted = std::move(deletionRuns.records);
    chart.topSpammers = topTen(senders);
    chart.topDomains = topTen(domains);
    return chart;
}

PieValues RecomputePie(const StatsTables &tables, const StatsRange &range)
{
    long long total = 0;
    PieValues pie;
    for (const CheckRecord *r : tables.traffic)
        if (inRange(range, r->dateValue))
            total += r->countValue;
    for (const DeletionRecord *r : tables.spam)
        if (inRange(range, r->dateValue))
            ++pie.deleted;
    // Deletions can outnumber the messages found (a filtered mailbox, a log
    // begun mid-way); a pie slice cannot be negative.
    pie.normal = std::max(0LL, total - pie.deleted);
    return pie;
}

std::string statsTitle(const std::string &mailboxText, const StatsRange &range)
{
    const QLocale locale;
    const QString format = LocaleFormats::shortDate();
    return mailboxText + " from " + fromDisplay(locale.toString(toQDate(range.start), format)) + " thru " +
           fromDisplay(locale.toString(toQDate(range.end), format));
}

} // namespace tw
