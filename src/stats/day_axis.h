#pragma once
// The ticks of the day-by-day chart's date axis: a step of one week, or of
// as many weeks as it takes to keep the labels apart when the span is long.

#include "platform/datetime.h"

namespace tw {

struct DayAxisTicks {
    TDateTime start = 0;  // the first tick, a whole day
    TDateTime end = 0;    // the last tick, a whole number of steps later
    int count = 2;        // ticks including both ends
    int stepDays = 7;     // a multiple of seven
};

// Ticks covering First..Last with at most MaxTicks ticks (at least 2).
DayAxisTicks dayAxisTicks(TDateTime first, TDateTime last, int maxTicks);

} // namespace tw
