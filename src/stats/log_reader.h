#pragma once
// Reading the activity log back into records (readInLogFile): one check
// record per "MAIL CHECK" line and one deletion record per "DELETE SPAM"
// block, in log order, and the list of mailboxes the checks name.

#include "platform/datetime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tw {

struct CheckRecord {
    std::string count;    // messages found, decimal text
    std::string mailbox;  // the user name
    std::string server;
    std::string date;     // short date text
    std::string time;     // short time text
    int countValue = 0;   // count as a number (0 when it is none)
    TDateTime dateValue = 0;  // the date at midnight
    TDateTime timeValue = 0;  // the time of day (fraction of a day)
};

struct DeletionRecord {
    std::string mailbox;
    std::string server;
    std::string date;
    std::string time;
    std::string size;
    std::string sender;  // address, a blank and the name, in lower case
    std::string domain;  // the sender after its first "@" ("" without one)
    TDateTime dateValue = 0;
    TDateTime timeValue = 0;
};

inline constexpr const char *kAllMailboxes = "All mailboxes";

struct ActivityLogData {
    std::vector<CheckRecord> checks;
    std::vector<DeletionRecord> deletions;
    // "All mailboxes", then every mailbox of the check records in order of
    // first appearance (texts differing only in letter case count once).
    std::vector<std::string> mailboxes{kAllMailboxes};
};

inline constexpr const char *kLogMissingError =
    "The activity log file does not exist!  Either you have cleared/deleted the activity log or you have not "
    "yet begun to use Tidewell.";
inline constexpr const char *kLogUnreadableError = "Could not open Activity log file for reading!";

// The largest activity log the statistics read (some four million lines,
// decades of checks); a larger file, or a pipe or a device in the log's
// place, is one that cannot be read.
inline constexpr size_t kMaxActivityLogBytes = size_t(256) << 20;

// Progress while reading: the estimated position (60 bytes per line read,
// at most the file size) and the file size. Called whenever the estimate has
// moved by at least a two-hundredth of the file, and at the end.
using LogReadProgress = std::function<void(long long position, long long fileSize)>;

// Asked every few thousand lines; true ends the reading early.
using LogReadCancelled = std::function<bool()>;

// Reads the log at Path. On failure returns nullopt and puts the error text
// to show (kLogMissingError or kLogUnreadableError) into ErrorText; when
// Cancelled ended the reading, returns nullopt with ErrorText empty.
std::optional<ActivityLogData> readInLogFile(const std::string &path, std::string &errorText,
                                             const LogReadProgress &progress = {},
                                             const LogReadCancelled &cancelled = {});

} // namespace tw
