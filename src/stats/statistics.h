#pragma once
// The statistics computed from the activity log records, without widgets:
// the filter (qMailboxOK), the two tables (fillInGrids), every chart series
// with its labels and the top-ten lists (PlotReadings) and the pie
// (RecomputePie). The statistics window shows these models.

#include "stats/log_reader.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tw {

struct StatsRange {
    TDateTime start = 0;
    TDateTime end = 0;
};

// Which records count: a date range (both ends included) and, unless All
// mailboxes is chosen, one mailbox (compared without regard to letter case).
struct StatsFilter {
    StatsRange range;
    std::optional<std::string> mailbox;  // nullopt: "All mailboxes"
};

bool qMailboxOK(const StatsFilter &filter, const std::string &mailbox, TDateTime date);

// The two tables: the passing records in log order ("Email traffic": date,
// time, server, mailbox, count; "Spam Deleted": date, time, server, mailbox,
// size, sender, domain). The records stay owned by the ActivityLogData.
struct StatsTables {
    std::vector<const CheckRecord *> traffic;
    std::vector<const DeletionRecord *> spam;
};
StatsTables fillInGrids(const ActivityLogData &data, const StatsFilter &filter);

struct DayPoint {
    TDateTime date;
    int value;
    bool operator==(const DayPoint &) const = default;
};

struct TopEntry {
    std::string text;  // sender or domain
    int count;
    bool operator==(const TopEntry &) const = default;
};

inline constexpr int kHalfHours = 48;
inline constexpr size_t kTopCount = 10;

// Every series of the charts. Index 0 of the day-of-week arrays is Sunday.
struct ChartData {
    std::array<std::string, 7> dayLabels;  // the locale's full day names, Sunday first
    std::array<int, 7> found{}, deleted{}, checks{};
    std::array<std::string, kHalfHours> halfHourLabels;  // start of each half-hour, short time format
    std::array<int, kHalfHours> found48{}, deleted48{}, checks48{};
    // Day by day: one point per run of consecutive passing records with the
    // same date text. "Number Found" leaves out runs that found nothing.
    std::vector<DayPoint> dayFound, dayDeleted, dayChecks;
    // Up to ten bars, largest count first; among equal counts the
    // later-sorting text first. An empty sender or domain takes one of the
    // ten places without a bar.
    std::vector<TopEntry> topSpammers, topDomains;
};
ChartData PlotReadings(const ActivityLogData &data, const StatsFilter &filter);

// The ten bars from a list of texts (one per deleted message).
std::vector<TopEntry> topTen(const std::vector<const std::string *> &texts);

struct PieValues {
    long long normal = 0;   // "Normal E-mail": messages found less those deleted, never below 0
    long long deleted = 0;  // "Spam Deleted"
};
PieValues RecomputePie(const StatsTables &tables, const StatsRange &range);

// The statistics window's title: "<mailbox> from <start> thru <end>".
std::string statsTitle(const std::string &mailboxText, const StatsRange &range);

} // namespace tw
