// The unknown-domain test during a listing. Each new sender domain's MX
// query goes out at once, beside the others, while the listing goes on; a
// row counts as not unknown until its domain's answer arrives, and gets its
// mark then. Before the last pass over the list the listing waits for the
// answers still out, so the marks end as they would had every row waited
// for its own answer, and a silent DNS server costs seconds, not a minute
// per domain.

#include "app/rmmain.h"
#include "runs/run_texts.h"
#include "platform/event_wait.h"

namespace tw {

namespace {

constexpr int kQueriesAtOnce = 32;

} // namespace

void TfrmMain::wireDomainQueries()
{
    MXQueries.TimeOut = kDomainQuerySeconds;
    MXQueries.Retries = 1;
    MXQueries.MaxInFlight = kQueriesAtOnce;
    MXResolver.setTimeOut(kDomainQuerySeconds);
    MXQueries.OnAnswer = [this](const std::string &domain, TMXOutcome outcome, const std::string &) {
        domainAnswered(domain, outcome);
    };
    m_domains.OnDnsUnreachable = [this] { dnsNotAnswering(); };
}

void TfrmMain::domainAnswered(const std::string &domain, TMXOutcome outcome)
{
    if (!m_domains.takeAnswer(domain, outcome, m_spam.tests))
        return;
    m_classifier.setMailboxNumber(serverToIndex());
    const std::vector<int> rows = m_classifier.takeRowsWaitingFor(domain);
    m_classifier.reclassifyQuietly(rows);
    for (int row : rows)
        ListView1->markChanged(row);
}

void TfrmMain::awaitDomainAnswers()
{
    // Every query ends by itself within its tries; a cancel ends the wait
    // at once.
    waitUntil([this] { return m_domains.pending() == 0 || mailClient().Canceled(); });
    m_domains.stopAsking();
}

void TfrmMain::dnsNotAnswering()
{
    m_dnsNote = "The DNS server " + MXResolver.DNSAddress +
                " does not answer, so the unknown-domain test is skipped for this check.";
    setStatus(m_dnsNote);
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logError(m_dnsNote, mailClient().UserName, loggedServer(mailSession()));
}

} // namespace tw
