// Whole messages: the copy a deletion for good keeps of each message first,
// and one message fetched for the user to read. BODY.PEEK[] leaves every
// message unread.
#include "net/imap_client.h"

#include "net/imap_fetch.h"
#include "net/imap_mailbox_name.h"
#include "net/imap_uid_set.h"

#include <algorithm>
#include <optional>
#include <set>

namespace tw {

std::string TmsImapClient::fetchWholeMessages(const std::vector<uint32_t> &Uids, long long MaxKeptBytes,
                                              const std::function<void(uint32_t, const TImapFetch::Part &)> &Take)
{
    TImapReadLimits limits;
    limits.MaxKeptBytes = limits.MaxKeptPerLiteral = std::min(MaxKeptBytes, imap::kMaxLiteralBytes);
    std::string refusal;
    std::set<uint32_t> taken;
    for (const TUidSet &set : uidSets(Uids, imap::kMaxCommandBytes)) {
        const TImapResponse reply = execute(
            TImapCommand("UID FETCH").add(set.text).add("(UID BODY.PEEK[])"),
            [&](const TImapResponse &response) {
                if (response.name != "FETCH")
                    return;
                const TImapFetch fetch = fetchOf(response);
                // Only a message asked for, and once.
                if (!fetch.uid || !fetch.message ||
                    !std::binary_search(set.uids.begin(), set.uids.end(), *fetch.uid) || !taken.insert(*fetch.uid).second)
                    return;
                Take(*fetch.uid, *fetch.message);
            },
            limits);
        if (!reply.is("OK"))
            refusal = reply.quoted();
    }
    return refusal;
}

std::vector<int> TmsImapClient::keepCopies(const std::vector<int> &Indexes)
{
    std::vector<uint32_t> whole; // fetched whole; the larger ones keep their header block
    long long largest = 0;
    for (const int index : Indexes) {
        const TmsRemoteInfoItem &item = m_remoteInfo.Items(index);
        if (item.Size <= DeletionCopies->maxMessageBytes()) {
            whole.push_back(ListedUid(index));
            largest = std::max<long long>(largest, item.Size);
        } else {
            DeletionCopies->keep(index, item.UID, item.Headers.Text() + "\r\n", true);
        }
    }
    std::set<int> sent;
    std::set<int> grown;
    std::string refusal =
        fetchWholeMessages(whole, largest + imap::kCopySizeMargin, [&](uint32_t uid, const TImapFetch::Part &message) {
            const int index = indexOfUid(uid);
            sent.insert(index);
            // The server sends more than the message it listed: it is not
            // the message the user marked, so it is neither kept nor removed.
            const long long size = (long long)message.bytes.size() + message.droppedBytes;
            if (message.droppedBytes > 0 || size > m_remoteInfo.Items(index).Size + imap::kCopySizeMargin) {
                grown.insert(index);
                return;
            }
            DeletionCopies->keep(index, m_remoteInfo.Items(index).UID, message.bytes, false);
        });
    if (refusal.empty())
        refusal = "The server did not send the message.";
    for (const uint32_t uid : whole)
        if (const int index = indexOfUid(uid); !sent.count(index))
            DeletionCopies->notSent(index, refusal);
    for (const int index : grown)
        if (OnMessageSkipped)
            OnMessageSkipped(this, index);
    std::vector<int> kept = DeletionCopies->keptCopies();
    std::sort(kept.begin(), kept.end());
    std::vector<int> deletable;
    for (const int index : Indexes)
        if (std::binary_search(kept.begin(), kept.end(), index) && !grown.count(index))
            deletable.push_back(index);
    return deletable;
}

std::string TmsImapClient::RetrieveMessage(int Index)
{
    const uint32_t uid = ListedUid(Index);
    OpenMailbox();
    const std::string folder = imapMailboxDisplayName(m_listedFolder);
    if (m_selected != m_listedFolder)
        selectMailbox(m_listedFolder, true, folder);
    if (m_selectedUidValidity != m_listedUidValidity)
        throw ETidewellError("The folder \"" + folder +
                             "\" has been renewed on the server since it was listed; check it again.");
    std::optional<std::string> message;
    const std::string refusal =
        fetchWholeMessages({uid}, imap::kMaxLiteralBytes, [&](uint32_t, const TImapFetch::Part &part) {
            if (part.droppedBytes == 0)
                message = part.bytes;
        });
    if (!message && !refusal.empty())
        throw EServerError(refusal);
    if (!message)
        throw ETidewellError("The message is no longer in the folder \"" + folder + "\"; check it again.");
    if (!StayConnected)
        CloseMailbox();
    return std::move(*message);
}

} // namespace tw
