#pragma once
// The mail providers Tidewell knows by name, as data: which address
// domains they serve, which mail exchangers show that a domain of its own
// is hosted with them, their IMAP and POP3 servers, how a mail program
// signs in there and what the user has to do first. Discovery from an
// address (mail_discovery.h) starts here; the sign-in uses the table to
// know which servers take a token without listing it.

#include "net/mail_security.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// A mail protocol. The numbers are the stored setting's (Protocol<n>).
enum class TMailProtocol { POP3 = 0, IMAP = 1 };

// How a mail program signs in to a server.
enum class TDiscoveredSignIn {
    // The mailbox's own password.
    Password = 0,
    // A password made for mail programs in the provider's account settings
    // (an "app password", an "authorization code"); the provider's
    // SignInGuidance says where to make it.
    AppPassword = 1,
    // A browser sign-in (OAuth2) with the provider that oauth_providers.h
    // knows under OAuthProvider. Where this build has no client id for it,
    // SignInGuidance (when set) says how to sign in with a password instead.
    OAuth2 = 2,
};

// One server of a provider.
struct TProviderServer {
    TMailProtocol protocol = TMailProtocol::IMAP;
    std::string host;
    uint16_t port = 993;
    TMailSecurity security = TMailSecurity::TLS; // TLS, STARTTLS or None; never Automatic
};

struct TMailProvider {
    std::string name;                  // "Gmail", "Microsoft 365"
    std::vector<std::string> domains;  // address domains it serves, lower case ("gmail.com")
    // Mail exchangers that show a domain is hosted here: a name equal to
    // one of these or ending in "." + one of them, lower case, without the
    // final dot ("aspmx.l.google.com", "mail.protection.outlook.com").
    std::vector<std::string> mailExchangers;
    std::vector<TProviderServer> servers; // IMAP first
    TDiscoveredSignIn signIn = TDiscoveredSignIn::Password;
    std::string oauthProvider;         // the name oauth_providers.h gives it ("Google"); "" for none
    // What the user has to do at the provider before a mail program can
    // sign in (make an app password, allow IMAP), in a sentence or two;
    // "" when nothing.
    std::string signInGuidance;
    // Signs in with the part of the address before "@" rather than the
    // whole address.
    bool userNameIsLocalPart = false;
    // Hosts of this provider that take an OAuth2 token (XOAUTH2) although
    // their CAPABILITY does not list it, lower case.
    std::vector<std::string> unlistedTokenHosts;
};

// Every known provider, in a fixed order.
const std::vector<TMailProvider> &mailProviders();

// The provider that serves addresses at Domain (any letter case, a final
// dot ignored), or null.
const TMailProvider *providerForDomain(const std::string &domain);

// The provider that hosts a domain whose mail exchanger is Exchanger (any
// letter case, a final dot ignored), or null.
const TMailProvider *providerForMailExchanger(const std::string &exchanger);

// Whether Host (a Server text; the port and letter case do not matter) is
// known to take XOAUTH2 without listing it.
bool takesUnlistedToken(const std::string &server);

} // namespace tw
