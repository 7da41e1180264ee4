#pragma once
// The reply to LIST without an argument: one scan line "n size" per
// message, in order, in a data block. One such reply gives the size of
// every message, where LIST n asks for one at a time.

#include <string_view>
#include <vector>

namespace tw {

class TPop3ScanListing {
public:
    // Reads the data block Block (as TagSocket::ReadData returns it, the
    // terminating dot line included) for a mailbox of Count messages. Line k
    // must describe message k; reading stops at the first line that does not
    // (another number, no number, past Count): the messages from there on
    // count as not described. A size that is no decimal number is 0, as in
    // the reply to LIST n.
    TPop3ScanListing(std::string_view block, int count);

    // Whether message Index (0-based) is described.
    bool describes(int index) const { return index >= 0 && index < int(m_sizes.size()); }
    // Its size; Index must be described.
    int sizeOf(int index) const { return m_sizes.at(size_t(index)); }

private:
    std::vector<int> m_sizes;
};

} // namespace tw
