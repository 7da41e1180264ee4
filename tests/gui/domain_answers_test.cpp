// The unknown-domain test during a real check: the queries of a listing go
// out together, rows get their marks from the answers, and a DNS server
// that never answers costs seconds and is said once instead of condemning
// every sender.
#include "fixtures/dns_server.h"
#include "fixtures/dovecot_server.h"
#include "fixtures/fake_dns_server.h"
#include "main_window_fixture.h"
#include "platform/registry.h"
#include "settings/dns_setting.h"
#include "settings/settings_store.h"

#include <QElapsedTimer>

using namespace tw;
using namespace tw::test;

namespace {

class DomainAnswersTest : public MainWindowTest {
protected:
    // Forty messages, each from a domain of its own; Unknown of them (the
    // first ones) from domains that do not exist.
    static std::vector<std::string> mailbox(int unknown)
    {
        std::vector<std::string> messages;
        for (int i = 0; i < 40; ++i)
            messages.push_back(message("Message " + std::to_string(i),
                                       "sender@" + std::string(i < unknown ? "gone" : "d") + std::to_string(i) +
                                           ".test"));
        return messages;
    }
    // Forty messages (ten from unknown domains) on a server, the test on
    // with check marks, asking the DNS server on Port; the window started.
    void startAskingDnsAt(uint16_t port)
    {
        server = std::make_unique<DovecotServer>(mailbox(10));
        ASSERT_TRUE(server->started()) << server->failure();
        storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
        storeGeneral();
        SpamTestSettings tests = readSpamTestSettings();
        tests.cbValid = true;
        tests.rbCheck = true;
        saveSpamTestSettings(tests);
        Registry().writeString(std::string(kMainKey) + "\\General", kDnsServerName,
                               "127.0.0.1:" + std::to_string(port));
        start();
    }

    std::unique_ptr<DovecotServer> server;
};

TEST_F(DomainAnswersTest, TheMarksComeFromTheAnswersOfQueriesSentTogether)
{
    std::vector<std::string> records;
    for (int i = 10; i < 40; ++i)
        records.push_back("--mx-host=d" + std::to_string(i) + ".test,mx.d" + std::to_string(i) + ".test,10");
    DnsmasqServer dns("test", records);
    ASSERT_TRUE(dns.started()) << dns.log();
    ASSERT_NO_FATAL_FAILURE(startAskingDnsAt(dns.port()));

    window->btListClick();

    ASSERT_EQ(rows(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(window->messages.row(i).mark, i < 10 ? mark::CheckMark : mark::None) << i;
    EXPECT_EQ(spam.tests.edUnknown, "10");
    EXPECT_EQ(logCount("ERROR"), 0);
    EXPECT_EQ(window->status().find("DNS"), std::string::npos) << window->status();
}

TEST_F(DomainAnswersTest, ASilentDnsServerIsSaidOnceAndCondemnsNobody)
{
    FakeDnsServer dns([](const std::string &) -> std::optional<std::string> { return std::nullopt; });
    ASSERT_NO_FATAL_FAILURE(startAskingDnsAt(dns.port()));
    window->MXQueries.TimeOut = 1; // the program's five seconds, shortened for the test

    QElapsedTimer clock;
    clock.start();
    window->btListClick();

    // One round of queries and their retries, not a time-out per domain.
    EXPECT_LT(clock.elapsed(), 15000);
    ASSERT_EQ(rows(), 40);
    EXPECT_EQ(window->messages.markedCount(), 0);
    EXPECT_EQ(spam.tests.edUnknown, "0");
    EXPECT_EQ(logCount("ERROR The DNS server 127.0.0.1 does not answer, so the unknown-domain test is skipped "
                       "for this check. FOR tester ON "),
              1)
        << log();
    EXPECT_EQ(logCount("MAIL CHECK 40 msg(s)"), 1);
    EXPECT_NE(window->status().find(kDnsSkippedNote), std::string::npos) << window->status();
    // Each domain asked at most twice, and no more after the server was given up.
    EXPECT_LE(dns.queries().size(), 2u * 32u);
}

} // namespace
