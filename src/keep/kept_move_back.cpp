#include "keep/kept_move_back.h"

#include <algorithm>
#include <tuple>

namespace tw {

namespace {

// What rows must share to be moved back by one record.
auto moveKey(const KeptMessage &m)
{
    return std::tie(m.mailbox, m.server, m.user, m.imapFolder, m.imapJunkFolder, m.imapSourceUidValidity,
                    m.imapJunkUidValidity);
}

} // namespace

bool canMoveBack(const KeptMessage &message)
{
    return message.isImap() && !message.imapFolder.empty() && !message.imapJunkFolder.empty() &&
           message.imapJunkUidValidity != 0 && message.imapJunkUid != 0;
}

std::vector<KeptMoveBack> keptMoveBacks(const std::vector<KeptMessage> &rows)
{
    std::vector<KeptMoveBack> moves;
    for (size_t i = 0; i < rows.size(); ++i) {
        const KeptMessage &row = rows[i];
        if (!canMoveBack(row))
            continue;
        auto move = std::find_if(moves.begin(), moves.end(),
                                 [&](const KeptMoveBack &m) { return moveKey(rows[m.rows.front()]) == moveKey(row); });
        if (move == moves.end()) {
            KeptMoveBack fresh;
            fresh.record.Source = row.imapFolder;
            fresh.record.Destination = row.imapJunkFolder;
            fresh.record.SourceUidValidity = row.imapSourceUidValidity;
            fresh.record.DestinationUidValidity = row.imapJunkUidValidity;
            moves.push_back(std::move(fresh));
            move = moves.end() - 1;
        }
        move->rows.push_back(i);
        move->record.Messages.push_back({row.imapSourceUid, row.imapJunkUid});
    }
    return moves;
}

bool wasMovedBack(const KeptMessage &message, const TImapMoveRecord &moveBack)
{
    if (!canMoveBack(message) || moveBack.Source != message.imapJunkFolder ||
        moveBack.SourceUidValidity != message.imapJunkUidValidity)
        return false;
    return std::any_of(moveBack.Messages.begin(), moveBack.Messages.end(),
                       [&](const TImapMoveRecord::Message &m) { return m.sourceUid == message.imapJunkUid; });
}

} // namespace tw
