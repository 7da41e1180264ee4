#pragma once
// Which kept copies go when the deleted-mail folder is bounded by age and by
// size. The oldest go first. A copy less than a day old is never removed to
// make room: a run that deletes a great deal must leave the user a day to
// notice, so the folder then stays above its size and the caller says so.

#include "keep/kept_message.h"

#include <string>
#include <vector>

namespace tw {

struct KeptCopyLimits {
    int days = 30;             // copies older than this many days go; 0: copies are off and none go
    long long maxBytes = 0;    // the most the copies may take together; 0: no bound
};

inline constexpr qint64 kSecondsPerDay = 24 * 60 * 60;

struct ExpiryPlan {
    std::vector<std::string> remove;  // file names, oldest first
    long long bytesLeft = 0;          // what the copies that stay take together
    bool overLimit = false;           // still above maxBytes, with only young copies left to remove
};

// The copies of Rows that Limits remove at Now (seconds since 1970 UTC).
ExpiryPlan planExpiry(const std::vector<KeptMessage> &rows, qint64 now, const KeptCopyLimits &limits);

} // namespace tw
