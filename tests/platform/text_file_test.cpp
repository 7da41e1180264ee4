// Reading a whole program file: only regular files are read, never more
// than the reader's bound, and nothing in a file's place can make the
// reading wait or fill the memory.
#include "platform/text_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;

namespace {

class TextFileReading : public ::testing::Test {
protected:
    std::string path(const std::string &name) const { return m_dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(TextFileReading, OnlyARegularFileWithinTheBoundIsRead)
{
    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0); // nobody ever writes to it
    const std::string zeroes = path("zeroes");
    ASSERT_EQ(::symlink("/dev/zero", zeroes.c_str()), 0);
    const std::string linked = path("linked");
    ASSERT_EQ(::symlink(write("target", "through a link").c_str(), linked.c_str()), 0);
    ::mkdir(path("folder").c_str(), 0700);

    struct Case {
        std::string path;
        size_t bound;
        FileContents::State state;
        std::string text; // the bytes, or the reason
    } cases[] = {
        {write("small", "a\r\nb"), kMaxProgramFileBytes, FileContents::State::Read, "a\r\nb"},
        {write("exact", std::string(1000, 'x')), 1000, FileContents::State::Read, std::string(1000, 'x')},
        {write("over", std::string(1001, 'x')), 1000, FileContents::State::Unreadable, "it is larger than 1000 bytes"},
        {write("large", std::string((2 << 20) + 1, 'x')), 2 << 20, FileContents::State::Unreadable,
         "it is larger than 2 MB"},
        {linked, kMaxProgramFileBytes, FileContents::State::Read, "through a link"},
        {fifo, kMaxProgramFileBytes, FileContents::State::Unreadable, "it is not a regular file"},
        {zeroes, kMaxProgramFileBytes, FileContents::State::Unreadable, "it is not a regular file"},
        {"/dev/null", kMaxProgramFileBytes, FileContents::State::Unreadable, "it is not a regular file"},
        {path("folder"), kMaxProgramFileBytes, FileContents::State::Unreadable, "Is a directory"},
        {path("nothing"), kMaxProgramFileBytes, FileContents::State::Missing, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        const FileContents contents = readFileContents(c.path, c.bound);
        EXPECT_EQ(contents.state, c.state);
        EXPECT_EQ(c.state == FileContents::State::Read ? contents.bytes : contents.reason, c.text);
        if (c.state != FileContents::State::Read) {
            EXPECT_TRUE(contents.bytes.empty()); // nothing of a refused file is kept
        }
        EXPECT_EQ(readWholeFile(c.path, c.bound).has_value(), c.state == FileContents::State::Read);
    }
}

} // namespace
