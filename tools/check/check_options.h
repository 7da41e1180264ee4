#pragma once
// The command line of tidewell-check:
//   tidewell-check [--mailbox N]... [--delete] [--dry-run] [--json]
//   tidewell-check --discover ADDRESS [--json]

#include <optional>
#include <string>
#include <vector>

namespace tw::check {

struct Options {
    std::vector<int> mailboxes; // 1..12 in the order given, no repeats; empty: every ticked mailbox
    bool remove = false;        // --delete
    bool dryRun = false;
    bool json = false;
    bool help = false;
    // --discover ADDRESS: find the servers for ADDRESS instead of checking.
    bool discover = false;
    std::string address;
};

// Reads Arguments (without the program name). On a mistake returns nothing
// and puts a one-line reason into Error.
std::optional<Options> parseOptions(const std::vector<std::string> &arguments, std::string &error);

inline constexpr const char *kUsage =
    "usage: tidewell-check [--mailbox N]... [--delete] [--dry-run] [--json]\n"
    "       tidewell-check --discover ADDRESS [--json]\n"
    "  --mailbox N  check mailbox N (1 to 12; may be given more than once); default: every ticked mailbox\n"
    "  --delete     delete (POP3) or move to the junk folder (IMAP) what is marked for deletion, as the\n"
    "               program's deletion run does, and log it\n"
    "  --dry-run    change nothing on the server and write nothing to the activity log\n"
    "  --json       print one JSON object per message instead of a line\n"
    "  --discover ADDRESS  find the IMAP and POP3 servers for the e-mail address ADDRESS (known providers,\n"
    "               DNS SRV and MX records through the configured DNS server, then a guess confirmed by a\n"
    "               short look at the server) and print one line each: protocol, server, port, security,\n"
    "               sign-in, where it came from; best first. Nothing is checked; exit status 0, or 1 with\n"
    "               \"nothing found\". With --json one JSON object.\n"
    "  Each message is printed as: mailbox, number (POP3) or UID (IMAP), mark, size, sender, subject,\n"
    "  separated by tabs. Marks: delete (check mark), blacklist, question, exception, none.\n"
    "  Exit status: 0 when every mailbox was checked, 1 when one failed (its error on standard error),\n"
    "  2 for bad arguments. Settings, rules and log come from $TIDEWELL_HOME as for the program.\n";

} // namespace tw::check
