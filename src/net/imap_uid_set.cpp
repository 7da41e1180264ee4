#include "net/imap_uid_set.h"

#include "platform/bytes.h"

#include <algorithm>
#include <utility>

namespace tw {

namespace {

std::optional<uint32_t> uidOf(std::string_view text)
{
    long long value = 0;
    if (text.empty() || text[0] == '+' || text[0] == '-' || !parseInt(text, value) || value < 1 || value > UINT32_MAX)
        return std::nullopt;
    return uint32_t(value);
}

} // namespace

std::vector<TUidSet> uidSets(std::vector<uint32_t> uids, size_t maxBytes)
{
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    std::vector<TUidSet> sets;
    TUidSet current;
    for (size_t i = 0; i < uids.size();) {
        size_t last = i;
        while (last + 1 < uids.size() && uids[last + 1] == uids[last] + 1)
            ++last;
        const std::string run =
            last == i ? std::to_string(uids[i]) : std::to_string(uids[i]) + ":" + std::to_string(uids[last]);
        if (!current.text.empty() && current.text.size() + 1 + run.size() > maxBytes)
            sets.push_back(std::exchange(current, {}));
        current.text += (current.text.empty() ? "" : ",") + run;
        current.uids.insert(current.uids.end(), uids.begin() + long(i), uids.begin() + long(last) + 1);
        i = last + 1;
    }
    if (!current.text.empty())
        sets.push_back(std::move(current));
    return sets;
}

std::optional<std::vector<uint32_t>> uidsOfSet(std::string_view text, size_t maxCount)
{
    std::vector<uint32_t> uids;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view part = text.substr(start, end - start);
        const size_t colon = part.find(':');
        const auto first = uidOf(part.substr(0, colon));
        const auto second = colon == std::string_view::npos ? first : uidOf(part.substr(colon + 1));
        if (!first || !second)
            return std::nullopt;
        const uint32_t low = std::min(*first, *second), high = std::max(*first, *second);
        if (uint64_t(high - low) + 1 > maxCount - std::min(maxCount, uids.size()))
            return std::nullopt;
        for (uint64_t uid = low; uid <= high; ++uid)
            uids.push_back(uint32_t(uid));
        start = end + 1;
    }
    return uids;
}

} // namespace tw
