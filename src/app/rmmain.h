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
#include "classify/mx_lookup_resolver.h"
#include "classify/unknown_domains.h"
#include "classify/waiting_messages.h"
#include "net/agRasCmp.h"
#include "net/msmx.h"
#include "net/mspop3.h"
#include "settings/Encryp.h"
#include "settings/general_model.h"
#include "settings/spam_model.h"
#include "stats/activity_log.h"

#include <QMainWindow>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;

namespace tw {

class TfrmRetrieving;
class TfrmSplash;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(GeneralSettingsModel &general, SpamSettingsModel &spam, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The windows and commands that live elsewhere, wired at start-up.
    // Each shows its window modally and returns when it closes.
    std::function<void()> ShowGeneralSettingsWindow;
    std::function<void()> ShowSpamSettingsWindow;
    std::function<void()> ShowStatisticsWindow;
    // Ends the program (the start-up code quits the event loop). Closing the
    // main window and the tray's Exit call it; unset, nothing more happens,
    // which is what tests of a window need.
    std::function<void()> EndProgram;

    // Start-up: the creation steps (settings, timers, blacklist, first
    // mailbox, tray, column widths, placement). Splash may be null.
    void FormCreate(TfrmSplash *splash, TfrmRetrieving *progress);

    // --- controls (objectName = member name) ---
    QLabel *lblTitle, *lblTM, *lblAd;
    QToolButton *btList, *btOptions, *btExit, *btMark, *btDelete, *btRemark, *btResetAll, *btLaunch;
    QWidget *pnlSettings;
    QToolButton *btGeneral, *btSpamSetup, *btStats, *btAbout, *btBlammo, *btHelp;
    TMessageListView *ListView1;
    QLabel *StatusPanel1, *StatusPanel2;
    QMenu *trayMenu;
    QMenu *PopupMenu1;  // the message list's right-button menu
    QAction *AddtoSPAMlist1, *Addselectedsendersdomaintospamlist1, *AddtoExceptions1;
    QAction *acTrayCheck, *acTrayLaunch, *acTrayMain, *acTraySpam, *acTrayGeneral, *acTrayViewLog, *acTrayStats,
        *acTrayEnable, *acTrayDisable, *acTrayHelp, *acTrayAbout, *acTrayExit;

    // --- owned parts ---
    TmsRemotePOP msRemotePOP1;
    TagRas agRas1;
    TmsMXResolver MXResolver;
    TKeyedEncryption cipher;
    WaitingMessages messages;
    WhyLog why;
    KnownSpammers knownSpammers;
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

    // --- check-mail run ---
    // Loads mailbox N into the POP3 client (the one-time password warning included).
    void GetRemotePOPSettings(int n);
    void CheckAllMailBoxes();
    bool OnlyOneMailbox() const { return m_general.OnlyOneMailbox(); }
    void synchronizeIwhich() { m_general.servers.Which = currentMailbox; }
    int serverToIndex() const;

    // --- deletion run ---
    void DeleteMessages();

    // --- automatic mode ---
    void UpdateAutomaticCaptions(bool automatic, int minutes);
    void UpdateTrayIcons(bool automatic);
    void tmCheckForMailTimer();
    void playAlarmSound(bool start);
    // Removes the saved message files msg_0.eml .. msg_100.eml.
    void CleanUpEMLFiles();

    // Classifies row Index (every row when negative) as the check does.
    void classify(int index);
    // The why lines and mark of row Index.
    std::vector<std::string> explain(int index);
    Classifier &classifier() { return m_classifier; }

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildTrayMenu();
    void buildPopupMenu();
    // The selected rows in list order (after reading the view's selection).
    std::vector<int> selectedRows();
    void saveRulesAndRemark();
    void wirePopEvents();
    QToolButton *bigButton(const char *name, const QString &caption, const QString &glyph);
    QToolButton *panelButton(const char *name, const QString &caption);
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
    void listMailbox();
    void addRow(int index);
    void handleUpdateError(const ETidewellError &error);
    void closeQuietly();
    void showRemoteError(const ETidewellError &error);

    // POP3 client events
    void msRemotePOP1Open();
    void msRemotePOP1UpdatingInfo();
    void msRemotePOP1NextInfoUpdated(int index);
    void msRemotePOP1InfoUpdated();
    void msRemotePOP1Deleting(int index);
    void msRemotePOP1Error(std::string &message);

    GeneralSettingsModel &m_general;
    SpamSettingsModel &m_spam;
    ResolverMxLookup m_mxLookup;
    UnknownDomains m_domains;
    Classifier m_classifier;
    TfrmSplash *m_splash = nullptr;
    TfrmRetrieving *m_progress = nullptr;
    bool m_firstLoad = true;

    // deletion run bookkeeping: blocks wait until the server has confirmed
    std::vector<int> m_deletedRows;  // DELE accepted, in order
    std::vector<int> m_skippedRows;  // left alone because the mailbox changed
};

} // namespace tw
