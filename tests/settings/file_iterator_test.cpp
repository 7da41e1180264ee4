// The folder walk: what it reports and where it never goes, its options,
// stopping, the guards against changing or restarting a running walk, and a
// walk on its own thread.
#include "fixtures/file_tree.h"
#include "fixtures/raised.h"
#include "settings/FileIterator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tw;
using tw::test::makeFiles;
using tw::test::raisedText;

namespace {

class FileIteratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path().toStdString();
        makeFiles(root, {"top.txt", "mail/Outlook.Exe", "mail/deep/er/outlook.exe", ".hidden/outlook.exe",
                         "other/.dotfile", "other/readme"});
        // A link back up would loop for ever if followed; a link to a file is a file.
        ASSERT_EQ(symlink(root.c_str(), (root + "/mail/loop").c_str()), 0);
        ASSERT_EQ(symlink((root + "/other/readme").c_str(), (root + "/other/program").c_str()), 0);
        ASSERT_EQ(symlink((root + "/missing").c_str(), (root + "/other/broken").c_str()), 0);
        iterator.SetRootFolder(root);
        iterator.OnAddFile = [this](QObject *, const std::string &name, const TFileInfo &info) {
            found.push_back(name);
            sizes.push_back(info.size);
        };
    }

    std::vector<std::string> sortedFound() const
    {
        std::vector<std::string> sorted = found;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

    QTemporaryDir tmp;
    std::string root;
    TFileIterator iterator;
    std::vector<std::string> found;
    std::vector<std::int64_t> sizes;
};

} // namespace

TEST_F(FileIteratorTest, OptionsChooseNamesDetailsAndDepth)
{
    const std::string r = root;
    const struct {
        TFileIteratorOptions options;
        std::vector<std::string> expected;
    } cases[] = {
        {fiPath | fiDetails | fiRecurseFolders,
         {r + "/mail/Outlook.Exe", r + "/mail/deep/er/outlook.exe", r + "/other/.dotfile", r + "/other/program",
          r + "/other/readme", r + "/top.txt"}},
        {fiRecurseFolders, {".dotfile", "Outlook.Exe", "outlook.exe", "program", "readme", "top.txt"}},
        {fiPath, {r + "/top.txt"}},
    };
    for (const auto &c : cases) {
        found.clear();
        sizes.clear();
        iterator.SetOptions(c.options);
        iterator.Execute();
        EXPECT_EQ(sortedFound(), c.expected) << c.options;
        const bool details = c.options & fiDetails;
        for (std::int64_t size : sizes)
            EXPECT_EQ(size > 0, details) << c.options;
    }
}

TEST_F(FileIteratorTest, TheQueryDecidesAndEventsComeInOrder)
{
    std::vector<std::string> events;
    iterator.OnActivate = [&](QObject *) { events.push_back("activate"); };
    iterator.OnAddFileQuery = [&](QObject *, const std::string &name, const TFileInfo &, bool &canAdd) {
        canAdd = name.find("outlook.exe") != std::string::npos;
    };
    iterator.OnAddFile = [&](QObject *, const std::string &name, const TFileInfo &) { events.push_back(name); };
    iterator.OnTerminate = [&](QObject *) { events.push_back("terminate"); };
    iterator.Execute();
    EXPECT_EQ(events, (std::vector<std::string>{"activate", root + "/mail/deep/er/outlook.exe", "terminate"}));
    EXPECT_TRUE(iterator.Idle());
}

TEST_F(FileIteratorTest, AStopEndsEveryFolderAndStillTerminates)
{
    int terminated = 0;
    iterator.OnAddFile = [&](QObject *, const std::string &name, const TFileInfo &) {
        found.push_back(name);
        iterator.Stop();
    };
    iterator.OnTerminate = [&](QObject *) { ++terminated; };
    iterator.Execute();
    EXPECT_EQ(found.size(), 1u);
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(iterator.Idle());
    iterator.Stop(); // idle: nothing changes
    EXPECT_TRUE(iterator.Idle());
}

TEST_F(FileIteratorTest, ARunningWalkCannotBeChangedOrRestarted)
{
    std::vector<std::string> errors;
    iterator.OnAddFileQuery = [&](QObject *, const std::string &, const TFileInfo &, bool &) {
        if (!errors.empty())
            return;
        errors.push_back(raisedText<EFileIteratorError>([&] { iterator.SetRootFolder("/"); }));
        errors.push_back(raisedText<EFileIteratorError>([&] { iterator.SetOptions(fiPath); }));
        errors.push_back(raisedText<EFileIteratorError>([&] { iterator.Execute(); }));
    };
    iterator.Execute();
    EXPECT_EQ(errors, (std::vector<std::string>{"Cannot change options on fly. Try later",
                                                "Cannot change options on fly. Try later",
                                                "Iterator is not available at the moment. Please call later, but do call"}));
    EXPECT_EQ(iterator.RootFolder(), root);
    EXPECT_EQ(iterator.Options(), fiPath | fiDetails | fiRecurseFolders);
}

TEST_F(FileIteratorTest, AFailingHandlerStillEndsTheWalkIdle)
{
    int terminated = 0;
    iterator.OnAddFile = [](QObject *, const std::string &, const TFileInfo &) { throw std::runtime_error("full"); };
    iterator.OnTerminate = [&](QObject *) { ++terminated; };
    EXPECT_EQ(raisedText<std::runtime_error>([&] { iterator.Execute(); }), "full");
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(iterator.Idle());
}

TEST_F(FileIteratorTest, NothingIsReportedFromPseudoOrMissingFoldersOrWithoutHandlers)
{
    int activated = 0;
    iterator.OnActivate = [&](QObject *) { ++activated; };
    for (const char *folder : {"/proc", "/proc/self", "/sys/kernel", "/dev", "/no/such/folder"}) {
        iterator.SetRootFolder(folder);
        iterator.Execute();
        EXPECT_TRUE(found.empty()) << folder << ": " << found.front();
    }
    EXPECT_EQ(activated, 5);
    iterator.OnAddFile = nullptr;
    iterator.Execute();
    EXPECT_EQ(activated, 5); // no one to report to: the walk does not start
}

TEST_F(FileIteratorTest, AThreadRunsTheWalkAndTheIteratorIsBusyAtOnce)
{
    std::atomic<bool> terminated{false};
    std::atomic<bool> onWorker{false};
    const Qt::HANDLE interfaceThread = QThread::currentThreadId();
    iterator.OnTerminate = [&](QObject *) {
        onWorker = QThread::currentThreadId() != interfaceThread;
        terminated = true;
    };
    // The walk waits at its first file until the busy checks below are done:
    // a small folder is otherwise walked before this thread asks, and the
    // iterator is idle again by then.
    std::atomic<bool> checked{false};
    const auto addFile = iterator.OnAddFile;
    iterator.OnAddFile = [&](QObject *sender, const std::string &name, const TFileInfo &info) {
        QDeadlineTimer gate(5000);
        while (!checked && !gate.hasExpired())
            QThread::msleep(1);
        addFile(sender, name, info);
    };
    TFileIteratorThread::Start(iterator);
    EXPECT_FALSE(iterator.Idle());
    EXPECT_EQ(raisedText<EFileIteratorError>([&] { TFileIteratorThread::Start(iterator); }),
              "Iterator is not available at the moment. Please call later, but do call");
    checked = true;
    QDeadlineTimer deadline(5000);
    while (!(terminated && iterator.Idle()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(terminated);
    EXPECT_TRUE(iterator.Idle());
    EXPECT_TRUE(onWorker);
    EXPECT_EQ(found.size(), 6u);
}
