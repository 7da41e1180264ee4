#include "net/tls_trust.h"

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

} // namespace tw
