#pragma once
// The activity log's automatic naming: as is, a new file every month
// ("Dec26.txt") or every quarter ("Q4_26.txt"), in the folder of the current
// log path. Month names are always the English three-letter abbreviations so
// that file names do not change with the user's locale.

#include "platform/datetime.h"
#include "settings/settings_schema.h"

#include <string>

namespace tw {

// The log path after applying Naming at the moment Now; the folder part of
// Path (everything up to and including its last '/') is kept.
std::string applyLogNaming(const std::string &path, LogNaming naming, TDateTime now);

// Creates the folder of the log file Path when missing. True when there is
// nothing to log (Path empty) or the folder exists afterwards; false for a
// path without a folder or a folder that cannot be made.
bool prepareLogFolder(const std::string &path);

} // namespace tw
