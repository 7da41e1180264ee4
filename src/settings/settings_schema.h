#pragma once
// Every stored setting of the program in one place: where it lives, its name,
// its kind and its default. The kind follows from the member's type (text:
// std::string, integer: int, flag: bool) and the default is the member's
// initial value, so a default-constructed record is "nothing stored".
//
// Registry values live under HKEY_CURRENT_USER\<kMainKey>, one subkey per
// section; the spam-test values live in tidewell.ini in the program folder.
// The forEachValue functions list each section's values in the order they
// are written; the store (settings_store.h) reads and writes through them.

#include "classify/rule_files.h"
#include "classify/spam_test_settings.h"

#include <array>
#include <string>
#include <type_traits>

namespace tw {

inline constexpr const char *kMainKey = "Software\\Quillmarsh\\Tidewell\\10";
inline constexpr const char *kIniFileName = "tidewell.ini";
inline constexpr int kMailboxCount = 12;

// Section "General" of the registry (the general settings window's values).
struct GeneralSettings {
    std::string Logfile;      // full path of the activity log
    std::string Mailer;       // full path of the user's mail program
    std::string AlarmFile;    // alarm sound; older files call it "Alarmfile" (names ignore case)
    bool Automatic = false;   // checks run on a timer
    bool Ask = true;          // confirm deletions by hand
    bool Kill = false;        // automatic mode deletes marked spam without asking
    int Minutes = 10;         // minutes between automatic checks
    bool Launch = true;       // start the mail program after deleting by hand
    bool Exit = false;        // exit after a check by hand that finds no mail
    bool Alarm = true;        // play the alarm when mail waits
    bool Repeat = true;       // repeat the alarm until a key press or click
    int RAS = 0;              // dial-up entry: 0 none, n the n-th entry of the platform's list
    std::string Count = "0";  // spam counter, decimal text
    bool SysTray = false;     // start in the tray
    // Copies of deleted mail in the program folder's "deleted": kept this
    // many days (0: no copies are kept), the folder bounded to this many MB
    // (0: no bound), and of a message above this many KB only its header block.
    int KeepDeletedDays = 30;
    int KeepDeletedMaxMB = 200;
    int KeepDeletedMaxKB = 1024;
    // Where mailbox passwords and sign-in tokens are kept (settings/mailbox_secrets.h):
    // 0 the desktop keyring, 1 this settings file (enciphered), 2 nowhere (asked at each check).
    int PasswordStore = 0;
    // The user has been told once that the desktop shows no system tray, so
    // starting in the tray and Hide put the window on the taskbar instead.
    bool NoTrayNoticeShown = false;
    // Desktop notifications with actions (junk marked, sign-in expired,
    // certificate changed); off: the tray icon's tip alone tells.
    bool Notify = true;
    bool operator==(const GeneralSettings &) const = default;
};

template <class G, class V>
    requires std::is_same_v<std::remove_const_t<G>, GeneralSettings>
void forEachValue(G &s, V &&visit)
{
    visit("Logfile", s.Logfile);
    visit("Mailer", s.Mailer);
    visit("AlarmFile", s.AlarmFile);
    visit("Automatic", s.Automatic);
    visit("Ask", s.Ask);
    visit("Kill", s.Kill);
    visit("Minutes", s.Minutes);
    visit("Launch", s.Launch);
    visit("Exit", s.Exit);
    visit("Alarm", s.Alarm);
    visit("Repeat", s.Repeat);
    visit("RAS", s.RAS);
    visit("Count", s.Count);
    visit("SysTray", s.SysTray);
    visit("KeepDeletedDays", s.KeepDeletedDays);
    visit("KeepDeletedMaxMB", s.KeepDeletedMaxMB);
    visit("KeepDeletedMaxKB", s.KeepDeletedMaxKB);
    visit("PasswordStore", s.PasswordStore);
    visit("NoTrayNoticeShown", s.NoTrayNoticeShown);
    visit("Notify", s.Notify);
}
inline constexpr const char *kGeneralSection = "General";
// The About window's counter, also in "General" but written on its own.
inline constexpr const char *kPointsName = "Points";
inline constexpr int kPointsDefault = 0;

// Section "Logfile": how the activity log is named; exactly one flag is set.
enum class LogNaming { AsIs, Quarter, Month };
struct LogNamingFlags {
    bool Asis = true;
    bool Quarter = false;
    bool Month = false;
};
template <class L, class V>
    requires std::is_same_v<std::remove_const_t<L>, LogNamingFlags>
void forEachValue(L &s, V &&visit)
{
    visit("Asis", s.Asis);
    visit("Quarter", s.Quarter);
    visit("Month", s.Month);
}
inline constexpr const char *kLogfileSection = "Logfile";

// How a mailbox signs in, beside its password.
struct MailboxSignIn {
    // "SignIn<n>": 0 Password, 1 OAuth2 (browser), 2 OAuth2 (token command)
    // (TSignInMethod); settings written before it existed read as 0.
    int method = 0;
    std::string tokenCommand{};  // "TokenCommand<n>": prints an access token
    // "OAuthAuthorizeUrl<n>", "OAuthTokenUrl<n>", "OAuthScope<n>",
    // "OAuthClientId<n>": a custom provider, or overrides of a known one.
    std::string authorizeUrl{}, tokenUrl{}, scope{}, clientId{};
    // "OAuthRefreshToken<n>": kept as the password is (mailbox_secrets.h).
    std::string refreshToken{};
    bool operator==(const MailboxSignIn &) const = default;
};
inline constexpr int kSignInChoices = 3; // SignIn<n> runs from 0 to 2

// The protocol a mailbox speaks ("Protocol<n>").
enum class MailProtocol { POP3 = 0, IMAP = 1 };
inline constexpr int kProtocolChoices = 2; // Protocol<n> runs from 0 to 1
inline constexpr const char *kDefaultImapFolder = "INBOX";

// The answer about sending a mailbox's password unencrypted ("PlainText<n>").
enum class PlainTextAnswer { NotAsked = 0, Yes = 1, No = 2 };

// Section "Server": the twelve mailbox accounts ("Server1".."Server12" and so
// on) and the preferred mailbox.
struct MailboxAccount {
    std::string server;    // "Server<n>"
    std::string userName;  // "Mailbox<n>"
    std::string password;  // "Passwd<n>", stored enciphered; plain here
    bool checked = true;   // "Check<n>"
    // "Security<n>": 0 Automatic, 1 TLS, 2 STARTTLS, 3 None (TPop3Security);
    // settings written before it existed read as Automatic.
    int security = 0;
    // "Fingerprint<n>": SHA-256 of the one certificate the user chose to
    // trust for this mailbox although it does not verify; 64 upper-case
    // hexadecimal digits, "" for none. (The "{}" lets the accounts be
    // written as {server, user, password, checked} without a warning.)
    std::string fingerprint{};
    MailboxSignIn signIn{};
    // "Encrypted<n>": a session of this mailbox was encrypted, so it never
    // signs in over an unencrypted connection again (Security Automatic).
    bool encrypted = false;
    // "PlainText<n>": 0 not asked yet, 1 Yes, 2 No (PlainTextAnswer).
    int plainText = 0;
    // "Protocol<n>": 0 POP3, 1 IMAP (MailProtocol); settings written before
    // it existed read as POP3.
    int protocol = 0;
    // "Folder<n>": the IMAP folder that is checked; an empty stored value
    // reads as INBOX.
    std::string folder{kDefaultImapFolder};
    // "ImapDelete<n>": marked IMAP messages are deleted for good instead of
    // moved to the junk folder.
    bool imapDelete = false;

    // A slot is configured when its server is not empty (blanks count as text).
    bool configured() const { return !server.empty(); }
    bool operator==(const MailboxAccount &) const = default;
};
struct ServerSettings {
    int Which = 1;  // preferred mailbox 1..12, 0 when none is selected
    std::array<MailboxAccount, kMailboxCount> accounts;
    MailboxAccount &account(int n) { return accounts.at(size_t(n - 1)); }
    const MailboxAccount &account(int n) const { return accounts.at(size_t(n - 1)); }
    bool operator==(const ServerSettings &) const = default;
};
inline constexpr const char *kServerSection = "Server";
inline constexpr int kSecurityChoices = 4; // Security<n> runs from 0 to 3
inline constexpr const char *kVersionMarkerName = "Version161";
inline constexpr const char *kVersionMarker = "161";

// Section "Column": widths of the main message list's five columns.
struct MessageListColumns {
    std::array<int, 5> widths{220, 140, 120, 40, 130};  // "col1".."col5"
    bool operator==(const MessageListColumns &) const = default;
};
inline constexpr const char *kColumnSection = "Column";

// Sections "Subject", "Headers", "Sender", "Exceptions": rule grid column
// widths "col0".. ; -1 (the read default) keeps the design width.
enum class RuleGrid { Subject, Headers, Sender, Exceptions };
inline constexpr int kRuleGridColumns = 6;
inline constexpr int kKeepDesignWidth = -1;
const char *sectionOf(RuleGrid grid);
// The stored grid that holds the column widths of a rule table's grid.
RuleGrid ruleGridOf(RuleKind kind);
std::array<int, kRuleGridColumns> designWidths(RuleGrid grid);

// The main window's placement, directly in the main key.
struct WindowPlacement {
    int FormTop = 10;
    int FormLeft = 10;
    int FormWidth = 640;
    int FormHeight = 440;
    bool operator==(const WindowPlacement &) const = default;
};
template <class W, class V>
    requires std::is_same_v<std::remove_const_t<W>, WindowPlacement>
void forEachValue(W &s, V &&visit)
{
    visit("FormTop", s.FormTop);
    visit("FormLeft", s.FormLeft);
    visit("FormWidth", s.FormWidth);
    visit("FormHeight", s.FormHeight);
}

// Section "TextWindow": the size the user gave the text window (headers,
// a message's body, the explanation of a mark); 0 keeps the design size.
struct TextWindowSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TextWindowSize &) const = default;
};
template <class T, class V>
    requires std::is_same_v<std::remove_const_t<T>, TextWindowSize>
void forEachValue(T &s, V &&visit)
{
    visit("Width", s.Width);
    visit("Height", s.Height);
}
inline constexpr const char *kTextWindowSection = "TextWindow";

// A flag stored with the opposite sense of the member it feeds.
struct InvertedFlag {
    bool &member;
};
struct ConstInvertedFlag {
    const bool &member;
};

// tidewell.ini: the spam-test settings (sections Smaller, Larger, Known, Ascii, Learned).
// "Question" has opposite senses: in Known it is set when the check mark is
// chosen, in Ascii when the question mark is chosen.
template <class S, class V>
    requires std::is_same_v<std::remove_const_t<S>, SpamTestSettings>
void forEachValue(S &s, V &&visit)
{
    using Inverted = std::conditional_t<std::is_const_v<S>, ConstInvertedFlag, InvertedFlag>;
    visit("Smaller", "QSmaller", s.cbSmaller);
    visit("Smaller", "Num", s.nSmaller);
    visit("Smaller", "Check", s.rbSmallerCheck);
    visit("Larger", "QLarger", s.cbLarger);
    visit("Larger", "Num", s.nLarger);
    visit("Larger", "Check", s.rbLargerCheck);
    visit("Known", "QMonitor", s.cbKnownSpammers);
    visit("Known", "Valid", s.cbValid);
    visit("Known", "Question", s.rbCheck);
    visit("Known", "Num", s.edUnknown);
    visit("Ascii", "QMonitor", s.cbAscii);
    visit("Ascii", "Question", Inverted{s.rbAsciiCheck});
    visit("Ascii", "Num", s.edAscii);
    visit("Ascii", "Range", s.Range);
    visit("Learned", "QMonitor", s.cbLearned);
    visit("Learned", "Cutoff", s.edLearnedCutoff);
    visit("Learned", "Check", s.rbLearnedCheck);
}
inline constexpr const char *kAsciiSection = "Ascii";
inline constexpr const char *kRangeKey = "Range";

} // namespace tw
