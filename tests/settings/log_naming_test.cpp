#include "platform/clock_locale.h"
#include "settings/log_naming.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw;

TEST(LogNaming, MonthlyAndQuarterlyNamesKeepTheFolder)
{
    const TDateTime december = encodeDate(2026, 12, 8);
    const struct {
        const char *path;
        LogNaming naming;
        TDateTime when;
        const char *expected;
    } cases[] = {
        {"/logs/logfile.txt", LogNaming::AsIs, december, "/logs/logfile.txt"},
        {"/logs/logfile.txt", LogNaming::Month, december, "/logs/Dec26.txt"},
        {"/logs/logfile.txt", LogNaming::Quarter, december, "/logs/Q4_26.txt"},
        {"/logs/", LogNaming::Month, encodeDate(2003, 1, 31), "/logs/Jan03.txt"},
        {"logfile.txt", LogNaming::Quarter, encodeDate(2000, 3, 31), "Q1_00.txt"},
        {"/a/Q1_98.txt", LogNaming::Quarter, encodeDate(1998, 4, 1), "/a/Q2_98.txt"},
        {"/a/b.txt", LogNaming::Quarter, encodeDate(2026, 9, 30), "/a/Q3_26.txt"},
        {"", LogNaming::Month, encodeDate(2026, 5, 1), "May26.txt"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(applyLogNaming(c.path, c.naming, c.when), c.expected) << c.path;
}

TEST(LogNaming, LogFolderIsCreatedOnlyForAPathWithAFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string root = dir.path().toStdString();
    EXPECT_TRUE(prepareLogFolder(""));                          // nothing to log
    EXPECT_FALSE(prepareLogFolder("logfile.txt"));              // no folder named
    EXPECT_TRUE(prepareLogFolder(root + "/a/b/logfile.txt"));   // missing parents made
    EXPECT_TRUE(QFileInfo(QString::fromStdString(root + "/a/b")).isDir());
    QFile blocker(QString::fromStdString(root + "/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_FALSE(prepareLogFolder(root + "/file/logfile.txt")); // a file in the folder's place
}
