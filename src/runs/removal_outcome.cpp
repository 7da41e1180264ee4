// After an IMAP removal broke off before the server answered: the server
// may have moved or expunged the messages, or not. Nothing is assumed: the
// session signs in again and looks, and each message is logged once for
// what it is found to be. Only a message found still there, unchanged,
// loses its kept copy.
#include "runs/deletion_run.h"

#include "net/errors.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "runs/run_texts.h"
#include "stats/log_format.h"

#include <set>

namespace tw {

namespace {

std::string count(size_t n, const char *what) { return std::to_string(n) + " " + what; }

} // namespace

void TDeletionRun::findOutWhatWasRemoved()
{
    if (m_pendingRows.empty())
        return; // nothing was under way: nothing can have gone
    const std::set<int> answered(m_deletedRows.begin(), m_deletedRows.end());
    std::vector<int> unanswered;
    for (int row : m_pendingRows)
        if (!answered.count(row))
            unanswered.push_back(row);
    std::vector<int> stillThere;
    std::string lookFailed;
    if (!unanswered.empty()) {
        std::vector<TMailboxSession::Outcome> outcomes;
        try {
            outcomes = m_session.findOutcome(unanswered);
        } catch (const ETidewellError &error) {
            lookFailed = error.what();
            try {
                if (m_session.client().IsConnected())
                    m_session.client().Close();
            } catch (const std::exception &) {
            }
        }
        outcomes.resize(unanswered.size(), TMailboxSession::Outcome::Unknown);
        for (size_t i = 0; i < unanswered.size(); ++i) {
            if (outcomes[i] == TMailboxSession::Outcome::Removed)
                m_deletedRows.push_back(unanswered[i]);
            else if (outcomes[i] == TMailboxSession::Outcome::StillThere)
                stillThere.push_back(unanswered[i]);
            else
                m_uncertainRows.push_back(unanswered[i]);
        }
    }

    m_failureSummary = "The connection broke off before the server answered, so Tidewell signed in again to see "
                       "what became of the messages: " +
                       count(m_deletedRows.size(), "deleted") + ", " + count(stillThere.size(), "still on the server") +
                       ", " + count(m_uncertainRows.size(), "may have been deleted") + ".";
    if (!lookFailed.empty())
        m_failureSummary += " (It could not look: " + lookFailed + ")";
    if (!m_uncertainRows.empty())
        m_failureSummary += " The activity log lists each; the copies of those that may be gone are kept in "
                            "Deleted mail.";

    const bool wasOpen = m_log.isOpen();
    m_log.OpenLogFile();
    if (!isBlank(m_log.path()) && !m_log.isOpen())
        return; // the record stays, and names them all at the next start
    logDeletions();
    const std::string stamp = logTimeStamp(Clock::now());
    for (const DeletedMessageEntry &entry : entriesOf(m_uncertainRows))
        for (const std::string &line : possibleDeletionBlock(entry, stamp))
            m_log.writeLine(line);
    for (int row : stillThere)
        m_log.logWarning("Not deleted: the connection broke off before the server answered, and the server still "
                         "holds the message: " +
                             (row < m_messages.count() ? m_messages.row(row).subject : std::string()),
                         m_session.client().UserName, loggedServer(m_session));
    if (!wasOpen)
        m_log.CloseLogFile();
    confirm();
}

} // namespace tw
