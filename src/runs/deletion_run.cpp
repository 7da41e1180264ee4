#include "runs/deletion_run.h"

#include "net/errors.h"
#include "platform/clock.h"
#include "runs/run_texts.h"
#include "stats/log_format.h"

#include <algorithm>
#include <utility>

namespace tw {

namespace {

// Puts Handler in place of Event's until the scope ends.
template <class Event> class EventOverride {
public:
    EventOverride(Event &event, Event handler) : m_event(event), m_saved(std::exchange(event, std::move(handler))) {}
    ~EventOverride() { m_event = std::move(m_saved); }
    const Event &saved() const { return m_saved; }

private:
    Event &m_event;
    Event m_saved;
};

} // namespace

TDeletionRun::TDeletionRun(TMailboxSession &session, const WaitingMessages &messages, ActivityLog &log,
                           std::string recordPath)
    : m_session(session), m_messages(messages), m_log(log), m_recordPath(std::move(recordPath))
{
}

std::vector<int> TDeletionRun::markedRows() const
{
    std::vector<int> marked;
    for (int i = 0; i < m_messages.count() && i < m_session.listed().Count(); ++i)
        if (isMarkedForDeletion(m_messages.row(i).mark))
            marked.push_back(i);
    return marked;
}

void TDeletionRun::transfer(const std::vector<int> &rows, TmsDeletionCopies *copies)
{
    m_deletedRows.clear();
    m_skippedRows.clear();
    m_pendingRows.clear();
    m_uncertainRows.clear();
    m_failureSummary.clear();
    EventOverride<TmsNumNotifyEvent> deleted(m_session.OnDeleted, nullptr);
    EventOverride<TmsNumNotifyEvent> skipped(m_session.OnMessageSkipped, nullptr);
    EventOverride<TNotifyEvent> transfered(m_session.OnDataTransfered, nullptr);
    EventOverride<std::function<void(QObject *, const std::vector<int> &)>> removing(m_session.OnRemoving, nullptr);
    m_session.OnDeleted = [this, &deleted](QObject *sender, int n) {
        m_deletedRows.push_back(n);
        if (deleted.saved())
            deleted.saved()(sender, n);
    };
    m_session.OnMessageSkipped = [this, &skipped](QObject *sender, int n) {
        m_skippedRows.push_back(n);
        if (skipped.saved())
            skipped.saved()(sender, n);
    };
    // An IMAP server removes a message the moment it acts on the command,
    // and the answer saying so can be lost: the record is written before
    // the command goes out.
    m_session.OnRemoving = [this, &removing](QObject *sender, const std::vector<int> &nums) {
        recordPendingDeletions(nums);
        if (removing.saved())
            removing.saved()(sender, nums);
    };
    // A POP3 server removes the messages whose DELE it accepted only when
    // the session ends with an accepted QUIT, so they are logged after that;
    // the record written just before keeps them from going untraced meanwhile.
    m_session.OnDataTransfered = [this, &transfered](QObject *sender) {
        if (transfered.saved())
            transfered.saved()(sender);
        if (!m_session.removesAtOnce())
            recordPendingDeletions(m_deletedRows);
    };
    m_session.removeConfirmed(rows, copies);
}

std::vector<DeletedMessageEntry> TDeletionRun::entriesOf(const std::vector<int> &rows) const
{
    std::vector<DeletedMessageEntry> entries;
    const std::string server = loggedServer(m_session);
    for (int row : rows)
        if (row < m_messages.count()) {
            const TWaitingMessage &m = m_messages.row(row);
            entries.push_back({server, m_session.client().UserName, m.subject, m.senderAddress, m.senderName,
                               m.sizeText, m.dateText});
        }
    return entries;
}

std::vector<DeletedMessageEntry> TDeletionRun::deletedEntries() const { return entriesOf(m_deletedRows); }

void TDeletionRun::recordPendingDeletions(const std::vector<int> &rows)
{
    if (rows.empty())
        return;
    PendingDeletionRecord record(m_recordPath);
    std::string why;
    if (!record.write(entriesOf(rows), logTimeStamp(Clock::now()), &why))
        throw ETidewellError("Nothing was deleted: the record of the deletion could not be written to " +
                             record.path() + " (" + why + ")");
    m_pendingRows = rows;
}

void TDeletionRun::settleFailure()
{
    if (m_session.removesAtOnce()) {
        findOutWhatWasRemoved();
        return;
    }
    // Broken off at or after the QUIT: the accepted deletions may have happened.
    if (PendingDeletionRecord(m_recordPath).logUnconfirmed(m_log) > 0) {
        m_uncertainRows = m_pendingRows;
        m_failureSummary = std::to_string(m_pendingRows.size()) +
                           " message(s) may have been deleted: the session broke off when the server was told to "
                           "delete them. The activity log lists them; their copies are kept in Deleted mail.";
    }
}

std::vector<int> TDeletionRun::possiblyRemovedRows() const
{
    std::vector<int> rows = m_deletedRows;
    rows.insert(rows.end(), m_uncertainRows.begin(), m_uncertainRows.end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TDeletionRun::logDeletions()
{
    for (const DeletedMessageEntry &entry : deletedEntries())
        m_log.logDeletion(entry);
}

std::vector<TDeletionRun::RemovedMessage> TDeletionRun::removedMessages() const
{
    std::vector<RemovedMessage> removed;
    const TmsRemoteInfo &listed = m_session.listed();
    for (int row : m_deletedRows)
        if (row < listed.Count() && row < m_messages.count())
            removed.push_back({m_messages.row(row).subject, listed.Items(row).Size, listed.Items(row).Headers});
    return removed;
}

std::vector<std::string> stillHeld(const std::vector<TDeletionRun::RemovedMessage> &removed,
                                   const TmsRemoteInfo &relisted)
{
    std::vector<std::string> subjects;
    for (const TDeletionRun::RemovedMessage &message : removed)
        if (relisted.Find(message.size, message.headers) >= 0)
            subjects.push_back(message.subject);
    return subjects;
}

} // namespace tw
