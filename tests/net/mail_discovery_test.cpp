// Discovery from an address against dnsmasq with SRV, MX and address
// records and scripted servers on loopback ports for the guess: each kind
// of address gives exactly its settings, in the order of preference, and
// the guess's probe sends nothing but CAPABILITY or CAPA.
#include "fixtures/dns_server.h"
#include "fixtures/fake_dns_server.h"
#include "fixtures/fake_tcp_server.h"
#include "fixtures/test_certificates.h"
#include "net/mail_discovery.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

// One server as a line, so a difference shows at a glance.
std::string describe(const TDiscoveredServer &s)
{
    std::string line = std::string(protocolName(s.protocol)) + " " + s.serverSetting() + " " +
                       securityName(s.security) + " " + signInName(s.signIn);
    if (!s.oauthProvider.empty())
        line += "(" + s.oauthProvider + ")";
    line += " as " + s.userName + " from " + sourceName(s.source);
    if (!s.providerName.empty())
        line += " [" + s.providerName + "]";
    return line;
}

std::vector<std::string> describe(const TDiscoveryResult &result)
{
    std::vector<std::string> lines;
    for (const TDiscoveredServer &server : result.servers)
        lines.push_back(describe(server));
    return lines;
}

// A loopback port where nothing listens.
uint16_t closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

std::string port(const FakeTcpServer &server) { return std::to_string(server.port()); }

TEST(MailDiscovery, EachKindOfAddressGivesItsExactSettings)
{
    TestCertificates certificates;
    const CertificateFiles local = certificates.make("local", {"127.0.0.1"});
    ASSERT_TRUE(certificates.ok() && local.ok()) << certificates.failure();
    // The guess: an IMAP server with STARTTLS on guess.test, one over TLS
    // on tls.test, and POP3 with STLS on pop.tls.test.
    FakeTcpServer imapStartTls, imapTls, pop3;
    imapStartTls.sendLine("* OK [CAPABILITY IMAP4rev1 STARTTLS LOGINDISABLED] ready");
    imapStartTls.expectClose();
    ASSERT_TRUE(imapTls.useCertificate(local));
    imapTls.startTls();
    imapTls.sendLine("* OK ready");
    imapTls.expectClose();
    pop3.sendLine("+OK POP3 ready");
    pop3.expect("CAPA");
    pop3.sendLine("+OK Capability list follows");
    pop3.sendLine("TOP");
    pop3.sendLine("STLS");
    pop3.sendLine(".");
    pop3.expectClose();

    DnsmasqServer dns("test", {
                                  // SRV only: two IMAP servers by priority and weight, STARTTLS
                                  // not offered ("."), POP3 over TLS.
                                  "--srv-host=_imaps._tcp.srv.test,imap2.srv.test,993,10,50",
                                  "--srv-host=_imaps._tcp.srv.test,imap.srv.test,9993,0,5",
                                  "--srv-host=_imaps._tcp.srv.test,backup.srv.test,993,0,1",
                                  "--srv-host=_imap._tcp.srv.test",
                                  "--srv-host=_pop3s._tcp.srv.test,pop.srv.test,995,0,0",
                                  // An SRV record that points at a known provider's server.
                                  "--srv-host=_imaps._tcp.vanity.test,imap.gmail.com,993,0,0",
                                  // Hosted at Google, and at Microsoft.
                                  "--mx-host=hosted.test,alt1.aspmx.l.google.com,10",
                                  "--mx-host=corp.test,mx.other.test,5",
                                  "--mx-host=corp.test,corp-test.mail.protection.outlook.com,10",
                                  // Guesses.
                                  "--host-record=imap.guess.test,127.0.0.1",
                                  "--host-record=mail.tls.test,127.0.0.1",
                                  "--host-record=pop.tls.test,127.0.0.1",
                                  // A domain with an MX nobody knows and nothing to guess.
                                  "--mx-host=nothing.test,mx.nothing.test,10",
                              });
    ASSERT_TRUE(dns.started()) << dns.log();

    const uint16_t closed = closedPort();
    struct Case {
        const char *name;
        std::string address;
        TProbePorts ports;
        std::vector<std::string> servers;
    } cases[] = {
        {"a known provider", " Ann@GMail.com ", {},
         {"IMAP imap.gmail.com:993 TLS OAuth2(Google) as Ann@gmail.com from provider table [Gmail]",
          "POP3 pop.gmail.com:995 TLS OAuth2(Google) as Ann@gmail.com from provider table [Gmail]"}},
        {"iCloud: IMAP only, the name before @", "ann@icloud.com", {},
         {"IMAP imap.mail.me.com:993 TLS app password as ann from provider table [iCloud]"}},
        {"Proton Mail through its Bridge", "ann@proton.me", {},
         {"IMAP 127.0.0.1:1143 STARTTLS app password as ann@proton.me from provider table [Proton Mail Bridge]"}},
        {"SRV records only", "bob@srv.test", {},
         {"IMAP imap.srv.test:9993 TLS password as bob@srv.test from SRV record",
          "IMAP backup.srv.test:993 TLS password as bob@srv.test from SRV record",
          "IMAP imap2.srv.test:993 TLS password as bob@srv.test from SRV record",
          "POP3 pop.srv.test:995 TLS password as bob@srv.test from SRV record"}},
        {"an SRV record pointing at a known provider", "bob@vanity.test", {},
         {"IMAP imap.gmail.com:993 TLS OAuth2(Google) as bob@vanity.test from SRV record [Gmail]"}},
        {"MX at Google", "carol@hosted.test", {},
         {"IMAP imap.gmail.com:993 TLS OAuth2(Google) as carol@hosted.test from MX record [Google Workspace]",
          "POP3 pop.gmail.com:995 TLS OAuth2(Google) as carol@hosted.test from MX record [Google Workspace]"}},
        {"MX at Microsoft after an unknown one", "dave@corp.test", {},
         {"IMAP outlook.office365.com:993 TLS OAuth2(Microsoft) as dave@corp.test from MX record [Microsoft 365]",
          "POP3 outlook.office365.com:995 TLS OAuth2(Microsoft) as dave@corp.test from MX record [Microsoft 365]"}},
        {"a guess confirmed on the STARTTLS port", "erin@guess.test", {closed, imapStartTls.port(), closed, closed},
         {"IMAP imap.guess.test:" + port(imapStartTls) + " STARTTLS password as erin@guess.test from guess"}},
        {"guesses over TLS and POP3 with STLS", "fred@tls.test", {imapTls.port(), closed, closed, pop3.port()},
         {"IMAP mail.tls.test:" + port(imapTls) + " TLS password as fred@tls.test from guess",
          "POP3 pop.tls.test:" + port(pop3) + " STARTTLS password as fred@tls.test from guess"}},
        {"nothing found", "gina@nothing.test", {closed, closed, closed, closed}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TDiscoveryOptions options;
        options.dns = {"127.0.0.1", dns.port()};
        options.probePorts = c.ports;
        std::vector<std::string> steps;
        options.onStep = [&](const std::string &step) { steps.push_back(step); };

        const TDiscoveryResult result = discoverMailSettings(c.address, options);

        EXPECT_EQ(describe(result), c.servers);
        EXPECT_TRUE(result.notes.empty()) << result.notes.front();
        EXPECT_FALSE(steps.empty());
    }
    for (FakeTcpServer *server : {&imapStartTls, &imapTls, &pop3})
        server->verify(); // each probe read the greeting (and CAPA) and hung up
}

TEST(MailDiscovery, AnAddressItCannotUseOrADnsServerThatIsSilentIsANote)
{
    TDiscoveryOptions options;
    options.dns = {"127.0.0.1", closedPort()}; // nobody answers there
    options.dnsTimeOutSeconds = 1;
    struct Case {
        std::string address, note;
    } cases[] = {
        {"ann", "\"ann\" is not an e-mail address (name@example.org)."},
        {"ann@localhost", "\"ann@localhost\" is not an e-mail address (name@example.org)."},
        {"ann smith@example.org", "\"ann smith@example.org\" is not an e-mail address (name@example.org)."},
        {"", "Type the e-mail address of the mailbox."},
        {"ann@unknown.test",
         "The DNS server 127.0.0.1 did not answer, so unknown.test could not be looked up in DNS."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address);
        const TDiscoveryResult result = discoverMailSettings(c.address, options);
        EXPECT_FALSE(result.found());
        EXPECT_EQ(result.notes, std::vector<std::string>{c.note});
    }
}

TEST(MailDiscovery, ADnsServerInTroubleIsNotedOnce)
{
    FakeDnsServer failing([](const std::string &query) { return DnsReplyBuilder(query).rcode(2).bytes(); });
    TDiscoveryOptions options;
    options.dns = {"127.0.0.1", failing.port()};
    options.guess = false;
    const TDiscoveryResult result = discoverMailSettings("ann@trouble.test", options);
    EXPECT_FALSE(result.found());
    EXPECT_EQ(result.notes, std::vector<std::string>{"The DNS server 127.0.0.1 did not answer every question about "
                                                     "trouble.test: Domain server failure."});
    EXPECT_EQ(failing.queries().size(), 5u); // four SRV names and the MX; no guess
}

TEST(MailDiscovery, ACancelEndsTheSearchWithANote)
{
    TDiscoveryOptions options;
    options.dns = {"127.0.0.1", closedPort()};
    options.canceled = [] { return true; };
    const TDiscoveryResult result = discoverMailSettings("ann@unknown.test", options);
    EXPECT_FALSE(result.found());
    EXPECT_EQ(result.notes, std::vector<std::string>{"The search was canceled."});
}

} // namespace
