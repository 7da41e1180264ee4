// The check-mail run: loading a mailbox account into the POP3 client,
// listing its messages row by row with their classification, the handling
// of every failure, and the all-mailboxes pass of automatic mode.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "app/secret_questions.h"
#include "app/splash.h"
#include "app/which.h"
#include "platform/bytes.h"
#include "platform/clock_locale.h"
#include "platform/prompts.h"
#include "platform/settings_files.h"
#include "runs/listed_row.h"
#include "runs/run_texts.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QLabel>

namespace tw {

void TfrmMain::GetRemotePOPSettings(int n)
{
    try {
        const RemotePOPAccount account = readMailboxForRemotePOP(n, m_general.secrets, [this] {
            if (m_splash)
                m_splash->hide();
            Prompts::current().warning(kPasswordsLostWarning);
        });
        if (account.loaded) {
            m_loadedProtocol = account.protocol == int(MailProtocol::IMAP) ? MailProtocol::IMAP : MailProtocol::POP3;
            mailSession().loadAccount(account);
            m_classifier.useRemoteInfo(mailSession().listed());
            m_loadedMailbox = n;
            m_loadedAccount = account;
        }
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
}

void TfrmMain::btListClick()
{
    // 1. A usable mailbox is needed: without one, the way to add it, which
    // the first start's guide above the list offers too.
    if (m_general.HowManyMailboxesChecked() == 0) {
        btAddFromAddressClick();
        return;
    }
    // 2.
    if (currentMailbox < 1 || currentMailbox > kMailboxCount)
        currentMailbox = 1;
    GetRemotePOPSettings(currentMailbox);
    playAlarmSound(false);
    // 3.
    if (isBlank(mailClient().UserName)) {
        Prompts::current().error("You need to enter your e-mail username in the settings.");
        btGeneralClick();
        return;
    }
    if (isBlank(mailClient().Server)) {
        Prompts::current().error("You need to enter the name of your mail server in the settings.");
        btGeneralClick();
        return;
    }
    // 4. Mailbox choice, unless this is a due automatic check.
    const bool choose = !m_general.general.Automatic || (minutesLeft > 0 && visibleOrManual());
    if (choose) {
        const std::vector<int> usable = m_general.usableMailboxes();
        if (usable.size() == 1) {
            currentMailbox = usable.front();
        } else {
            std::vector<MailboxChoice> choices;
            for (int n : usable)
                choices.push_back({n, m_general.servers.account(n).userName, m_general.servers.account(n).server});
            const int chosen = askWhichMailbox(choices, currentMailbox, this);
            if (chosen == 0)
                return;
            currentMailbox = chosen;
        }
        synchronizeIwhich();
        GetRemotePOPSettings(currentMailbox);
    }
    checkLoadedMailboxAndSave();
}

void TfrmMain::checkLoadedMailboxAndSave()
{
    // What the check changes in the settings (hit counts, counters, what
    // its session taught about the mailbox) is saved once, at its end.
    SettingsWriteBatch saving;
    checkLoadedMailbox();
    try {
        saving.commit();
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
}

void TfrmMain::checkLoadedMailbox()
{
    // A check always lists the mailbox as it is now: a session kept open by
    // an earlier check shows it as it was then.
    endKeptSession();
    m_domains.beginCheck();
    m_dnsNote.clear();
    // 5.-10.
    mailSession().setStayConnected(OnlyOneMailbox());
    const bool minuteWasActive = TimerPool1.active(minuteTrigger);
    TimerPool1.setActive(minuteTrigger, false);
    learnFromListLeft({}, false);
    if (messages.count() > 0) {
        messages.clear();
        ListView1->showAll();
    }
    setRunningState(true);
    disableAllButtons();
    showProgress("Retrieving messages ... standby");
    checkInProgress = true;
    trayIcon->setMenuEnabled(false);
    // 11.
    const bool listed = listMailbox();
    // A complete listing shows which messages left alone earlier are still there.
    if (m_listingComplete)
        learner.listed(mailSession().listed());
    // 12.-14.
    trayIcon->setMenuEnabled(true);
    checkInProgress = false;
    hideProgress();
    enableAllButtons();
    setRunningState(false);
    TimerPool1.setActive(minuteTrigger, minuteWasActive);
    // 15. A check that failed before it listed anything is an ERROR in the
    // log, not a check that found no mail: the statistics count only these lines.
    if (listed || messages.count() > 0) {
        activityLog.setPath(m_general.general.Logfile);
        activityLog.logMailCheck(messages.count(), mailClient().UserName, loggedServer(mailSession()));
    }
    noteCheckResult(listed);
    // 16.
    if (listed && messages.count() == 0 && !m_general.general.Automatic && m_general.general.Exit) {
        if (startInTray)
            trayIcon->hideProgram();
        else
            close();
    }
    // 17.-18. The last word of a check says whether it came over an
    // unencrypted connection; a failed check leaves its error there.
    if (listed) {
        ShowTotalCount();
        if (m_listedUnencrypted)
            setStatus(status() + kUnencryptedNote);
        if (!m_dnsNote.empty())
            setStatus(status() + kDnsSkippedNote);
    } else {
        setStatus(m_lastFailure);
    }
    try {
        m_spam.Savesettings();
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
    saveLearnedScore();
}

bool TfrmMain::listMailbox()
{
    // Only a listing that completes tells how this session was protected.
    m_listedUnencrypted = false;
    m_errorLogged = false;
    m_classifier.forgetWaitingRows();
    m_domains.setAsker(&m_mxAsker);
    bool listed = true;
    learner.setListedMailbox(mailClient().Server, mailClient().UserName);
    m_listingComplete = false;
    try {
        prepareLoadedSecrets();
        mailSession().list();
    } catch (const ETidewellError &error) {
        listed = false;
        handleUpdateError(error);
    }
    m_domains.stopAsking();
    ListView1->showNewRows(); // also the rows of a listing that broke off
    watchKeptSession();
    return listed;
}

void TfrmMain::logFailure(const ETidewellError &error)
{
    m_lastFailure = error.what();
    m_lastFailureCanceled = dynamic_cast<const ECanceledError *>(&error) != nullptr;
    // Socket errors, time-outs and cancels have logged themselves (OnError);
    // a refused command or a reply out of order has not.
    if (m_errorLogged)
        return;
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logError(m_lastFailure, mailClient().UserName, loggedServer(mailSession()));
    m_errorLogged = true;
}

void TfrmMain::noteCheckResult(bool listed)
{
    if (!listed && m_lastFailureCanceled)
        return; // a cancel says nothing about the mailbox
    const int mailbox = m_loadedMailbox;
    std::erase_if(m_failedChecks, [mailbox](const auto &failed) { return failed.first == mailbox; });
    if (!listed)
        m_failedChecks.emplace_back(mailbox, "Last check of " + mailClient().UserName + " on " +
                                                 mailClient().Server + " failed: " + m_lastFailure);
    trayIcon->setProblem(m_failedChecks.empty() ? std::string() : m_failedChecks.back().second);
}

void TfrmMain::closeQuietly()
{
    if (!mailClient().IsConnected())
        return;
    try {
        mailClient().Close();
    } catch (const std::exception &) {
    }
}

void TfrmMain::handleUpdateError(const ETidewellError &error)
{
    logFailure(error);
    closeQuietly();
    forgetRefusedToken(error);
    forgetRefusedPassword(error);
    if (!visibleOrManual())
        return; // a hidden automatic run absorbs its errors
    enableAllButtons();
    checkInProgress = false;
    hideProgress();
    showRemoteError(error);
}

void TfrmMain::showRemoteError(const ETidewellError &error)
{
    const std::string text = sessionErrorText(error, mailSession());
    if (!text.empty())
        Prompts::current().error(text);
}

void TfrmMain::wirePopEvents()
{
    // The runs' events, from whichever protocol's session is in use.
    for (TMailboxSession *session : {(TMailboxSession *)&pop3Session, (TMailboxSession *)&imapSession}) {
        session->OnUpdatingInfo = [this](QObject *) { msRemotePOP1UpdatingInfo(); };
        session->OnNextInfoUpdated = [this](QObject *, int n) { msRemotePOP1NextInfoUpdated(n); };
        session->OnInfoUpdated = [this](QObject *) { msRemotePOP1InfoUpdated(); };
        session->OnTransferringData = [this](QObject *) {
            if (m_progress)
                m_progress->setMessage("Transferring data ... ");
            setStatus("Transferring data");
        };
        session->OnDataTransfered = [this](QObject *) { setStatus("Data has been transfered"); };
        session->OnDeleting = [this](QObject *, int n) { msRemotePOP1Deleting(n); };
    }
    // The connection's own events, from either client.
    for (TmsMailBase *client : {(TmsMailBase *)&msRemotePOP1, (TmsMailBase *)&msRemoteIMAP1}) {
        client->OnOpen = [this](QObject *) { msRemotePOP1Open(); };
        client->OnClosing = [this](QObject *) { setStatus("Closing connection"); };
        client->OnClosed = [this](QObject *) { setStatus("Connection closed"); };
        client->OnCancel = [this](QObject *) {
            setStatus("Operation has been canceled");
            setRunningState(false);
            trayIcon->setState(TTrayIcon::State::Normal);
        };
        client->OnError = [this](QObject *, std::string &message) { msRemotePOP1Error(message); };
        client->OnCertificateUntrusted = [this](QObject *, const TCertificateProblem &problem) {
            return trustCertificate(problem);
        };
    }
    // An IMAP server's [ALERT] is for the user to read.
    msRemoteIMAP1.OnAlert = [this](QObject *, const std::string &text) {
        setStatus(text);
        if (visibleOrManual())
            Prompts::current().warning("The server " + msRemoteIMAP1.Server + " says: " + text);
    };
    msRemotePOP1.OnRetrieving = [this](QObject *, int n) { msRemotePOP1Retrieving(n); };
    msRemotePOP1.OnRetrieved = [this](QObject *, int n) { msRemotePOP1Retrieved(n); };
    msRemotePOP1.OnUserMessageSave = [this](QObject *, int n, const std::string &contents) {
        msRemotePOP1UserMessageSave(n, contents);
    };
    wireSignInEvents();
}

void TfrmMain::msRemotePOP1Open()
{
    if (m_progress) {
        m_progress->setMessage("Opening connection ... ");
        m_progress->hideProgress();
    }
    setStatus("Opening connection for " + mailClient().UserName + " on " + mailClient().Server);
}

void TfrmMain::msRemotePOP1UpdatingInfo()
{
    if (m_progress) {
        m_progress->setMessage("Updating headers ... ");
        m_progress->hideProgress();
    }
    setStatus("Updating headers");
}

void TfrmMain::addRow(int index)
{
    messages.add(listedRow(mailSession().listed().Items(index)));
    ListView1->rowsAppended();
}

void TfrmMain::msRemotePOP1NextInfoUpdated(int index)
{
    // A row costs the same however many came before it: it is built,
    // classified and its mark shown; the view draws new rows in batches.
    addRow(index);
    showListingProgress(index);
    classify(messages.count() - 1);
}

void TfrmMain::showListingProgress(int index)
{
    // Texts nobody could read as fast as they change are set only as often
    // as the window is drawn; the first and the last always.
    const int count = mailSession().waitingCount();
    if (index > 0 && index + 1 < count && m_sinceProgressShown.isValid() &&
        !m_sinceProgressShown.hasExpired(kProgressTextMilliseconds))
        return;
    m_sinceProgressShown.start();
    const std::string of = std::to_string(index + 1) + " of " + std::to_string(count);
    if (m_progress) {
        m_progress->setMessage("Message " + of);
        m_progress->setProgress(count, index + 1);
    }
    setStatus("Checking message " + of + " total waiting messages");
}

void TfrmMain::msRemotePOP1InfoUpdated()
{
    hideProgress();
    m_listedUnencrypted = !mailClient().SessionEncrypted();
    setStatus(std::to_string(messages.count()) + " msg(s) for " + mailClient().UserName + " on " +
              mailClient().Server + (m_listedUnencrypted ? kUnencryptedNote : ""));
    awaitDomainAnswers();
    ListView1->showNewRows();
    classify(-1);
    m_listingComplete = true;
    enableAllButtons();
}

void TfrmMain::msRemotePOP1Error(std::string &message)
{
    setStatus(message);
    updateCheckGlyph();
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logError(message, mailClient().UserName, loggedServer(mailSession()));
    m_errorLogged = true;
}

void TfrmMain::CheckAllMailBoxes()
{
    if (minutesLeft > 0) {
        setWindowTitle(toDisplay("Tidewell - next e-mail check in " + std::to_string(minutesLeft) +
                                 (minutesLeft == 1 ? " minute" : " minutes")));
        return;
    }
    passRunning = true;
    TimerPool1.setActive(minuteTrigger, false);
    endKeptSession();
    bool stoppedAtMail = false;
    for (int n = 1; n <= kMailboxCount && !stoppedAtMail; ++n) {
        if (!m_general.servers.account(n).checked)
            continue;
        currentMailbox = n;
        GetRemotePOPSettings(n);
        if (mailClient().Server.empty() || mailClient().UserName.empty())
            continue;
        setCaption("Tidewell - Now checking e-mail for " + mailClient().UserName);
        btListClick();
        if (m_general.general.Kill) {
            btDeleteClick();
            continue;
        }
        if (messages.count() > 0) {
            setWindowTitle(toDisplay("Tidewell - MailBox " + mailClient().UserName + " - " +
                                     std::to_string(messages.count()) + " messages"));
            lblTM->hide();
            trayIcon->showProgram();
            if (m_general.general.Alarm)
                playAlarmSound(true);
            notifyJunkMarked();
            stoppedAtMail = true;
        }
    }
    if (!stoppedAtMail)
        setCaption("Tidewell - No waiting messages found");
    currentMailbox = m_general.servers.Which;
    GetRemotePOPSettings(currentMailbox);
    minutesLeft = m_general.general.Minutes;
    passRunning = false;
}

} // namespace tw
