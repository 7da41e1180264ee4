#include "runs/listed_row.h"

#include "platform/clock_locale.h"

namespace tw {

TWaitingMessage listedRow(const TmsRemoteInfoItem &item)
{
    const TmsHeaders &headers = item.Headers;
    TWaitingMessage row;
    row.subject = headers.GetFieldBody("Subject");
    const SplitAddressResult from = SplitAddress(headers.GetFieldBody("From"));
    row.senderAddress = from.address;
    row.senderName = from.name;
    row.sizeText = std::to_string(item.Size);
    const std::string date = headers.GetFieldBody("Date");
    const ParsedDate parsed = ParseDate(date);
    row.dateText = parsed.value != 0 ? LocaleFormats::listDateTime(parsed.value) : date;
    return row;
}

} // namespace tw
