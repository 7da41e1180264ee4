#include "fixtures/file_faults.h"
#include "fixtures/temp_home.h"
#include "platform/inifile.h"
#include "platform/store_error.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;

TEST(ProfileInteger, HexDecimalAndInvalidTexts)
{
    const struct {
        const char *text;
        int expected;
    } cases[] = {
        {"30", 30}, {"-7", -7}, {" 42 ", 42}, {"0x1E", 30}, {"0X1e", 30}, {"0x", 99}, {"0", 0},
        {"0xG1", 99}, {"abc", 99}, {"", 99}, {"12abc", 99}, {"0xFFFFFFFF", -1}, {"0x100000000", 99},
        {"99999999999", 99},
    };
    for (const auto &c : cases)
        EXPECT_EQ(profileInteger(c.text, 99), c.expected) << "text: '" << c.text << "'";
}

TEST(IniFile, ReadsWithProfileSemanticsFromAnyLineEnd)
{
    test::TempHome home;
    home.write("a.ini", "; comment\r\n[Known]\r\n  QMonitor = 0 \r\nNum=12\n[ Ascii ]\rRange=0x2\r\n"
                        "Long=" + std::string(2000, 'x') + "\r\n[Smaller]\r\nQSmaller=2\r\n");
    IniFile ini(home.file("a.ini"));
    EXPECT_FALSE(ini.readBool("known", "qmonitor", true));
    EXPECT_EQ(ini.readString("KNOWN", "NUM", "0"), "12");
    EXPECT_EQ(ini.readInteger("ascii", "range", 0), 2);
    EXPECT_EQ(ini.readString("Ascii", "Long", "").size(), 1023u);
    EXPECT_TRUE(ini.readBool("Smaller", "QSmaller", false)); // any nonzero number is true
    EXPECT_EQ(ini.readString("Known", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.readInteger("Nowhere", "Num", 100), 100);
    EXPECT_FALSE(ini.sectionExists("Larger"));
    EXPECT_TRUE(ini.valueExists("Ascii", "Range"));
}

TEST(IniFile, WritesCrLfAndKeepsOtherLines)
{
    test::TempHome home;
    home.write("b.ini", "; keep me\n[Known]\nNum=1\n\n[Ascii]\nRange=3\n");
    IniFile ini(home.file("b.ini"));
    ini.writeString("known", "NUM", "2");
    ini.writeBool("Known", "Valid", true);
    ini.writeInteger("Larger", "Num", 20000);
    ini.writeString("Ascii", "Note", "two\r\nlines");
    EXPECT_EQ(home.read("b.ini"), "; keep me\r\n[Known]\r\nNUM=2\r\nValid=1\r\n\r\n[Ascii]\r\nRange=3\r\n"
                                  "Note=two  lines\r\n[Larger]\r\nNum=20000\r\n");
    IniFile reread(home.file("b.ini"));
    EXPECT_EQ(reread.readInteger("Larger", "Num", 0), 20000);
}

TEST(IniFile, NewFileAndFailedWrite)
{
    test::TempHome home;
    IniFile ini(home.file("new.ini"));
    ini.writeInteger("Smaller", "Num", 100);
    EXPECT_EQ(home.read("new.ini"), "[Smaller]\r\nNum=100\r\n");

    IniFile nowhere(home.file("missing-folder/x.ini"));
    try {
        nowhere.writeString("S", "K", "V");
        ADD_FAILURE() << "write should fail";
    } catch (const EStoreError &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + home.file("missing-folder/x.ini"));
    }
}

// An ini file that exists but cannot be read keeps every line it has: a
// write fails instead of replacing it with the one key written.
TEST(IniFile, ExistingFileThatCannotBeReadIsNeverWrittenOver)
{
    test::TempHome home;
    const std::string stored = "[Smaller]\r\nNum=100\r\n[Larger]\r\nNum=5000\r\n";
    home.write("tidewell.ini", stored);
    {
        test::WithoutReadAccess locked(home.file("tidewell.ini"));
        IniFile ini(home.file("tidewell.ini"));
        EXPECT_THROW(ini.writeInteger("Smaller", "Num", 1), EStoreError);
    }
    EXPECT_EQ(home.read("tidewell.ini"), stored);
}
