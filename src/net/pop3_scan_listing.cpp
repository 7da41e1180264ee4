#include "net/pop3_scan_listing.h"

#include "platform/bytes.h"

#include <algorithm>

namespace tw {

TPop3ScanListing::TPop3ScanListing(std::string_view block, int count)
{
    m_sizes.reserve(size_t(std::max(0, count)));
    size_t at = 0;
    while (at < block.size() && int(m_sizes.size()) < count) {
        size_t end = block.find('\n', at);
        if (end == std::string_view::npos)
            end = block.size();
        std::string_view line = block.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t space = line.find(' ');
        long long number = 0;
        if (space == std::string_view::npos || !parseInt(line.substr(0, space), number) ||
            number != (long long)m_sizes.size() + 1)
            break; // the dot line, or a line about another message
        // Read as the size in the reply to LIST n is.
        m_sizes.push_back(toIntDef(line.substr(space + 1), 0));
    }
}

} // namespace tw
