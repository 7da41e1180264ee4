// The main window's side of keeping secrets: the loaded mailbox's password
// or sign-in token must be at hand before a check signs in. When the
// keyring could not be reached, a secret the settings file still holds
// (older versions kept it there, and it has not moved yet) serves, with a
// warning in the activity log once per program run, and nobody is asked.
// When the keyring failed and the settings file holds nothing, a check the
// user started asks where to keep secrets instead (once per program run)
// and goes on; a hidden automatic check stops with the keyring's text,
// which goes to the activity log, and the pass goes on with the next
// mailbox. A password that is kept nowhere is asked for in a check the user
// started.

#include "app/rmmain.h"
#include "app/secret_questions.h"
#include "net/stringtable.h"
#include "platform/prompts.h"
#include "runs/run_texts.h"
#include "runs/unattended_sign_in.h"

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
    MailboxSecrets &secrets = m_general.secrets;
    if (const std::string notice = secretFromSettingsFileNotice(n, m_loadedAccount, secrets); !notice.empty()) {
        activityLog.setPath(m_general.general.Logfile);
        activityLog.logWarning(notice, mailClient().UserName, loggedServer(mailSession()));
    }
    const std::string problem = unattendedSecretProblem(n, m_loadedAccount, secrets, SecretWantedBy::Window);
    if (problem.empty())
        return;
    if (!visibleOrManual())
        throw ESecretUnavailableError(problem);
    // The keyring failed, and the settings file holds nothing in its place.
    if (!m_loadedAccount.secretFailure.empty()) {
        if (!secrets.replaceKeyringAfter(m_loadedAccount.secretFailure))
            throw ECanceledError(loadStr(57001));
        // Read again from the store that takes the keyring's place.
        GetRemotePOPSettings(n);
    }
    // The settings file always held a password; an empty one there is the
    // user's own, and the server says what it thinks of it.
    if (method != TSignInMethod::Password || !mailClient().Password.empty() ||
        secrets.chosen() == PasswordStore::SettingsFile)
        return;
    const std::string name = mailboxNamed(n, mailClient().UserName, mailClient().Server);
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
