#pragma once
// Which DNS server the MX resolver asks: the user's choice when there is a
// valid one, else the system's first IPv4 name server, else a fixed public
// recursive resolver.

#include <cstdint>
#include <optional>
#include <string>

namespace tw {

struct DnsServer {
    std::string address; // dotted IPv4
    uint16_t port = 53;
    bool operator==(const DnsServer &) const = default;
};

// The public recursive resolver used when nothing else names a server.
extern const char *const kFallbackDnsAddress;

// True for exactly four decimal parts 0..255 joined by dots ("10.0.0.1"; not
// "10.1", not "010.0.0.1000", no blanks).
bool isDottedIPv4(const std::string &text);

// Reads "a.b.c.d" or "a.b.c.d:port" (each part decimal 0..255, port
// 1..65535, blanks around the whole text ignored). Returns nothing for any
// other text.
std::optional<DnsServer> parseDnsServer(const std::string &text);

// The first "nameserver" line of a resolv.conf file that names an IPv4
// address, or nothing (also when the file cannot be read).
std::optional<DnsServer> firstResolvConfNameServer(const std::string &resolvConfPath);

// The server to use: RegistryValue (the `DNSServer` value of the General
// settings) when it is a valid address; otherwise the first IPv4 name server
// of ResolvConfPath; otherwise kFallbackDnsAddress on port 53. Never fails.
DnsServer chooseDnsServer(const std::string &registryValue,
                          const std::string &resolvConfPath = "/etc/resolv.conf");

} // namespace tw
