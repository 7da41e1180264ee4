#pragma once
// The locale's date and time formats as the program uses them. The short
// date format is forced to a four-digit year at start-up (fix2000), so every
// date the program prints carries the full year. Day and month names in the
// activity log are always English three-letter abbreviations, whatever the
// locale, because the log is a file format that is read back.

#include "platform/datetime.h"

#include <QString>
#include <string>

namespace tw {

// "M/d/yy" -> "M/d/yyyy"; a format that already holds "yyyy", or holds no
// "yy", is returned unchanged.
QString fix2000(const QString &shortDateFormat);

class LocaleFormats {
public:
    // Qt-style format strings ("d/M/yyyy", "h:mm AP", ...).
    static QString shortDate();  // the locale's short date format after fix2000
    static QString shortTime();
    static QString longTime();
    // Tests (and odd locales) may pin the formats; empty strings restore the locale's.
    static void setFormats(const QString &shortDate, const QString &shortTime, const QString &longTime);

    // Date and time for a list cell: short date, a space, long time; the time
    // is left out when it is exactly midnight.
    static std::string listDateTime(TDateTime value);
    // Short date, a space, short time.
    static std::string shortDateTime(TDateTime value);
};

// English three-letter names, Sunday = 1 .. Saturday = 7, January = 1 .. December = 12.
const char *englishDayAbbreviation(int dayOfWeekSundayFirst);
const char *englishMonthAbbreviation(int month);

} // namespace tw
