#include "classify/bigram_filter.h"

#include <algorithm>

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
    // Up to eight pairs, first and last included. Rules often share a long
    // common start ("X-Mailer: ..."), which a message holds anyway; only the
    // pairs of the part that differs tell rules apart, so a few probes in
    // the middle are not enough.
    const size_t last = pattern.size() - 2;
    const size_t count = std::min<size_t>(kMaxProbes, last + 1);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = count == 1 ? 0 : i * last / (count - 1);
        const std::uint16_t key =
            pairKey(static_cast<unsigned char>(pattern[at]), static_cast<unsigned char>(pattern[at + 1]));
        if (std::find(probes.begin(), probes.end(), key) == probes.end())
            probes.push_back(key);
    }
    return probes;
}

} // namespace tw
