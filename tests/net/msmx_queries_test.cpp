// Many MX queries at once against a scripted DNS server: how each ends,
// that they go out together within the bound, and that a silent server
// costs two time-outs per query, not one after the other.
#include "fixtures/fake_dns_server.h"
#include "net/msmx_queries.h"
#include "platform/event_wait.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tw;
using namespace tw::test;

namespace {

// The question's domain, "example.org", from a query datagram.
std::string questionOf(const std::string &query)
{
    std::string domain;
    for (size_t at = 12; at < query.size() && query[at] != 0;) {
        const size_t length = uint8_t(query[at]);
        if (!domain.empty())
            domain += '.';
        domain += query.substr(at + 1, length);
        at += length + 1;
    }
    return domain;
}

struct Ended {
    TMXOutcome outcome;
    std::string text;
};

// Asks every domain of Domains and waits (at most 60 s) until all have ended.
std::map<std::string, Ended> askAll(TmsMXQueries &queries, const std::vector<std::string> &domains)
{
    std::map<std::string, Ended> ended;
    queries.OnAnswer = [&](const std::string &domain, TMXOutcome outcome, const std::string &text) {
        ended[domain] = {outcome, text};
    };
    for (const std::string &domain : domains)
        queries.Ask(domain);
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(100);
    waitUntil([&] { return queries.Pending() == 0 || clock.elapsed() > 60000; });
    return ended;
}

TEST(MXQueries, EachQueryEndsAsTheServerAnswers)
{
    FakeDnsServer server([](const std::string &query) -> std::optional<std::string> {
        const std::string domain = questionOf(query);
        DnsReplyBuilder reply(query);
        if (domain == "good.example")
            return reply.mx(pointerTo(DnsReplyBuilder::kQuestionOffset), 10, wireName("mx.good.example")).bytes();
        if (domain == "nomx.example")
            return reply.bytes();
        if (domain == "gone.example")
            return reply.rcode(3).bytes();
        if (domain == "refused.example") // what a list answers a public resolver
            return reply.answer(pointerTo(DnsReplyBuilder::kQuestionOffset), 1, std::string("\x7f\xff\xff\xfe", 4))
                .bytes();
        return std::nullopt;
    });
    TmsMXQueries queries;
    queries.DNSAddress = "127.0.0.1";
    queries.Port = server.port();
    queries.TimeOut = 1;

    const auto ended = askAll(queries, {"good.example", "nomx.example", "gone.example", "refused.example",
                                        "silent.example", "bad..name", "good.example"});

    ASSERT_EQ(ended.size(), 6u); // asked twice, answered once
    EXPECT_EQ(ended.at("good.example").outcome, TMXOutcome::Answered);
    EXPECT_EQ(ended.at("nomx.example").outcome, TMXOutcome::Answered);
    EXPECT_EQ(ended.at("gone.example").outcome, TMXOutcome::Failed);
    EXPECT_EQ(ended.at("gone.example").text, "Domain name does not exist");
    EXPECT_EQ(ended.at("refused.example").outcome, TMXOutcome::CouldNotCheck);
    EXPECT_NE(ended.at("refused.example").text.find("127.255.255.254"), std::string::npos);
    EXPECT_EQ(ended.at("silent.example").outcome, TMXOutcome::NoAnswer);
    EXPECT_EQ(ended.at("bad..name").outcome, TMXOutcome::Failed); // never sent
    int silentQueries = 0;
    for (const std::string &query : server.queries())
        silentQueries += questionOf(query) == "silent.example";
    EXPECT_EQ(silentQueries, 2) << "one retry";
}

TEST(MXQueries, ASilentServerCostsTwoTimeOutsPerRoundNotPerQuery)
{
    FakeDnsServer server([](const std::string &) -> std::optional<std::string> { return std::nullopt; });
    TmsMXQueries queries;
    queries.DNSAddress = "127.0.0.1";
    queries.Port = server.port();
    queries.TimeOut = 1;
    queries.MaxInFlight = 8;
    std::vector<std::string> domains;
    for (int i = 0; i < 16; ++i)
        domains.push_back("d" + std::to_string(i) + ".example");

    QElapsedTimer clock;
    clock.start();
    const auto ended = askAll(queries, domains);

    EXPECT_EQ(ended.size(), 16u);
    for (const auto &[domain, end] : ended)
        EXPECT_EQ(end.outcome, TMXOutcome::NoAnswer) << domain;
    EXPECT_EQ(server.queries().size(), 32u);
    // Two rounds of eight, each a try and a retry of one second: about four
    // seconds where one query after another would take thirty-two.
    EXPECT_GE(clock.elapsed(), 3500);
    EXPECT_LT(clock.elapsed(), 12000);
    // The first eight went out together, before any time-out.
    std::set<std::string> firstSecond;
    for (size_t i = 0; i < 8; ++i)
        firstSecond.insert(questionOf(server.queries()[i]));
    EXPECT_EQ(firstSecond.size(), 8u);
}

TEST(MXQueries, CancelAllForgetsEveryQuery)
{
    FakeDnsServer server([](const std::string &) -> std::optional<std::string> { return std::nullopt; });
    TmsMXQueries queries;
    queries.DNSAddress = "127.0.0.1";
    queries.Port = server.port();
    int answers = 0;
    queries.OnAnswer = [&](const std::string &, TMXOutcome, const std::string &) { ++answers; };
    for (int i = 0; i < 40; ++i)
        queries.Ask("d" + std::to_string(i) + ".example");
    processPendingEvents();
    queries.CancelAll();
    EXPECT_EQ(queries.Pending(), 0);
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(50);
    waitUntil([&] { return clock.elapsed() > 300; });
    EXPECT_EQ(answers, 0);
}

} // namespace
