#pragma once
// Signing in where nobody can be asked (tidewell-check, moving kept
// messages back): the access token comes from the token command or from a
// refresh of the stored OAuth2 sign-in, never from the browser; a password
// goes unencrypted only where the user allowed it before; a certificate that
// does not verify is refused. What would need the user makes the session
// fail with a text saying so.

#include "net/msmailbase.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"

#include <functional>
#include <string>

namespace tw {

// Who wants a secret without asking: it decides what a text advises.
enum class SecretWantedBy {
    Command, // tidewell-check, run by cron or a timer
    Window,  // the program: a hidden automatic check, moving kept messages back
};

// Why mailbox N (Account, as read) cannot sign in without asking for a
// secret: the keyring could not give it and the settings file holds none,
// or no password is kept (asked at each check, or a keyring that shows
// none). One line that says what to do; "" when it can sign in.
std::string unattendedSecretProblem(int n, const RemotePOPAccount &account, const MailboxSecrets &secrets,
                                    SecretWantedBy wantedBy);

// The keyring could not be reached, and the secret mailbox N signs in with
// comes from the settings file instead, where an older version kept it and
// from where it has not moved to the keyring yet: the warning that says so,
// the first time in this program run (Secrets remembers). "" otherwise.
std::string secretFromSettingsFileNotice(int n, const RemotePOPAccount &account, MailboxSecrets &secrets);

// Sets Client's sign-in events for mailbox N, whose account is Account. A
// new refresh token handed out meanwhile is kept in Secrets (errors go to
// OnStoreError when set).

void signInUnattended(TmsMailBase &client, int n, const RemotePOPAccount &account, MailboxSecrets &secrets,
                      const std::function<void(const std::string &error)> &onStoreError = {});

} // namespace tw
