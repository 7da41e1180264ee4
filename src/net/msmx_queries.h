#pragma once
// TmsMXQueries: many MX queries to one DNS server at the same time, for a
// listing that meets many sender domains. Each domain asked goes out at once
// while fewer than MaxInFlight queries wait for their answers, else it waits
// its turn; a query that gets no answer within TimeOut seconds is sent once
// more (Retries), and then ends without an answer. Every answer arrives
// through the event loop: the caller goes on with its work meanwhile and
// learns each outcome through OnAnswer.
//
// Each query has its own datagram socket (its own source port) connected to
// the server and a random ID, as the single-query resolver (msmx.h) has.

#include "net/msmxcls.h"

#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tw {

// How a query ended.
enum class TMXOutcome {
    Answered,      // the server answered, with or without MX records
    Failed,        // the server answered with an error (no such domain, ...), or the reply was unusable
    NoAnswer,      // nothing came back, not even after the retry
    CouldNotCheck, // the server gave a list's refusal (127.255.255.0/24) instead of an answer
};

class TmsMXQueries : public QObject {
    Q_OBJECT
public:
    explicit TmsMXQueries(QObject *parent = nullptr);
    ~TmsMXQueries() override;

    std::string DNSAddress; // the server, as a dotted IPv4 address
    uint16_t Port = 53;
    int TimeOut = 5;        // seconds per try
    int Retries = 1;        // tries after the first
    int MaxInFlight = 32;   // queries waiting for an answer at one time

    // Fired once per domain asked (not for domains forgotten by CancelAll),
    // with the domain as it was asked. Text is the server's error or why
    // nothing came back; empty for Answered.
    std::function<void(const std::string &Domain, TMXOutcome Outcome, const std::string &Text)> OnAnswer;

    // Asks about Domain (as given). A domain that is asked already is not
    // asked twice. A domain that cannot exist ends as Failed at once,
    // through the event loop like any answer.
    void Ask(const std::string &Domain);
    // Forgets every query, sent or waiting; no OnAnswer fires for them.
    void CancelAll();
    // Queries sent or waiting that have not ended yet.
    int Pending() const;

private:
    struct Query;
    void sendNext();
    void send(Query &query);
    void received(Query &query);
    void timedOut(Query &query);
    void finish(Query &query, TMXOutcome outcome, const std::string &text);
    // Takes Query out of the running ones; it is deleted from the event loop.
    void retire(Query &query);

    std::vector<std::unique_ptr<Query>> m_inFlight;
    std::vector<std::unique_ptr<Query>> m_retired;
    std::deque<std::string> m_waiting;
};

} // namespace tw
