#include "platform/text_file.h"

#include "platform/large_pages.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

static std::string systemReason() { return std::strerror(errno); }

namespace {

const char *const kNotARegularFile = "it is not a regular file";

std::string tooLargeReason(size_t maxBytes)
{
    constexpr size_t megabyte = size_t(1) << 20;
    const std::string bound = maxBytes >= megabyte && maxBytes % megabyte == 0
                                  ? std::to_string(maxBytes / megabyte) + " MB"
                                  : std::to_string(maxBytes) + " bytes";
    return "it is larger than " + bound;
}

FileContents unreadable(std::string reason)
{
    FileContents contents;
    contents.state = FileContents::State::Unreadable;
    contents.reason = std::move(reason);
    return contents;
}

} // namespace

FileContents readFileContents(const std::string &path, size_t maxBytes)
{
    // O_NONBLOCK: opening a pipe that nobody writes would otherwise wait
    // forever. O_NOCTTY: a terminal in the file's place never becomes ours.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        // A path that names nothing (or runs through a file) is a missing
        // file; anything else means a file is there that we cannot read.
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        if (missing)
            return {};
        return unreadable(errno == ENXIO ? std::string(kNotARegularFile) : systemReason());
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : kNotARegularFile;
        ::close(fd);
        return unreadable(reason);
    }
    if (st.st_size < 0 || uintmax_t(st.st_size) > maxBytes) {
        ::close(fd);
        return unreadable(tooLargeReason(maxBytes));
    }
    FileContents contents;
    // Room for the whole file at once: growing a string of many megabytes
    // step by step copies it again at every step.
    if (st.st_size > 0)
        contents.bytes.reserve(size_t(st.st_size));
    adviseLargePages(contents.bytes);
    char buffer[65536];
    for (;;) {
        // One byte beyond the bound tells a file that grew past it.
        const size_t room = maxBytes + 1 - contents.bytes.size();
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, room));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const std::string reason = systemReason();
            ::close(fd);
            return unreadable(reason);
        }
        if (got == 0)
            break;
        contents.bytes.append(buffer, size_t(got));
        if (contents.bytes.size() > maxBytes) {
            ::close(fd);
            return unreadable(tooLargeReason(maxBytes));
        }
    }
    ::close(fd);
    contents.state = FileContents::State::Read;
    return contents;
}

std::optional<std::string> readWholeFile(const std::string &path, size_t maxBytes)
{
    FileContents contents = readFileContents(path, maxBytes);
    if (contents.state != FileContents::State::Read)
        return std::nullopt;
    return std::move(contents.bytes);
}

std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text, start, i - start);
        if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(text, start, n - start);
    return lines;
}

static bool writeAll(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(put);
    }
    return true;
}

// A write past the file-size limit raises SIGXFSZ, whose default action ends
// the program in the middle of a save and leaves the temporary file behind.
// Ignored, the write fails with EFBIG like any full disk. Checked on every
// save, as another part of the program may have changed the action.
static void ignoreFileSizeSignal()
{
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

bool writeFileAtomically(const std::string &path, const std::string &bytes, unsigned mode, std::string *why)
{
    ignoreFileSizeSignal();
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if (why)
            *why = systemReason();
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    std::string reason = ok ? std::string() : systemReason();
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = systemReason();
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        reason = systemReason();
    }
    if (!ok) {
        ::unlink(temp.c_str());
        if (why)
            *why = reason;
        return false;
    }
    // Make the rename itself durable.
    const std::string folder = folderOf(path);
    const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace tw
