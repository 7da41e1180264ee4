#include "settings/mailbox_secrets.h"

#include "platform/registry.h"
#include "platform/secret_store.h"
#include "settings/settings_schema.h"

#include <utility>

namespace tw {

namespace {

std::string valueName(int n, MailboxSecret which)
{
    return (which == MailboxSecret::Password ? "Passwd" : "OAuthRefreshToken") + std::to_string(n);
}

std::string serverKey() { return std::string(kMainKey) + "\\" + kServerSection; }

} // namespace

PasswordStore passwordStoreFromSetting(int stored)
{
    return stored > 0 && stored < kPasswordStoreChoices ? PasswordStore(stored) : PasswordStore::Keyring;
}

std::string keyringEntryName(const MailboxIdentity &who, MailboxSecret which)
{
    return who.userName + "@" + who.server + (which == MailboxSecret::Password ? " (password)" : " (token)");
}

MailboxSecrets::MailboxSecrets(PasswordStore chosen) : m_chosen(chosen) { m_cipher.Key = kPasswordKey; }

MailboxSecrets::MailboxSecrets(PasswordStore chosen, const TKeyedEncryption &cipher)
    : m_cipher(cipher), m_chosen(chosen)
{
}

PasswordStore MailboxSecrets::inUseFor(PasswordStore chosen) const
{
    return chosen == PasswordStore::Keyring && m_instead ? *m_instead : chosen;
}

bool MailboxSecrets::replaceKeyringAfter(const std::string &failure)
{
    if (m_instead)
        return true;
    if (!askInsteadOfKeyring)
        return false;
    const std::optional<PasswordStore> answer = askInsteadOfKeyring(failure);
    if (!answer || *answer == PasswordStore::Keyring)
        return false;
    m_instead = answer;
    return true;
}

StoredSecret MailboxSecrets::read(int n, const MailboxIdentity &who, MailboxSecret which)
{
    switch (inUse()) {
    case PasswordStore::SettingsFile: return {fileSecret(n, which), {}};
    case PasswordStore::AskEachCheck: {
        const auto held = m_thisRun.find(keyringEntryName(who, which));
        return {held == m_thisRun.end() ? std::string() : held->second, {}};
    }
    case PasswordStore::Keyring: break;
    }
    if (!who.named())
        return {fileSecret(n, which), {}};
    const std::string entry = keyringEntryName(who, which);
    const SecretResult result = SecretStore::current().read(entry);
    m_unread.erase(entry);
    switch (result.status) {
    case SecretResult::Status::Done: m_inKeyring[entry] = result.value; return {result.value, {}};
    case SecretResult::Status::NotFound: m_inKeyring[entry].clear(); return {fileSecret(n, which), {}};
    case SecretResult::Status::Failed: break;
    }
    m_unread.insert(entry);
    return {fileSecret(n, which), result.error};
}

void MailboxSecrets::save(int n, const MailboxIdentity &before, const MailboxIdentity &now, MailboxSecret which,
                          const std::string &value)
{
    const PasswordStore store = inUse();
    switch (store) {
    case PasswordStore::Keyring:
        if (now.named()) {
            saveInKeyring(now, which, value);
        } else if (!value.empty()) {
            // A row that names no account has nothing to sign in to; the
            // settings file keeps its secret, as it always did.
            saveFileSecret(n, which, value);
            break;
        }
        if (before.named() && before != now)
            removeFromKeyring(before, which);
        clearFileSecret(n, which);
        break;
    case PasswordStore::SettingsFile: saveFileSecret(n, which, value); break;
    case PasswordStore::AskEachCheck:
        m_thisRun.erase(keyringEntryName(before, which));
        if (now.named() && !value.empty())
            m_thisRun[keyringEntryName(now, which)] = value;
        // Asked at each check by choice: nothing is stored anywhere.
        if (m_chosen == PasswordStore::AskEachCheck)
            clearFileSecret(n, which);
        break;
    }
    if (m_movingFrom && *m_movingFrom != store)
        takeOutOf(*m_movingFrom, n, before, now, which);
}

void MailboxSecrets::takeOutOf(PasswordStore store, int n, const MailboxIdentity &before, const MailboxIdentity &now,
                               MailboxSecret which)
{
    switch (store) {
    case PasswordStore::Keyring:
        for (const MailboxIdentity &who : {before, now})
            if (who.named())
                removeFromKeyring(who, which);
        break;
    case PasswordStore::SettingsFile: clearFileSecret(n, which); break;
    case PasswordStore::AskEachCheck:
        m_thisRun.erase(keyringEntryName(before, which));
        m_thisRun.erase(keyringEntryName(now, which));
        break;
    }
}

void MailboxSecrets::forget(const MailboxIdentity &who, MailboxSecret which)
{
    m_thisRun.erase(keyringEntryName(who, which));
}

bool MailboxSecrets::firstUseFromSettingsFile(const MailboxIdentity &who)
{
    return m_usedFromFile.emplace(who.userName, who.server).second;
}

void MailboxSecrets::copyInto(PasswordStore chosen, int n, const MailboxIdentity &who, MailboxSecret which,
                              const std::string &value)
{
    if (value.empty() || !who.named())
        return;
    switch (inUseFor(chosen)) {
    case PasswordStore::Keyring: saveInKeyring(who, which, value); break;
    case PasswordStore::SettingsFile: saveFileSecret(n, which, value); break;
    case PasswordStore::AskEachCheck: m_thisRun[keyringEntryName(who, which)] = value; break;
    }
}

void MailboxSecrets::beginMove(PasswordStore chosen)
{
    // Only secrets that reached the chosen store itself (not the keyring's
    // replacement for this run) leave the old one.
    if (!m_movingFrom && inUseFor(chosen) == chosen)
        m_movingFrom = inUse();
    m_chosen = chosen;
}

void MailboxSecrets::saveWithUser(const std::function<void()> &work)
{
    // Once another store has taken the keyring's place, no save asks the
    // keyring again, so the second run of Work is the last.
    for (int attempt = 1;; ++attempt) {
        try {
            work();
            return;
        } catch (const EKeyringError &failure) {
            if (attempt > 1 || !replaceKeyringAfter(failure.what()))
                throw;
        }
    }
}

std::string MailboxSecrets::takeLeftInKeyring() { return std::exchange(m_leftInKeyring, std::string()); }

void MailboxSecrets::saveInKeyring(const MailboxIdentity &who, MailboxSecret which, const std::string &value)
{
    const std::string entry = keyringEntryName(who, which);
    const auto known = m_inKeyring.find(entry);
    if (known != m_inKeyring.end() && known->second == value)
        return;
    // An empty value of an entry that could not be read says nothing about
    // it: the entry may hold the only copy of the secret, and stays.
    if (value.empty() && m_unread.count(entry))
        return;
    SecretStore &keyring = SecretStore::current();
    const SecretResult result = value.empty() ? keyring.remove(entry) : keyring.write(entry, value);
    if (result.failed()) {
        m_inKeyring.erase(entry);
        throw EKeyringError(result.error);
    }
    m_inKeyring[entry] = value;
    m_unread.erase(entry);
}

void MailboxSecrets::removeFromKeyring(const MailboxIdentity &who, MailboxSecret which)
{
    const std::string entry = keyringEntryName(who, which);
    const auto known = m_inKeyring.find(entry);
    if ((known != m_inKeyring.end() && known->second.empty()) || m_unread.count(entry))
        return; // nothing there, or a secret nobody has seen (see saveInKeyring)
    const SecretResult result = SecretStore::current().remove(entry);
    if (result.failed()) {
        m_inKeyring.erase(entry);
        m_leftInKeyring = result.error;
        return;
    }
    m_inKeyring[entry].clear();
}

std::string MailboxSecrets::fileSecret(int n, MailboxSecret which) const
{
    const auto stored = Registry().readString(Hive::CurrentUser, serverKey(), valueName(n, which));
    return !stored || stored->empty() ? std::string() : m_cipher.decrypt(*stored);
}

void MailboxSecrets::saveFileSecret(int n, MailboxSecret which, const std::string &value) const
{
    Registry registry;
    const auto stored = registry.readString(Hive::CurrentUser, serverKey(), valueName(n, which));
    // A refresh token that never was needs no empty value, and an empty
    // value that is stored already is not written again.
    if (value.empty() && (!stored ? which == MailboxSecret::RefreshToken : stored->empty()))
        return;
    registry.writeString(serverKey(), valueName(n, which), value.empty() ? std::string() : m_cipher.encrypt(value));
}

void MailboxSecrets::clearFileSecret(int n, MailboxSecret which) const
{
    Registry registry;
    const auto stored = registry.readString(Hive::CurrentUser, serverKey(), valueName(n, which));
    if (stored && !stored->empty())
        registry.writeString(serverKey(), valueName(n, which), std::string());
}

std::string MailboxSecrets::moveSettingsFileSecretsToKeyring()
{
    if (inUse() != PasswordStore::Keyring)
        return {};
    const Registry registry;
    // Values of an older cipher format are cleared at the first load of a
    // mailbox, never moved.
    if (registry.readString(Hive::CurrentUser, serverKey(), kVersionMarkerName) != std::string(kVersionMarker))
        return {};
    for (int n = 1; n <= kMailboxCount; ++n) {
        const MailboxIdentity who{
            registry.readString(Hive::CurrentUser, serverKey(), "Mailbox" + std::to_string(n)).value_or(""),
            registry.readString(Hive::CurrentUser, serverKey(), "Server" + std::to_string(n)).value_or("")};
        if (!who.named())
            continue;
        for (MailboxSecret which : {MailboxSecret::Password, MailboxSecret::RefreshToken}) {
            const std::string secret = fileSecret(n, which);
            if (secret.empty())
                continue;
            const std::string entry = keyringEntryName(who, which);
            SecretStore &keyring = SecretStore::current();
            const SecretResult written = keyring.write(entry, secret);
            if (written.failed())
                return written.error;
            const SecretResult readBack = keyring.read(entry);
            if (readBack.failed())
                return readBack.error;
            if (readBack.status != SecretResult::Status::Done || readBack.value != secret)
                return "The desktop keyring did not give back the secret written to it.";
            m_inKeyring[entry] = secret;
            clearFileSecret(n, which);
        }
    }
    return {};
}

void clearSettingsFilePassword(int n)
{
    Registry registry;
    registry.writeString(serverKey(), valueName(n, MailboxSecret::Password), std::string());
}

} // namespace tw
