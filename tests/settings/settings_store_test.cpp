#include "fixtures/file_faults.h"
#include "fixtures/temp_home.h"
#include "platform/registry.h"
#include "platform/store_error.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace tw;

namespace {

const std::string kGeneralKey = std::string(kMainKey) + "\\General";
const std::string kServerKey = std::string(kMainKey) + "\\Server";

std::optional<std::string> stored(const std::string &key, const std::string &name)
{
    return Registry().readString(Hive::CurrentUser, key, name);
}

TKeyedEncryption passwordCipher()
{
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    return cipher;
}

} // namespace

TEST(SettingsStore, NothingStoredGivesEveryDefault)
{
    test::TempHome home;
    TKeyedEncryption cipher = passwordCipher();

    const GeneralSettings general = readGeneralSettings();
    EXPECT_EQ(general, GeneralSettings{});
    EXPECT_FALSE(general.Automatic);
    EXPECT_EQ(general.Minutes, 10);
    EXPECT_TRUE(general.Alarm && general.Repeat && general.Ask && general.Launch);
    EXPECT_EQ(general.Count, "0");
    EXPECT_EQ(general.KeepDeletedDays, 30);
    EXPECT_EQ(general.KeepDeletedMaxMB, 200);
    EXPECT_EQ(general.KeepDeletedMaxKB, 1024);
    EXPECT_EQ(readLogNaming(), LogNaming::AsIs);
    EXPECT_EQ(readPoints(), 0);

    const ServerSettings server = readServerSettings(cipher);
    EXPECT_EQ(server.Which, 1);
    for (const MailboxAccount &account : server.accounts) {
        EXPECT_TRUE(account.checked);
        EXPECT_EQ(account.server + account.userName + account.password, "");
    }
    EXPECT_EQ(readMessageListColumns().widths, (std::array<int, 5>{220, 140, 120, 40, 130}));
    EXPECT_EQ(readRuleGridWidths(RuleGrid::Exceptions), (std::array<int, 6>{-1, -1, -1, -1, -1, -1}));
    const WindowPlacement placement = readWindowPlacement(WindowPlacement{1, 2, 3, 4});
    EXPECT_EQ(placement, (WindowPlacement{10, 10, 640, 440}));

    const SpamTestSettings spam = readSpamTestSettings();
    EXPECT_FALSE(spam.cbSmaller);
    EXPECT_EQ(spam.nSmaller, 100);
    EXPECT_FALSE(spam.cbLarger);
    EXPECT_EQ(spam.nLarger, 20000);
    EXPECT_TRUE(spam.rbSmallerCheck && spam.rbLargerCheck);
    EXPECT_TRUE(spam.cbKnownSpammers && spam.cbValid && spam.cbAscii);
    EXPECT_FALSE(spam.rbCheck);      // unknown domains: question mark
    EXPECT_FALSE(spam.rbAsciiCheck); // non-English: question mark
    EXPECT_EQ(spam.Range, 0);
    EXPECT_EQ(spam.edUnknown + spam.edAscii, "00");
    EXPECT_EQ(readAsciiRange(), 0);
    // The learned score is on, from 0.99, with a question mark.
    EXPECT_TRUE(spam.cbLearned);
    EXPECT_EQ(spam.edLearnedCutoff, "0.99");
    EXPECT_FALSE(spam.rbLearnedCheck);
}

TEST(SettingsStore, EveryRegistryValueRoundTrips)
{
    test::TempHome home;
    TKeyedEncryption cipher = passwordCipher();

    GeneralSettings general;
    general.Logfile = "/var/log/tw.txt";
    general.Mailer = "/usr/bin/mail";
    general.AlarmFile = "/snd/alarm.wav";
    general.Automatic = true;
    general.Ask = false;
    general.Kill = true;
    general.Minutes = 45;
    general.Launch = false;
    general.Exit = true;
    general.Alarm = false;
    general.Repeat = false;
    general.RAS = 3;
    general.Count = "1234";
    general.SysTray = true;
    general.KeepDeletedDays = 0;
    general.KeepDeletedMaxMB = 5;
    general.KeepDeletedMaxKB = 64;
    saveGeneralSettings(general, LogNaming::Quarter);
    EXPECT_EQ(readGeneralSettings(), general);
    EXPECT_EQ(readLogNaming(), LogNaming::Quarter);
    EXPECT_EQ(stored(std::string(kMainKey) + "\\Logfile", "Asis"), "0");
    EXPECT_EQ(stored(std::string(kMainKey) + "\\Logfile", "Quarter"), "1");
    EXPECT_EQ(stored(kGeneralKey, "Points"), std::nullopt); // written only by the About window
    EXPECT_EQ(stored(kGeneralKey, "Kill"), "1");
    EXPECT_EQ(stored(kGeneralKey, "Minutes"), "45");
    EXPECT_EQ(stored(kGeneralKey, "KeepDeletedDays"), "0");
    saveGeneralSettings(general, LogNaming::Month);
    EXPECT_EQ(readLogNaming(), LogNaming::Month);
    saveAutomatic(false);
    EXPECT_FALSE(readGeneralSettings().Automatic);
    savePoints(-5);
    EXPECT_EQ(readPoints(), -5);

    ServerSettings server;
    server.Which = 12;
    for (int n = 1; n <= kMailboxCount; ++n) {
        const std::string number = std::to_string(n);
        server.account(n) = {"pop" + number + ".example", "user" + number, "pw\xE9" + number, n % 2 == 0,
                             n % kSecurityChoices, n == 5 ? std::string(64, 'C') : std::string()};
        server.account(n).signIn = {n % kSignInChoices, "token-helper --account " + number,
                                    "https://sso" + number + ".example/authorize", "https://sso.example/token",
                                    "mail offline", "client-" + number, "rt-" + number};
        server.account(n).encrypted = n % 2 == 1;
        server.account(n).plainText = n % 3;
        server.account(n).protocol = n % kProtocolChoices;
        server.account(n).folder = n == 3 ? "Lists/Tidewell users" : kDefaultImapFolder;
        server.account(n).imapDelete = n == 6;
    }
    EXPECT_EQ(saveServerSettings(server, cipher), std::nullopt);
    EXPECT_EQ(readServerSettings(cipher), server);
    const std::string enciphered = *stored(kServerKey, "Passwd12");
    EXPECT_EQ(enciphered.size(), 2 + 2 * std::string("pw\xE9" "12").size());
    EXPECT_EQ(stored(kServerKey, "Check1"), "0");
    // The refresh token is kept as the password is: enciphered.
    EXPECT_EQ(stored(kServerKey, "OAuthRefreshToken10")->size(), 2 + 2 * std::string("rt-10").size());
    EXPECT_EQ(stored(kServerKey, "SignIn4"), "1");
    EXPECT_EQ(stored(kServerKey, "TokenCommand2"), "token-helper --account 2");
    EXPECT_EQ(stored(kServerKey, "Protocol1"), "1");
    EXPECT_EQ(stored(kServerKey, "Folder3"), "Lists/Tidewell users");
    EXPECT_EQ(stored(kServerKey, "ImapDelete6"), "1");

    saveMessageListColumns(MessageListColumns{{1, 2, 3, 4, 5}});
    EXPECT_EQ(readMessageListColumns().widths, (std::array<int, 5>{1, 2, 3, 4, 5}));
    saveRuleGridWidths(RuleGrid::Headers, {7, 8, 9, 10, 11, 12});
    EXPECT_EQ(readRuleGridWidths(RuleGrid::Headers), (std::array<int, 6>{7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(stored(std::string(kMainKey) + "\\Headers", "col0"), "7");
    saveWindowPlacement(WindowPlacement{-20, 30, 800, 600});
    EXPECT_EQ(readWindowPlacement(WindowPlacement{}), (WindowPlacement{-20, 30, 800, 600}));
    EXPECT_EQ(stored(kMainKey, "FormTop"), "-20");
}

TEST(SettingsStore, StoredTextConversions)
{
    test::TempHome home;
    Registry reg;
    reg.writeString(kGeneralKey, "Minutes", "0x1E");
    reg.writeString(kGeneralKey, "Alarm", "0");
    reg.writeString(kGeneralKey, "Kill", "2");        // any nonzero number is true
    reg.writeString(kGeneralKey, "Repeat", "maybe");  // not a number: the default
    reg.writeString(kGeneralKey, "Alarmfile", "/old/spelling.wav");
    reg.writeString(kGeneralKey, "RAS", "-1");
    GeneralSettings general = readGeneralSettings();
    EXPECT_EQ(general.Minutes, 30);
    EXPECT_FALSE(general.Alarm);
    EXPECT_TRUE(general.Kill);
    EXPECT_TRUE(general.Repeat);
    EXPECT_EQ(general.AlarmFile, "/old/spelling.wav");
    EXPECT_EQ(general.RAS, -1);

    reg.writeString(kGeneralKey, "Minutes", "ten");
    EXPECT_EQ(readGeneralSettings().Minutes, 10);

    // Saving writes under AlarmFile; the old spelling is the same value.
    saveGeneralSettings(general, LogNaming::AsIs);
    EXPECT_EQ(Registry().valueNames(Hive::CurrentUser, kGeneralKey).size(), 20u); // every General value, once
    EXPECT_EQ(stored(kGeneralKey, "ALARMFILE"), "/old/spelling.wav");

    // Placement: a text that is no number keeps the window's current value.
    reg.writeString(kMainKey, "FormTop", "high");
    reg.writeString(kMainKey, "FormWidth", "0x320");
    EXPECT_EQ(readWindowPlacement(WindowPlacement{55, 66, 77, 88}), (WindowPlacement{55, 10, 800, 440}));
}

TEST(SettingsStore, IniQuestionSensesAndConversions)
{
    test::TempHome home;
    home.write("tidewell.ini", "[Known]\r\nQuestion=1\r\n[Ascii]\r\nQuestion=1\r\nRange=0x3\r\n"
                               "[Smaller]\r\nQSmaller=2\r\nNum=junk\r\n");
    SpamTestSettings spam = readSpamTestSettings();
    EXPECT_TRUE(spam.rbCheck);       // Known/Question=1: check mark
    EXPECT_FALSE(spam.rbAsciiCheck); // Ascii/Question=1: question mark
    EXPECT_EQ(spam.Range, 3);
    EXPECT_TRUE(spam.cbSmaller);
    EXPECT_EQ(spam.nSmaller, 100);

    home.write("tidewell.ini", "[Known]\r\nQuestion=0\r\n[Ascii]\r\nQuestion=0\r\n");
    spam = readSpamTestSettings();
    EXPECT_FALSE(spam.rbCheck);
    EXPECT_TRUE(spam.rbAsciiCheck);
}

TEST(SettingsStore, SpamTestSettingsRoundTripInTableOrder)
{
    test::TempHome home;
    SpamTestSettings spam;
    spam.cbSmaller = true;
    spam.nSmaller = 0;
    spam.rbSmallerCheck = false;
    spam.cbLarger = true;
    spam.nLarger = 99999999;
    spam.rbLargerCheck = false;
    spam.cbKnownSpammers = false;
    spam.cbValid = false;
    spam.rbCheck = true;
    spam.edUnknown = "17";
    spam.cbAscii = false;
    spam.rbAsciiCheck = true;
    spam.edAscii = "4";
    spam.Range = 2;
    spam.cbLearned = false;
    spam.edLearnedCutoff = "0.95";
    spam.rbLearnedCheck = true;
    saveSpamTestSettings(spam);
    EXPECT_EQ(home.read("tidewell.ini"),
              "[Smaller]\r\nQSmaller=1\r\nNum=0\r\nCheck=0\r\n"
              "[Larger]\r\nQLarger=1\r\nNum=99999999\r\nCheck=0\r\n"
              "[Known]\r\nQMonitor=0\r\nValid=0\r\nQuestion=1\r\nNum=17\r\n"
              "[Ascii]\r\nQMonitor=0\r\nQuestion=0\r\nNum=4\r\nRange=2\r\n"
              "[Learned]\r\nQMonitor=0\r\nCutoff=0.95\r\nCheck=1\r\n");
    const SpamTestSettings back = readSpamTestSettings();
    EXPECT_EQ(back.cbSmaller, spam.cbSmaller);
    EXPECT_EQ(back.nSmaller, spam.nSmaller);
    EXPECT_EQ(back.rbSmallerCheck, spam.rbSmallerCheck);
    EXPECT_EQ(back.cbLarger, spam.cbLarger);
    EXPECT_EQ(back.nLarger, spam.nLarger);
    EXPECT_EQ(back.rbLargerCheck, spam.rbLargerCheck);
    EXPECT_EQ(back.cbKnownSpammers, spam.cbKnownSpammers);
    EXPECT_EQ(back.cbValid, spam.cbValid);
    EXPECT_EQ(back.rbCheck, spam.rbCheck);
    EXPECT_EQ(back.edUnknown, spam.edUnknown);
    EXPECT_EQ(back.cbAscii, spam.cbAscii);
    EXPECT_EQ(back.rbAsciiCheck, spam.rbAsciiCheck);
    EXPECT_EQ(back.edAscii, spam.edAscii);
    EXPECT_EQ(back.Range, spam.Range);
    EXPECT_EQ(back.cbLearned, spam.cbLearned);
    EXPECT_EQ(back.edLearnedCutoff, spam.edLearnedCutoff);
    EXPECT_EQ(back.rbLearnedCheck, spam.rbLearnedCheck);

    saveAsciiRange(1);
    EXPECT_EQ(readAsciiRange(), 1);
    EXPECT_EQ(readSpamTestSettings().edUnknown, "17");
}

TEST(SettingsStore, MailboxProblemsStopTheSaveAfterWritingTheMailbox)
{
    const struct {
        MailboxAccount third;
        MailboxProblem::Field field;
        const char *text;
    } cases[] = {
        {{"pop.c.example", "", "pw", true}, MailboxProblem::Field::UserName,
         "Mailbox 3 has a server pop.c.example but no mailbox"},
        {{"", "carol", "pw", true}, MailboxProblem::Field::Server, "Mailbox 3 carol has a blank server"},
        {{"pop.c.example", "carol", "", false}, MailboxProblem::Field::Password, "Mailbox 3 - there is no password set"},
        {{"pop.c.example", "carol", "", true, 0, "", {2, " "}}, MailboxProblem::Field::SignIn,
         "Mailbox 3 - there is no token command set"},
    };
    for (const auto &c : cases) {
        test::TempHome home;
        TKeyedEncryption cipher = passwordCipher();
        ServerSettings server;
        server.Which = 2;
        server.account(1) = {"pop.a.example", "alice", "a", true};
        server.account(2) = {" ", " ", " ", true}; // blanks count as filled
        server.account(3) = c.third;
        server.account(4) = {"pop.d.example", "dave", "d", true};
        const std::optional<MailboxProblem> problem = saveServerSettings(server, cipher);
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(problem->mailbox, 3);
        EXPECT_EQ(problem->field, c.field);
        EXPECT_EQ(problem->text, c.text);
        const ServerSettings back = readServerSettings(cipher);
        EXPECT_EQ(back.Which, 2);
        EXPECT_EQ(back.account(3), c.third); // written before the check
        EXPECT_EQ(stored(kServerKey, "Server4"), std::nullopt);
    }

    // A mailbox that signs in in the browser needs no password.
    test::TempHome home;
    TKeyedEncryption cipher = passwordCipher();
    ServerSettings server;
    server.account(1) = {"outlook.office365.com", "alice@example.com", "", true};
    server.account(1).signIn.method = 1;
    server.account(2) = {"pop.example.org", "bob", "b", true};
    EXPECT_EQ(saveServerSettings(server, cipher), std::nullopt);
    // A mailbox that uses none of the sign-in values gets none written.
    EXPECT_EQ(stored(kServerKey, "SignIn1"), "1");
    for (const char *name : {"SignIn2", "TokenCommand2", "OAuthClientId2", "OAuthRefreshToken2", "Encrypted2", "PlainText2",
                             "Protocol2", "Folder2", "ImapDelete2"})
        EXPECT_EQ(stored(kServerKey, name), std::nullopt) << name;
}

TEST(SettingsStore, PasswordMarkerAndOneTimeWarning)
{
    TKeyedEncryption cipher = passwordCipher();
    const std::string secret1 = cipher.encrypt("one");
    const std::string secret3 = cipher.encrypt("three");

    { // Old settings: a password for the loaded mailbox and no marker.
        test::TempHome home;
        Registry reg;
        reg.writeString(kServerKey, "Server1", "pop.example");
        reg.writeString(kServerKey, "Passwd1", secret1);
        reg.writeString(kServerKey, "Passwd3", secret3);
        int warnings = 0;
        RemotePOPAccount first = readMailboxForRemotePOP(1, cipher, [&] { ++warnings; });
        EXPECT_FALSE(first.loaded);
        EXPECT_EQ(warnings, 1);
        EXPECT_EQ(stored(kServerKey, "Version161"), "161");
        for (int n = 1; n <= kMailboxCount; ++n)
            EXPECT_EQ(stored(kServerKey, "Passwd" + std::to_string(n)), "") << n;
        RemotePOPAccount second = readMailboxForRemotePOP(1, cipher, [&] { ++warnings; });
        EXPECT_TRUE(second.loaded);
        EXPECT_EQ(warnings, 1);
        EXPECT_EQ(second.server, "pop.example");
        EXPECT_EQ(second.password, "");
    }
    { // Only another mailbox has a password: no warning, that password stays.
        test::TempHome home;
        Registry reg;
        reg.writeString(kServerKey, "Passwd3", secret3);
        reg.writeString(kServerKey, "Server3", "pop3.example");
        reg.writeString(kServerKey, "Mailbox3", "carol");
        int warnings = 0;
        EXPECT_FALSE(readMailboxForRemotePOP(1, cipher, [&] { ++warnings; }).loaded);
        EXPECT_EQ(warnings, 0);
        EXPECT_EQ(stored(kServerKey, "Version161"), "161");
        const RemotePOPAccount third = readMailboxForRemotePOP(3, cipher, [&] { ++warnings; });
        EXPECT_TRUE(third.loaded);
        EXPECT_EQ(third.userName, "carol");
        EXPECT_EQ(third.password, "three");
    }
    { // A fresh installation passes silently.
        test::TempHome home;
        int warnings = 0;
        EXPECT_FALSE(readMailboxForRemotePOP(1, cipher, [&] { ++warnings; }).loaded);
        EXPECT_EQ(warnings, 0);
        EXPECT_EQ(stored(kServerKey, "Version161"), "161");
    }
}

TEST(SettingsStore, UnreadableSettingsFilesAreNamedAndKeptWhole)
{
    test::TempHome home;
    EXPECT_TRUE(unreadableSettingsFiles().empty()); // absent files are no fault
    saveAsciiRange(40);
    saveAutomatic(true);
    const std::string registryBefore = home.read("registry.ini");
    const std::string iniBefore = home.read("tidewell.ini");
    {
        test::WithoutReadAccess locked({home.file("registry.ini"), home.file("tidewell.ini")});
        const std::vector<std::string> texts = unreadableSettingsFiles();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_NE(texts[0].find("Cannot read the settings file " + home.file("registry.ini")), std::string::npos);
        EXPECT_NE(texts[1].find("Cannot read the settings file " + home.file("tidewell.ini")), std::string::npos);
        EXPECT_THROW(saveAutomatic(false), EStoreError);
        EXPECT_THROW(saveAsciiRange(10), EStoreError);
    }
    EXPECT_EQ(home.read("registry.ini"), registryBefore);
    EXPECT_EQ(home.read("tidewell.ini"), iniBefore);
}

TEST(SettingsStore, MailboxSecurityAndTrustedCertificateReadAsTheProgramUsesThem)
{
    const std::string digits = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
    struct Case {
        std::optional<std::string> security, fingerprint; // as stored; nullopt: absent (older settings)
        int readSecurity;
        std::string readFingerprint;
    } cases[] = {
        {std::nullopt, std::nullopt, 0, ""},
        {"1", digits, 1, digits},
        {"3", "01:23 45:67:89:ab:cd:ef" + digits.substr(16), 3, digits}, // pasted with colons and blanks
        {"4", "not a fingerprint", 0, ""},
        {"-1", digits.substr(1), 0, ""},
        {"STARTTLS", "", 0, ""},
    };
    TKeyedEncryption cipher = passwordCipher();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.security.value_or("<absent>"));
        test::TempHome home;
        Registry reg;
        reg.writeString(kServerKey, "Version161", "161");
        reg.writeString(kServerKey, "Server2", "pop.example");
        if (c.security)
            reg.writeString(kServerKey, "Security2", *c.security);
        if (c.fingerprint)
            reg.writeString(kServerKey, "Fingerprint2", *c.fingerprint);

        const MailboxAccount account = readServerSettings(cipher).account(2);
        EXPECT_EQ(account.security, c.readSecurity);
        EXPECT_EQ(account.fingerprint, c.readFingerprint);
        const RemotePOPAccount loaded = readMailboxForRemotePOP(2, cipher, {});
        EXPECT_EQ(loaded.security, c.readSecurity);
        EXPECT_EQ(loaded.fingerprint, c.readFingerprint);
    }

    test::TempHome home;
    saveMailboxFingerprint(7, digits);
    EXPECT_EQ(stored(kServerKey, "Fingerprint7"), digits);
    EXPECT_EQ(readServerSettings(cipher).account(7).fingerprint, digits);
}

TEST(SettingsStore, MailboxSignInValuesReadAsTheProgramUsesThem)
{
    struct Case {
        std::optional<std::string> signIn, encrypted, plainText; // as stored; nullopt: absent (older settings)
        int readSignIn;
        bool readEncrypted;
        int readPlainText;
    } cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, 0, false, 0},
        {"1", "1", "2", 1, true, 2},
        {"2", "0", "1", 2, false, 1},
        {"3", "yes", "3", 0, false, 0},
        {"-1", "2", "-1", 0, true, 0},
    };
    TKeyedEncryption cipher = passwordCipher();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.signIn.value_or("<absent>"));
        test::TempHome home;
        Registry reg;
        reg.writeString(kServerKey, "Version161", "161");
        reg.writeString(kServerKey, "Server2", "pop.example");
        for (const auto &[name, value] : {std::pair{"SignIn2", c.signIn}, std::pair{"Encrypted2", c.encrypted},
                                          std::pair{"PlainText2", c.plainText}})
            if (value)
                reg.writeString(kServerKey, name, *value);

        const MailboxAccount account = readServerSettings(cipher).account(2);
        const RemotePOPAccount loaded = readMailboxForRemotePOP(2, cipher, {});
        for (const auto &[signIn, encrypted, plainText] :
             {std::tuple{account.signIn.method, account.encrypted, account.plainText},
              std::tuple{loaded.signIn.method, loaded.encrypted, loaded.plainText}}) {
            EXPECT_EQ(signIn, c.readSignIn);
            EXPECT_EQ(encrypted, c.readEncrypted);
            EXPECT_EQ(plainText, c.readPlainText);
        }
    }

    test::TempHome home;
    saveMailboxEncrypted(4);
    saveMailboxPlainTextAnswer(4, PlainTextAnswer::No);
    MailboxSecrets inFile(PasswordStore::SettingsFile, cipher);
    inFile.save(4, {}, {}, MailboxSecret::RefreshToken, "rt-abc");
    const MailboxAccount account = readServerSettings(cipher).account(4);
    EXPECT_TRUE(account.encrypted);
    EXPECT_EQ(account.plainText, int(PlainTextAnswer::No));
    EXPECT_EQ(account.signIn.refreshToken, "rt-abc");
    EXPECT_EQ(inFile.read(4, {}, MailboxSecret::RefreshToken).value, "rt-abc");
    EXPECT_NE(stored(kServerKey, "OAuthRefreshToken4"), "rt-abc");
}

TEST(SettingsStore, MailboxProtocolValuesReadAsTheProgramUsesThem)
{
    struct Case {
        std::optional<std::string> protocol, folder, imapDelete; // as stored; nullopt: absent (older settings)
        int readProtocol;
        std::string readFolder;
        bool readImapDelete;
    } cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, 0, "INBOX", false},
        {"1", "Archive/2026", "1", 1, "Archive/2026", true},
        {"0", "", "0", 0, "INBOX", false},
        {"2", "INBOX", "yes", 0, "INBOX", false},
        {"-1", " Work ", "2", 0, " Work ", true},
        {"IMAP", std::nullopt, std::nullopt, 0, "INBOX", false},
    };
    TKeyedEncryption cipher = passwordCipher();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.protocol.value_or("<absent>"));
        test::TempHome home;
        Registry reg;
        reg.writeString(kServerKey, "Version161", "161");
        reg.writeString(kServerKey, "Server2", "imap.example");
        for (const auto &[name, value] : {std::pair{"Protocol2", c.protocol}, std::pair{"Folder2", c.folder},
                                          std::pair{"ImapDelete2", c.imapDelete}})
            if (value)
                reg.writeString(kServerKey, name, *value);

        const MailboxAccount account = readServerSettings(cipher).account(2);
        const RemotePOPAccount loaded = readMailboxForRemotePOP(2, cipher, {});
        for (const auto &[protocol, folder, imapDelete] :
             {std::tuple{account.protocol, account.folder, account.imapDelete},
              std::tuple{loaded.protocol, loaded.folder, loaded.imapDelete}}) {
            EXPECT_EQ(protocol, c.readProtocol);
            EXPECT_EQ(folder, c.readFolder);
            EXPECT_EQ(imapDelete, c.readImapDelete);
        }
    }

    // Going back to POP3 and the inbox rewrites values that were stored.
    test::TempHome home;
    ServerSettings server;
    server.account(1) = {"imap.example", "alice", "a", true};
    server.account(1).protocol = int(MailProtocol::IMAP);
    server.account(1).folder = "Work";
    server.account(1).imapDelete = true;
    ASSERT_EQ(saveServerSettings(server, cipher), std::nullopt);
    server.account(1).protocol = int(MailProtocol::POP3);
    server.account(1).folder = kDefaultImapFolder;
    server.account(1).imapDelete = false;
    ASSERT_EQ(saveServerSettings(server, cipher), std::nullopt);
    EXPECT_EQ(stored(kServerKey, "Protocol1"), "0");
    EXPECT_EQ(stored(kServerKey, "Folder1"), "INBOX");
    EXPECT_EQ(stored(kServerKey, "ImapDelete1"), "0");
    EXPECT_EQ(readServerSettings(cipher), server);
}
