#include "mailbox_check.h"

#include "message_lines.h"

#include "classify/classifier.h"
#include "net/errors.h"
#include "net/imap_client.h"
#include "net/mspop3.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "runs/deletion_run.h"
#include "runs/imap_session.h"
#include "runs/kept_copies.h"
#include "runs/listed_row.h"
#include "runs/pop3_session.h"
#include "runs/run_texts.h"
#include "runs/unattended_sign_in.h"
#include "settings/settings_store.h"

#include <iostream>
#include <memory>

namespace tw::check {

namespace {

constexpr int kSessionSeconds = 120;

std::string mailboxName(int n, const std::string &userName)
{
    return "mailbox " + std::to_string(n) + " (" + userName + ")";
}

// The protocol clients of one mailbox and the session that drives them.
struct MailboxConnection {
    TmsRemotePOP pop;
    TmsImapClient imap;
    std::unique_ptr<TMailboxSession> session;

    explicit MailboxConnection(MailProtocol protocol)
    {
        pop.DefaultPort = 110;
        pop.SetTimeOut(kSessionSeconds);
        imap.SetTimeOut(kSessionSeconds);
        if (protocol == MailProtocol::IMAP)
            session = std::make_unique<TImapSession>(imap);
        else
            session = std::make_unique<TPop3Session>(pop);
    }
};

class MailboxCheck {
public:
    MailboxCheck(int n, RunSetting &setting, const RemotePOPAccount &account)
        : m_n(n), m_setting(setting), m_account(account),
          m_connection(account.protocol == int(MailProtocol::IMAP) ? MailProtocol::IMAP : MailProtocol::POP3),
          m_session(*m_connection.session),
          m_classifier(m_messages, m_session.listed(), setting.spam.rules, setting.spam.tests, setting.known,
                       setting.domains, m_why)
    {
        m_session.loadAccount(account);
        m_classifier.setLearnedFilter(&setting.learned);
        m_classifier.setMailboxNumber(setting.general.serverToIndex(account.server, account.userName));
        wireClient();
    }

    std::string run(std::ostream &out);

private:
    bool logging() const { return !m_setting.options.dryRun; }
    void wireClient();
    // Why the mailbox cannot sign in without asking for its secret, logged
    // as an ERROR line; "" when it can. A secret used from the settings file
    // because the keyring could not be reached is logged as a warning.
    std::string secretProblem();
    // The ERROR line of Error (unless the client's OnError wrote it), the
    // session closed; returns the text for standard error.
    std::string failed(const ETidewellError &error);
    void print(std::ostream &out) const;
    std::string removeMarked();
    // Settles the copies after the transfer; returns, for standard error,
    // how many messages stayed on the server for want of a copy ("" for none).
    std::string settleCopies(DeletionCopyBatch *copies, const TDeletionRun &run);

    const int m_n;
    RunSetting &m_setting;
    const RemotePOPAccount m_account;
    MailboxConnection m_connection;
    TMailboxSession &m_session;
    WaitingMessages m_messages;
    WhyLog m_why;
    Classifier m_classifier;
    bool m_errorLogged = false;
};

void MailboxCheck::wireClient()
{
    TmsMailBase &client = m_session.client();
    signInUnattended(client, m_n, m_account, m_setting.general.secrets,
                     [](const std::string &error) { std::cerr << "tidewell-check: " << error << "\n"; });
    client.OnError = [this](QObject *, std::string &message) {
        if (!logging())
            return;
        m_setting.log.logError(message, m_session.client().UserName, loggedServer(m_session));
        m_errorLogged = true;
    };
    m_session.OnNextInfoUpdated = [this](QObject *, int index) {
        const int row = m_messages.add(listedRow(m_session.listed().Items(index)));
        m_classifier.MarkForDeletion(row);
    };
}

std::string MailboxCheck::failed(const ETidewellError &error)
{
    if (logging() && !m_errorLogged)
        m_setting.log.logError(error.what(), m_session.client().UserName, loggedServer(m_session));
    m_errorLogged = true;
    try {
        if (m_session.client().IsConnected())
            m_session.client().Close();
    } catch (const std::exception &) {
    }
    const std::string text = sessionErrorText(error, m_session);
    return text.empty() ? error.what() : text;
}

void MailboxCheck::print(std::ostream &out) const
{
    for (int i = 0; i < m_messages.count(); ++i) {
        const TWaitingMessage &row = m_messages.row(i);
        const PrintedMessage message{m_n, m_session.protocolName(), m_session.messageNumber(i), row.mark,
                                     m_session.listed().Items(i).Size, row.senderAddress, row.subject};
        out << (m_setting.options.json ? messageJson(message) : messageLine(message)) << "\n";
    }
    out.flush();
}

std::string MailboxCheck::secretProblem()
{
    MailboxSecrets &secrets = m_setting.general.secrets;
    const std::string &userName = m_session.client().UserName;
    const std::string problem = unattendedSecretProblem(m_n, m_account, secrets, SecretWantedBy::Command);
    if (!problem.empty()) {
        if (logging())
            m_setting.log.logError(problem, userName, loggedServer(m_session));
        return problem;
    }
    if (const std::string notice = secretFromSettingsFileNotice(m_n, m_account, secrets); !notice.empty()) {
        if (logging())
            m_setting.log.logWarning(notice, userName, loggedServer(m_session));
        std::cerr << "tidewell-check: " << notice << "\n";
    }
    return {};
}

std::string MailboxCheck::run(std::ostream &out)
{
    if (const std::string problem = secretProblem(); !problem.empty())
        return problem;
    const bool remove = m_setting.options.remove && !m_setting.options.dryRun;
    m_setting.domains.beginCheck();
    m_classifier.forgetWaitingRows();
    m_session.setStayConnected(remove);
    try {
        m_session.list();
    } catch (const ETidewellError &error) {
        const std::string text = failed(error);
        // The rows listed before the failure count, as in the window.
        if (logging() && m_messages.count() > 0)
            m_setting.log.logMailCheck(m_messages.count(), m_session.client().UserName, loggedServer(m_session));
        return text;
    }
    m_classifier.MarkForDeletion(-1);
    if (logging())
        m_setting.log.logMailCheck(m_messages.count(), m_session.client().UserName, loggedServer(m_session));
    print(out);
    if (logging()) {
        // The rule hit counters raised by the classification, as the window saves them.
        try {
            m_setting.spam.Savesettings();
        } catch (const std::exception &error) {
            std::cerr << "tidewell-check: " << error.what() << "\n";
        }
    }
    return remove ? removeMarked() : std::string();
}

std::string MailboxCheck::settleCopies(DeletionCopyBatch *copies, const TDeletionRun &run)
{
    if (!copies)
        return {};
    std::string why;
    if (!recordMovesInCopies(*copies, m_session, &why))
        m_setting.log.logError("Deleted mail does not record where the moved messages went: " + why,
                               m_session.client().UserName, loggedServer(m_session));
    copies->settle(run.possiblyRemovedRows());
    const std::vector<DeletionCopyBatch::Failure> failures = copies->failures();
    for (const DeletionCopyBatch::Failure &failure : failures) {
        const std::string subject = failure.num < m_messages.count() ? m_messages.row(failure.num).subject : "";
        const std::string text = "Not deleted, as no copy of it could be kept (" + failure.reason + "): " + subject;
        m_setting.log.logError(text, m_session.client().UserName, loggedServer(m_session));
        std::cerr << "tidewell-check: " << mailboxName(m_n, m_account.userName) << ": " << text << "\n";
    }
    expireKeptCopies(m_setting.deletedMail, m_setting.general.general, m_setting.log, Clock::nowQt().toSecsSinceEpoch());
    if (failures.empty())
        return {};
    // Marked messages left behind are a deletion that failed, for a script too.
    return std::to_string(failures.size()) + " marked message(s) were not deleted because no copy of them could be "
           "kept; they are still on the server";
}

std::string MailboxCheck::removeMarked()
{
    TDeletionRun run(m_session, m_messages, m_setting.log);
    const std::vector<int> flagged = run.markedRows();
    if (flagged.empty()) {
        try {
            m_session.end();
        } catch (const std::exception &) {
        }
        return {};
    }
    std::unique_ptr<DeletionCopyBatch> copies;
    if (m_setting.general.general.KeepDeletedDays > 0) {
        // The explanations are part of the copies; working them out must not
        // count as detections of the non-English and unknown-domain tests.
        const SpamTestSettings counters = m_setting.spam.tests;
        copies = prepareCopies(m_setting.deletedMail,
                               std::max(1LL, (long long)m_setting.general.general.KeepDeletedMaxKB) * 1024, m_session,
                               m_messages, flagged, m_classifier.mailboxNumber(),
                               [this](int row) { return m_classifier.explain(row); });
        m_setting.spam.tests.edUnknown = counters.edUnknown;
        m_setting.spam.tests.edAscii = counters.edAscii;
    }
    m_setting.log.OpenLogFile();
    m_errorLogged = false;
    try {
        run.transfer(flagged, copies.get());
    } catch (const ETidewellError &error) {
        const std::string text = failed(error);
        // The removals under way may have happened: each is found out or logged as such.
        run.settleFailure();
        settleCopies(copies.get(), run);
        m_setting.log.CloseLogFile();
        return run.failureSummary().empty() ? text : text + " " + run.failureSummary();
    }
    run.logDeletions();
    const std::vector<TDeletionRun::RemovedMessage> removed = run.removedMessages();
    const std::string copyFailure = settleCopies(copies.get(), run);
    m_setting.log.CloseLogFile();
    run.confirm();
    if (!run.skippedRows().empty())
        std::cerr << "tidewell-check: " << mailboxName(m_n, m_account.userName) << ": "
                  << skippedText(m_messages, run.skippedRows()) << "\n";
    if (const std::string notice = m_session.removalNotice(); !notice.empty()) {
        m_setting.log.logWarning(notice, m_session.client().UserName, loggedServer(m_session));
        std::cerr << "tidewell-check: " << mailboxName(m_n, m_account.userName) << ": " << notice << "\n";
    }
    // Listed again, quietly: a message the server said it removed but still
    // holds is not counted as deleted spam.
    m_session.OnNextInfoUpdated = nullptr;
    m_session.setStayConnected(false);
    int held = 0;
    try {
        m_session.list();
        // Messages an IMAP server could only mark as deleted are still
        // listed; its notice said so already.
        if (m_session.removalNotice().empty())
            held = int(stillHeld(removed, m_session.listed()).size());
        if (held > 0)
            m_setting.log.logError("The server accepted the deletion of " + std::to_string(held) +
                                       " message(s) but still holds them",
                                   m_session.client().UserName, loggedServer(m_session));
    } catch (const ETidewellError &error) {
        // The deletions are done and logged; the count goes by what the server said.
        std::cerr << "tidewell-check: " << mailboxName(m_n, m_account.userName) << ": " << failed(error) << "\n";
    }
    m_setting.general.addToSpamCount(int(removed.size()) - held);
    try {
        m_setting.general.saveGeneral();
    } catch (const std::exception &error) {
        std::cerr << "tidewell-check: " << error.what() << "\n";
    }
    return copyFailure;
}

} // namespace

std::string checkMailbox(int n, RunSetting &setting, std::ostream &out)
{
    const MailboxAccount &stored = setting.general.servers.account(n);
    if (stored.server.empty())
        return "mailbox " + std::to_string(n) + " has no server in the general settings";
    RemotePOPAccount account;
    try {
        account = readMailboxForRemotePOP(n, setting.general.secrets, [] {
            std::cerr << "tidewell-check: " << kPasswordsLostWarning << "\n";
        });
    } catch (const std::exception &error) {
        return error.what();
    }
    if (!account.loaded)
        return "the passwords of " + mailboxName(n, stored.userName) +
               " had to be entered again; enter them in Tidewell's general settings";
    if (isBlank(account.userName))
        return "You need to enter your e-mail username in the settings.";
    if (isBlank(account.server))
        return "You need to enter the name of your mail server in the settings.";
    MailboxCheck check(n, setting, account);
    return check.run(out);
}

} // namespace tw::check
