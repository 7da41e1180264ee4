#include "net/mail_discovery.h"

#include "net/errors.h"
#include "net/mail_probe.h"
#include "net/msmx.h"
#include "net/stringtable.h"
#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

struct Address {
    std::string localPart;
    std::string domain; // lower case, no final dot
};

Address splitAddress(const std::string &address)
{
    const std::string text = trimmed(address);
    const size_t at = text.rfind('@');
    Address parts{text.substr(0, at), lowerCase(text.substr(at + 1))};
    if (!parts.domain.empty() && parts.domain.back() == '.')
        parts.domain.pop_back();
    return parts;
}

// Server as found, signed in to with the password and the whole address.
TDiscoveredServer plainServer(const TProviderServer &server, const Address &address, TDiscoverySource source)
{
    TDiscoveredServer found;
    found.protocol = server.protocol;
    found.host = server.host;
    found.port = server.port;
    found.security = server.security;
    found.userName = address.localPart + "@" + address.domain;
    found.source = source;
    return found;
}

TDiscoveredServer fromProvider(const TMailProvider &provider, const TProviderServer &server, const Address &address,
                               TDiscoverySource source)
{
    TDiscoveredServer found = plainServer(server, address, source);
    found.signIn = provider.signIn;
    found.oauthProvider = provider.oauthProvider;
    found.signInGuidance = provider.signInGuidance;
    if (provider.userNameIsLocalPart)
        found.userName = address.localPart;
    found.providerName = provider.name;
    return found;
}

std::vector<TDiscoveredServer> fromProvider(const TMailProvider &provider, const Address &address,
                                            TDiscoverySource source)
{
    std::vector<TDiscoveredServer> found;
    for (const TProviderServer &server : provider.servers)
        found.push_back(fromProvider(provider, server, address, source));
    return found;
}

// The provider whose servers include Host, or null: an SRV record or a
// guess that leads to a known provider's server signs in as the table says.
const TMailProvider *providerForServerHost(const std::string &host)
{
    for (const TMailProvider &provider : mailProviders())
        for (const TProviderServer &server : provider.servers)
            if (sameText(server.host, host))
                return &provider;
    return nullptr;
}

// A server found in DNS or by the guess: signed in as its provider's when
// the table knows the host, else with the password and the whole address.
TDiscoveredServer foundServer(const TProviderServer &server, const Address &address, TDiscoverySource source)
{
    if (const TMailProvider *provider = providerForServerHost(server.host))
        return fromProvider(*provider, server, address, source);
    return plainServer(server, address, source);
}

// "Domain name does not exist": the answer for a name nobody published.
constexpr int kNoSuchName = 57019;

// A host name from DNS as the settings take it: lower case, no final dot.
std::string hostFromDns(const std::string &name)
{
    std::string host = lowerCase(name);
    if (!host.empty() && host.back() == '.')
        host.pop_back();
    return host;
}

// The steps after the table, each asked only when the ones before found
// nothing. A DNS server that does not answer ends the DNS steps (and the
// guess, whose names it would have to look up).
class Discovery {
public:
    Discovery(Address address, const TDiscoveryOptions &options, TDiscoveryResult &result)
        : m_address(std::move(address)), m_options(options), m_result(result)
    {
    }

    void run()
    {
        step("Looking up " + m_address.domain + " in the list of known providers…");
        if (const TMailProvider *provider = providerForDomain(m_address.domain)) {
            m_result.servers = fromProvider(*provider, m_address, TDiscoverySource::ProviderTable);
            return;
        }
        try {
            TmsMXResolver resolver;
            resolver.DNSAddress = m_options.dns.address;
            resolver.Port = m_options.dns.port;
            resolver.setTimeOut(std::max(1, m_options.dnsTimeOutSeconds));
            m_resolver = &resolver;
            if (!canceled())
                fromServiceRecords();
            if (m_result.servers.empty() && !canceled())
                fromMailExchangers();
            if (m_result.servers.empty() && m_options.guess && !canceled())
                fromGuess();
        } catch (const ETimedOutError &) {
            m_result.notes.push_back("The DNS server " + m_options.dns.address + " did not answer, so " +
                                     m_address.domain + " could not be looked up in DNS.");
        } catch (const ETidewellError &error) {
            m_result.notes.push_back(std::string("DNS could not be asked: ") + error.what());
        }
        m_resolver = nullptr;
        if (m_canceled)
            m_result.notes.push_back("The search was canceled.");
    }

private:
    struct Service {
        const char *prefix;
        TMailProtocol protocol;
        TMailSecurity security;
    };

    void step(const std::string &text) const
    {
        if (m_options.onStep)
            m_options.onStep(text);
    }

    // A name that does not exist is an answer; any other refusal (a server
    // failure, a refused query) may hide what the domain publishes, so the
    // user hears of it, once.
    void noteUnlessNoSuchName(const EResolverError &error)
    {
        if (error.what() == loadStr(kNoSuchName) || m_dnsTroubleNoted)
            return;
        m_dnsTroubleNoted = true;
        m_result.notes.push_back("The DNS server " + m_options.dns.address + " did not answer every question about " +
                                 m_address.domain + ": " + error.what() + ".");
    }

    bool canceled()
    {
        if (!m_canceled && m_options.canceled && m_options.canceled())
            m_canceled = true;
        return m_canceled;
    }

    // RFC 6186 with RFC 8314's preference for TLS from the start.
    void fromServiceRecords()
    {
        step("Asking DNS for the SRV records of " + m_address.domain + "…");
        static const Service services[] = {
            {"_imaps._tcp.", TMailProtocol::IMAP, TMailSecurity::TLS},
            {"_imap._tcp.", TMailProtocol::IMAP, TMailSecurity::STARTTLS},
            {"_pop3s._tcp.", TMailProtocol::POP3, TMailSecurity::TLS},
            {"_pop3._tcp.", TMailProtocol::POP3, TMailSecurity::STARTTLS},
        };
        for (const Service &service : services) {
            if (canceled())
                return;
            for (const TSRVRec &record : serviceRecords(service.prefix + m_address.domain))
                m_result.servers.push_back(foundServer(
                    {service.protocol, hostFromDns(record.Target), record.Port, service.security}, m_address,
                    TDiscoverySource::SrvRecord));
        }
    }

    // The offered targets of Name, the most preferred first: lower priority,
    // then (a discovery picks one, it does not spread a load) higher weight.
    std::vector<TSRVRec> serviceRecords(const std::string &name)
    {
        try {
            m_resolver->ResolveSRV(name);
        } catch (const EResolverError &error) { // a time-out goes on up and ends the DNS steps
            noteUnlessNoSuchName(error);
            return {};
        }
        std::vector<TSRVRec> records = m_resolver->SRVList;
        // A target of "." says the service is not offered at all.
        records.erase(std::remove_if(records.begin(), records.end(),
                                     [](const TSRVRec &r) { return r.Target == "." || r.Port == 0; }),
                      records.end());
        std::stable_sort(records.begin(), records.end(), [](const TSRVRec &a, const TSRVRec &b) {
            return a.Priority != b.Priority ? a.Priority < b.Priority : a.Weight > b.Weight;
        });
        return records;
    }

    void fromMailExchangers()
    {
        step("Asking DNS for the mail exchangers of " + m_address.domain + "…");
        m_resolver->Domain = m_address.domain;
        try {
            m_resolver->Resolve();
        } catch (const EResolverError &error) { // a time-out goes on up and ends the DNS steps
            noteUnlessNoSuchName(error);
            return;
        }
        for (int i = 0; i < m_resolver->MXList.Count(); ++i) {
            if (const TMailProvider *provider = providerForMailExchanger(m_resolver->MXList[i].Exchange)) {
                m_result.servers = fromProvider(*provider, m_address, TDiscoverySource::MxRecord);
                return;
            }
        }
    }

    // imap. and mail. for IMAP, pop. and mail. for POP3; on each host the
    // TLS port first. The first server that answers per protocol is taken.
    void fromGuess()
    {
        const TProbePorts &ports = m_options.probePorts;
        struct Candidate {
            TMailProtocol protocol;
            std::vector<const char *> prefixes;
            uint16_t tlsPort, startTlsPort;
        } candidates[] = {
            {TMailProtocol::IMAP, {"imap.", "mail."}, ports.imapTls, ports.imapStartTls},
            {TMailProtocol::POP3, {"pop.", "pop3.", "mail."}, ports.pop3Tls, ports.pop3StartTls},
        };
        for (const Candidate &candidate : candidates) {
            for (const char *prefix : candidate.prefixes) {
                if (canceled())
                    return;
                const std::string host = prefix + m_address.domain;
                const std::string address = addressOf(host);
                if (!address.empty() && probe(candidate.protocol, host, address, candidate.tlsPort, candidate.startTlsPort))
                    break;
            }
        }
    }

    // The IPv4 address of Host through the configured DNS server, "" when
    // it has none.
    std::string addressOf(const std::string &host)
    {
        try {
            m_resolver->ResolveAddresses(host);
        } catch (const EResolverError &error) { // a time-out goes on up and ends the DNS steps
            noteUnlessNoSuchName(error);
            return {};
        }
        return m_resolver->Addresses.empty() ? std::string() : m_resolver->Addresses.front();
    }

    bool probe(TMailProtocol protocol, const std::string &host, const std::string &address, uint16_t tlsPort,
               uint16_t startTlsPort)
    {
        for (const bool implicitTls : {true, false}) {
            if (canceled())
                return false;
            const uint16_t port = implicitTls ? tlsPort : startTlsPort;
            step("Asking " + host + " whether it offers " + protocolName(protocol) + " on port " +
                 std::to_string(port) + "…");
            const TProbeOutcome outcome =
                probeMailServer({protocol, host, address, port, implicitTls}, m_options.probeTimeOutSeconds);
            if (outcome == TProbeOutcome::NoServer)
                continue;
            const TMailSecurity security = outcome == TProbeOutcome::Tls        ? TMailSecurity::TLS
                                           : outcome == TProbeOutcome::StartTls ? TMailSecurity::STARTTLS
                                                                                : TMailSecurity::None;
            m_result.servers.push_back(
                foundServer({protocol, host, port, security}, m_address, TDiscoverySource::Guess));
            return true;
        }
        return false;
    }

    Address m_address;
    const TDiscoveryOptions &m_options;
    TDiscoveryResult &m_result;
    TmsMXResolver *m_resolver = nullptr;
    bool m_canceled = false;
    bool m_dnsTroubleNoted = false;
};

// IMAP before POP3; otherwise the order found stays.
void preferImap(std::vector<TDiscoveredServer> &servers)
{
    std::stable_sort(servers.begin(), servers.end(), [](const TDiscoveredServer &a, const TDiscoveredServer &b) {
        return a.protocol == TMailProtocol::IMAP && b.protocol != TMailProtocol::IMAP;
    });
}

} // namespace

std::string TDiscoveredServer::serverSetting() const { return host + ":" + std::to_string(port); }

std::string addressProblem(const std::string &address)
{
    const std::string text = trimmed(address);
    if (text.empty())
        return "Type the e-mail address of the mailbox.";
    const auto isBad = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '<' || c == '>'; };
    const size_t at = text.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 == text.size() ||
        std::any_of(text.begin(), text.end(), isBad))
        return "\"" + text + "\" is not an e-mail address (name@example.org).";
    const std::string domain = text.substr(at + 1);
    if (domain.find('@') != std::string::npos || domain.find('.') == std::string::npos || startsWith(domain, ".") ||
        domain.find("..") != std::string::npos)
        return "\"" + text + "\" is not an e-mail address (name@example.org).";
    return {};
}

TDiscoveryResult discoverMailSettings(const std::string &address, const TDiscoveryOptions &options)
{
    TDiscoveryResult result;
    if (const std::string problem = addressProblem(address); !problem.empty()) {
        result.notes.push_back(problem);
        return result;
    }
    Discovery discovery(splitAddress(address), options, result);
    discovery.run();
    preferImap(result.servers);
    return result;
}

const char *protocolName(TMailProtocol protocol) { return protocol == TMailProtocol::IMAP ? "IMAP" : "POP3"; }

const char *securityName(TMailSecurity security)
{
    switch (security) {
    case TMailSecurity::TLS: return "TLS";
    case TMailSecurity::STARTTLS: return "STARTTLS";
    case TMailSecurity::None: return "None";
    case TMailSecurity::Automatic: break;
    }
    return "Automatic";
}

const char *signInName(TDiscoveredSignIn signIn)
{
    switch (signIn) {
    case TDiscoveredSignIn::AppPassword: return "app password";
    case TDiscoveredSignIn::OAuth2: return "OAuth2";
    case TDiscoveredSignIn::Password: break;
    }
    return "password";
}

const char *sourceName(TDiscoverySource source)
{
    switch (source) {
    case TDiscoverySource::SrvRecord: return "SRV record";
    case TDiscoverySource::MxRecord: return "MX record";
    case TDiscoverySource::Guess: return "guess";
    case TDiscoverySource::ProviderTable: break;
    }
    return "provider table";
}

} // namespace tw
