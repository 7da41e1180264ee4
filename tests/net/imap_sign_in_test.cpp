// How the IMAP client begins a session: the exact LOGIN and AUTHENTICATE
// dialogues, refusals told apart (a wrong password, a server in trouble, a
// token to renew), the security steps and the downgrade protection against
// scripted servers; then the same against Dovecot, over TLS and STARTTLS
// and with every mechanism; and a token to a server that takes one unlisted.
#include "fixtures/dovecot_server.h"
#include "fixtures/imap_script.h"
#include "fixtures/oauth_server.h"
#include "fixtures/raised.h"
#include "fixtures/test_certificates.h"
#include "net/errors.h"
#include "net/imap_client.h"
#include "net/mail_providers.h"
#include "net/sasl.h"

#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kToken = "ya29.token";
const std::string kPlain = sasl::toBase64(sasl::plainResponse("ann", "pw"));

struct Client {
    explicit Client(FakeTcpServer &server, TSignInMethod method = TSignInMethod::Password)
    {
        useScript(imap, server);
        imap.Password = method == TSignInMethod::Password ? "pw" : "";
        imap.SignIn = method;
        imap.OnAccessToken = [](QObject *) { return kToken; };
        imap.OnError = [this](QObject *, std::string &text) { errors.push_back(text); };
    }
    TmsImapClient imap;
    std::vector<std::string> errors;
};

// What an action raised: its kind and its text.
template <class Action> std::string outcome(Action &&action)
{
    try {
        action();
    } catch (const ESignInError &error) {
        return std::string("sign-in: ") + error.what();
    } catch (const ELoginRefusedError &error) {
        return std::string("refused: ") + error.what();
    } catch (const EServerError &error) {
        return std::string("server: ") + error.what();
    } catch (const ETlsError &error) {
        return std::string("tls: ") + error.what();
    }
    return "signed in";
}

bool sent(const FakeTcpServer &server, const std::string &text)
{
    return std::any_of(server.received().begin(), server.received().end(),
                       [&](const std::string &line) { return line.find(text) != std::string::npos; });
}

TEST(ImapSignIn, EachServerGetsItsExactDialogue)
{
    struct Case {
        const char *name;
        TSignInMethod method;
        std::string user, password, greeting;
        ImapDialogue dialogue;
        const char *mechanism;
        const char *logoutTag;
    } cases[] = {
        {"LOGIN with quoted strings", TSignInMethod::Password, "a\"n", "p\\w", "* OK [CAPABILITY IMAP4rev1] hi",
         {{"a1 LOGIN \"a\\\"n\" \"p\\\\w\"", {"a1 OK done"}},
          {"a2 CAPABILITY", {"* CAPABILITY IMAP4rev1 MOVE", "a2 OK done"}}},
         "LOGIN", "a3"},
        {"LOGIN with an 8-bit password as a literal", TSignInMethod::Password, "ann", "pw\xc3\xa4",
         "* OK [CAPABILITY IMAP4rev1] hi",
         {{"a1 LOGIN \"ann\" {4}", {"+ go ahead"}}, {"pw\xc3\xa4", {"a1 OK [CAPABILITY IMAP4rev1] done"}}},
         "LOGIN", "a2"},
        {"LOGIN with a literal that needs no wait", TSignInMethod::Password, "ann", "pw\xc3\xa4",
         "* OK [CAPABILITY IMAP4rev1 LITERAL+] hi",
         {{"a1 LOGIN \"ann\" {4+}", {}}, {"pw\xc3\xa4", {"a1 OK [CAPABILITY IMAP4rev1] done"}}},
         "LOGIN", "a2"},
        {"PLAIN on the command line", TSignInMethod::Password, "ann", "pw",
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=PLAIN] hi",
         {{"a1 AUTHENTICATE PLAIN " + kPlain, {"* CAPABILITY IMAP4rev1 MOVE", "a1 OK done"}}},
         "PLAIN", "a2"},
        {"PLAIN after the server's go-ahead, capabilities asked first", TSignInMethod::Password, "ann", "pw",
         "* OK hi",
         {{"a1 CAPABILITY", {"* CAPABILITY IMAP4rev1 AUTH=PLAIN AUTH=GSSAPI", "a1 OK done"}},
          {"a2 AUTHENTICATE PLAIN", {"+ "}},
          {kPlain, {"* CAPABILITY IMAP4rev1 MOVE", "a2 OK done"}}},
         "PLAIN", "a3"},
        {"XOAUTH2", TSignInMethod::OAuthCommand, "ann", "",
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=PLAIN AUTH=XOAUTH2] hi",
         {{"a1 AUTHENTICATE XOAUTH2 " + sasl::toBase64(sasl::xoauth2Response("ann", kToken)),
           {"a1 OK [CAPABILITY IMAP4rev1] done"}}},
         "XOAUTH2", "a2"},
        {"signed in already", TSignInMethod::Password, "ann", "pw", "* PREAUTH [CAPABILITY IMAP4rev1] welcome", {},
         "PREAUTH", "a1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server, c.method);
        client.imap.UserName = c.user;
        client.imap.Password = c.password;
        server.sendLine(c.greeting);
        scriptImapDialogue(server, c.dialogue);
        scriptImapLogout(server, c.logoutTag);

        client.imap.OpenMailbox();
        EXPECT_EQ(client.imap.SignInMechanism(), c.mechanism);
        client.imap.CloseMailbox();

        server.verify();
        EXPECT_TRUE(client.errors.empty());
    }
}

TEST(ImapSignIn, RefusalsAreToldApart)
{
    const std::string challenge = sasl::toBase64("{\"status\":\"401\",\"schemes\":\"bearer\"}");
    struct Case {
        const char *name;
        TSignInMethod method;
        std::string greeting;
        ImapDialogue dialogue;
        std::string outcome;
    } cases[] = {
        {"a wrong password", TSignInMethod::Password, "* OK [CAPABILITY IMAP4rev1] hi",
         {{"a1 LOGIN \"ann\" \"pw\"", {"a1 NO [AUTHENTICATIONFAILED] Authentication failed."}}},
         "refused: NO [AUTHENTICATIONFAILED] Authentication failed."},
        {"a wrong password over PLAIN", TSignInMethod::Password, "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=PLAIN] hi",
         {{"a1 AUTHENTICATE PLAIN " + kPlain, {"a1 NO Authentication failed."}}},
         "refused: NO Authentication failed."},
        {"a server in trouble", TSignInMethod::Password, "* OK [CAPABILITY IMAP4rev1] hi",
         {{"a1 LOGIN \"ann\" \"pw\"", {"a1 NO [UNAVAILABLE] Try again later"}}},
         "server: NO [UNAVAILABLE] Try again later"},
        {"a server that turns the session away", TSignInMethod::Password, "* BYE Too many connections", {},
         "server: BYE Too many connections"},
        {"a refused token: sign in again", TSignInMethod::OAuthBrowser,
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] hi",
         {{"a1 AUTHENTICATE XOAUTH2 " + sasl::toBase64(sasl::xoauth2Response("ann", kToken)), {"+ " + challenge}},
          {"", {"a1 NO [AUTHENTICATIONFAILED] Invalid token"}}},
         "sign-in: The server did not accept the sign-in of ann: sign in again. (NO [AUTHENTICATIONFAILED] Invalid "
         "token {\"status\":\"401\",\"schemes\":\"bearer\"})"},
        {"no token mechanism", TSignInMethod::OAuthBrowser, "* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] hi", {},
         "sign-in: The server does not offer a sign-in with an access token (XOAUTH2 or OAUTHBEARER). Choose "
         "\"Password\" as this mailbox's sign-in, or ask your provider."},
        {"no password without encryption", TSignInMethod::Password,
         "* OK [CAPABILITY IMAP4rev1 LOGINDISABLED AUTH=GSSAPI] hi", {},
         "tls: The server takes no password over an unencrypted connection; the password was not sent. Choose "
         "\"STARTTLS\" or \"TLS\" as this mailbox's security."},
        {"a password refused before its literal went out", TSignInMethod::Password, "* OK [CAPABILITY IMAP4rev1] hi",
         {{"a1 LOGIN \"ann\" {3}", {"a1 NO Literal refused"}}},
         "refused: NO Literal refused"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server, c.method);
        if (std::string(c.name).find("literal") != std::string::npos)
            client.imap.Password = "p\xc3\xa4";
        server.sendLine(c.greeting);
        scriptImapDialogue(server, c.dialogue);
        EXPECT_EQ(outcome([&] { client.imap.OpenMailbox(); }), c.outcome);
        client.imap.Close();
        server.verify();
        EXPECT_FALSE(sent(server, "p\xc3\xa4"));
    }
}

TEST(ImapSignIn, NoSecretGoesOutWhereTheSecurityForbidsIt)
{
    struct Case {
        const char *name;
        TMailSecurity security;
        bool encryptedBefore;
        std::string greeting;
        ImapDialogue dialogue;
        std::string outcome;
    } cases[] = {
        {"STARTTLS not offered", TMailSecurity::STARTTLS, false, "* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] hi", {},
         "tls: The server does not offer STARTTLS, so the connection cannot be encrypted; the password was not sent. "
         "Choose another security for this mailbox or ask your provider which port to use."},
        {"STARTTLS refused", TMailSecurity::STARTTLS, false, "* OK [CAPABILITY IMAP4rev1 STARTTLS] hi",
         {{"a1 STARTTLS", {"a1 NO [UNAVAILABLE] not now"}}},
         "tls: The server refused STARTTLS: \"NO [UNAVAILABLE] not now\". The password was not sent."},
        {"signed in before STARTTLS could come", TMailSecurity::STARTTLS, false,
         "* PREAUTH [CAPABILITY IMAP4rev1 STARTTLS] welcome", {},
         "tls: The server signed the session in before it could be encrypted (PREAUTH), so STARTTLS cannot follow; "
         "nothing was sent. Choose another security for this mailbox."},
        {"no encryption where there was before", TMailSecurity::Automatic, true,
         "* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] hi", {},
         "sign-in: The server offers no encryption, but this mailbox's connection was encrypted before, so the "
         "password was not sent: someone may be interfering with the connection. If your provider really no longer "
         "offers encryption, choose \"None\" as this mailbox's security."},
        {"no encryption and nobody to ask", TMailSecurity::Automatic, false, "* OK [CAPABILITY IMAP4rev1] hi", {},
         "sign-in: The server offers no encryption; the password was not sent."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server);
        client.imap.Security = c.security;
        client.imap.EncryptedBefore = c.encryptedBefore;
        int unencrypted = 0;
        client.imap.OnUnencryptedSignIn = [&](QObject *) { ++unencrypted; };
        server.sendLine(c.greeting);
        scriptImapDialogue(server, c.dialogue);
        server.expectClose();
        EXPECT_EQ(outcome([&] { client.imap.OpenMailbox(); }), c.outcome);
        server.verify();
        EXPECT_FALSE(sent(server, "LOGIN") || sent(server, "AUTHENTICATE"));
        EXPECT_EQ(unencrypted, 0);
        EXPECT_EQ(client.errors, std::vector<std::string>{c.outcome.substr(c.outcome.find(": ") + 2)});
    }
}

class ImapDovecotSignIn : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        certificates = new TestCertificates;
        local = certificates->make("local", {"127.0.0.1", "localhost"});
        certificates->trustAuthority();
    }
    static void TearDownTestSuite() { delete certificates; }

    static inline TestCertificates *certificates = nullptr;
    static inline CertificateFiles local;
};

TEST_F(ImapDovecotSignIn, EachSecurityAgainstEachPort)
{
    ASSERT_TRUE(certificates->ok() && local.ok()) << certificates->failure();
    DovecotServer server({"From: a@example.org\r\nSubject: over TLS\r\n\r\nBody\r\n"}, local);
    ASSERT_TRUE(server.started()) << server.failure();
    const std::string noGreeting = "The server sent no greeting - is this port for IMAP over TLS (usually port 993)? "
                                   "Choose \"TLS\" as this mailbox's security.";
    const std::string noHandshake =
        "The server did not answer the TLS handshake - is this port for unencrypted IMAP?";
    struct Case {
        TMailSecurity security;
        bool tlsPort;
        bool encrypted;
        std::string error; // the start of the error text, "" when it lists
    } cases[] = {
        {TMailSecurity::TLS, true, true, ""},
        {TMailSecurity::STARTTLS, false, true, ""},
        {TMailSecurity::Automatic, false, true, ""},
        {TMailSecurity::None, false, false, ""},
        {TMailSecurity::TLS, false, false, noHandshake},
        {TMailSecurity::STARTTLS, true, false, noGreeting},
    };
    for (const Case &c : cases) {
        const std::string where = c.tlsPort ? server.imapsHostAndPort() : server.imapHostAndPort();
        SCOPED_TRACE("security " + std::to_string(int(c.security)) + " to " + where);
        TmsImapClient imap;
        imap.Server = where;
        imap.UserName = DovecotServer::UserName;
        imap.Password = DovecotServer::Password;
        imap.Security = c.security;
        imap.SetTimeOut(60);
        imap.GreetingTimeOut = 3;
        imap.HandshakeTimeOut = 5;
        QElapsedTimer clock;
        clock.start();
        std::string result;
        try {
            imap.UpdateInfo();
        } catch (const ETidewellError &error) {
            result = error.what();
        }
        EXPECT_EQ(result.substr(0, c.error.size()), c.error) << result;
        if (c.error.empty()) {
            EXPECT_EQ(imap.RemoteInfo().Count(), 1);
            EXPECT_EQ(imap.SessionEncrypted(), c.encrypted);
        }
        EXPECT_LT(clock.elapsed(), 30000); // far below the time-out
        EXPECT_FALSE(imap.IsConnected());
    }
}

TEST_F(ImapDovecotSignIn, EveryMechanismSignsInAndARefusedTokenAsksToSignInAgain)
{
    OAuthServer tokens(DovecotServer::UserName);
    DovecotServer everything({"Subject: signed in\r\n\r\nHello.\r\n"}, {},
                             {"plain scram-sha-1 scram-sha-256", tokens.introspectionUrl(), "xoauth2 oauthbearer"});
    DovecotServer bearerOnly({"Subject: signed in\r\n\r\nHello.\r\n"}, {},
                             {"plain", tokens.introspectionUrl(), "oauthbearer"});
    ASSERT_TRUE(everything.started()) << everything.failure();
    ASSERT_TRUE(bearerOnly.started()) << bearerOnly.failure();
    struct Case {
        const char *name;
        const DovecotServer &server;
        TSignInMethod method;
        bool liveToken;
        const char *mechanism; // nullptr: refused, "sign in again"
    } cases[] = {
        {"SCRAM-SHA-256, the strongest listed", everything, TSignInMethod::Password, true, "SCRAM-SHA-256"},
        {"XOAUTH2", everything, TSignInMethod::OAuthBrowser, true, "XOAUTH2"},
        {"OAUTHBEARER", bearerOnly, TSignInMethod::OAuthCommand, true, "OAUTHBEARER"},
        {"an expired token over XOAUTH2", everything, TSignInMethod::OAuthBrowser, false, nullptr},
        {"an expired token over OAUTHBEARER", bearerOnly, TSignInMethod::OAuthBrowser, false, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string token = tokens.issueAccessToken();
        if (!c.liveToken)
            tokens.expireAccessTokens();
        TmsImapClient imap;
        imap.Server = c.server.imapHostAndPort();
        imap.UserName = DovecotServer::UserName;
        imap.Password = signsInWithToken(c.method) ? "" : DovecotServer::Password;
        imap.SignIn = c.method;
        imap.SetTimeOut(10);
        imap.OnAccessToken = [&](QObject *) { return token; };

        const std::string error = raisedText<ESignInError>([&] { imap.UpdateInfo(); });

        if (c.mechanism) {
            EXPECT_EQ(error, "<no error>");
            EXPECT_EQ(imap.SignInMechanism(), c.mechanism);
            ASSERT_EQ(imap.RemoteInfo().Count(), 1);
            EXPECT_EQ(imap.RemoteInfo().Items(0).Headers.GetFieldBody("Subject"), "signed in");
        } else {
            EXPECT_EQ(error.rfind("The server did not accept the sign-in of tester: sign in again.", 0), 0u) << error;
        }
    }
}

} // namespace

// Yandex takes XOAUTH2 without listing it: the token goes out there, but
// only inside TLS, whatever the mailbox's security would allow.
// (The same trusted certificate for 127.0.0.1 as the Dovecot tests.)
class ImapUnlistedToken : public ImapDovecotSignIn {};

TEST_F(ImapUnlistedToken, GoesOutOnlyInsideTls)
{
    ASSERT_TRUE(certificates->ok() && local.ok()) << certificates->failure();
    const std::string xoauth2 = "a1 AUTHENTICATE XOAUTH2 " + sasl::toBase64(sasl::xoauth2Response("ann", kToken));
    const std::string inClear = "sign-in: This server takes an access token without offering it, and Tidewell sends "
                                "one that way only over an encrypted connection; the access token was not sent. "
                                "Choose \"TLS\" as this mailbox's security.";
    struct Case {
        const char *name;
        TMailSecurity security;
        bool unlisted;
        std::string outcome;
    } cases[] = {
        {"over TLS", TMailSecurity::TLS, true, "signed in"},
        {"in clear with security None", TMailSecurity::None, true, inClear},
        {"in clear although the user would allow it", TMailSecurity::Automatic, true, inClear},
        {"a server not known to take it", TMailSecurity::TLS, false,
         "sign-in: The server does not offer a sign-in with an access token (XOAUTH2 or OAUTHBEARER). Choose "
         "\"Password\" as this mailbox's sign-in, or ask your provider."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        ASSERT_TRUE(server.useCertificate(local));
        Client client(server, TSignInMethod::OAuthBrowser);
        client.imap.Security = c.security;
        client.imap.TokenWithoutListing = c.unlisted;
        client.imap.OnPlainTextSignIn = [](QObject *, std::string &) { return true; };
        if (c.security == TMailSecurity::TLS)
            server.startTls();
        server.sendLine("* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=PLAIN] Yandex IMAP4rev1 at your service");
        if (c.outcome == "signed in") {
            server.expect(xoauth2);
            server.sendLine("a1 OK [CAPABILITY IMAP4rev1 MOVE] Authentication successful");
            scriptImapLogout(server, "a2");
        } else {
            server.expectClose();
        }
        EXPECT_EQ(outcome([&] {
                      client.imap.OpenMailbox();
                      client.imap.CloseMailbox();
                  }),
                  c.outcome);
        server.verify();
        if (c.outcome != "signed in") {
            EXPECT_FALSE(sent(server, "AUTHENTICATE"));
        }
    }
}

TEST(ImapSignIn, YandexServersAreKnownToTakeAnUnlistedToken)
{
    for (const char *server : {"imap.yandex.com", "IMAP.Yandex.ru:993", "pop.yandex.com:995", "pop.yandex.ru"})
        EXPECT_TRUE(takesUnlistedToken(server)) << server;
    for (const char *server : {"imap.gmail.com", "yandex.com", "imap.yandex.com.evil.example"})
        EXPECT_FALSE(takesUnlistedToken(server)) << server;
}
