#include "settings/sign_in_guidance.h"

#include "net/oauth_providers.h"
#include "net/sign_in.h"
#include "platform/bytes.h"

#include <utility>

namespace tw {

namespace {

// Providers whose accounts with two-step verification take only app
// passwords over POP3 and IMAP.
const std::pair<const char *, const char *> kAppPasswordHosts[] = {
    {"pop.gmail.com", "Gmail"},         {"pop.mail.yahoo.com", "Yahoo"},  {"pop.aol.com", "AOL"},
    {"pop.fastmail.com", "Fastmail"},   {"pop.gmx.net", "GMX"},           {"pop.gmx.com", "GMX"},
    {"imap.gmail.com", "Gmail"},        {"imap.mail.yahoo.com", "Yahoo"}, {"imap.aol.com", "AOL"},
    {"imap.fastmail.com", "Fastmail"},  {"imap.gmx.net", "GMX"},          {"imap.gmx.com", "GMX"},
    {"imap.mail.me.com", "iCloud"},
};

bool isICloud(const std::string &host)
{
    for (const char *domain : {"icloud.com", "me.com", "mac.com"})
        if (host == domain || endsWith(host, std::string(".") + domain))
            return true;
    return false;
}

} // namespace

std::string signInGuidance(int n, const std::string &server, const MailboxSignIn &signIn, int protocol)
{
    const std::string host = serverHost(server);
    if (host.empty())
        return {};
    const std::string mailbox = "Mailbox " + std::to_string(n) + ": ";
    if (isICloud(host) && protocol != int(MailProtocol::IMAP))
        return mailbox + "iCloud Mail offers no POP3: choose IMAP as the protocol.";
    switch (signInMethodFromSetting(signIn.method)) {
    case TSignInMethod::Password:
        for (const auto &[known, provider] : kAppPasswordHosts)
            if (host == known)
                return mailbox + "with two-step verification " + provider +
                       " needs an app password, made on your account's security page.";
        return {};
    case TSignInMethod::OAuthBrowser: {
        const std::string missing =
            oauthEndpoints(server, {signIn.authorizeUrl, signIn.tokenUrl, signIn.scope, signIn.clientId},
                           protocol == int(MailProtocol::IMAP))
                .missing();
        return missing.empty() ? std::string() : mailbox + missing;
    }
    case TSignInMethod::OAuthCommand:
        return trimmed(signIn.tokenCommand).empty() ? mailbox + "press \"Sign in...\" to enter the token command."
                                                    : std::string();
    }
    return {};
}

} // namespace tw
