#pragma once
// A mailbox session over the POP3 client (mspop3.h). Messages are known by
// their number in the session that listed them; a deletion re-reads each
// one (UIDL, LIST, TOP) before its DELE, and the server removes them at QUIT.

#include "net/mspop3.h"
#include "runs/mailbox_session.h"

namespace tw {

class TPop3Session : public TMailboxSession {
public:
    // Pop: the client this session drives (not owned); its listing and
    // deletion events are taken over and passed on as the session's.
    explicit TPop3Session(TmsRemotePOP &pop);

    TmsRemotePOP &pop() { return m_pop; }
    MailProtocol protocol() const override { return MailProtocol::POP3; }
    void setStayConnected(bool stay) override { m_pop.StayConnected = stay; }
    bool stayConnected() const override { return m_pop.StayConnected; }
    void list() override { m_pop.UpdateInfo(); }
    TmsRemoteInfo &listed() override { return m_pop.RemoteInfo(); }
    const TmsRemoteInfo &listed() const override { return m_pop.RemoteInfo(); }
    int waitingCount() const override { return m_pop.MessageCount(); }
    std::string messageNumber(int index) const override { return std::to_string(index + 1); }
    bool confirmUnchanged(int index) override;
    void removeConfirmed(const std::vector<int> &indexes, TmsDeletionCopies *copies) override;

private:
    TmsRemotePOP &m_pop;
};

} // namespace tw
