// The main window's side of signing in: where the access token of the
// loaded mailbox comes from (the token command, or the OAuth2 sign-in with
// its browser), what happens when a sign-in has expired, the one question
// about sending a password unencrypted, and what the sessions teach about a
// server (that it was encrypted once).

#include "app/rmmain.h"
#include "runs/run_texts.h"
#include "net/errors.h"
#include "net/token_command.h"
#include "platform/prompts.h"

namespace tw {

namespace {

std::string mailboxName(int n, const std::string &userName)
{
    return "mailbox " + std::to_string(n) + " (" + userName + ")";
}

} // namespace

void TfrmMain::wireSignInEvents()
{
    for (TmsMailBase *client : {(TmsMailBase *)&msRemotePOP1, (TmsMailBase *)&msRemoteIMAP1}) {
        client->OnAccessToken = [this](QObject *) { return accessTokenForLoadedMailbox(); };
        client->OnPlainTextSignIn = [this](QObject *, std::string &refusal) { return allowPlainTextSignIn(refusal); };
        client->OnUnencryptedSignIn = [this](QObject *) { msRemotePOP1UnencryptedSignIn(); };
        client->OnLoggedIn = [this](QObject *) { msRemotePOP1LoggedIn(); };
    }
}

TOAuth2SignIn &TfrmMain::oauthSignIn(int n)
{
    std::unique_ptr<TOAuth2SignIn> &signIn = m_oauth.at(size_t(n - 1));
    if (!signIn) {
        signIn = std::make_unique<TOAuth2SignIn>();
        signIn->OnRefreshTokenChanged = [this, n](const std::string &token) { keepRefreshToken(n, token); };
    }
    const MailboxAccount &account = m_general.servers.account(n);
    const MailboxSignIn &values = n == m_loadedMailbox ? m_loadedAccount.signIn : account.signIn;
    const std::string server = n == m_loadedMailbox ? m_loadedAccount.server : account.server;
    const int protocol = n == m_loadedMailbox ? m_loadedAccount.protocol : account.protocol;
    const TOAuthEndpoints endpoints = oauthEndpoints(
        server, {values.authorizeUrl, values.tokenUrl, values.scope, values.clientId}, protocol == int(MailProtocol::IMAP));
    // Another provider, or a sign-in made in the settings window since:
    // the access token held belongs to what was before.
    const bool otherProvider = endpoints.authorizeUrl != signIn->Endpoints.authorizeUrl ||
                               endpoints.tokenUrl != signIn->Endpoints.tokenUrl ||
                               endpoints.clientId != signIn->Endpoints.clientId;
    if (otherProvider || values.refreshToken != signIn->RefreshToken)
        signIn->forgetAccessToken();
    signIn->Endpoints = endpoints;
    signIn->RefreshToken = values.refreshToken;
    signIn->ExpectedAccount = n == m_loadedMailbox ? m_loadedAccount.userName : account.userName;
    return *signIn;
}

void TfrmMain::keepRefreshToken(int n, const std::string &token)
{
    m_general.servers.account(n).signIn.refreshToken = token;
    if (n == m_loadedMailbox)
        m_loadedAccount.signIn.refreshToken = token;
    const MailboxAccount &account = m_general.servers.account(n);
    const MailboxIdentity who = n == m_loadedMailbox ? MailboxIdentity{m_loadedAccount.userName, m_loadedAccount.server}
                                                     : MailboxIdentity{account.userName, account.server};
    MailboxSecrets &secrets = m_general.secrets;
    const auto keep = [&] { secrets.save(n, who, who, MailboxSecret::RefreshToken, token); };
    try {
        // Only a user at hand is asked where to keep it when the keyring fails.
        if (visibleOrManual())
            secrets.saveWithUser(keep);
        else
            keep();
    } catch (const std::exception &error) {
        // The token works for this session; the next start needs a sign-in.
        if (visibleOrManual())
            Prompts::current().error("The sign-in of " + mailboxName(n, who.userName) +
                                     " could not be kept: " + error.what());
    }
}

std::string TfrmMain::accessTokenForLoadedMailbox()
{
    const int n = m_loadedMailbox;
    const std::string name = mailboxName(n, mailClient().UserName);
    const auto canceled = [this] { return mailClient().Canceled(); };
    if (signInMethodFromSetting(m_loadedAccount.signIn.method) == TSignInMethod::OAuthCommand) {
        setStatus("Running the token command of " + name);
        return runTokenCommand(m_loadedAccount.signIn.tokenCommand, kTokenCommandSeconds, canceled);
    }
    TOAuth2SignIn &signIn = oauthSignIn(n);
    signIn.Canceled = canceled;
    const bool signedInBefore = !signIn.RefreshToken.empty();
    try {
        if (!signIn.hasUsableAccessToken())
            setStatus("Renewing the sign-in of " + name);
        return signIn.accessToken();
    } catch (const ESignInExpiredError &expired) {
        if (!visibleOrManual()) {
            // Nobody is there to sign in: the log and the tray's tip say so
            // (as for every failed check) until the mailbox signs in again.
            const std::string text =
                signedInBefore ? "The sign-in for " + name + " has expired; checking mail with the window open signs in again."
                               : "The sign-in for " + name + " has not been made yet; checking mail with the window open signs in.";
            notifyMailboxNeedsYou(signedInBefore ? "The sign-in for " + name + " has expired"
                                                 : "The sign-in for " + name + " has not been made yet",
                                  "Checks of this mailbox stop until you sign in. Open Tidewell to sign in.");
            throw ESignInExpiredError(text + " (" + expired.what() + ")");
        }
        if (signedInBefore)
            Prompts::current().information("The sign-in for " + name + " has expired: " + expired.what() +
                                           "\n\nYour browser opens now so that you can sign in again.");
    }
    setStatus("Waiting for the sign-in of " + name + " in the browser");
    signIn.signInWithBrowser();
    return signIn.accessToken();
}

bool TfrmMain::allowPlainTextSignIn(std::string &refusal)
{
    const int n = m_loadedMailbox;
    const bool token = signsInWithToken(mailClient().SignIn);
    const std::string secret = token ? "access token" : "password";
    switch (PlainTextAnswer(m_loadedAccount.plainText)) {
    case PlainTextAnswer::Yes: return true;
    case PlainTextAnswer::No:
        refusal = "The server offers no encryption, and you chose not to send the " + secret + " of " +
                  mailboxName(n, mailClient().UserName) +
                  " unencrypted; it was not sent. To send it all the same, choose \"None\" as this mailbox's security.";
        return false;
    case PlainTextAnswer::NotAsked: break;
    }
    if (!visibleOrManual()) {
        refusal = "The server offers no encryption, and a check in the background never sends the " + secret +
                  " unencrypted without your permission; it was not sent. Check mail with the window open to decide.";
        return false;
    }
    const bool yes = Prompts::current().yesNo("The server offers no encryption; send the " + secret + " unencrypted?");
    const PlainTextAnswer answer = yes ? PlainTextAnswer::Yes : PlainTextAnswer::No;
    m_loadedAccount.plainText = int(answer);
    m_general.servers.account(n).plainText = int(answer);
    try {
        saveMailboxPlainTextAnswer(n, answer);
    } catch (const std::exception &error) {
        Prompts::current().error(error.what()); // asked again next time
    }
    if (!yes)
        refusal = "The server offers no encryption; the " + secret + " was not sent.";
    return yes;
}

void TfrmMain::msRemotePOP1UnencryptedSignIn()
{
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logWarning(signsInWithToken(mailClient().SignIn) ? "access token sent unencrypted"
                                                                 : "password sent unencrypted",
                           mailClient().UserName, loggedServer(mailSession()));
}

void TfrmMain::msRemotePOP1LoggedIn()
{
    const int n = m_loadedMailbox;
    // The server took the access token for this mailbox's user: a browser
    // sign-in whose provider did not name the account is this user's, and
    // is kept from now on.
    if (n >= 1 && signInMethodFromSetting(m_loadedAccount.signIn.method) == TSignInMethod::OAuthBrowser)
        if (const std::unique_ptr<TOAuth2SignIn> &signIn = m_oauth.at(size_t(n - 1)))
            signIn->confirmAccount();
    m_needsYouNotified.erase(n); // signed in: a new failure is news again
    if (!mailClient().SessionEncrypted() || m_loadedAccount.encrypted || n < 1)
        return;
    // From now on this mailbox never signs in over an unencrypted connection.
    m_loadedAccount.encrypted = true;
    m_general.servers.account(n).encrypted = true;
    mailClient().EncryptedBefore = true;
    try {
        saveMailboxEncrypted(n);
    } catch (const std::exception &error) {
        if (visibleOrManual())
            Prompts::current().error(error.what());
    }
}

void TfrmMain::forgetRefusedToken(const ETidewellError &error)
{
    if (dynamic_cast<const ESignInError *>(&error) && m_loadedMailbox > 0 &&
        signInMethodFromSetting(m_loadedAccount.signIn.method) == TSignInMethod::OAuthBrowser)
        oauthSignIn(m_loadedMailbox).forgetAccessToken();
}

} // namespace tw
