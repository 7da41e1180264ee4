#pragma once
// The narrow view the unknown-domain test has of the MX resolver, so that the
// test can run against a fake and the real resolver is adapted in one place.

#include <string>

namespace tw {

class MxLookup {
public:
    virtual ~MxLookup() = default;
    // Asks the DNS for the mail exchangers of Domain (as given). Returns
    // normally when the server answered, with or without MX records; raises
    // any exception (no such domain, other server error, time-out, socket
    // failure, cancel) otherwise. The caller treats every raise as "unknown".
    virtual void Resolve(const std::string &domain) = 0;
};

} // namespace tw
