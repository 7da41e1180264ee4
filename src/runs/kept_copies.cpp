#include "runs/kept_copies.h"

#include "runs/imap_session.h"

#include <algorithm>

namespace tw {

KeptMessage keptFacts(const TMailboxSession &session, int row, const TWaitingMessage &message, int mailbox,
                      std::vector<std::string> why)
{
    KeptMessage facts;
    facts.mailbox = mailbox;
    facts.server = session.client().Server;
    facts.user = session.client().UserName;
    facts.size = session.listed().Items(row).Size;
    facts.subject = message.subject;
    facts.senderAddress = message.senderAddress;
    facts.senderName = message.senderName;
    facts.why = std::move(why);
    if (const auto *imap = dynamic_cast<const TImapSession *>(&session)) {
        facts.protocol = int(MailProtocol::IMAP);
        facts.imapFolder = imap->folder();
        facts.imapSourceUidValidity = imap->listedUidValidity();
        facts.imapSourceUid = imap->listedUid(row);
    }
    return facts;
}

std::unique_ptr<DeletionCopyBatch> prepareCopies(const DeletedMailStore &store, long long maxMessageBytes,
                                                 const TMailboxSession &session, const WaitingMessages &messages,
                                                 const std::vector<int> &flagged, int mailbox,
                                                 const std::function<std::vector<std::string>(int row)> &explain)
{
    auto batch = std::make_unique<DeletionCopyBatch>(store, maxMessageBytes);
    for (int row : flagged) {
        const TWaitingMessage &message = messages.row(row);
        std::vector<std::string> why;
        try {
            why = explain(row);
        } catch (const std::exception &error) {
            why = {"Message from " + message.senderAddress, "Subject of   " + message.subject, "", error.what()};
        }
        batch->describe(row, keptFacts(session, row, message, mailbox, std::move(why)));
    }
    return batch;
}

namespace {

constexpr long long kBytesPerMB = 1024 * 1024;

} // namespace

KeptCopyLimits keptCopyLimits(const GeneralSettings &general)
{
    return {general.KeepDeletedDays, std::max(0LL, (long long)general.KeepDeletedMaxMB) * kBytesPerMB};
}

void expireKeptCopies(const DeletedMailStore &store, const GeneralSettings &general, ActivityLog &log, qint64 now)
{
    if (general.KeepDeletedDays <= 0)
        return;
    const KeptCopyLimits limits = keptCopyLimits(general);
    const DeletedMailStore::ExpiryOutcome outcome = store.expire(limits, now);
    if (outcome.overLimit)
        log.logKeptCopiesOverLimit((outcome.bytesLeft + kBytesPerMB - 1) / kBytesPerMB, limits.maxBytes / kBytesPerMB);
}

bool recordMovesInCopies(DeletionCopyBatch &batch, const TMailboxSession &session, std::string *why)
{
    const auto *imap = dynamic_cast<const TImapSession *>(&session);
    if (!imap || imap->lastMove().Messages.empty())
        return true;
    const TImapMoveRecord &move = imap->lastMove();
    return batch.amendRows(
        [&](int, KeptMessage &row) {
            for (const TImapMoveRecord::Message &moved : move.Messages)
                if (moved.sourceUid == row.imapSourceUid && move.SourceUidValidity == row.imapSourceUidValidity) {
                    row.imapFolder = move.Source;
                    row.imapJunkFolder = move.Destination;
                    row.imapJunkUidValidity = move.DestinationUidValidity;
                    row.imapJunkUid = moved.destinationUid;
                    return true;
                }
            return false;
        },
        why);
}

} // namespace tw
