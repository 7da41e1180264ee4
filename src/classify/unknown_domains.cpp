#include "classify/unknown_domains.h"

#include "net/errors.h"
#include "platform/bytes.h"

#include <exception>

namespace tw {

bool UnknownDomains::qUnknownDomain(const std::string &domain, SpamTestSettings &settings)
{
    const std::string key = lowerCase(domain);
    if (m_ok.count(key))
        return false;
    if (m_bad.count(key))
        return true;
    if (!m_resolver)
        return false; // nothing to ask: the test cannot condemn anybody
    bool answered = false;
    {
        try {
            m_resolver->Resolve(domain);
            answered = true;
        } catch (const ECanceledError &) {
            // The user stopped the run: nothing was learnt about the domain,
            // so it is neither condemned nor remembered.
            return false;
        } catch (const std::exception &) {
            // No DNS failure reaches the user: the domain simply counts as unknown.
        }
    }
    if (answered) {
        m_ok.insert(key);
        m_okList.push_back(key);
        return false;
    }
    bumpUnknown(settings);
    m_bad.insert(key);
    m_badList.push_back(key);
    return true;
}

} // namespace tw
