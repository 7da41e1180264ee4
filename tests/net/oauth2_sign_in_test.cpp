// The OAuth2 sign-in against a local authorization server: the browser
// sign-in with PKCE and its loopback redirect, the refresh without the user,
// and everything that must be refused or reported.
#include "fixtures/oauth_server.h"
#include "fixtures/peak_memory.h"
#include "fixtures/raised.h"
#include "net/errors.h"
#include "net/oauth2_sign_in.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

class OAuth2SignIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        signIn.Endpoints.authorizeUrl = provider.authorizeUrl();
        signIn.Endpoints.tokenUrl = provider.tokenUrl();
        signIn.Endpoints.scope = "mail offline";
        signIn.Endpoints.clientId = provider.expectedClientId;
        signIn.OpenBrowser = [this](const std::string &url) { return browser.open(url); };
        signIn.OnRefreshTokenChanged = [this](const std::string &token) { kept.push_back(token); };
        signIn.BrowserSeconds = 20;
        signIn.RequestSeconds = 10;
    }

    OAuthServer provider;
    FollowingBrowser browser;
    TOAuth2SignIn signIn;
    std::vector<std::string> kept; // the refresh tokens handed out
};

TEST_F(OAuth2SignIn, TheFirstSignInGoesThroughTheBrowserWithPkceAndKeepsTheRefreshToken)
{
    signIn.signInWithBrowser();

    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(provider.authorizations, 1);
    EXPECT_EQ(provider.codeExchanges, 1); // the verifier matched the S256 challenge
    EXPECT_TRUE(provider.refusals.empty()) << provider.refusals.front();
    EXPECT_EQ(provider.lastAuthorization["code_challenge_method"], "S256");
    EXPECT_EQ(provider.lastAuthorization["scope"], "mail offline");
    const QUrl redirect(QString::fromStdString(provider.lastAuthorization["redirect_uri"]));
    EXPECT_EQ(redirect.host(), "127.0.0.1"); // a loopback redirect
    EXPECT_EQ(redirect.path(), "/");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(signIn.RefreshToken, kept.front());

    // The token is good for an hour: the next sign-in asks nobody.
    const std::string token = signIn.accessToken();
    EXPECT_FALSE(token.empty());
    EXPECT_EQ(signIn.accessToken(), token);
    EXPECT_EQ(provider.refreshes, 0);
    EXPECT_EQ(browser.opened.size(), 1u);
}

TEST_F(OAuth2SignIn, AnAccessTokenCloseToItsEndIsRefreshedWithoutTheBrowser)
{
    provider.accessLifetime = 60; // less than the two minutes a token must have left
    signIn.signInWithBrowser();

    const std::string first = signIn.accessToken();
    EXPECT_EQ(provider.refreshes, 1);
    const std::string second = signIn.accessToken();
    EXPECT_EQ(provider.refreshes, 2);

    EXPECT_NE(second, first);
    EXPECT_EQ(browser.opened.size(), 1u);
    ASSERT_EQ(kept.size(), 3u); // the provider rotates the refresh token; each new one is kept
    EXPECT_EQ(signIn.RefreshToken, kept.back());
    EXPECT_TRUE(provider.lastTokenRequestBody.find("client_secret") == std::string::npos); // a public client

    // After a restart only the kept refresh token is there.
    TOAuth2SignIn restarted;
    restarted.Endpoints = signIn.Endpoints;
    restarted.RefreshToken = signIn.RefreshToken;
    restarted.OpenBrowser = [](const std::string &) {
        ADD_FAILURE() << "a refresh opened the browser";
        return false;
    };
    EXPECT_FALSE(restarted.accessToken().empty());
    EXPECT_EQ(provider.refreshes, 3);
}

TEST_F(OAuth2SignIn, ARefusedRefreshMeansSigningInAgainButAnUnreachableProviderDoesNot)
{
    signIn.RefreshToken = provider.issueRefreshToken();
    provider.revokeEverything();
    EXPECT_EQ(raisedText<ESignInExpiredError>([&] { signIn.accessToken(); }),
              "The provider refused the sign-in (invalid_grant: the refresh token is not valid). The sign-in has to "
              "be renewed in the browser.");
    EXPECT_TRUE(browser.opened.empty());

    TOAuth2SignIn never;
    never.Endpoints = signIn.Endpoints;
    EXPECT_EQ(raisedText<ESignInExpiredError>([&] { never.accessToken(); }),
              "This mailbox is not signed in: it needs a sign-in in the browser.");

    TOAuth2SignIn unreachable;
    unreachable.Endpoints = signIn.Endpoints;
    unreachable.Endpoints.tokenUrl = "http://127.0.0.1:1/token";
    unreachable.RefreshToken = "rt";
    const std::string error = raisedText<ESignInError>([&] { unreachable.accessToken(); });
    EXPECT_EQ(error.rfind("The provider could not be reached for the sign-in: ", 0), 0u) << error;
}

TEST_F(OAuth2SignIn, AProviderThatDoesNotAnswerEndsTheRefreshWithinItsLimit)
{
    QTcpServer silent; // takes the request and says nothing
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::vector<QTcpSocket *> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] { held.push_back(silent.nextPendingConnection()); });
    signIn.Endpoints.tokenUrl = "http://127.0.0.1:" + std::to_string(silent.serverPort()) + "/token";
    signIn.RefreshToken = "rt";
    signIn.RequestSeconds = 2;

    EXPECT_EQ(raisedText<ESignInError>([&] { signIn.accessToken(); }),
              "The provider did not answer the sign-in within 2 seconds.");

    // The answer that comes after all reaches nobody.
    for (QTcpSocket *socket : held)
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(signIn.RefreshToken, "rt");
}

TEST_F(OAuth2SignIn, ABrowserSignInOfAnotherAccountIsRefusedAndNothingOfItKept)
{
    signIn.ExpectedAccount = "tester@example.org";
    provider.idTokenEmail = "mallory@example.net"; // the code came from someone else's sign-in
    EXPECT_EQ(raisedText<ESignInError>([&] { signIn.signInWithBrowser(); }),
              "The browser signed in as mallory@example.net, not as tester@example.org, the user of this mailbox; "
              "that sign-in was not kept. Sign in again in the browser with the account tester@example.org.");
    EXPECT_TRUE(kept.empty());
    EXPECT_TRUE(signIn.RefreshToken.empty());
    EXPECT_FALSE(signIn.hasUsableAccessToken());

    provider.idTokenEmail = "Tester@Example.ORG"; // the same address
    signIn.signInWithBrowser();
    EXPECT_FALSE(signIn.accountUnconfirmed());
    ASSERT_EQ(kept.size(), 1u);

    // A user name without a domain is compared with the address's first part.
    signIn.ExpectedAccount = "tester";
    provider.idTokenEmail = "tester@example.org";
    signIn.signInWithBrowser();
    EXPECT_EQ(kept.size(), 2u);
}

TEST_F(OAuth2SignIn, ASignInThatNamesNoAccountIsKeptOnlyOnceTheMailServerTookIt)
{
    signIn.ExpectedAccount = "tester@example.org";
    signIn.RefreshToken = provider.issueRefreshToken();
    const std::string before = signIn.RefreshToken;

    signIn.signInWithBrowser(); // no id_token: the provider names no account
    EXPECT_TRUE(signIn.accountUnconfirmed());
    EXPECT_TRUE(kept.empty()); // held back
    EXPECT_FALSE(signIn.accessToken().empty());

    // The mail server refused it: the sign-in is forgotten whole.
    signIn.forgetAccessToken();
    EXPECT_FALSE(signIn.accountUnconfirmed());
    EXPECT_EQ(signIn.RefreshToken, before);
    EXPECT_TRUE(kept.empty());

    // The mail server took it: it is this user's, and kept.
    signIn.signInWithBrowser();
    const std::string fresh = signIn.RefreshToken;
    signIn.confirmAccount();
    EXPECT_FALSE(signIn.accountUnconfirmed());
    EXPECT_EQ(kept, std::vector<std::string>{fresh});
}

TEST_F(OAuth2SignIn, ATokenReplyThatCannotHoldTokensIsRefusedAtOnceSayingWhatCame)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    struct Case {
        std::string answer, error;
    } cases[] = {
        {ok + "Content-Type: application/json\r\nContent-Length: 2147483648\r\n\r\n{\"access_token\":",
         "The provider announced a reply of 2048 MB to the sign-in; a token reply is never more than 1 MB, so it was "
         "not read."},
        {ok + "Content-Type: application/json\r\nContent-Length: 17\r\n\r\n<html>oops</html>",
         "The provider answered the sign-in with something that is not a JSON object (application/json, 17 bytes)."},
        {ok + "Content-Type: text/html; charset=utf-8\r\n\r\n<html><body>Sign in to the proxy</body></html>",
         "The provider answered the sign-in with a web page (text/html; charset=utf-8, 46 bytes) instead of tokens."},
        {ok + "Content-Type: text/plain\r\n\r\naccess_token=at1", 
         "The provider answered the sign-in with text/plain instead of tokens."},
        {ok + "Content-Length: 20\r\n\r\n{\"access_token\":\"a\"}",
         "The provider answered the sign-in without saying what its reply holds (no Content-Type)."},
        {ok + "Content-Type: application/json\r\nContent-Length: 0\r\n\r\n",
         "The provider answered the sign-in with an empty reply."},
        {ok + "Content-Type: application/json\r\n\r\n{}", "The provider answered the sign-in with an empty JSON object."},
    };
    signIn.RequestSeconds = 30; // none of them may take it
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        provider.rawTokenAnswer = c.answer;
        signIn.RefreshToken = "rt";
        EXPECT_EQ(raisedText<ESignInError>([&] { signIn.accessToken(); }), c.error);
        EXPECT_EQ(signIn.RefreshToken, "rt");
    }
}

TEST_F(OAuth2SignIn, AnEndlessTokenReplyIsCutOffAtItsBound)
{
    provider.endlessTokenAnswer = true;
    signIn.RefreshToken = "rt";
    signIn.RequestSeconds = 30;
    const long peakBefore = peakResidentKilobytes();

    EXPECT_EQ(raisedText<ESignInError>([&] { signIn.accessToken(); }),
              "The provider sent more than 1 MB in reply to the sign-in; a token reply is never more than 1 MB, so it "
              "was not read further.");

    // The reply was taken in up to its bound and no further: what the
    // provider could send fits in the network's buffers on the way, and the
    // process grew by less than 64 MB.
    EXPECT_LT(provider.endlessBytesSent, 64LL << 20);
    EXPECT_TRUE(peakGrewLessThan(peakBefore, 64 * 1024));
}

TEST_F(OAuth2SignIn, ARedirectWithAnotherStateIsRefusedAndItsCodeNeverUsed)
{
    provider.redirectWithWrongState = true;
    signIn.BrowserSeconds = 3;

    EXPECT_EQ(raisedText<ESignInError>([&] { signIn.signInWithBrowser(); }),
              "The sign-in in the browser was not completed within 3 seconds.");

    EXPECT_EQ(provider.authorizations, 1);
    EXPECT_EQ(provider.codeExchanges, 0);
    EXPECT_TRUE(provider.refusals.empty());
    EXPECT_EQ(signIn.refusedRedirects(), std::vector<std::string>{"GET /: the state does not match this sign-in"});
    EXPECT_EQ(browser.finalStatus, std::vector<int>{400});
}

TEST_F(OAuth2SignIn, OtherRequestsToTheRedirectPortAreRefused)
{
    std::vector<int> strayAnswers;
    signIn.OpenBrowser = [&](const std::string &url) {
        // Before the browser comes back, other pages knock on the port.
        const QUrlQuery query{QUrl(QString::fromStdString(url))};
        const std::string redirect = query.queryItemValue("redirect_uri", QUrl::FullyDecoded).toStdString();
        const std::string state = query.queryItemValue("state", QUrl::FullyDecoded).toStdString();
        for (const std::string &stray : {redirect + "favicon.ico", redirect + "?code=forged&state=guessed",
                                         redirect + "?state=" + state, redirect + "callback?code=forged&state=" + state})
            strayAnswers.push_back(browser.fetch(stray));
        return browser.open(url);
    };

    signIn.signInWithBrowser();

    EXPECT_EQ(strayAnswers, (std::vector<int>{404, 400, 400, 404}));
    EXPECT_EQ(signIn.refusedRedirects(),
              (std::vector<std::string>{"GET /favicon.ico: not the redirect address",
                                        "GET /: the state does not match this sign-in",
                                        "GET /: neither a code nor an error",
                                        "GET /callback: not the redirect address"}));
    EXPECT_EQ(provider.codeExchanges, 1); // only the provider's own code
}

TEST_F(OAuth2SignIn, ASignInThatCannotStartSaysWhy)
{
    signIn.Endpoints = oauthEndpoints("outlook.office365.com:995", {});
    ASSERT_EQ(signIn.Endpoints.provider, "Microsoft");
    EXPECT_EQ(raisedText<ESignInError>([&] { signIn.signInWithBrowser(); }),
              "A browser sign-in for Microsoft needs a client id (OAuthClientId), and this build of Tidewell brings "
              "none: see \"Signing in with OAuth2\" in the README.");

    signIn.Endpoints = oauthEndpoints("mail.example.org", {});
    signIn.OpenBrowser = [](const std::string &) { return false; };
    EXPECT_EQ(raisedText<ESignInError>([&] { signIn.signInWithBrowser(); }),
              "A browser sign-in for this server needs its provider's authorization address (OAuthAuthorizeUrl), "
              "token address (OAuthTokenUrl) and client id (OAuthClientId): see \"Signing in with OAuth2\" in the "
              "README.");

    SetUp();
    signIn.OpenBrowser = [](const std::string &) { return false; };
    EXPECT_EQ(raisedText<ESignInError>([&] { signIn.signInWithBrowser(); }),
              "The browser could not be opened for the sign-in.");
}

TEST(OAuthProviders, KnownHostsGetTheirProviderAndAMailboxsOwnValuesWin)
{
    struct Case {
        const char *server, *provider, *tokenUrl, *scope, *redirectHost;
        bool imap = false;
    } cases[] = {
        {"outlook.office365.com", "Microsoft", "https://login.microsoftonline.com/common/oauth2/v2.0/token",
         "https://outlook.office.com/POP.AccessAsUser.All offline_access", "localhost"},
        {"POP-MAIL.outlook.com:995", "Microsoft", "https://login.microsoftonline.com/common/oauth2/v2.0/token",
         "https://outlook.office.com/POP.AccessAsUser.All offline_access", "localhost"},
        {"pop.gmail.com:995", "Google", "https://oauth2.googleapis.com/token", "https://mail.google.com/", "127.0.0.1"},
        {"pop.mail.yahoo.com", "Yahoo", "https://api.login.yahoo.com/oauth2/get_token", "mail-w", "127.0.0.1"},
        {"pop.aol.com", "AOL", "https://api.login.aol.com/oauth2/get_token", "mail-w", "127.0.0.1"},
        {"pop.fastmail.com", "Fastmail", "https://api.fastmail.com/oauth/refresh",
         "https://www.fastmail.com/dev/protocol-pop", "127.0.0.1"},
        {"pop.example.org", "", "", "", "127.0.0.1"},
        {"gmail.com.example.org", "", "", "", "127.0.0.1"},
        // IMAP: the same providers; Microsoft and Fastmail grant it apart from POP3.
        {"outlook.office365.com:993", "Microsoft", "https://login.microsoftonline.com/common/oauth2/v2.0/token",
         "https://outlook.office.com/IMAP.AccessAsUser.All offline_access", "localhost", true},
        {"imap-mail.outlook.com", "Microsoft", "https://login.microsoftonline.com/common/oauth2/v2.0/token",
         "https://outlook.office.com/IMAP.AccessAsUser.All offline_access", "localhost", true},
        {"imap.gmail.com", "Google", "https://oauth2.googleapis.com/token", "https://mail.google.com/", "127.0.0.1",
         true},
        {"imap.aol.com", "AOL", "https://api.login.aol.com/oauth2/get_token", "mail-w", "127.0.0.1", true},
        {"imap.fastmail.com", "Fastmail", "https://api.fastmail.com/oauth/refresh",
         "https://www.fastmail.com/dev/protocol-imap", "127.0.0.1", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.server);
        const TOAuthEndpoints endpoints = oauthEndpoints(c.server, {}, c.imap);
        EXPECT_EQ(endpoints.provider, c.provider);
        EXPECT_EQ(endpoints.tokenUrl, c.tokenUrl);
        EXPECT_EQ(endpoints.scope, c.scope);
        EXPECT_EQ(endpoints.redirectHost, c.redirectHost);
    }
    const TOAuthEndpoints own =
        oauthEndpoints("pop.gmail.com", {"", " https://sso.example.org/token ", "", "my-own-client"});
    EXPECT_EQ(own.authorizeUrl, "https://accounts.google.com/o/oauth2/v2/auth");
    EXPECT_EQ(own.tokenUrl, "https://sso.example.org/token");
    EXPECT_EQ(own.clientId, "my-own-client");
    EXPECT_EQ(own.clientSecret, ""); // never a secret that belongs to another client id
    EXPECT_EQ(own.missing(), "");
    // A mailbox's own scope wins over the IMAP one too.
    EXPECT_EQ(oauthEndpoints("outlook.office365.com", {"", "", "my-scope", ""}, true).scope, "my-scope");
}

} // namespace
