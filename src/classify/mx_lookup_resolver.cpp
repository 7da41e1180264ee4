#include "classify/mx_lookup_resolver.h"

#include "net/errors.h"
#include "net/msmx.h"
#include "net/msmx_queries.h"

namespace tw {

void ResolverMxLookup::Resolve(const std::string &domain)
{
    // A datagram lost on the way is sent again once.
    for (int tries = 2;; --tries) {
        m_resolver.Domain = domain;
        try {
            m_resolver.Resolve();
            return;
        } catch (const ETimedOutError &) {
            if (tries <= 1)
                throw;
        }
    }
}

void QueriesMxAsker::ask(const std::string &domain) { m_queries.Ask(domain); }

void QueriesMxAsker::cancelAll() { m_queries.CancelAll(); }

} // namespace tw
