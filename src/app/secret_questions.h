#pragma once
// What a check does when a mailbox's secret is not at hand: the question
// the program asks after the desktop keyring failed, with a user at hand (a
// check the user started, the general settings window): where to keep
// passwords and sign-in tokens for the rest of this program run. It is
// handed to MailboxSecrets at start-up, which asks it at most once per run
// (once answered); a hidden automatic check never asks it.

#include "net/errors.h"
#include "settings/mailbox_secrets.h"

#include <optional>
#include <string>

namespace tw {

// Shows the keyring's own text (Failure) and offers the settings file or
// asking at each check; nullopt when the user closes the box.
std::optional<PasswordStore> askWhereToKeepSecrets(const std::string &failure);

// A check cannot have the mailbox's password or sign-in token: the keyring
// failed, or none is kept and nobody is there to be asked. The text names
// the mailbox, says why and what helps.
class ESecretUnavailableError : public ETidewellError {
public:
    using ETidewellError::ETidewellError;
};

} // namespace tw
