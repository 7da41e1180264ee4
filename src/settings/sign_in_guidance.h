#pragma once
// The one line of guidance the general settings window shows for a mailbox
// row, from its server, protocol and sign-in choice: that a provider's
// two-step verification needs an app password, that iCloud has no POP3 (so
// IMAP is the choice there), or what a browser sign-in still lacks before it
// can start: for a missing client id, exactly what to register and where.

#include "net/oauth_providers.h"
#include "settings/settings_schema.h"

#include <string>

namespace tw {

// "" when there is nothing to say. N is the mailbox's number (1..12),
// Protocol its Protocol<n> (MailProtocol).
std::string signInGuidance(int n, const std::string &server, const MailboxSignIn &signIn, int protocol);

// What a browser sign-in with Endpoints still lacks, as a sentence; for a
// missing client id, what to register at the provider (Endpoints.provider,
// "" for a server of its own) and where, and that its id goes into the
// mailbox's "OAuth2 settings...". "" when nothing is missing.
std::string oauthMissingAdvice(const TOAuthEndpoints &endpoints);

} // namespace tw
