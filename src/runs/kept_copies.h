#pragma once
// What the kept copies of a deletion run say about each message: the facts
// of the listing, and for an IMAP mailbox where the message was listed and,
// once moved, where it went, so that it can be moved back.

#include "classify/waiting_messages.h"
#include "keep/deletion_copy_batch.h"
#include "keep/kept_message.h"
#include "runs/mailbox_session.h"

#include <string>
#include <vector>

namespace tw {

// The index row of the copy of listed message Row (shown in the list as
// Message), from mailbox number Mailbox, with the explanation Why.
KeptMessage keptFacts(const TMailboxSession &session, int row, const TWaitingMessage &message, int mailbox,
                      std::vector<std::string> why);

// After an IMAP move to the junk folder: each kept copy's row records the
// junk folder, its UIDVALIDITY and the message's UID there (COPYUID). False
// with the reason when the index cannot be written; nothing for POP3.
bool recordMovesInCopies(DeletionCopyBatch &batch, const TMailboxSession &session, std::string *why = nullptr);

} // namespace tw
