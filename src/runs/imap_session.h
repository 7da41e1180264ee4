#pragma once
// A mailbox session over the IMAP client (imap_client.h), on one folder.
// Messages are known by their UID; a removal confirms each one (same
// UIDVALIDITY, UID and size) and moves it to the junk folder, or deletes it
// for good, never expunging a message it did not move.

#include "net/imap_client.h"
#include "runs/mailbox_session.h"

namespace tw {

class TImapSession : public TMailboxSession {
public:
    // Imap: the client this session drives (not owned); its listing and
    // deletion events are taken over and passed on as the session's.
    explicit TImapSession(TmsImapClient &imap);

    TmsImapClient &imap() { return m_imap; }
    MailProtocol protocol() const override { return MailProtocol::IMAP; }
    void setStayConnected(bool stay) override { m_imap.StayConnected = stay; }
    bool stayConnected() const override { return m_imap.StayConnected; }
    void list() override { m_imap.UpdateInfo(); }
    TmsRemoteInfo &listed() override { return m_imap.RemoteInfo(); }
    const TmsRemoteInfo &listed() const override { return m_imap.RemoteInfo(); }
    int waitingCount() const override { return int(m_imap.SelectedExists()); }
    std::string messageNumber(int index) const override { return std::to_string(m_imap.ListedUid(index)); }
    bool confirmUnchanged(int index) override;
    void removeConfirmed(const std::vector<int> &indexes, TmsDeletionCopies *copies) override;
    std::string removalNotice() const override { return m_imap.Notice(); }
    bool removesAtOnce() const override { return true; }
    // Signs in again, examines the listed folder and compares its
    // UIDVALIDITY and UIDs with the listing: a UID gone is Removed, one
    // still there StillThere, unless it is marked \Deleted or the folder was
    // renewed (Unknown).
    std::vector<Outcome> findOutcome(const std::vector<int> &indexes) override;
    // What the last removal moved, and where (for undoing it).
    const TImapMoveRecord &lastMove() const { return m_imap.LastMove(); }
    // The folder listed (as the user names it) and its UIDVALIDITY then.
    const std::string &folder() const { return m_imap.Folder; }
    uint32_t listedUidValidity() const { return m_imap.ListedUidValidity(); }
    uint32_t listedUid(int index) const { return m_imap.ListedUid(index); }

protected:
    void loadProtocolSettings(const RemotePOPAccount &account) override;

private:
    TmsImapClient &m_imap;
};

} // namespace tw
