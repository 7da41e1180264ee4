#include "stats/log_format.h"

#include "platform/bytes.h"
#include "platform/clock_locale.h"

#include <QLocale>

namespace tw {

std::string logTimeStamp(TDateTime when)
{
    const QDateTime moment = toQDateTime(when);
    const QLocale locale;
    return std::string(englishDayAbbreviation(dayOfWeek(when))) + ' ' +
           fromDisplay(locale.toString(moment.date(), LocaleFormats::shortDate())) + ' ' +
           fromDisplay(locale.toString(moment.time(), LocaleFormats::shortTime()));
}

std::string mailCheckLine(int count, const std::string &userName, const std::string &server, const std::string &stamp)
{
    return "MAIL CHECK " + std::to_string(count) + " msg(s) for \"" + userName + "\" on server " + server + " at " +
           stamp;
}

std::string errorLine(const std::string &errorText, const std::string &userName, const std::string &server,
                      const std::string &stamp)
{
    return "ERROR " + errorText + " FOR " + userName + " ON " + server + " AT " + stamp;
}

std::string warningLine(const std::string &text, const std::string &userName, const std::string &server,
                        const std::string &stamp)
{
    return "WARNING " + text + " FOR " + userName + " ON " + server + " AT " + stamp;
}

std::string automaticModeLine(bool enabled, const std::string &stamp)
{
    return std::string("Automatic mode ") + (enabled ? "enabled" : "disabled") + " at " + stamp;
}

std::string keptCopiesOverLimitLine(long long keptMB, long long limitMB, const std::string &stamp)
{
    return "Deleted mail holds " + std::to_string(keptMB) + " MB, above its limit of " + std::to_string(limitMB) +
           " MB; copies less than a day old are kept at " + stamp;
}

std::array<std::string, 5> deletionBlock(const DeletedMessageEntry &m, const std::string &stamp)
{
    return {
        "DELETE SPAM on " + stamp,
        "   Server:  " + m.server + " Mailbox: " + m.userName,
        "   Subject: " + m.subject,
        "   Sender:  " + m.senderAddress + " " + m.senderName,
        "   Size:    " + m.size + "  Date: " + m.date,
    };
}

std::array<std::string, 5> possibleDeletionBlock(const DeletedMessageEntry &message, const std::string &stamp)
{
    std::array<std::string, 5> block = deletionBlock(message, stamp);
    block[0] = std::string(kMayHaveBeenDeletedMarker) + " on " + stamp;
    return block;
}

std::string getUntilCh(std::string_view line, size_t position, char stop)
{
    if (position == 0 || position > line.size())
        return {};
    const std::string_view rest = line.substr(position - 1);
    return std::string(rest.substr(0, rest.find(stop)));
}

} // namespace tw
