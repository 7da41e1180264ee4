#pragma once
// The row a listed message becomes in the list of waiting messages.

#include "classify/waiting_messages.h"
#include "net/msmsgcls.h"

namespace tw {

// Subject; sender address and name (SplitAddress of "From"); the size as
// listed; the "Date" value in the list's date format, or the raw value when
// it is no date. The mark is none.
TWaitingMessage listedRow(const TmsRemoteInfoItem &item);

} // namespace tw
