#include "stats/day_axis.h"

#include <algorithm>
#include <cmath>

namespace tw {

DayAxisTicks dayAxisTicks(TDateTime first, TDateTime last, int maxTicks)
{
    DayAxisTicks ticks;
    maxTicks = std::max(2, maxTicks);
    ticks.start = std::floor(std::min(first, last));
    const double span = std::max(0.0, std::max(first, last) - ticks.start);
    const long long weeks = std::max(1LL, static_cast<long long>(std::ceil(span / 7.0)));
    const long long weeksPerStep = (weeks + maxTicks - 2) / (maxTicks - 1);
    ticks.stepDays = int(7 * weeksPerStep);
    const long long steps = std::max(1LL, static_cast<long long>(std::ceil(span / ticks.stepDays)));
    ticks.count = int(steps + 1);
    ticks.end = ticks.start + double(steps) * ticks.stepDays;
    return ticks;
}

} // namespace tw
