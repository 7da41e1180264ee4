#include "net/oauth_providers.h"

#include "platform/bytes.h"

#include <algorithm>

// The build options; a packager sets them after registering the program.
#ifndef TIDEWELL_OAUTH_CLIENT_ID_MICROSOFT
#define TIDEWELL_OAUTH_CLIENT_ID_MICROSOFT ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_ID_GOOGLE
#define TIDEWELL_OAUTH_CLIENT_ID_GOOGLE ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_SECRET_GOOGLE
#define TIDEWELL_OAUTH_CLIENT_SECRET_GOOGLE ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_ID_YAHOO
#define TIDEWELL_OAUTH_CLIENT_ID_YAHOO ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_SECRET_YAHOO
#define TIDEWELL_OAUTH_CLIENT_SECRET_YAHOO ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_ID_AOL
#define TIDEWELL_OAUTH_CLIENT_ID_AOL ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_SECRET_AOL
#define TIDEWELL_OAUTH_CLIENT_SECRET_AOL ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_ID_FASTMAIL
#define TIDEWELL_OAUTH_CLIENT_ID_FASTMAIL ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_ID_YANDEX
#define TIDEWELL_OAUTH_CLIENT_ID_YANDEX ""
#endif
#ifndef TIDEWELL_OAUTH_CLIENT_SECRET_YANDEX
#define TIDEWELL_OAUTH_CLIENT_SECRET_YANDEX ""
#endif

namespace tw {

namespace {

struct KnownProvider {
    std::vector<const char *> hosts;  // its POP3 and IMAP servers
    TOAuthEndpoints endpoints;
    std::string imapScope = {};       // the scope an IMAP sign-in asks for, "" when the same
};

const std::vector<KnownProvider> &knownProviders()
{
    static const std::vector<KnownProvider> providers = [] {
        std::vector<KnownProvider> list;
        TOAuthEndpoints microsoft;
        microsoft.provider = "Microsoft";
        microsoft.authorizeUrl = "https://login.microsoftonline.com/common/oauth2/v2.0/authorize";
        microsoft.tokenUrl = "https://login.microsoftonline.com/common/oauth2/v2.0/token";
        microsoft.scope = "https://outlook.office.com/POP.AccessAsUser.All offline_access";
        microsoft.clientId = TIDEWELL_OAUTH_CLIENT_ID_MICROSOFT;
        microsoft.redirectHost = "localhost";
        list.push_back({{"outlook.office365.com", "pop-mail.outlook.com", "imap-mail.outlook.com"},
                        microsoft,
                        "https://outlook.office.com/IMAP.AccessAsUser.All offline_access"});

        TOAuthEndpoints google;
        google.provider = "Google";
        google.authorizeUrl = "https://accounts.google.com/o/oauth2/v2/auth";
        google.tokenUrl = "https://oauth2.googleapis.com/token";
        google.scope = "https://mail.google.com/";
        google.clientId = TIDEWELL_OAUTH_CLIENT_ID_GOOGLE;
        google.clientSecret = TIDEWELL_OAUTH_CLIENT_SECRET_GOOGLE;
        // Without these Google hands out no refresh token.
        google.extraAuthorizationParameters = {{"access_type", "offline"}, {"prompt", "consent"}};
        list.push_back({{"pop.gmail.com", "imap.gmail.com"}, google});

        TOAuthEndpoints yahoo;
        yahoo.provider = "Yahoo";
        yahoo.authorizeUrl = "https://api.login.yahoo.com/oauth2/request_auth";
        yahoo.tokenUrl = "https://api.login.yahoo.com/oauth2/get_token";
        yahoo.scope = "mail-w";
        yahoo.clientId = TIDEWELL_OAUTH_CLIENT_ID_YAHOO;
        yahoo.clientSecret = TIDEWELL_OAUTH_CLIENT_SECRET_YAHOO;
        list.push_back({{"pop.mail.yahoo.com", "imap.mail.yahoo.com"}, yahoo});

        TOAuthEndpoints aol = yahoo;
        aol.provider = "AOL";
        aol.authorizeUrl = "https://api.login.aol.com/oauth2/request_auth";
        aol.tokenUrl = "https://api.login.aol.com/oauth2/get_token";
        aol.clientId = TIDEWELL_OAUTH_CLIENT_ID_AOL;
        aol.clientSecret = TIDEWELL_OAUTH_CLIENT_SECRET_AOL;
        list.push_back({{"pop.aol.com", "imap.aol.com"}, aol});

        TOAuthEndpoints fastmail;
        fastmail.provider = "Fastmail";
        fastmail.authorizeUrl = "https://api.fastmail.com/oauth/authorize";
        fastmail.tokenUrl = "https://api.fastmail.com/oauth/refresh";
        fastmail.scope = "https://www.fastmail.com/dev/protocol-pop";
        fastmail.clientId = TIDEWELL_OAUTH_CLIENT_ID_FASTMAIL;
        list.push_back({{"pop.fastmail.com", "imap.fastmail.com"}, fastmail, "https://www.fastmail.com/dev/protocol-imap"});

        // Yandex takes a token without listing XOAUTH2 (mail_providers.h).
        TOAuthEndpoints yandex;
        yandex.provider = "Yandex";
        yandex.authorizeUrl = "https://oauth.yandex.com/authorize";
        yandex.tokenUrl = "https://oauth.yandex.com/token";
        yandex.scope = "mail:pop";
        yandex.clientId = TIDEWELL_OAUTH_CLIENT_ID_YANDEX;
        yandex.clientSecret = TIDEWELL_OAUTH_CLIENT_SECRET_YANDEX;
        list.push_back({{"pop.yandex.com", "pop.yandex.ru", "imap.yandex.com", "imap.yandex.ru"}, yandex, "mail:imap_full"});
        return list;
    }();
    return providers;
}

void override(std::string &value, const std::string &own)
{
    if (!trimmed(own).empty())
        value = trimmed(own);
}

} // namespace

std::string serverHost(const std::string &server)
{
    std::string host = trimmed(server);
    if (startsWith(host, "[")) {
        const size_t close = host.find(']');
        host = close == std::string::npos ? host.substr(1) : host.substr(1, close - 1);
    } else if (std::count(host.begin(), host.end(), ':') == 1) {
        host = host.substr(0, host.find(':'));
    }
    return lowerCase(host);
}

TOAuthEndpoints oauthEndpoints(const std::string &server, const TOAuthOverrides &overrides, bool forImap)
{
    TOAuthEndpoints endpoints;
    const std::string host = serverHost(server);
    for (const KnownProvider &known : knownProviders()) {
        if (std::find(known.hosts.begin(), known.hosts.end(), host) == known.hosts.end())
            continue;
        endpoints = known.endpoints;
        if (forImap && !known.imapScope.empty())
            endpoints.scope = known.imapScope;
    }
    override(endpoints.authorizeUrl, overrides.authorizeUrl);
    override(endpoints.tokenUrl, overrides.tokenUrl);
    override(endpoints.scope, overrides.scope);
    if (!trimmed(overrides.clientId).empty()) {
        // Another program's secret never goes with the mailbox's own client id.
        endpoints.clientId = trimmed(overrides.clientId);
        endpoints.clientSecret.clear();
    }
    return endpoints;
}

std::string TOAuthEndpoints::missing() const
{
    std::vector<std::string> absent;
    if (authorizeUrl.empty())
        absent.push_back("authorization address (OAuthAuthorizeUrl)");
    if (tokenUrl.empty())
        absent.push_back("token address (OAuthTokenUrl)");
    if (clientId.empty())
        absent.push_back("client id (OAuthClientId)");
    if (absent.empty())
        return {};
    const std::string readme = "see \"Signing in with OAuth2\" in the README.";
    if (!provider.empty() && absent.size() == 1 && clientId.empty())
        return "A browser sign-in for " + provider +
               " needs a client id (OAuthClientId), and this build of Tidewell brings none: " + readme;
    std::string list;
    for (size_t i = 0; i < absent.size(); ++i)
        list += (i == 0 ? "" : i + 1 == absent.size() ? " and " : ", ") + absent[i];
    return "A browser sign-in for " + (provider.empty() ? std::string("this server") : provider) +
           " needs its provider's " + list + ": " + readme;
}

} // namespace tw
