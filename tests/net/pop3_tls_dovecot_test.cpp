// The POP3 client's security choices against a real server: Dovecot with a
// certificate from a throwaway authority, implicit TLS on one port and STLS
// on the other.
#include "fixtures/dovecot_server.h"
#include "fixtures/raised.h"
#include "fixtures/test_certificates.h"
#include "net/errors.h"
#include "net/mspop3.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTcpServer>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kMessage = "From: a@example.org\r\nSubject: over TLS\r\n\r\nBody\r\n";
const std::string kNoGreeting = "The server sent no greeting - is this port for POP3 over TLS (usually port 995)? "
                                "Choose \"TLS\" as this mailbox's security.";
const std::string kNoHandshake = "The server did not answer the TLS handshake - is this port for unencrypted POP3?";

class Pop3TlsDovecot : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        certificates = new TestCertificates;
        local = certificates->make("local", {"127.0.0.1", "localhost"});
        otherHost = certificates->make("other", {"mail.example.org"});
        selfSigned = certificates->make("self", {"127.0.0.1"}, TestCertificates::Signer::Self);
        renewed = certificates->make("renewed", {"127.0.0.1"}, TestCertificates::Signer::Self);
        certificates->trustAuthority();
    }
    static void TearDownTestSuite() { delete certificates; }

    void startServer(const CertificateFiles &certificate)
    {
        ASSERT_TRUE(certificates->ok() && certificate.ok()) << certificates->failure();
        server = std::make_unique<DovecotServer>(std::vector<std::string>{kMessage}, certificate);
        ASSERT_TRUE(server->started()) << server->failure();
    }
    // A client as the program configures it, with the mailbox's security.
    std::unique_ptr<TmsRemotePOP> client(const std::string &hostAndPort, TPop3Security security)
    {
        auto pop = std::make_unique<TmsRemotePOP>();
        pop->Server = hostAndPort;
        pop->UserName = DovecotServer::UserName;
        pop->Password = DovecotServer::Password;
        pop->Security = security;
        pop->SetTimeOut(120);
        pop->GreetingTimeOut = 3;
        pop->HandshakeTimeOut = 3;
        return pop;
    }
    // The error text of a listing, "" when it listed the one message.
    static std::string listing(TmsRemotePOP &pop)
    {
        try {
            pop.UpdateInfo();
        } catch (const ETidewellError &error) {
            return error.what();
        }
        return pop.RemoteInfo().Count() == 1 ? "" : "listed " + std::to_string(pop.RemoteInfo().Count());
    }

    static inline TestCertificates *certificates = nullptr;
    static inline CertificateFiles local, otherHost, selfSigned, renewed;
    std::unique_ptr<DovecotServer> server;
};

TEST_F(Pop3TlsDovecot, EachSecurityAgainstEachPort)
{
    startServer(local);
    struct Case {
        TPop3Security security;
        bool tlsPort;
        const char *host;
        bool encrypted;      // when it lists
        std::string error;   // the start of the error text, "" when it lists
    } cases[] = {
        {TPop3Security::TLS, true, "127.0.0.1", true, ""},
        {TPop3Security::TLS, true, "localhost", true, ""},
        {TPop3Security::STARTTLS, false, "127.0.0.1", true, ""},
        {TPop3Security::STARTTLS, false, "localhost", true, ""},
        {TPop3Security::Automatic, false, "127.0.0.1", true, ""},
        {TPop3Security::None, false, "127.0.0.1", false, ""},
        // A port of the other kind: a clear text, not the two-minute time-out.
        {TPop3Security::TLS, false, "127.0.0.1", false, kNoHandshake},
        {TPop3Security::STARTTLS, true, "127.0.0.1", false, kNoGreeting},
        {TPop3Security::Automatic, true, "127.0.0.1", false, kNoGreeting}, // not port 995: plain first
        {TPop3Security::None, true, "127.0.0.1", false, kNoGreeting},
    };
    for (const Case &c : cases) {
        const std::string where = c.tlsPort ? server->tlsHostAndPort(c.host) : server->hostAndPort(c.host);
        SCOPED_TRACE("security " + std::to_string(int(c.security)) + " to " + where);
        auto pop = client(where, c.security);
        QElapsedTimer clock;
        clock.start();
        const std::string result = listing(*pop);
        EXPECT_EQ(result.substr(0, c.error.size()), c.error) << result;
        if (c.error.empty()) {
            EXPECT_EQ(pop->SessionEncrypted(), c.encrypted);
        }
        EXPECT_LT(clock.elapsed(), 30000); // far below the time-out of 120 seconds
        EXPECT_FALSE(pop->IsConnected());
    }
}

TEST_F(Pop3TlsDovecot, ASilentTlsPortIsNamedWithinSecondsAtTheProgramsSettings)
{
    startServer(local);
    TmsRemotePOP pop;
    pop.Server = server->tlsHostAndPort();
    pop.UserName = DovecotServer::UserName;
    pop.Password = DovecotServer::Password;
    pop.SetTimeOut(120);
    pop.Security = TPop3Security::None;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(raisedText<ESocketError>([&] { pop.UpdateInfo(); }), kNoGreeting);
    EXPECT_LT(clock.elapsed(), 30000);
}

TEST_F(Pop3TlsDovecot, ACertificateForAnotherHostIsNotAcceptedSilently)
{
    startServer(otherHost);
    for (const TPop3Security security : {TPop3Security::TLS, TPop3Security::STARTTLS}) {
        auto pop = client(security == TPop3Security::TLS ? server->tlsHostAndPort() : server->hostAndPort(), security);
        std::string reason;
        pop->OnCertificateUntrusted = [&](QObject *, const TCertificateProblem &problem) {
            reason = problem.reason;
            return false;
        };
        const std::string error = listing(*pop);
        EXPECT_NE(error.find("the certificate of 127.0.0.1 was not trusted"), std::string::npos) << error;
        EXPECT_NE(reason.find("host name"), std::string::npos) << reason;
        EXPECT_FALSE(pop->SessionEncrypted());
    }
}

TEST_F(Pop3TlsDovecot, ASelfSignedCertificateIsAskedAboutTrustedAndRefusedOnceItChanges)
{
    startServer(selfSigned);
    std::vector<TCertificateProblem> asked;
    bool answer = true;
    const auto check = [&](const std::string &fingerprint) {
        auto pop = client(server->hostAndPort(), TPop3Security::STARTTLS);
        pop->TrustedFingerprint = fingerprint;
        pop->OnCertificateUntrusted = [&](QObject *, const TCertificateProblem &problem) {
            asked.push_back(problem);
            return answer;
        };
        const std::string error = listing(*pop);
        return std::make_pair(error, pop->TrustedFingerprint);
    };

    const auto [firstError, trusted] = check("");
    ASSERT_EQ(firstError, "");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(asked[0].changed);
    EXPECT_EQ(trusted, asked[0].fingerprint);

    // Stored with colons and blanks, as a user may paste it.
    EXPECT_EQ(check(" " + groupedFingerprint(trusted) + " ").first, "");
    EXPECT_EQ(asked.size(), 1u) << "asked again about the trusted certificate";

    ASSERT_TRUE(server->useCertificate(renewed)) << server->failure();
    answer = false;
    const std::string changedError = check(trusted).first;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].changed);
    EXPECT_NE(asked[1].fingerprint, trusted);
    EXPECT_NE(changedError.find("has changed since it was trusted for this mailbox"), std::string::npos)
        << changedError;
    EXPECT_EQ(server->messagesLeft().size(), 1u);
}

} // namespace

TEST_F(Pop3TlsDovecot, AMessageLargerThanTheReceiveBufferArrivesWholeWithAndWithoutTls)
{
    // The connection holds at most TagSocket::MaxBufferedInput unread bytes;
    // the rest must keep flowing as it is read, through TLS too.
    startServer(local);
    std::string big = "Subject: big\r\n\r\n";
    while (big.size() < 3 * size_t(TagSocket::MaxBufferedInput))
        big += std::string(998, 'x') + "\r\n";
    server->addMessage(big);
    for (const bool tls : {false, true}) {
        SCOPED_TRACE(tls ? "TLS" : "unencrypted");
        auto pop = client(tls ? server->tlsHostAndPort() : server->hostAndPort(),
                          tls ? TPop3Security::TLS : TPop3Security::None);
        std::string saved;
        pop->OnUserMessageSave = [&](QObject *, int, const std::string &contents) { saved = contents; };
        pop->StayConnected = true;
        pop->UpdateInfo();
        ASSERT_EQ(pop->RemoteInfo().Count(), 2);
        pop->FlagForRetrieval(1);
        pop->TransferData();
        EXPECT_EQ(saved.size(), big.size() + 3);
        EXPECT_EQ(saved == big + ".\r\n", true);
    }
}

// A server that speaks only a TLS version the client refuses is told as
// such, not as a port for unencrypted POP3.
TEST(Pop3TlsVersions, AServerWithOnlyAnOldTlsVersionIsToldAsSuch)
{
    TestCertificates certificates;
    const CertificateFiles old = certificates.make("old", {"127.0.0.1"});
    ASSERT_TRUE(old.ok()) << certificates.failure();
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("openssl"),
                 {QStringLiteral("s_server"), QStringLiteral("-quiet"), QStringLiteral("-accept"),
                  QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-cert"),
                  QString::fromStdString(old.certificate), QStringLiteral("-key"), QString::fromStdString(old.key),
                  QStringLiteral("-tls1_1"), QStringLiteral("-cipher"), QStringLiteral("DEFAULT:@SECLEVEL=0")});
    ASSERT_TRUE(server.waitForStarted(5000));
    QElapsedTimer clock;
    clock.start();
    bool listening = false;
    while (!listening && clock.elapsed() < 5000 && server.state() == QProcess::Running) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        listening = socket.waitForConnected(200);
        socket.abort();
    }
    if (!listening)
        GTEST_SKIP() << "openssl cannot serve TLS 1.1 here: " << server.readAll().toStdString();

    TmsRemotePOP pop;
    pop.Server = "127.0.0.1:" + std::to_string(port);
    pop.UserName = "u";
    pop.Password = "p";
    pop.Security = TPop3Security::TLS;
    pop.HandshakeTimeOut = 5;
    const std::string error = raisedText<ETlsError>([&] { pop.UpdateInfo(); });
    EXPECT_EQ(error.rfind("The server and Tidewell have no TLS version in common", 0), 0u) << error;
    EXPECT_EQ(error.find("unencrypted POP3"), std::string::npos) << error;
    server.kill();
    server.waitForFinished(2000);
}

