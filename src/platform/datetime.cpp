#include "platform/datetime.h"

#include <cmath>

namespace tw {

// A function, not a global: start-up code of other files may need the epoch
// before globals of this file are constructed.
static QDate epoch() { return QDate(1899, 12, 30); }

TDateTime encodeDate(int year, int month, int day)
{
    const QDate d(year, month, day);
    return d.isValid() ? TDateTime(epoch().daysTo(d)) : 0.0;
}

TDateTime encodeTime(int hour, int minute, int second, int ms)
{
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + ms) / 86400000.0;
}

TDateTime toTDateTime(const QDate &date) { return TDateTime(epoch().daysTo(date)); }

TDateTime toTDateTime(const QDateTime &local)
{
    const QTime t = local.time();
    return toTDateTime(local.date()) + encodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

QDate toQDate(TDateTime value) { return epoch().addDays(static_cast<qint64>(std::floor(value))); }

QDateTime toQDateTime(TDateTime value)
{
    const double whole = std::floor(value);
    const qint64 ms = std::llround((value - whole) * 86400000.0);
    QDateTime dt(epoch().addDays(static_cast<qint64>(whole)), QTime(0, 0));
    return dt.addMSecs(ms);
}

int dayOfWeek(TDateTime value) { return toQDate(value).dayOfWeek() % 7 + 1; }

} // namespace tw
