#include "main_window_fixture.h"

#include "settings/settings_store.h"

#include <QCoreApplication>

namespace tw::test {

void MainWindowTest::storeMailbox(int n, const std::string &server, const std::string &user,
                                  const std::string &password, bool checked)
{
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    // Writes the password-format marker while no password is stored yet.
    readMailboxForRemotePOP(n, cipher, [] {});
    ServerSettings servers = readServerSettings(cipher);
    servers.account(n) = {server, user, password, checked};
    // The scripted servers speak plain POP3 (the security tests choose their own).
    servers.account(n).security = int(TPop3Security::None);
    ASSERT_FALSE(saveServerSettings(servers, cipher).has_value());
}

void MainWindowTest::storeGeneral(const std::function<void(GeneralSettings &)> &edit)
{
    GeneralSettings settings = readGeneralSettings();
    settings.Logfile = home.file("activity.log");
    settings.Launch = false;
    settings.PasswordStore = int(PasswordStore::SettingsFile);
    if (edit)
        edit(settings);
    saveGeneralSettings(settings, LogNaming::AsIs);
    // No DNS is reachable from the tests: the unknown-domain test stays off.
    SpamTestSettings tests = readSpamTestSettings();
    tests.cbValid = false;
    saveSpamTestSettings(tests);
}

void MainWindowTest::addSubjectRule(const std::string &text)
{
    SpamSettingsModel model;
    model.readSettings();
    RuleTable &table = model.rules.subject;
    const int row = table.rowForNewRule();
    table.setCell(col::What, row, "Contains");
    table.setCell(col::Matches, row, text);
    table.setCell(col::Case, row, "No");
    table.setCell(col::Delete, row, "Yes");
    table.setCell(col::Hits, row, "0");
    model.Savesettings();
}

void MainWindowTest::start()
{
    general.read();
    spam.readSettings();
    window = std::make_unique<TfrmMain>(general, spam);
    progress = std::make_unique<TfrmRetrieving>(window.get());
    window->FormCreate(nullptr, progress.get());
    window->show();
}

void MainWindowTest::hiddenAutomaticPass()
{
    QCoreApplication::processEvents(); // start-up's queued showing comes first
    window->hide();
    window->automaticRun = true;
    window->minutesLeft = 0;
    window->CheckAllMailBoxes();
    window->automaticRun = false;
}

int MainWindowTest::logCount(const std::string &text) const
{
    const std::string all = log();
    int count = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
        ++count;
    return count;
}

void MainWindowTest::selectRows(std::initializer_list<int> rowNumbers)
{
    window->ListView1->clearSelection();
    for (int row : rowNumbers)
        window->ListView1->setRowSelected(row, true);
}

void scriptUpToPassword(FakeTcpServer &server)
{
    server.sendLine("+OK ready");
    server.expect("CAPA");
    server.sendLine("-ERR no capabilities here");
    server.expect("USER ann");
    server.sendLine("+OK");
    server.expect("PASS pw");
}

void scriptLogin(FakeTcpServer &server, const std::string &stat)
{
    scriptUpToPassword(server);
    server.sendLine("+OK");
    server.expect("STAT");
    server.sendLine(stat);
}

std::string message(const std::string &subject, const std::string &from, const std::string &body)
{
    return "From: " + from + "\r\nTo: tester@example.org\r\nSubject: " + subject +
           "\r\nDate: Tue, 8 Dec 2026 21:34:05 +0000\r\nMessage-ID: <" + std::to_string(std::hash<std::string>{}(subject)) +
           "@example.org>\r\n\r\n" + body;
}

std::vector<std::string> numberedMailbox(int count, int spamEvery)
{
    std::vector<std::string> mailbox;
    for (int n = 1; n <= count; ++n)
        mailbox.push_back(message(n % spamEvery ? "Meeting " + std::to_string(n) : "Cheap viagra " + std::to_string(n),
                                  "sender" + std::to_string(n) + "@example.org"));
    return mailbox;
}

} // namespace tw::test
