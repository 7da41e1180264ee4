#include "net/mspop3.h"

#include "net/errors.h"
#include "net/pop3_message_text.h"
#include "platform/bytes.h"
#include "platform/private_files.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace tw {

namespace {

// A STAT number; anything else is a conversion error naming the text.
int statNumber(const std::string &text)
{
    long long value = 0;
    if (!parseInt(text, value) || value < INT_MIN || value > INT_MAX)
        throw ETidewellError("'" + text + "' is not a valid integer value");
    return int(value);
}

// The reply without its status word ("+OK " is four characters).
std::string afterStatus(const std::string &reply) { return reply.size() > 4 ? reply.substr(4) : std::string(); }

} // namespace

// --- TmsCustomPOP ---------------------------------------------------------------

TmsCustomPOP::TmsCustomPOP(QObject *parent) : TmsMailBase(parent)
{
    DefaultPort = 110;
    ServiceName = "pop3";
}

int TmsCustomPOP::ReplyCode(const std::string &Line)
{
    if (startsWith(Line, "+"))
        return 1;
    if (startsWith(Line, "-"))
        return -1;
    return 0;
}

void TmsCustomPOP::ResetState() { TmsMailBase::ResetState(); }

int TmsCustomPOP::command(const std::string &Line)
{
    SendLine(Line);
    return ReadLine();
}

void TmsCustomPOP::requireOk(int Code)
{
    if (Code != 1)
        throw EServerError(LastReply());
}

void TmsCustomPOP::requirePasswordAccepted(int Code)
{
    if (Code != 1)
        throw ELoginRefusedError(LastReply());
}

void TmsCustomPOP::Login()
{
    try {
        ResetState();
        Connect();
        m_capabilities.clear();
        m_capabilitiesAsked = false;
        m_sessionEncrypted = false;
        m_signInMechanism.clear();
        secureFromStart();
        readGreeting();
        negotiateStartTls();
        m_sessionEncrypted = IsEncrypted();
        signIn();
        Stat();
        fire(OnLoggedIn);
    } catch (const ESocketError &) {
        Close();
        throw;
    }
}

void TmsCustomPOP::Logout()
{
    if (!IsConnected())
        return;
    // A reply lost with the connection would leave the error without a word.
    const int code = command("QUIT");
    if (code != 1 && LastReply().empty())
        throw EServerError("The server closed the connection without answering QUIT.");
    requireOk(code);
}

void TmsCustomPOP::Stat()
{
    requireOk(command("STAT"));
    const std::string rest = afterStatus(LastReply());
    const size_t space = rest.find(' ');
    if (space == std::string::npos)
        return;
    const std::string sizeAndMore = rest.substr(space + 1);
    const int count = statNumber(rest.substr(0, space));
    const int size = statNumber(sizeAndMore.substr(0, sizeAndMore.find(' ')));
    m_messageCount = count;
    m_mailboxSize = size;
}

int TmsCustomPOP::sizeFromListReply(int Index) const
{
    const std::string rest = afterStatus(LastReply());
    const size_t space = rest.find(' ');
    if (space == std::string::npos)
        return toIntDef(rest, 0);
    // "+OK n size": a reply about another message contradicts the listing.
    long long number = 0;
    if (parseInt(rest.substr(0, space), number) && number != Index + 1)
        throwNotDescribed(Index);
    return toIntDef(rest.substr(space + 1), 0);
}

void TmsCustomPOP::throwNotDescribed(int Index)
{
    throw ETidewellError("The server's LIST reply does not describe message " + std::to_string(Index + 1));
}

TDataBlockLimits TmsCustomPOP::scanListingLimits(int Count) const
{
    TDataBlockLimits limits;
    limits.MaxBytes = (long long)Count * pop3::kMaxScanLineBytes + pop3::kListedSizeSlack;
    limits.MaxSeconds = int(std::min<long long>(
        INT_MAX, (long long)pop3::kHeaderBlockTimeOuts * TimeOut() + limits.MaxBytes / pop3::kSlowestBytesPerSecond));
    return limits;
}

TPop3ScanListing TmsCustomPOP::readScanListing(TPop3CommandWindow &Window, int Count)
{
    requireOk(Window.readReply());
    std::string block;
    ReadData(block, -1, scanListingLimits(Count));
    return TPop3ScanListing(block, Count);
}

TDataBlockLimits TmsCustomPOP::headerBlockLimits() const
{
    return {pop3::kMaxHeaderBlockBytes, pop3::kHeaderBlockTimeOuts * TimeOut()};
}

TDataBlockLimits TmsCustomPOP::topReplyLimits(int ListedSize) const
{
    // The kept part within the header block's time; what may follow it
    // within the time a retrieval of those bytes would have.
    TDataBlockLimits limits = messageLimits(ListedSize);
    limits.MaxKeptBytes = pop3::kMaxHeaderBlockBytes;
    const long long beyondKept = std::max(0LL, limits.MaxBytes - pop3::kMaxHeaderBlockBytes);
    limits.MaxSeconds = int(std::min<long long>(
        INT_MAX, (long long)pop3::kHeaderBlockTimeOuts * TimeOut() + beyondKept / pop3::kSlowestBytesPerSecond));
    return limits;
}

TDataBlockLimits TmsCustomPOP::messageLimits(int ListedSize) const
{
    TDataBlockLimits limits;
    limits.MaxBytes = pop3::kMaxMessageBytes;
    if (ListedSize > 0)
        limits.MaxBytes = std::min(limits.MaxBytes, 2LL * ListedSize + pop3::kListedSizeSlack);
    limits.MaxSeconds = int(std::min<long long>(INT_MAX, TimeOut() + limits.MaxBytes / pop3::kSlowestBytesPerSecond));
    return limits;
}

void TmsCustomPOP::ReadInfo(int Index, TmsRemoteInfoItem &Item, bool WithUID, bool WithInfo)
{
    TPop3CommandWindow window(*this, false);
    queueInfoCommands(window, Index, WithUID, WithInfo);
    readInfoReplies(window, Index, Item, WithUID, WithInfo);
}

void TmsCustomPOP::queueInfoCommands(TPop3CommandWindow &Window, int Index, bool WithUID, bool WithInfo,
                                     int ListedSize)
{
    const std::string number = std::to_string(Index + 1);
    if (WithUID)
        Window.queue(Index, "UIDL " + number);
    if (WithInfo) {
        Window.queue(Index, "LIST " + number);
        queueTop(Window, Index, ListedSize);
    }
}

void TmsCustomPOP::queueTop(TPop3CommandWindow &Window, int Index, int ListedSize)
{
    // A reply dropped unread (the message changed) may be as long as a
    // too large header block the listing read to its end.
    Window.queue(Index, "TOP " + std::to_string(Index + 1) + " 1", true,
                 ListedSize < 0 ? headerBlockLimits() : topReplyLimits(ListedSize));
}

void TmsCustomPOP::readInfoReplies(TPop3CommandWindow &Window, int Index, TmsRemoteInfoItem &Item, bool WithUID,
                                   bool WithInfo)
{
    if (WithUID) {
        Item.UID.clear();
        if (Window.readReply() == 1)
            Item.UID = GetWord(LastReply(), 2, true);
    }
    if (WithInfo) {
        requireOk(Window.readReply());
        Item.Size = sizeFromListReply(Index);
        readTopReply(Window, Item);
    }
}

void TmsCustomPOP::readTopReply(TPop3CommandWindow &Window, TmsRemoteInfoItem &Item)
{
    requireOk(Window.readReply());
    std::string block;
    const long long dropped = ReadData(block, -1, topReplyLimits(Item.Size));
    Item.Headers.SetText(block);
    // The reply's size without its terminating dot line.
    Item.CutReplyBytes = dropped > 0 ? (long long)block.size() + dropped - 3 : 0;
    // Cut before the empty line, the kept part ends inside a header line.
    if (dropped > 0 && !Item.Headers.HasEmptyLine())
        Item.Headers.Delete(Item.Headers.Count() - 1);
    Item.Headers.CutAtBody();
}

void TmsCustomPOP::readWindow(TPop3CommandWindow &Window, const std::function<void()> &Read)
{
    try {
        Read();
    } catch (...) {
        if (Window.awaitingReplies())
            Close();
        throw;
    }
}

bool TmsCustomPOP::PipeliningInSession()
{
    if (!Pipelining)
        return false;
    if (!m_capabilitiesAsked)
        ReadCapabilities();
    return m_capabilities.has("PIPELINING");
}

void TmsCustomPOP::Retrieve(int Index)
{
    const std::string number = std::to_string(Index + 1);
    requireOk(command("LIST " + number));
    const int expectedSize = sizeFromListReply(Index);
    if (OnRetrieving)
        OnRetrieving(this, Index);
    requireOk(command("RETR " + number));
    std::string message;
    ReadData(message, expectedSize, messageLimits(expectedSize));
    SaveMessage(Index, message);
    if (OnRetrieved)
        OnRetrieved(this, Index);
}

void TmsCustomPOP::Delete(int Index)
{
    if (OnDeleting)
        OnDeleting(this, Index);
    // A refusal is not an error; only an accepted DELE is reported as deleted.
    if (command("DELE " + std::to_string(Index + 1)) > 0 && OnDeleted)
        OnDeleted(this, Index);
}

// --- TmsRemotePOP ---------------------------------------------------------------

TmsRemotePOP::TmsRemotePOP(QObject *parent) : TmsCustomPOP(parent) {}

void TmsRemotePOP::SetMessageDirectory(const std::string &directory)
{
    m_messageDirectory = directory;
    if (!m_messageDirectory.empty() && m_messageDirectory.back() != '/')
        m_messageDirectory += '/';
}

void TmsRemotePOP::FlagForDeletion(int Index) { m_remoteInfo.Items(Index).SetDeleteFlag(true); }

void TmsRemotePOP::FlagForRetrieval(int Index) { m_remoteInfo.Items(Index).SetRetrieveFlag(true); }

void TmsRemotePOP::ClearFlags(int Index)
{
    TmsRemoteInfoItem &item = m_remoteInfo.Items(Index);
    item.SetDeleteFlag(false);
    item.SetRetrieveFlag(false);
}

void TmsRemotePOP::UpdateInfo()
{
    OpenMailbox();
    fire(OnUpdatingInfo);
    m_remoteInfo.Clear();
    const int listed = std::min(MessageCount(), MaxListedMessages);
    if (listed > 0) {
        const bool pipelined = PipeliningInSession();
        TPop3CommandWindow window(*this, pipelined);
        // In windows one LIST gives every size, and each message costs its
        // TOP alone; one at a time, each message has its LIST n as always.
        // A mailbox larger than is listed is not asked for all its sizes.
        const bool oneList = pipelined && listed == MessageCount();
        if (oneList)
            window.queue(-1, "LIST", true, scanListingLimits(listed));
        int queued = 0;
        window.QueueMore = [&] {
            if (queued == listed)
                return false;
            if (oneList)
                queueTop(window, queued++);
            else
                queueInfoCommands(window, queued++, false, true);
            return true;
        };
        readWindow(window, [&] {
            std::optional<TPop3ScanListing> sizes;
            if (oneList)
                sizes.emplace(readScanListing(window, listed));
            for (int index = 0; index < listed; ++index) {
                TmsRemoteInfoItem item; // an error leaves it out
                if (sizes) {
                    if (!sizes->describes(index))
                        throwNotDescribed(index);
                    item.Size = sizes->sizeOf(index);
                    readTopReply(window, item);
                } else {
                    readInfoReplies(window, index, item, false, true);
                }
                m_remoteInfo.Add() = std::move(item);
                if (OnNextInfoUpdated)
                    OnNextInfoUpdated(this, m_remoteInfo.Count() - 1);
            }
        });
        HandlePendingEvents(true); // a cancel given meanwhile ends the listing as a cancel
    }
    // A count no real mailbox reaches: what was listed stays, the rest is
    // reported instead of being followed one message at a time for days.
    if (MessageCount() > listed)
        throw ETidewellError("The mailbox holds " + std::to_string(MessageCount()) + " messages; only the first " +
                             std::to_string(listed) + " were listed");
    if (!StayConnected)
        CloseMailbox();
    fire(OnInfoUpdated);
}

bool TmsRemotePOP::VerifyMessage(int Index)
{
    TPop3CommandWindow window(*this, false);
    queueInfoCommands(window, Index, true, true, m_remoteInfo.Items(Index).Size);
    return verifyReplies(window, Index);
}

bool TmsRemotePOP::verifyReplies(TPop3CommandWindow &Window, int Index, std::string *UID)
{
    const TmsRemoteInfoItem &listed = m_remoteInfo.Items(Index);
    TmsRemoteInfoItem current;
    bool same = false;
    try {
        readInfoReplies(Window, Index, current, true, true);
        same = current.Size == listed.Size && current.Headers == listed.Headers &&
               (listed.UID.empty() || current.UID == listed.UID);
        if (UID)
            *UID = current.UID;
    } catch (const EServerError &) {
        // A refused LIST or TOP on a live connection: the server no longer
        // holds a message with this number. A lost connection goes on.
        if (LastReply().empty() || !IsConnected())
            throw;
        Window.skipRestOf(Index);
    }
    if (!same && OnMessageSkipped)
        OnMessageSkipped(this, Index);
    return same;
}

bool TmsRemotePOP::retrievesWhole(int Index) const
{
    return DeletionCopies && m_remoteInfo.Items(Index).Size <= DeletionCopies->maxMessageBytes();
}

void TmsRemotePOP::copyMessage(TPop3CommandWindow &Window, int Index, bool Confirmed, const std::string &UID)
{
    if (!Confirmed) {
        Window.skipRestOf(Index); // its RETR, when one went out
        return;
    }
    if (!retrievesWhole(Index)) {
        DeletionCopies->keep(Index, UID, headerBlockFromLines(m_remoteInfo.Items(Index).Headers.Lines().copy()), true);
        return;
    }
    if (Window.readReply() != 1) {
        DeletionCopies->notSent(Index, LastReply());
        return;
    }
    const int listedSize = m_remoteInfo.Items(Index).Size;
    std::string block;
    ReadData(block, listedSize, messageLimits(listedSize));
    DeletionCopies->keep(Index, UID, messageFromDataBlock(block), false);
}

void TmsRemotePOP::deleteUnchanged(const std::vector<int> &Indexes)
{
    if (Indexes.empty())
        return;
    TPop3CommandWindow window(*this, PipeliningInSession());
    size_t queued = 0;
    window.QueueMore = [&] {
        if (queued == Indexes.size())
            return false;
        const int index = Indexes[queued++];
        queueInfoCommands(window, index, true, true, m_remoteInfo.Items(index).Size);
        // The copy is asked for at once: waiting for the re-read first would
        // cost a round trip per message.
        if (retrievesWhole(index))
            window.queue(index, "RETR " + std::to_string(index + 1), true,
                         messageLimits(m_remoteInfo.Items(index).Size));
        return true;
    };
    readWindow(window, [&] {
        std::vector<int> confirmed;
        for (int index : Indexes) {
            std::string uid;
            const bool same = verifyReplies(window, index, &uid);
            if (DeletionCopies)
                copyMessage(window, index, same, uid);
            if (same)
                confirmed.push_back(index);
        }
        // A message whose copy is not safely kept stays on the server.
        if (DeletionCopies) {
            std::vector<int> kept = DeletionCopies->keptCopies();
            std::sort(kept.begin(), kept.end());
            std::erase_if(confirmed, [&](int index) { return !std::binary_search(kept.begin(), kept.end(), index); });
        }
        // Only now, with every flagged message compared, do DELE commands go out.
        window.QueueMore = nullptr;
        for (int index : confirmed)
            window.queue(index, "DELE " + std::to_string(index + 1));
        for (int index : confirmed) {
            if (OnDeleting)
                OnDeleting(this, index);
            // A refusal is not an error; only an accepted DELE is reported as deleted.
            if (window.readReply() > 0 && OnDeleted)
                OnDeleted(this, index);
        }
    });
}

void TmsRemotePOP::TransferData()
{
    if (m_remoteInfo.Count() == 0)
        return;
    OpenMailbox();
    fire(OnTransferringData);
    // A message found changed is neither retrieved nor deleted, and is
    // reported once.
    std::vector<int> toDelete;
    for (int index = 0; index < m_remoteInfo.Count(); ++index) {
        const TmsRemoteInfoItem &item = m_remoteInfo.Items(index);
        const bool skipped = item.RetrieveFlag() && !VerifyMessage(index);
        if (item.RetrieveFlag() && !skipped)
            Retrieve(index);
        if (item.DeleteFlag() && !skipped)
            toDelete.push_back(index);
    }
    deleteUnchanged(toDelete);
    fire(OnDataTransfered);
    // The QUIT makes the deletions final: a cancel given before it must
    // still keep every message.
    HandlePendingEvents(true);
    CloseMailbox();
}

void TmsRemotePOP::SaveMessage(int Num, const std::string &Contents)
{
    if (OnUserMessageSave) {
        OnUserMessageSave(this, Num, Contents);
        return;
    }
    WriteMessageFile(Num, Contents);
}

void TmsRemotePOP::WriteMessageFile(int Num, const std::string &Contents) const
{
    const std::string path = m_messageDirectory + "msg_" + std::to_string(Num) + ".eml";
    std::string why;
    if (!writePrivateFile(path, Contents, &why))
        throw ETidewellError("Cannot write the message file " + path + ": " + why);
}

} // namespace tw
