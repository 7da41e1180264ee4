#include "net/imap_reply_reader.h"

#include <algorithm>

namespace tw {

TImapRawResponse readImapRawResponse(TImapInput &Input, const TImapReadLimits &Limits)
{
    TImapRawResponse raw;
    long long keptInAll = 0;
    raw.lines.push_back(Input.readLine());
    while (const auto marker = literalMarker(raw.lines.back())) {
        if (marker->size > uint64_t(Limits.MaxLiteralBytes) || int(raw.literals.size()) >= Limits.MaxLiterals)
            throw EImapReplyError("Server reply is larger than allowed");
        const long long size = (long long)marker->size;
        const long long keep = std::clamp(std::min(Limits.MaxKeptPerLiteral, Limits.MaxKeptBytes - keptInAll), 0LL, size);
        TImapRawResponse::Literal &literal = raw.literals.emplace_back();
        literal.droppedBytes = Input.readLiteral(literal.bytes, size, keep);
        keptInAll += (long long)literal.bytes.size();
        raw.lines.push_back(Input.readLine());
    }
    return raw;
}

TImapResponse readImapResponse(TImapInput &Input, const TImapReadLimits &Limits)
{
    return parseImapResponse(readImapRawResponse(Input, Limits));
}

} // namespace tw
