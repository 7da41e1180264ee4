#pragma once
// The activity log's file format: the time stamp and every kind of line, as
// pure functions shared by the writer (activity_log.h) and the reader
// (log_reader.h), so that whatever is written reads back.
//
// A time stamp is the English three-letter day name, a blank, the date in the
// short date format and a blank and the time in the short time format
// ("Tue 12/8/2026 9:34 PM" with United States settings). Day names are always
// English so that the stamp's layout does not depend on the user's locale.

#include "platform/datetime.h"

#include <array>
#include <string>
#include <string_view>

namespace tw {

inline constexpr const char *kLogLineEnd = "\r\n";
inline constexpr std::string_view kMailCheckMarker = "MAIL CHECK ";
inline constexpr std::string_view kDeleteSpamMarker = "DELETE SPAM";
inline constexpr std::string_view kMayHaveBeenDeletedMarker = "MAY HAVE BEEN DELETED";

std::string logTimeStamp(TDateTime when);

// "MAIL CHECK <count> msg(s) for "<user>" on server <server> at <stamp>"
std::string mailCheckLine(int count, const std::string &userName, const std::string &server, const std::string &stamp);
// "ERROR <text> FOR <user> ON <server> AT <stamp>"
std::string errorLine(const std::string &errorText, const std::string &userName, const std::string &server,
                      const std::string &stamp);
// "WARNING <text> FOR <user> ON <server> AT <stamp>": something the user
// should know of that did not stop the run.
std::string warningLine(const std::string &text, const std::string &userName, const std::string &server,
                        const std::string &stamp);
// "Automatic mode enabled|disabled at <stamp>"
std::string automaticModeLine(bool enabled, const std::string &stamp);
// "Deleted mail holds <kept> MB, above its limit of <limit> MB; copies less
// than a day old are kept at <stamp>"
std::string keptCopiesOverLimitLine(long long keptMB, long long limitMB, const std::string &stamp);

// One deleted message as the deletion run reports it.
struct DeletedMessageEntry {
    std::string server;
    std::string userName;
    std::string subject;
    std::string senderAddress;
    std::string senderName;
    std::string size;  // as listed
    std::string date;  // the list's Date column
};
// The five lines of a deletion block (without line ends).
std::array<std::string, 5> deletionBlock(const DeletedMessageEntry &message, const std::string &stamp);
// The block of a message whose deletion the server accepted in a run that
// ended before it was confirmed: "MAY HAVE BEEN DELETED on <stamp>", then
// the four lines of a deletion block. The statistics do not count it.
std::array<std::string, 5> possibleDeletionBlock(const DeletedMessageEntry &message, const std::string &stamp);

// The characters of Line from the 1-based Position up to (not including) the
// next Stop character or the end; "" when Position lies beyond the line.
std::string getUntilCh(std::string_view line, size_t position, char stop);

} // namespace tw
