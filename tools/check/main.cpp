// tidewell-check: the check of the chosen mailboxes (every ticked one by
// default) without the window, with the user's rules, settings, blacklist
// and learned score from the program folder, as cron or a timer runs it.
// One line (or JSON object) per message; with --delete the marked messages
// are deleted or moved as the program's deletion run does. It never asks:
// a mailbox that would need an answer fails, saying why, and the others
// are still checked.

#include "check_options.h"
#include "discover_command.h"
#include "mailbox_check.h"

#include "classify/mx_lookup_resolver.h"
#include "net/msmx.h"
#include "platform/keyring/keychain_secret_store.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/session_bus.h"
#include "platform/singleinstance.h"
#include "settings/dns_setting.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"

#include <QCoreApplication>

#include <iostream>

using namespace tw;

namespace {

constexpr int kMailboxFailed = 1;
constexpr int kBadUsage = 2;
constexpr std::chrono::seconds kKeyringSeconds{5};

} // namespace

int main(int argc, char *argv[])
{
    // Cron gives no session bus address; the keyring is reached through the
    // user's bus all the same while the user is logged in (or lingering).
    useUserSessionBusWhenUnset();
    QCoreApplication app(argc, argv); // the sessions wait in the event loop

    std::string error;
    const auto options = check::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "tidewell-check: " << error << "\n" << check::kUsage;
        return kBadUsage;
    }
    if (options->help) {
        std::cout << check::kUsage;
        return 0;
    }
    if (options->discover)
        return check::discoverCommand(options->address, options->json, std::cout, std::cerr);
    // The window would write its own counters, log and settings over this run's.
    if (!options->dryRun && TFirstInstance(programFolder()).ownedElsewhere()) {
        std::cerr << "tidewell-check: Tidewell is running with this program folder and checks its mailboxes "
                     "itself; run tidewell-check with --dry-run, or when Tidewell is closed.\n";
        return kMailboxFailed;
    }
    // The desktop keyring, where the program keeps passwords by default. A
    // keyring that does not answer in time (locked, its unlock prompt seen
    // by nobody) makes the mailbox fail; nothing waits longer.
    KeychainSecretStore keyring(kKeyringService);
    keyring.timeLimit = kKeyringSeconds;
    SecretStore::setDesktop(&keyring);
    const struct Unregister {
        ~Unregister() { SecretStore::setDesktop(nullptr); }
    } unregister;
    for (const std::string &text : unreadableSettingsFiles())
        std::cerr << "tidewell-check: " << text << "\n";

    GeneralSettingsModel general;
    general.read();
    SpamSettingsModel spam;
    try {
        spam.readSettings();
    } catch (const std::exception &e) {
        // The program shows this and goes on with what it could read.
        std::cerr << "tidewell-check: " << e.what() << "\n";
    }
    KnownSpammers known;
    known.LoadUpKnownList(programFile("known.lst"));
    LearnedFilter learned(programFile(kLearnedStoreFile));
    if (const std::string problem = learned.load(false); !problem.empty())
        std::cerr << "tidewell-check: " << problem << "\n";

    const DnsServer dns = configuredDnsServer();
    TmsMXResolver resolver;
    resolver.DNSAddress = dns.address;
    resolver.Port = dns.port;
    resolver.setTimeOut(kDomainQuerySeconds);
    ResolverMxLookup lookup(resolver);
    UnknownDomains domains(&lookup);

    ActivityLog log;
    // Settings never saved by the window name no log yet: the log then goes
    // where the general settings propose it, so an unattended failure is
    // still written down.
    log.setPath(isBlank(general.general.Logfile) ? programFile("logfile.txt") : general.general.Logfile);
    DeletedMailStore deletedMail(DeletedMailStore::defaultFolder());
    check::RunSetting setting{*options, general, spam, known, learned, domains, log, deletedMail};
    std::vector<int> mailboxes = options->mailboxes;
    if (mailboxes.empty())
        mailboxes = general.usableMailboxes();
    if (mailboxes.empty()) {
        // Unattended, the log is where the user looks: the failure goes there too.
        const std::string text = "At least ONE mailbox needs to be checked. Set one up in Tidewell's general "
                                 "settings (Add from address...) and tick its Check? box.";
        log.logError(text, "", "");
        std::cerr << "tidewell-check: " << text << "\n";
        return kMailboxFailed;
    }
    int status = 0;
    for (int n : mailboxes) {
        const std::string failure = check::checkMailbox(n, setting, std::cout);
        if (!failure.empty()) {
            std::cerr << "tidewell-check: mailbox " << n << ": " << failure << "\n";
            status = kMailboxFailed;
        }
    }
    return status;
}
