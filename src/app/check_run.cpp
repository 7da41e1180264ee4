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
            msRemotePOP1.Server = account.server;
            msRemotePOP1.UserName = account.userName;
            // An empty stored password empties the client's: the password of
            // the mailbox loaded before must never go to another server.
            msRemotePOP1.Password = account.password;
            msRemotePOP1.Security = pop3SecurityFromSetting(account.security);
            msRemotePOP1.TrustedFingerprint = account.fingerprint;
            msRemotePOP1.SignIn = signInMethodFromSetting(account.signIn.method);
            msRemotePOP1.EncryptedBefore = account.encrypted;
            m_loadedMailbox = n;
            m_loadedAccount = account;
        }
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
}

void TfrmMain::btListClick()
{
    // 1. A usable mailbox is needed.
    if (m_general.HowManyMailboxesChecked() == 0) {
        Prompts::current().error("At least ONE mailbox needs to be checked.");
        btGeneralClick();
        return;
    }
    // 2.
    if (currentMailbox < 1 || currentMailbox > kMailboxCount)
        currentMailbox = 1;
    GetRemotePOPSettings(currentMailbox);
    playAlarmSound(false);
    // 3.
    if (isBlank(msRemotePOP1.UserName)) {
        Prompts::current().error("You need to enter your e-mail username in the settings.");
        btGeneralClick();
        return;
    }
    if (isBlank(msRemotePOP1.Server)) {
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
    msRemotePOP1.StayConnected = OnlyOneMailbox();
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
        learner.listed(msRemotePOP1.RemoteInfo());
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
        activityLog.logMailCheck(messages.count(), msRemotePOP1.UserName, msRemotePOP1.Server);
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
    learner.setListedMailbox(msRemotePOP1.Server, msRemotePOP1.UserName);
    m_listingComplete = false;
    try {
        prepareLoadedSecrets();
        msRemotePOP1.UpdateInfo();
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
    activityLog.logError(m_lastFailure, msRemotePOP1.UserName, msRemotePOP1.Server);
    m_errorLogged = true;
}

void TfrmMain::noteCheckResult(bool listed)
{
    if (!listed && m_lastFailureCanceled)
        return; // a cancel says nothing about the mailbox
    const int mailbox = m_loadedMailbox;
    std::erase_if(m_failedChecks, [mailbox](const auto &failed) { return failed.first == mailbox; });
    if (!listed)
        m_failedChecks.emplace_back(mailbox, "Last check of " + msRemotePOP1.UserName + " on " +
                                                 msRemotePOP1.Server + " failed: " + m_lastFailure);
    trayIcon->setProblem(m_failedChecks.empty() ? std::string() : m_failedChecks.back().second);
}

void TfrmMain::closeQuietly()
{
    if (!msRemotePOP1.IsConnected())
        return;
    try {
        msRemotePOP1.Close();
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
    const std::string text = error.what();
    if (dynamic_cast<const ESignInError *>(&error) || dynamic_cast<const ESecretUnavailableError *>(&error)) {
        // Its text says what to do; it is never a wrong password.
        Prompts::current().error(text);
    } else if (dynamic_cast<const ELoginRefusedError *>(&error)) {
        Prompts::current().error("\"" + text + "\"  Unable to connect to your mailbox - \"" + msRemotePOP1.UserName +
                                 "\".  Either your UserName/Mailbox or Password is incorrect.  "
                                 "Go to the General Settings screen to correct your mailbox or password.");
    } else if (dynamic_cast<const EServerError *>(&error)) {
        // Refused after the login: the account is fine, the server is not.
        Prompts::current().error("\"" + text + "\"  The server " + msRemotePOP1.Server + " refused a command for \"" +
                                 msRemotePOP1.UserName + "\", so Tidewell stopped there.  Try again later.");
    } else if (dynamic_cast<const ECanceledError *>(&error)) {
        // The user asked for it; the status line already says so.
    } else if (dynamic_cast<const ETimedOutError *>(&error) || dynamic_cast<const ETlsError *>(&error)) {
        // These texts say what went wrong and what to change.
        Prompts::current().error(text);
    } else if (dynamic_cast<const ESocketError *>(&error)) {
        Prompts::current().error("\"" + text + "\"  Unable to connect to your remote POP Server - \"" +
                                 msRemotePOP1.Server +
                                 "\".  Your remote POP server is either unavailable or incorrectly specified.  "
                                 "Go to the General Settings screen to correct the POP server.");
    } else {
        // A reply out of order or beyond what Tidewell reads.
        Prompts::current().error("\"" + text + "\"  The server " + msRemotePOP1.Server + " answered \"" +
                                 msRemotePOP1.UserName + "\" in a way Tidewell cannot follow, so it stopped there.");
    }
}

void TfrmMain::wirePopEvents()
{
    msRemotePOP1.OnOpen = [this](QObject *) { msRemotePOP1Open(); };
    msRemotePOP1.OnUpdatingInfo = [this](QObject *) { msRemotePOP1UpdatingInfo(); };
    msRemotePOP1.OnNextInfoUpdated = [this](QObject *, int n) { msRemotePOP1NextInfoUpdated(n); };
    msRemotePOP1.OnInfoUpdated = [this](QObject *) { msRemotePOP1InfoUpdated(); };
    msRemotePOP1.OnTransferringData = [this](QObject *) {
        if (m_progress)
            m_progress->setMessage("Transferring data ... ");
        setStatus("Transferring data");
    };
    msRemotePOP1.OnDataTransfered = [this](QObject *) {
        setStatus("Data has been transfered");
        if (m_recordDeletions)
            recordPendingDeletions();
    };
    msRemotePOP1.OnClosing = [this](QObject *) { setStatus("Closing connection"); };
    msRemotePOP1.OnClosed = [this](QObject *) { setStatus("Connection closed"); };
    msRemotePOP1.OnCancel = [this](QObject *) {
        setStatus("Operation has been canceled");
        setRunningState(false);
        trayIcon->setState(TTrayIcon::State::Normal);
    };
    msRemotePOP1.OnError = [this](QObject *, std::string &message) { msRemotePOP1Error(message); };
    msRemotePOP1.OnDeleting = [this](QObject *, int n) { msRemotePOP1Deleting(n); };
    msRemotePOP1.OnDeleted = [this](QObject *, int n) { m_deletedRows.push_back(n); };
    msRemotePOP1.OnMessageSkipped = [this](QObject *, int n) { m_skippedRows.push_back(n); };
    msRemotePOP1.OnCertificateUntrusted = [this](QObject *, const TCertificateProblem &problem) {
        return trustCertificate(problem);
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
    setStatus("Opening connection for " + msRemotePOP1.UserName + " on " + msRemotePOP1.Server);
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
    const TmsHeaders &headers = msRemotePOP1.RemoteInfo().Items(index).Headers;
    TWaitingMessage row;
    row.subject = headers.GetFieldBody("Subject");
    const SplitAddressResult from = SplitAddress(headers.GetFieldBody("From"));
    row.senderAddress = from.address;
    row.senderName = from.name;
    row.sizeText = std::to_string(msRemotePOP1.RemoteInfo().Items(index).Size);
    const std::string date = headers.GetFieldBody("Date");
    const ParsedDate parsed = ParseDate(date);
    row.dateText = parsed.value != 0 ? LocaleFormats::listDateTime(parsed.value) : date;
    messages.add(std::move(row));
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
    const int count = msRemotePOP1.MessageCount();
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
    m_listedUnencrypted = !msRemotePOP1.SessionEncrypted();
    setStatus(std::to_string(messages.count()) + " msg(s) for " + msRemotePOP1.UserName + " on " +
              msRemotePOP1.Server + (m_listedUnencrypted ? kUnencryptedNote : ""));
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
    activityLog.logError(message, msRemotePOP1.UserName, msRemotePOP1.Server);
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
        if (msRemotePOP1.Server.empty() || msRemotePOP1.UserName.empty())
            continue;
        setCaption("Tidewell - Now checking e-mail for " + msRemotePOP1.UserName);
        btListClick();
        if (m_general.general.Kill) {
            btDeleteClick();
            continue;
        }
        if (messages.count() > 0) {
            setWindowTitle(toDisplay("Tidewell - MailBox " + msRemotePOP1.UserName + " - " +
                                     std::to_string(messages.count()) + " messages"));
            lblTM->hide();
            trayIcon->showProgram();
            if (m_general.general.Alarm)
                playAlarmSound(true);
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
