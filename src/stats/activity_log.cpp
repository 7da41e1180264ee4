#include "stats/activity_log.h"

#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/private_files.h"
#include "platform/prompts.h"
#include "platform/text_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

ActivityLog::~ActivityLog() { CloseLogFile(); }

std::string resolveLogPath(const std::string &path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    return programFile(path);
}

void ActivityLog::OpenLogFile()
{
    if (isOpen() || isBlank(m_path))
        return;
    const std::string path = resolveLogPath(m_path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const std::string folder = folderOf(path);
        if (!makePrivateFolders(folder)) {
            Prompts::current().error("Unable to create directory = \"" + folder +
                                     "\"  Logging will not take place.");
            return;
        }
    }
    // A link or a special file planted at the log's place is not written
    // through: the entry is lost, as for any file that cannot be opened.
    m_fd = openPrivateFileForAppend(path);
}

void ActivityLog::CloseLogFile()
{
    if (!isOpen())
        return;
    ::close(m_fd);
    m_fd = -1;
}

void ActivityLog::writeLine(const std::string &line)
{
    if (!isOpen())
        return;
    const std::string bytes = line + kLogLineEnd;
    size_t done = 0;
    // The descriptor is unbuffered: each write reaches the file at once.
    while (done < bytes.size()) {
        const ssize_t put = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return; // a full disk loses this line, not the program
        done += size_t(put);
    }
}

void ActivityLog::writeEntry(const std::string &line)
{
    const bool wasOpen = isOpen();
    OpenLogFile();
    writeLine(line);
    if (!wasOpen)
        CloseLogFile();
}

void ActivityLog::logMailCheck(int count, const std::string &userName, const std::string &server)
{
    writeEntry(mailCheckLine(count, userName, server, logTimeStamp(Clock::now())));
}

void ActivityLog::logError(const std::string &errorText, const std::string &userName, const std::string &server)
{
    writeEntry(errorLine(errorText, userName, server, logTimeStamp(Clock::now())));
}

void ActivityLog::logWarning(const std::string &text, const std::string &userName, const std::string &server)
{
    writeEntry(warningLine(text, userName, server, logTimeStamp(Clock::now())));
}

void ActivityLog::logAutomaticMode(bool enabled)
{
    writeEntry(automaticModeLine(enabled, logTimeStamp(Clock::now())));
}

void ActivityLog::logKeptCopiesOverLimit(long long keptMB, long long limitMB)
{
    writeEntry(keptCopiesOverLimitLine(keptMB, limitMB, logTimeStamp(Clock::now())));
}

void ActivityLog::logDeletion(const DeletedMessageEntry &message)
{
    if (!isOpen())
        return;
    for (const std::string &line : deletionBlock(message, logTimeStamp(Clock::now())))
        writeLine(line);
}

} // namespace tw
