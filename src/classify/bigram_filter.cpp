#include "classify/bigram_filter.h"

namespace tw {

void BigramFilter::add(std::string_view text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const std::uint16_t key = pairKey(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(text[i + 1]));
        m_bits[key >> 6] |= std::uint64_t(1) << (key & 63);
    }
}

std::vector<std::uint16_t> BigramFilter::probesFor(std::string_view pattern)
{
    std::vector<std::uint16_t> probes;
    if (pattern.size() < 2)
        return probes;
    const size_t last = pattern.size() - 2;
    for (size_t at : {size_t(0), last / 2, last}) {
        const std::uint16_t key =
            pairKey(static_cast<unsigned char>(pattern[at]), static_cast<unsigned char>(pattern[at + 1]));
        if (probes.empty() || probes.back() != key)
            probes.push_back(key);
    }
    return probes;
}

} // namespace tw
