#include "fixtures/file_faults.h"
#include "fixtures/temp_home.h"
#include "platform/registry.h"
#include "platform/store_error.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <sys/stat.h>

using namespace tw;

namespace {

const char *const kGeneral = "Software\\Quillmarsh\\Tidewell\\10\\General";

std::string allBytes()
{
    std::string s;
    for (int c = 0; c < 256; ++c)
        s += char(c);
    return s;
}

} // namespace

TEST(Registry, MissingFileReadsNothing)
{
    test::TempHome home;
    Registry reg;
    EXPECT_FALSE(reg.keyExists(Hive::CurrentUser, kGeneral));
    EXPECT_EQ(reg.readString(Hive::CurrentUser, kGeneral, "Minutes"), std::nullopt);
}

TEST(Registry, WritesTheDocumentedLayoutWithOwnerOnlyMode)
{
    test::TempHome home;
    Registry reg;
    reg.writeString(kGeneral, "Minutes", "10");
    reg.writeString("Software\\Quillmarsh\\Tidewell\\10", "FormTop", "12");
    EXPECT_EQ(home.read("registry.ini"),
              "[HKEY_CURRENT_USER\\Software\\Quillmarsh\\Tidewell\\10\\General]\nMinutes=10\n\n"
              "[HKEY_CURRENT_USER\\Software\\Quillmarsh\\Tidewell\\10]\nFormTop=12\n");
    struct stat st {};
    ASSERT_EQ(::stat(home.file("registry.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(Registry, NamesAndKeysIgnoreCaseAndRewriteInPlace)
{
    test::TempHome home;
    Registry reg;
    reg.writeString(kGeneral, "AlarmFile", "/a.wav");
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "software\\QUILLMARSH\\tidewell\\10\\general\\", "Alarmfile"),
              "/a.wav");
    reg.writeString(kGeneral, "ALARMFILE", "/b.wav");
    EXPECT_EQ(Registry().valueNames(Hive::CurrentUser, kGeneral), std::vector<std::string>{"AlarmFile"});
    EXPECT_EQ(Registry().readString(Hive::CurrentUser, kGeneral, "alarmfile"), "/b.wav");
}

TEST(Registry, EveryByteTextAndAwkwardNameRoundTrips)
{
    test::TempHome home;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Bytes", allBytes()},
        {"Escapes", "\\x41 \\\\ trailing \\"},
        {"=odd]name\\", " leading and trailing blanks "},
        {"[Looks like a section", "=value with = signs"},
        {"@", "not the default value"},
        {"", "the default value"},
        {"Empty", ""},
    };
    {
        Registry reg;
        for (const auto &[name, value] : cases)
            reg.writeString(kGeneral, name, value);
    }
    Registry reread;
    for (const auto &[name, value] : cases)
        EXPECT_EQ(reread.readString(Hive::CurrentUser, kGeneral, name), value) << "name: " << name;
    EXPECT_EQ(reread.valueNames(Hive::CurrentUser, kGeneral).size(), cases.size());
}

TEST(Registry, TwoOpenStoresDoNotUndoEachOthersWrites)
{
    test::TempHome home;
    Registry first;
    Registry second;
    first.writeString(kGeneral, "A", "1");
    second.writeString(kGeneral, "B", "2");
    Registry check;
    EXPECT_EQ(check.readString(Hive::CurrentUser, kGeneral, "A"), "1");
    EXPECT_EQ(check.readString(Hive::CurrentUser, kGeneral, "B"), "2");
}

TEST(Registry, DamagedLinesKeepEveryReadableValue)
{
    test::TempHome home;
    home.write("registry.ini",
               "Orphan=before any key\r\n"
               "[HKEY_CURRENT_USER\\K]\r\n"
               "Good=1\r\n"
               "no equals sign here\r\n"
               "=no name\r\n"
               "Bad=\\xZZ\\q\\\r\n"
               "[broken header\r\n"
               "Lost=under the broken header\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\mailto\\shell\\open\\command]\r"
               "@=mailer.exe /m %1\r"
               "[HKEY_CURRENT_USER\\K]\n"
               "Good=second copy is ignored\n"
               "Later=3");
    Registry reg;
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "K", "Good"), "1");
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "K", "Bad"), "\\xZZ\\q\\");
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "K", "Later"), "3");
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "K", "Lost"), std::nullopt);
    EXPECT_EQ(reg.readString(Hive::LocalMachine, "SOFTWARE\\Classes\\mailto\\shell\\open\\command", ""),
              "mailer.exe /m %1");
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "SOFTWARE\\Classes\\mailto\\shell\\open\\command", ""),
              std::nullopt);
    // A write keeps the machine-wide keys and the readable values.
    reg.writeString("K", "New", "4");
    Registry reread;
    EXPECT_EQ(reread.readString(Hive::CurrentUser, "K", "Good"), "1");
    EXPECT_EQ(reread.readString(Hive::LocalMachine, "SOFTWARE\\Classes\\mailto\\shell\\open\\command", ""),
              "mailer.exe /m %1");
}

TEST(Registry, FailedWritesReportTheirTextsAndLeaveTheFileAlone)
{
    test::TempHome home;
    Registry reg;
    reg.writeString(kGeneral, "Minutes", "10");
    const std::string before = home.read("registry.ini");
    {
        test::FileSizeLimit full(1024);
        try {
            reg.writeString(kGeneral, "Mailer", std::string(4096, 'm'));
            ADD_FAILURE() << "write should fail";
        } catch (const EStoreError &e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'Mailer'");
        }
        try {
            reg.writeString("Software\\Quillmarsh\\Tidewell\\10\\Server", "Server1", std::string(4096, 's'));
            ADD_FAILURE() << "write should fail";
        } catch (const EStoreError &e) {
            EXPECT_STREQ(e.what(), "Failed to create key Software\\Quillmarsh\\Tidewell\\10\\Server");
        }
    }
    EXPECT_EQ(home.read("registry.ini"), before);
    EXPECT_EQ(Registry().readString(Hive::CurrentUser, kGeneral, "Minutes"), "10");
    EXPECT_EQ(Registry().readString(Hive::CurrentUser, kGeneral, "Mailer"), std::nullopt);

    // A registry whose folder cannot be made fails the same way.
    home.write("blocker", "a file where a folder should be");
    Registry blocked(home.file("blocker/registry.ini"));
    EXPECT_THROW(blocked.writeString(kGeneral, "Minutes", "1"), EStoreError);
}

TEST(Registry, SaveStoppedByTheFileSizeLimitFailsAndLeavesNoTemporaryFile)
{
    test::TempHome home;
    Registry reg;
    reg.writeString(kGeneral, "Minutes", "10");
    const std::string before = home.read("registry.ini");
    // The kernel's signal for a write past the limit kills a process that
    // has not set it aside; the save must fail with an error instead.
    EXPECT_EXIT(
        {
            test::FileSizeLimit full(1024, test::FileSizeLimit::SignalDefault);
            try {
                reg.writeString(kGeneral, "Mailer", std::string(4096, 'm'));
            } catch (const EStoreError &) {
                std::_Exit(0);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::countFilesStartingWith(home.path(), "registry.ini."), 0);
    EXPECT_EQ(home.read("registry.ini"), before);
}

// A file that exists but cannot be read holds settings we do not know: a
// write must fail and leave it as it is, never replace it with one value.
TEST(Registry, ExistingFileThatCannotBeReadIsNeverWrittenOver)
{
    const std::string stored = "[HKEY_CURRENT_USER\\Software\\Quillmarsh\\Tidewell\\10\\Server]\nServer1=pop.example\n";
    {
        test::TempHome home;
        home.write("registry.ini", stored);
        {
            test::WithoutReadAccess locked(home.file("registry.ini"));
            Registry reg;
            EXPECT_THROW(reg.writeString(kGeneral, "Minutes", "5"), EStoreError);
            EXPECT_THROW(reg.createKey("Software\\Other"), EStoreError);
        }
        EXPECT_EQ(home.read("registry.ini"), stored);
    }
    {
        test::TempHome home;
        ::mkdir(home.file("registry.ini").c_str(), 0700); // a folder where the file should be
        home.write("registry.ini/inside", stored);
        Registry reg;
        EXPECT_THROW(reg.writeString(kGeneral, "Minutes", "5"), EStoreError);
        EXPECT_EQ(home.read("registry.ini/inside"), stored);
    }
}

// Reading and writing take time in proportion to the file's size, so a
// store of a hundred thousand values opens and saves at once.
TEST(Registry, LargeFileReadsAndWritesWholly)
{
    test::TempHome home;
    std::string text = "[HKEY_CURRENT_USER\\Big]\n";
    for (int i = 0; i < 100000; ++i)
        text += "V" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    for (int i = 0; i < 20000; ++i)
        text += "[HKEY_CURRENT_USER\\Keys\\" + std::to_string(i) + "]\nA=" + std::to_string(i) + "\n";
    home.write("registry.ini", text);

    Registry reg;
    EXPECT_EQ(reg.valueNames(Hive::CurrentUser, "Big").size(), 100000u);
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "big", "v99999"), "99999");
    EXPECT_EQ(reg.readString(Hive::CurrentUser, "KEYS\\19999", "a"), "19999");
    reg.writeString("Big", "V0", "changed");
    reg.writeString("Keys\\20000", "A", "new");
    Registry reread;
    EXPECT_EQ(reread.readString(Hive::CurrentUser, "Big", "V0"), "changed");
    EXPECT_EQ(reread.readString(Hive::CurrentUser, "Big", "V99999"), "99999");
    EXPECT_EQ(reread.readString(Hive::CurrentUser, "Keys\\20000", "A"), "new");
    EXPECT_EQ(reread.valueNames(Hive::CurrentUser, "Big").size(), 100000u);
}
