#pragma once
// What the IMAP client accepts from a server before it stops trusting it:
// the same bounds as the POP3 client's (pop3_limits.h), in IMAP's terms. A
// server that goes past one of them is broken or hostile: the run ends with
// an error and the connection is closed, instead of memory or time growing
// without bound.

#include "net/pop3_limits.h"

#include <cstddef>

namespace tw::imap {

// The header block of one message as far as it is kept. A larger one is
// read to its end and dropped, and the message is listed with the complete
// header lines of what was kept.
inline constexpr long long kMaxHeaderBlockBytes = pop3::kMaxHeaderBlockBytes;
// What one reply may keep in all: a header block and a little more.
inline constexpr long long kMaxReplyKeptBytes = kMaxHeaderBlockBytes + (64LL << 10);
// The largest literal a reply may announce (a whole message at most).
inline constexpr long long kMaxLiteralBytes = pop3::kMaxMessageBytes;
// A message fetched whole for its kept copy may be this much larger than
// the size it was listed with before it counts as changed since the
// listing: the copy is then neither kept nor the message removed, and the
// server sends no more than that into memory.
inline constexpr long long kCopySizeMargin = 4096;
// Literals in one reply; the replies Tidewell asks for hold one or two.
inline constexpr int kMaxLiteralsPerReply = 64;
// Items (atoms, strings, lists) in one reply.
inline constexpr int kMaxItemsPerReply = 100000;
// How deeply lists may nest in one reply.
inline constexpr int kMaxNesting = 32;
// The messages one listing reads; a folder holding more is listed up to
// here and the run ends with a message saying so.
inline constexpr int kMaxListedMessages = pop3::kMaxListedMessages;
// Untagged replies to one command: a listing gets one per message, and a
// server may add news about the folder between them, but not without end.
inline constexpr int kMaxUntaggedPerMessage = 3;
inline constexpr int kMinUntaggedPerCommand = 10000;
// A whole reply must arrive within this many time-outs, plus one second for
// every kSlowestBytesPerSecond bytes beyond what is kept of it.
inline constexpr int kReplyTimeOuts = pop3::kHeaderBlockTimeOuts;
inline constexpr long long kSlowestBytesPerSecond = pop3::kSlowestBytesPerSecond;
// Command lines stay below this many bytes (servers refuse longer ones), so
// a long list of UIDs goes out in several commands.
inline constexpr size_t kMaxCommandBytes = 8000;
// Folders one LIST may name; a server listing more is read to the end, and
// the rest is not looked at.
inline constexpr int kMaxFolders = 10000;

} // namespace tw::imap
