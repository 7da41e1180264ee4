#pragma once
// One mailbox's OAuth2 tokens, for every protocol that signs in with them:
// the browser sign-in (authorization code flow with PKCE, RFC 7636 S256,
// and a loopback redirect, RFC 8252) through Qt Network Authorization, and
// the refresh of the access token with the refresh token, without the user.
//
// The access token lives only in memory; the refresh token is the caller's
// to keep (OnRefreshTokenChanged reports every new one). Every wait sleeps in
// the event loop and has a bound; Canceled is asked at least once a second.

#include "net/oauth_providers.h"
#include "net/token_reply.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <string>

class QOAuth2AuthorizationCodeFlow;

namespace tw {

// The S256 code challenge of a PKCE code verifier: the unpadded base64url
// SHA-256 of the verifier's bytes.
std::string pkceChallengeS256(const std::string &verifier);

class TOAuth2SignIn : public QObject {
    Q_OBJECT
public:
    explicit TOAuth2SignIn(QObject *parent = nullptr);
    ~TOAuth2SignIn() override;

    TOAuthEndpoints Endpoints;
    std::string RefreshToken;
    // Fired with every refresh token a sign-in or a refresh hands out.
    std::function<void(const std::string &RefreshToken)> OnRefreshTokenChanged;
    // Opens the authorization address in the user's browser; false when it
    // cannot. Unset: the desktop shell's browser (platform/shell).
    std::function<bool(const std::string &Url)> OpenBrowser;
    // Asked during every wait; true ends it with ECanceledError.
    std::function<bool()> Canceled;
    // Seconds one request to the token endpoint may take, and the whole
    // browser sign-in (the user may have to type a password there).
    int RequestSeconds = 60;
    int BrowserSeconds = 300;
    // An access token that has less left than this is refreshed first.
    int MinimumValiditySeconds = 120;
    // The mailbox's user name. A browser sign-in must belong to it: anyone
    // who can read the sign-in address could otherwise complete it with an
    // account of their own. When the provider names the account (the e-mail
    // of the id_token it hands out with the tokens) and that is another one,
    // the sign-in is refused and nothing of it kept. When it names none, the
    // mail server's answer decides: the new refresh token is held back (not
    // reported through OnRefreshTokenChanged) until confirmAccount().
    std::string ExpectedAccount;

    // True while an access token is held that has at least
    // MinimumValiditySeconds left; a token whose lifetime the provider did
    // not announce is taken to last ten minutes.
    bool hasUsableAccessToken() const;
    // An access token to sign in with: the one held while it is usable,
    // else a refreshed one. Raises ESignInExpiredError when there is no
    // refresh token or the provider refuses it (only the browser helps
    // then), ESignInError when the provider cannot be reached or answers
    // nonsense, ECanceledError on a cancel. Never opens a browser.
    std::string accessToken();
    // The browser sign-in: opens the authorization address, waits for the
    // redirect, exchanges the code (with the PKCE verifier) for the tokens.
    // Raises ESignInError (incomplete endpoints, no browser, the provider's
    // refusal, no answer within BrowserSeconds), ECanceledError.
    void signInWithBrowser();
    // Forgets the access token (the server refused it); the next
    // accessToken() refreshes. The tokens of a browser sign-in still
    // waiting for confirmAccount() are forgotten whole: the refresh token
    // before it comes back.
    void forgetAccessToken();
    // True after a browser sign-in whose provider did not name the account.
    bool accountUnconfirmed() const { return m_unconfirmed; }
    // The mail server accepted the access token for ExpectedAccount: the
    // sign-in is that account's, and its refresh token is kept (reported).
    void confirmAccount();

    // The redirect requests refused during the last browser sign-in.
    const std::vector<std::string> &refusedRedirects() const { return m_refusedRedirects; }

private:
    struct Outcome;
    // Runs Start on a new flow and waits for its tokens, at most Seconds.
    void runFlow(bool withBrowser, int seconds);
    void takeTokens(const QVariantMap &tokens, bool fromBrowser);

    TTokenEndpointAccess m_network;
    std::string m_accessToken;
    QDateTime m_expiresAt;  // UTC; invalid when the provider named no lifetime
    std::vector<std::string> m_refusedRedirects;
    bool m_unconfirmed = false;
    std::string m_confirmedRefreshToken; // the refresh token before an unconfirmed sign-in
};

// The account an OAuth2 token reply names: the "email" claim of its
// id_token (or, from providers that put the address there, an address in
// "preferred_username" or "upn"); "" when it names none. The id_token came
// straight from the token address over the connection the sign-in trusts,
// so its claims are read without checking its signature.
std::string accountOfIdToken(const std::string &idToken);

// Whether Account (an e-mail address) is the mailbox user UserName: the same
// address, letter case aside; a user name without "@" is compared with the
// part of Account before its "@".
bool sameAccount(const std::string &account, const std::string &userName);

} // namespace tw
