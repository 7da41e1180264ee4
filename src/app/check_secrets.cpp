// The main window's side of keeping secrets: the loaded mailbox's password
// or sign-in token must be at hand before a check signs in. When the
// keyring failed, a check the user started asks where to keep secrets
// instead (once per program run) and goes on; a hidden automatic check
// stops with the keyring's text, which goes to the activity log, and the
// pass goes on with the next mailbox. A password that is kept nowhere is
// asked for in a check the user started.

#include "app/rmmain.h"
#include "app/secret_questions.h"
#include "net/stringtable.h"
#include "platform/prompts.h"

namespace tw {

namespace {

std::string mailboxNamed(int n, const std::string &userName, const std::string &server)
{
    return "mailbox " + std::to_string(n) + " (" + userName + " on " + server + ")";
}

} // namespace

void TfrmMain::prepareLoadedSecrets()
{
    const int n = m_loadedMailbox;
    const TSignInMethod method = signInMethodFromSetting(m_loadedAccount.signIn.method);
    // A token command needs nothing kept.
    if (n < 1 || method == TSignInMethod::OAuthCommand)
        return;
    const std::string name = mailboxNamed(n, mailClient().UserName, mailClient().Server);
    MailboxSecrets &secrets = m_general.secrets;
    if (!m_loadedAccount.secretFailure.empty()) {
        const std::string failure = m_loadedAccount.secretFailure;
        if (!visibleOrManual())
            throw ESecretUnavailableError("The desktop keyring could not give the " +
                                          std::string(method == TSignInMethod::Password ? "password" : "sign-in") +
                                          " of " + name + ": " + failure +
                                          " Checking mail with the window open asks where to keep it instead.");
        if (!secrets.replaceKeyringAfter(failure))
            throw ECanceledError(loadStr(57001));
        // Read again from the store that takes the keyring's place.
        GetRemotePOPSettings(n);
    }
    // The settings file always held a password; an empty one there is the
    // user's own, and the server says what it thinks of it.
    if (method != TSignInMethod::Password || !mailClient().Password.empty() ||
        secrets.chosen() == PasswordStore::SettingsFile)
        return;
    if (!visibleOrManual())
        throw ESecretUnavailableError(
            "No password is kept for " + name +
            (secrets.inUse() == PasswordStore::AskEachCheck
                 ? ": it is asked at each check, and a check in the background cannot ask."
                 : " in the desktop keyring (a locked keyring shows none).") +
            " Checking mail with the window open asks for it.");
    std::string password;
    if (!Prompts::current().inputSecret("Password", "The password of " + name + ":", password) || password.empty())
        throw ECanceledError(loadStr(57001));
    const MailboxIdentity who{mailClient().UserName, mailClient().Server};
    try {
        secrets.saveWithUser([&] { secrets.save(n, who, who, MailboxSecret::Password, password); });
    } catch (const std::exception &) {
        // Kept nowhere (the question was left unanswered, or the settings
        // file could not be written): it serves this check, and the next asks again.
    }
    mailClient().Password = password;
    m_loadedAccount.password = password;
    MailboxAccount &account = m_general.servers.account(n);
    if (account.userName == who.userName && account.server == who.server)
        account.password = password;
}

void TfrmMain::forgetRefusedPassword(const ETidewellError &error)
{
    // A password asked for this run only is asked again after the server refused it.
    if (dynamic_cast<const ELoginRefusedError *>(&error) && m_loadedMailbox > 0 &&
        m_general.secrets.inUse() == PasswordStore::AskEachCheck)
        m_general.secrets.forget({mailClient().UserName, mailClient().Server}, MailboxSecret::Password);
}

} // namespace tw
