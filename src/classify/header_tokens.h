#pragma once
// The clues a learned score weighs, taken from a message's header block
// alone. Every token names the header it comes from ("subject:free",
// "from-domain:example.com", "xip24:192.0.2"), so that one word can mean
// different things in different places. The header model decodes encoded
// words first; ASCII letters are folded to lower case; words that only
// identify one message (ids, long numbers, time stamps) are reduced to their
// shape ("id:a#a#") so that they do not fill the store with tokens that
// never come back. Tokens never hold a blank or a control character.

#include "net/msmsgcls.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

using TokenSink = std::function<void(std::string_view token)>;

// Calls Sink for every token of Headers in order of appearance; a token may
// come more than once. Never raises: a header value whose encoded words
// cannot be decoded is read as it stands.
void tokenizeHeaders(const TmsHeaders &headers, const TokenSink &sink);

// The distinct tokens of Headers, sorted.
std::vector<std::string> headerTokens(const TmsHeaders &headers);

} // namespace tw
