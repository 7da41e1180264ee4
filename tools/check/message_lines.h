#pragma once
// How tidewell-check prints a listed message: a line of tab-separated
// fields, or one JSON object.

#include "classify/waiting_messages.h"

#include <string>

namespace tw::check {

struct PrintedMessage {
    int mailbox = 0;
    const char *protocol = "POP3";
    std::string number; // POP3 message number or IMAP UID
    int mark = mark::None;
    long long size = 0;
    std::string sender;
    std::string subject;
};

// "delete", "blacklist", "question", "exception" or "none".
const char *markName(int mark);
// mailbox TAB number TAB mark TAB size TAB sender TAB subject, with tabs and
// line ends in the texts made blanks.
std::string messageLine(const PrintedMessage &message);
// {"mailbox":1,"protocol":"POP3","number":"3","mark":"delete","size":1234,
//  "sender":"...","subject":"..."}; texts that are not UTF-8 are read as Latin-1.
std::string messageJson(const PrintedMessage &message);

} // namespace tw::check
