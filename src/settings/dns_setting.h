#pragma once
// The DNS server the unknown-domain test asks: registry value DNSServer in
// section General ("a.b.c.d" or "a.b.c.d:port"); without a valid one the
// system's first IPv4 name server, else a fixed public resolver.

#include "net/dns_server_choice.h"

#include <string>

namespace tw {

inline constexpr const char *kDnsServerName = "DNSServer";

// The stored text of General/DNSServer ("" when absent).
std::string readDnsServerValue();
// The server to use, from that value and the system's resolver settings.
DnsServer configuredDnsServer();

} // namespace tw
