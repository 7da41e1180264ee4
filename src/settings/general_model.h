#pragma once
// The general settings as the program works with them: the twelve mailbox
// accounts, the preferred mailbox, the section General values and the log
// naming mode. The general settings window owns one instance and edits it;
// the main window and its runs read it (never the store directly), so a
// change confirmed in that window is seen by the next check at once.

#include "settings/Encryp.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"
#include "settings/settings_schema.h"

#include <optional>
#include <string>
#include <vector>

namespace tw {

class GeneralSettingsModel {
public:
    GeneralSettings general;
    ServerSettings servers;
    LogNaming naming = LogNaming::AsIs;

    // Where the mailboxes' passwords and refresh tokens are kept, and what
    // this program run decided about them. The main window reads and keeps
    // secrets through it too.
    MailboxSecrets secrets;

    // ReadGeneralSettings: section General and the log naming mode; the
    // stored PasswordStore becomes the secrets' chosen store.
    void readGeneral();
    // readServerSettings: section Server, the secrets read through Secrets.
    // A stored empty password leaves the account's password as it was.
    void readServers();
    // Both of the above.
    void read() { readGeneral(), readServers(); }
    // Both, as the program starts: with the keyring chosen, the secrets that
    // the settings file still holds move to the keyring first
    // (MailboxSecrets::moveSettingsFileSecretsToKeyring). Returns why not all
    // of them moved ("" when they did); those that did not stay in the file.
    std::string readAtStartUp();
    // SaveGeneralSettings: section General and section Logfile. Raises
    // EStoreError. PasswordStore is written as the store in effect: a new
    // choice takes effect with saveServers.
    void saveGeneral() const;
    // saveServerSettings through Secrets. When General.PasswordStore names
    // another store than the one in effect and no mailbox has a problem,
    // every secret moves there first (copied, the choice stored, then taken
    // out of the old store); with a problem the old store stays in effect.
    // Raises EStoreError and EKeyringError (repeating the save after either
    // is safe).
    std::optional<MailboxProblem> saveServers();

    // A mailbox takes part in checks when its box is ticked and its server is not empty.
    bool usable(int n) const;
    int HowManyMailboxesChecked() const;
    // The lowest usable mailbox number, or 0.
    int FirstMailboxChecked() const;
    std::vector<int> usableMailboxes() const;
    // False when the user name of any ticked mailbox that signs in with a
    // password contains "@" (an OAuth2 sign-in names the whole address).
    bool CheckUserMailboxes() const;
    // True when a ticked mailbox that signs in with a password names a
    // web-mail service in its server or user name (OAuth2 opens those).
    bool CheckForAOL() const;
    // Server 1 filled in and servers 2..12 all empty.
    bool OnlyOneMailbox() const;
    // The first mailbox whose server and user name equal these, ignoring
    // letter case; 0 when none does.
    int serverToIndex(const std::string &server, const std::string &userName) const;

    // The spam counter kept as decimal text in General/Count.
    long long spamCount() const;
    void addToSpamCount(long long deleted);
};

inline constexpr const char *kWebMailNote =
    "Note: Tidewell does not support AOL, JUNO, HOTMAIL, MSN or webmail accounts.  Only POP servers are supported.  ";

} // namespace tw
