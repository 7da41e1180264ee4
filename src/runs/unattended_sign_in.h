#pragma once
// Signing in where nobody can be asked (tidewell-check, moving kept
// messages back): the access token comes from the token command or from a
// refresh of the stored OAuth2 sign-in, never from the browser; a password
// goes unencrypted only where the user allowed it before; a certificate that
// does not verify is refused. What would need the user makes the session
// fail with a text saying so.

#include "net/msmailbase.h"
#include "settings/Encryp.h"
#include "settings/settings_store.h"

#include <functional>
#include <string>

namespace tw {

// Sets Client's sign-in events for mailbox N, whose account is Account. A
// new refresh token handed out meanwhile is stored (errors go to
// OnStoreError when set).
void signInUnattended(TmsMailBase &client, int n, const RemotePOPAccount &account, TKeyedEncryption &cipher,
                      const std::function<void(const std::string &error)> &onStoreError = {});

} // namespace tw
