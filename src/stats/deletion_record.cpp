#include "stats/deletion_record.h"

#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/private_files.h"
#include "platform/text_file.h"

#include <cstdio>
#include <sys/stat.h>

namespace tw {

PendingDeletionRecord::PendingDeletionRecord(std::string path)
    : m_path(path.empty() ? programFile("deletion.pending") : std::move(path))
{
}

bool PendingDeletionRecord::exists() const
{
    struct stat st {};
    return ::lstat(m_path.c_str(), &st) == 0;
}

bool PendingDeletionRecord::write(const std::vector<DeletedMessageEntry> &messages, const std::string &stamp,
                                  std::string *why)
{
    std::string text;
    for (const DeletedMessageEntry &message : messages)
        for (const std::string &line : possibleDeletionBlock(message, stamp))
            text += line + kLogLineEnd;
    return writePrivateFile(m_path, text, why);
}

void PendingDeletionRecord::confirm() { std::remove(m_path.c_str()); }

int PendingDeletionRecord::logUnconfirmed(ActivityLog &log)
{
    struct stat st {};
    if (::lstat(m_path.c_str(), &st) != 0)
        return 0;
    const std::optional<std::string> text = S_ISREG(st.st_mode) ? readWholeFile(m_path) : std::nullopt;
    if (!text) {
        confirm(); // not a record of ours (a link is not followed), or unreadable
        return 0;
    }
    const std::vector<std::string> lines = splitLines(*text);
    int messages = 0;
    for (const std::string &line : lines)
        messages += startsWith(line, kMayHaveBeenDeletedMarker) ? 1 : 0;
    if (!isBlank(log.path())) {
        const bool wasOpen = log.isOpen();
        log.OpenLogFile();
        if (!log.isOpen())
            return messages; // kept for the next try
        for (const std::string &line : lines)
            log.writeLine(line);
        if (!wasOpen)
            log.CloseLogFile();
    }
    confirm();
    return messages;
}

} // namespace tw
