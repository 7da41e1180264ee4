#include "runs/flagged_transfer.h"
#include "runs/imap_session.h"

namespace tw {

TImapSession::TImapSession(TmsImapClient &imap) : TMailboxSession(imap), m_imap(imap)
{
    takeOverEvents(m_imap);
    m_imap.OnRemoving = [this](QObject *, const std::vector<int> &nums) { fire(OnRemoving, nums); };
}

void TImapSession::loadProtocolSettings(const RemotePOPAccount &account)
{
    m_imap.Folder = account.folder.empty() ? std::string(kDefaultImapFolder) : account.folder;
    m_imap.DeleteForGood = account.imapDelete;
}

bool TImapSession::confirmUnchanged(int index)
{
    m_imap.OpenMailbox();
    m_imap.SelectFolder(m_imap.Folder, true);
    const uint32_t uid = m_imap.ListedUid(index);
    const auto size = uint32_t(m_imap.RemoteInfo().Items(index).Size);
    return !m_imap.ConfirmUnchanged(m_imap.ListedUidValidity(), {{uid, size}}).empty();
}

void TImapSession::removeConfirmed(const std::vector<int> &indexes, TmsDeletionCopies *copies)
{
    transferFlagged(m_imap, indexes, copies);
}

std::vector<TMailboxSession::Outcome> TImapSession::findOutcome(const std::vector<int> &indexes)
{
    const std::optional<std::map<int, bool>> held = m_imap.FindListedMessages(indexes);
    std::vector<Outcome> outcomes;
    for (const int index : indexes) {
        if (!held) {
            outcomes.push_back(Outcome::Unknown);
            continue;
        }
        const auto found = held->find(index);
        // A UID never comes back once it is gone; one marked \Deleted goes
        // whenever a mail program compacts the folder.
        outcomes.push_back(found == held->end() ? Outcome::Removed
                                                : (found->second ? Outcome::Unknown : Outcome::StillThere));
    }
    return outcomes;
}

} // namespace tw
