#pragma once
// The activity log writer: appends lines (CR LF) to the log file and flushes
// each one at once. The file is opened for one entry, or for one deletion
// run, and closed again, so another program may read or delete it between
// entries. A blank path logs nothing; a line written while the log is not
// open is dropped.

#include "stats/log_format.h"

#include <string>

namespace tw {

// The file a log path names: a relative path is taken relative to the
// program folder (the writer and the statistics read the same file).
std::string resolveLogPath(const std::string &path);

class ActivityLog {
public:
    ActivityLog() = default;
    ~ActivityLog();
    ActivityLog(const ActivityLog &) = delete;
    ActivityLog &operator=(const ActivityLog &) = delete;

    // The log path (the general settings' log file field). A relative path is
    // taken relative to the program folder. Takes effect at the next open.
    void setPath(std::string path) { m_path = std::move(path); }
    const std::string &path() const { return m_path; }
    bool isOpen() const { return m_fd >= 0; }

    // Opens the log for appending; does nothing when it is open already or the
    // path is blank. A missing folder is created with its parents; when that
    // fails the error "Unable to create directory = "<folder>"  Logging will
    // not take place." is shown and the log stays closed. A file that cannot
    // be opened or created leaves the log closed without a message.
    void OpenLogFile();
    // Closes the log if it is open.
    void CloseLogFile();

    // Appends Line and its line end and flushes; dropped while not open.
    void writeLine(const std::string &line);

    // Whole entries, stamped with the current time. All but the deletion block open the
    // log, write and close it again; a deletion block is written only while
    // the log is open (the deletion run opens it around its deletions).
    void logMailCheck(int count, const std::string &userName, const std::string &server);
    void logError(const std::string &errorText, const std::string &userName, const std::string &server);
    void logWarning(const std::string &text, const std::string &userName, const std::string &server);
    void logAutomaticMode(bool enabled);
    void logKeptCopiesOverLimit(long long keptMB, long long limitMB);
    void logDeletion(const DeletedMessageEntry &message);

private:
    void writeEntry(const std::string &line);

    std::string m_path;
    int m_fd = -1;
};

} // namespace tw
