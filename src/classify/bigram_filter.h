#pragma once
// A quick "certainly not contained" test. It remembers which pairs of
// adjacent bytes a text holds (hashed into a small bit set); a pattern with
// a pair the text lacks cannot occur in it. Classifying one message against
// thousands of rules mostly meets patterns that are absent, and this answers
// those without a string search. A "maybe" still needs the real comparison.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tw {

class BigramFilter {
public:
    BigramFilter() = default;
    explicit BigramFilter(std::string_view text) { add(text); }

    // Records the byte pairs of Text (added to those recorded before).
    void add(std::string_view text);

    // The probes for Pattern: up to eight of its byte pairs, spread over it. A
    // pattern shorter than two bytes has none and always passes.
    static std::vector<std::uint16_t> probesFor(std::string_view pattern);

    // False only when Pattern (given by its probes) cannot occur in the text.
    bool mayContain(const std::vector<std::uint16_t> &probes) const
    {
        for (std::uint16_t probe : probes)
            if (!(m_bits[probe >> 6] & (std::uint64_t(1) << (probe & 63))))
                return false;
        return true;
    }

private:
    static constexpr size_t kMaxProbes = 8;
    static std::uint16_t pairKey(unsigned char first, unsigned char second)
    {
        return static_cast<std::uint16_t>((first * 131u + second) & 4095u);
    }
    std::array<std::uint64_t, 64> m_bits{};
};

} // namespace tw
