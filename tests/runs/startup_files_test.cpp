// Every file the program reads when it starts (and the activity log the
// statistics read), with a pipe that nobody writes, or a link to an endless
// device, in its place: each reader ends at once, keeps nothing of it, says
// that the file cannot be read, and leaves the entry as it found it.
#include "classify/known_spammers.h"
#include "fixtures/peak_memory.h"
#include "classify/learned_store.h"
#include "classify/rule_files.h"
#include "keep/deleted_mail_store.h"
#include "platform/inifile.h"
#include "platform/registry.h"
#include "platform/singleinstance.h"
#include "stats/activity_log.h"
#include "stats/deletion_record.h"
#include "stats/log_reader.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using tw::test::peakGrewLessThan;
using tw::test::peakResidentKilobytes;

namespace {

// What a reader made of the file at Path, in a word or two.
using StartupReader = std::function<std::string(const std::string &path)>;

struct StartupFile {
    const char *name;
    StartupReader read;
    const char *outcome; // what the reader makes of a file it cannot read
    bool entryRemoved = false; // an entry that is none of ours is taken away, never written through
};

const StartupFile kStartupFiles[] = {
    {"registry.ini", [](const std::string &p) { return Registry(p).readError().empty() ? "read" : "unreadable"; },
     "unreadable"},
    {"tidewell.ini", [](const std::string &p) { return IniFile(p).readError().empty() ? "read" : "unreadable"; },
     "unreadable"},
    {"subj.lst",
     [](const std::string &p) {
         RuleTable table;
         try {
             loadRuleFile(RuleKind::Subject, table, p);
         } catch (const ERuleFileError &) {
             return "unreadable";
         }
         return "read";
     },
     "unreadable"},
    {"known.lst",
     [](const std::string &p) {
         KnownSpammers known;
         known.LoadUpKnownList(p);
         return known.count() == 0 ? "empty" : "read";
     },
     "empty"},
    {"learned.dat",
     [](const std::string &p) {
         LearnedData data;
         const LearnedStoreRead read = readLearnedStore(p, data, true);
         return read.state == LearnedStoreRead::State::Unreadable ? "unreadable" : "read";
     },
     "unreadable"},
    {"deleted/index.txt",
     [](const std::string &p) {
         return DeletedMailStore(p.substr(0, p.rfind('/'))).load().empty() ? "empty" : "read";
     },
     "empty"},
    {"deletion.pending",
     [](const std::string &p) {
         ActivityLog log;
         return PendingDeletionRecord(p).logUnconfirmed(log) == 0 ? "nothing pending" : "read";
     },
     "nothing pending", true},
    {"tidewell.lock",
     [](const std::string &p) {
         TFirstInstance guard(p.substr(0, p.rfind('/')));
         return guard.claim() == TFirstInstance::Claim::Owned ? "owned" : "not owned";
     },
     "owned", true},
    {"logfile.txt",
     [](const std::string &p) {
         std::string error;
         return readInLogFile(p, error) ? "read" : error == kLogUnreadableError ? "unreadable" : error;
     },
     "unreadable"},
};

// A pipe nobody writes to, or a link to a device without end.
enum class Planted { Pipe, EndlessDevice };

TEST(StartupFiles, APipeOrAnEndlessDeviceInTheirPlaceIsRefusedAtOnce)
{
    const long peakBefore = peakResidentKilobytes();
    for (const Planted planted : {Planted::Pipe, Planted::EndlessDevice}) {
        for (const StartupFile &file : kStartupFiles) {
            SCOPED_TRACE(std::string(file.name) + (planted == Planted::Pipe ? " as a pipe" : " as /dev/zero"));
            QTemporaryDir home;
            ::mkdir(home.filePath(QStringLiteral("deleted")).toUtf8().constData(), 0700);
            const std::string path = home.filePath(QString::fromUtf8(file.name)).toStdString();
            ASSERT_EQ(planted == Planted::Pipe ? ::mkfifo(path.c_str(), 0600) : ::symlink("/dev/zero", path.c_str()), 0);

            auto reading = std::async(std::launch::async, [&] { return file.read(path); });
            if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
                ADD_FAILURE() << "still reading after 10 s";
                // Lets a reader that waits for a writer go on, so the test ends.
                const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0)
                    ::close(writer);
            }
            EXPECT_EQ(reading.get(), file.outcome);

            // Nothing was written over the entry or through it: it is still
            // what was planted, or (for the entries that are taken away) gone.
            struct stat st {};
            const bool plantedThere = ::lstat(path.c_str(), &st) == 0 &&
                                       (planted == Planted::Pipe ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode));
            EXPECT_EQ(plantedThere, !file.entryRemoved);
        }
    }
    // Nothing of the endless device was kept: every reader together added
    // less than 16 MB to the process's peak memory.
    EXPECT_TRUE(peakGrewLessThan(peakBefore, 16 * 1024));
}

} // namespace
