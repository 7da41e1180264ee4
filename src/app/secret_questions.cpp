#include "app/secret_questions.h"

#include "platform/prompts.h"

namespace tw {

std::optional<PasswordStore> askWhereToKeepSecrets(const std::string &failure)
{
    const int answer = Prompts::current().choose(
        "Tidewell could not use the desktop keyring for the mailbox passwords and sign-in tokens:\n\n" + failure +
            "\n\nUntil Tidewell ends, keep them in Tidewell's settings file (enciphered, but readable by any program "
            "you run), or ask for each password at the first check?  The Passwords page of the general settings "
            "chooses for good.",
        {"Keep in the settings file", "Ask at each check"});
    switch (answer) {
    case 0: return PasswordStore::SettingsFile;
    case 1: return PasswordStore::AskEachCheck;
    default: return std::nullopt;
    }
}

} // namespace tw
