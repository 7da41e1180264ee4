#include "settings/FileIterator.h"

#include <QDebug>
#include <cerrno>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <linux/magic.h>
#include <memory>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace tw {
namespace {

// Folders whose contents are the kernel's view of processes, devices and
// run-time state: walking them is slow, endless or has side effects.
bool isPseudoFolder(const std::string &folder)
{
    for (const char *pseudo : {"/proc", "/sys", "/dev", "/run"})
        if (folder == pseudo)
            return true;
    return false;
}

bool onPseudoFileSystem(int dir)
{
    struct statfs fs {};
    if (fstatfs(dir, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case SELINUX_MAGIC:
        return true;
    default:
        return false;
    }
}

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

} // namespace

TFileIterator::TFileIterator(QObject *parent) : QObject(parent) {}

TFileIterator::~TFileIterator()
{
    Stop();
    while (!Idle())
        QThread::msleep(1);
}

void TFileIterator::requireIdle() const
{
    if (!Idle())
        throw EFileIteratorError("Cannot change options on fly. Try later");
}

void TFileIterator::SetOptions(TFileIteratorOptions options)
{
    requireIdle();
    m_options = options;
}

void TFileIterator::SetRootFolder(const std::string &folder)
{
    requireIdle();
    m_rootFolder = folder;
}

void TFileIterator::Stop()
{
    int running = Running_;
    m_state.compare_exchange_strong(running, StopRequested_);
}

bool TFileIterator::claim()
{
    int idle = Idle_;
    if (!m_state.compare_exchange_strong(idle, Running_))
        throw EFileIteratorError("Iterator is not available at the moment. Please call later, but do call");
    if (!OnAddFile && !OnAddFileQuery) {
        m_state.store(Idle_);
        return false;
    }
    return true;
}

void TFileIterator::Execute()
{
    if (claim())
        run();
}

void TFileIterator::run()
{
    struct IdleOnExit {
        std::atomic<int> &state;
        ~IdleOnExit() { state.store(Idle_); }
    } idleOnExit{m_state};
    if (OnActivate)
        OnActivate(this);
    // Whoever waits for the end hears of it even when the walk failed.
    std::exception_ptr failure;
    try {
        walkFolder(m_rootFolder);
    } catch (...) {
        failure = std::current_exception();
    }
    if (OnTerminate)
        OnTerminate(this);
    if (failure)
        std::rethrow_exception(failure);
}

void TFileIterator::walkFolder(const std::string &folderName)
{
    std::string folder = folderName;
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    if (isPseudoFolder(folder))
        return;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "/" : folder.c_str()));
    if (!dir)
        return; // cannot be listed: skipped
    const int fd = dirfd(dir.get());
    if (onPseudoFileSystem(fd))
        return;
    while (m_state.load(std::memory_order_relaxed) == Running_) {
        const dirent *entry = readdir(dir.get());
        if (!entry)
            break;
        const char *name = entry->d_name;
        unsigned char type = entry->d_type;
        struct stat status {};
        const struct stat *known = nullptr;
        if (type == DT_UNKNOWN) {
            if (fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            known = &status;
            type = IFTODT(status.st_mode);
        }
        if (type == DT_DIR) {
            // "." and ".." are among the names that begin with ".".
            if (name[0] != '.' && (m_options & fiRecurseFolders))
                walkFolder(folder + "/" + name);
            continue;
        }
        if (type == DT_LNK) {
            // A link counts as what it points to; links to folders are never
            // followed, and a link to nothing names no file.
            if (fstatat(fd, name, &status, 0) != 0 || S_ISDIR(status.st_mode))
                continue;
            known = &status;
        }
        reportFile(fd, folder, name, known);
    }
}

void TFileIterator::reportFile(int dir, const std::string &folder, const char *name, const struct stat *known)
{
    TFileInfo info;
    if (m_options & fiDetails) {
        struct stat status {};
        if (!known && fstatat(dir, name, &status, 0) == 0)
            known = &status;
        if (known) {
            info.attributes = known->st_mode;
            info.time = known->st_mtime;
            info.size = known->st_size;
        }
    }
    const std::string fileName = (m_options & fiPath) ? folder + "/" + name : std::string(name);
    bool canAdd = true;
    if (OnAddFileQuery)
        OnAddFileQuery(this, fileName, info, canAdd);
    if (canAdd && OnAddFile)
        OnAddFile(this, fileName, info);
}

void TFileIteratorThread::Start(TFileIterator &iterator)
{
    if (!iterator.claim())
        return;
    auto *thread = new TFileIteratorThread(iterator);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void TFileIteratorThread::run()
{
    try {
        m_iterator.run();
    } catch (const std::exception &error) {
        qWarning() << "The file search ended early:" << error.what();
    } catch (...) {
        qWarning() << "The file search ended early.";
    }
}

} // namespace tw
