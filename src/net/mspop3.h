#pragma once
// The POP3 client. It speaks USER, PASS, STAT, LIST n, UIDL n, TOP n 1,
// RETR n, DELE n and QUIT over the socket transport, and signs in with
// USER/PASS or, when the server lists SASL mechanisms, with AUTH
// (pop3_sign_in.cpp).
//
//  - TmsMailBase: a mail connection that logs in and out.
//  - TmsCustomPOP: the protocol commands for one message.
//  - TmsRemotePOP: the information list of the waiting messages (size and
//    header block of each, never the body), per-message flags, and the
//    transfer that retrieves and deletes the flagged messages.
//
// Typical use: set Server, UserName, Password; UpdateInfo lists the mailbox
// (reading RemoteInfo() item by item in OnNextInfoUpdated); FlagForDeletion
// or FlagForRetrieval; TransferData acts on the flags. Before acting on a
// message TransferData re-reads it and acts only when it is still the message
// that was listed; otherwise it leaves it alone and fires OnMessageSkipped.
//
// A server that lists PIPELINING in answer to CAPA (asked before signing
// in) gets the commands of the listing and of the deletion in windows
// (pop3_command_window.h) instead of one at a time, and the listing asks
// for every size with one LIST instead of LIST n per message; the events
// still fire per message, in order, as each message's replies arrive, and
// the results are the same either way.
//
// Errors: EServerError carries the server's negative reply line; transport
// failures, time-outs and cancels are those of TagSocket.

#include "net/msmailbase.h"
#include "net/msmsgcls.h"
#include "net/pop3_capabilities.h"
#include "net/pop3_command_window.h"
#include "net/pop3_limits.h"
#include "net/pop3_scan_listing.h"

#include <functional>
#include <string>
#include <vector>

namespace tw {

// Contents: the retrieved message exactly as the server sent it.
using TmsUserMsgSaveEvent = std::function<void(QObject *Sender, int Num, const std::string &Contents)>;

// How a POP3 session is protected (msmailbase.h); TLS is POP3S on port 995,
// STARTTLS is STLS after CAPA, which is read again inside TLS.
using TPop3Security = TMailSecurity;

// The security of a stored setting; anything unknown is Automatic.
inline TPop3Security pop3SecurityFromSetting(int value) { return mailSecurityFromSetting(value); }

class TmsCustomPOP : public TmsMailBase {
    Q_OBJECT
public:
    explicit TmsCustomPOP(QObject *parent = nullptr);

    // Whether AUTH carries its first response on the command line (RFC
    // 5034's initial response, one round trip less). Off: "AUTH <name>",
    // the server's "+ ", then the response, which every server takes and
    // Microsoft's POP3 servers require.
    bool SaslInitialResponse = false;
    // Whether commands for many messages may be sent in windows, without
    // waiting for each reply, when the server lists PIPELINING in its
    // capabilities. False keeps to one command at a time.
    bool Pipelining = true;

    TmsNumNotifyEvent OnRetrieving, OnRetrieved, OnDeleting;
    // Fired after the server accepted the DELE of message Num (it is removed
    // when the session ends with an accepted QUIT).
    TmsNumNotifyEvent OnDeleted;

    // From the last STAT; -1 until the first one.
    int MessageCount() const { return m_messageCount; }
    int MailboxSize() const { return m_mailboxSize; }
    // What the server listed in answer to the session's last CAPA (empty when
    // it was not asked or did not answer).
    const TPop3Capabilities &Capabilities() const { return m_capabilities; }
    // CAPA: fills Capabilities; a negative reply leaves them empty.
    void ReadCapabilities();
    // Whether this session sends commands in windows: Pipelining is set and
    // the server lists PIPELINING (CAPA is asked first when this session has
    // not asked it yet).
    bool PipeliningInSession();

    // 1 for a line beginning with "+", -1 for "-", 0 otherwise.
    int ReplyCode(const std::string &Line) override;
    void ResetState() override;
    // Connect, secure the connection as Security says, read the greeting,
    // CAPA (unless asked already), sign in, STAT; each must be answered
    // positively (else EServerError with the reply; ELoginRefusedError for a
    // refused USER, PASS or password mechanism). No password or token is sent
    // before TLS when Security asks for it, nor in clear where the downgrade
    // protection forbids it; a connection that cannot be secured ends with
    // ETlsError saying why (ECertificateError for a certificate that was not
    // trusted). A refused token raises ESignInError saying to sign in again.
    // An ESocketError closes the
    // connection before it goes on.
    void Login() override;
    // If connected: QUIT, which must be answered positively.
    void Logout() override;

    // Hands a retrieved message to its keeper.
    virtual void SaveMessage(int Num, const std::string &Contents) = 0;

    // STAT: fills MessageCount and MailboxSize. A count or size that is no
    // decimal number raises ETidewellError naming the text.
    void Stat();
    // LIST n, RETR n and the data block, then SaveMessage (Index 0-based).
    void Retrieve(int Index);
    // DELE n; a negative reply is not an error.
    void Delete(int Index);

protected:
    // Sends Line and reads the reply; returns its code.
    int command(const std::string &Line);
    // Raises EServerError with LastReply unless Code is positive.
    void requireOk(int Code);
    // The same for a step of signing in with the password: a refusal there
    // says something about the account (ELoginRefusedError).
    void requirePasswordAccepted(int Code);
    // Re-reads message Index: with WithUID its unique id (UIDL, a negative
    // reply leaves UID empty), with WithInfo its size (LIST) and header block
    // (TOP n 1, cut at the body).
    void ReadInfo(int Index, TmsRemoteInfoItem &Item, bool WithUID, bool WithInfo);
    // ReadInfo in two halves for a window: the commands, and later their
    // replies. A refused LIST or TOP raises EServerError with the rest of the
    // message's replies still to come (TPop3CommandWindow::skipRestOf). A
    // reply to TOP too large to keep is read to its end; the item then
    // records its size in CutReplyBytes and keeps the complete header lines
    // of what was kept.
    // ListedSize, when the message was listed before, bounds a TOP reply that is
    // dropped unread.
    void queueInfoCommands(TPop3CommandWindow &Window, int Index, bool WithUID, bool WithInfo, int ListedSize = -1);
    void readInfoReplies(TPop3CommandWindow &Window, int Index, TmsRemoteInfoItem &Item, bool WithUID,
                         bool WithInfo);
    // TOP n 1 alone, and its reply into Item (whose Size is known by then).
    void queueTop(TPop3CommandWindow &Window, int Index, int ListedSize = -1);
    void readTopReply(TPop3CommandWindow &Window, TmsRemoteInfoItem &Item);
    // The reply to LIST without an argument, sent to a mailbox of Count
    // messages: refused, EServerError; within scanListingLimits.
    TPop3ScanListing readScanListing(TPop3CommandWindow &Window, int Count);
    TDataBlockLimits scanListingLimits(int Count) const;
    // ETidewellError: the listing says nothing (or something else) about message Index.
    [[noreturn]] static void throwNotDescribed(int Index);
    // Runs Read, which takes replies from Window. An error that leaves
    // replies in flight closes the connection before it goes on: the
    // replies would no longer match the commands sent after it.
    void readWindow(TPop3CommandWindow &Window, const std::function<void()> &Read);
    // The size in the LIST reply for message Index; 0 when it cannot be read.
    // A reply that names another message raises ETidewellError.
    int sizeFromListReply(int Index) const;
    // What a short reply block (CAPA), the reply to RETR of a message
    // listed with ListedSize bytes, and the reply to TOP n 1 of such a
    // message may hold and take (see pop3_limits.h). Of the reply to TOP
    // only kMaxHeaderBlockBytes are kept; the rest of it is read and dropped
    // within the limits of the whole message.
    TDataBlockLimits headerBlockLimits() const;
    TDataBlockLimits messageLimits(int ListedSize) const;
    TDataBlockLimits topReplyLimits(int ListedSize) const;

protected:
    const TSecurityWords &securityWords() const override;

private:
    // The AUTH dialogue of one SASL exchange (pop3_sign_in.cpp).
    class AuthDialogue;

    // The login steps before USER (mspop3_security.cpp).
    void readGreeting();
    void negotiateStartTls();
    // Signing in (pop3_sign_in.cpp).
    void signIn();
    void signInWithUserPass();

    TPop3Capabilities m_capabilities;
    bool m_capabilitiesAsked = false; // CAPA was sent in this session
    int m_messageCount = -1;
    int m_mailboxSize = -1;
};

class TmsRemotePOP : public TmsCustomPOP {
    Q_OBJECT
public:
    explicit TmsRemotePOP(QObject *parent = nullptr);

    // Where SaveMessage writes "msg_N.eml"; a non-empty value gets a final "/".
    const std::string &MessageDirectory() const { return m_messageDirectory; }
    void SetMessageDirectory(const std::string &directory);

    // When true, UpdateInfo leaves the connection logged in for the next
    // TransferData.
    bool StayConnected = false;
    // The most messages UpdateInfo lists; a larger STAT count ends the
    // listing there with an error (pop3_limits.h gives the reason).
    int MaxListedMessages = pop3::kMaxListedMessages;

    TNotifyEvent OnUpdatingInfo, OnInfoUpdated, OnTransferringData, OnDataTransfered;
    // Fired after item Num has been added to RemoteInfo.
    TmsNumNotifyEvent OnNextInfoUpdated;
    // When assigned, receives retrieved messages instead of the file.
    TmsUserMsgSaveEvent OnUserMessageSave;
    // Fired when message Num is left alone because the server no longer holds
    // the listed message at that number (another program changed the mailbox).
    TmsNumNotifyEvent OnMessageSkipped;
    // When set, every message a deletion removes is first kept there (not owned).
    TmsDeletionCopies *DeletionCopies = nullptr;

    TmsRemoteInfo &RemoteInfo() { return m_remoteInfo; }
    const TmsRemoteInfo &RemoteInfo() const { return m_remoteInfo; }

    // Logs in if needed, then LIST n and TOP n 1 for every message of STAT
    // (in windows when the session pipelines: LIST once for all, then TOP
    // n 1 for each), filling RemoteInfo in order
    // and firing OnNextInfoUpdated as each item is added; quits unless
    // StayConnected. The items read before an error stay in the list; the
    // caller closes the connection (already closed when the error left
    // replies of a window unread).
    // A STAT count above MaxListedMessages is listed up to there and then
    // raises ETidewellError saying how many messages were left out.
    void UpdateInfo();
    // Logs in if needed, retrieves (one at a time) then deletes the flagged
    // messages that a re-read confirms, and quits (the server removes the
    // deleted ones only then). The deletion re-reads every flagged message
    // (UIDL, LIST, TOP) and then sends DELE for the confirmed ones, in
    // windows when the session pipelines; OnDeleting fires before each
    // message's DELE is answered, OnDeleted when the server accepted it.
    // With DeletionCopies set, RETR n follows each flagged message's re-read
    // in the same windows (not for a message listed larger than its
    // maxMessageBytes), each confirmed message's copy is handed over, and
    // DELE goes only to the messages whose copies keptCopies names.
    // Does nothing when RemoteInfo is empty.
    void TransferData();
    // Re-reads message Index (UIDL, LIST, TOP) and tells whether it is still
    // the listed one: same size and header block, and the same unique id when
    // the listing recorded one. A message the server no longer has counts as
    // changed. Fires OnMessageSkipped and returns false when it changed.
    bool VerifyMessage(int Index);

    void FlagForDeletion(int Index);
    void FlagForRetrieval(int Index);
    void ClearFlags(int Index);

    // OnUserMessageSave when assigned, else the file MessageDirectory +
    // "msg_" + Num + ".eml" (written whole or not at all; ETidewellError when
    // it cannot be written).
    void SaveMessage(int Num, const std::string &Contents) override;
    // Writes Contents to MessageDirectory + "msg_" + Num + ".eml", whole or
    // not at all, readable by the user alone; ETidewellError when it cannot
    // be written, also when a link or anything but a regular file has that
    // name (it is not written through).
    void WriteMessageFile(int Num, const std::string &Contents) const;

private:
    // The second half of VerifyMessage: reads message Index's replies to
    // UIDL, LIST and TOP from Window and compares. UID gets the unique id read.
    bool verifyReplies(TPop3CommandWindow &Window, int Index, std::string *UID = nullptr);
    // Whether a deletion with copies retrieves message Index whole.
    bool retrievesWhole(int Index) const;
    // Reads the rest of message Index's replies (its RETR when it was sent)
    // and hands its copy to DeletionCopies, or drops them when the message
    // was not confirmed.
    void copyMessage(TPop3CommandWindow &Window, int Index, bool Confirmed, const std::string &UID);
    // Re-reads the messages of Indexes and deletes the ones still as listed.
    void deleteUnchanged(const std::vector<int> &Indexes);

    std::string m_messageDirectory;
    TmsRemoteInfo m_remoteInfo;
};

} // namespace tw
