#pragma once
// The narrow views the unknown-domain test has of the DNS, so that the test
// can run against fakes and the real resolvers are adapted in one place.

#include <string>

namespace tw {

// How long one MX query of the unknown-domain test waits for its answer, per
// try (a query goes out twice at most). A DNS server that never answers
// then costs seconds before the test gives it up for the check, not minutes.
constexpr int kDomainQuerySeconds = 5;

// One domain at a time, waiting for the answer.
class MxLookup {
public:
    virtual ~MxLookup() = default;
    // Asks the DNS for the mail exchangers of Domain (as given). Returns
    // normally when the server answered, with or without MX records; raises
    // otherwise: ETimedOutError or ESocketError when no answer came,
    // EResolverRefusedError for a list's refusal, ECanceledError for a
    // cancel, anything else for an error answer.
    virtual void Resolve(const std::string &domain) = 0;
};

// Many domains at once: the answers come back later, through the event loop.
class MxAsker {
public:
    virtual ~MxAsker() = default;
    // Sends the query for Domain (as given); its outcome is handed to
    // UnknownDomains::takeAnswer by the owner.
    virtual void ask(const std::string &domain) = 0;
    // Forgets every query not answered yet.
    virtual void cancelAll() = 0;
};

} // namespace tw
