#pragma once
// The command line of tidewell-why:
//   tidewell-why [--size N] [--mailbox N] [--mark N] FILE
//   tidewell-why --help

#include <optional>
#include <string>
#include <vector>

namespace tw::why {

struct Options {
    std::string file;             // "-" for standard input
    std::optional<long long> size; // bytes; default: the bytes of the header block read
    int mailbox = 0;              // the mailbox being checked, 1..12; 0 for none
    std::optional<int> mark;      // the row's previous mark, -1..14
    bool help = false;            // --help: print kHelp and do nothing else
};

// Reads Arguments (without the program name). On a mistake returns nothing
// and puts a one-line reason into Error.
std::optional<Options> parseOptions(const std::vector<std::string> &arguments, std::string &error);

inline constexpr const char *kUsage = "usage: tidewell-why [--size N] [--mailbox N] [--mark N] FILE\n"
                                      "       tidewell-why --help\n"
                                      "  FILE  a raw header block (\"-\" for standard input)\n"
                                      "  --size N     the message size in bytes (default: the bytes read)\n"
                                      "  --mailbox N  the number of the mailbox being checked, 1-12 (default 0: none)\n"
                                      "  --mark N     the row's mark before the explanation, -1 to 14\n"
                                      "               (default: the mark the classification gives)\n";

// --help: the usage, then the settings the tool reads, as the program keeps them.
inline constexpr const char *kHelpSettings =
    "\n"
    "Explains offline why a message would be marked, with the rules, blacklist and\n"
    "settings of the program folder ($TIDEWELL_HOME, else ~/.local/share/tidewell)\n"
    "and of registry.ini ($TIDEWELL_HOME, else ~/.config/tidewell). No file is changed.\n"
    "\n"
    "Mailbox values in registry.ini, key ...\\Tidewell\\10\\Server, n = 1..12:\n"
    "  Server<n>, Mailbox<n>   POP3 or IMAP server (host[:port]) and user name\n"
    "  Passwd<n>               password, enciphered (with PasswordStore 1; not read here)\n"
    "  Check<n>                1: checked in a check of all mailboxes\n"
    "  Security<n>             0 Automatic, 1 TLS, 2 STARTTLS, 3 None\n"
    "  Fingerprint<n>          SHA-256 of a certificate trusted for this mailbox\n"
    "  SignIn<n>               0 Password, 1 OAuth2 (browser), 2 OAuth2 (token command)\n"
    "  TokenCommand<n>         command (/bin/sh -c) whose first output line is the token\n"
    "  OAuthAuthorizeUrl<n>, OAuthTokenUrl<n>, OAuthScope<n>, OAuthClientId<n>\n"
    "                          a custom OAuth2 provider, or overrides of a known one\n"
    "  OAuthRefreshToken<n>    the browser sign-in's refresh token, enciphered (as Passwd<n>)\n"
    "  Encrypted<n>            1: a session was encrypted; never signs in unencrypted again\n"
    "  PlainText<n>            sending the password unencrypted: 0 not asked, 1 yes, 2 no\n"
    "  Protocol<n>             0 POP3 (ports 110, 995 TLS), 1 IMAP (ports 143, 993 TLS)\n"
    "  Folder<n>               the IMAP folder checked (INBOX when absent or empty)\n"
    "  ImapDelete<n>           1: marked IMAP messages are deleted for good, not moved to Junk\n"
    "Where passwords and refresh tokens are kept, key ...\\Tidewell\\10\\General:\n"
    "  PasswordStore           0 the desktop keyring (service \"Tidewell\"), 1 registry.ini,\n"
    "                          2 nowhere (asked at each check). This tool reads no secret.\n"
    "Values that are absent read as 0 or empty, as in settings from before they existed.\n";

} // namespace tw::why
