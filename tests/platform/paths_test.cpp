#include "fixtures/temp_home.h"
#include "platform/datetime.h"
#include "platform/paths.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;

TEST(Paths, HomeVariableChoosesProgramFolderAndRegistry)
{
    test::TempHome home;
    EXPECT_EQ(programFolder(), home.path());
    EXPECT_EQ(programFile("subj.lst"), home.path() + "/subj.lst");
    EXPECT_EQ(registryFilePath(), home.path() + "/registry.ini");
}

TEST(Paths, XdgFoldersAreUsedWithoutHomeVariable)
{
    test::TempHome home; // keeps the environment restorable
    qunsetenv("TIDEWELL_HOME");
    qputenv("XDG_DATA_HOME", "/tmp/xdg-data");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-config");
    EXPECT_EQ(programFolder(), "/tmp/xdg-data/tidewell");
    EXPECT_EQ(registryFilePath(), "/tmp/xdg-config/tidewell/registry.ini");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(Paths, PreparingCopiesOnlyMissingShippedFilesAndKeepsTheFolderPrivate)
{
    test::TempHome shipped;
    shipped.write("known.lst", "shipped\r\n");
    shipped.write("tidewell.hlp", "<html></html>");
    shipped.write("harptune.wav", "RIFF");
    test::TempHome home;
    home.write("known.lst", "mine\r\n");
    ASSERT_EQ(::symlink(home.file("known.lst").c_str(), home.file("harptune.wav").c_str()), 0);
    ASSERT_EQ(::chmod(home.path().c_str(), 0755), 0); // as an earlier version left it
    ASSERT_TRUE(prepareProgramFolder(shipped.path()));
    EXPECT_EQ(home.read("known.lst"), "mine\r\n"); // also not through the link
    EXPECT_EQ(home.read("tidewell.hlp"), "<html></html>");
    EXPECT_EQ(test::fileMode(home.file("tidewell.hlp")), 0600u);
    EXPECT_EQ(test::fileMode(home.path()), 0700u);

    // A folder that is not there yet is made private, with its parents.
    qputenv("TIDEWELL_HOME", QByteArray::fromStdString(home.file("new/home")));
    ASSERT_TRUE(prepareProgramFolder(shipped.path()));
    EXPECT_EQ(test::fileMode(home.file("new")), 0700u);
    EXPECT_EQ(test::fileMode(home.file("new/home")), 0700u);
    EXPECT_EQ(test::fileMode(home.file("new/home/known.lst")), 0600u);
}

TEST(DateTime, DayCountsFromTheEpoch)
{
    EXPECT_DOUBLE_EQ(encodeDate(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(encodeDate(2000, 1, 1), 36526.0);
    EXPECT_DOUBLE_EQ(encodeDate(2001, 2, 30), 0.0);
    const TDateTime t = encodeDate(2024, 3, 5) + encodeTime(18, 30, 0);
    EXPECT_EQ(toQDateTime(t), QDateTime(QDate(2024, 3, 5), QTime(18, 30)));
    EXPECT_DOUBLE_EQ(toTDateTime(QDateTime(QDate(2024, 3, 5), QTime(18, 30))), t);
    EXPECT_EQ(dayOfWeek(encodeDate(2024, 3, 3)), 1); // a Sunday
}
