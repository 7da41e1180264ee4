#include "net/mail_discovery.h"

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

TDiscoveredServer fromProvider(const TMailProvider &provider, const TProviderServer &server, const Address &address,
                               TDiscoverySource source)
{
    TDiscoveredServer found;
    found.protocol = server.protocol;
    found.host = server.host;
    found.port = server.port;
    found.security = server.security;
    found.signIn = provider.signIn;
    found.oauthProvider = provider.oauthProvider;
    found.signInGuidance = provider.signInGuidance;
    found.userName = provider.userNameIsLocalPart ? address.localPart : address.localPart + "@" + address.domain;
    found.providerName = provider.name;
    found.source = source;
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
    const Address parts = splitAddress(address);
    if (options.onStep)
        options.onStep("Looking up " + parts.domain + " in the list of known providers…");
    if (const TMailProvider *provider = providerForDomain(parts.domain))
        result.servers = fromProvider(*provider, parts, TDiscoverySource::ProviderTable);
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
