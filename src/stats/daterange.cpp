#include "stats/daterange.h"

#include <cmath>

namespace tw {

StatsRange initialStatsRange(TDateTime now) { return {encodeDate(1998, 1, 1), now}; }

TDateTime decrementMonths(TDateTime date, int months)
{
    const QDate from = toQDate(date);
    const int monthIndex = from.year() * 12 + (from.month() - 1) - months;
    const int year = monthIndex / 12;
    const int month = monthIndex % 12 + 1;
    const int day = std::min(from.day(), QDate(year, month, 1).daysInMonth());
    return encodeDate(year, month, day);
}

StatsRange computeStartEnd(const DateRangeChoice &choice, TDateTime today)
{
    const TDateTime day = std::floor(today);
    switch (choice.choice) {
    case RangeChoice::PreviousMonths: return {decrementMonths(day, choice.months), day};
    case RangeChoice::PreviousDays: return {day - choice.days, day};
    case RangeChoice::Between: break;
    }
    return {choice.startField, choice.endField};
}

TDateTime endAfterStartExit(TDateTime start, TDateTime end) { return start > end ? start : end; }

} // namespace tw
