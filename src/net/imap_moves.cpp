// What becomes of the messages a user marked: confirmed unchanged, then
// moved to the junk folder (found by its special use, else by its name,
// else made) or deleted for good, and moved back on request. Nothing here
// ever expunges a message Tidewell did not move or delete itself: only UID
// EXPUNGE of exactly those UIDs, never EXPUNGE or CLOSE.
#include "net/imap_client.h"

#include "net/imap_fetch.h"
#include "net/imap_mailbox_name.h"
#include "net/imap_uid_set.h"
#include "platform/bytes.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <utility>

namespace tw {

namespace {

std::vector<std::string> words(const std::string &text)
{
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::string withheldNotice(const std::string &folder, const std::string &destination)
{
    const std::string what = destination.empty() ? "The server does not offer UIDPLUS, so the messages were marked as "
                                                   "deleted in \"" + folder + "\""
                                                 : "The server offers neither MOVE nor UIDPLUS, so the messages were "
                                                   "copied to \"" + destination + "\" and marked as deleted in \"" +
                                                       folder + "\"";
    return what + " but not removed from it: this server can only remove all messages marked as deleted at once, "
                  "and Tidewell removes none but its own. Your mail program removes them when it compacts "
                  "(expunges) the folder.";
}

} // namespace

int TmsImapClient::indexOfUid(uint32_t Uid) const
{
    const auto found = m_indexOfUid.find(Uid);
    return found == m_indexOfUid.end() ? -1 : found->second;
}

void TmsImapClient::fireForListed(const TmsNumNotifyEvent &Event, const std::vector<uint32_t> &Uids)
{
    // UIDs of another folder, or of the listed one renewed, are not the listed messages.
    if (!Event || m_selected != m_listedFolder || m_selectedUidValidity != m_listedUidValidity)
        return;
    for (const uint32_t uid : Uids)
        if (const int index = indexOfUid(uid); index >= 0)
            Event(this, index);
}

std::vector<uint32_t> TmsImapClient::ConfirmUnchanged(uint32_t UidValidity,
                                                      const std::vector<std::pair<uint32_t, uint32_t>> &UidsAndSizes)
{
    // Another UIDVALIDITY: the numbers now name other messages, or none.
    if (UidValidity == 0 || UidValidity != m_selectedUidValidity)
        return {};
    std::vector<uint32_t> uids;
    for (const auto &[uid, size] : UidsAndSizes)
        uids.push_back(uid);
    std::map<uint32_t, uint32_t> found; // UID -> size now
    for (const TUidSet &set : uidSets(uids, imap::kMaxCommandBytes)) {
        const TImapResponse reply =
            execute(TImapCommand("UID FETCH").add(set.text).add("(UID RFC822.SIZE)"), [&](const TImapResponse &r) {
                if (r.name != "FETCH")
                    return;
                const TImapFetch fetch = fetchOf(r);
                if (fetch.uid && fetch.size)
                    found[*fetch.uid] = *fetch.size;
            });
        // A NO may still have answered for the messages that are there;
        // only what it answered counts.
        if (reply.is("BAD"))
            throw EServerError(reply.quoted());
    }
    std::vector<uint32_t> confirmed;
    for (const auto &[uid, size] : UidsAndSizes) {
        const auto now = found.find(uid);
        if (now != found.end() && std::min<uint32_t>(now->second, INT_MAX) == std::min<uint32_t>(size, INT_MAX))
            confirmed.push_back(uid);
    }
    return confirmed;
}

// --- The junk folder ----------------------------------------------------------

std::vector<TImapFolder> TmsImapClient::listFolders()
{
    std::vector<TImapFolder> folders;
    const auto collect = [&](const TImapResponse &response) {
        if (folders.size() < size_t(imap::kMaxFolders))
            if (auto folder = folderOf(response))
                folders.push_back(std::move(*folder));
    };
    if (m_capabilities.has("SPECIAL-USE")) {
        const TImapCommand list =
            TImapCommand("LIST").addString("").addString("*").add("RETURN (SPECIAL-USE)");
        if (execute(list, collect).is("OK"))
            return folders;
        folders.clear(); // a server that lists SPECIAL-USE but not the RETURN option
    }
    executeOk(TImapCommand("LIST").addString("").addString("*"), collect);
    return folders;
}

std::string TmsImapClient::createJunkFolder()
{
    std::string prefix;
    if (m_capabilities.has("NAMESPACE"))
        execute(TImapCommand("NAMESPACE"), [&](const TImapResponse &response) {
            if (response.name == "NAMESPACE")
                prefix = personalNamespacePrefix(response);
        });
    const std::string name = prefix + "Junk";
    TImapResponse reply = TImapResponse();
    if (m_capabilities.has("CREATE-SPECIAL-USE"))
        reply = execute(TImapCommand("CREATE").addString(name).add("(USE (\\Junk))"));
    if (!reply.is("OK") && reply.code != "ALREADYEXISTS")
        reply = execute(TImapCommand("CREATE").addString(name));
    if (!reply.is("OK") && reply.code != "ALREADYEXISTS")
        throw EServerError(reply.quoted());
    // Mail programs that show subscribed folders only show it too.
    execute(TImapCommand("SUBSCRIBE").addString(name));
    return name;
}

std::string TmsImapClient::FindJunkFolder()
{
    if (m_junkFolder.empty()) {
        const std::optional<std::string> found = junkFolderOf(listFolders());
        m_junkFolder = found ? *found : createJunkFolder();
    }
    return m_junkFolder;
}

// --- Moving and deleting --------------------------------------------------------

std::map<uint32_t, uint32_t> TmsImapClient::takeCopyUids(const std::vector<uint32_t> &Uids,
                                                         uint32_t &DestinationUidValidity)
{
    // COPYUID <destination UIDVALIDITY> <source UIDs> <destination UIDs>,
    // pairing the two sets in order (RFC 4315).
    std::map<uint32_t, uint32_t> destinations;
    DestinationUidValidity = 0;
    for (const std::string &copyUid : std::exchange(m_copyUids, {})) {
        const std::vector<std::string> parts = words(copyUid);
        const auto validity = parts.empty() ? std::nullopt : imapNumber(parts[0]);
        const auto sources = parts.size() == 3 ? uidsOfSet(parts[1], Uids.size()) : std::nullopt;
        const auto targets = parts.size() == 3 ? uidsOfSet(parts[2], Uids.size()) : std::nullopt;
        if (!validity || !sources || !targets || sources->size() != targets->size())
            continue; // unreadable: the copies' UIDs stay unknown
        DestinationUidValidity = *validity;
        for (size_t i = 0; i < sources->size(); ++i)
            destinations[(*sources)[i]] = (*targets)[i];
    }
    return destinations;
}

namespace {

// Uids, each with its destination UID where Destinations names one (0 where not).
std::vector<TImapMoveRecord::Message> withDestinations(const std::vector<uint32_t> &Uids,
                                                       const std::map<uint32_t, uint32_t> &Destinations)
{
    std::vector<TImapMoveRecord::Message> messages;
    for (const uint32_t uid : Uids) {
        const auto found = Destinations.find(uid);
        messages.push_back({uid, found == Destinations.end() ? 0 : found->second});
    }
    return messages;
}

} // namespace

void TmsImapClient::recordMoved(const std::vector<TImapMoveRecord::Message> &Moved, uint32_t DestinationUidValidity)
{
    m_lastMove.Messages.insert(m_lastMove.Messages.end(), Moved.begin(), Moved.end());
    if (DestinationUidValidity != 0)
        m_lastMove.DestinationUidValidity = DestinationUidValidity;
    std::vector<uint32_t> uids;
    for (const TImapMoveRecord::Message &message : Moved)
        uids.push_back(message.sourceUid);
    fireForListed(OnDeleted, uids);
}

void TmsImapClient::storeDeletedAndExpunge(const std::vector<uint32_t> &Uids)
{
    for (const TUidSet &set : uidSets(Uids, imap::kMaxCommandBytes)) {
        executeOk(TImapCommand("UID STORE").add(set.text).add("+FLAGS.SILENT (\\Deleted)"));
        // UID EXPUNGE removes exactly these; EXPUNGE would remove every
        // message marked \Deleted, the user's own among them, so without
        // UIDPLUS nothing is removed and the run says so.
        if (m_capabilities.has("UIDPLUS"))
            executeOk(TImapCommand("UID EXPUNGE").add(set.text));
        else
            m_notice = withheldNotice(imapMailboxDisplayName(m_selected),
                                      m_lastMove.Destination.empty() ? std::string()
                                                                     : imapMailboxDisplayName(m_lastMove.Destination));
    }
}

void TmsImapClient::MoveMessages(const std::vector<uint32_t> &Uids, const std::string &Destination)
{
    m_lastMove = TImapMoveRecord();
    m_lastMove.Source = m_selected;
    m_lastMove.SourceUidValidity = m_selectedUidValidity;
    m_lastMove.Destination = Destination;
    m_notice.clear();
    for (const TUidSet &set : uidSets(Uids, imap::kMaxCommandBytes)) {
        fireForListed(OnDeleting, set.uids);
        m_copyUids.clear();
        uint32_t destinationUidValidity = 0;
        if (m_capabilities.has("MOVE")) {
            executeOk(TImapCommand("UID MOVE").add(set.text).addString(Destination));
            // An accepted UID MOVE leaves none of these UIDs in the folder
            // (one that no longer existed is gone either way), whatever its
            // COPYUID says: that only tells where they went, when it names them.
            const std::map<uint32_t, uint32_t> destinations = takeCopyUids(set.uids, destinationUidValidity);
            recordMoved(withDestinations(set.uids, destinations), destinationUidValidity);
            continue;
        }
        executeOk(TImapCommand("UID COPY").add(set.text).addString(Destination));
        // Without a COPYUID every UID asked for was copied; with one, only
        // those it names are known to be in the junk folder, so only those
        // are marked and removed, and recorded once they are.
        const std::map<uint32_t, uint32_t> destinations = takeCopyUids(set.uids, destinationUidValidity);
        std::vector<uint32_t> uids;
        for (const uint32_t uid : set.uids)
            if (destinations.empty() || destinations.count(uid))
                uids.push_back(uid);
        storeDeletedAndExpunge(uids);
        recordMoved(withDestinations(uids, destinations), destinationUidValidity);
    }
}

void TmsImapClient::DeleteMessages(const std::vector<uint32_t> &Uids)
{
    m_lastMove = TImapMoveRecord();
    m_notice.clear();
    for (const TUidSet &set : uidSets(Uids, imap::kMaxCommandBytes)) {
        fireForListed(OnDeleting, set.uids);
        storeDeletedAndExpunge(set.uids);
        fireForListed(OnDeleted, set.uids);
    }
}

void TmsImapClient::TransferData()
{
    if (m_remoteInfo.Count() == 0)
        return;
    OpenMailbox();
    fire(OnTransferringData);
    m_lastMove = TImapMoveRecord();
    m_notice.clear();
    std::vector<int> flagged;
    for (int index = 0; index < m_remoteInfo.Count(); ++index)
        if (m_remoteInfo.Items(index).DeleteFlag())
            flagged.push_back(index);
    if (!flagged.empty()) {
        // The junk folder is found (or made) first: if that fails, nothing
        // has been touched.
        const std::string junk = DeleteForGood ? std::string() : FindJunkFolder();
        // The folder that was listed, whatever Folder says now: the UIDs are its.
        const std::string folder = imapMailboxDisplayName(m_listedFolder);
        selectMailbox(m_listedFolder, false, folder);
        if (!DeleteForGood && (junk == m_selected || (sameText(junk, "INBOX") && sameText(m_selected, "INBOX"))))
            throw ETidewellError("The folder \"" + folder +
                                 "\" is the junk folder itself, so its messages cannot be moved there.");
        std::vector<std::pair<uint32_t, uint32_t>> listed;
        for (const int index : flagged)
            listed.emplace_back(ListedUid(index), uint32_t(m_remoteInfo.Items(index).Size));
        const std::vector<uint32_t> confirmed = ConfirmUnchanged(m_listedUidValidity, listed);
        const std::set<uint32_t> confirmedUids(confirmed.begin(), confirmed.end());
        std::vector<int> unchanged;
        for (const int index : flagged) {
            if (confirmedUids.count(ListedUid(index)))
                unchanged.push_back(index);
            else if (OnMessageSkipped)
                OnMessageSkipped(this, index);
        }
        // A copy is kept before a move too: the junk folder may be emptied
        // by the server or another program before the user looks.
        if (DeletionCopies && !unchanged.empty())
            unchanged = keepCopies(unchanged);
        std::vector<uint32_t> uids;
        for (const int index : unchanged)
            uids.push_back(ListedUid(index));
        if (OnRemoving && !unchanged.empty())
            OnRemoving(this, unchanged);
        if (DeleteForGood)
            DeleteMessages(uids);
        else
            MoveMessages(uids, junk);
    }
    fire(OnDataTransfered);
    CloseMailbox();
}

std::optional<std::map<int, bool>> TmsImapClient::FindListedMessages(const std::vector<int> &Indexes)
{
    // What is left of the broken session tells nothing reliable.
    if (IsConnected())
        Close();
    OpenMailbox();
    selectMailbox(m_listedFolder, true, imapMailboxDisplayName(m_listedFolder));
    if (m_selectedUidValidity == 0 || m_selectedUidValidity != m_listedUidValidity) {
        CloseMailbox();
        return std::nullopt;
    }
    std::vector<uint32_t> uids;
    for (const int index : Indexes)
        uids.push_back(ListedUid(index));
    std::sort(uids.begin(), uids.end());
    std::map<int, bool> held;
    for (const TUidSet &set : uidSets(uids, imap::kMaxCommandBytes))
        executeOk(TImapCommand("UID FETCH").add(set.text).add("(UID FLAGS)"), [&](const TImapResponse &response) {
            if (response.name != "FETCH")
                return;
            const TImapFetch fetch = fetchOf(response);
            if (!fetch.uid || !std::binary_search(set.uids.begin(), set.uids.end(), *fetch.uid))
                return;
            // FLAGS missing from the answer: assume the worst, it may be on its way out.
            if (const int index = indexOfUid(*fetch.uid); index >= 0)
                held[index] = held[index] || fetch.markedDeleted.value_or(true);
        });
    CloseMailbox();
    return held;
}

void TmsImapClient::MoveBack(const TImapMoveRecord &Record)
{
    const std::string junk = imapMailboxDisplayName(Record.Destination);
    std::vector<uint32_t> uids;
    for (const TImapMoveRecord::Message &message : Record.Messages)
        if (message.destinationUid != 0)
            uids.push_back(message.destinationUid);
    if (!Record.undoable() || uids.empty())
        throw ETidewellError("The server did not say where in \"" + junk +
                             "\" the messages went, so Tidewell cannot find them to move them back.");
    OpenMailbox();
    selectMailbox(Record.Destination, false, junk);
    if (m_selectedUidValidity != Record.DestinationUidValidity)
        throw ETidewellError("The folder \"" + junk +
                             "\" has been renewed on the server since the messages were moved there (its UIDVALIDITY "
                             "changed), so Tidewell cannot find them any more.");
    // Only what is still there goes back: the user may have deleted some.
    std::vector<uint32_t> present;
    for (const TUidSet &set : uidSets(uids, imap::kMaxCommandBytes))
        executeOk(TImapCommand("UID FETCH").add(set.text).add("(UID)"), [&](const TImapResponse &response) {
            if (response.name != "FETCH")
                return;
            const TImapFetch fetch = fetchOf(response);
            if (fetch.uid && std::binary_search(set.uids.begin(), set.uids.end(), *fetch.uid))
                present.push_back(*fetch.uid);
        });
    MoveMessages(present, Record.Source);
    if (!StayConnected)
        CloseMailbox();
}

} // namespace tw
