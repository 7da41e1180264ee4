#pragma once
// What the kept copies of a deletion run say about each message: the facts
// of the listing, and for an IMAP mailbox where the message was listed and,
// once moved, where it went, so that it can be moved back.

#include "classify/waiting_messages.h"
#include "keep/deletion_copy_batch.h"
#include "keep/kept_message.h"
#include "runs/mailbox_session.h"
#include "settings/settings_schema.h"
#include "stats/activity_log.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tw {

// The index row of the copy of listed message Row (shown in the list as
// Message), from mailbox number Mailbox, with the explanation Why.
KeptMessage keptFacts(const TMailboxSession &session, int row, const TWaitingMessage &message, int mailbox,
                      std::vector<std::string> why);

// The copies of a deletion of the listed rows Flagged: a batch over Store
// (messages larger than MaxMessageBytes keep their header block), each row
// described with keptFacts and its explanation from Explain (whose error
// becomes a line of the explanation).
std::unique_ptr<DeletionCopyBatch> prepareCopies(const DeletedMailStore &store, long long maxMessageBytes,
                                                 const TMailboxSession &session, const WaitingMessages &messages,
                                                 const std::vector<int> &flagged, int mailbox,
                                                 const std::function<std::vector<std::string>(int row)> &explain);

// The limits the general settings set on the kept copies (days, whole MB).
KeptCopyLimits keptCopyLimits(const GeneralSettings &general);
// Removes the copies that General's days and size expire at Now (seconds
// since 1970 UTC); a folder that stays above its size for young copies is
// logged to Log (whose path is set).
void expireKeptCopies(const DeletedMailStore &store, const GeneralSettings &general, ActivityLog &log, qint64 now);

// After an IMAP move to the junk folder: each kept copy's row records the
// junk folder, its UIDVALIDITY and the message's UID there (COPYUID). False
// with the reason when the index cannot be written; nothing for POP3.
bool recordMovesInCopies(DeletionCopyBatch &batch, const TMailboxSession &session, std::string *why = nullptr);

} // namespace tw
