#include "settings/mailbox_secrets.h"

#include "platform/registry.h"
#include "settings/settings_schema.h"

namespace tw {

namespace {

std::string valueName(int n, MailboxSecret which)
{
    return (which == MailboxSecret::Password ? "Passwd" : "OAuthRefreshToken") + std::to_string(n);
}

std::string serverKey() { return std::string(kMainKey) + "\\" + kServerSection; }

} // namespace

std::string readMailboxSecret(int n, MailboxSecret which, TKeyedEncryption &cipher)
{
    const auto stored = Registry().readString(Hive::CurrentUser, serverKey(), valueName(n, which));
    return !stored || stored->empty() ? std::string() : cipher.decrypt(*stored);
}

void saveMailboxSecret(int n, MailboxSecret which, const std::string &value, TKeyedEncryption &cipher)
{
    Registry registry;
    // A refresh token that never was needs no empty value.
    if (which == MailboxSecret::RefreshToken && value.empty() &&
        !registry.readString(Hive::CurrentUser, serverKey(), valueName(n, which)))
        return;
    registry.writeString(serverKey(), valueName(n, which), value.empty() ? std::string() : cipher.encrypt(value));
}

} // namespace tw
