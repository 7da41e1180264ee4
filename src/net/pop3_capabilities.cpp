#include "net/pop3_capabilities.h"

#include "platform/bytes.h"

namespace tw {

TPop3Capabilities TPop3Capabilities::fromCapaBlock(const std::string &block)
{
    TPop3Capabilities capabilities;
    size_t start = 0;
    while (start < block.size() && capabilities.m_entries.size() < MaxCapabilities) {
        size_t end = block.find('\n', start);
        if (end == std::string::npos)
            end = block.size();
        std::string line = block.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == ".")
            break; // the terminating line
        if (!line.empty() && line.front() == '.')
            line.erase(0, 1); // dot-stuffing
        const size_t space = line.find(' ');
        Entry entry{upperCase(line.substr(0, space)), space == std::string::npos ? "" : line.substr(space + 1)};
        if (!entry.name.empty())
            capabilities.m_entries.push_back(std::move(entry));
    }
    return capabilities;
}

const TPop3Capabilities::Entry *TPop3Capabilities::find(const std::string &name) const
{
    const std::string wanted = upperCase(name);
    for (const Entry &entry : m_entries)
        if (entry.name == wanted)
            return &entry;
    return nullptr;
}

bool TPop3Capabilities::has(const std::string &name) const { return find(name) != nullptr; }

std::string TPop3Capabilities::arguments(const std::string &name) const
{
    const Entry *entry = find(name);
    return entry ? entry->arguments : std::string();
}

} // namespace tw
