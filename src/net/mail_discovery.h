#pragma once
// Finding a mailbox's servers from its e-mail address, as the user would
// otherwise have to look them up. The steps, each tried only when the ones
// before found nothing:
//  1. the provider table (mail_providers.h), by the address's domain;
//  2. the domain's SRV records (RFC 6186, RFC 8314): _imaps._tcp,
//     _imap._tcp, _pop3s._tcp, _pop3._tcp, by priority and weight; a target
//     of "." means the service is not offered;
//  3. the domain's MX records matched against the table (a domain hosted at
//     Google or Microsoft, say);
//  4. a guess: imap., mail. and pop. + domain, each confirmed by a short
//     probe (TLS ports first) that reads only the greeting and the
//     capabilities.
// Nothing is sent but DNS queries to the configured DNS server and the
// probe's greeting and CAPABILITY/CAPA; never a user name or a password.
// IMAP comes before POP3 wherever both are found.
//
// It waits the way every network wait does (sleeping in the event loop), so
// a window stays live meanwhile; every step is bounded in time.

#include "net/dns_server_choice.h"
#include "net/mail_providers.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw {

// Where a found server came from.
enum class TDiscoverySource { ProviderTable = 0, SrvRecord = 1, MxRecord = 2, Guess = 3 };

// One server found, with everything a mailbox row needs.
struct TDiscoveredServer {
    TMailProtocol protocol = TMailProtocol::IMAP;
    std::string host;   // "imap.gmail.com"
    uint16_t port = 993;
    TMailSecurity security = TMailSecurity::TLS; // TLS, STARTTLS or None; never Automatic
    TDiscoveredSignIn signIn = TDiscoveredSignIn::Password;
    std::string oauthProvider;  // for OAuth2: the name oauth_providers.h knows ("Google"); else ""
    std::string signInGuidance; // what to do at the provider first (TMailProvider); "" when nothing
    std::string userName;       // what to sign in as: the address, or its part before "@"
    std::string providerName;   // "Gmail", "Microsoft 365"; "" when no known provider
    TDiscoverySource source = TDiscoverySource::ProviderTable;

    // "host:port", as the Server<n> setting takes it.
    std::string serverSetting() const;
    bool operator==(const TDiscoveredServer &) const = default;
};

struct TDiscoveryResult {
    // Best first: IMAP before POP3, then in the order the step found them.
    std::vector<TDiscoveredServer> servers;
    // What stood in the way, for the user ("The DNS server 10.0.0.1 did not
    // answer."); empty when every step could run.
    std::vector<std::string> notes;
    bool found() const { return !servers.empty(); }
};

// The ports the guess probes. Fixed for users; a test points them at its
// own servers.
struct TProbePorts {
    uint16_t imapTls = 993;
    uint16_t imapStartTls = 143;
    uint16_t pop3Tls = 995;
    uint16_t pop3StartTls = 110;
};

struct TDiscoveryOptions {
    // Asked for SRV, MX and the guessed names' addresses: the program's DNS
    // setting (configuredDnsServer() of settings/dns_setting.h). Without a
    // valid address only the provider table is looked at, and a note says so.
    DnsServer dns;
    int dnsTimeOutSeconds = 5;    // per query
    int probeTimeOutSeconds = 5;  // per probed port: connect, TLS, greeting and capabilities together
    TProbePorts probePorts;
    bool guess = true;            // false leaves out step 4 (no connection to any mail server)
    // Told before each step, with a line the user can be shown ("Asking
    // DNS for SRV records of example.org…").
    std::function<void(const std::string &step)> onStep;
    // Asked between queries and probes; true ends the discovery with what
    // was found so far (and a note saying it was canceled).
    std::function<bool()> canceled;
};

// "" when Address is an e-mail address discovery can work with (one "@",
// a local part, a domain with a dot and no blanks); otherwise why not, as
// a sentence for the user.
std::string addressProblem(const std::string &address);

// The servers for Address (surrounding blanks ignored). Never raises: an
// address that addressProblem refuses gives no servers and its reason as
// the note; a DNS server that does not answer, or a probe that fails, is a
// note, and the steps go on.
TDiscoveryResult discoverMailSettings(const std::string &address, const TDiscoveryOptions &options);

// Names for the texts and the JSON of tidewell-check: "IMAP"/"POP3";
// "TLS", "STARTTLS", "None" (Automatic: "Automatic"); "password",
// "app password", "OAuth2"; "provider table", "SRV record", "MX record",
// "guess".
const char *protocolName(TMailProtocol protocol);
const char *securityName(TMailSecurity security);
const char *signInName(TDiscoveredSignIn signIn);
const char *sourceName(TDiscoverySource source);

} // namespace tw
