// Signing in to a real server: Dovecot with SASL, its passwd-file for the
// password mechanisms and its oauth2 passdb, which asks the local
// authorization server of the tests whether a token is live.
#include "fixtures/dovecot_server.h"
#include "fixtures/oauth_server.h"
#include "fixtures/raised.h"
#include "net/errors.h"
#include "net/mspop3.h"
#include "net/oauth2_sign_in.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kMessage = "From: a@example.org\r\nSubject: signed in\r\n\r\nHello.\r\n";

TEST(Pop3SignInDovecot, EveryMechanismSignsInAndARefusedTokenAsksToSignInAgain)
{
    OAuthServer tokens(DovecotServer::UserName);
    DovecotServer plainOnly({kMessage});
    DovecotServer everything({kMessage}, {},
                             {"plain scram-sha-1 scram-sha-256", tokens.introspectionUrl(), "xoauth2 oauthbearer"});
    DovecotServer bearerOnly({kMessage}, {}, {"plain", tokens.introspectionUrl(), "oauthbearer"});
    for (const DovecotServer *server : {&plainOnly, &everything, &bearerOnly})
        ASSERT_TRUE(server->started()) << server->failure();

    struct Case {
        const char *name;
        const DovecotServer &server;
        TSignInMethod method;
        bool initialResponse;
        bool liveToken;
        const char *mechanism; // nullptr: refused, "sign in again"
    } cases[] = {
        {"PLAIN against the passwd-file", plainOnly, TSignInMethod::Password, false, true, "PLAIN"},
        {"SCRAM-SHA-256, the strongest listed", everything, TSignInMethod::Password, false, true, "SCRAM-SHA-256"},
        {"XOAUTH2 in two lines", everything, TSignInMethod::OAuthBrowser, false, true, "XOAUTH2"},
        {"XOAUTH2 in one line", everything, TSignInMethod::OAuthCommand, true, true, "XOAUTH2"},
        {"OAUTHBEARER", bearerOnly, TSignInMethod::OAuthBrowser, false, true, "OAUTHBEARER"},
        {"an expired token over XOAUTH2", everything, TSignInMethod::OAuthBrowser, false, false, nullptr},
        {"an expired token over OAUTHBEARER", bearerOnly, TSignInMethod::OAuthBrowser, false, false, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string token = tokens.issueAccessToken();
        if (!c.liveToken)
            tokens.expireAccessTokens();
        TmsRemotePOP pop;
        pop.Server = c.server.hostAndPort();
        pop.UserName = DovecotServer::UserName;
        pop.Password = signsInWithToken(c.method) ? "" : DovecotServer::Password;
        pop.SignIn = c.method;
        pop.SaslInitialResponse = c.initialResponse;
        pop.Security = TPop3Security::None;
        pop.SetTimeOut(10);
        pop.OnAccessToken = [&](QObject *) { return token; };

        const std::string error = raisedText<ESignInError>([&] { pop.UpdateInfo(); });

        if (c.mechanism) {
            EXPECT_EQ(error, "<no error>");
            EXPECT_EQ(pop.SignInMechanism(), c.mechanism);
            ASSERT_EQ(pop.RemoteInfo().Count(), 1);
            EXPECT_EQ(pop.RemoteInfo().Items(0).Headers.GetFieldBody("Subject"), "signed in");
        } else {
            EXPECT_EQ(error.rfind("The server did not accept the sign-in of tester: sign in again.", 0), 0u) << error;
            EXPECT_NE(error.find("\"status\""), std::string::npos) << error; // the reason from the challenge
        }
    }

    // A wrong password is still the server's plain refusal.
    TmsRemotePOP pop;
    pop.Server = everything.hostAndPort();
    pop.UserName = DovecotServer::UserName;
    pop.Password = "not the password";
    pop.Security = TPop3Security::None;
    pop.SetTimeOut(10);
    EXPECT_EQ(raisedText<EServerError>([&] { pop.UpdateInfo(); }), "-ERR [AUTH] Authentication failed.");
}

TEST(Pop3SignInDovecot, ABrowserSignInGivesATokenTheServerTakes)
{
    OAuthServer provider(DovecotServer::UserName);
    DovecotServer server({kMessage}, {}, {"plain", provider.introspectionUrl(), "xoauth2 oauthbearer"});
    ASSERT_TRUE(server.started()) << server.failure();
    FollowingBrowser browser;
    TOAuth2SignIn signIn;
    signIn.Endpoints.authorizeUrl = provider.authorizeUrl();
    signIn.Endpoints.tokenUrl = provider.tokenUrl();
    signIn.Endpoints.clientId = provider.expectedClientId;
    signIn.OpenBrowser = [&](const std::string &url) { return browser.open(url); };
    signIn.BrowserSeconds = 20;

    signIn.signInWithBrowser();

    TmsRemotePOP pop;
    pop.Server = server.hostAndPort();
    pop.UserName = DovecotServer::UserName;
    pop.SignIn = TSignInMethod::OAuthBrowser;
    pop.Security = TPop3Security::None;
    pop.SetTimeOut(10);
    pop.OnAccessToken = [&](QObject *) { return signIn.accessToken(); };
    pop.UpdateInfo();
    EXPECT_EQ(pop.SignInMechanism(), "XOAUTH2");
    EXPECT_EQ(pop.RemoteInfo().Count(), 1);
    EXPECT_EQ(provider.codeExchanges, 1);
    EXPECT_EQ(provider.refreshes, 0);
}

} // namespace
