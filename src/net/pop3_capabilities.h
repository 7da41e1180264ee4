#pragma once
// The capabilities a POP3 server lists in answer to CAPA: one per line, a
// name (compared without regard to letter case) and optional arguments
// ("STLS", "PIPELINING", "SASL PLAIN LOGIN"). The list is only as good as
// the session it was read in: a server may list more after STLS, so it is
// read again then.

#include <string>
#include <vector>

namespace tw {

class TPop3Capabilities {
public:
    // Reads the data block of a positive CAPA reply as the transport hands
    // it over: lines ending in CR LF, dot-stuffed, with the terminating dot
    // line. At most MaxCapabilities lines are kept.
    static TPop3Capabilities fromCapaBlock(const std::string &block);

    bool has(const std::string &name) const;
    // The arguments of capability Name; "" when it has none or is not listed.
    std::string arguments(const std::string &name) const;
    bool empty() const { return m_entries.empty(); }
    void clear() { m_entries.clear(); }

    static constexpr size_t MaxCapabilities = 256;

private:
    struct Entry {
        std::string name;       // upper case
        std::string arguments;  // as sent
    };
    const Entry *find(const std::string &name) const;
    std::vector<Entry> m_entries;
};

} // namespace tw
