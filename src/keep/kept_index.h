#pragma once
// The index of the deleted-mail folder ("index.txt"): a first line naming
// the format, then one line per kept copy with these fields, separated by
// tabs: file name, date deleted (ISO 8601, UTC), mailbox number, server,
// user, UIDL, size as listed, bytes kept, "whole" or "headers", subject,
// sender address, sender name, and the explanation of its mark (its lines
// joined by line feeds). An IMAP message's row goes on with seven fields
// more: "IMAP", the folder it was listed in, the junk folder it was moved to,
// the UIDVALIDITY of each, its UID in each (0 where the server gave none). A
// POP3 row has the first thirteen fields alone, so rows written before IMAP
// existed read as POP3 rows. In every field a backslash, tab, line feed and
// carriage return are written as \\, \t, \n and \r. Lines end in CR LF.

#include "keep/kept_message.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

inline constexpr const char *kKeptIndexFileName = "index.txt";
inline constexpr std::string_view kKeptIndexFirstLine = "Tidewell deleted mail 1";

std::string keptIndexText(const std::vector<KeptMessage> &rows);

struct ParsedKeptIndex {
    std::vector<KeptMessage> rows;  // every row that reads back whole, in file order
    bool damaged = false;           // a line was left out, or the first line was wrong
};
// Reads an index. A line that is not a whole row (wrong number of fields, a
// number that is none, a file name that keptFileName did not make, a file
// named twice) is left out and marks the index damaged; nothing is raised.
ParsedKeptIndex parseKeptIndex(std::string_view text);

} // namespace tw
