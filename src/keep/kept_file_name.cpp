#include "keep/kept_file_name.h"

#include "platform/bytes.h"

#include <QDateTime>
#include <vector>

namespace tw {

namespace {

constexpr size_t kMaxUidlBytes = 100;
constexpr char kTimeFormat[] = "yyyyMMdd'T'HHmmss'Z'";

bool isPlain(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

std::string safeUidl(std::string_view uidl)
{
    std::string safe;
    for (char c : uidl.substr(0, kMaxUidlBytes)) {
        if (isPlain(c)) {
            safe += c;
        } else {
            safe += '%';
            appendHexByte(safe, static_cast<unsigned char>(c));
        }
    }
    return safe;
}

std::optional<std::string> uidlFromSafe(std::string_view safe)
{
    std::string uidl;
    for (size_t i = 0; i < safe.size(); ++i) {
        if (isPlain(safe[i])) {
            uidl += safe[i];
            continue;
        }
        if (safe[i] != '%' || i + 2 >= safe.size() || hexDigitValue(safe[i + 1]) < 0 ||
            hexDigitValue(safe[i + 2]) < 0)
            return std::nullopt;
        uidl += char(hexDigitValue(safe[i + 1]) * 16 + hexDigitValue(safe[i + 2]));
        i += 2;
    }
    return uidl;
}

std::optional<int> smallNumber(std::string_view text)
{
    long long value = 0;
    if (text.empty() || text.size() > 6 || !isPlain(text.front()) || !parseInt(text, value) || value < 0)
        return std::nullopt;
    return int(value);
}

// The decimal number of Digits, or -1 when one is no digit.
int digitsValue(std::string_view digits)
{
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "yyyyMMddTHHmmssZ" read as UTC; invalid for anything else. Read by hand:
// a folder of ten thousand copies is listed at every opening.
QDateTime timeFromName(std::string_view text)
{
    if (text.size() != 16 || text[8] != 'T' || text[15] != 'Z')
        return {};
    const int year = digitsValue(text.substr(0, 4));
    const QDate date(year, digitsValue(text.substr(4, 2)), digitsValue(text.substr(6, 2)));
    const int hour = digitsValue(text.substr(9, 2)), minute = digitsValue(text.substr(11, 2)),
              second = digitsValue(text.substr(13, 2));
    // A negative year would be a valid date before our era: no digits, no date.
    if (year < 1 || !date.isValid() || !QTime::isValid(hour, minute, second))
        return {};
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC);
}

} // namespace

std::string keptFileName(qint64 deletedAt, int mailbox, std::string_view uidl, int duplicate)
{
    const QDateTime when = QDateTime::fromSecsSinceEpoch(deletedAt, Qt::UTC);
    std::string name = when.toString(QLatin1String(kTimeFormat)).toStdString() + "_" + std::to_string(mailbox) + "_" +
                       safeUidl(uidl);
    if (duplicate > 1)
        name += "_" + std::to_string(duplicate);
    return name + std::string(kKeptFileSuffix);
}

std::optional<KeptFileNameParts> parseKeptFileName(std::string_view name)
{
    if (!endsWith(name, kKeptFileSuffix))
        return std::nullopt;
    name.remove_suffix(kKeptFileSuffix.size());
    std::vector<std::string_view> fields;
    for (size_t at = 0;;) {
        const size_t bar = name.find('_', at);
        fields.push_back(name.substr(at, bar == std::string_view::npos ? std::string_view::npos : bar - at));
        if (bar == std::string_view::npos)
            break;
        at = bar + 1;
    }
    if (fields.size() < 3 || fields.size() > 4)
        return std::nullopt;
    const QDateTime when = timeFromName(fields[0]);
    const std::optional<int> mailbox = smallNumber(fields[1]);
    const std::optional<std::string> uidl = uidlFromSafe(fields[2]);
    if (!when.isValid() || !mailbox || !uidl || (fields.size() == 4 && !smallNumber(fields[3])))
        return std::nullopt;
    return KeptFileNameParts{when.toSecsSinceEpoch(), *mailbox, *uidl};
}

} // namespace tw
