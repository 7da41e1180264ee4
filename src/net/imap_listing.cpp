// Listing a folder: EXAMINE (read-only: nothing in the folder changes, not
// even \Recent), then one UID FETCH for every message's UID, size and
// header block. BODY.PEEK never sets \Seen. The replies are taken as they
// come: a server may send a message's items in several FETCH replies, in
// any order, with news about the folder (EXISTS, EXPUNGE, FLAGS, OK [...])
// between them; a message is listed once all three of its items are in.
#include "net/imap_client.h"

#include "net/imap_fetch.h"
#include "net/imap_mailbox_name.h"
#include "platform/bytes.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>

namespace tw {

namespace {

// The header lines of a header block as the listing keeps them. A block cut
// short (too large to keep whole) keeps only its complete lines.
void setHeaderBlock(TmsRemoteInfoItem &item, const TImapFetch::Part &header)
{
    item.Headers.SetText(header.bytes);
    item.CutReplyBytes = header.droppedBytes > 0 ? (long long)header.bytes.size() + header.droppedBytes : 0;
    if (header.droppedBytes > 0 && !item.Headers.HasEmptyLine())
        item.Headers.Delete(item.Headers.Count() - 1);
    item.Headers.CutAtBody();
}

void merge(TImapFetch &into, TImapFetch &&from)
{
    if (from.uid)
        into.uid = from.uid;
    if (from.size)
        into.size = from.size;
    if (from.header)
        into.header = std::move(from.header);
}

} // namespace

// The FETCH replies of one listing, gathered by message number until each
// message's UID, size and header block are in.
class TmsImapClient::Listing {
public:
    Listing(TmsImapClient &client, int wanted) : m_client(client), m_wanted(wanted) {}

    void take(const TImapResponse &response)
    {
        if (response.name == "EXPUNGE" && response.number)
            expunged(*response.number);
        if (response.name != "FETCH")
            return;
        TImapFetch fetch = fetchOf(response);
        TImapFetch &pending = m_pending[fetch.sequence];
        pending.sequence = fetch.sequence;
        merge(pending, std::move(fetch));
        if (pending.uid && pending.size && pending.header) {
            TImapFetch complete = std::move(pending);
            m_pending.erase(complete.sequence);
            list(complete);
        }
    }

    // After the tagged reply: a message whose header block never came is
    // listed without one, as long as its UID and size are known.
    void finish()
    {
        std::map<uint32_t, TImapFetch> left = std::move(m_pending);
        for (const auto &[sequence, fetch] : left)
            if (fetch.uid && fetch.size)
                list(fetch);
    }

private:
    // Message Number is gone: the ones after it move up by one.
    void expunged(uint32_t number)
    {
        std::map<uint32_t, TImapFetch> moved;
        for (auto &[sequence, fetch] : m_pending) {
            if (sequence == number)
                continue;
            fetch.sequence = sequence > number ? sequence - 1 : sequence;
            moved.emplace(fetch.sequence, std::move(fetch));
        }
        m_pending = std::move(moved);
    }

    void list(const TImapFetch &fetch)
    {
        // A message listed already (the server said it twice), or one past
        // the most a listing reads, is left out.
        if (m_client.m_remoteInfo.Count() >= m_wanted || !m_uids.insert(*fetch.uid).second)
            return;
        TmsRemoteInfoItem &item = m_client.m_remoteInfo.Add();
        item.Size = int(std::min<uint32_t>(*fetch.size, INT_MAX));
        item.UID = std::to_string(*fetch.uid);
        if (fetch.header)
            setHeaderBlock(item, *fetch.header);
        m_client.m_listedUids.push_back(*fetch.uid);
        m_client.m_indexOfUid[*fetch.uid] = m_client.m_remoteInfo.Count() - 1;
        if (m_client.OnNextInfoUpdated)
            m_client.OnNextInfoUpdated(&m_client, m_client.m_remoteInfo.Count() - 1);
    }

    TmsImapClient &m_client;
    const int m_wanted;
    std::map<uint32_t, TImapFetch> m_pending;
    std::set<uint32_t> m_uids;
};

void TmsImapClient::SelectFolder(const std::string &Name, bool ReadOnly)
{
    selectMailbox(imapMailboxName(Name), ReadOnly, Name);
}

void TmsImapClient::selectMailbox(const std::string &ServerName, bool ReadOnly, const std::string &Name)
{
    m_selected.clear();
    m_selectedUidValidity = 0;
    m_exists = 0;
    const TImapResponse reply = executeOk(TImapCommand(ReadOnly ? "EXAMINE" : "SELECT").addString(ServerName));
    if (m_selectedUidValidity == 0)
        throw ETidewellError("The server gave no UIDVALIDITY for the folder \"" + Name +
                             "\", so Tidewell cannot tell its messages apart safely.");
    if (!ReadOnly && reply.code == "READ-ONLY")
        throw ETidewellError("The server opens the folder \"" + Name +
                             "\" read-only, so no message can be moved out of it.");
    m_selected = ServerName;
}

void TmsImapClient::UpdateInfo()
{
    OpenMailbox();
    fire(OnUpdatingInfo);
    m_remoteInfo.Clear();
    m_listedUids.clear();
    m_indexOfUid.clear();
    m_listedUidValidity = 0;
    m_listedFolder.clear();
    SelectFolder(Folder, true);
    m_listedUidValidity = m_selectedUidValidity;
    m_listedFolder = m_selected;
    const uint32_t held = m_exists;
    const int wanted = int(std::min<uint32_t>(held, uint32_t(std::max(0, MaxListedMessages))));
    if (wanted > 0) {
        // A folder too large to list whole is listed by message number up
        // to the most a listing reads.
        const std::string items = "(UID RFC822.SIZE BODY.PEEK[HEADER])";
        const TImapCommand fetch = held > uint32_t(wanted)
                                       ? TImapCommand("FETCH").add("1:" + std::to_string(wanted)).add(items)
                                       : TImapCommand("UID FETCH").add("1:*").add(items);
        Listing listing(*this, wanted);
        const TImapResponse reply = execute(fetch, [&](const TImapResponse &response) { listing.take(response); });
        listing.finish();
        if (!reply.is("OK"))
            throw EServerError(reply.quoted());
        HandlePendingEvents(true); // a cancel given meanwhile ends the listing as a cancel
    }
    if (held > uint32_t(wanted))
        throw ETidewellError("The folder holds " + std::to_string(held) + " messages; only the first " +
                             std::to_string(wanted) + " were listed");
    if (!StayConnected)
        CloseMailbox();
    fire(OnInfoUpdated);
}

} // namespace tw
