#pragma once
// What one FETCH response says about a message: the items the client asks
// for (UID, RFC822.SIZE, FLAGS, the header block, the whole message), in whatever
// order the server sends them. A server may also send FETCH responses of
// its own (a flag changed by another client); those carry none of them.

#include "net/imap_response.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tw {

struct TImapFetch {
    // A string item: the bytes kept of it and how many were dropped.
    struct Part {
        std::string bytes;
        long long droppedBytes = 0;
    };
    uint32_t sequence = 0;            // the message's number in the folder
    std::optional<uint32_t> uid;      // UID
    std::optional<uint32_t> size;     // RFC822.SIZE
    std::optional<Part> header;       // BODY[HEADER] (NIL: empty)
    std::optional<Part> message;      // BODY[] (NIL: empty)
    std::optional<bool> markedDeleted; // FLAGS: whether \Deleted is among them
};

// The items of a "* n FETCH (...)" response. Raises EImapReplyError when
// they are not a list of names and values, or UID or RFC822.SIZE is not a
// number, or the message number is missing.
TImapFetch fetchOf(const TImapResponse &Response);

} // namespace tw
