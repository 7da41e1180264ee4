#pragma once
// The unknown-domain test's memory: domains found to have a working mail
// setup and domains found unknown, kept lower-cased for the whole program
// run so that each domain is asked about at most once.
//
// Two ways of asking. Outside a listing a domain is asked at once through
// the resolver (MxLookup) and the caller waits. During a listing an asker
// (MxAsker) sends the queries of many domains together; a domain asked that
// way counts as not unknown until its answer comes back (takeAnswer), and
// the caller classifies the rows that met it again then.
//
// A DNS server that answers none of the first queries of a check is taken
// as unreachable for the rest of that check: the test then finds nothing,
// rather than condemning every sender for the network's fault.

#include "classify/mx_lookup.h"
#include "classify/spam_test_settings.h"
#include "net/msmx_queries.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tw {

// What the test knows about a domain.
enum class DomainVerdict {
    Known,      // the DNS answered for it: not unknown
    Unknown,    // the DNS said no, or failed for it while answering others
    Pending,    // asked during a listing; the answer has not come yet
    NotChecked, // the DNS does not answer, or refused to look (a list's refusal): not unknown
};

class UnknownDomains {
public:
    // Resolver may be null: the test then finds no domain unknown, since a
    // missing resolver says nothing about the sender.
    explicit UnknownDomains(MxLookup *resolver = nullptr) : m_resolver(resolver) {}
    void setResolver(MxLookup *resolver) { m_resolver = resolver; }

    // A check begins: whether the DNS server answers is found out afresh,
    // and domains that could not be checked are asked again.
    void beginCheck();
    // While Asker is set, new domains go to it (see above). Not owned.
    void setAsker(MxAsker *asker) { m_asker = asker; }
    // Forgets the questions the asker has not answered (they stay unasked)
    // and asks through the resolver again.
    void stopAsking();

    // The verdict on Domain: consults the caches, else asks (Domain as
    // given). An answer that makes it unknown adds 1 to Settings'
    // unknown-domain counter.
    DomainVerdict verdict(const std::string &domain, SpamTestSettings &settings);
    // True when Domain is unknown (verdict Unknown).
    bool qUnknownDomain(const std::string &domain, SpamTestSettings &settings)
    {
        return verdict(domain, settings) == DomainVerdict::Unknown;
    }

    // The asker's answer about Domain. Returns true when that made Domain
    // unknown (the rows that met it need classifying again).
    bool takeAnswer(const std::string &domain, TMXOutcome outcome, SpamTestSettings &settings);

    // Domains sent to the asker whose answer has not come.
    int pending() const { return int(m_pending.size()); }
    // Whether the DNS server was found not to answer in this check.
    bool dnsUnreachable() const { return m_unreachable; }
    // Fired once per check, when the server is found not to answer.
    std::function<void()> OnDnsUnreachable;

    const std::vector<std::string> &lbOkDomains() const { return m_okList; }
    const std::vector<std::string> &lbBadDomains() const { return m_badList; }

private:
    void markKnown(const std::string &key);
    void markUnknown(const std::string &key, SpamTestSettings &settings);
    // A query got no answer: the server's fault when it has answered none
    // in this check (the domain is not checked), else the domain's.
    DomainVerdict noAnswer(const std::string &key, SpamTestSettings &settings);

    MxLookup *m_resolver;
    MxAsker *m_asker = nullptr;
    std::unordered_set<std::string> m_ok;
    std::unordered_set<std::string> m_bad;
    std::vector<std::string> m_okList;
    std::vector<std::string> m_badList;
    // This check's: domains asked and waiting, domains that could not be
    // checked, answers seen, and whether the server is taken as unreachable.
    std::unordered_set<std::string> m_pending;
    std::unordered_set<std::string> m_notChecked;
    int m_answers = 0;
    bool m_unreachable = false;
};

} // namespace tw
