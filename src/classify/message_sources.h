#pragma once
// Messages kept in files, read for training: a single message or header
// block, a folder of .eml files, a Maildir, or an mbox file. Only each
// message's header block is used.

#include "net/msmsgcls.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// The header block at the start of Text (a whole message or its header
// lines alone): the lines up to the first empty one, line ends CR LF or LF.
// A leading mbox "From " separator line is not part of it.
TmsHeaders headerBlockOf(std::string_view text);

// The header block at the start of the file at Path (read no further than a
// header block can reach); nullopt with the reason in *Why when the file
// cannot be read.
std::optional<TmsHeaders> headerBlockOfFile(const std::string &path, std::string *why = nullptr);

// What a folder or file holds, as far as training is concerned.
enum class MessageSourceKind {
    Missing,    // nothing at that path
    EmlFolder,  // a folder of .eml files (sub-folders included)
    Maildir,    // a folder with cur/ and new/
    Mbox,       // one file of messages, each beginning with a "From " line
    Message,    // one file holding one message
};
MessageSourceKind messageSourceKind(const std::string &path);

// How a reading went.
struct MessageSourceResult {
    int messages = 0;      // header blocks handed to the visitor
    int unreadable = 0;    // files that could not be read
    bool canceled = false; // the visitor asked to stop
    std::string error;     // non-empty when the source itself could not be read
};

// Calls Visit with the header block of every message of the source at
// Path, in a stable order (files by name; mbox messages in file order).
// Progress(done, total) is called before each message, the total being the
// number of files, or the mbox file's size in bytes with Done its position;
// it returns false to stop, and the reading then ends as canceled.
MessageSourceResult readMessageSource(const std::string &path,
                                      const std::function<void(const TmsHeaders &headers)> &visit,
                                      const std::function<bool(long long done, long long total)> &progress = {});

} // namespace tw
