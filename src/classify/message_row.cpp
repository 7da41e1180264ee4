#include "classify/message_row.h"

#include "net/errors.h"

namespace tw {

namespace {

std::string fieldOrEmpty(const TmsHeaders &headers, const std::string &name)
{
    try {
        return headers.GetFieldBody(name);
    } catch (const ETidewellError &) {
        return std::string();
    }
}

} // namespace

TWaitingMessage rowFromHeaders(const TmsHeaders &headers, long long size)
{
    TWaitingMessage row;
    row.subject = fieldOrEmpty(headers, "Subject");
    const SplitAddressResult from = SplitAddress(fieldOrEmpty(headers, "From"));
    row.senderAddress = from.address;
    row.senderName = from.name;
    row.sizeText = std::to_string(size);
    row.dateText = fieldOrEmpty(headers, "Date");
    return row;
}

HeaderBlock readHeaderBlock(std::string_view text)
{
    HeaderBlock block;
    size_t at = 0;
    while (at < text.size()) {
        const size_t lf = text.find('\n', at);
        const size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        std::string_view line = text.substr(at, (lf == std::string_view::npos ? text.size() : lf) - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        at = end;
        if (line.empty())
            break;
        block.headers.Add(std::string(line));
    }
    block.bytesRead = at;
    return block;
}

} // namespace tw
