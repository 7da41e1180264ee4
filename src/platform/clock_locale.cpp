#include "platform/clock_locale.h"

#include "platform/bytes.h"

#include <QLocale>

namespace tw {

QString fix2000(const QString &format)
{
    if (format.contains(QLatin1String("yyyy")))
        return format;
    const qsizetype at = format.indexOf(QLatin1String("yy"));
    if (at < 0)
        return format;
    QString fixed = format;
    fixed.insert(at, QLatin1String("yy"));
    return fixed;
}

namespace {
struct Formats {
    QString shortDate, shortTime, longTime;
};
Formats &pinned()
{
    static Formats formats;
    return formats;
}
} // namespace

QString LocaleFormats::shortDate()
{
    if (!pinned().shortDate.isEmpty())
        return pinned().shortDate;
    return fix2000(QLocale().dateFormat(QLocale::ShortFormat));
}

QString LocaleFormats::shortTime()
{
    return pinned().shortTime.isEmpty() ? QLocale().timeFormat(QLocale::ShortFormat) : pinned().shortTime;
}

QString LocaleFormats::longTime()
{
    if (!pinned().longTime.isEmpty())
        return pinned().longTime;
    // Qt's long format adds the time zone name, which a list cell does not need.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1String(" t")).remove(QLatin1String("t "));
    return format.trimmed();
}

void LocaleFormats::setFormats(const QString &shortDate, const QString &shortTime, const QString &longTime)
{
    pinned() = {shortDate.isEmpty() ? QString() : fix2000(shortDate), shortTime, longTime};
}

std::string LocaleFormats::listDateTime(TDateTime value)
{
    const QDateTime dt = toQDateTime(value);
    QString text = QLocale().toString(dt.date(), shortDate());
    if (dt.time() != QTime(0, 0))
        text += QLatin1Char(' ') + QLocale().toString(dt.time(), longTime());
    return fromDisplay(text);
}

std::string LocaleFormats::shortDateTime(TDateTime value)
{
    const QDateTime dt = toQDateTime(value);
    return fromDisplay(QLocale().toString(dt.date(), shortDate()) + QLatin1Char(' ') +
                       QLocale().toString(dt.time(), shortTime()));
}

const char *englishDayAbbreviation(int day)
{
    static const char *names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    return (day >= 1 && day <= 7) ? names[day - 1] : "";
}

const char *englishMonthAbbreviation(int month)
{
    static const char *names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return (month >= 1 && month <= 12) ? names[month - 1] : "";
}

} // namespace tw
