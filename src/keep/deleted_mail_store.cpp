#include "keep/deleted_mail_store.h"

#include "classify/message_row.h"
#include "keep/kept_file_name.h"
#include "keep/kept_index.h"
#include "net/pop3_limits.h"
#include "platform/paths.h"
#include "platform/private_files.h"
#include "platform/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace tw {

namespace {

bool isFolder(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The names of the kept copies in Folder (regular files named as copies are).
std::vector<std::string> keptFilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!parseKeptFileName(name))
            continue;
        struct stat st {};
        const bool regular = entry->d_type == DT_UNKNOWN
                                 ? ::lstat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)
                                 : entry->d_type == DT_REG;
        if (regular)
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

// A row for a copy the index does not describe, from what the file tells.
KeptMessage rebuiltRow(const std::string &fileName, const std::string &bytes)
{
    const KeptFileNameParts parts = *parseKeptFileName(fileName);
    const HeaderBlock block = readHeaderBlock(bytes);
    const TWaitingMessage listed = rowFromHeaders(block.headers, (long long)bytes.size());
    KeptMessage row;
    row.fileName = fileName;
    row.deletedAt = parts.deletedAt;
    row.mailbox = parts.mailbox;
    row.uidl = parts.uidl;
    row.size = (long long)bytes.size();
    row.storedBytes = (long long)bytes.size();
    // A copy that ends with its header block is one kept without its body.
    row.headersOnly = block.bytesRead == bytes.size() && bytes.size() >= 4 && bytes.compare(bytes.size() - 4, 4, "\r\n\r\n") == 0;
    row.subject = listed.subject;
    row.senderAddress = listed.senderAddress;
    row.senderName = listed.senderName;
    row.why = {DeletedMailStore::kRebuiltWhy};
    return row;
}

void newestFirst(std::vector<KeptMessage> &rows)
{
    std::sort(rows.begin(), rows.end(), [](const KeptMessage &a, const KeptMessage &b) {
        return a.deletedAt != b.deletedAt ? a.deletedAt > b.deletedAt : a.fileName > b.fileName;
    });
}

} // namespace

const char *const DeletedMailStore::kRebuiltWhy =
    "The index of deleted mail was rebuilt from the kept files; why this message was marked is no longer known.";

bool writeKeptFile(const std::string &path, const std::string &bytes, std::string *why)
{
    return writePrivateFile(path, bytes, why);
}

DeletedMailStore::DeletedMailStore(std::string folder) : m_folder(std::move(folder)) {}

std::string DeletedMailStore::defaultFolder() { return programFile("deleted"); }

std::string DeletedMailStore::indexPath() const { return pathOf(kKeptIndexFileName); }

bool DeletedMailStore::prepareFolder(std::string *why) const
{
    return makePrivateFolders(m_folder, why);
}

bool DeletedMailStore::writeIndex(const std::vector<KeptMessage> &rows, std::string *why) const
{
    return writeKeptFile(indexPath(), keptIndexText(rows), why);
}

std::vector<KeptMessage> DeletedMailStore::load() const
{
    if (!isFolder(m_folder))
        return {};
    const FileContents stored = readFileContents(indexPath());
    ParsedKeptIndex index;
    if (stored.state == FileContents::State::Read)
        index = parseKeptIndex(stored.bytes);
    bool changed = stored.state != FileContents::State::Read || index.damaged;

    std::unordered_map<std::string, KeptMessage *> described;
    for (KeptMessage &row : index.rows)
        described.emplace(row.fileName, &row);
    std::vector<KeptMessage> rows;
    rows.reserve(index.rows.size());
    for (const std::string &name : keptFilesIn(m_folder)) {
        const auto found = described.find(name);
        if (found != described.end()) {
            rows.push_back(std::move(*found->second));
            described.erase(found);
            continue;
        }
        const std::optional<std::string> bytes = read(name);
        if (!bytes)
            continue; // unreadable now: left alone, and tried again next time
        rows.push_back(rebuiltRow(name, *bytes));
        changed = true;
    }
    if (!described.empty())
        changed = true; // rows whose files are gone
    if (changed && (stored.state != FileContents::State::Missing || !rows.empty()))
        writeIndex(rows, nullptr);
    newestFirst(rows);
    return rows;
}

bool DeletedMailStore::addRows(const std::vector<KeptMessage> &rows, std::string *why) const
{
    // The rows as they stand, not mended: mending now would give the new
    // copies rebuilt rows of their own. The next load() mends the rest.
    std::vector<KeptMessage> all;
    if (const std::optional<std::string> stored = readWholeFile(indexPath()))
        all = parseKeptIndex(*stored).rows;
    // A row the folder was mended with meanwhile gives way to the full one.
    std::set<std::string> added;
    for (const KeptMessage &row : rows)
        added.insert(row.fileName);
    std::erase_if(all, [&](const KeptMessage &row) { return added.count(row.fileName) > 0; });
    all.insert(all.end(), rows.begin(), rows.end());
    return writeIndex(all, why);
}

bool DeletedMailStore::remove(const std::vector<std::string> &fileNames, std::string *why) const
{
    if (fileNames.empty())
        return true;
    const std::set<std::string> going(fileNames.begin(), fileNames.end());
    std::vector<KeptMessage> staying;
    if (const std::optional<std::string> stored = readWholeFile(indexPath()))
        staying = parseKeptIndex(*stored).rows;
    std::erase_if(staying, [&](const KeptMessage &row) { return going.count(row.fileName) > 0; });
    if (!writeIndex(staying, why))
        return false;
    bool ok = true;
    for (const std::string &name : going) {
        if (::unlink(pathOf(name).c_str()) != 0 && errno != ENOENT && ok) {
            ok = false;
            if (why)
                *why = std::strerror(errno);
        }
    }
    return ok;
}

DeletedMailStore::ExpiryOutcome DeletedMailStore::expire(const KeptCopyLimits &limits, qint64 now) const
{
    ExpiryOutcome outcome;
    const ExpiryPlan plan = planExpiry(load(), now, limits);
    outcome.bytesLeft = plan.bytesLeft;
    outcome.overLimit = plan.overLimit;
    if (!plan.remove.empty() && !remove(plan.remove, &outcome.failure))
        return outcome;
    outcome.removed = int(plan.remove.size());
    return outcome;
}

std::string DeletedMailStore::newFileName(qint64 deletedAt, int mailbox, const std::string &uidl,
                                          const std::set<std::string> &taken) const
{
    for (int duplicate = 1;; ++duplicate) {
        std::string name = keptFileName(deletedAt, mailbox, uidl, duplicate);
        if (!taken.count(name) && !exists(pathOf(name)))
            return name;
    }
}

std::optional<std::string> DeletedMailStore::read(const std::string &fileName) const
{
    return readWholeFile(pathOf(fileName), size_t(pop3::kMaxMessageFileBytes));
}

} // namespace tw
