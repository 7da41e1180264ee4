#pragma once
// Reads one whole IMAP response off a connection: a line, and while a line
// ends in a literal marker, that many bytes and the next line. The bytes
// come from a TImapInput (the socket in the client, memory in the tests and
// the fuzz target); each literal is read exactly, so the next response
// starts where the server meant it to, and a literal too large to keep is
// read to its end with its rest dropped.

#include "net/imap_limits.h"
#include "net/imap_response.h"

#include <string>

namespace tw {

// Where the reader gets a response's bytes.
class TImapInput {
public:
    virtual ~TImapInput() = default;
    // The next line, without its line end. Raises when the connection ends
    // before one is complete.
    virtual std::string readLine() = 0;
    // Reads the next Count bytes: appends the first MaxKept of them to Out
    // and drops the rest. Returns how many were dropped.
    virtual long long readLiteral(std::string &Out, long long Count, long long MaxKept) = 0;
};

// What one response may hold.
struct TImapReadLimits {
    long long MaxKeptBytes = imap::kMaxReplyKeptBytes;         // of all its literals together
    long long MaxKeptPerLiteral = imap::kMaxHeaderBlockBytes;   // of each literal
    long long MaxLiteralBytes = imap::kMaxLiteralBytes;         // announced by one literal
    int MaxLiterals = imap::kMaxLiteralsPerReply;
};

// Reads the lines and literals of one response. Raises EImapReplyError
// "Server reply is larger than allowed" for a literal above
// MaxLiteralBytes (before reading it) or more than MaxLiterals of them;
// what Input raises goes on.
TImapRawResponse readImapRawResponse(TImapInput &Input, const TImapReadLimits &Limits = {});

// readImapRawResponse, then parseImapResponse.
TImapResponse readImapResponse(TImapInput &Input, const TImapReadLimits &Limits = {});

} // namespace tw
