#pragma once
// The deletion step both protocol clients share: flag exactly the given
// messages, lend the client the copies for this transfer alone, transfer.

#include "net/msmailbase.h"

#include <vector>

namespace tw {

template <class Client>
void transferFlagged(Client &client, const std::vector<int> &indexes, TmsDeletionCopies *copies)
{
    // Flags left by an earlier, failed run must not carry over.
    for (int i = 0; i < client.RemoteInfo().Count(); ++i)
        client.ClearFlags(i);
    for (int index : indexes)
        if (index < client.RemoteInfo().Count())
            client.FlagForDeletion(index);
    // The client never keeps pointing at the copies once this is over, however it ends.
    client.DeletionCopies = copies;
    try {
        client.TransferData();
    } catch (...) {
        client.DeletionCopies = nullptr;
        throw;
    }
    client.DeletionCopies = nullptr;
}

} // namespace tw
