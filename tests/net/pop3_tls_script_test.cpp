// How the POP3 client secures a session, against scripted servers that can
// turn TLS on at any point of their dialogue: the password never goes out
// before TLS when the mailbox's security asks for it, and a refused
// certificate ends the connection with nothing sent through it.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/raised.h"
#include "fixtures/test_certificates.h"
#include "net/errors.h"
#include "net/mspop3.h"
#include "net/tls_policy.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

class Pop3TlsScript : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        certificates = new TestCertificates;
        local = certificates->make("local", {"127.0.0.1", "localhost"});
        selfSigned = certificates->make("self", {"127.0.0.1"}, TestCertificates::Signer::Self);
        certificates->trustAuthority();
    }
    static void TearDownTestSuite() { delete certificates; }

    void SetUp() override
    {
        ASSERT_TRUE(certificates->ok()) << certificates->failure();
        ASSERT_TRUE(local.ok() && selfSigned.ok()) << certificates->failure();
        pop.UserName = "ann";
        pop.Password = "pw";
        pop.SetTimeOut(5);
    }
    void connectTo(FakeTcpServer &server, const CertificateFiles &certificate)
    {
        ASSERT_TRUE(server.useCertificate(certificate));
        pop.Server = server.hostAndPort();
    }
    // The sign-in and an empty listing; CAPA first unless it was read
    // already (inside TLS after STLS).
    static void scriptCredentials(FakeTcpServer &server, bool capaFirst = true)
    {
        if (capaFirst) {
            server.expect("CAPA");
            server.sendLine("-ERR what?");
        }
        server.expect("USER ann");
        server.sendLine("+OK");
        server.expect("PASS pw");
        server.sendLine("+OK");
        server.expect("STAT");
        server.sendLine("+OK 0 0");
        server.expect("QUIT");
        server.sendLine("+OK bye");
    }
    static bool sent(const FakeTcpServer &server, const std::string &prefix)
    {
        return std::any_of(server.received().begin(), server.received().end(),
                           [&](const std::string &line) { return line.rfind(prefix, 0) == 0; });
    }

    static inline TestCertificates *certificates = nullptr;
    static inline CertificateFiles local, selfSigned;
    TmsRemotePOP pop;
};

TEST_F(Pop3TlsScript, StartTlsComesBeforeTheCredentialsAndCapabilitiesAreReadAgainInsideTls)
{
    FakeTcpServer server;
    connectTo(server, local);
    server.sendLine("+OK ready");
    server.expect("CAPA");
    server.send("+OK\r\nTOP\r\nSTLS\r\n.\r\n");
    server.expect("STLS");
    server.sendLine("+OK begin TLS");
    server.startTls();
    server.expect("CAPA");
    server.send("+OK\r\nTOP\r\nPIPELINING\r\nUIDL\r\n.\r\n");
    scriptCredentials(server, false);
    pop.Security = TPop3Security::STARTTLS;

    pop.UpdateInfo();

    EXPECT_TRUE(pop.SessionEncrypted());
    EXPECT_TRUE(pop.Capabilities().has("pipelining"));
    EXPECT_FALSE(pop.Capabilities().has("STLS")); // the list from inside TLS
}

TEST_F(Pop3TlsScript, OnlySuitesWithForwardSecrecyAndAuthenticatedEncryptionAreAccepted)
{
    const struct {
        QSsl::SslProtocol protocol;
        const char *ciphers;
        bool accepted;
    } offers[] = {
        {QSsl::TlsV1_3, "", true},
        {QSsl::TlsV1_2, "ECDHE-ECDSA-AES128-GCM-SHA256", true},
        {QSsl::TlsV1_2, "ECDHE-ECDSA-AES256-GCM-SHA384", true},
        {QSsl::TlsV1_2, "ECDHE-ECDSA-CHACHA20-POLY1305", true},
        {QSsl::TlsV1_2, "ECDHE-ECDSA-AES128-SHA", false},    // CBC with SHA-1
        {QSsl::TlsV1_2, "ECDHE-ECDSA-AES256-SHA384", false}, // CBC
    };
    for (const auto &offer : offers) {
        SCOPED_TRACE(std::string(offer.ciphers) + (offer.protocol == QSsl::TlsV1_3 ? "TLS 1.3" : ""));
        FakeTcpServer server;
        connectTo(server, local);
        server.offerTls(offer.protocol, offer.ciphers);
        server.startTls();
        if (offer.accepted) {
            server.sendLine("+OK ready");
            scriptCredentials(server);
        }
        pop.Security = TPop3Security::TLS;
        if (offer.accepted) {
            pop.UpdateInfo();
            EXPECT_TRUE(pop.SessionEncrypted());
        } else {
            EXPECT_THROW(pop.UpdateInfo(), ESocketError);
            EXPECT_FALSE(sent(server, "USER"));
        }
        pop.Close();
    }
}

TEST(TlsPolicy, SuitesWithoutForwardSecrecyOrWithoutAuthenticatedEncryptionAreRefused)
{
    const struct {
        const char *name;
        bool accepted;
    } suites[] = {
        {"TLS_AES_128_GCM_SHA256", true},
        {"TLS_CHACHA20_POLY1305_SHA256", true},
        {"ECDHE-RSA-AES256-GCM-SHA384", true},
        {"DHE-RSA-AES128-GCM-SHA256", true},
        {"ECDHE-RSA-CHACHA20-POLY1305", true},
        {"AES128-GCM-SHA256", false},       // static RSA key exchange: no forward secrecy
        {"AES256-SHA", false},
        {"ECDHE-RSA-AES128-SHA", false},    // CBC with SHA-1
        {"DHE-RSA-AES256-SHA256", false},   // CBC
        {"ECDHE-PSK-CHACHA20-POLY1305", false}, // a pre-shared key, no certificate
    };
    int known = 0;
    for (const auto &suite : suites) {
        const QSslCipher cipher(QString::fromLatin1(suite.name));
        if (cipher.isNull())
            continue; // not built into this TLS library
        ++known;
        EXPECT_EQ(isAcceptedCipher(cipher), suite.accepted) << suite.name;
    }
    EXPECT_GE(known, 6);
    const QSslConfiguration limited = withTlsPolicy(QSslConfiguration::defaultConfiguration());
    EXPECT_EQ(limited.protocol(), QSsl::TlsV1_2OrLater);
    for (const QSslCipher &cipher : limited.ciphers())
        EXPECT_TRUE(isAcceptedCipher(cipher)) << cipher.name().toStdString();
}

TEST_F(Pop3TlsScript, ImplicitTlsSpeaksOnlyThroughTheHandshake)
{
    FakeTcpServer server;
    connectTo(server, local);
    server.startTls();
    server.sendLine("+OK ready");
    scriptCredentials(server);
    pop.Security = TPop3Security::TLS;

    pop.UpdateInfo();

    EXPECT_TRUE(pop.SessionEncrypted());
}

TEST_F(Pop3TlsScript, AutomaticWithoutStlsIsAnUnencryptedSession)
{
    FakeTcpServer server;
    connectTo(server, local);
    server.sendLine("+OK ready");
    server.expect("CAPA");
    server.sendLine("-ERR what?");
    scriptCredentials(server, false);
    pop.Security = TPop3Security::Automatic;
    int unencrypted = 0;
    pop.OnPlainTextSignIn = [](QObject *, std::string &) { return true; };
    pop.OnUnencryptedSignIn = [&](QObject *) { ++unencrypted; };

    pop.UpdateInfo();

    EXPECT_FALSE(pop.SessionEncrypted());
    EXPECT_TRUE(pop.Capabilities().empty());
    EXPECT_EQ(unencrypted, 1);
}

TEST_F(Pop3TlsScript, StartTlsThatCannotHappenEndsBeforeThePassword)
{
    struct Case {
        const char *name;
        const char *capaReply;  // the whole answer to CAPA
        const char *stlsReply;  // nullptr: STLS is not sent
        const char *error;
    } cases[] = {
        {"not offered", "+OK\r\nTOP\r\nUIDL\r\n.\r\n", nullptr,
         "The server does not offer STARTTLS (STLS), so the connection cannot be encrypted; the password was not "
         "sent. Choose another security for this mailbox or ask your provider which port to use."},
        {"no CAPA", "-ERR unknown command\r\n", nullptr,
         "The server does not offer STARTTLS (STLS), so the connection cannot be encrypted; the password was not "
         "sent. Choose another security for this mailbox or ask your provider which port to use."},
        {"refused", "+OK\r\nSTLS\r\n.\r\n", "-ERR TLS is broken today",
         "The server refused STARTTLS: \"-ERR TLS is broken today\". The password was not sent."},
        {"answered with more than its answer", "+OK\r\nSTLS\r\n.\r\n", "+OK begin TLS\r\n+OK injected",
         "The server sent more than its answer to STLS before the TLS handshake, so the connection cannot be "
         "trusted. The password was not sent."},
    };
    // Neither a password nor an access token goes out: the server lists
    // every mechanism, and the token is at hand before connecting.
    for (const TSignInMethod method : {TSignInMethod::Password, TSignInMethod::OAuthCommand})
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (signsInWithToken(method) ? ", token" : ", password"));
            FakeTcpServer server;
            connectTo(server, local);
            server.sendLine("+OK ready");
            server.expect("CAPA");
            server.send(std::string(c.capaReply) == "+OK\r\nTOP\r\nUIDL\r\n.\r\n"
                            ? "+OK\r\nTOP\r\nSASL PLAIN XOAUTH2 OAUTHBEARER\r\n.\r\n"
                            : c.capaReply);
            if (c.stlsReply) {
                server.expect("STLS");
                server.sendLine(c.stlsReply);
            }
            server.expectClose();
            std::vector<std::string> errors;
            pop.OnError = [&](QObject *, std::string &text) { errors.push_back(text); };
            pop.Security = TPop3Security::STARTTLS;
            pop.SignIn = method;
            pop.OnAccessToken = [](QObject *) { return std::string("ya29.token"); };

            EXPECT_EQ(raisedText<ESocketError>([&] { pop.UpdateInfo(); }), c.error);
            EXPECT_EQ(errors, std::vector<std::string>{c.error}); // reported once, for the log
            EXPECT_FALSE(pop.IsConnected());
            server.verify();
            EXPECT_FALSE(sent(server, "USER") || sent(server, "PASS") || sent(server, "AUTH"));
        }
}

TEST_F(Pop3TlsScript, ARefusedCertificateSendsNothingAfterTheHandshake)
{
    for (const bool trustedBefore : {false, true}) {
        SCOPED_TRACE(trustedBefore ? "another certificate was trusted" : "nothing was trusted");
        FakeTcpServer server;
        connectTo(server, selfSigned);
        server.startTls();
        server.expectClose();
        pop.Security = TPop3Security::TLS;
        pop.TrustedFingerprint = trustedBefore ? std::string(64, 'A') : std::string();
        std::vector<TCertificateProblem> asked;
        pop.OnCertificateUntrusted = [&](QObject *, const TCertificateProblem &problem) {
            asked.push_back(problem);
            return false;
        };

        const std::string error = raisedText<ECertificateError>([&] { pop.UpdateInfo(); });

        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].changed, trustedBefore);
        EXPECT_EQ(asked[0].host, "127.0.0.1");
        EXPECT_NE(asked[0].subject.find("CN=127.0.0.1"), std::string::npos) << asked[0].subject;
        EXPECT_EQ(asked[0].subject, asked[0].issuer); // self-signed
        EXPECT_EQ(normalizedFingerprint(asked[0].fingerprint), asked[0].fingerprint);
        EXPECT_FALSE(asked[0].reason.empty());
        EXPECT_NE(error.find(trustedBefore ? "has changed since it was trusted" : "was not trusted ("),
                  std::string::npos)
            << error;
        EXPECT_NE(error.find("Nothing was sent to the server."), std::string::npos) << error;
        server.verify();
        EXPECT_TRUE(server.received().empty());
    }
}

TEST_F(Pop3TlsScript, AnAcceptedCertificateIsTrustedByItsFingerprint)
{
    FakeTcpServer server;
    connectTo(server, selfSigned);
    server.startTls();
    server.sendLine("+OK ready");
    scriptCredentials(server);
    server.accept();
    server.startTls();
    server.sendLine("+OK ready");
    scriptCredentials(server);
    pop.Security = TPop3Security::TLS;
    int asked = 0;
    pop.OnCertificateUntrusted = [&](QObject *, const TCertificateProblem &) { return ++asked == 1; };

    pop.UpdateInfo();
    const std::string trusted = pop.TrustedFingerprint;
    pop.UpdateInfo(); // the same certificate again: no question

    EXPECT_EQ(asked, 1);
    EXPECT_EQ(trusted.size(), 64u);
    EXPECT_EQ(pop.TrustedFingerprint, trusted);
}

TEST(Pop3Capabilities, ReadsNamesWithoutRegardToCaseAndKeepsTheirArguments)
{
    const TPop3Capabilities capabilities =
        TPop3Capabilities::fromCapaBlock("TOP\r\nsasl PLAIN LOGIN\r\n..odd\r\nSTLS\n.\r\nAFTER\r\n");
    EXPECT_TRUE(capabilities.has("Stls"));
    EXPECT_EQ(capabilities.arguments("SASL"), "PLAIN LOGIN");
    EXPECT_TRUE(capabilities.has(".ODD"));
    EXPECT_FALSE(capabilities.has("AFTER")); // beyond the terminating line
    EXPECT_FALSE(capabilities.has("PIPELINING"));
    EXPECT_TRUE(TPop3Capabilities::fromCapaBlock(".\r\n").empty());
}

TEST(Pop3Capabilities, FingerprintsIgnoreBlanksAndColons)
{
    const std::string digits = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
    EXPECT_EQ(normalizedFingerprint(groupedFingerprint(digits)), digits);
    EXPECT_EQ(normalizedFingerprint(" 01 23:45 67 89 ab cd ef" + digits.substr(16)), digits);
    EXPECT_EQ(normalizedFingerprint(digits.substr(2)), "");    // too short
    EXPECT_EQ(normalizedFingerprint(digits + "00"), "");       // too long
    EXPECT_EQ(normalizedFingerprint("G" + digits.substr(1)), ""); // not hexadecimal
}

} // namespace
