#pragma once
// The statistics tables as text: their headings, the cells of one row, and
// rows written out tab-separated for the clipboard.

#include "stats/log_reader.h"

#include <array>
#include <string>
#include <vector>

namespace tw {

inline constexpr std::array<const char *, 5> kTrafficHeadings{"Date", "Time", "Server", "Mailbox", "# Mail"};
inline constexpr std::array<const char *, 7> kSpamHeadings{"Date",  "Time",   "Server", "Mailbox",
                                                           "Size", "Sender", "Domain"};

// The cell of Column (0-based, in the order of the headings); "" past the last column.
const std::string &trafficCell(const CheckRecord &record, int column);
const std::string &spamCell(const DeletionRecord &record, int column);

// One line per row (the headings first), cells joined by tabs, lines ended
// by CR LF. A tab or line break inside a cell becomes a blank, so every row
// stays one line of the right number of cells.
std::string tabSeparated(const std::vector<std::vector<std::string>> &rows);

} // namespace tw
