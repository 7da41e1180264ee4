#include "app/secret_questions.h"
#include "dialog_driver.h"
#include "fixtures/temp_home.h"
#include "net/tls_trust.h"
#include "platform/clock.h"
#include "platform/dialup_fake.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/secret_store.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/ui/general.h"
#include "settings/ui/mailSearch.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

// Points HOME and the desktop folders at a temporary folder for a test, so
// that no Thunderbird profile or mail handler of the machine is seen.
class FakeDesktopHome {
public:
    FakeDesktopHome()
    {
        for (const char *name : kNames) {
            m_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        }
        const QByteArray root = m_dir.path().toLocal8Bit();
        qputenv("HOME", root);
        qputenv("XDG_CONFIG_HOME", root + "/.config");
        qputenv("XDG_DATA_HOME", root + "/.local/share");
        qputenv("XDG_DATA_DIRS", root + "/system");
    }
    ~FakeDesktopHome()
    {
        for (const Saved &saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }
    std::string path() const { return m_dir.path().toStdString(); }
    void write(const std::string &relative, const std::string &text) const
    {
        const QString file = m_dir.filePath(QString::fromStdString(relative));
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.data(), qint64(text.size()));
    }

private:
    static constexpr const char *kNames[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS"};
    struct Saved {
        const char *name;
        QByteArray value;
        bool wasSet;
    };
    QTemporaryDir m_dir;
    std::vector<Saved> m_saved;
};

std::string serverValue(const std::string &name) { return tw::test::storedServerValue(name); }

std::string generalValue(const std::string &name)
{
    return Registry().readString(Hive::CurrentUser, std::string(kMainKey) + "\\General", name).value_or("<none>");
}

class GeneralWindowTest : public ::testing::Test {
protected:
    FakeDesktopHome desktop;
    TempHome home;
    ScriptedPrompts prompts;
    RecordingShell shell;
    RecordingSound sound;
    MemorySecretStore keyring;
    FakeDialUpService dialUpService;
    TagRas dialUp{dialUpService};
    GeneralSettingsModel general;
    SpamSettingsModel spam;
    std::vector<std::string> commandsRun;
    std::unique_ptr<TfrmGeneral> window;

    void TearDown() override
    {
        window.reset();
        Clock::setFixedNow(std::nullopt);
    }

    // Reads the settings as start-up does and creates the window.
    void create()
    {
        spam.readSettings();
        general.read();
        GeneralWindowCommands commands;
        commands.launchMailProgram = [this] { commandsRun.push_back("launch " + general.general.Mailer); };
        commands.showStatistics = [this] { commandsRun.push_back("statistics"); };
        commands.showHelp = [this] { commandsRun.push_back("help"); };
        commands.showDeletedMail = [this] { commandsRun.push_back("deleted mail"); };
        window = std::make_unique<TfrmGeneral>(general, spam, dialUp, commands);
    }
    void createAndShow()
    {
        create();
        window->show();
    }
    void storeMailbox(int n, const std::string &server, const std::string &user, const std::string &password)
    {
        TKeyedEncryption cipher;
        cipher.Key = kPasswordKey;
        ServerSettings servers = readServerSettings(cipher);
        servers.account(n) = {server, user, password, true};
        ASSERT_FALSE(saveServerSettings(servers, cipher).has_value());
    }
    void type(QLineEdit *field, const std::string &text)
    {
        field->clear();
        QTest::keyClicks(field, QString::fromStdString(text));
    }
    void typeMailbox(int n, const std::string &server, const std::string &user, const std::string &password)
    {
        type(window->edServe[size_t(n - 1)], server);
        type(window->edName[size_t(n - 1)], user);
        type(window->edPass[size_t(n - 1)], password);
    }
    std::string text(QLineEdit *field) const { return field->text().toStdString(); }
};

TEST_F(GeneralWindowTest, FirstStartFillsDefaultsAndTypingGoesToTheFirstMailbox)
{
    createAndShow();

    EXPECT_TRUE(text(window->edServe[0]).empty());
    EXPECT_EQ(text(window->edAlarm), programFile("harptune.wav"));
    EXPECT_EQ(text(window->Edit1), programFile("logfile.txt"));
    // No mail program was found: a new user is not offered one to launch.
    EXPECT_TRUE(text(window->edMail).empty());
    EXPECT_FALSE(window->cbLaunch->isChecked());
    EXPECT_EQ(window->PageControl1->currentIndex(), TfrmGeneral::Mailboxes);
    EXPECT_EQ(window->RASComboBox->count(), 1);
    EXPECT_EQ(window->RASComboBox->currentText(), "None");
    EXPECT_TRUE(window->rb[0]->isChecked());
    EXPECT_EQ(window->edPass[0]->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window->focusWidget(), window->edServe[0]);
    // Showing adds no rule: there is no user name to put in it yet.
    EXPECT_TRUE(spam.rules.header.isEmptyTable());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(GeneralWindowTest, TheFirstRunHeaderRuleComesWithTheFirstSavedUserName)
{
    createAndShow();
    type(window->edName[0], "ann");
    window->btCancel->click();
    window->show();
    window->btOK->click(); // saved, but mailbox 1 is still empty
    EXPECT_TRUE(spam.rules.header.isEmptyTable());

    window->show();
    typeMailbox(1, "pop.example.org", "ann", "pw");
    window->btOK->click();
    SpamSettingsModel saved;
    saved.readSettings();
    for (const RuleTable *table : {&spam.rules.header, &saved.rules.header}) {
        ASSERT_EQ(table->RowCount(), 2);
        EXPECT_EQ(table->cell(col::What, 1), "To does not contain");
        EXPECT_EQ(table->cell(col::Matches, 1), "ann - MailBox #1");
        EXPECT_EQ(table->cell(col::Case, 1), "No");
        // A question mark: mail to a list or an alias misses "To" and must not be deleted for it.
        EXPECT_EQ(table->cell(col::Delete, 1), "No");
        EXPECT_EQ(table->cell(col::Hits, 1), "0");
    }
    // The user is told once what the rule does and where to change it.
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("information: ", 0), 0u) << prompts.shown[0];
    EXPECT_NE(prompts.shown[0].find("\"ann\" gets a question mark"), std::string::npos) << prompts.shown[0];
    EXPECT_NE(prompts.shown[0].find("Spam settings, page \"Headers\""), std::string::npos);
    prompts.shown.clear();

    // Only once: a later change of the user name adds nothing.
    window->show();
    type(window->edName[0], "bob");
    window->btOK->click();
    EXPECT_EQ(spam.rules.header.RowCount(), 2);
    EXPECT_EQ(spam.rules.header.cell(col::Matches, 1), "ann - MailBox #1");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(GeneralWindowTest, ATrustedCertificateIsShownAndCanBeForgotten)
{
    storeMailbox(1, "pop.example.org:995", "ann", "pw");
    storeMailbox(2, "mail.example.net", "bob", "pw");
    const std::string fingerprint(64, 'A');
    saveMailboxFingerprint(1, fingerprint);
    createAndShow();
    QToolButton *forget = window->btForgetCertificate[0];
    ASSERT_TRUE(forget->isVisible());
    EXPECT_FALSE(window->btForgetCertificate[1]->isVisible()); // nothing trusted there
    EXPECT_NE(forget->toolTip().toStdString().find(groupedFingerprint(fingerprint)), std::string::npos)
        << forget->toolTip().toStdString();

    // No keeps it; Cancel after Yes keeps it too.
    forget->click();
    ASSERT_EQ(prompts.askedNoByDefault.size(), 1u);
    EXPECT_TRUE(forget->isVisible());
    prompts.yesNoAnswers = {true};
    forget->click();
    EXPECT_FALSE(forget->isVisible());
    window->btCancel->click();
    EXPECT_EQ(serverValue("Fingerprint1"), fingerprint);
    window->show();
    EXPECT_TRUE(window->btForgetCertificate[0]->isVisible());

    // Yes and OK forget it for good.
    prompts.yesNoAnswers = {true};
    forget->click();
    window->btOK->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serverValue("Fingerprint1"), "");
}

TEST_F(GeneralWindowTest, TwoMailboxesAreSavedWithTheirPasswordsEnciphered)
{
    createAndShow();
    typeMailbox(1, "pop.example.org", "ann", "secret1");
    typeMailbox(2, "mail.example.net", "bob", "secret2");
    window->rb[1]->click();
    window->cb[1]->click(); // mailbox 2 stays out of checks
    window->rbAuto->click();
    window->nMinutes->setValue(25);
    EXPECT_EQ(window->nKeepDays->value(), 30); // the defaults of the copies of deleted mail
    EXPECT_EQ(window->nKeepMaxMB->value(), 200);
    EXPECT_EQ(window->nKeepMaxKB->value(), 1024);
    window->nKeepDays->setValue(0);
    window->nKeepMaxMB->setValue(50);
    window->nKeepMaxKB->setValue(64);
    window->rbPasswordFile->click();

    window->btOK->click();

    EXPECT_FALSE(window->isVisible());
    // Only the note about the first-run header rule.
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("information: Tidewell has added a header rule", 0), 0u) << prompts.shown[0];
    EXPECT_EQ(serverValue("Which"), "2");
    EXPECT_EQ(serverValue("Server1"), "pop.example.org");
    EXPECT_EQ(serverValue("Mailbox1"), "ann");
    EXPECT_EQ(serverValue("Server2"), "mail.example.net");
    EXPECT_EQ(serverValue("Mailbox2"), "bob");
    EXPECT_EQ(serverValue("Check1"), "1");
    EXPECT_EQ(serverValue("Check2"), "0");
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    for (auto [name, plain] : {std::pair{"Passwd1", "secret1"}, {"Passwd2", "secret2"}}) {
        const std::string stored = serverValue(name);
        EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_EQ(stored.find(plain), std::string::npos);
        EXPECT_EQ(cipher.decrypt(stored), plain);
    }
    EXPECT_EQ(generalValue("Automatic"), "1");
    EXPECT_EQ(generalValue("Minutes"), "25");
    EXPECT_EQ(generalValue("KeepDeletedDays"), "0");
    EXPECT_EQ(generalValue("KeepDeletedMaxMB"), "50");
    EXPECT_EQ(generalValue("KeepDeletedMaxKB"), "64");
    EXPECT_EQ(general.general.KeepDeletedDays, 0);
    struct stat info {};
    ASSERT_EQ(stat(registryFilePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // The program works with the confirmed values at once.
    EXPECT_EQ(general.servers.Which, 2);
    EXPECT_EQ(general.HowManyMailboxesChecked(), 1);
    EXPECT_EQ(general.general.Minutes, 25);
}

TEST_F(GeneralWindowTest, ThePasswordsPageChoosesWhereSecretsAreKeptAndOKMovesThem)
{
    createAndShow();
    EXPECT_EQ(window->PageControl1->tabText(TfrmGeneral::Passwords), "Passwords");
    EXPECT_TRUE(window->rbPasswordKeyring->isChecked()); // the default
    // Each choice comes with one line on what it means for safety.
    QWidget *page = window->rbPasswordKeyring->parentWidget();
    std::vector<std::string> lines;
    for (QObject *child : page->children())
        if (auto *widget = qobject_cast<QWidget *>(child))
            lines.push_back(qobject_cast<QRadioButton *>(widget) ? "( ) " + widget->property("text").toString().toStdString()
                            : qobject_cast<QLabel *>(widget)    ? qobject_cast<QLabel *>(widget)->text().toStdString()
                                                                : "");
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Keep the mailbox passwords and sign-in tokens in:",
                         "( ) Desktop &keyring (recommended)",
                         "The safest: your desktop's keyring keeps them locked while you are logged out, and a copy of "
                         "your files does not reveal them.",
                         "( ) Tidewell's &settings file",
                         "Enciphered in registry.ini, but with a key anyone can find: every program you run, and anyone "
                         "with a copy of your files, can read them.",
                         "( ) As&k at each check",
                         "Nothing is stored: Tidewell asks for each password once after it starts, and checks in the "
                         "background pass over a mailbox until you have given its password.",
                         "When the keyring cannot be reached, a check you start asks where to keep them instead.  A "
                         "change here moves the stored passwords when you press OK."}));

    const std::string entry = "ann@pop.example.org (password)";
    typeMailbox(1, "pop.example.org", "ann", "secret1");
    window->btOK->click();
    EXPECT_EQ(keyring.entries, (std::map<std::string, std::string>{{entry, "secret1"}}));
    EXPECT_EQ(serverValue("Passwd1"), "<none>");
    EXPECT_EQ(generalValue("PasswordStore"), "0");

    // To the settings file: copied there, then taken out of the keyring.
    window->show();
    window->rbPasswordFile->click();
    window->btOK->click();
    EXPECT_TRUE(keyring.entries.empty());
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    EXPECT_EQ(cipher.decrypt(serverValue("Passwd1")), "secret1");
    EXPECT_EQ(generalValue("PasswordStore"), "1");

    // Asked at each check: stored nowhere, known to this run only.
    window->show();
    window->rbPasswordAsk->click();
    window->btOK->click();
    EXPECT_TRUE(keyring.entries.empty());
    EXPECT_EQ(serverValue("Passwd1"), "");
    EXPECT_EQ(generalValue("PasswordStore"), "2");
    EXPECT_EQ(general.servers.account(1).password, "secret1");

    // Back to a keyring that fails: the user is asked, with its text, and
    // the password goes to the settings file for this run; the keyring
    // stays chosen, and the next start moves it there.
    keyring.behaviour = MemorySecretStore::Behaviour::Fail;
    general.secrets.askInsteadOfKeyring = askWhereToKeepSecrets; // as the main window sets it
    prompts.shown.clear();
    prompts.chooseAnswers = {0};
    window->show();
    window->rbPasswordKeyring->click();
    window->btOK->click();
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("choose: Tidewell could not use the desktop keyring for the mailbox passwords and "
                                     "sign-in tokens:\n\nThe keyring is locked.\n\n",
                                     0),
              0u)
        << prompts.shown[0];
    EXPECT_EQ(cipher.decrypt(serverValue("Passwd1")), "secret1");
    EXPECT_EQ(generalValue("PasswordStore"), "0");
}

TEST_F(GeneralWindowTest, AMailboxThatCannotBeSavedKeepsTheWindowOpenOnItsField)
{
    struct Case {
        const char *server, *user, *password;
        std::string error;
        int field; // 0 server, 1 user name, 2 password
    };
    const Case cases[] = {
        {"pop.three.example", "", "", "Mailbox 3 has a server pop.three.example but no mailbox", 1},
        {"", "carl", "", "Mailbox 3 carl has a blank server", 0},
        {"pop.three.example", "carl", "", "Mailbox 3 - there is no password set", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error);
        prompts.shown.clear();
        createAndShow();
        typeMailbox(1, "pop.example.org", "ann", "pw");
        typeMailbox(3, c.server, c.user, c.password);
        window->PageControl1->setCurrentIndex(TfrmGeneral::ActivityLog);

        window->btOK->click();

        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0], "error: " + c.error);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->PageControl1->currentIndex(), TfrmGeneral::Mailboxes);
        QLineEdit *expected = c.field == 0 ? window->edServe[2] : c.field == 1 ? window->edName[2] : window->edPass[2];
        EXPECT_EQ(window->focusWidget(), expected);
        // Mailboxes up to the faulty one are written; the later ones are not.
        EXPECT_EQ(serverValue("Server1"), "pop.example.org");
        EXPECT_EQ(serverValue("Server3"), c.server);
        EXPECT_EQ(serverValue("Server4"), "<none>");
        window.reset();
        QFile::remove(QString::fromStdString(registryFilePath()));
        general = GeneralSettingsModel();
    }
}

TEST_F(GeneralWindowTest, WarningsInformButDoNotStopTheSave)
{
    createAndShow();
    typeMailbox(1, "pop.example.org", "ann@example.org", "pw");
    typeMailbox(2, "pop.aol.com", "bob", "pw");
    window->rbAuto->click();
    window->cbKill->click();
    window->cbSysTray->click();

    window->btOK->click();

    ASSERT_EQ(prompts.shown.size(), 5u); // the last one tells of the first-run header rule
    EXPECT_EQ(prompts.shown[0], "warning: Just a warning that you selected to automatically delete marked messages "
                                "without confirmation.  It is possible to OVER delete by using this setting.");
    EXPECT_EQ(prompts.shown[1], "information: Exit and restart for the Start Up changes to take effect.");
    EXPECT_EQ(prompts.shown[2].rfind("warning: At least one of your mailboxes contains an \"@\" symbol which should "
                                     "NOT be specified.",
                                     0),
              0u);
    EXPECT_EQ(prompts.shown[3], std::string("warning: ") + kWebMailNote);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(serverValue("Mailbox1"), "ann@example.org");
    EXPECT_EQ(generalValue("Kill"), "1");
}

TEST_F(GeneralWindowTest, ShowingNamesTheLogByMonthOrQuarter)
{
    Clock::setFixedNow(QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
    const std::string folder = home.file("logs");
    GeneralSettings stored;
    stored.Logfile = folder + "/activity.txt";
    saveGeneralSettings(stored, LogNaming::Month);
    storeMailbox(1, "pop.example.org", "ann", "pw");
    createAndShow();
    EXPECT_EQ(text(window->Edit1), folder + "/Dec26.txt");
    EXPECT_TRUE(window->rbMonth->isChecked());

    window->rbQuarter->click();
    window->btOK->click();
    ASSERT_FALSE(window->isVisible());
    EXPECT_TRUE(QDir(QString::fromStdString(folder)).exists()); // OK creates the log folder
    EXPECT_EQ(generalValue("Logfile"), folder + "/Dec26.txt");

    window->show();
    EXPECT_EQ(text(window->Edit1), folder + "/Q4_26.txt");
    EXPECT_TRUE(spam.rules.header.isEmptyTable()); // not a first start
}

TEST_F(GeneralWindowTest, ALogPathWithoutAFolderStopsTheSaveAndKeepsTheEdits)
{
    createAndShow();
    typeMailbox(1, "pop.example.org", "ann", "pw");
    type(window->Edit1, "logfile.txt");

    window->btOK->click();

    EXPECT_EQ(prompts.shown, std::vector<std::string>{"error: Unable to create directory"});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->PageControl1->currentIndex(), TfrmGeneral::ActivityLog);
    EXPECT_EQ(window->focusWidget(), window->Edit1);
    EXPECT_EQ(text(window->edServe[0]), "pop.example.org");
    EXPECT_EQ(serverValue("Server1"), "<none>");
}

TEST_F(GeneralWindowTest, StartAtLoginShowsTheAutostartEntryAndOKWritesOrRemovesIt)
{
    const QString entry = QString::fromStdString(desktop.path() + "/.config/autostart/tidewell.desktop");
    desktop.write(".config/autostart/tidewell.desktop", "[Desktop Entry]\nType=Application\nExec=tidewell\n");
    createAndShow();
    EXPECT_TRUE(window->cbStartAtLogin->isChecked());
    window->cbStartAtLogin->setChecked(false);
    window->btOK->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(QFile::exists(entry));

    // Switched on with the desktop's own tools meanwhile: the next showing reads the file.
    desktop.write(".config/autostart/tidewell.desktop", "[Desktop Entry]\nExec=tidewell\nHidden=true\n");
    window->show();
    EXPECT_FALSE(window->cbStartAtLogin->isChecked());
    window->cbStartAtLogin->setChecked(true);
    window->btOK->click();
    QFile written(entry);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains(
        ("\nExec=env TIDEWELL_HOME=" + home.path() + " " + QCoreApplication::applicationFilePath().toStdString() + "\n")
            .c_str()));
}

TEST_F(GeneralWindowTest, AnAutostartEntryThatCannotBeWrittenKeepsTheWindowOpenUnsaved)
{
    desktop.write(".config/autostart", "a file where the folder should be");
    createAndShow();
    window->nMinutes->setValue(42);
    window->cbStartAtLogin->setChecked(true);
    window->btOK->click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("error: Tidewell could not be set to start at login: ", 0), 0u) << prompts.shown[0];
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->PageControl1->currentIndex(), TfrmGeneral::StartUp);
    EXPECT_FALSE(window->cbStartAtLogin->isChecked()); // what the desktop will do
    EXPECT_EQ(readGeneralSettings().Minutes, 10);
}

TEST_F(GeneralWindowTest, CancelPutsTheStoredSettingsBack)
{
    storeMailbox(1, "pop.example.org", "ann", "pw");
    createAndShow();
    type(window->edServe[0], "typed.example");
    window->nMinutes->setValue(99);
    window->btReset->click(); // answered No: the counter stays
    window->btLaunch->click(); // launching takes the typed program over for the moment

    window->btCancel->click();

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(text(window->edServe[0]), "pop.example.org");
    EXPECT_EQ(window->nMinutes->value(), 10);
    EXPECT_EQ(general.servers.account(1).server, "pop.example.org");
    EXPECT_EQ(general.general.Minutes, 10);
    EXPECT_EQ(serverValue("Server1"), "pop.example.org");
}

TEST_F(GeneralWindowTest, PanelsFollowTheModeAndTheDeleteOption)
{
    createAndShow();
    EXPECT_FALSE(window->pnlManual->isHidden());
    EXPECT_TRUE(window->pnlAuto->isHidden());
    window->rbAuto->click();
    EXPECT_TRUE(window->pnlManual->isHidden());
    EXPECT_FALSE(window->pnlAuto->isHidden());
    EXPECT_FALSE(window->pnlSound->isHidden());
    window->cbKill->click();
    EXPECT_TRUE(window->pnlSound->isHidden());
    window->cbKill->click();
    EXPECT_FALSE(window->pnlSound->isHidden());
}

TEST_F(GeneralWindowTest, LogCounterAlarmAndCallbackCommands)
{
    home.write("activity.txt", "some lines\r\n");
    GeneralSettings stored;
    stored.Logfile = home.file("activity.txt");
    stored.Count = "42";
    saveGeneralSettings(stored, LogNaming::AsIs);
    home.write("bell.wav", "RIFF");
    createAndShow();
    EXPECT_EQ(window->edCount->text(), "42");

    prompts.yesNoAnswers = {true, true};
    window->btReset->click();
    EXPECT_EQ(window->edCount->text(), "0");
    window->btView->click();
    EXPECT_EQ(shell.calls.back(), "open: " + home.file("activity.txt"));
    window->btClear->click();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(home.file("activity.txt"))));
    shell.succeed = false;
    window->btView->click();
    EXPECT_EQ(prompts.shown.back(), "error: Unable to open log file. ");

    window->edAlarm->setText(QString::fromStdString(home.file("bell.wav")));
    window->cbRepeat->setChecked(true);
    window->sbTest->click();
    EXPECT_EQ(window->sbTest->text(), "Stop");
    window->sbTest->click();
    EXPECT_EQ(window->sbTest->text(), "Test");
    window->cbRepeat->setChecked(false);
    window->sbTest->click();
    EXPECT_EQ(window->sbTest->text(), "Test");
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"loop: " + home.file("bell.wav"), "stop",
                                                     "play: " + home.file("bell.wav")}));

    window->edMail->setText(QStringLiteral("/usr/bin/mailer"));
    window->btLaunch->click();
    window->btStats->click();
    window->btHelp->click();
    window->btDeletedMail->click();
    EXPECT_EQ(commandsRun, (std::vector<std::string>{"launch /usr/bin/mailer", "statistics", "help", "deleted mail"}));

    window->btOK->click();
    EXPECT_EQ(generalValue("Count"), "0");
}

TEST_F(GeneralWindowTest, TheMailProgramSearchReplacesThePathOnlyWithAChosenFile)
{
    createAndShow();
    const std::string picked = desktop.path() + "/mailer";
    desktop.write("mailer", "#!/bin/sh\n");
    QFile::setPermissions(QString::fromStdString(picked), QFile::ReadOwner | QFile::ExeOwner);
    const struct {
        const char *how;
        bool confirmSearch;
        bool pickFile;
        std::string expected;
    } cases[] = {
        {"search cancelled", false, false, "/usr/bin/mine"},
        {"file dialog cancelled", true, false, "/usr/bin/mine"},
        {"file picked", true, true, picked},
    };
    for (const auto &c : cases) {
        window->edMail->setText(QStringLiteral("/usr/bin/mine"));
        onNextDialog<TfrmMailProgramSearch>([&](TfrmMailProgramSearch &search) {
            if (!c.confirmSearch)
                return search.btCancel->click();
            onNextDialog<QFileDialog>([&](QFileDialog &files) {
                if (!c.pickFile)
                    return files.reject();
                acceptFileDialogWith(files, QString::fromStdString(picked));
            });
            search.btOK->click(); // "Other" is selected
        });
        window->SpeedButton2->click();
        EXPECT_EQ(text(window->edMail), c.expected) << c.how;
    }
}

TEST_F(GeneralWindowTest, ADialUpEntryBeyondTheListIsSavedAsNoSelection)
{
    GeneralSettings stored;
    stored.RAS = 3;
    stored.Logfile = home.file("log.txt");
    saveGeneralSettings(stored, LogNaming::AsIs);
    storeMailbox(1, "pop.example.org", "ann", "pw");
    createAndShow();
    EXPECT_EQ(window->RASComboBox->currentIndex(), -1);
    window->btOK->click();
    EXPECT_EQ(generalValue("RAS"), "-1");
}

TEST_F(GeneralWindowTest, DialUpEntriesFollowNoneAndTheStoredChoiceSelectsTheLinksService)
{
    FakeDialUpService service;
    service.entries = {"Work", "Home"};
    TagRas link(service);
    GeneralSettings stored;
    stored.RAS = 2;
    saveGeneralSettings(stored, LogNaming::AsIs);
    general.read();
    spam.readSettings();
    TfrmGeneral dialog(general, spam, link, {});
    EXPECT_EQ(dialog.RASComboBox->count(), 3);
    EXPECT_EQ(dialog.RASComboBox->itemText(0), "None");
    EXPECT_EQ(dialog.RASComboBox->currentText(), "Home");
    EXPECT_EQ(link.Service(), "Home");
}

TEST_F(GeneralWindowTest, TheFieldBeingTypedIntoStandsOut)
{
    createAndShow();
    QApplication::setActiveWindow(window.get());
    const QColor grey = QApplication::palette().color(QPalette::Button);
    const QColor white = QApplication::palette().color(QPalette::Base);
    ASSERT_NE(grey, white);
    window->edServe[0]->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->edServe[0]->palette().color(QPalette::Base) == white; }, 2000));
    EXPECT_EQ(window->edName[0]->palette().color(QPalette::Base), grey);
    window->edName[0]->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->edServe[0]->palette().color(QPalette::Base) == grey; }, 2000));
    EXPECT_EQ(window->edName[0]->palette().color(QPalette::Base), white);
}

TEST_F(GeneralWindowTest, DestroyingTheWindowSavesTheGeneralSection)
{
    storeMailbox(1, "pop.example.org", "ann", "pw");
    create();
    general.addToSpamCount(7); // a deletion run raised the counter
    window.reset();
    EXPECT_EQ(generalValue("Count"), "7");
}

TEST_F(GeneralWindowTest, OtherMailProgramsFillTheFirstMailbox)
{
    home.write("registry.ini",
               std::string("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]\n"
               "POP3 Server=pop.win98.example\nPOP3 User Name=winnie\n") +
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command]\n"
               "@=" + Registry::escapeValue("C:\\Mail\\mailer.exe /mailto %1") + "\n");
    createAndShow();
    EXPECT_EQ(text(window->edServe[0]), "pop.win98.example");
    EXPECT_EQ(text(window->edName[0]), "winnie");
    EXPECT_EQ(text(window->edMail), "C:\\Mail\\mailer.exe");
    EXPECT_EQ(window->focusWidget(), window->edPass[0]); // what is still missing
    type(window->edPass[0], "pw");
    window->btOK->click();
    EXPECT_EQ(spam.rules.header.cell(col::Matches, 1), "winnie - MailBox #1");
}

TEST_F(GeneralWindowTest, ThunderbirdAndTheMailtoHandlerFillAnEmptyConfiguration)
{
    desktop.write(".thunderbird/profiles.ini", "[Profile0]\nName=default\nIsRelative=1\nPath=abcd.default\n"
                                               "Default=1\n");
    desktop.write(".thunderbird/abcd.default/prefs.js",
                  "user_pref(\"mail.accountmanager.accounts\", \"account2,account1\");\n"
                  "user_pref(\"mail.account.account1.server\", \"server1\");\n"
                  "user_pref(\"mail.account.account2.server\", \"server2\");\n"
                  "user_pref(\"mail.server.server1.type\", \"none\");\n"
                  "user_pref(\"mail.server.server2.hostname\", \"pop.bird.example\");\n"
                  "user_pref(\"mail.server.server2.port\", 1110);\n"
                  "user_pref(\"mail.server.server2.type\", \"pop3\");\n"
                  "user_pref(\"mail.server.server2.userName\", \"robin\");\n");
    desktop.write(".config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=bird-mail.desktop;\n");
    desktop.write(".local/share/applications/bird-mail.desktop",
                  "[Desktop Entry]\nType=Application\nName=Bird\nExec=\"/opt/bird mail/bird\" -compose %u\n");
    createAndShow();
    EXPECT_EQ(text(window->edServe[0]), "pop.bird.example:1110");
    EXPECT_EQ(text(window->edName[0]), "robin");
    EXPECT_EQ(text(window->edMail), "/opt/bird mail/bird");
    EXPECT_TRUE(window->cbLaunch->isChecked());
}

TEST_F(GeneralWindowTest, StoredSettingsAreNotOverwrittenByDetection)
{
    desktop.write(".thunderbird/profiles.ini", "[Profile0]\nIsRelative=1\nPath=p\n");
    desktop.write(".thunderbird/p/prefs.js", "user_pref(\"mail.server.server1.type\", \"pop3\");\n"
                                             "user_pref(\"mail.server.server1.hostname\", \"pop.bird.example\");\n");
    GeneralSettings stored;
    stored.Mailer = "/usr/bin/mine";
    stored.Logfile = home.file("log.txt");
    saveGeneralSettings(stored, LogNaming::AsIs);
    storeMailbox(1, "pop.example.org", "ann", "pw");
    createAndShow();
    EXPECT_EQ(text(window->edServe[0]), "pop.example.org");
    EXPECT_EQ(text(window->edMail), "/usr/bin/mine");
}

} // namespace
