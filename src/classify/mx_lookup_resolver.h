#pragma once
// The unknown-domain test's MX lookup done by the real resolver.

#include "classify/mx_lookup.h"

namespace tw {

class TmsMXResolver;

class ResolverMxLookup : public MxLookup {
public:
    // Uses Resolver (not owned; it must outlive this object) with whatever
    // server, port and time-out it has been given.
    explicit ResolverMxLookup(TmsMXResolver &resolver) : m_resolver(resolver) {}

    // Sets the resolver's Domain and runs its Resolve; raises what Resolve
    // raises (EResolverError, ESocketError, ETimedOutError, ECanceledError).
    void Resolve(const std::string &domain) override;

private:
    TmsMXResolver &m_resolver;
};

} // namespace tw
