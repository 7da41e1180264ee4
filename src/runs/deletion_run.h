#pragma once
// The bookkeeping of one deletion run over a mailbox session: which of the
// listed messages are marked, which the server removed or left alone, the
// record that keeps accepted deletions traceable until they are logged, the
// five-line log block of each removed message, and which "removed" messages
// a listing afterwards still shows.
//
// Order of use: markedRows, transfer (a failure goes on to the caller, who
// logs it and then settleFailure), logDeletions, removedMessages (before the
// mailbox is listed again), confirm. Either way the copies of
// possiblyRemovedRows are the ones to keep.

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
    // copy kept first). Before anything can be removed for good (POP3: just
    // before the QUIT that ends the session; IMAP: before the first move or
    // expunge) the record of what is about to go is written; when it cannot
    // be, ETidewellError ends the transfer with nothing removed, so nothing is
    // deleted without a trace. The session's own OnDeleted, OnMessageSkipped
    // and OnDataTransfered handlers still fire. Errors go on to the caller.
    void transfer(const std::vector<int> &rows, TmsDeletionCopies *copies);
    // After a failed transfer (the session closed): logs each message whose
    // removal was under way exactly once. POP3: the record goes to the log
    // as "may have been deleted" blocks. IMAP: the messages the server said
    // it removed are logged as deleted; for the others the session signs in
    // again and looks: gone ones are logged as deleted, ones still there
    // unchanged get a line saying so, and the rest "may have been deleted".
    // Then the record is removed (kept when the log cannot be opened).
    void settleFailure();
    // After settleFailure: what it found out, for the user ("" when no
    // removal was under way).
    const std::string &failureSummary() const { return m_failureSummary; }
    // The rows that are gone from the server or may be: their kept copies
    // stay. Any other row is known to be still there, unchanged.
    std::vector<int> possiblyRemovedRows() const;
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
    // Writes the record of Rows (raising ETidewellError when it cannot).
    void recordPendingDeletions(const std::vector<int> &rows);
    std::vector<DeletedMessageEntry> entriesOf(const std::vector<int> &rows) const;
    // settleFailure of a session that removes messages at once (IMAP).
    void findOutWhatWasRemoved();

    TMailboxSession &m_session;
    const WaitingMessages &m_messages;
    ActivityLog &m_log;
    std::string m_recordPath;
    std::vector<int> m_deletedRows;
    std::vector<int> m_skippedRows;
    std::vector<int> m_pendingRows;   // named by the record written before the removal
    std::vector<int> m_uncertainRows; // may have been removed
    std::string m_failureSummary;
};

// Of Removed, the subjects of the messages that Relisted still holds (same
// size and header lines): the server accepted their deletion but kept them.
std::vector<std::string> stillHeld(const std::vector<TDeletionRun::RemovedMessage> &removed,
                                   const TmsRemoteInfo &relisted);

} // namespace tw
