#pragma once
// One IMAP server response (RFC 3501 section 7) and the parser that reads
// it. A response arrives as lines, and a line that ends in a literal marker
// ("{123}", also "{123+}" and "~{123}") is followed by that many bytes of
// literal data and then by the rest of the response on a further line
// (imap_reply_reader.h collects them). The parser turns these into:
//  - a continuation request: "+ text";
//  - a status response, tagged or untagged: OK, NO, BAD, PREAUTH or BYE,
//    an optional response code in brackets, and a text for people;
//  - an untagged data response: "* 12 EXISTS", "* CAPABILITY ...",
//    "* 3 FETCH (UID 7 RFC822.SIZE 42 BODY[HEADER] {42} ...)", with its
//    data as a tree of atoms, strings and lists.
// Everything in a response is the server's and untrusted: numbers are
// checked by the callers that use them, and the parser holds every reply to
// the bounds of imap_limits.h.

#include "net/errors.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A reply that cannot be read as IMAP, or goes past a bound: the client and
// the server are no longer in step, and the connection is closed.
class EImapReplyError : public ETidewellError {
public:
    using ETidewellError::ETidewellError;
};

// One value of a response's data.
struct TImapValue {
    enum class Kind {
        Atom,   // also numbers and flags: "UID", "42", "\Seen", "BODY[HEADER]"
        String, // a quoted string or a literal
        Nil,
        List,   // a parenthesized list
    };
    Kind kind = Kind::Nil;
    std::string text;              // the atom, or the string's bytes (of a literal, the kept part)
    long long droppedBytes = 0;    // a literal's bytes beyond what was kept
    std::vector<TImapValue> items; // a list's values

    // An atom equal to Name, ignoring the case of a..z.
    bool isAtom(std::string_view name) const;
    // An atom or a string: what IMAP calls an astring (mailbox names).
    bool isText() const { return kind == Kind::Atom || kind == Kind::String; }
    // The value of an atom of decimal digits that fits in 32 bits; nothing
    // for anything else.
    std::optional<uint32_t> number() const;
};

// A response as it came off the wire: its lines without their line ends,
// and after each line but the last the literal that line announced.
struct TImapRawResponse {
    struct Literal {
        std::string bytes;          // what was kept of it
        long long droppedBytes = 0; // what was read beyond that and dropped
    };
    std::vector<std::string> lines;
    std::vector<Literal> literals;
};

struct TImapResponse {
    enum class Kind { Untagged, Tagged, Continuation };
    Kind kind = Kind::Untagged;
    std::string tag; // Tagged only

    // Status responses (tagged, or untagged OK, NO, BAD, PREAUTH, BYE).
    std::string status;        // upper case; "" for a data response
    std::string code;          // the response code's name, upper case ("UIDVALIDITY"); "" when none
    std::string codeArguments; // the code's arguments as sent ("3857529045")
    std::string text;          // the text after the code; a continuation's whole text

    // Untagged data responses.
    std::string name;              // upper case ("FETCH", "CAPABILITY")
    std::optional<uint32_t> number; // the number before the name ("* 3 FETCH")
    std::vector<TImapValue> data;  // the values after the name

    // The response as the server wrote it, without the tag or "* ": what a
    // user is shown of a refusal.
    std::string line;

    bool isStatus() const { return !status.empty(); }
    bool is(std::string_view Status) const { return status == Status; }
    // The first line of the response without the tag, as text that is safe
    // to show: control characters become spaces, and a text longer than
    // MaxQuoted bytes is cut (at a whole UTF-8 character) and marked.
    std::string quoted() const { return safeText(line); }
    // Text of the server's made safe to show, as quoted() does it.
    static std::string safeText(std::string text);
    static constexpr size_t MaxQuoted = 400;
};

// The literal marker at the end of Line: where it begins and the size it
// announces ("{123}", "{123+}" or "~{123}"). A size that does not fit in 64
// bits reads as UINT64_MAX. Nothing when the line does not end in one.
struct TImapLiteralMarker {
    size_t start = 0;
    uint64_t size = 0;
};
std::optional<TImapLiteralMarker> literalMarker(std::string_view line);

// Reads Raw as one response. Raises EImapReplyError for what is not a
// response: an empty line, a tagged reply without a status, an untagged one
// without a name, an unterminated string or list, a marker without its
// literal, more than imap::kMaxItemsPerReply values or lists nested deeper
// than imap::kMaxNesting.
TImapResponse parseImapResponse(const TImapRawResponse &Raw);

// The value of Text when it is a decimal number that fits in 32 bits.
std::optional<uint32_t> imapNumber(std::string_view text);

// Text for a command line as a quoted string, with \ and " escaped. Only
// for text without CR, LF or NUL and without bytes above 127 (which go as
// literals; the caller checks first).
std::string imapQuoted(std::string_view text);

} // namespace tw
