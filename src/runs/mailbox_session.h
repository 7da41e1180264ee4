#pragma once
// One mailbox session of a check or deletion run, whatever protocol the
// mailbox speaks. The runs drive it through these steps only:
//
//   logIn      connect, secure and sign in (list and removeConfirmed log in
//              by themselves when needed)
//   list       every waiting message: its number (POP3) or UID (IMAP), size
//              and header block, never a body, never marking it read
//   confirmUnchanged  re-read one listed message: is it still the one listed?
//   removeConfirmed   re-read each given message and delete (POP3) or move to
//              the junk folder / delete for good (IMAP) the unchanged ones
//   end        log out and close
//
// The account (Server, UserName, Password, Security, SignIn ...) and the
// transport events (OnOpen, OnClosing, OnClosed, OnCancel, OnError) are the
// protocol client's own, reached through client(). Errors are the client's
// (net/errors.h).

#include "net/msmailbase.h"
#include "net/msmsgcls.h"
#include "settings/settings_schema.h"
#include "settings/settings_store.h"

#include <functional>
#include <string>
#include <vector>

namespace tw {

// Takes Account's server, user name, password, security, trusted
// certificate and sign-in into Client. An empty password empties the
// client's: the password of the mailbox loaded before must never go to
// another server.
void loadMailAccount(TmsMailBase &client, const RemotePOPAccount &account);

class TMailboxSession {
public:
    explicit TMailboxSession(TmsMailBase &client) : m_client(client) {}
    virtual ~TMailboxSession() = default;
    TMailboxSession(const TMailboxSession &) = delete;
    TMailboxSession &operator=(const TMailboxSession &) = delete;

    TmsMailBase &client() { return m_client; }
    const TmsMailBase &client() const { return m_client; }
    virtual MailProtocol protocol() const = 0;
    // "POP3" or "IMAP".
    const char *protocolName() const { return protocol() == MailProtocol::IMAP ? "IMAP" : "POP3"; }

    // --- Events (fired only when assigned; Num is the listed index) ---
    TNotifyEvent OnUpdatingInfo, OnInfoUpdated, OnTransferringData, OnDataTransfered;
    // After message Num was added to listed().
    TmsNumNotifyEvent OnNextInfoUpdated;
    // Before message Num is deleted or moved, and once the server has done so.
    TmsNumNotifyEvent OnDeleting, OnDeleted;
    // Message Num was left alone: the mailbox no longer holds it as listed.
    TmsNumNotifyEvent OnMessageSkipped;
    // Before the first command that may remove any of the listed messages
    // Nums (IMAP: the move or the expunge); an error out of it ends the
    // removal with none of them sent. A POP3 server removes messages only
    // when the session ends, after OnDataTransfered, so it fires none.
    std::function<void(QObject *Sender, const std::vector<int> &Nums)> OnRemoving;

    // What became of a message whose removal was under way when the session
    // broke off.
    enum class Outcome { Removed, StillThere, Unknown };
    // Whether the server removes a message as soon as it accepts the command
    // (IMAP), rather than when the session ends (POP3's QUIT).
    virtual bool removesAtOnce() const { return false; }
    // After a removal broke off before the server answered: signs in again
    // and finds out, for each listed message of Indexes, whether it is gone,
    // still there unchanged, or cannot be told (the folder was renewed, or
    // the message is marked as deleted). Errors are the client's. The
    // default cannot tell any: a POP3 server numbers the messages afresh.
    virtual std::vector<Outcome> findOutcome(const std::vector<int> &indexes)
    {
        return std::vector<Outcome>(indexes.size(), Outcome::Unknown);
    }

    // Whether list() leaves the session logged in for what follows.
    virtual void setStayConnected(bool stay) = 0;
    virtual bool stayConnected() const = 0;

    // loadMailAccount, and what the protocol adds (the IMAP folder and
    // whether marked messages are deleted for good).
    void loadAccount(const RemotePOPAccount &account);

    void logIn() { m_client.OpenMailbox(); }
    // Lists the mailbox (folder) into listed(), firing OnNextInfoUpdated per
    // message in the order the messages are listed. The items read before
    // an error stay listed.
    virtual void list() = 0;
    virtual TmsRemoteInfo &listed() = 0;
    virtual const TmsRemoteInfo &listed() const = 0;
    // How many messages the mailbox said it holds when the listing began.
    virtual int waitingCount() const = 0;
    // Listed message Index as the server knows it: its number (POP3, from 1)
    // or its UID (IMAP).
    virtual std::string messageNumber(int index) const = 0;
    // Logs in when needed and re-reads listed message Index: true when it is
    // still the message listed (POP3: same unique id, size and header block;
    // IMAP: same UIDVALIDITY, UID and size).
    virtual bool confirmUnchanged(int index) = 0;
    // Logs in when needed, confirms each message of Indexes unchanged and
    // removes the confirmed ones, then ends the session. With Copies set, a
    // copy of each is kept first and only messages whose copies are kept are
    // removed. OnDataTransfered fires before the session ends (a POP3 server
    // removes the deleted messages only at its end).
    virtual void removeConfirmed(const std::vector<int> &indexes, TmsDeletionCopies *copies) = 0;
    // Said of the last removeConfirmed beyond its events ("" when nothing):
    // an IMAP server that could not remove the moved messages from the folder.
    virtual std::string removalNotice() const { return {}; }
    // Logs out and closes, when connected.
    void end() { m_client.CloseMailbox(); }

protected:
    // What the protocol takes from an account beyond the common settings.
    virtual void loadProtocolSettings(const RemotePOPAccount &) {}
    // Takes over the listing and deletion events of Client (both protocol
    // clients name them alike) and passes them on as this session's.
    template <class Client> void takeOverEvents(Client &client)
    {
        client.OnUpdatingInfo = [this](QObject *) { fire(OnUpdatingInfo); };
        client.OnInfoUpdated = [this](QObject *) { fire(OnInfoUpdated); };
        client.OnTransferringData = [this](QObject *) { fire(OnTransferringData); };
        client.OnDataTransfered = [this](QObject *) { fire(OnDataTransfered); };
        client.OnNextInfoUpdated = [this](QObject *, int n) { fire(OnNextInfoUpdated, n); };
        client.OnDeleting = [this](QObject *, int n) { fire(OnDeleting, n); };
        client.OnDeleted = [this](QObject *, int n) { fire(OnDeleted, n); };
        client.OnMessageSkipped = [this](QObject *, int n) { fire(OnMessageSkipped, n); };
    }
    // Fires Event with Nums when it is assigned.
    void fire(const std::function<void(QObject *, const std::vector<int> &)> &event, const std::vector<int> &nums)
    {
        if (event)
            event(&m_client, nums);
    }
    // Fires Event with Num when it is assigned.
    void fire(const TmsNumNotifyEvent &event, int num) { if (event) event(&m_client, num); }
    void fire(const TNotifyEvent &event) { if (event) event(&m_client); }

private:
    TmsMailBase &m_client;
};

} // namespace tw
