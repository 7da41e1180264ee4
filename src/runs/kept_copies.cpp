#include "runs/kept_copies.h"

#include "runs/imap_session.h"

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
