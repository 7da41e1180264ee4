#include "fixtures/temp_home.h"
#include "platform/registry.h"
#include "settings/desktop_mail.h"
#include "settings/other_mail_programs.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

constexpr const char *kMailtoKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command";
constexpr const char *kEudoraKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Eudora.exe";

class MailDetectionTest : public ::testing::Test {
protected:
    TempHome home;

    // A registry file holding the given sections ("[key]\nName=value\n" text).
    Registry registryWith(const std::string &text)
    {
        home.write("registry.ini", text);
        return Registry(home.file("registry.ini"));
    }
    static std::string value(const std::string &name, const std::string &raw)
    {
        return name + "=" + Registry::escapeValue(raw) + "\n";
    }
    void writeFile(const std::string &relative, const std::string &text)
    {
        QDir().mkpath(QFileInfo(QString::fromStdString(home.file(relative))).path());
        home.write(relative, text);
    }
};

TEST_F(MailDetectionTest, EudoraAccountFromTheIniNamedByThePathOrTheMailtoCommand)
{
    home.write("eudora.ini", "[Settings]\r\nPOPAccount=ann@pop.eudora.example\r\n");
    home.write("solo.ini", "[Settings]\r\nPOPAccount=pop.solo.example\r\n");
    struct Case {
        std::string registry;
        std::string server, user;
    } cases[] = {
        {std::string("[") + kEudoraKey + "]\n" + value("Path", home.file("eudora.exe")), "pop.eudora.example", "ann"},
        {std::string("[") + kMailtoKey + "]\n" + value("@", "\"" + home.file("solo.exe") + "\" /m %1"),
         "pop.solo.example", ""},
        {std::string("[") + kMailtoKey + "]\n" + value("@", home.file("missing.exe") + " /m %1"), "", ""},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.registry);
        const DetectedMailbox found = CheckEudora(registryWith(c.registry));
        EXPECT_EQ(found.server, c.server);
        EXPECT_EQ(found.userName, c.user);
    }
}

TEST_F(MailDetectionTest, AccountManagerAndNetscapeKeys)
{
    const Registry registry = registryWith(
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]\n"
        "POP3 User Name=winnie\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Netscape\\Netscape Navigator\\Mail]\nPOP Name=nat\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Netscape\\Netscape Navigator\\Services]\nPOP_Server=pop.nav.example\n");
    EXPECT_FALSE(CheckWin98(registry).found()); // a user name without a server is nothing
    const DetectedMailbox netscape = CheckNetscape(registry);
    EXPECT_EQ(netscape.userName, "nat");
    EXPECT_EQ(netscape.server, "pop.nav.example");
}

TEST_F(MailDetectionTest, MailProgramFromTheEudoraPathOrTheMailtoCommand)
{
    home.write("eudora.exe", "");
    struct Case {
        std::string registry;
        std::string expected;
    } cases[] = {
        {std::string("[") + kEudoraKey + "]\n" + value("Path", home.file("eudora.exe")), home.file("eudora.exe")},
        {std::string("[") + kMailtoKey + "]\n" + value("@", "C:\\Program Files\\Mail\\MAIL.EXE /mailurl:%1"),
         "C:\\Program Files\\Mail\\MAIL.EXE"},
        {std::string("[") + kMailtoKey + "]\n" + value("@", "rundll32.exe url.dll,MailToProtocolHandler %1"),
         "rundll32.exe url.dll,MailToProtocolHandler"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.registry);
        EXPECT_EQ(GetMailPath(registryWith(c.registry)), c.expected);
    }
}

TEST_F(MailDetectionTest, FirstPop3AccountFollowsTheAccountListElseServerNumbers)
{
    const std::string servers = "user_pref(\"mail.server.server10.type\", \"pop3\");\n"
                                "user_pref(\"mail.server.server10.hostname\", \"pop.ten.example\");\n"
                                "user_pref(\"mail.server.server10.userName\", \"ten\");\n"
                                "user_pref(\"mail.server.server2.type\", \"imap\");\n"
                                "user_pref(\"mail.server.server2.hostname\", \"imap.example\");\n"
                                "user_pref(\"mail.server.server3.type\", \"pop3\");\n"
                                "user_pref(\"mail.server.server3.hostname\", \"pop.\\\"three\\\".example\");\n"
                                "user_pref(\"mail.server.server3.port\", 110);\n";
    const DetectedMailbox byNumber = firstPop3Account(readThunderbirdPrefs(servers));
    EXPECT_EQ(byNumber.server, "pop.\"three\".example");
    EXPECT_EQ(byNumber.userName, "");

    const DetectedMailbox byList = firstPop3Account(readThunderbirdPrefs(
        servers + "user_pref(\"mail.accountmanager.accounts\", \"account1,account7\");\n"
                  "user_pref(\"mail.account.account1.server\", \"server2\");\n"
                  "user_pref(\"mail.account.account7.server\", \"server10\");\n"));
    EXPECT_EQ(byList.server, "pop.ten.example");
    EXPECT_EQ(byList.userName, "ten");

    EXPECT_FALSE(firstPop3Account(readThunderbirdPrefs("// no accounts\n")).found());
}

TEST_F(MailDetectionTest, TheInstallationsDefaultProfileWins)
{
    writeFile(".thunderbird/profiles.ini", "[Profile1]\nName=old\nIsRelative=1\nPath=old.default\nDefault=1\n\n"
                                           "[Profile0]\nName=new\nIsRelative=0\nPath=/srv/profiles/new\n\n"
                                           "[Install4F96D1932A9F858E]\nDefault=/srv/profiles/new\nLocked=1\n");
    EXPECT_EQ(thunderbirdProfileFolder(home.path()), "/srv/profiles/new");
    writeFile(".thunderbird/profiles.ini", "[Profile1]\nName=old\nIsRelative=1\nPath=old.default\nDefault=1\n");
    EXPECT_EQ(thunderbirdProfileFolder(home.path()), home.path() + "/.thunderbird/old.default");
    EXPECT_EQ(thunderbirdProfileFolder(home.file("nobody")), "");
    EXPECT_FALSE(thunderbirdMailbox(home.file("nobody")).found());
}

TEST_F(MailDetectionTest, MailtoHandlerFromTheUserOrTheSystemAssociations)
{
    DesktopFolders folders;
    folders.configHome = home.file("config");
    folders.dataHome = home.file("data");
    folders.dataDirs = {home.file("system")};
    EXPECT_EQ(desktopMailProgram(folders), "");

    writeFile("system/applications/defaults.list", "[Default Applications]\nx-scheme-handler/mailto=sysmail.desktop\n");
    writeFile("system/applications/sysmail.desktop", "[Desktop Entry]\nExec=sh -c true %u\n");
    const std::string found = desktopMailProgram(folders);
    EXPECT_TRUE(found == "/bin/sh" || found == "/usr/bin/sh") << found; // found on PATH

    writeFile("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=mine.desktop;other.desktop;\n");
    writeFile("data/applications/mine.desktop", "[Desktop Entry]\nExec=/opt/mine/mail --compose=%u\n");
    EXPECT_EQ(desktopMailProgram(folders), "/opt/mine/mail");
}

} // namespace
