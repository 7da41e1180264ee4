#pragma once
// Where a mailbox's secrets are kept: its password and its OAuth2 refresh
// token. General/PasswordStore chooses the place:
//  - the desktop keyring (platform/secret_store.h), under the service
//    "Tidewell" and the entry "<user name>@<server> (password)" or
//    "... (token)", the user name and server as the mailbox row writes them;
//  - the settings file: the enciphered values "Passwd<n>" and
//    "OAuthRefreshToken<n>" of the registry's Server key (TKeyedEncryption);
//  - nowhere: a secret is held for this program run only, and a password is
//    asked at the first check that needs it.
// Every read and write of a secret goes through one MailboxSecrets per
// program run (the general settings model holds it). It also remembers what
// the user decided in this run after the keyring failed, and the secrets
// that are held for this run only. It never asks anything itself: the
// program hands it the question (AskInsteadOfKeyring), and only callers
// with a user at hand call replaceKeyringAfter.

#include "settings/Encryp.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

namespace tw {

enum class MailboxSecret { Password, RefreshToken };

// General/PasswordStore: where secrets go. An unknown number reads as Keyring.
enum class PasswordStore { Keyring = 0, SettingsFile = 1, AskEachCheck = 2 };
inline constexpr int kPasswordStoreChoices = 3;
PasswordStore passwordStoreFromSetting(int stored);

inline constexpr const char *kKeyringService = "Tidewell";

// Whose secret it is: the mailbox row's user name and server.
struct MailboxIdentity {
    std::string userName;
    std::string server;
    // The keyring names an entry only by both.
    bool named() const { return !userName.empty() && !server.empty(); }
    bool operator==(const MailboxIdentity &) const = default;
};
// "ann@pop.example.org (password)", "ann@pop.example.org (token)".
std::string keyringEntryName(const MailboxIdentity &who, MailboxSecret which);

// A keyring job failed; what() is the keyring's own text (or that it did
// not answer in time).
class EKeyringError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A secret as read.
struct StoredSecret {
    std::string value;          // "" when none is kept
    // The keyring's text when it could not be read; Value then holds what
    // the settings file still has (a secret not yet moved over), if anything.
    std::string keyringFailure;
};

class MailboxSecrets {
public:
    // Secrets kept in the settings file are enciphered with Cipher (by
    // default one with the program's key).
    explicit MailboxSecrets(PasswordStore chosen = PasswordStore::Keyring);
    MailboxSecrets(PasswordStore chosen, const TKeyedEncryption &cipher);

    // The stored choice, General/PasswordStore.
    PasswordStore chosen() const { return m_chosen; }
    void setChosen(PasswordStore chosen) { m_chosen = chosen; }
    // Where secrets go now: the chosen store, or, after the keyring failed,
    // the store the user named instead for the rest of this program run.
    PasswordStore inUse() const { return inUseFor(m_chosen); }

    // Set by the program: asks the user where to keep secrets for the rest
    // of this run, the keyring having failed with Failure. nullopt: no answer.
    std::function<std::optional<PasswordStore>(const std::string &failure)> askInsteadOfKeyring;
    // After a keyring failure, with the user at hand: asks the question
    // unless it has been answered in this run (never without
    // AskInsteadOfKeyring). True when secrets now go to another store, so
    // the work can be redone.
    bool replaceKeyringAfter(const std::string &failure);

    // Runs Work (saves of secrets) with the user at hand: after a keyring
    // failure, the question of replaceKeyringAfter, and Work again in the
    // store named instead. Raises EKeyringError when no other store takes
    // the keyring's place.
    void saveWithUser(const std::function<void()> &work);

    // The secret of mailbox N whose row names Who, from the store in use.
    // The keyring falls back to the settings file for a secret it does not
    // hold, one that older settings files kept there.
    StoredSecret read(int n, const MailboxIdentity &who, MailboxSecret which);
    // Keeps Value ("" for none) as the secret of mailbox N, whose row named
    // Before as stored until now and names Now: the entry of Before moves to
    // Now, and a row that names nobody keeps no secret in the keyring or for
    // this run. A value the keyring is known to hold already is not written
    // again. Whatever the keyring holds, the settings file then does not.
    // An entry whose last read failed is never emptied or removed: with its
    // value unknown, it may hold the only copy.
    // Raises EKeyringError (nothing is lost: every secret stays where it
    // was) and EStoreError.
    void save(int n, const MailboxIdentity &before, const MailboxIdentity &now, MailboxSecret which,
              const std::string &value);
    // Forgets a secret held for this run only (it is asked again).
    void forget(const MailboxIdentity &who, MailboxSecret which);
    // True the first time in this program run that Who's secret is used
    // from the settings file because the keyring could not be reached
    // (read() gave it with a keyring failure): that is said once per run.
    bool firstUseFromSettingsFile(const MailboxIdentity &who);

    // A change of the chosen store happens in three steps, so that a
    // failure never leaves a secret nowhere: copyInto for every secret
    // (raises EKeyringError, EStoreError; the old store still holds all),
    // then beginMove, after which every save also takes the secret out of
    // the store in use before (the keyring's entry, the settings file's
    // value, this run's copy), then endMove.
    void copyInto(PasswordStore chosen, int n, const MailboxIdentity &who, MailboxSecret which,
                  const std::string &value);
    void beginMove(PasswordStore chosen);
    void endMove() { m_movingFrom.reset(); }
    // The keyring's text when entries that should have gone from it (moved
    // away, renamed) could not be removed; "" when none. Reading it clears it.
    std::string takeLeftInKeyring();

    // At start-up with the keyring chosen: every secret still in the
    // settings file (of a mailbox whose row names it, in the current cipher
    // format) is written to the keyring and read back; only a secret read
    // back unchanged is removed from the settings file. Stops at the first
    // keyring failure and returns its text ("" when all went well).
    std::string moveSettingsFileSecretsToKeyring();

private:
    // Where secrets go when Chosen is chosen: the keyring's replacement for this run, if any.
    PasswordStore inUseFor(PasswordStore chosen) const;
    std::string fileSecret(int n, MailboxSecret which) const;
    // The settings file's value as a save of it writes it: "" is stored as
    // an empty value (a refresh token that never was stays absent).
    void saveFileSecret(int n, MailboxSecret which, const std::string &value) const;
    // Empties the settings file's value when it holds one.
    void clearFileSecret(int n, MailboxSecret which) const;
    void saveInKeyring(const MailboxIdentity &who, MailboxSecret which, const std::string &value);
    // Removes an entry that is no longer wanted; a failure is kept for takeLeftInKeyring.
    void removeFromKeyring(const MailboxIdentity &who, MailboxSecret which);
    void takeOutOf(PasswordStore store, int n, const MailboxIdentity &before, const MailboxIdentity &now,
                   MailboxSecret which);

    mutable TKeyedEncryption m_cipher;
    PasswordStore m_chosen;
    std::optional<PasswordStore> m_instead;         // this run's answer after a keyring failure
    std::optional<PasswordStore> m_movingFrom;
    std::map<std::string, std::string> m_thisRun;   // secrets held for this run only, by entry name
    std::map<std::string, std::string> m_inKeyring; // what this run knows the keyring to hold
    std::set<std::string> m_unread;                 // entries whose last read failed: never removed
    std::set<std::pair<std::string, std::string>> m_usedFromFile; // firstUseFromSettingsFile's mailboxes
    std::string m_leftInKeyring;
};

// Mailbox N's password, emptied in the settings file alone (passwords of an
// older cipher format that cannot be read). Raises EStoreError.
void clearSettingsFilePassword(int n);

} // namespace tw
