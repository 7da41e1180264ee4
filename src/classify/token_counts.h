#pragma once
// How often each token was seen in messages trained as spam and as ordinary
// mail, and on which day it was last trained. Lookups go by a 64-bit hash of
// the token, so scoring a message allocates nothing; the token texts are kept
// in one buffer for saving. A token whose counts both fall to 0 no longer
// counts and is dropped at the next compaction.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The hash that identifies a token (never 0).
std::uint64_t tokenHash(std::string_view token);

struct TokenCount {
    std::uint32_t spam = 0;
    std::uint32_t ham = 0;
    std::uint32_t day = 0; // days since 1970-01-01 of the last training that added to it
};

class TokenCounts {
public:
    TokenCounts();

    // The counts of the token with Hash (its day left 0); false when it was
    // never trained.
    bool find(std::uint64_t hash, TokenCount &count) const;
    // Asks the processor to fetch the slot Hash would be found in: lookups
    // of a whole message then wait for memory together, not one by one.
    void prefetch(std::uint64_t hash) const { __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]); }

    // Adds Delta (+1 or -1) to the spam or ham count of Token (Hash =
    // tokenHash(Token)); counts never go below 0. A positive Delta sets the
    // token's day to Day.
    void add(std::string_view token, std::uint64_t hash, bool spam, int delta, std::uint32_t day);

    // Adds a token read from a file with its counts as they stand (a token
    // listed twice has its counts added together).
    void insert(std::string_view token, const TokenCount &count);

    // Makes room for Tokens tokens holding TextBytes bytes of text in all,
    // so that reading a store does not grow the table step by step.
    void reserve(size_t tokens, size_t textBytes);

    // Tokens with a count above 0.
    size_t size() const { return m_live; }
    void clear();

    // Calls Visit for every token with a count above 0, in no fixed order.
    void forEach(const std::function<void(std::string_view token, const TokenCount &count)> &visit) const;

    // Keeps at most Limit tokens: the ones seen least often go first, and of
    // those the ones trained longest ago. Returns how many were removed.
    size_t prune(size_t limit);

private:
    // What a lookup reads, kept apart from the rest so that more slots fit
    // in the processor's caches.
    struct Slot {
        std::uint64_t hash = 0; // 0: empty
        std::uint32_t spam = 0;
        std::uint32_t ham = 0;
    };
    struct SlotRest {
        std::uint32_t day = 0;
        std::uint32_t textAt = 0;
        std::uint32_t textSize = 0;
    };
    size_t indexFor(std::uint64_t hash) const;
    size_t claim(std::string_view token, std::uint64_t hash);
    void grow();
    void rebuild(size_t capacity);

    std::vector<Slot> m_slots; // open addressing, linear probing; size a power of 2
    std::vector<SlotRest> m_rest; // beside m_slots, index for index
    size_t m_used = 0;          // slots taken (also those whose counts fell to 0)
    size_t m_live = 0;
    std::string m_text;         // the token texts, one after another
};

} // namespace tw
