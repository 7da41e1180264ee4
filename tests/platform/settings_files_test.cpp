// Settings files are written once per change of state: unchanged bytes are
// not written, and a batch writes each changed file once when it commits.
#include "fixtures/file_faults.h"
#include "fixtures/temp_home.h"
#include "platform/inifile.h"
#include "platform/registry.h"
#include "platform/settings_files.h"
#include "platform/store_error.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <thread>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;

namespace {

const char *const kGeneral = "Software\\Quillmarsh\\Tidewell\\10\\General";
const char *const kColumn = "Software\\Quillmarsh\\Tidewell\\10\\Column";

// Counts the settings files written to disk while it exists.
struct WriteCounter {
    WriteCounter()
    {
        setSettingsWriteObserver([this](const std::string &path) { ++writes[path]; });
    }
    ~WriteCounter() { setSettingsWriteObserver(nullptr); }
    std::map<std::string, int> writes;
};

} // namespace

TEST(SettingsFiles, AnUnchangedValueWritesNothingAndAChangedOneWritesOnce)
{
    test::TempHome home;
    Registry().writeString(kGeneral, "Minutes", "10");
    IniFile(home.file("tidewell.ini")).writeString("Known", "Num", "3");
    WriteCounter counter;
    Registry().writeString(kGeneral, "Minutes", "10");
    IniFile(home.file("tidewell.ini")).writeString("Known", "Num", "3");
    EXPECT_TRUE(counter.writes.empty());
    Registry().writeString(kGeneral, "Minutes", "11");
    EXPECT_EQ(counter.writes, (std::map<std::string, int>{{home.file("registry.ini"), 1}}));
}

TEST(SettingsFiles, ABatchWritesEachChangedFileOnceAndReadsSeeItsChangesMeanwhile)
{
    test::TempHome home;
    Registry().writeString(kGeneral, "Minutes", "10");
    const std::string before = home.read("registry.ini");
    WriteCounter counter;
    {
        SettingsWriteBatch batch;
        Registry first;
        for (int c = 1; c <= 5; ++c)
            first.writeString(kColumn, "col" + std::to_string(c), std::to_string(100 + c));
        // Another opening of the store sees the first one's values and keeps them.
        Registry second;
        EXPECT_EQ(second.readString(Hive::CurrentUser, kColumn, "col3"), "103");
        second.writeString(kGeneral, "Minutes", "20");
        IniFile ini(home.file("tidewell.ini"));
        ini.writeString("Known", "Num", "1");
        ini.writeString("Ascii", "Num", "2");
        EXPECT_EQ(IniFile(home.file("tidewell.ini")).readString("Known", "Num", ""), "1");
        EXPECT_EQ(home.read("registry.ini"), before) << "nothing reaches the disk before the batch ends";
        {
            SettingsWriteBatch joined; // a batch inside a batch writes nothing itself
            Registry().writeString(kGeneral, "Alarm", "0");
            joined.commit();
        }
        EXPECT_TRUE(counter.writes.empty());
        batch.commit();
    }
    EXPECT_EQ(counter.writes,
              (std::map<std::string, int>{{home.file("registry.ini"), 1}, {home.file("tidewell.ini"), 1}}));
    Registry after;
    EXPECT_EQ(after.readString(Hive::CurrentUser, kColumn, "col5"), "105");
    EXPECT_EQ(after.readString(Hive::CurrentUser, kGeneral, "Minutes"), "20");
    EXPECT_EQ(after.readString(Hive::CurrentUser, kGeneral, "Alarm"), "0");
    EXPECT_EQ(IniFile(home.file("tidewell.ini")).readString("Ascii", "Num", ""), "2");
}

TEST(SettingsFiles, WhatAHandlerOfAnEventWritesWhileABatchIsWrittenReachesTheDiskInTheSameCommit)
{
    test::TempHome home;
    std::atomic<bool> handled{false};
    setSettingsWriteObserver([&](const std::string &) {
        // On the writing thread: the interface thread handles an event that
        // changes a setting, before this write round ends.
        if (handled.exchange(true))
            return;
        std::atomic<bool> done{false};
        QMetaObject::invokeMethod(qApp, [&] {
            IniFile(home.file("tidewell.ini")).writeString("Known", "Num", "7");
            done = true;
        }, Qt::QueuedConnection);
        for (int waited = 0; !done && waited < 5000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    {
        SettingsWriteBatch batch;
        Registry().writeString(kGeneral, "Minutes", "10");
    }
    setSettingsWriteObserver(nullptr);
    ASSERT_TRUE(handled);
    EXPECT_NE(home.read("tidewell.ini").find("Num=7"), std::string::npos)
        << "the handler's change is not left pending after the batch";
}

TEST(SettingsFiles, ABatchThatCannotWriteAFileWritesTheOthersAndRaisesThatFilesError)
{
    test::TempHome home;
    Registry().writeString(kGeneral, "Minutes", "10");
    const std::string registryBefore = home.read("registry.ini");
    SettingsWriteBatch batch;
    Registry().writeString(kGeneral, "Mailer", std::string(4096, 'm'));
    IniFile(home.file("tidewell.ini")).writeString("Known", "Num", "1");
    test::FileSizeLimit full(1024);
    try {
        batch.commit();
        ADD_FAILURE() << "the commit should fail";
    } catch (const EStoreError &e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Mailer'");
    }
    EXPECT_EQ(home.read("registry.ini"), registryBefore);
    EXPECT_EQ(IniFile(home.file("tidewell.ini")).readString("Known", "Num", ""), "1");
}

TEST(SettingsFiles, AFileThatIsNotPrivateOrNotARegularFileIsWrittenOrRefusedAsAlways)
{
    test::TempHome home;
    Registry().writeString(kGeneral, "Minutes", "10");
    const std::string registry = home.file("registry.ini");
    // Same bytes, but readable by others: written again, and so narrowed.
    ASSERT_EQ(::chmod(registry.c_str(), 0644), 0);
    Registry().writeString(kGeneral, "Minutes", "10");
    struct stat st {};
    ASSERT_EQ(::stat(registry.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Same bytes behind a link: refused, not taken as already written.
    const std::string target = home.file("elsewhere.ini");
    ASSERT_EQ(::rename(registry.c_str(), target.c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), registry.c_str()), 0);
    EXPECT_THROW(Registry().writeString(kGeneral, "Minutes", "10"), EStoreError);
}
