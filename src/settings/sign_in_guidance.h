#pragma once
// The one line of guidance the general settings window shows for a mailbox
// row, from its server, protocol and sign-in choice: that a provider's
// two-step verification needs an app password, that iCloud has no POP3 (so
// IMAP is the choice there), or what a browser sign-in still lacks before it
// can start.

#include "settings/settings_schema.h"

#include <string>

namespace tw {

// "" when there is nothing to say. N is the mailbox's number (1..12),
// Protocol its Protocol<n> (MailProtocol).
std::string signInGuidance(int n, const std::string &server, const MailboxSignIn &signIn, int protocol);

} // namespace tw
