#pragma once
// Where a mailbox's secrets are kept: its password and its OAuth2 refresh
// token. Both are enciphered values in the registry's Server key today
// ("Passwd<n>", "OAuthRefreshToken<n>", enciphered with TKeyedEncryption);
// every read and write of them goes through this pair, so that another
// store (the desktop's keyring) can take its place.

#include "settings/Encryp.h"

#include <string>

namespace tw {

enum class MailboxSecret { Password, RefreshToken };

// The secret of mailbox N (1..12), deciphered; "" when none is stored.
std::string readMailboxSecret(int n, MailboxSecret which, TKeyedEncryption &cipher);
// Stores the secret of mailbox N enciphered ("" removes it). Raises EStoreError.
void saveMailboxSecret(int n, MailboxSecret which, const std::string &value, TKeyedEncryption &cipher);

} // namespace tw
