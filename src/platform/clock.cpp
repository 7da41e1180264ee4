#include "platform/clock.h"

namespace tw {

static std::optional<QDateTime> &fixedNow()
{
    static std::optional<QDateTime> value;
    return value;
}

QDateTime Clock::nowQt() { return fixedNow() ? *fixedNow() : QDateTime::currentDateTime(); }
TDateTime Clock::now() { return toTDateTime(nowQt()); }
void Clock::setFixedNow(std::optional<QDateTime> fixed) { fixedNow() = std::move(fixed); }

} // namespace tw
