#pragma once
// The unknown-domain test's MX lookups done by the real resolvers.

#include "classify/mx_lookup.h"

namespace tw {

class TmsMXResolver;
class TmsMXQueries;

class ResolverMxLookup : public MxLookup {
public:
    // Uses Resolver (not owned; it must outlive this object) with whatever
    // server, port and time-out it has been given.
    explicit ResolverMxLookup(TmsMXResolver &resolver) : m_resolver(resolver) {}

    // Sets the resolver's Domain and runs its Resolve, once more after a
    // time-out; raises what Resolve raises (EResolverError, ESocketError,
    // ETimedOutError, ECanceledError).
    void Resolve(const std::string &domain) override;

private:
    TmsMXResolver &m_resolver;
};

// The unknown-domain test's queries of a listing, sent together by the
// real resolver for many queries.
class QueriesMxAsker : public MxAsker {
public:
    // Queries (not owned) must outlive this object.
    explicit QueriesMxAsker(TmsMXQueries &queries) : m_queries(queries) {}
    void ask(const std::string &domain) override;
    void cancelAll() override;

private:
    TmsMXQueries &m_queries;
};

} // namespace tw
