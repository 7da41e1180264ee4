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

std::string accountName(int n, const RemotePOPAccount &account)
{
    return "mailbox " + std::to_string(n) + " (" + account.userName + " on " + account.server + ")";
}

std::string secretName(const RemotePOPAccount &account)
{
    return signInMethodFromSetting(account.signIn.method) == TSignInMethod::Password ? "password" : "sign-in";
}

// The secret Account's sign-in needs: its password, or the refresh token of
// the browser sign-in.
const std::string &neededSecret(const RemotePOPAccount &account)
{
    return signInMethodFromSetting(account.signIn.method) == TSignInMethod::Password ? account.password
                                                                                      : account.signIn.refreshToken;
}

// The keyring's own text on one line, as a log line needs it, without the
// full stop it may end with.
std::string oneLine(std::string text)
{
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

constexpr const char *kKeepInSettingsFile =
    "keep the passwords in Tidewell's settings file (the Passwords page of the general settings).";

} // namespace

std::string unattendedSecretProblem(int n, const RemotePOPAccount &account, const MailboxSecrets &secrets,
                                    SecretWantedBy wantedBy)
{
    const TSignInMethod method = signInMethodFromSetting(account.signIn.method);
    if (method == TSignInMethod::OAuthCommand)
        return {}; // a token command needs nothing kept
    const std::string name = accountName(n, account);
    const bool window = wantedBy == SecretWantedBy::Window;
    if (!account.secretFailure.empty() && neededSecret(account).empty())
        return "The desktop keyring could not give the " + secretName(account) + " of " + name + ": " +
               oneLine(account.secretFailure) +
               (window ? ". Checking mail with the window open asks where to keep it instead, or "
                       : ". Run tidewell-check from its systemd user timer (tidewell-check.timer), which reaches "
                         "the keyring of your session, or ") +
               kKeepInSettingsFile;
    if (method == TSignInMethod::Password && account.password.empty() &&
        secrets.chosen() != PasswordStore::SettingsFile)
        return "No password is kept for " + name +
               (secrets.inUse() == PasswordStore::AskEachCheck
                    ? (window ? ": it is asked at each check, and a check in the background cannot ask."
                              : ": it is asked at each check, and nobody can be asked here.")
                    : " in the desktop keyring (a locked keyring shows none).") +
               (window ? " Checking mail with the window open asks for it."
                       : " Checking mail with Tidewell's window open asks for it.");
    return {};
}

std::string secretFromSettingsFileNotice(int n, const RemotePOPAccount &account, MailboxSecrets &secrets)
{
    if (account.secretFailure.empty() || neededSecret(account).empty() ||
        signInMethodFromSetting(account.signIn.method) == TSignInMethod::OAuthCommand ||
        !secrets.firstUseFromSettingsFile({account.userName, account.server}))
        return {};
    return "The desktop keyring could not be reached (" + oneLine(account.secretFailure) + "); the " +
           secretName(account) + " of " + accountName(n, account) +
           " is used from Tidewell's settings file, where it stays until the keyring can take it.";
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
