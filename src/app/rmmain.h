#pragma once
// TfrmMain: the program's main window. It shows the waiting messages with
// their marks, carries the commands, and runs the check-mail run, the
// deletion run and automatic mode over the POP3 client it owns. The mailbox
// accounts and general settings come from the general settings model, the
// rule tables and spam-test settings from the spam settings model; both are
// owned elsewhere and read here in place.

#include "app/message_list.h"
#include "app/timer_pool.h"
#include "app/tray.h"
#include "classify/classifier.h"
#include "classify/known_spammers.h"
#include "classify/learning_decisions.h"
#include "classify/mx_lookup_resolver.h"
#include "classify/unknown_domains.h"
#include "classify/waiting_messages.h"
#include "keep/deleted_mail_store.h"
#include "keep/deletion_copy_batch.h"
#include "net/agRasCmp.h"
#include "net/message_text.h"
#include "net/msmsg.h"
#include "net/msmx.h"
#include "net/msmx_queries.h"
#include "net/imap_client.h"
#include "net/mspop3.h"
#include "net/oauth2_sign_in.h"
#include "settings/Encryp.h"
#include "settings/general_model.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"
#include "runs/deletion_run.h"
#include "runs/imap_session.h"
#include "runs/pop3_session.h"
#include "stats/activity_log.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QAction;
class QLabel;
class QPushButton;
class QMenu;
class QToolButton;
class QWidget;

namespace tw {

class TfrmRetrieving;
class TfrmSplash;

// Added to the status line while the messages listed came over an
// unencrypted connection.
inline constexpr const char *kUnencryptedNote = "  (not encrypted)";
// Added to the status line when the DNS server did not answer during the check.
inline constexpr const char *kDnsSkippedNote = "  (DNS not answering: unknown domains not tested)";

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(GeneralSettingsModel &general, SpamSettingsModel &spam, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The windows and commands that live elsewhere, wired at start-up.
    // Each shows its window modally and returns when it closes.
    std::function<void()> ShowGeneralSettingsWindow;
    // The general settings window with "Add from address" open over it.
    std::function<void()> ShowAddFromAddress;
    std::function<void()> ShowSpamSettingsWindow;
    // Ends the program (the start-up code quits the event loop). Closing the
    // main window and the tray's Exit call it; unset, nothing more happens,
    // which is what tests of a window need.
    std::function<void()> EndProgram;
    // Called first when the window is asked to close, before it saves its
    // column widths and placement (the program then ends).
    std::function<void()> OnClosing;

    // Start-up: the creation steps (settings, timers, blacklist, first
    // mailbox, tray, column widths, placement). Splash may be null.
    void FormCreate(TfrmSplash *splash, TfrmRetrieving *progress);

    // --- controls (objectName = member name) ---
    QLabel *lblTitle, *lblTM, *lblAd;
    QToolButton *btList, *btOptions, *btExit, *btMark, *btDelete, *btRemark, *btResetAll, *btLaunch;
    QWidget *pnlSettings;
    QToolButton *btGeneral, *btSpamSetup, *btStats, *btDeletedMail, *btAbout, *btBlammo, *btHelp;
    TMessageListView *ListView1;
    // Above the list while no mailbox can be checked: one line that says
    // what to do, and "Add from address..." (the first start's guide).
    QWidget *pnlFirstStart;
    QLabel *lblFirstStart;
    QPushButton *btAddFromAddress;
    QLabel *StatusPanel1, *StatusPanel2;
    QMenu *trayMenu;
    QMenu *PopupMenu1;  // the message list's right-button menu
    QAction *Why1, *NotJunk1, *Junk1, *AddtoSPAMlist1, *Addselectedsendersdomaintospamlist1, *AddtoExceptions1,
        *ViewHeader1, *ViewMessages1, *DeletedMail1;
    QAction *acTrayCheck, *acTrayLaunch, *acTrayMain, *acTraySpam, *acTrayGeneral, *acTrayViewLog, *acTrayStats,
        *acTrayDeletedMail, *acTrayEnable, *acTrayDisable, *acTrayHelp, *acTrayAbout, *acTrayExit;

    // --- owned parts ---
    TmsRemotePOP msRemotePOP1;
    TmsImapClient msRemoteIMAP1;
    // The runs drive the client of the loaded mailbox's protocol through its session.
    TPop3Session pop3Session{msRemotePOP1};
    TImapSession imapSession{msRemoteIMAP1};
    TMailboxSession &mailSession() { return m_loadedProtocol == MailProtocol::IMAP ? (TMailboxSession &)imapSession : pop3Session; }
    const TMailboxSession &mailSession() const
    {
        return m_loadedProtocol == MailProtocol::IMAP ? (const TMailboxSession &)imapSession : pop3Session;
    }
    // The loaded mailbox's account and connection.
    TmsMailBase &mailClient() { return mailSession().client(); }
    const TmsMailBase &mailClient() const { return mailSession().client(); }
    TmsMessage msMessage1;  // the message last downloaded for viewing
    TagRas agRas1;
    TmsMXResolver MXResolver;
    TmsMXQueries MXQueries;  // the unknown-domain queries of a listing, sent together
    WaitingMessages messages;
    WhyLog why;
    KnownSpammers knownSpammers;
    // The learned score's store (program folder) and what trains it.
    LearnedFilter learnedFilter;
    DecisionLearner learner{learnedFilter};
    ActivityLog activityLog;
    TimerPool TimerPool1;
    TTrayIcon *trayIcon = nullptr;

    // --- state ---
    int currentMailbox = 1;
    bool startInTray = false;
    bool checkInProgress = false;
    bool automaticRun = false;
    int minutesLeft = 10;
    int markedTotal = 0;
    int deletionCounter = 0;
    bool deleteBusy = false;
    bool aboutBusy = false;
    bool passRunning = false;  // an all-mailboxes pass is under way
    TimerPool::Handle minuteTrigger = 0;
    TimerPool::Handle splashTrigger = 0;

    // --- buttons and status ---
    void disableAllButtons();
    void enableAllButtons();
    // The Exit button (and the tray's Exit item) in the running state ("Cancel") or idle.
    void setRunningState(bool running);
    bool runningState() const;
    void updateCheckGlyph();
    void setStatus(const std::string &text);
    std::string status() const;
    void ShowTotalCount();
    void NadaSelected();

    // --- commands ---
    void btListClick();
    void btMarkClick();
    void btRemarkClick();
    void ResetButtonClick();
    void btDeleteClick();
    void btExitClick() { exitCommand(false); }
    void exitCommand(bool fromTray);
    void btLaunchClick();
    void btHelpClick();
    void btGeneralClick();
    // "Add from address...": the general settings with a new mailbox
    // found from its address; also what "Check e-mail" does while no
    // mailbox can be checked.
    void btAddFromAddressClick();
    // Shows the first start's guide exactly while no mailbox can be checked.
    void updateFirstStartGuide();
    void btSpamSetupClick();
    void btStatsClick();
    void btAboutClick(bool bustASpam);
    void Viewlogfile1Click();
    void EnableAutomatic1Click(bool enable);

    // --- tray menu and list touches ---
    void popTrayPopup();              // the tray menu opens: the alarm stops
    void LaunchEmailprogram1Click();  // "Launch e-mail program"
    void ShowMainScreen1Click();      // "Main screen"
    void ListView1Click();            // a click on the list: the alarm stops
    void ListView1KeyUp();            // a key released in the list: the alarm stops

    // --- list commands: rules from the selected messages ---
    // Each needs a selection (else the no-selection note), saves the rule
    // files and re-classifies the whole list.
    void AddtoSPAMlist1Click();  // through the mark-for-deletion dialog
    void Addselectedsendersdomaintospamlist1Click();
    void AddtoExceptions1Click();
    void Show1Click();

    // --- the learned score (learning.cpp) ---
    // "Not junk" and "Junk": the selected messages are trained as ordinary
    // mail or as junk (moved if trained the other way before) and their
    // marks follow; the store is saved.
    void NotJunk1Click();
    void Junk1Click();
    // Reads the store (at start-up); a store that cannot be used is reported.
    void loadLearnedScore();
    // Writes the store if training changed it; a failure is reported (in a
    // hidden automatic run only on the status line).
    void saveLearnedScore();

    // --- message inspection ---
    // The header blocks of the selected rows as the listing fetched them.
    void ViewHeader1Click();
    // Downloads the first selected message (asking first when it is larger
    // than 50000 bytes) into msg_<row>.eml and shows its decoded body.
    void ViewMessages1Click();
    // The explanation of the first selected row's mark; marks stay as they are.
    void Why1Click();
    // Decodes a saved message for the body view off the interface thread,
    // with the progress window and its Cancel (which leaves the status
    // "Operation has been canceled"); nothing after a cancel or an error
    // (reported).
    std::optional<TShownMessage> decodeForViewing(const std::string &file);

    // --- check-mail run ---
    // Loads mailbox N into the POP3 client (the one-time password warning included).
    void GetRemotePOPSettings(int n);
    void CheckAllMailBoxes();
    bool OnlyOneMailbox() const { return m_general.OnlyOneMailbox(); }
    void synchronizeIwhich() { m_general.servers.Which = currentMailbox; }
    int serverToIndex() const;

    // --- deletion run ---
    void DeleteMessages();

    // --- copies of deleted mail (deleted_mail.cpp) ---
    // "Deleted mail" from the settings panel, the tray and the list menu:
    // the window of kept copies, with the minute trigger paused meanwhile.
    void DeletedMail1Click();
    // The window alone, over the window in front (the general settings use it).
    void openDeletedMailWindow();
    // Removes the copies that the general settings' days and size expire;
    // a folder that stays above its size for young copies is logged.
    void expireKeptCopies();
    bool keepingCopies() const;
    const DeletedMailStore &deletedMail() const { return m_deletedMail; }
    // Sets up Imap for moving kept copies back to the mailbox First came
    // from: its account, and a sign-in that asks nothing. "" or why not.
    std::string prepareMoveBack(TmsImapClient &imap, const KeptMessage &first);

    // --- the POP3 session (secure_session.cpp) ---
    // A session kept open after a listing for the deletion run that follows
    // is ended (QUIT) after this many seconds without use.
    int keptSessionSeconds = 60;
    // Ends a session kept open after a listing, unless a run is using it.
    void endKeptSession();
    // The question about a certificate that does not verify; Yes stores its
    // fingerprint for the mailbox in use, and, when the check box under the
    // question stays ticked, for the other mailboxes on the same server.
    // Never asked in a hidden automatic check: the session stops with its
    // error in the activity log instead.
    bool trustCertificate(const TCertificateProblem &problem);
    // The other mailboxes with the same server and protocol as Mailbox that
    // do not trust Fingerprint yet.
    std::vector<int> mailboxesOnSameServer(int mailbox, const std::string &fingerprint) const;

    // --- signing in (sign_in.cpp) ---
    // The access token for the mailbox loaded into the POP3 client: the
    // token command's output, or the browser sign-in's token, refreshed
    // without the user. When there is none, or the refresh is refused, a
    // check the user started says why and opens the browser; a hidden
    // automatic check never does: it fails with the text that the activity
    // log and the tray icon's tip show. Raises ESignInError,
    // ESignInExpiredError, ECanceledError.
    std::string accessTokenForLoadedMailbox();
    // Whether the loaded mailbox's password (or token) may go out over a
    // connection the server offers no encryption for: the remembered
    // answer, else the question, asked only in a check the user started.
    bool allowPlainTextSignIn(std::string &refusal);
    // The OAuth2 sign-in of mailbox N, set up from its current settings.
    TOAuth2SignIn &oauthSignIn(int n);

    // --- automatic mode ---
    void UpdateAutomaticCaptions(bool automatic, int minutes);
    void UpdateTrayIcons(bool automatic);
    void tmCheckForMailTimer();
    void playAlarmSound(bool start);
    // The alarm file once (never looped), or the beep without one.
    void playAlarmOnce();
    // Removes every saved message file (msg_<n>.eml) of the message folder.
    void CleanUpEMLFiles();

    // --- desktop notifications (notifications.cpp) ---
    // After an automatic pass stopped at a mailbox whose list holds junk:
    // "N junk messages marked in <mailbox>" with "Review" (the list comes
    // forward) and, when deleting would remove some of them, "Delete now",
    // which deletes only while the list is still the one announced.
    void notifyJunkMarked();
    // A hidden check of the loaded mailbox cannot go on without the user
    // (sign-in expired, certificate changed): Summary and Body with "Open",
    // which brings the window forward and checks that mailbox with it open,
    // where the questions are asked. Once per mailbox until it signs in again.
    void notifyMailboxNeedsYou(const std::string &summary, const std::string &body);
    // The notification actions' commands.
    void reviewAnnouncedList();
    void deleteAnnouncedJunk(const std::string &announced);
    void checkMailboxFromNotification(int n);
    // The loaded mailbox and every row's subject and mark, as one text.
    std::string listFingerprint() const;

    // The first time the program is minimised for want of a tray, the user
    // hears why; the settings remember that it was said.
    void tellOnceWhyMinimized();

    // Moves and shrinks the window as far as needed to lie on its screen.
    void keepOnScreen();

    // Classifies row Index (every row when negative, the program's events
    // handled meanwhile) as the check does, and shows the marks.
    void classify(int index);
    // The why lines and mark of row Index.
    std::vector<std::string> explain(int index);
    Classifier &classifier() { return m_classifier; }

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // Shows a general settings window through Show, then takes over what
    // changed in it (the preferred mailbox, the minutes, the dial-up).
    void showGeneralSettings(const std::function<void()> &show);
    void buildTrayMenu();
    void buildPopupMenu();
    // The selected rows in list order (after reading the view's selection).
    std::vector<int> selectedRows();
    void saveRulesAndRemark();
    void trainSelected(TrainedAs as);
    // The list is about to be emptied: what the user decided about its
    // messages trains the learned score. Deleted: the rows the server
    // deleted in this run.
    void learnFromListLeft(const std::vector<int> &deleted, bool userStartedDeletion);
    void wirePopEvents();
    // A toolbar button painted by the program: Description tells a screen
    // reader what its glyph and caption mean.
    QToolButton *bigButton(const char *name, const QString &caption, const QString &glyph, const QString &description);
    QToolButton *panelButton(const char *name, const QString &caption);
    void playAlarmFile(bool loop);
    // Starts the mail program of the general settings; the error box when it cannot.
    bool startMailProgram();
    void afterDialog();  // makes the minute trigger active again if automatic checking is on
    void TimerPoolAllTriggers(TimerPool::Handle handle);
    void timSplashTimer();
    void readSelection();
    void showMarks();
    bool visibleOrManual() const;  // progress and boxes are shown unless a hidden automatic run
    void showProgress(const std::string &title);
    void hideProgress();
    void cancelRun();
    void setCaption(const std::string &caption);  // window caption, title label and tray hint

    // check-mail run pieces
    // The check of the mailbox loaded into the POP3 client, once it is
    // chosen: the listing, the log line, the status and the saving.
    void checkLoadedMailbox();
    // The same, with what it changes in the settings saved once at its end.
    void checkLoadedMailboxAndSave();
    // UpdateInfo with its failures handled; true when the listing completed.
    bool listMailbox();
    void addRow(int index);
    // The progress window's and status line's texts for message Index.
    void showListingProgress(int index);
    // Keeps Error as the last failure and writes its ERROR line, unless the
    // POP3 client's OnError has written it already.
    void logFailure(const ETidewellError &error);
    // After a check of the loaded mailbox: a failure is kept for the tray
    // tip until that mailbox's next check lists it.
    void noteCheckResult(bool listed);
    void handleUpdateError(const ETidewellError &error);
    void closeQuietly();
    void showRemoteError(const ETidewellError &error);
    // After a listing: a session left open waits at most keptSessionSeconds.
    void watchKeptSession();
    // After the general settings window: a kept session whose account was
    // changed there is ended, and the client takes the new password and
    // security when the server and user name stayed the same.
    void followAccountChanges();
    bool runInProgress() const;

    // The unknown-domain answers of a listing (domain_answers.cpp).
    // Sets up the queries' server, time-out and the handlers of their answers.
    void wireDomainQueries();
    // Rows whose domain turned out unknown after they were listed get their mark.
    void domainAnswered(const std::string &domain, TMXOutcome outcome);
    // The listing is complete: waits for the answers still out (each query
    // ends within its time-out and retry), so the last pass has them all.
    void awaitDomainAnswers();
    // Said once per check when the DNS server does not answer.
    void dnsNotAnswering();

    // signing in (sign_in.cpp)
    void wireSignInEvents();
    // After a login: an encrypted session is remembered for the mailbox,
    // and a notice about its sign-in is cleared.
    void msRemotePOP1LoggedIn();
    void msRemotePOP1UnencryptedSignIn();
    // After an error of a session: a refused token is not offered again.
    void forgetRefusedToken(const ETidewellError &error);
    // Keeps a new refresh token of mailbox N in the settings.
    void keepRefreshToken(int n, const std::string &token);

    // keeping secrets (check_secrets.cpp)
    // Before a listing signs in: the loaded mailbox's password or sign-in
    // token is at hand. After a keyring failure the settings file's secret
    // serves when it holds one (logged once per run as a warning);
    // otherwise a check the user started asks where to keep secrets
    // instead and reads them from there; a
    // password kept nowhere is asked for. A hidden automatic check never
    // asks: it raises ESecretUnavailableError. Raises ECanceledError when
    // the user leaves a question unanswered.
    void prepareLoadedSecrets();
    // After an error of a session: a password asked for this run only that
    // the server refused is asked again at the next check.
    void forgetRefusedPassword(const ETidewellError &error);

    // POP3 client events
    void msRemotePOP1Open();
    void msRemotePOP1UpdatingInfo();
    void msRemotePOP1NextInfoUpdated(int index);
    void msRemotePOP1InfoUpdated();
    void msRemotePOP1Deleting(int index);
    void msRemotePOP1Error(std::string &message);
    void msRemotePOP1Retrieving(int index);
    void msRemotePOP1Retrieved(int index);
    void msRemotePOP1UserMessageSave(int index, const std::string &contents);
    // Pauses the minute trigger and the alarm and gives the selected rows;
    // none: the no-selection note, the trigger back on, and nothing to do.
    // With OneOnly, several rows are met with the note that only the first is shown.
    std::vector<int> beginInspection(bool oneOnly);
    // Retrieves message K into its file; false after an error (reported).
    bool downloadMessage(int k, const std::vector<int> &selected);
    // The deletion's copies of the Flagged rows (null when copies are off),
    // each described with its row and explanation.
    std::unique_ptr<DeletionCopyBatch> prepareDeletionCopies(const std::vector<int> &flagged);
    // The messages left on the server for want of a copy: an ERROR line
    // each, and a summary box unless a hidden automatic run.
    void reportCopyFailures(const DeletionCopyBatch &batch);
    // What the deletion's question adds while copies are kept.
    std::string keptCopiesNote() const;

    GeneralSettingsModel &m_general;
    SpamSettingsModel &m_spam;
    DeletedMailStore m_deletedMail{DeletedMailStore::defaultFolder()};
    ResolverMxLookup m_mxLookup;
    QueriesMxAsker m_mxAsker;
    UnknownDomains m_domains;
    Classifier m_classifier;
    TfrmSplash *m_splash = nullptr;
    TfrmRetrieving *m_progress = nullptr;
    bool m_firstLoad = true;
    MailProtocol m_loadedProtocol = MailProtocol::POP3; // the protocol of the loaded mailbox
    int m_loadedMailbox = 0;  // the mailbox whose account the POP3 client holds
    RemotePOPAccount m_loadedAccount; // its settings as they were loaded
    std::array<std::unique_ptr<TOAuth2SignIn>, kMailboxCount> m_oauth;
    bool m_listedUnencrypted = false;  // the last listing came over an unencrypted session
    bool m_errorLogged = false;        // the running listing or deletion has logged its ERROR line
    std::string m_dnsNote;             // why this check skipped the unknown-domain test, "" when it did not
    std::string m_lastFailure;         // the text of the last failed listing or deletion
    bool m_lastFailureCanceled = false; // ... which was the user's cancel
    // Mailboxes whose last check failed, with what the tray tip says, oldest first.
    std::vector<std::pair<int, std::string>> m_failedChecks;
    bool m_listingComplete = false;    // the last listing ended with every message listed
    QElapsedTimer m_sinceProgressShown; // since the listing's progress texts were last set
    static constexpr int kProgressTextMilliseconds = 25;
    QTimer m_keptSessionTimer;
    // Fingerprints of changed certificates that a hidden check has sounded the alarm for.
    std::set<std::string> m_alarmedCertificates;
    // Mailboxes a notification asked to open, until they sign in again.
    std::set<int> m_needsYouNotified;
    std::atomic<bool> *m_decodeCancel = nullptr;  // set while a message is decoded for viewing
    // A message is being downloaded or decoded for viewing. The Exit button
    // keeps its idle caption meanwhile; a click on it cancels the viewing and
    // then exits or hides once the viewing has unwound (never inside its wait).
    bool m_viewingBody = false;
    std::optional<bool> m_exitAfterViewing; // the Exit command waiting for that: from the tray?
    // Carries out an Exit command that came during the viewing; true when one did.
    bool exitAfterViewing();

    // deletion run bookkeeping (delete_run.cpp)
    // What the server could not do of the last removal (an IMAP server that
    // cannot expunge single messages): a warning line and box.
    void noteRemovalNotice();
    // At start-up: a record left by a run that did not finish is logged as
    // "may have been deleted".
    void logUnconfirmedDeletions();
    // After the list was read again: the messages the server said it deleted
    // but still lists (same size and header lines). They are reported and
    // logged; returns how many.
    int reportKeptMessages(const std::vector<TDeletionRun::RemovedMessage> &deleted);
};

} // namespace tw
