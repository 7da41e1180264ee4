#pragma once
// The IMAP client (RFC 3501), on the same socket transport, security and
// sign-in as the POP3 client (msmailbase.h). It lists one folder the way
// the POP3 client lists a mailbox (UID, size and header block of every
// message, never a body, never setting \Seen), and deals with the messages
// the user marked by moving them to the junk folder, where they can be
// moved back from, or by deleting them for good.
//
//  - Login: greeting, CAPABILITY, STARTTLS when Security asks for it (the
//    capabilities are read again inside TLS), then LOGIN or AUTHENTICATE
//    with the mechanisms of the POP3 client (with the first response on the
//    command line when the server lists SASL-IR). When the server lists ID
//    (RFC 2971), Tidewell then names itself and its version, and nothing
//    else: some servers open no folder for a client that has not.
//  - Listing (UpdateInfo): EXAMINE the folder (read-only, so nothing in it
//    can change, not even \Recent), note its UIDVALIDITY, then one
//    "UID FETCH 1:* (UID RFC822.SIZE BODY.PEEK[HEADER])". Replies may come
//    in any order and interleaved with news about the folder; each message
//    fires OnNextInfoUpdated as soon as its UID, size and header block are in.
//  - Deletion (TransferData): SELECT the listed folder, confirm that every marked
//    message is unchanged (same UIDVALIDITY, UID and size), then move the
//    confirmed ones to the junk folder with UID MOVE (RFC 6851), or with UID
//    COPY, UID STORE +FLAGS.SILENT (\Deleted) and UID EXPUNGE (RFC 4315) of
//    exactly those UIDs. A server with neither MOVE nor UIDPLUS gets the copy
//    and the \Deleted flag but no expunge, and Notice says so: Tidewell never
//    expunges a message it did not move. With DeleteForGood the messages get
//    \Deleted and UID EXPUNGE (or, without UIDPLUS, only \Deleted).
//  - Undo (MoveBack): moves the messages of a LastMove record back.
//  - Reading one message (RetrieveMessage): fetched whole, left unread.
//
// Lower steps for a caller that drives a session itself: OpenMailbox (connect,
// secure, sign in), SelectFolder, ConfirmUnchanged, FindJunkFolder,
// MoveMessages, DeleteMessages, CloseMailbox (LOGOUT; never CLOSE, which
// would expunge every message marked \Deleted).
//
// Errors: EServerError quotes a NO or BAD reply (TImapResponse::quoted, the
// server's text made safe to show); ELoginRefusedError a refused password;
// EImapReplyError a reply that cannot be read or goes past a bound of
// imap_limits.h (the connection is closed); ETidewellError a folder that
// cannot be used; transport failures, time-outs and cancels are those of
// TagSocket.

#include "net/imap_capabilities.h"
#include "net/imap_fetch.h"
#include "net/imap_folders.h"
#include "net/imap_limits.h"
#include "net/imap_reply_reader.h"
#include "net/msmailbase.h"
#include "net/msmsgcls.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tw {

// What a move did, so that it can be undone: which messages of Source are
// now in Destination, and under which UIDs.
struct TImapMoveRecord {
    struct Message {
        uint32_t sourceUid = 0;
        uint32_t destinationUid = 0; // 0 when the server did not say (no UIDPLUS)
    };
    std::string Source;      // folder names as the server writes them
    std::string Destination;
    uint32_t SourceUidValidity = 0;
    uint32_t DestinationUidValidity = 0; // 0 when the server did not say
    std::vector<Message> Messages;
    // Whether the messages can be found in Destination again.
    bool undoable() const;
};

// A command line in pieces: text as it is, and strings, which go as quoted
// strings or, holding bytes a quoted string cannot, as literals.
class TImapCommand {
public:
    explicit TImapCommand(std::string text) { add(std::move(text)); }
    TImapCommand &add(std::string text);         // " " + text, as it is
    TImapCommand &addString(std::string string); // " " + the string

    struct Piece {
        std::string text;
        bool isString = false;
    };
    const std::vector<Piece> &pieces() const { return m_pieces; }

private:
    std::vector<Piece> m_pieces;
};

class TmsImapClient : public TmsMailBase {
    Q_OBJECT
public:
    explicit TmsImapClient(QObject *parent = nullptr);

    // The folder listed and cleaned, as the user names it (UTF-8).
    std::string Folder = "INBOX";
    // Marked messages are deleted for good instead of moved to the junk folder.
    bool DeleteForGood = false;
    // When true, UpdateInfo, RetrieveMessage and MoveBack leave the
    // connection logged in for the next call.
    bool StayConnected = false;
    // The most messages UpdateInfo lists; a folder holding more is listed up
    // to there and then ETidewellError says how many were left out.
    int MaxListedMessages = imap::kMaxListedMessages;
    // When set, TransferData first keeps a copy of every message it moves or
    // deletes there (not owned); only those whose copies are kept are moved
    // or deleted.
    TmsDeletionCopies *DeletionCopies = nullptr;

    TNotifyEvent OnUpdatingInfo, OnInfoUpdated, OnTransferringData, OnDataTransfered;
    // Fired after item Num has been added to RemoteInfo.
    TmsNumNotifyEvent OnNextInfoUpdated;
    // Fired when listed message Num is left alone because the folder no
    // longer holds it as it was listed.
    TmsNumNotifyEvent OnMessageSkipped;
    // Fired before the confirmed message Num is moved or deleted, and after
    // the server has done so (for messages of the listed folder only).
    TmsNumNotifyEvent OnDeleting, OnDeleted;
    // Fired once per TransferData, after the copies are kept and before the
    // first command that may move or delete any of the listed messages
    // Nums. An error out of it ends the transfer with none of them sent, so
    // a record of what is about to go can be made first.
    std::function<void(QObject *Sender, const std::vector<int> &Nums)> OnRemoving;
    // An [ALERT] the server wants the user to read (the text made safe to
    // show); at most once per command.
    std::function<void(QObject *Sender, const std::string &Text)> OnAlert;

    TmsRemoteInfo &RemoteInfo() { return m_remoteInfo; }
    const TmsRemoteInfo &RemoteInfo() const { return m_remoteInfo; }
    // The UIDVALIDITY of the folder when it was listed, and the UID of
    // listed message Index.
    uint32_t ListedUidValidity() const { return m_listedUidValidity; }
    uint32_t ListedUid(int Index) const { return m_listedUids.at(size_t(Index)); }

    // What the server lists in this session's state.
    const TImapCapabilities &Capabilities() const { return m_capabilities; }
    // The folder selected last (the server's name), its UIDVALIDITY and
    // number of messages.
    const std::string &SelectedFolder() const { return m_selected; }
    uint32_t SelectedUidValidity() const { return m_selectedUidValidity; }
    uint32_t SelectedExists() const { return m_exists; }

    // What the last TransferData or MoveMessages moved, so that a later
    // MoveBack can undo it (empty after a deletion for good).
    const TImapMoveRecord &LastMove() const { return m_lastMove; }
    // Said of the last TransferData, MoveMessages, DeleteMessages or
    // MoveBack when messages were marked \Deleted but could not be removed
    // (the server cannot expunge single messages); "" otherwise.
    const std::string &Notice() const { return m_notice; }

    // 0 for every line: an IMAP reply's meaning is in its tag and status.
    int ReplyCode(const std::string &Line) override;

    // Connect, secure the connection as Security says, read the greeting,
    // the capabilities, sign in (not after a PREAUTH greeting), read the
    // capabilities again, and send ID when the server lists it (its answer,
    // even a refusal, changes nothing). A greeting of BYE raises EServerError; a refused
    // password ELoginRefusedError; the security and the token as the POP3
    // client. An ESocketError closes the connection before it goes on.
    void Login() override;
    // If connected: LOGOUT (the server may close once it said BYE).
    void Logout() override;

    // EXAMINE (ReadOnly) or SELECT the folder the user calls Name. A refusal
    // raises EServerError; a folder without a UIDVALIDITY, or one that SELECT
    // opens read-only, ETidewellError.
    void SelectFolder(const std::string &Name, bool ReadOnly);

    // Logs in if needed, lists Folder into RemoteInfo (in the order the
    // replies come), firing OnNextInfoUpdated for each message; logs out
    // unless StayConnected. The items read before an error stay in the list.
    void UpdateInfo();

    void FlagForDeletion(int Index) { m_remoteInfo.Items(Index).SetDeleteFlag(true); }
    void ClearFlags(int Index);

    // Logs in if needed, selects the folder listed, confirms the flagged
    // messages and moves the unchanged ones to the junk folder (or deletes
    // them for good), firing OnMessageSkipped, OnDeleting and OnDeleted;
    // logs out. Does nothing when RemoteInfo is empty. LastMove records the
    // move.
    void TransferData();

    // Of the messages of the selected folder given by UID and listed size,
    // the UIDs still there with that size; none when the folder's
    // UIDVALIDITY is no longer UidValidity.
    std::vector<uint32_t> ConfirmUnchanged(uint32_t UidValidity,
                                           const std::vector<std::pair<uint32_t, uint32_t>> &UidsAndSizes);
    // The junk folder's name (as the server writes it): the \Junk folder,
    // else "Junk" or "Spam", else a new "Junk" (made and subscribed). Asked
    // once per session.
    std::string FindJunkFolder();
    // Moves the messages Uids of the selected folder to Destination (a name
    // as the server writes it) and records them in LastMove; fires
    // OnDeleted for the listed messages moved. Raises EServerError when the
    // server refuses; LastMove then holds what was moved before.
    void MoveMessages(const std::vector<uint32_t> &Uids, const std::string &Destination);
    // Deletes the messages Uids of the selected folder for good; fires
    // OnDeleted for the listed messages deleted.
    void DeleteMessages(const std::vector<uint32_t> &Uids);
    // Logs in if needed and fetches listed message Index whole, exactly as
    // the server keeps it, leaving it unread (BODY.PEEK[]); logs out unless
    // StayConnected. ETidewellError when the folder no longer holds it as
    // listed; EServerError quoting a refusal.
    std::string RetrieveMessage(int Index);
    // After a session broke off with the fate of the listed messages
    // Indexes unknown: signs in again on a new connection, examines the
    // listed folder and returns those of them it still holds, each with
    // whether it is marked \Deleted; logs out. Nothing when the folder's
    // UIDVALIDITY is no longer the listed one (its UIDs may name other
    // messages now). Errors as Login and SelectFolder.
    std::optional<std::map<int, bool>> FindListedMessages(const std::vector<int> &Indexes);
    // Logs in if needed and moves the messages of Record that are still in
    // its Destination back to its Source (the same UIDVALIDITY, else
    // ETidewellError). LastMove then records this move; logs out unless
    // StayConnected.
    void MoveBack(const TImapMoveRecord &Record);

protected:
    const TSecurityWords &securityWords() const override;

private:
    class ReplyInput;        // the socket as TImapInput (imap_client.cpp)
    class AuthenticateDialogue; // AUTHENTICATE (imap_sign_in.cpp)
    class Listing;           // the replies of one listing (imap_listing.cpp)
    using UntaggedHandler = std::function<void(const TImapResponse &)>;

    // --- Commands (imap_client.cpp) ---
    // The tag of a new command; its untagged replies are counted afresh.
    std::string nextTag();
    // Reads one response within Limits and the reply time.
    TImapResponse readResponse(const TImapReadLimits &Limits = {});
    // Sends Command and reads until its tagged reply, which it returns.
    // Every untagged reply goes to noteUntagged, then to Untagged.
    TImapResponse execute(const TImapCommand &Command, const UntaggedHandler &Untagged = {},
                          const TImapReadLimits &Limits = {});
    // execute, and EServerError quoting the reply unless it is OK.
    TImapResponse executeOk(const TImapCommand &Command, const UntaggedHandler &Untagged = {},
                            const TImapReadLimits &Limits = {});
    // Reads until the tagged reply to Tag, or a continuation when
    // ContinuationWanted, and returns it.
    TImapResponse readUntilTagged(const std::string &Tag, bool ContinuationWanted,
                                                 const UntaggedHandler &Untagged, const TImapReadLimits &Limits);
    // What every reply says about the session: capabilities, BYE, ALERT,
    // EXISTS, EXPUNGE, UIDVALIDITY.
    void noteUntagged(const TImapResponse &Response);
    void noteCode(const TImapResponse &Response);
    // The server closed the connection: EServerError (quoting its BYE).
    [[noreturn]] void connectionLost();
    // A reply that does not belong here: EImapReplyError, the connection closed.
    [[noreturn]] void outOfStep(const std::string &Why);
    void readCapabilities();

    // SELECT or EXAMINE a folder by the server's name for it; Name is the
    // user's, for the texts.
    void selectMailbox(const std::string &ServerName, bool ReadOnly, const std::string &Name);

    // --- Login (imap_sign_in.cpp) ---
    // True for a PREAUTH greeting (signed in already).
    bool readGreeting();
    void negotiateStartTls();
    void signIn();
    void signInWithLogin();
    // ID ("name" "Tidewell" "version" "<version>") when the server lists ID.
    void identify();

    // --- Moving and deleting (imap_moves.cpp) ---
    std::vector<TImapFolder> listFolders();
    std::string createJunkFolder();
    // UID STORE +FLAGS.SILENT (\Deleted), then UID EXPUNGE of the same
    // UIDs (without UIDPLUS: none, and Notice says so).
    void storeDeletedAndExpunge(const std::vector<uint32_t> &Uids);
    // Where the last command copied or moved Uids, by its COPYUID replies
    // (source UID -> destination UID; empty when the server sent none).
    std::map<uint32_t, uint32_t> takeCopyUids(const std::vector<uint32_t> &Uids, uint32_t &DestinationUidValidity);
    // Adds Moved to LastMove and fires OnDeleted for them.
    void recordMoved(const std::vector<TImapMoveRecord::Message> &Moved, uint32_t DestinationUidValidity);
    void fireForListed(const TmsNumNotifyEvent &Event, const std::vector<uint32_t> &Uids);
    // --- Whole messages (imap_retrieval.cpp) ---
    // UID FETCH BODY.PEEK[] of Uids; Take gets each message asked for once,
    // with up to MaxKeptBytes of it kept (the rest read and counted as
    // dropped). Returns the quoted refusal of a command that was not OK, or "".
    std::string fetchWholeMessages(const std::vector<uint32_t> &Uids, long long MaxKeptBytes,
                                   const std::function<void(uint32_t Uid, const TImapFetch::Part &Message)> &Take);
    // Keeps copies of the messages Indexes before they are moved or deleted;
    // returns those whose copies are kept. A message the server sends
    // larger than it was listed (beyond kCopySizeMargin) has changed since
    // the listing: it gets no copy, stays, and fires OnMessageSkipped.
    std::vector<int> keepCopies(const std::vector<int> &Indexes);
    int indexOfUid(uint32_t Uid) const;

    TImapCapabilities m_capabilities;
    bool m_capabilitiesRenewed = false; // since the sign-in began
    int m_tagNumber = 0;
    std::string m_bye;                  // the server's BYE, quoted
    int m_untaggedLeft = 0;             // for the running command
    std::string m_selected;
    uint32_t m_selectedUidValidity = 0;
    uint32_t m_exists = 0;
    std::string m_junkFolder;           // found in this session
    TmsRemoteInfo m_remoteInfo;
    std::vector<uint32_t> m_listedUids;
    std::unordered_map<uint32_t, int> m_indexOfUid; // UID -> index in RemoteInfo
    std::string m_listedFolder;                      // as the server writes it
    uint32_t m_listedUidValidity = 0;
    TImapMoveRecord m_lastMove;
    std::string m_notice;
    std::vector<std::string> m_copyUids; // the COPYUID codes since the last move command went out
    static constexpr size_t kMaxCopyUids = 64;
    bool m_alerted = false; // an ALERT was passed on during this command
};

} // namespace tw
