#include "platform/private_files.h"

#include "platform/text_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

bool fail(std::string *why, const std::string &reason)
{
    if (why)
        *why = reason;
    return false;
}

bool failWithSystemReason(std::string *why) { return fail(why, std::strerror(errno)); }

const char *const kNotARegularFile = "it is not a regular file (a link or a special file is never written through)";

// The mode a regular file with Mode gets when it is written again.
unsigned narrowed(mode_t mode) { return unsigned(mode) & kPrivateFileMode; }

} // namespace

bool makePrivateFolders(const std::string &folder, std::string *why)
{
    if (folder.empty())
        return true;
    // Each missing step of the path is made in turn, so that parents made
    // on the way are private too.
    for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const std::string step = folder.substr(0, slash);
        if (!step.empty() && step.back() != '/' && ::mkdir(step.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST)
            return failWithSystemReason(why);
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return failWithSystemReason(why);
    if (!S_ISDIR(st.st_mode))
        return fail(why, folder + " is not a folder");
    return true;
}

bool narrowFolderToOwner(const std::string &folder, std::string *why)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return failWithSystemReason(why);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) == 0)
        return true;
    if (::chmod(folder.c_str(), st.st_mode & 07700) != 0)
        return failWithSystemReason(why);
    return true;
}

unsigned privateModeFor(const std::string &path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return narrowed(st.st_mode);
    return kPrivateFileMode;
}

bool writePrivateFile(const std::string &path, const std::string &bytes, std::string *why)
{
    struct stat st {};
    unsigned mode = kPrivateFileMode;
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return fail(why, kNotARegularFile);
        mode = narrowed(st.st_mode);
    } else if (errno != ENOENT) {
        return failWithSystemReason(why);
    }
    // The rename that puts the new file in place replaces a directory entry;
    // it never writes through one, even when a link appears meanwhile.
    return writeFileAtomically(path, bytes, mode, why);
}

bool createPrivateFile(const std::string &path, const std::string &bytes, std::string *why)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFileMode);
    if (fd < 0)
        return failWithSystemReason(why);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            const std::string reason = std::strerror(errno);
            ::close(fd);
            ::unlink(path.c_str());
            return fail(why, reason);
        }
        done += size_t(put);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(path.c_str());
        return fail(why, reason);
    }
    return true;
}

int openPrivateFileForAppend(const std::string &path, std::string *why)
{
    // Two rounds: a file that appears between the attempt to open it and the
    // attempt to create it is opened in the second.
    for (int round = 0; round < 2; ++round) {
        // O_NONBLOCK: opening a pipe that nobody reads would otherwise wait forever.
        int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            struct stat st {};
            if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
                ::close(fd);
                fail(why, kNotARegularFile);
                return -1;
            }
            ::fcntl(fd, F_SETFL, O_APPEND);
            if ((st.st_mode & 077) != 0 && st.st_uid == ::geteuid())
                ::fchmod(fd, narrowed(st.st_mode));
            return fd;
        }
        if (errno == ELOOP || errno == ENXIO) {
            fail(why, kNotARegularFile);
            return -1;
        }
        if (errno != ENOENT) {
            failWithSystemReason(why);
            return -1;
        }
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFileMode);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            failWithSystemReason(why);
            return -1;
        }
    }
    fail(why, "the file keeps changing");
    return -1;
}

} // namespace tw
