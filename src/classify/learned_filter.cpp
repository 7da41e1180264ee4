#include "classify/learned_filter.h"

#include "platform/clock.h"

namespace tw {

LearnedFilter::LearnedFilter(std::string path) : m_path(std::move(path)) {}

std::uint32_t LearnedFilter::today()
{
    const qint64 days = QDate(1970, 1, 1).daysTo(Clock::nowQt().date());
    return days > 0 ? std::uint32_t(days) : 0;
}

std::string LearnedFilter::load(bool setDamagedAside)
{
    m_changed = false;
    const LearnedStoreRead read = readLearnedStore(m_path, m_data, setDamagedAside);
    m_available = read.state != LearnedStoreRead::State::Unreadable;
    switch (read.state) {
    case LearnedStoreRead::State::Missing:
    case LearnedStoreRead::State::Read:
        return {};
    case LearnedStoreRead::State::Damaged:
        return "The learned score's store " + m_path + " is damaged: " + read.problem +
               ". It has been kept as " + read.keptAs +
               " and the learned score starts again from nothing; train it again from your mail "
               "(Spam settings, Learned score, Train from files...).";
    case LearnedStoreRead::State::Unreadable:
        break;
    }
    return "The learned score's store " + m_path + " cannot be used (" + read.problem +
           "). It has been left as it is; the learned score is off and learns nothing until Tidewell "
           "is started again with a store it can read.";
}

bool LearnedFilter::save(std::string *why)
{
    if (!m_changed || !m_available)
        return true;
    if (m_data.counts.tokens.size() > maxTokens)
        m_data.counts.tokens.prune(maxTokens / 10 * 9);
    m_data.ledger.prune(kLearnedMaxTrained, today(), kLearnedPendingDays);
    if (!writeLearnedStore(m_path, m_data, why))
        return false;
    m_changed = false;
    return true;
}

TrainOutcome LearnedFilter::train(const TmsHeaders &headers, TrainedAs as, const std::string &mailbox)
{
    if (!m_available)
        return TrainOutcome::NotAvailable;
    const std::uint64_t key = TrainingLedger::messageKey(mailbox, headers);
    const std::optional<TrainedAs> before = m_data.ledger.find(key);
    if (before == as)
        return TrainOutcome::AlreadyTrained;
    const std::uint32_t day = today();
    if (before)
        trainCounts(m_data.counts, headers, *before == TrainedAs::Spam, -1, day);
    trainCounts(m_data.counts, headers, as == TrainedAs::Spam, +1, day);
    m_data.ledger.set(key, as, day);
    m_data.ledger.takePending(key);
    m_changed = true;
    return before ? TrainOutcome::Moved : TrainOutcome::Trained;
}

std::optional<TrainedAs> LearnedFilter::trainedAs(const TmsHeaders &headers, const std::string &mailbox) const
{
    return m_data.ledger.find(TrainingLedger::messageKey(mailbox, headers));
}

void LearnedFilter::rememberLeftAlone(const TmsHeaders &headers, const std::string &mailbox)
{
    if (!m_available)
        return;
    const std::uint64_t key = TrainingLedger::messageKey(mailbox, headers);
    if (m_data.ledger.find(key))
        return;
    m_data.ledger.addPending(key, TrainingLedger::mailboxKey(mailbox), today());
    m_changed = true;
}

int LearnedFilter::confirmLeftAlone(const std::string &mailbox, const std::vector<const TmsHeaders *> &listed)
{
    const std::uint64_t box = TrainingLedger::mailboxKey(mailbox);
    if (!m_available || !m_data.ledger.hasPending(box))
        return 0;
    int trained = 0;
    for (const TmsHeaders *headers : listed)
        if (m_data.ledger.takePending(TrainingLedger::messageKey(mailbox, *headers)) &&
            train(*headers, TrainedAs::Ham, mailbox) != TrainOutcome::AlreadyTrained)
            ++trained;
    m_data.ledger.dropPending(box);
    m_changed = true;
    return trained;
}

} // namespace tw
