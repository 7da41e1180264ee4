#include "classify/learning_decisions.h"

#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

bool counts(TrainOutcome outcome) { return outcome == TrainOutcome::Trained || outcome == TrainOutcome::Moved; }

} // namespace

std::string DecisionLearner::mailboxName(const std::string &server, const std::string &userName)
{
    return lowerCase(userName) + "@" + lowerCase(server);
}

void DecisionLearner::setListedMailbox(const std::string &server, const std::string &userName)
{
    m_mailbox = mailboxName(server, userName);
}

void DecisionLearner::excepted(const TmsHeaders &headers) { m_filter.train(headers, TrainedAs::Ham, m_mailbox); }

TrainOutcome DecisionLearner::userSays(const TmsHeaders &headers, TrainedAs as)
{
    return m_filter.train(headers, as, m_mailbox);
}

TrainOutcome DecisionLearner::restoredFromKeptCopies(const TmsHeaders &headers, const std::string &server,
                                                     const std::string &userName)
{
    return m_filter.train(headers, TrainedAs::Ham, mailboxName(server, userName));
}

DecisionLearner::Taught DecisionLearner::listLeft(const WaitingMessages &rows, const TmsRemoteInfo &info,
                                                  const std::vector<int> &deleted, bool userStartedDeletion)
{
    Taught taught;
    const bool userDeletedSome = userStartedDeletion && !deleted.empty();
    const int count = std::min(rows.count(), info.Count());
    for (int i = 0; i < count; ++i) {
        const TWaitingMessage &row = rows.row(i);
        const TmsHeaders &headers = info.Items(i).Headers;
        const bool wasDeleted = std::find(deleted.begin(), deleted.end(), i) != deleted.end();
        if (wasDeleted) {
            if (userStartedDeletion && counts(m_filter.train(headers, TrainedAs::Spam, m_mailbox)))
                ++taught.spam;
        } else if (row.unmarkedByUser && !isMarkedForDeletion(row.mark)) {
            if (counts(m_filter.train(headers, TrainedAs::Ham, m_mailbox)))
                ++taught.ham;
        } else if (userDeletedSome && row.mark == mark::None) {
            m_filter.rememberLeftAlone(headers, m_mailbox);
            ++taught.waiting;
        }
    }
    return taught;
}

int DecisionLearner::listed(const TmsRemoteInfo &info)
{
    std::vector<const TmsHeaders *> listed;
    listed.reserve(size_t(info.Count()));
    for (int i = 0; i < info.Count(); ++i)
        listed.push_back(&info.Items(i).Headers);
    return m_filter.confirmLeftAlone(m_mailbox, listed);
}

} // namespace tw
