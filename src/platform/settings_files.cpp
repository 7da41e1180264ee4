#include "platform/settings_files.h"

#include "platform/background_work.h"
#include "platform/private_files.h"

#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tw {

namespace {

struct PendingFile {
    std::string path;
    std::string bytes;
    SettingsWriteFailure failure;
    bool makeFolder = false;
};

struct Batch {
    int depth = 0;
    std::vector<PendingFile> files; // in the order first written
    // The files a commit is writing: reads still see them until it is done.
    const std::vector<PendingFile> *inFlight = nullptr;
};

thread_local Batch t_batch;
std::function<void(const std::string &)> g_observer;

PendingFile *pendingFile(const std::string &path)
{
    for (PendingFile &file : t_batch.files)
        if (file.path == path)
            return &file;
    return nullptr;
}

const PendingFile *fileInFlight(const std::string &path)
{
    if (t_batch.inFlight)
        for (const PendingFile &file : *t_batch.inFlight)
            if (file.path == path)
                return &file;
    return nullptr;
}

// Whether Path is a private regular file that holds exactly Bytes.
bool alreadyOnDisk(const std::string &path, const std::string &bytes)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 077) != 0 ||
        st.st_size != off_t(bytes.size()))
        return false;
    const FileContents current = readFileContents(path);
    return current.state == FileContents::State::Read && current.bytes == bytes;
}

// Writes File unless it holds its bytes already; the reason when it cannot.
bool writeNow(const PendingFile &file, std::string &why)
{
    if (alreadyOnDisk(file.path, file.bytes))
        return true;
    if (file.makeFolder && !makePrivateFolders(folderOf(file.path))) {
        why = "cannot create the folder of " + file.path;
        return false;
    }
    if (!writePrivateFile(file.path, file.bytes, &why))
        return false;
    if (g_observer)
        g_observer(file.path);
    return true;
}

} // namespace

FileContents readSettingsFile(const std::string &path)
{
    if (const PendingFile *pending = pendingFile(path))
        return {FileContents::State::Read, pending->bytes, {}};
    if (const PendingFile *writing = fileInFlight(path))
        return {FileContents::State::Read, writing->bytes, {}};
    return readFileContents(path);
}

void writeSettingsFile(const std::string &path, std::string bytes, SettingsWriteFailure failure, bool makeFolder)
{
    if (t_batch.depth > 0) {
        if (PendingFile *pending = pendingFile(path)) {
            pending->bytes = std::move(bytes);
            pending->failure = std::move(failure);
            pending->makeFolder = pending->makeFolder || makeFolder;
        } else {
            t_batch.files.push_back({path, std::move(bytes), std::move(failure), makeFolder});
        }
        return;
    }
    std::string why;
    if (!writeNow({path, std::move(bytes), {}, makeFolder}, why))
        failure(why);
}

SettingsWriteBatch::SettingsWriteBatch() : m_outermost(t_batch.depth == 0) { ++t_batch.depth; }

SettingsWriteBatch::~SettingsWriteBatch()
{
    if (m_outermost) {
        try {
            commit();
        } catch (...) {
        }
    }
    --t_batch.depth;
}

namespace {

// Writes Files (off the interface thread, which handles its events
// meanwhile); the failure and reason of the first that could not be written
// go to FirstFailure and FirstWhy unless one is there already.
void writeRound(const std::vector<PendingFile> &files, SettingsWriteFailure &firstFailure, std::string &firstWhy)
{
    // Each file reaches the disk before its write returns, which can take
    // a while; the interface thread keeps handling its events meanwhile.
    std::vector<std::string> whys(files.size());
    std::vector<char> written(files.size(), 0);
    t_batch.inFlight = &files;
    runInBackground([&] {
        for (size_t i = 0; i < files.size(); ++i)
            written[i] = writeNow(files[i], whys[i]);
    });
    t_batch.inFlight = nullptr;
    for (size_t i = 0; i < files.size() && !firstFailure; ++i)
        if (!written[i]) {
            firstFailure = files[i].failure;
            firstWhy = whys[i];
        }
}

} // namespace

void SettingsWriteBatch::commit()
{
    if (!m_outermost)
        return;
    // What handlers of events wrote while a round was being written is
    // written in a further round, so nothing is left behind unwritten.
    SettingsWriteFailure firstFailure;
    std::string firstWhy;
    while (!t_batch.files.empty())
        writeRound(std::exchange(t_batch.files, {}), firstFailure, firstWhy);
    if (firstFailure)
        firstFailure(firstWhy);
}

void setSettingsWriteObserver(std::function<void(const std::string &path)> observer)
{
    g_observer = std::move(observer);
}

} // namespace tw
