#include "demo-pop3/demo_home.h"

#include "net/mspop3.h"
#include "platform/paths.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace tw::demo {
namespace {

bool copyFolder(const QString &from, const QString &to, std::string &error)
{
    if (!QDir(from).exists()) {
        error = "missing demo folder " + from.toStdString();
        return false;
    }
    if (!QDir().mkpath(to)) {
        error = "cannot create " + to.toStdString();
        return false;
    }
    for (const QString &name : QDir(from).entryList(QDir::Files)) {
        if (!QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name)) {
            error = "cannot copy " + name.toStdString() + " into " + to.toStdString();
            return false;
        }
        QFile::setPermissions(to + QLatin1Char('/') + name, QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

// One rule row: the cells from column 1 on (0 for exceptions), in file order.
void addRule(RuleTable &table, int firstColumn, std::initializer_list<const char *> cells)
{
    const int row = table.rowForNewRule();
    int column = firstColumn;
    for (const char *text : cells)
        table.setCell(column++, row, text);
}

void writeDemoRules()
{
    SpamSettingsModel spam;
    spam.readSettings();
    RuleTables &rules = spam.rules;

    addRule(rules.subject, col::What, {"Contains (whole word)", "viagra", "No", "Yes", "0"});
    addRule(rules.subject, col::What, {"Contains", "WINNER", "Yes", "Yes", "0"});
    addRule(rules.subject, col::What, {"Starts with", "Lose weight", "No", "Yes", "0"});

    addRule(rules.sender, col::What, {"Domain name", "Ends with", ".click", "Yes", "0"});
    addRule(rules.sender, col::What, {"E-mail address", "Starts with", "noreply-offers@", "Yes", "0"});

    const std::string ownAddress = std::string(kDemoAddress) + " - MailBox #1";
    addRule(rules.header, col::What, {"To does not contain", ownAddress.c_str(), "No", "Yes", "0"});
    addRule(rules.header, col::What, {"Starts with", "X-Mailer: MassBlaster", "No", "Yes", "0"});

    // The newsletter goes to its list address, which the "To" rule above would condemn.
    addRule(rules.exceptions, col::ExceptWhat, {"E-mail address", "Equals", "news@harbour-books.example", "No", "0", "", "5"});

    spam.tests.cbAscii = true;
    spam.tests.rbAsciiCheck = true;
    spam.tests.Range = 1; // accented names pass, text in another script does not
    spam.Savesettings();
}

} // namespace

bool layOutDemo(const QString &source, const QString &demo, std::string &error)
{
    QDir old(demo);
    if (old.exists() && !old.removeRecursively()) {
        error = "cannot remove the old demo folder " + demo.toStdString();
        return false;
    }
    return copyFolder(source + QStringLiteral("/mailbox"), demo + QStringLiteral("/mailbox"), error) &&
           copyFolder(source + QStringLiteral("/home"), demo + QStringLiteral("/home"), error);
}

void storeTryOutMailbox(const std::string &server, const std::string &user, const std::string &password)
{
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    // Loading mailbox 1 once writes the password-format marker, so the
    // program does not take the stored password for an old one.
    readMailboxForRemotePOP(1, cipher, [] {});
    ServerSettings servers = readServerSettings(cipher);
    servers.Which = 1;
    servers.account(1) = {server, user, password, true};
    // The demo server on this computer speaks plain POP3, and the password
    // never leaves the computer: no question about sending it unencrypted.
    servers.account(1).security = int(TPop3Security::None);
    if (const auto problem = saveServerSettings(servers, cipher))
        throw std::runtime_error(problem->text);

    GeneralSettings general = readGeneralSettings();
    general.Logfile = programFile("logfile.txt");
    general.AlarmFile = programFile("harptune.wav");
    general.Launch = false;
    // The demo's password is no secret: it stays in the demo's own settings
    // file and never reaches the desktop's keyring.
    general.PasswordStore = int(PasswordStore::SettingsFile);
    saveGeneralSettings(general, LogNaming::AsIs);

    SpamTestSettings tests = readSpamTestSettings();
    tests.cbValid = false;
    saveSpamTestSettings(tests);
}

void configureDemoHome(const std::string &server)
{
    storeTryOutMailbox(server, kDemoUser, kDemoPassword);
    writeDemoRules();
}

} // namespace tw::demo
