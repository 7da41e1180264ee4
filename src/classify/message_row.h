#pragma once
// Turning a message's header block into its row of the waiting-message list,
// the way a check lists it, and reading a raw header block from text.

#include "classify/waiting_messages.h"
#include "net/msmsgcls.h"

#include <string>
#include <string_view>

namespace tw {

// The row for a message: subject (GetFieldBody "Subject"), sender address
// and name (SplitAddress of "From"), Size as decimal text, and the raw
// "Date" value as its date text. The mark is none. A header whose encoded
// words cannot be decoded leaves its cell empty.
TWaitingMessage rowFromHeaders(const TmsHeaders &headers, long long size);

// A header block read from the start of Text: lines end in CR LF or LF, and
// reading stops at the first empty line (which is consumed). BytesRead
// counts every byte consumed, line ends included.
struct HeaderBlock {
    TmsHeaders headers;
    size_t bytesRead = 0;
};
HeaderBlock readHeaderBlock(std::string_view text);

} // namespace tw
