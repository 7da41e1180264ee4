#pragma once
// What the POP3 client accepts from a server before it stops trusting it.
// A server that goes past one of these is broken or hostile: the run ends
// with an error and the connection is closed, instead of memory or time
// growing without bound. Every figure is far above what a real mailbox sends.

namespace tw::pop3 {

// The header block of one message (the reply to TOP n 1) as far as it is
// kept. A larger reply (a huge header block, or a first body line of many
// megabytes, as a one-line HTML message has) is read to its end and dropped,
// and the message is listed without what did not fit, so the listing goes on.
inline constexpr long long kMaxHeaderBlockBytes = 1LL << 20;
// One retrieved message, whatever its listed size says.
inline constexpr long long kMaxMessageBytes = 256LL << 20;
// A message may arrive somewhat larger than LIST said (line ends, dot-
// stuffing, a server that counts loosely), never more than twice that plus this.
inline constexpr long long kListedSizeSlack = 64LL << 10;
// A message file the program wrote (a downloaded message, a kept copy of a
// deleted one) is never larger than one retrieved message; reading one
// stops past this, whatever lies in its place.
inline constexpr long long kMaxMessageFileBytes = kMaxMessageBytes + (1LL << 20);
// The messages one listing reads; a mailbox reporting more is listed up to
// here and the run ends with a message saying so.
inline constexpr int kMaxListedMessages = 100000;
// A whole header block must arrive within this many time-outs, however
// steadily its lines trickle in.
inline constexpr int kHeaderBlockTimeOuts = 3;
// A retrieved message may take the time-out plus one second for every this
// many bytes of its listed size (a slow dial-up line moves several times that).
inline constexpr long long kSlowestBytesPerSecond = 1024;

// Commands sent ahead of their replies to a server that allows it: at most
// this much command text unanswered, which fits in the network's buffers
// even when the server is slow to read, so a write never waits for replies
// that nobody is reading; and the commands of at most this many messages,
// so a refusal or a cancel leaves the server little work done for nothing.
// Each reply is still read alone, within the limits above.
inline constexpr long long kMaxWindowBytes = 64LL << 10;
inline constexpr int kMaxWindowMessages = 1000;
// The window is topped up whenever this share of it has been answered.
inline constexpr int kWindowTopUpShare = 8; // one eighth

// One line of the reply to LIST without an argument ("n size"); a longer
// one is no listing. The whole reply may hold one such line per message.
inline constexpr long long kMaxScanLineBytes = 64;

} // namespace tw::pop3
