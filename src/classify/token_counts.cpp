#include "classify/token_counts.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tw {

std::uint64_t tokenHash(std::string_view token)
{
    // Eight bytes at a time, then a final mix so that the low bits that pick
    // a slot depend on every byte.
    std::uint64_t h = 0x9e3779b97f4a7c15ull ^ (token.size() * 0xff51afd7ed558ccdull);
    auto step = [&h](std::uint64_t word) {
        h ^= word * 0xc4ceb9fe1a85ec53ull;
        h = ((h << 29) | (h >> 35)) * 0x9e3779b97f4a7c15ull;
    };
    size_t at = 0;
    for (; at + 8 <= token.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, token.data() + at, 8);
        step(word);
    }
    if (at < token.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, token.data() + at, token.size() - at);
        step(word);
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return h == 0 ? 1 : h;
}

namespace {
constexpr size_t kFirstCapacity = 1024;
// A table for Tokens live tokens starts at most half full.
size_t capacityFor(size_t tokens)
{
    size_t capacity = kFirstCapacity;
    while (capacity < tokens * 2)
        capacity *= 2;
    return capacity;
}
} // namespace

TokenCounts::TokenCounts() : m_slots(kFirstCapacity), m_rest(kFirstCapacity) {}

size_t TokenCounts::indexFor(std::uint64_t hash) const
{
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i].hash != hash && m_slots[i].hash != 0)
        i = (i + 1) & mask;
    return i;
}

bool TokenCounts::find(std::uint64_t hash, TokenCount &count) const
{
    const Slot &slot = m_slots[indexFor(hash)];
    if (slot.hash == 0)
        return false;
    count.spam = slot.spam;
    count.ham = slot.ham;
    return true;
}

size_t TokenCounts::claim(std::string_view token, std::uint64_t hash)
{
    // Keep the table at most three quarters full so that probes stay short.
    if ((m_used + 1) * 4 > m_slots.size() * 3)
        grow();
    const size_t i = indexFor(hash);
    if (m_slots[i].hash == 0) {
        if (m_text.size() + token.size() > UINT32_MAX)
            throw std::length_error("too much token text");
        m_slots[i].hash = hash;
        m_rest[i] = {0, std::uint32_t(m_text.size()), std::uint32_t(token.size())};
        m_text.append(token);
        ++m_used;
    }
    return i;
}

void TokenCounts::add(std::string_view token, std::uint64_t hash, bool spam, int delta, std::uint32_t day)
{
    if (delta < 0 && m_slots[indexFor(hash)].hash == 0)
        return;
    const size_t i = claim(token, hash);
    Slot &slot = m_slots[i];
    const bool wasLive = slot.spam > 0 || slot.ham > 0;
    std::uint32_t &value = spam ? slot.spam : slot.ham;
    if (delta > 0) {
        value += std::uint32_t(delta);
        m_rest[i].day = std::max(m_rest[i].day, day);
    } else {
        value -= std::min(value, std::uint32_t(-delta));
    }
    const bool isLive = slot.spam > 0 || slot.ham > 0;
    m_live += size_t(isLive) - size_t(wasLive);
}

void TokenCounts::insert(std::string_view token, const TokenCount &count)
{
    if (count.spam == 0 && count.ham == 0)
        return;
    const size_t i = claim(token, tokenHash(token));
    Slot &slot = m_slots[i];
    const bool wasLive = slot.spam > 0 || slot.ham > 0;
    slot.spam += count.spam;
    slot.ham += count.ham;
    m_rest[i].day = std::max(m_rest[i].day, count.day);
    m_live += size_t(!wasLive);
}

void TokenCounts::reserve(size_t tokens, size_t textBytes)
{
    if (capacityFor(tokens) > m_slots.size())
        rebuild(capacityFor(tokens));
    m_text.reserve(textBytes);
}

void TokenCounts::clear()
{
    m_slots.assign(kFirstCapacity, Slot{});
    m_rest.assign(kFirstCapacity, SlotRest{});
    m_used = m_live = 0;
    m_text.clear();
}

void TokenCounts::forEach(const std::function<void(std::string_view, const TokenCount &)> &visit) const
{
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const Slot &slot = m_slots[i];
        if (slot.hash != 0 && (slot.spam > 0 || slot.ham > 0))
            visit(std::string_view(m_text).substr(m_rest[i].textAt, m_rest[i].textSize),
                  TokenCount{slot.spam, slot.ham, m_rest[i].day});
    }
}

void TokenCounts::grow()
{
    // Tokens whose counts fell to 0 are left behind; the table doubles only
    // when the live ones need it.
    rebuild(std::max(m_slots.size(), capacityFor(m_live + 1)));
}

void TokenCounts::rebuild(size_t capacity)
{
    std::vector<Slot> oldSlots(capacity);
    std::vector<SlotRest> oldRest(capacity);
    oldSlots.swap(m_slots);
    oldRest.swap(m_rest);
    std::string oldText;
    oldText.swap(m_text);
    m_text.reserve(oldText.capacity());
    m_used = m_live = 0;
    for (size_t k = 0; k < oldSlots.size(); ++k) {
        const Slot &slot = oldSlots[k];
        if (slot.hash == 0 || (slot.spam == 0 && slot.ham == 0))
            continue;
        const size_t i = indexFor(slot.hash);
        m_slots[i] = slot;
        m_rest[i] = {oldRest[k].day, std::uint32_t(m_text.size()), oldRest[k].textSize};
        m_text.append(oldText, oldRest[k].textAt, oldRest[k].textSize);
        ++m_used;
        ++m_live;
    }
}

size_t TokenCounts::prune(size_t limit)
{
    if (m_live <= limit)
        return 0;
    std::vector<size_t> candidates;
    candidates.reserve(m_live);
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].hash != 0 && (m_slots[i].spam > 0 || m_slots[i].ham > 0))
            candidates.push_back(i);
    const size_t remove = candidates.size() - limit;
    std::nth_element(candidates.begin(), candidates.begin() + std::ptrdiff_t(remove), candidates.end(),
                     [this](size_t a, size_t b) {
                         const std::uint64_t seenA = std::uint64_t(m_slots[a].spam) + m_slots[a].ham;
                         const std::uint64_t seenB = std::uint64_t(m_slots[b].spam) + m_slots[b].ham;
                         return seenA != seenB ? seenA < seenB : m_rest[a].day < m_rest[b].day;
                     });
    for (size_t k = 0; k < remove; ++k)
        m_slots[candidates[k]].spam = m_slots[candidates[k]].ham = 0;
    rebuild(capacityFor(limit));
    return remove;
}

} // namespace tw
