#include "runs/unattended_sign_in.h"

#include "net/errors.h"
#include "net/oauth2_sign_in.h"
#include "net/oauth_providers.h"
#include "net/token_command.h"

#include <memory>

namespace tw {

namespace {

std::string mailboxName(int n, const std::string &userName)
{
    return "mailbox " + std::to_string(n) + " (" + userName + ")";
}

} // namespace

std::string unattendedSecretProblem(int n, const RemotePOPAccount &account, const MailboxSecrets &secrets)
{
    const TSignInMethod method = signInMethodFromSetting(account.signIn.method);
    if (method == TSignInMethod::OAuthCommand)
        return {}; // a token command needs nothing kept
    const std::string name = "mailbox " + std::to_string(n) + " (" + account.userName + " on " + account.server + ")";
    if (!account.secretFailure.empty())
        return "The desktop keyring could not give the " +
               std::string(method == TSignInMethod::Password ? "password" : "sign-in") + " of " + name + ": " +
               account.secretFailure + " Nothing is asked and nobody waits for the keyring to be unlocked here.";
    if (method == TSignInMethod::Password && account.password.empty() &&
        secrets.chosen() != PasswordStore::SettingsFile)
        return "No password is kept for " + name +
               (secrets.inUse() == PasswordStore::AskEachCheck
                    ? ": it is asked at each check, and nobody can be asked here."
                    : " in the desktop keyring (a locked keyring shows none).") +
               " Checking mail with Tidewell's window open asks for it.";
    return {};
}

void signInUnattended(TmsMailBase &client, int n, const RemotePOPAccount &account, MailboxSecrets &secrets,
                      const std::function<void(const std::string &error)> &onStoreError)
{
    client.OnAccessToken = [n, account, &secrets, onStoreError](QObject *) {
        if (signInMethodFromSetting(account.signIn.method) == TSignInMethod::OAuthCommand)
            return runTokenCommand(account.signIn.tokenCommand, kTokenCommandSeconds);
        TOAuth2SignIn signIn;
        const MailboxSignIn &values = account.signIn;
        signIn.Endpoints =
            oauthEndpoints(account.server, {values.authorizeUrl, values.tokenUrl, values.scope, values.clientId});
        signIn.RefreshToken = values.refreshToken;
        // A provider may hand out a new refresh token with the refresh and
        // stop taking the old one, so the new one is kept.
        signIn.OnRefreshTokenChanged = [n, account, &secrets, onStoreError](const std::string &token) {
            const MailboxIdentity who{account.userName, account.server};
            try {
                secrets.save(n, who, who, MailboxSecret::RefreshToken, token);
            } catch (const std::exception &error) {
                if (onStoreError)
                    onStoreError(error.what());
            }
        };
        try {
            return signIn.accessToken();
        } catch (const ESignInExpiredError &expired) {
            throw ESignInExpiredError("The sign-in for " + mailboxName(n, account.userName) +
                                      (values.refreshToken.empty() ? " has not been made yet" : " has expired") +
                                      "; checking mail in Tidewell's window signs in. (" + expired.what() + ")");
        }
    };
    client.OnPlainTextSignIn = [n, account, &client](QObject *, std::string &refusal) {
        if (PlainTextAnswer(account.plainText) == PlainTextAnswer::Yes)
            return true;
        refusal = "The server offers no encryption, and the " +
                  std::string(signsInWithToken(client.SignIn) ? "access token" : "password") + " of " +
                  mailboxName(n, account.userName) +
                  " is never sent unencrypted without your permission; it was not sent. Check mail with "
                  "Tidewell's window open to decide.";
        return false;
    };
    // Nobody is there to look at it: only the certificate the user trusted before goes.
    client.OnCertificateUntrusted = [](QObject *, const TCertificateProblem &) { return false; };
}

} // namespace tw
