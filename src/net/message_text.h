#pragma once
// What "View body of one message" shows of a decoded message, as UTF-8 text:
// the body converted from its character set (an HTML body read as plain
// text, its source kept beside it), no more than a given number of bytes of
// it with a line that says how much was left out, and the list of the
// message's attachments.

#include "net/msmsg.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// How much of a body's text is shown, so that the window that shows it
// stays quick whatever the message holds; the saved message file stays
// whole. A text widget lays out a line without break opportunities in time
// that grows with the square of its length, and every line costs memory.
struct TShowLimits {
    size_t bytes = 4 * 1024 * 1024; // of the body's text as it lies in the message
    size_t lines = 100000;          // of the text as shown
    size_t lineLength = 10000;      // bytes; a longer line is shown broken into lines of this length
    // No limits at all (tidewell-show prints everything).
    static TShowLimits none() { return {SIZE_MAX, SIZE_MAX, SIZE_MAX}; }
};

// An attachment as the view offers it for saving.
struct TShownAttachment {
    std::string name;        // as the message names it, UTF-8 ("" when it names none)
    std::string contentType;
    std::string contents;    // decoded
};

struct TShownMessage {
    std::string text;    // the body; an HTML body read as plain text
    std::string source;  // an HTML body's source as written ("" for other bodies)
    bool html = false;
    size_t leftOut = 0;  // bytes of the body's text that were not read
    // What follows the body in the view: a line saying that the text was
    // cut (how much was left out, and the file that holds it all), then the
    // attachments, each on a line with its name, type and size ("" when
    // there is neither). Other forms of the body (the HTML part of a
    // multipart/alternative message) are no attachments and are not listed.
    std::string trailer;
    // The attachments of that list, in its order, for saving.
    std::vector<TShownAttachment> attachments;
};

// The body text is the text part the decoder chose (Body, or the attachment
// that holds it when the first part travelled base64-encoded, or a text
// attachment when the message has nothing else), read in its declared
// character set (for HTML without one, the set its <meta> names; else UTF-8
// when valid, else Latin-1), within Limits. SavedFile names the file that
// holds the whole message, for the line about what was left out.
TShownMessage shownMessage(const TmsCustomMessage &message, const std::string &savedFile,
                           const TShowLimits &limits = {});

// A name under which an attachment can be saved without harm: only its last
// path part, no control characters, no leading dot (nothing hidden, no
// ".."), no path separators, at most 200 bytes (UTF-8 never cut inside a
// character); "attachment" when nothing is left.
std::string safeAttachmentFileName(const std::string &name);

// A size as people read it: "1 byte", "13 bytes", "2.5 KB", "3.1 MB".
std::string readableSize(size_t bytes);

} // namespace tw
