#pragma once
// Where a mailbox's OAuth2 sign-in goes: the provider known from the
// server's host name (Microsoft, Google, Yahoo, AOL, Fastmail, Yandex; their POP3
// and IMAP servers) with its
// authorization and token endpoints and scope, or a custom provider that the
// mailbox's own values describe. The mailbox's values also override a known
// provider's.
//
// A provider's public client id is a build option (TIDEWELL_OAUTH_CLIENT_ID_*,
// empty unless a packager registered the program with that provider); a
// mailbox's own client id overrides it.

#include <string>
#include <utility>
#include <vector>

namespace tw {

// The mailbox's own values (OAuthAuthorizeUrl<n>, OAuthTokenUrl<n>,
// OAuthScope<n>, OAuthClientId<n>); empty ones leave the provider's.
struct TOAuthOverrides {
    std::string authorizeUrl, tokenUrl, scope, clientId;
};

struct TOAuthEndpoints {
    std::string provider;  // "Microsoft", "Google", ...; "" for a custom one
    std::string authorizeUrl;
    std::string tokenUrl;
    std::string scope;
    std::string clientId;
    std::string clientSecret; // only for providers that want one from installed programs too
    // Host of the loopback redirect: "127.0.0.1" (RFC 8252), or "localhost"
    // where the provider only matches a registered "http://localhost".
    std::string redirectHost = "127.0.0.1";
    // Added to the authorization request (for example to get a refresh token).
    std::vector<std::pair<std::string, std::string>> extraAuthorizationParameters;

    // What a browser sign-in still lacks, as a sentence for the user; ""
    // when it can start.
    std::string missing() const;
};

// The host of a Server text: without ":port" and without IPv6 brackets, in
// lower case.
std::string serverHost(const std::string &server);

// The endpoints for a mailbox on Server with the mailbox's Overrides. ForImap:
// the mailbox speaks IMAP, and a provider that grants IMAP apart from POP3
// (Microsoft, Fastmail) is asked for IMAP.
TOAuthEndpoints oauthEndpoints(const std::string &server, const TOAuthOverrides &overrides, bool forImap = false);

} // namespace tw
