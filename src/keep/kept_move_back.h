#pragma once
// Moving kept IMAP messages back where they came from: which kept rows can
// be moved back, the move records that MoveBack (net/imap_client.h) takes
// for them, and which rows a finished MoveBack did move.

#include "keep/kept_message.h"
#include "net/imap_client.h"

#include <vector>

namespace tw {

// Whether Message was moved to a junk folder of an IMAP mailbox and the
// server said where it went there (COPYUID), so that it can be found again.
bool canMoveBack(const KeptMessage &message);

// The rows of one mailbox moved from one folder to one junk folder, and the
// move record that takes them back.
struct KeptMoveBack {
    std::vector<size_t> rows;   // indexes into the rows given, in their order
    TImapMoveRecord record;     // Source and Destination as the rows were moved
};
// Groups the rows that canMoveBack by mailbox (number, server, user) and by
// the move (folders and their UIDVALIDITY), in the order of their first
// rows. Rows that cannot be moved back are left out.
std::vector<KeptMoveBack> keptMoveBacks(const std::vector<KeptMessage> &rows);

// Whether Message is among what MoveBack moved, given the LastMove record
// it left: a move from Message's junk folder that took its UID there.
bool wasMovedBack(const KeptMessage &message, const TImapMoveRecord &moveBack);

} // namespace tw
