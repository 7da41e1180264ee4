#pragma once
// TfrmGeneral: the general settings window. It shows and edits the
// program's GeneralSettingsModel: the twelve mailbox accounts, dial-up
// connection, manual or automatic checking, alarm sound, start-up in the
// tray, activity log and its naming, spam counter and mail program.
//
// Each showing re-reads the mailbox accounts and the log naming from the
// store, fills gaps from other mail programs' settings, and loads the model
// into the controls. OK writes the controls into the model and saves them
// (a mailbox that cannot be saved keeps the window open on its field);
// Cancel re-reads the stored settings into the model and closes.

#include "net/agRasCmp.h"
#include "settings/general_model.h"
#include "settings/spam_model.h"
#include "settings/ui/add_from_address.h"

#include <QDialog>

#include <array>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QButtonGroup;

namespace tw {

// What the window asks of the rest of the program.
struct GeneralWindowCommands {
    std::function<void()> launchMailProgram;  // the main window's launch command
    std::function<void()> showStatistics;     // the statistics window, modally
    std::function<void()> showHelp;           // the help topic "General_Settings"
    std::function<void()> showDeletedMail;    // the "Deleted mail" window, modally
};

class TfrmGeneral : public QDialog {
    Q_OBJECT
public:
    // Reads the stored settings into Model and loads them into the controls.
    // DialUp is the link whose Service follows the stored dial-up choice.
    TfrmGeneral(GeneralSettingsModel &model, SpamSettingsModel &spam, TagRas &dialUp,
                GeneralWindowCommands commands, QWidget *parent = nullptr);
    // Saves section General (SaveGeneralSettings) one last time; a failure is ignored.
    ~TfrmGeneral() override;

    // --- controls (objectName = member name) ---
    QTabWidget *PageControl1;
    std::array<QLineEdit *, kMailboxCount> edServe{}, edName{}, edPass{};
    std::array<QRadioButton *, kMailboxCount> rb{};
    std::array<QCheckBox *, kMailboxCount> cb{};
    // The mailbox's protocol: "POP3", "IMAP" (Protocol<n>). Under an IMAP
    // row a line of its own (pnlImap) holds the folder checked (Folder<n>)
    // and whether marked messages are deleted for good instead of moved to
    // the junk folder (ImapDelete<n>); it is hidden for POP3 (general_protocol.cpp).
    std::array<QComboBox *, kMailboxCount> cmbProtocol{};
    std::array<QWidget *, kMailboxCount> pnlImap{};
    std::array<QLineEdit *, kMailboxCount> edFolder{};
    std::array<QCheckBox *, kMailboxCount> cbImapDelete{};
    // The mailbox's security: "Automatic", "TLS", "STARTTLS", "None" (Security<n>).
    std::array<QComboBox *, kMailboxCount> cmbSecurity{};
    // Beside the security: shown while a certificate is trusted for the
    // mailbox (its fingerprint in the tooltip); a click forgets it.
    std::array<QToolButton *, kMailboxCount> btForgetCertificate{};
    // How the mailbox signs in: "Password", "OAuth2 (browser)", "OAuth2
    // (token command)" (SignIn<n>), and "Sign in..." (general_sign_in.cpp).
    std::array<QComboBox *, kMailboxCount> cmbSignIn{};
    std::array<QPushButton *, kMailboxCount> btSignIn{};
    // Shown while the row signs in with the browser: its client id and
    // endpoints ("OAuth2 settings", oauth_settings.h).
    std::array<QPushButton *, kMailboxCount> btOAuthSettings{};
    // Under the rows: fills the first empty row from an e-mail address
    // ("Add from address", add_from_address.h).
    QPushButton *btAddFromAddress;
    // The search that "Add from address" runs; a test may give its own.
    TfrmAddFromAddress::Discovery discoverMailbox = discoverMailSettings;
    // One line of guidance about the row last changed (sign_in_guidance.h).
    QLabel *lblSignInNote;
    QComboBox *RASComboBox;
    QRadioButton *rbManual, *rbAuto;
    QWidget *pnlManual, *pnlAuto, *pnlSound;
    QCheckBox *cbConfirmation, *cbLaunch, *cbExit, *cbKill, *cbAlarm, *cbRepeat, *cbSysTray;
    // Start at login: shows whether the desktop's autostart entry is there,
    // read from it at every showing; OK writes or removes it when changed.
    QCheckBox *cbStartAtLogin;
    // Desktop notifications with actions (General/Notify), on the Automatic page.
    QCheckBox *cbNotify;
    QSpinBox *nMinutes;
    // Copies of deleted mail: days kept, the folder's bound in MB, and the
    // size in KB above which only the header block is kept.
    QSpinBox *nKeepDays, *nKeepMaxMB, *nKeepMaxKB;
    QPushButton *btDeletedMail;
    QLineEdit *edAlarm, *Edit1, *edMail;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3;
    QPushButton *sbTest, *btView, *btClear, *btReset, *btStats, *btLaunch;
    QRadioButton *rbAsIs, *rbMonth, *rbQuarter;
    QLabel *edCount;
    // Where passwords and sign-in tokens are kept (General/PasswordStore 0, 1, 2).
    QRadioButton *rbPasswordKeyring, *rbPasswordFile, *rbPasswordAsk;
    QPushButton *btOK, *btCancel, *btHelp;

    // The tab pages in their order.
    enum Tab { Mailboxes, Connection, Automatic, StartUp, ActivityLog, MailProgram, DeletedMail, Passwords };

    // The showing steps (run by every showing of the window).
    void FormShow();

    // --- commands ---
    void btOKClick();
    void btCancelClick() { reject(); }
    void btViewClick();
    void btClearClick();
    void btResetClick();
    void btStatsClick();
    void btDeletedMailClick();
    void btLaunchClick();
    void btHelpClick();
    void sbTestClick();
    void SpeedButton1Click();
    void SpeedButton2Click();  // the mail program search; nothing chosen keeps the path
    void SpeedButton3Click();
    void cbKillClick();
    void rbManualClick();
    // Browser sign-in: runs it now, so that the first check needs no
    // browser, and keeps the refresh token. Token command: asks for it.
    void btSignInClick(int n);
    // Edits row N's OAuth2 values (kept in the model, saved with OK).
    void btOAuthSettingsClick(int n);
    // Finds the settings of a new mailbox from its address and, when the
    // user confirms what was found, fills the first empty row with them
    // (saved with OK, like anything typed).
    void addFromAddressClick();
    // Shows the window modally, on the Mailboxes page with "Add from
    // address" open over it (the first start's way in).
    void execAddingFromAddress();
    // Fills row N with Server found for its address.
    void fillFromDiscovery(int n, const TDiscoveredServer &server);

    // Cancel (and Escape, and the close box): puts the stored settings back.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // building (general_layout.cpp)
    void buildControls();
    QWidget *buildMailboxesTab();
    QWidget *buildConnectionTab();
    QWidget *buildAutomaticTab();
    QWidget *buildStartUpTab();
    QWidget *buildActivityLogTab();
    QWidget *buildMailProgramTab();
    QWidget *buildDeletedMailTab();
    QWidget *buildPasswordsTab();
    void connectCommands();
    // The mailbox fields wide enough for their usual content.
    void sizeMailboxColumns();
    // Tab goes along each mailbox row in the order it reads.
    void orderMailboxTabs();
    // The protocol choice of row N in Column of grid row GridRow, and its
    // IMAP line in grid row GridRow + 1 across the grid (general_protocol.cpp).
    void addProtocolControls(QGridLayout *grid, int n, int gridRow, int column);
    // Shows row N's IMAP line while its protocol is IMAP.
    void updateProtocolRow(int n);
    // Model <-> controls for row N's protocol, folder and deletion choice.
    void loadProtocol(int n);
    void storeProtocol(int n);
    // The sign-in choice and button of row N in grid row GridRow (general_sign_in.cpp).
    void addSignInControls(QGridLayout *grid, int n, int gridRow, int column);
    // Enables row N's button for its choice and shows its guidance; with
    // OnlyWhenSaid, keeps the line when row N has nothing to say.
    void updateSignInRow(int n, bool onlyWhenSaid = false);
    void ColorEdits();
    void ControlEnter(QWidget *control);
    void ControlExit(QWidget *control);

    // model <-> controls (general_transfer.cpp)
    void fillDialUpEntries();
    void loadGeneral();
    void loadNaming();
    void loadServers();
    void storeControls();
    // Shows mailbox N's trusted certificate, or hides its forget button.
    void showTrustedCertificate(int n);
    // Asks, then forgets the certificate trusted for mailbox N (saved with OK).
    void forgetCertificate(int n);
    void selectPreferred(int which);
    int preferredMailbox() const;
    void showPanels();

    // the showing steps that fill gaps
    void takeOtherMailProgramMailbox();
    void takeDefaults();

    bool createLogFolder();
    // Writes or removes the autostart entry when the box was changed; false
    // (after saying why) when that failed.
    bool applyStartAtLogin();
    void focusMailboxField(QLineEdit *field);
    void focusFirstEmptyMailboxField();
    // The header rule of a new installation, once mailbox 1's user name has been saved.
    void addFirstRunRuleOnce();

    GeneralSettingsModel &m_model;
    SpamSettingsModel &m_spam;
    TagRas &m_dialUp;
    GeneralWindowCommands m_commands;
    QButtonGroup *m_preferredGroup = nullptr;
    bool m_firstRun = false;
    bool m_killWhenShown = false;
    bool m_sysTrayWhenShown = false;
    bool m_startAtLoginWhenShown = false; // what the autostart entry said at the showing
};

} // namespace tw
