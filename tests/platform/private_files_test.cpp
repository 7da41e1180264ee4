// Private files: the modes new and rewritten files and folders get, and the
// refusal to write through a link or into a special file planted where a
// file is to be written.
#include "fixtures/temp_home.h"
#include "platform/private_files.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using tw::test::fileMode;
using tw::test::TempHome;

namespace {

// Sets the process's umask for the life of the object.
struct Umask {
    explicit Umask(mode_t mask) : saved(::umask(mask)) {}
    ~Umask() { ::umask(saved); }
    mode_t saved;
};

// The three ways a file is written, each as "write Bytes at Path".
struct Writer {
    const char *name;
    std::function<bool(const std::string &path, const std::string &bytes, std::string *why)> write;
};

const std::vector<Writer> &writers()
{
    static const std::vector<Writer> all = {
        {"replace", [](const std::string &p, const std::string &b, std::string *w) { return writePrivateFile(p, b, w); }},
        {"create", [](const std::string &p, const std::string &b, std::string *w) { return createPrivateFile(p, b, w); }},
        {"append",
         [](const std::string &p, const std::string &b, std::string *w) {
             const int fd = openPrivateFileForAppend(p, w);
             if (fd < 0)
                 return false;
             const bool ok = ::write(fd, b.data(), b.size()) == ssize_t(b.size());
             ::close(fd);
             return ok;
         }},
    };
    return all;
}

} // namespace

TEST(PrivateFiles, NewFilesAndFoldersAreTheOwnersAloneWhateverTheUmask)
{
    for (mode_t mask : {mode_t(022), mode_t(0), mode_t(077)}) {
        Umask umask(mask);
        TempHome home;
        for (const Writer &writer : writers()) {
            const std::string path = home.file(std::string("new-") + writer.name);
            std::string why;
            ASSERT_TRUE(writer.write(path, "text", &why)) << writer.name << ": " << why;
            EXPECT_EQ(fileMode(path), 0600u) << writer.name << " under umask " << std::oct << mask;
            EXPECT_EQ(home.read(std::string("new-") + writer.name), "text");
        }
        const std::string nested = home.file("a/b/c");
        ASSERT_TRUE(makePrivateFolders(nested));
        EXPECT_EQ(fileMode(home.file("a")), 0700u);
        EXPECT_EQ(fileMode(nested), 0700u);
    }
}

TEST(PrivateFiles, RewritingNarrowsAModeButNeverWidensIt)
{
    TempHome home;
    const struct {
        unsigned before, after;
    } cases[] = {{0644, 0600}, {0666, 0600}, {0600, 0600}, {0400, 0400}, {0755, 0600}};
    for (const auto &c : cases) {
        home.write("rules.lst", "old");
        ASSERT_EQ(::chmod(home.file("rules.lst").c_str(), c.before), 0);
        ASSERT_TRUE(writePrivateFile(home.file("rules.lst"), "new"));
        EXPECT_EQ(fileMode(home.file("rules.lst")), c.after) << std::oct << c.before;
        EXPECT_EQ(home.read("rules.lst"), "new");

        home.write("log.txt", "old\n");
        ASSERT_EQ(::chmod(home.file("log.txt").c_str(), c.before | 0200), 0);
        const int fd = openPrivateFileForAppend(home.file("log.txt"));
        ASSERT_GE(fd, 0);
        ::close(fd);
        EXPECT_EQ(fileMode(home.file("log.txt")), (c.before | 0200) & 0600) << std::oct << c.before;
    }
    ASSERT_EQ(::chmod(home.path().c_str(), 0755), 0);
    EXPECT_TRUE(narrowFolderToOwner(home.path()));
    EXPECT_EQ(fileMode(home.path()), 0700u);
}

TEST(PrivateFiles, APlantedLinkOrSpecialFileIsRefusedNotWrittenThrough)
{
    TempHome home;
    home.write("victim", "precious");
    ASSERT_EQ(::chmod(home.file("victim").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(home.file("victim").c_str(), home.file("link").c_str()), 0);
    ASSERT_EQ(::symlink(home.file("nothing-here").c_str(), home.file("dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo(home.file("pipe").c_str(), 0600), 0); // nobody reads it: a write would wait forever
    for (const Writer &writer : writers()) {
        for (const char *planted : {"link", "dangling", "pipe"}) {
            std::string why;
            EXPECT_FALSE(writer.write(home.file(planted), "overwritten", &why)) << writer.name << " into " << planted;
            EXPECT_FALSE(why.empty()) << writer.name << " into " << planted;
        }
    }
    EXPECT_EQ(home.read("victim"), "precious");
    EXPECT_EQ(home.read("nothing-here"), "");
    EXPECT_EQ(fileMode(home.file("victim")), 0644u); // nor is the target's mode
}
