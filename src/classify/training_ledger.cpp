#include "classify/training_ledger.h"

#include "classify/token_counts.h"
#include "platform/bytes.h"

#include <algorithm>
#include <vector>

namespace tw {

namespace {

// Lines that a server may add or change each time a message is read.
bool rewrittenByServers(std::string_view line)
{
    static constexpr std::string_view kNames[] = {"status:", "x-status:", "x-uid:", "x-uidl:", "x-keywords:"};
    return std::any_of(std::begin(kNames), std::end(kNames), [&](std::string_view name) {
        return line.size() >= name.size() && sameText(line.substr(0, name.size()), name);
    });
}

} // namespace

std::uint64_t TrainingLedger::mailboxKey(const std::string &mailbox) { return tokenHash(lowerCase(mailbox)); }

std::uint64_t TrainingLedger::messageKey(const std::string &mailbox, const TmsHeaders &headers)
{
    std::string text = lowerCase(mailbox);
    text += '\n';
    bool skipping = false;
    for (const std::string_view line : headers.Lines()) {
        const bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!continuation)
            skipping = rewrittenByServers(line);
        if (skipping)
            continue;
        text += line;
        text += '\n';
    }
    return tokenHash(text);
}

std::optional<TrainedAs> TrainingLedger::find(std::uint64_t message) const
{
    const auto at = m_trained.find(message);
    return at == m_trained.end() ? std::nullopt : std::optional<TrainedAs>(at->second.as);
}

void TrainingLedger::set(std::uint64_t message, TrainedAs as, std::uint32_t day) { m_trained[message] = {as, day}; }

void TrainingLedger::addPending(std::uint64_t message, std::uint64_t mailbox, std::uint32_t day)
{
    m_pending[message] = {mailbox, day};
}

bool TrainingLedger::takePending(std::uint64_t message) { return m_pending.erase(message) > 0; }

size_t TrainingLedger::dropPending(std::uint64_t mailbox)
{
    return std::erase_if(m_pending, [&](const auto &entry) { return entry.second.mailbox == mailbox; });
}

bool TrainingLedger::hasPending(std::uint64_t mailbox) const
{
    return std::any_of(m_pending.begin(), m_pending.end(),
                       [&](const auto &entry) { return entry.second.mailbox == mailbox; });
}

void TrainingLedger::prune(size_t maxTrained, std::uint32_t today, std::uint32_t pendingDays)
{
    std::erase_if(m_pending, [&](const auto &entry) { return entry.second.day + pendingDays < today; });
    if (m_trained.size() <= maxTrained)
        return;
    std::vector<std::pair<std::uint32_t, std::uint64_t>> byDay;
    byDay.reserve(m_trained.size());
    for (const auto &[key, entry] : m_trained)
        byDay.emplace_back(entry.day, key);
    const size_t remove = byDay.size() - maxTrained;
    std::nth_element(byDay.begin(), byDay.begin() + std::ptrdiff_t(remove), byDay.end());
    for (size_t i = 0; i < remove; ++i)
        m_trained.erase(byDay[i].second);
}

void TrainingLedger::clear()
{
    m_trained.clear();
    m_pending.clear();
}

} // namespace tw
