// How the POP3 client signs in, against scripted servers: which mechanism
// goes out for which SASL list, the exact AUTH dialogues of the token
// mechanisms, a refused token shown as "sign in again", and the downgrade
// protection that keeps a password or token off an unencrypted connection.
#include "fixtures/fake_tcp_server.h"
#include "fixtures/raised.h"
#include "net/errors.h"
#include "net/mspop3.h"
#include "net/sasl.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kToken = "ya29.token";
const std::string kXOAuth2 = sasl::toBase64(sasl::xoauth2Response("ann", kToken));

struct Client {
    explicit Client(FakeTcpServer &server, TSignInMethod method = TSignInMethod::Password)
    {
        pop.Server = server.hostAndPort();
        pop.UserName = "ann";
        pop.Password = method == TSignInMethod::Password ? "pw" : "";
        pop.SignIn = method;
        pop.SetTimeOut(5);
        pop.OnAccessToken = [this](QObject *) {
            ++tokensAsked;
            return kToken;
        };
        pop.OnError = [this](QObject *, std::string &text) { errors.push_back(text); };
    }
    TmsRemotePOP pop;
    int tokensAsked = 0;
    std::vector<std::string> errors;
};

bool sent(const FakeTcpServer &server, const std::string &prefix)
{
    return std::any_of(server.received().begin(), server.received().end(),
                       [&](const std::string &line) { return line.rfind(prefix, 0) == 0; });
}

void scriptEmptyListing(FakeTcpServer &server)
{
    server.expect("STAT");
    server.sendLine("+OK 0 0");
    server.expect("QUIT");
    server.sendLine("+OK bye");
}

TEST(Pop3SignIn, EachSaslListGetsItsMechanismInItsExactDialogue)
{
    struct Case {
        const char *name;
        TSignInMethod method;
        bool initialResponse;
        const char *capa; // the whole answer to CAPA
        std::vector<std::pair<std::string, std::string>> dialogue; // client line, server answer
        const char *mechanism;
    } cases[] = {
        {"PLAIN, the only mechanism listed", TSignInMethod::Password, false, "+OK\r\nSASL PLAIN\r\n.\r\n",
         {{"AUTH PLAIN", "+ "}, {sasl::toBase64(sasl::plainResponse("ann", "pw")), "+OK welcome"}}, "PLAIN"},
        {"no SASL line: USER and PASS", TSignInMethod::Password, false, "+OK\r\nUSER\r\nTOP\r\n.\r\n",
         {{"USER ann", "+OK"}, {"PASS pw", "+OK"}}, "USER/PASS"},
        {"no CAPA at all: USER and PASS", TSignInMethod::Password, false, "-ERR unknown command\r\n",
         {{"USER ann", "+OK"}, {"PASS pw", "+OK"}}, "USER/PASS"},
        {"only mechanisms without a password: USER and PASS", TSignInMethod::Password, false,
         "+OK\r\nSASL GSSAPI XOAUTH2\r\n.\r\n", {{"USER ann", "+OK"}, {"PASS pw", "+OK"}}, "USER/PASS"},
        {"XOAUTH2 in two lines", TSignInMethod::OAuthCommand, false, "+OK\r\nSASL PLAIN XOAUTH2\r\n.\r\n",
         {{"AUTH XOAUTH2", "+ "}, {kXOAuth2, "+OK welcome"}}, "XOAUTH2"},
        {"XOAUTH2 in one line", TSignInMethod::OAuthCommand, true, "+OK\r\nSASL XOAUTH2\r\n.\r\n",
         {{"AUTH XOAUTH2 " + kXOAuth2, "+OK welcome"}}, "XOAUTH2"},
        {"OAUTHBEARER", TSignInMethod::OAuthBrowser, false, "+OK\r\nSASL PLAIN OAUTHBEARER\r\n.\r\n",
         {{"AUTH OAUTHBEARER", "+"},
          {sasl::toBase64(sasl::oauthBearerResponse("ann", "127.0.0.1", 0, kToken)), "+OK welcome"}},
         "OAUTHBEARER"},
        {"a SASL line ending in a stray CR", TSignInMethod::OAuthCommand, false, "+OK\r\nSASL XOAUTH2\r\r\n.\r\n",
         {{"AUTH XOAUTH2", "+ "}, {kXOAuth2, "+OK welcome"}}, "XOAUTH2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server, c.method);
        client.pop.SaslInitialResponse = c.initialResponse;
        // The OAUTHBEARER message names the port the client connects to.
        std::vector<std::pair<std::string, std::string>> dialogue = c.dialogue;
        if (std::string(c.mechanism) == "OAUTHBEARER")
            dialogue[1].first = sasl::toBase64(sasl::oauthBearerResponse("ann", "127.0.0.1", server.port(), kToken));
        server.sendLine("+OK ready");
        server.expect("CAPA");
        server.send(c.capa);
        for (const auto &[line, answer] : dialogue) {
            server.expect(line);
            server.sendLine(answer);
        }
        scriptEmptyListing(server);
        client.pop.Security = TPop3Security::None;

        client.pop.UpdateInfo();

        server.verify();
        EXPECT_EQ(client.pop.SignInMechanism(), c.mechanism);
        EXPECT_EQ(client.tokensAsked, signsInWithToken(c.method) ? 1 : 0);
    }
}

TEST(Pop3SignIn, ARefusedTokenAsksToSignInAgainAndIsNeverAWrongPassword)
{
    const std::string challenge = sasl::toBase64("{\"status\":\"401\",\"schemes\":\"bearer\",\"scope\":\"mail\"}");
    struct Case {
        const char *name, *capa, *answerToChallenge;
        bool challenged;
    } cases[] = {
        {"XOAUTH2: the 401 challenge is answered with an empty line", "+OK\r\nSASL XOAUTH2\r\n.\r\n", "", true},
        {"OAUTHBEARER: the error challenge is answered with ^A", "+OK\r\nSASL OAUTHBEARER\r\n.\r\n", "AQ==", true},
        {"a plain refusal", "+OK\r\nSASL XOAUTH2\r\n.\r\n", nullptr, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server, TSignInMethod::OAuthBrowser);
        server.sendLine("+OK ready");
        server.expect("CAPA");
        server.send(c.capa);
        server.expect(std::string("AUTH ") + (std::string(c.capa).find("XOAUTH2") != std::string::npos ? "XOAUTH2" : "OAUTHBEARER"));
        server.sendLine("+ ");
        server.expect(std::string(c.capa).find("XOAUTH2") != std::string::npos
                          ? kXOAuth2
                          : sasl::toBase64(sasl::oauthBearerResponse("ann", "127.0.0.1", server.port(), kToken)));
        if (c.challenged) {
            server.sendLine("+ " + challenge);
            server.expect(c.answerToChallenge);
        }
        server.sendLine("-ERR [AUTH] Authentication failed.");
        server.expectClose();
        client.pop.Security = TPop3Security::None;

        const std::string error = raisedText<ESignInError>([&] { client.pop.UpdateInfo(); });

        server.verify();
        EXPECT_EQ(error.rfind("The server did not accept the sign-in of ann: sign in again. (-ERR [AUTH] Authentication "
                              "failed.",
                              0),
                  0u)
            << error;
        EXPECT_EQ(error.find("401") != std::string::npos, c.challenged) << error; // the server's reason goes along
        EXPECT_EQ(client.errors, std::vector<std::string>{error});                // reported once, for the log
        EXPECT_FALSE(client.pop.IsConnected());
    }
}

TEST(Pop3SignIn, WithoutATokenOrATokenMechanismNothingIsSent)
{
    {
        SCOPED_TRACE("no token mechanism listed");
        FakeTcpServer server;
        Client client(server, TSignInMethod::OAuthCommand);
        server.sendLine("+OK ready");
        server.expect("CAPA");
        server.send("+OK\r\nSASL PLAIN\r\nUSER\r\n.\r\n");
        server.expectClose();
        client.pop.Security = TPop3Security::None;
        EXPECT_EQ(raisedText<ESignInError>([&] { client.pop.UpdateInfo(); }),
                  "The server does not offer a sign-in with an access token (XOAUTH2 or OAUTHBEARER). Choose "
                  "\"Password\" as this mailbox's sign-in, or ask your provider.");
        server.verify();
    }
    {
        SCOPED_TRACE("the token cannot be had: no connection is made");
        QTcpServer listener;
        ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
        TmsRemotePOP pop;
        pop.Server = "127.0.0.1:" + std::to_string(listener.serverPort());
        pop.UserName = "ann";
        pop.SignIn = TSignInMethod::OAuthBrowser;
        std::vector<std::string> errors;
        pop.OnError = [&](QObject *, std::string &text) { errors.push_back(text); };
        pop.OnAccessToken = [](QObject *) -> std::string { throw ESignInExpiredError("The sign-in has expired."); };
        EXPECT_EQ(raisedText<ESignInExpiredError>([&] { pop.UpdateInfo(); }), "The sign-in has expired.");
        EXPECT_EQ(errors, std::vector<std::string>{"The sign-in has expired."}); // reported once, for the log
        QCoreApplication::processEvents();
        EXPECT_FALSE(listener.hasPendingConnections());
    }
}

TEST(Pop3SignIn, NoSecretGoesOutUnencryptedWhereTheDowngradeProtectionForbidsIt)
{
    // A server (or a man in the middle) whose CAPA lists no STLS, with
    // Security Automatic.
    const std::string downgrade =
        "The server offers no encryption, but this mailbox's connection was encrypted before, so the %s was not "
        "sent: someone may be interfering with the connection. If your provider really no longer offers "
        "encryption, choose \"None\" as this mailbox's security.";
    const auto downgradeOf = [&](const std::string &secret) {
        std::string text = downgrade;
        return text.replace(text.find("%s"), 2, secret);
    };
    struct Case {
        const char *name;
        TSignInMethod method;
        bool encryptedBefore, trustsCertificate;
        int answer;        // -1: nobody to ask, 0: No, 1: Yes
        std::string error; // "": it signs in
    } cases[] = {
        {"encrypted before", TSignInMethod::Password, true, false, 1, downgradeOf("password")},
        {"a trusted certificate", TSignInMethod::OAuthCommand, false, true, 1, downgradeOf("access token")},
        {"nobody to ask", TSignInMethod::Password, false, false, -1,
         "The server offers no encryption; the password was not sent."},
        {"the answer is No", TSignInMethod::OAuthCommand, false, false, 0, "You said no."},
        {"the answer is Yes", TSignInMethod::Password, false, false, 1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        Client client(server, c.method);
        client.pop.Security = TPop3Security::Automatic;
        client.pop.EncryptedBefore = c.encryptedBefore;
        client.pop.TrustedFingerprint = c.trustsCertificate ? std::string(64, 'A') : std::string();
        int asked = 0, unencrypted = 0;
        if (c.answer >= 0)
            client.pop.OnPlainTextSignIn = [&](QObject *, std::string &refusal) {
                ++asked;
                refusal = "You said no.";
                return c.answer == 1;
            };
        client.pop.OnUnencryptedSignIn = [&](QObject *) { ++unencrypted; };
        server.sendLine("+OK ready");
        server.expect("CAPA");
        server.send("+OK\r\nSASL PLAIN XOAUTH2\r\nUSER\r\n.\r\n");
        const bool signsIn = c.error.empty();
        if (signsIn) {
            server.expect("AUTH PLAIN");
            server.sendLine("+ ");
            server.expect(sasl::toBase64(sasl::plainResponse("ann", "pw")));
            server.sendLine("+OK");
            scriptEmptyListing(server);
        } else {
            server.expectClose();
        }

        const std::string error = raisedText<ESignInError>([&] { client.pop.UpdateInfo(); });

        server.verify();
        EXPECT_EQ(error, signsIn ? "<no error>" : c.error);
        EXPECT_EQ(unencrypted, signsIn ? 1 : 0);
        EXPECT_EQ(asked, c.answer >= 0 && !c.encryptedBefore && !c.trustsCertificate ? 1 : 0);
        EXPECT_FALSE(!signsIn && (sent(server, "AUTH") || sent(server, "USER") || sent(server, "PASS")));
    }
}

TEST(Pop3SignIn, SecurityNoneSendsWithoutAskingButStillReportsIt)
{
    FakeTcpServer server;
    Client client(server);
    client.pop.Security = TPop3Security::None;
    client.pop.EncryptedBefore = true; // "None" is the user's own choice
    int asked = 0, unencrypted = 0;
    client.pop.OnPlainTextSignIn = [&](QObject *, std::string &) { return ++asked > 0; };
    client.pop.OnUnencryptedSignIn = [&](QObject *) { ++unencrypted; };
    server.sendLine("+OK ready");
    server.expect("CAPA");
    server.sendLine("-ERR");
    server.expect("USER ann");
    server.sendLine("+OK");
    server.expect("PASS pw");
    server.sendLine("+OK");
    scriptEmptyListing(server);

    client.pop.UpdateInfo();

    EXPECT_EQ(asked, 0);
    EXPECT_EQ(unencrypted, 1);
}

} // namespace
