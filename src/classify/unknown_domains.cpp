#include "classify/unknown_domains.h"

#include "net/errors.h"
#include "platform/bytes.h"

#include <exception>

namespace tw {

void UnknownDomains::beginCheck()
{
    if (m_asker)
        m_asker->cancelAll();
    m_pending.clear();
    m_notChecked.clear();
    m_answers = 0;
    m_unreachable = false;
}

void UnknownDomains::stopAsking()
{
    if (m_asker)
        m_asker->cancelAll();
    m_asker = nullptr;
    m_pending.clear();
}

void UnknownDomains::markKnown(const std::string &key)
{
    if (m_ok.insert(key).second)
        m_okList.push_back(key);
}

void UnknownDomains::markUnknown(const std::string &key, SpamTestSettings &settings)
{
    if (!m_bad.insert(key).second)
        return;
    bumpUnknown(settings);
    m_badList.push_back(key);
}

DomainVerdict UnknownDomains::noAnswer(const std::string &key, SpamTestSettings &settings)
{
    if (m_answers > 0) {
        // The server answers others: this domain's own servers failed it.
        markUnknown(key, settings);
        return DomainVerdict::Unknown;
    }
    if (!m_unreachable) {
        m_unreachable = true;
        m_pending.clear();
        if (m_asker)
            m_asker->cancelAll();
        if (OnDnsUnreachable)
            OnDnsUnreachable();
    }
    return DomainVerdict::NotChecked;
}

DomainVerdict UnknownDomains::verdict(const std::string &domain, SpamTestSettings &settings)
{
    const std::string key = lowerCase(domain);
    if (m_ok.count(key))
        return DomainVerdict::Known;
    if (m_bad.count(key))
        return DomainVerdict::Unknown;
    if (m_unreachable || m_notChecked.count(key))
        return DomainVerdict::NotChecked;
    if (m_pending.count(key))
        return DomainVerdict::Pending;
    if (m_asker) {
        m_pending.insert(key);
        m_asker->ask(domain);
        return DomainVerdict::Pending;
    }
    if (!m_resolver)
        return DomainVerdict::NotChecked; // nothing to ask: the test cannot condemn anybody
    try {
        m_resolver->Resolve(domain);
    } catch (const ECanceledError &) {
        // The user stopped the run: nothing was learnt about the domain,
        // so it is neither condemned nor remembered.
        return DomainVerdict::NotChecked;
    } catch (const EResolverRefusedError &) {
        m_notChecked.insert(key);
        return DomainVerdict::NotChecked;
    } catch (const ETimedOutError &) {
        return noAnswer(key, settings);
    } catch (const ESocketError &) {
        return noAnswer(key, settings);
    } catch (const std::exception &) {
        // No DNS failure reaches the user: the domain simply counts as unknown.
        ++m_answers;
        markUnknown(key, settings);
        return DomainVerdict::Unknown;
    }
    ++m_answers;
    markKnown(key);
    return DomainVerdict::Known;
}

bool UnknownDomains::takeAnswer(const std::string &domain, TMXOutcome outcome, SpamTestSettings &settings)
{
    const std::string key = lowerCase(domain);
    if (!m_pending.erase(key))
        return false; // forgotten: a new check began, or the server was given up
    switch (outcome) {
    case TMXOutcome::Answered:
        ++m_answers;
        markKnown(key);
        return false;
    case TMXOutcome::Failed:
        ++m_answers;
        markUnknown(key, settings);
        return true;
    case TMXOutcome::CouldNotCheck:
        ++m_answers;
        m_notChecked.insert(key);
        return false;
    case TMXOutcome::NoAnswer: break;
    }
    return noAnswer(key, settings) == DomainVerdict::Unknown;
}

} // namespace tw
