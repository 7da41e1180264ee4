#include "net/imap_capabilities.h"

#include "platform/bytes.h"

#include <algorithm>

namespace tw {

void TImapCapabilities::add(const std::string &name)
{
    if (!name.empty() && m_names.size() < MaxCapabilities)
        m_names.push_back(upperCase(name));
}

TImapCapabilities TImapCapabilities::fromData(const std::vector<TImapValue> &data)
{
    TImapCapabilities capabilities;
    for (const TImapValue &value : data)
        if (value.kind == TImapValue::Kind::Atom)
            capabilities.add(value.text);
    return capabilities;
}

TImapCapabilities TImapCapabilities::fromText(const std::string &text)
{
    TImapCapabilities capabilities;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        capabilities.add(text.substr(start, end - start));
        start = end + 1;
    }
    return capabilities;
}

bool TImapCapabilities::has(const std::string &name) const
{
    const std::string wanted = upperCase(name);
    return std::find(m_names.begin(), m_names.end(), wanted) != m_names.end();
}

std::vector<std::string> TImapCapabilities::saslMechanisms() const
{
    std::vector<std::string> mechanisms;
    for (const std::string &name : m_names)
        if (startsWith(name, "AUTH=") && name.size() > 5)
            mechanisms.push_back(name.substr(5));
    return mechanisms;
}

} // namespace tw
