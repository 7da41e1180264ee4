#pragma once
// The record of a deletion run that has not been confirmed yet. The server
// removes the messages whose DELE it accepted only at the QUIT that ends the
// session; the run logs them after that. A program that ends in between
// (killed, a crash, a power cut) would leave deleted messages with no trace.
// So before the QUIT the run writes this record: the log blocks of those
// messages, ready to be logged as "may have been deleted". Once the deletions
// are logged the run removes it (confirms). A record still there at the next
// start, or after a session that broke off at its QUIT, goes to the activity
// log as "MAY HAVE BEEN DELETED" blocks and is removed.

#include "stats/activity_log.h"
#include "stats/log_format.h"

#include <string>
#include <vector>

namespace tw {

class PendingDeletionRecord {
public:
    // The record's file: "deletion.pending" in the program folder unless given.
    explicit PendingDeletionRecord(std::string path = {});

    const std::string &path() const { return m_path; }
    bool exists() const;

    // Writes the record for Messages, stamped Stamp (a private file, written
    // whole or not at all). False, with the reason in *Why, when it cannot be written.
    bool write(const std::vector<DeletedMessageEntry> &messages, const std::string &stamp, std::string *why = nullptr);
    // Removes the record: its deletions are in the log.
    void confirm();
    // Appends a record left behind to Log as "may have been deleted" blocks
    // and removes it; returns the number of messages it named (0 without a
    // record). A record is kept for a later try when Log names a file that
    // cannot be opened; with a blank log path it is removed unlogged.
    int logUnconfirmed(ActivityLog &log);

private:
    std::string m_path;
};

} // namespace tw
