#include "settings/sign_in_guidance.h"

#include "net/oauth_providers.h"
#include "net/sign_in.h"
#include "platform/bytes.h"

#include <utility>
#include <vector>

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

// Where each known provider registers a program that signs in with OAuth2.
std::string whereToRegister(const std::string &provider)
{
    if (provider == "Microsoft")
        return "register an application in the Microsoft Entra admin center (entra.microsoft.com, App "
               "registrations, New registration) for \"Mobile and desktop applications\" with the redirect address "
               "http://localhost, and give it the Office 365 Exchange Online permission POP.AccessAsUser.All or "
               "IMAP.AccessAsUser.All";
    if (provider == "Google")
        return "create an OAuth client of the type \"Desktop app\" in the Google Cloud console "
               "(console.cloud.google.com, APIs & Services, Credentials) for the scope https://mail.google.com/";
    if (provider == "Yahoo")
        return "create an app at developer.yahoo.com/apps with the Mail API permission \"Read/Write\"";
    if (provider == "Yandex")
        return "create an app at oauth.yandex.com with the permissions mail:imap_full and mail:pop";
    if (!provider.empty())
        return "register Tidewell as an installed (desktop) application with " + provider +
               ", with the redirect address http://127.0.0.1";
    return "register Tidewell with the server's provider as an installed (desktop) application with the redirect "
           "address http://127.0.0.1";
}

} // namespace

std::string oauthMissingAdvice(const TOAuthEndpoints &endpoints)
{
    std::vector<std::string> absent;
    if (endpoints.authorizeUrl.empty())
        absent.push_back("an authorization URL");
    if (endpoints.tokenUrl.empty())
        absent.push_back("a token URL");
    if (endpoints.clientId.empty())
        absent.push_back("a client id");
    if (absent.empty())
        return {};
    const std::string who = endpoints.provider.empty() ? std::string("this server") : endpoints.provider;
    std::string list;
    for (size_t i = 0; i < absent.size(); ++i)
        list += (i == 0 ? "" : i + 1 == absent.size() ? " and " : ", ") + absent[i];
    std::string advice = "A browser sign-in for " + who + " needs " + list + ".";
    if (endpoints.clientId.empty())
        advice += " This build of Tidewell brings no client id" +
                  std::string(endpoints.provider.empty() ? "" : " for " + endpoints.provider) + ": " +
                  whereToRegister(endpoints.provider) + ", then enter its client id";
    else
        advice += " Enter " + std::string(absent.size() == 1 ? "it" : "them");
    advice += " under \"OAuth2 settings...\" in the mailbox's row.";
    if (endpoints.provider.empty() && (endpoints.authorizeUrl.empty() || endpoints.tokenUrl.empty()))
        advice += " The provider's documentation for mail programs names its authorization and token URLs.";
    return advice;
}

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
        const std::string missing = oauthMissingAdvice(
            oauthEndpoints(server, {signIn.authorizeUrl, signIn.tokenUrl, signIn.scope, signIn.clientId},
                           protocol == int(MailProtocol::IMAP)));
        return missing.empty() ? std::string() : mailbox + missing;
    }
    case TSignInMethod::OAuthCommand:
        return trimmed(signIn.tokenCommand).empty() ? mailbox + "press \"Sign in...\" to enter the token command."
                                                    : std::string();
    }
    return {};
}

} // namespace tw
