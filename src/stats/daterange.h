#pragma once
// The date range of the statistics: the three choices of the date range
// dialog and the arithmetic behind them (computeStartEnd, decrementMonths).

#include "stats/statistics.h"

namespace tw {

enum class RangeChoice { Between, PreviousMonths, PreviousDays };

struct DateRangeChoice {
    RangeChoice choice = RangeChoice::Between;
    TDateTime startField = 0;  // "between": the two date fields
    TDateTime endField = 0;
    int months = 1;  // 1..12
    int days = 1;    // 1..365
};

// The range when the statistics window opens: 1 January 1998 to Now.
StatsRange initialStatsRange(TDateTime now);

// Date moved Months back, keeping the day of the month or lowering it to the
// last day of the target month (31 March, 1 month back: 28/29 February).
// The time of day is dropped.
TDateTime decrementMonths(TDateTime date, int months);

// The range of a choice, Today being the current date: between the fields;
// the previous n months (start n months back, end today); the previous n
// days (start today - n, end today).
StatsRange computeStartEnd(const DateRangeChoice &choice, TDateTime today);

// Leaving the start field: an end before the start becomes the start.
TDateTime endAfterStartExit(TDateTime start, TDateTime end);

} // namespace tw
