#pragma once
// The unknown-domain test's memory: domains found to have a working mail
// setup and domains found unknown, kept lower-cased for the whole program
// run so that each domain is asked about at most once.

#include "classify/mx_lookup.h"
#include "classify/spam_test_settings.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace tw {

class UnknownDomains {
public:
    // Resolver may be null: the test then finds no domain unknown, since a
    // missing resolver says nothing about the sender.
    explicit UnknownDomains(MxLookup *resolver = nullptr) : m_resolver(resolver) {}
    void setResolver(MxLookup *resolver) { m_resolver = resolver; }

    // True when Domain is unknown. Consults the caches, otherwise asks the
    // resolver (Domain as given): a normal return makes it known-good, any
    // raise makes it unknown and adds 1 to Settings' unknown-domain counter.
    bool qUnknownDomain(const std::string &domain, SpamTestSettings &settings);

    const std::vector<std::string> &lbOkDomains() const { return m_okList; }
    const std::vector<std::string> &lbBadDomains() const { return m_badList; }

private:
    MxLookup *m_resolver;
    std::unordered_set<std::string> m_ok;
    std::unordered_set<std::string> m_bad;
    std::vector<std::string> m_okList;
    std::vector<std::string> m_badList;
};

} // namespace tw
