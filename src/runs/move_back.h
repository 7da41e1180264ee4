#pragma once
// Moving kept IMAP messages back from the junk folder to the folder they
// were listed in, one IMAP session per mailbox and move.

#include "keep/kept_message.h"
#include "net/imap_client.h"

#include <functional>
#include <string>
#include <vector>

namespace tw {

struct TMovedBack {
    bool moved = false;
    std::string text; // why it was not moved back; "" when it was
};

// Moves Messages back (keep/kept_move_back.h groups them). For each group,
// Prepare gets a fresh IMAP client and the group's first message and sets up
// the account and sign-in of its mailbox; it returns "" or why that mailbox
// cannot be used. One result per message, in their order; a refusal of the
// server is quoted.
std::vector<TMovedBack> moveKeptMessagesBack(
    const std::vector<KeptMessage> &messages,
    const std::function<std::string(TmsImapClient &imap, const KeptMessage &first)> &prepare);

} // namespace tw
