#include "runs/flagged_transfer.h"
#include "runs/imap_session.h"

namespace tw {

TImapSession::TImapSession(TmsImapClient &imap) : TMailboxSession(imap), m_imap(imap)
{
    takeOverEvents(m_imap);
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

} // namespace tw
