// The main window's side of the POP3 session: the question about a server
// certificate that does not verify, and the rule that a session kept open
// after a listing never outlives its purpose. A POP3 session shows the
// mailbox as it was at login and locks it against the user's own mail
// program, so a kept session ends after a minute without use, when the
// window is hidden, when an automatic pass or a new check starts, and when
// its account is changed.

#include "app/rmmain.h"
#include "net/tls_trust.h"
#include "platform/bytes.h"
#include "platform/prompts.h"
#include "settings/settings_store.h"

#include <QHideEvent>

namespace tw {

namespace {

std::string certificateQuestion(const TCertificateProblem &problem, int mailbox, const std::string &userName)
{
    const std::string account = "mailbox " + std::to_string(mailbox) + " (" + userName + ")";
    std::string text =
        problem.changed
            ? "The certificate of " + problem.host + " has CHANGED since you chose to trust it for " + account +
                  ". A provider may replace its certificate, but an attacker listening in on the connection would "
                  "do the same. The new certificate could not be verified: " + problem.reason + "."
            : "The certificate of " + problem.host + " for " + account + " could not be verified: " + problem.reason +
                  ".";
    text += "\n\nSubject: " + problem.subject + "\nIssuer: " + problem.issuer + "\nValid from " + problem.validFrom +
            " to " + problem.validTo + "\nSHA-256 fingerprint: " + groupedFingerprint(problem.fingerprint) +
            "\n\nTrust this certificate for this mailbox from now on?  Answer Yes only if you know it is your "
            "provider's; otherwise nothing is sent to the server.";
    return text;
}

// "Trust it also for mailboxes 2 and 5 on pop.example.org".
std::string sameServerCheckBox(const std::string &host, const std::vector<int> &mailboxes)
{
    std::string list;
    for (size_t i = 0; i < mailboxes.size(); ++i)
        list += (i == 0 ? "" : i + 1 == mailboxes.size() ? " and " : ", ") + std::to_string(mailboxes[i]);
    return "Trust it also for mailbox" + std::string(mailboxes.size() == 1 ? " " : "es ") + list + " on " + host;
}

} // namespace

bool TfrmMain::trustCertificate(const TCertificateProblem &problem)
{
    if (m_loadedMailbox < 1)
        return false;
    if (!visibleOrManual()) {
        // Nobody is asked, and every later check of the mailbox stops the
        // same way: the failure stays on the tray tip, and a change of
        // certificate sounds the alarm once, as new mail would.
        if (problem.changed && m_alarmedCertificates.insert(problem.fingerprint).second) {
            if (m_general.general.Alarm)
                playAlarmOnce();
            notifyMailboxNeedsYou("The certificate of " + problem.host + " has changed",
                                  "The check of " + mailClient().UserName +
                                      " stopped before anything was sent: the server's certificate is not the one "
                                      "you chose to trust. Open Tidewell to look at it.");
        }
        return false;
    }
    // One certificate, one question: the other mailboxes on the same server
    // meet the same certificate, and may take the answer at once.
    std::vector<int> mailboxes{m_loadedMailbox};
    const std::vector<int> others = mailboxesOnSameServer(m_loadedMailbox, problem.fingerprint);
    const std::string question = certificateQuestion(problem, m_loadedMailbox, mailClient().UserName);
    if (others.empty()) {
        if (!Prompts::current().yesNoDefaultNo(question))
            return false;
    } else {
        bool forAll = true;
        if (!Prompts::current().yesNoDefaultNoWithCheckBox(question, sameServerCheckBox(problem.host, others), forAll))
            return false;
        if (forAll)
            mailboxes.insert(mailboxes.end(), others.begin(), others.end());
    }
    try {
        for (int n : mailboxes) {
            m_general.servers.account(n).fingerprint = problem.fingerprint;
            saveMailboxFingerprint(n, problem.fingerprint);
        }
    } catch (const std::exception &error) {
        // This session goes on; the next one asks again.
        Prompts::current().error(error.what());
    }
    return true;
}

std::vector<int> TfrmMain::mailboxesOnSameServer(int mailbox, const std::string &fingerprint) const
{
    const MailboxAccount &account = m_general.servers.account(mailbox);
    const std::string server = lowerCase(trimmed(account.server));
    std::vector<int> others;
    for (int n = 1; n <= kMailboxCount; ++n) {
        const MailboxAccount &other = m_general.servers.account(n);
        if (n != mailbox && !server.empty() && lowerCase(trimmed(other.server)) == server &&
            other.protocol == account.protocol && other.fingerprint != fingerprint)
            others.push_back(n);
    }
    return others;
}

bool TfrmMain::runInProgress() const { return checkInProgress || deleteBusy || runningState() || m_viewingBody; }

void TfrmMain::endKeptSession()
{
    m_keptSessionTimer.stop();
    if (runInProgress())
        return;
    // Nothing is flagged in a kept session (a deletion run ends its own with
    // QUIT), so quitting loses nothing. Both protocols' clients: the mailbox
    // loaded now may speak another protocol than the one kept open.
    for (TmsMailBase *client : {(TmsMailBase *)&msRemotePOP1, (TmsMailBase *)&msRemoteIMAP1}) {
        if (!client->IsConnected())
            continue;
        try {
            client->CloseMailbox();
        } catch (const std::exception &) {
            // The server may have dropped the session already; it is closed now.
        }
    }
}

void TfrmMain::watchKeptSession()
{
    if (!mailClient().IsConnected()) {
        m_keptSessionTimer.stop();
        return;
    }
    m_keptSessionTimer.setSingleShot(true);
    m_keptSessionTimer.start(keptSessionSeconds * 1000);
}

void TfrmMain::followAccountChanges()
{
    if (m_loadedMailbox < 1)
        return;
    const MailboxAccount &account = m_general.servers.account(m_loadedMailbox);
    const TPop3Security security = pop3SecurityFromSetting(account.security);
    const bool sameAccount = account.server == mailClient().Server && account.userName == mailClient().UserName;
    const bool sameSignIn = account.signIn == m_loadedAccount.signIn && account.plainText == m_loadedAccount.plainText &&
                            account.encrypted == m_loadedAccount.encrypted;
    if (sameAccount && account.password == mailClient().Password && security == mailClient().Security && sameSignIn)
        return;
    endKeptSession();
    if (!sameAccount)
        return; // the listed rows belong to the account the client still holds
    mailClient().Password = account.password;
    mailClient().Security = security;
    mailClient().TrustedFingerprint = account.fingerprint;
    mailClient().SignIn = signInMethodFromSetting(account.signIn.method);
    mailClient().EncryptedBefore = account.encrypted;
    m_loadedAccount.password = account.password;
    m_loadedAccount.security = account.security;
    m_loadedAccount.fingerprint = account.fingerprint;
    m_loadedAccount.signIn = account.signIn;
    m_loadedAccount.encrypted = account.encrypted;
    m_loadedAccount.plainText = account.plainText;
}

void TfrmMain::hideEvent(QHideEvent *event)
{
    endKeptSession();
    QMainWindow::hideEvent(event);
}

} // namespace tw
