#include "net/dns_server_choice.h"

#include "platform/bytes.h"

#include <fstream>

namespace tw {

const char *const kFallbackDnsAddress = "9.9.9.9";

namespace {

bool allDigits(const std::string &text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A decimal number of at most MaxDigits digits within [Low, High].
std::optional<int> boundedNumber(const std::string &text, size_t maxDigits, int low, int high)
{
    if (!allDigits(text) || text.size() > maxDigits)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

bool isDottedIPv4(const std::string &text)
{
    int parts = 0;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!boundedNumber(part, 3, 0, 255))
            return false;
        ++parts;
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return parts == 4;
}

std::optional<DnsServer> parseDnsServer(const std::string &text)
{
    const std::string value = trimmed(text);
    const size_t colon = value.find(':');
    DnsServer server;
    server.address = value.substr(0, colon);
    if (!isDottedIPv4(server.address))
        return std::nullopt;
    if (colon != std::string::npos) {
        const auto port = boundedNumber(value.substr(colon + 1), 5, 1, 65535);
        if (!port)
            return std::nullopt;
        server.port = static_cast<uint16_t>(*port);
    }
    return server;
}

std::optional<DnsServer> firstResolvConfNameServer(const std::string &resolvConfPath)
{
    std::ifstream file(resolvConfPath);
    std::string line;
    while (std::getline(file, line)) {
        // "nameserver <address>", separated by blanks or tabs; '#' and ';'
        // start comments. IPv6 servers are passed over.
        size_t pos = line.find_first_not_of(" \t");
        if (pos == std::string::npos || line.compare(pos, 10, "nameserver") != 0)
            continue;
        pos += 10;
        if (pos >= line.size() || (line[pos] != ' ' && line[pos] != '\t'))
            continue;
        const size_t start = line.find_first_not_of(" \t", pos);
        if (start == std::string::npos)
            continue;
        const size_t end = line.find_first_of(" \t\r#;", start);
        const std::string address = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (isDottedIPv4(address))
            return DnsServer{address, 53};
    }
    return std::nullopt;
}

DnsServer chooseDnsServer(const std::string &registryValue, const std::string &resolvConfPath)
{
    if (const auto chosen = parseDnsServer(registryValue))
        return *chosen;
    if (const auto system = firstResolvConfNameServer(resolvConfPath))
        return *system;
    return DnsServer{kFallbackDnsAddress, 53};
}

} // namespace tw
