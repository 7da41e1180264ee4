#pragma once
// The bookkeeping of one deletion run over a mailbox session: which of the
// listed messages are marked, which the server removed or left alone, the
// record that keeps accepted deletions traceable until they are logged, the
// five-line log block of each removed message, and which "removed" messages
// a listing afterwards still shows.
//
// Order of use: markedRows, transfer (a failure goes on to the caller, who
// logs it and then logUnconfirmed), logDeletions, removedMessages (before the
// mailbox is listed again), confirm.

#include "classify/waiting_messages.h"
#include "net/msmsgcls.h"
#include "runs/mailbox_session.h"
#include "stats/activity_log.h"
#include "stats/deletion_record.h"

#include <string>
#include <vector>

namespace tw {

class TDeletionRun {
public:
    // Messages: the rows of Session's listing, in its order. Log: where the
    // blocks go. RecordPath: the pending record's file ("" for its usual place).
    TDeletionRun(TMailboxSession &session, const WaitingMessages &messages, ActivityLog &log,
                 std::string recordPath = {});

    // The listed rows with a deletion mark, in list order.
    std::vector<int> markedRows() const;
    // Removes Rows through the session (each confirmed first; with Copies, a
    // copy kept first). Just before the session ends, the record of the
    // accepted deletions is written; when it cannot be, ETidewellError ends
    // the session without its end, so nothing is deleted without a trace.
    // The session's own OnDeleted, OnMessageSkipped and OnDataTransfered
    // handlers still fire. Errors go on to the caller.
    void transfer(const std::vector<int> &rows, TmsDeletionCopies *copies);
    // After a failed transfer: the record goes to the log as "may have been
    // deleted" blocks (the accepted deletions may have happened).
    void logUnconfirmed();
    // The rows the server removed, in order, and those it left alone because
    // the mailbox changed after the listing.
    const std::vector<int> &deletedRows() const { return m_deletedRows; }
    const std::vector<int> &skippedRows() const { return m_skippedRows; }
    // The log entries of the removed messages.
    std::vector<DeletedMessageEntry> deletedEntries() const;
    // Writes the deletion block of every removed message (the log open).
    void logDeletions();
    // The removed messages as they were listed, for stillHeld once the
    // mailbox is listed again.
    struct RemovedMessage {
        std::string subject;
        int size = 0;
        TmsHeaders headers;
    };
    std::vector<RemovedMessage> removedMessages() const;
    // The log holds the deletions: the record has done its work.
    void confirm() { PendingDeletionRecord(m_recordPath).confirm(); }

private:
    void recordPendingDeletions();

    TMailboxSession &m_session;
    const WaitingMessages &m_messages;
    ActivityLog &m_log;
    std::string m_recordPath;
    std::vector<int> m_deletedRows;
    std::vector<int> m_skippedRows;
};

// Of Removed, the subjects of the messages that Relisted still holds (same
// size and header lines): the server accepted their deletion but kept them.
std::vector<std::string> stillHeld(const std::vector<TDeletionRun::RemovedMessage> &removed,
                                   const TmsRemoteInfo &relisted);

} // namespace tw
