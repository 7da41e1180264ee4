#include "net/tls_trust.h"

#include <algorithm>
#include <cctype>

namespace tw {

std::string normalizedFingerprint(const std::string &text)
{
    std::string digits;
    for (const char c : text) {
        if (c == ' ' || c == ':' || c == '\t')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
        digits += char(std::toupper(static_cast<unsigned char>(c)));
    }
    return digits.size() == 64 ? digits : std::string();
}

std::string groupedFingerprint(const std::string &fingerprint)
{
    std::string grouped;
    for (size_t i = 0; i < fingerprint.size(); i += 2) {
        if (!grouped.empty())
            grouped += ':';
        grouped += fingerprint.substr(i, 2);
    }
    return grouped;
}

TTlsHandshakeFailure classifyHandshakeFailure(const std::string &platformText)
{
    std::string text = platformText;
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const auto says = [&text](const char *words) { return text.find(words) != std::string::npos; };
    // A plain server's greeting read as a TLS record.
    if (says("wrong version number") || says("packet length too long") || says("unknown protocol") ||
        says("http request") || says("record layer failure"))
        return TTlsHandshakeFailure::NotTls;
    if (says("protocol version") || says("unsupported protocol") || says("no protocols available") ||
        says("version too low") || says("version too high"))
        return TTlsHandshakeFailure::NoCommonVersion;
    return TTlsHandshakeFailure::Other;
}

} // namespace tw
