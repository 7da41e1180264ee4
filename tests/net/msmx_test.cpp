#include "fixtures/dns_server.h"
#include "fixtures/fake_dns_server.h"
#include "net/errors.h"
#include "net/msmx.h"
#include "net/msmx_message.h"

#include <QTimer>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <set>

using namespace tw;
using namespace tw::test;

namespace {

std::vector<std::string> exchangesOf(const TMXList &list)
{
    std::vector<std::string> result;
    for (int i = 0; i < list.Count(); ++i)
        result.push_back(std::to_string(list[i].Preference) + " " + list[i].Exchange);
    return result;
}

// Runs Resolve and returns the error text, or "" when it succeeded.
template <typename Error>
std::string errorOf(TmsMXResolver &resolver)
{
    try {
        resolver.Resolve();
    } catch (const Error &e) {
        return e.what();
    }
    return "";
}

void pointAt(TmsMXResolver &resolver, uint16_t port, const std::string &domain)
{
    resolver.DNSAddress = "127.0.0.1";
    resolver.Port = port;
    resolver.Domain = domain;
    resolver.setTimeOut(5);
}

} // namespace

TEST(MXQuery, ExampleOrgIsTheTwentyNineByteDatagram)
{
    const std::string expected = std::string("\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00", 12) +
                                 "\x07" "example" "\x03" "org" + std::string("\x00\x00\x0f\x00\x01", 5);
    EXPECT_EQ(buildMXQuery(0x1234, "example.org"), expected);
    EXPECT_EQ(buildMXQuery(0x1234, "example.org."), expected); // a fully qualified name is the same name
}

TEST(MXQuery, NamesNoServerCanHoldAreRefusedBeforeSending)
{
    for (const std::string &name : std::vector<std::string>{"", ".", "example..org", ".example.org", std::string(64, 'a') + ".org",
                                   std::string(130, 'a') + "." + std::string(130, 'b')}) {
        try {
            encodeQueryName(name);
            ADD_FAILURE() << "accepted: " << name;
        } catch (const EResolverError &e) {
            EXPECT_STREQ(e.what(), "Domain name does not exist") << name;
        }
    }
    EXPECT_EQ(encodeQueryName(std::string(63, 'a')).size(), 65u);
}

TEST(MXList, SortsByPreferenceWithoutSwappingEquals)
{
    TMXList list;
    list.Add(20, "a.");
    list.Add(10, "b.");
    list.Add(10, "c.");
    list.Add(5, "d.");
    list.Sort();
    EXPECT_EQ(exchangesOf(list), (std::vector<std::string>{"5 d.", "10 c.", "10 b.", "20 a."}));

    TMXList twoEqualAfterAHigher;
    twoEqualAfterAHigher.Add(20, "a.");
    twoEqualAfterAHigher.Add(10, "b.");
    twoEqualAfterAHigher.Add(10, "c.");
    twoEqualAfterAHigher.Sort();
    EXPECT_EQ(exchangesOf(twoEqualAfterAHigher), (std::vector<std::string>{"10 b.", "10 c.", "20 a."}));
}

TEST(QuerySpec, FieldsOfTheFlagsWord)
{
    const TQuerySpec flags(0x8583); // QR, opcode 0, AA, RD, RA, RCODE 3
    EXPECT_TRUE(flags.QR());
    EXPECT_EQ(flags.Opcode(), 0);
    EXPECT_TRUE(flags.AA());
    EXPECT_FALSE(flags.TC());
    EXPECT_TRUE(flags.RD());
    EXPECT_TRUE(flags.RA());
    EXPECT_EQ(flags.RCODE(), 3);
    TQuerySpec built;
    built.setOpcode(2);
    built.setTC(true);
    EXPECT_EQ(built.Flags, 0x1200);
}

// Replies that a real server will not send, played by the scripted server.
struct ReplyCase {
    const char *name;
    std::function<std::string(const std::string &query)> reply;
    std::string error;                   // "" when Resolve must succeed
    std::vector<std::string> exchanges;  // on success
};

TEST(MXResolverAgainstScriptedServer, RepliesAndTheirOutcome)
{
    const std::string owner = pointerTo(DnsReplyBuilder::kQuestionOffset);
    const std::vector<ReplyCase> cases = {
        {"cname before two mx, names compressed",
         [&](const std::string &q) {
             return DnsReplyBuilder(q)
                 .answer(owner, 5, wireName("mail.example.org"))
                 .mx(owner, 20, "\x03" "mx2" + owner)
                 .mx(owner, 10, "\x03" "mx1" + owner)
                 .bytes();
         },
         "", {"10 mx1.example.org.", "20 mx2.example.org."}},
        {"no answers", [](const std::string &q) { return DnsReplyBuilder(q).bytes(); }, "", {}},
        {"wrong id", [](const std::string &q) {
             DnsReplyBuilder reply(q);
             const uint16_t id = static_cast<uint16_t>((static_cast<uint8_t>(q[0]) << 8 | static_cast<uint8_t>(q[1])) ^ 1);
             return reply.id(id).mx(pointerTo(12), 10, wireName("mx.example.org")).bytes();
         },
         "IDs in the query and response are different", {}},
        {"qr bit 0", [](const std::string &q) { return DnsReplyBuilder(q).flags(0x0180).bytes(); },
         "This is not a response", {}},
        {"rcode 1", [](const std::string &q) { return DnsReplyBuilder(q).rcode(1).bytes(); },
         "Domain server was unable to interpret a query", {}},
        {"rcode 2", [](const std::string &q) { return DnsReplyBuilder(q).rcode(2).bytes(); },
         "Domain server failure", {}},
        {"rcode 3", [](const std::string &q) { return DnsReplyBuilder(q).rcode(3).bytes(); },
         "Domain name does not exist", {}},
        {"rcode 4", [](const std::string &q) { return DnsReplyBuilder(q).rcode(4).bytes(); },
         "Not implemented", {}},
        {"rcode 5", [](const std::string &q) { return DnsReplyBuilder(q).rcode(5).bytes(); },
         "Domain server refused to return the information", {}},
        {"rcode 6", [](const std::string &q) { return DnsReplyBuilder(q).rcode(6).bytes(); },
         "Domain server Error #6", {}},
        {"rcode 15", [](const std::string &q) { return DnsReplyBuilder(q).rcode(15).bytes(); },
         "Domain server Error #15", {}},
        {"shorter than a header", [](const std::string &q) { return q.substr(0, 7); },
         "Server returned invalid reply", {}},
        {"answer cut off", [&](const std::string &q) {
             const std::string whole = DnsReplyBuilder(q).mx(owner, 10, wireName("mx.example.org")).bytes();
             return whole.substr(0, whole.size() - 5);
         },
         "Server returned invalid reply", {}},
        {"more answers counted than sent", [&](const std::string &q) {
             return DnsReplyBuilder(q).mx(owner, 10, wireName("mx.example.org")).answerCount(2).bytes();
         },
         "Server returned invalid reply", {}},
        {"pointer to itself", [&](const std::string &q) {
             // the answer's owner starts right after the question (offset 29)
             return DnsReplyBuilder(q).mx(pointerTo(29), 10, wireName("mx.example.org")).bytes();
         },
         "Server returned invalid reply", {}},
        {"two names pointing at each other", [&](const std::string &q) {
             // owner at 29: label "a" then a pointer to 33, which points back to 29
             return DnsReplyBuilder(q).mx("\x01" "a" + pointerTo(33) + pointerTo(29), 10, wireName("mx.example.org")).bytes();
         },
         "Server returned invalid reply", {}},
        {"pointer past the end", [&](const std::string &q) {
             return DnsReplyBuilder(q).mx(owner, 10, pointerTo(0x3FFF)).bytes();
         },
         "Server returned invalid reply", {}},
        {"label longer than the message", [&](const std::string &q) {
             return DnsReplyBuilder(q).mx(owner, 10, "\x3f" "short").bytes();
         },
         "Server returned invalid reply", {}},
        {"mx data longer than its record says", [&](const std::string &q) {
             return DnsReplyBuilder(q).answer(owner, 15, word16(10) + "\x02" "mx").raw(std::string("\x00", 1)).bytes();
         },
         "Server returned invalid reply", {}},
        {"truncated flag, whole records parsed", [&](const std::string &q) {
             return DnsReplyBuilder(q).flags(0x8380).mx(owner, 10, wireName("mx.example.org")).bytes();
         },
         "", {"10 mx.example.org."}},
    };

    for (const ReplyCase &c : cases) {
        SCOPED_TRACE(c.name);
        FakeDnsServer server([&](const std::string &q) { return std::optional<std::string>(c.reply(q)); });
        TmsMXResolver resolver;
        pointAt(resolver, server.port(), "example.org");
        const std::string error = errorOf<EResolverError>(resolver);
        EXPECT_EQ(error, c.error);
        if (c.error.empty()) {
            EXPECT_EQ(exchangesOf(resolver.MXList), c.exchanges);
        }
        EXPECT_EQ(server.queries().size(), 1u); // never repeated
    }
}

TEST(MXResolverAgainstScriptedServer, LargeReplyIsReadWholeWithFarPointers)
{
    // A 301-byte TXT record first pushes the first exchange name beyond
    // offset 255; 79 more MX records point at its "example.org" part and make
    // the reply far longer than 1024 bytes.
    FakeDnsServer server([](const std::string &q) {
        DnsReplyBuilder reply(q);
        reply.answer(pointerTo(12), 16, char(255) + std::string(255, 't') + char(44) + std::string(44, 'u'));
        reply.mx(pointerTo(12), 1000, wireName("mx0.example.org")); // record at 342, name at 356
        const uint16_t exampleOrg = 356 + 4;
        for (int i = 1; i < 80; ++i)
            reply.mx(pointerTo(12), static_cast<uint16_t>(1000 - i), "\x02" "mx" + pointerTo(exampleOrg));
        return std::optional<std::string>(reply.bytes());
    });
    TmsMXResolver resolver;
    pointAt(resolver, server.port(), "example.org");
    ASSERT_NO_THROW(resolver.Resolve());
    ASSERT_EQ(resolver.MXList.Count(), 80);
    EXPECT_EQ(resolver.MXList[0].Preference, 921);
    EXPECT_EQ(resolver.MXList[0].Exchange, "mx.example.org.");
    EXPECT_EQ(resolver.MXList[79].Exchange, "mx0.example.org.");
}

TEST(MXResolverAgainstScriptedServer, EachQueryHasItsOwnIdAndTheEventsComeInOrder)
{
    FakeDnsServer server([](const std::string &q) { return std::optional<std::string>(DnsReplyBuilder(q).bytes()); });
    TmsMXResolver resolver;
    pointAt(resolver, server.port(), "example.org");
    std::vector<std::string> events;
    resolver.OnSendingQuery = [&](TmsMXResolver &) { events.push_back("sending"); };
    resolver.OnWaitingForResponse = [&](TmsMXResolver &) { events.push_back("waiting"); };
    resolver.OnClosingConnection = [&](TmsMXResolver &) { events.push_back("closing"); };
    for (int i = 0; i < 4; ++i)
        resolver.Resolve();
    EXPECT_EQ(events.size(), 12u);
    EXPECT_EQ((std::vector<std::string>(events.begin(), events.begin() + 3)),
              (std::vector<std::string>{"sending", "waiting", "closing"}));
    std::set<std::string> ids;
    for (const std::string &query : server.queries())
        ids.insert(query.substr(0, 2));
    EXPECT_GT(ids.size(), 1u);
    EXPECT_EQ(resolver.Domain, "example.org");
}

TEST(MXResolverAgainstScriptedServer, SilentServerTimesOutAndCancelEndsTheWait)
{
    FakeDnsServer server([](const std::string &) { return std::nullopt; });
    TmsMXResolver resolver;
    pointAt(resolver, server.port(), "example.org");
    resolver.setTimeOut(1);
    bool closed = false;
    resolver.OnClosingConnection = [&](TmsMXResolver &) { closed = true; };
    EXPECT_EQ(errorOf<ETimedOutError>(resolver), "Operation timed out");
    EXPECT_TRUE(closed);

    resolver.setTimeOut(30);
    QTimer::singleShot(100, [&] { resolver.Cancel(); });
    EXPECT_EQ(errorOf<ECanceledError>(resolver), "Operation has been canceled");
    EXPECT_EQ(server.queries().size(), 2u);
}

TEST(MXResolver, UnreachablePortWaitsForTheTimeOut)
{
    // The refusal notice may be a passing state of the network; only the
    // time-out ends the wait.
    uint16_t closedPort = 0;
    {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        closedPort = probe.localPort();
    }
    TmsMXResolver resolver;
    pointAt(resolver, closedPort, "example.org");
    resolver.setTimeOut(1);
    EXPECT_EQ(errorOf<ETimedOutError>(resolver), "Operation timed out");
}

TEST(MXResolver, ServerAddressMustBeDottedIPv4)
{
    TmsMXResolver resolver;
    resolver.setTimeOut(1);
    for (const std::string address : {"", "localhost", "127.0.0", "127.0.0.1.", "::1"}) {
        resolver.DNSAddress = address;
        resolver.Domain = "example.org";
        EXPECT_THROW(resolver.Resolve(), ESocketError) << address;
    }
}

TEST(MXResolverAgainstDnsmasq, MixedPreferencesNoMxAndNoSuchDomain)
{
    DnsmasqServer dns("test", {
                                  "--mx-host=mixed.test,mx20.mixed.test,20",
                                  "--mx-host=mixed.test,mx5.mixed.test,5",
                                  "--mx-host=mixed.test,mx10.mixed.test,10",
                                  "--host-record=plain.test,127.0.0.5",
                              });
    ASSERT_TRUE(dns.started()) << dns.log();
    TmsMXResolver resolver;

    pointAt(resolver, dns.port(), "mixed.test");
    ASSERT_NO_THROW(resolver.Resolve());
    EXPECT_EQ(exchangesOf(resolver.MXList),
              (std::vector<std::string>{"5 mx5.mixed.test.", "10 mx10.mixed.test.", "20 mx20.mixed.test."}));

    pointAt(resolver, dns.port(), "plain.test"); // exists, no mail exchanger
    ASSERT_NO_THROW(resolver.Resolve());
    EXPECT_EQ(resolver.MXList.Count(), 0);

    pointAt(resolver, dns.port(), "missing.test");
    EXPECT_EQ(errorOf<EResolverError>(resolver), "Domain name does not exist");
}
