#pragma once
// The system's date-time: days since 1899-12-30 as a double, the fraction
// being the time of day. All conversions to and from Qt's types live here.

#include <QDate>
#include <QDateTime>

namespace tw {

using TDateTime = double;

TDateTime encodeDate(int year, int month, int day);             // 0 when the date is invalid
TDateTime encodeTime(int hour, int minute, int second, int ms = 0);
TDateTime toTDateTime(const QDateTime &local);
TDateTime toTDateTime(const QDate &date);
QDateTime toQDateTime(TDateTime value);                          // local time
QDate toQDate(TDateTime value);
int dayOfWeek(TDateTime value);                                  // 1 = Sunday .. 7 = Saturday

} // namespace tw
