#pragma once
// The settings store: reads and writes the records of settings_schema.h in
// the per-user registry (registry.ini) and in tidewell.ini. Each call opens
// the store, does its work and closes it again; nothing is cached here.
//
// Reads never fail: a missing file, key or value gives the default, and a
// stored text that is not a number gives the default of a number or flag.
// Writes raise EStoreError (platform/store_error.h) with the text to show
// ("Failed to create key ...", "Failed to set data for '...'", "Unable to
// write to ..."); the write in progress stops there, and the values written
// before it stay written.

#include "settings/Encryp.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_schema.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// The texts to show for settings files that exist but cannot be read
// (registry.ini, tidewell.ini); empty when both could be read or are absent.
// Such a file reads as defaults and every write to it fails, so the user must
// hear of it before changing anything.
std::vector<std::string> unreadableSettingsFiles();

// Section General (all values but Points) and the log naming mode.
GeneralSettings readGeneralSettings();
LogNaming readLogNaming();
// Writes General (all values but Points) and then section Logfile.
void saveGeneralSettings(const GeneralSettings &settings, LogNaming naming);
// General/Automatic alone (the tray's enable/disable commands).
void saveAutomatic(bool automatic);
// General/NoTrayNoticeShown alone, set once the user has been told.
void saveNoTrayNoticeShown();
// General/Points, the About window's counter.
int readPoints();
void savePoints(int points);

// Section Server, each mailbox's password and refresh token read through
// Secrets (an empty or missing secret reads as empty). A secret the keyring
// could not give reads as what the settings file still holds, if anything.
ServerSettings readServerSettings(MailboxSecrets &secrets);
// The same with every secret in the settings file, deciphered with Cipher.
ServerSettings readServerSettings(TKeyedEncryption &cipher);

// A mailbox account that cannot be saved as it stands.
struct MailboxProblem {
    enum class Field { UserName, Server, Password, SignIn };
    int mailbox = 0;     // 1..12
    Field field = Field::UserName;  // the field to give the focus
    std::string text;    // the error text to show
};
// What stops mailbox N from being saved as it stands: a server but no user
// name, a user name but no server, or both but no password (when it signs
// in with one and PasswordRequired: a password asked at each check is not)
// or no token command (when it signs in with one). Emptiness is exact: a
// field of blanks counts as filled.
std::optional<MailboxProblem> mailboxProblem(int n, const MailboxAccount &account, bool passwordRequired);
// Writes Which, then for n = 1..12 the values of mailbox n, its password and
// refresh token through Secrets (an entry follows a renamed mailbox), checking
// each mailbox right after writing it (mailboxProblem; the password is
// required unless Secrets asks for it at each check). At the first problem it
// stops (later mailboxes are not written) and returns the problem. Raises
// EStoreError and EKeyringError (a save repeated after either writes the
// same again).
std::optional<MailboxProblem> saveServerSettings(const ServerSettings &settings, MailboxSecrets &secrets);
// The same with every secret in the settings file, enciphered with Cipher.
std::optional<MailboxProblem> saveServerSettings(const ServerSettings &settings, TKeyedEncryption &cipher);
// General/PasswordStore alone. Raises EStoreError.
void savePasswordStore(PasswordStore store);

// What loading mailbox N for the POP3 client found.
struct RemotePOPAccount {
    bool loaded = false;   // false: nothing is to be loaded into the client
    std::string server;
    std::string userName;
    std::string password;  // deciphered
    int security = 0;      // Security<N>
    std::string fingerprint; // Fingerprint<N>
    MailboxSignIn signIn;  // SignIn<N> and what goes with it, the refresh token deciphered
    bool encrypted = false; // Encrypted<N>
    int plainText = 0;     // PlainText<N>
    int protocol = 0;      // Protocol<N> (MailProtocol)
    std::string folder = kDefaultImapFolder; // Folder<N>
    bool imapDelete = false; // ImapDelete<N>
    // The keyring's text when it could not give the secrets (Password and
    // the refresh token then hold what the settings file has, if anything).
    std::string secretFailure;
};
// The settings side of loading mailbox N into the POP3 client: reads the old
// Passwd<N>, reads and then always writes the Version161 marker. With the
// marker already in place the account is returned, its secrets read through
// Secrets. Without it, when Passwd<N> held text, PasswordsLost is called (to
// show the one-time warning) and all twelve passwords of the settings file
// are cleared; nothing is loaded then.
RemotePOPAccount readMailboxForRemotePOP(int n, MailboxSecrets &secrets,
                                         const std::function<void()> &passwordsLost);
// The same with every secret in the settings file, deciphered with Cipher.
RemotePOPAccount readMailboxForRemotePOP(int n, TKeyedEncryption &cipher,
                                         const std::function<void()> &passwordsLost);
// Fingerprint<N> alone: the certificate the user just chose to trust for
// mailbox N. Raises EStoreError.
void saveMailboxFingerprint(int n, const std::string &fingerprint);
// Encrypted<N> = 1: a session of mailbox N was encrypted. Raises EStoreError.
void saveMailboxEncrypted(int n);
// PlainText<N>: the user's answer about sending mailbox N's password
// unencrypted. Raises EStoreError.
void saveMailboxPlainTextAnswer(int n, PlainTextAnswer answer);
inline constexpr const char *kPasswordsLostWarning =
    "Warning: You will have to re-enter your passwords for all of your mailboxes!  Sorry for the inconvenience.";

// Section Column: the main list's five column widths.
MessageListColumns readMessageListColumns();
// Which of the five widths are stored (false: the default is in use).
std::array<bool, 5> storedMessageListColumns();
void saveMessageListColumns(const MessageListColumns &columns);

// A rule grid's six stored widths (-1 where nothing is stored).
std::array<int, kRuleGridColumns> readRuleGridWidths(RuleGrid grid);
// Writes "col0".. for every visible column the grid has.
void saveRuleGridWidths(RuleGrid grid, const std::vector<int> &visibleWidths);

// The main window's placement: an absent value gives the default, a stored
// text that is no number keeps the value of Current.
WindowPlacement readWindowPlacement(const WindowPlacement &current);
void saveWindowPlacement(const WindowPlacement &placement);

// Section TextWindow: the text window's size.
TextWindowSize readTextWindowSize();
void saveTextWindowSize(const TextWindowSize &size);

// tidewell.ini.
SpamTestSettings readSpamTestSettings();
void saveSpamTestSettings(const SpamTestSettings &settings);
// Ascii/Range alone (the sensitivity dialog).
int readAsciiRange();
void saveAsciiRange(int range);

} // namespace tw
