#pragma once
// TFileIterator: walks a folder tree, depth first in listing order, and
// reports every file it finds through its events. TFileIteratorThread runs
// one walk on a worker thread and deletes itself when the walk is over.
//
// The walk never enters a folder whose name begins with "." and never
// follows a symbolic link to a folder (so it cannot loop); a link to a file
// is reported as a file. Kernel pseudo file systems (/proc, /sys, /dev,
// /run and anything mounted with a virtual file system type) are skipped,
// and so is every folder that cannot be listed.
//
// Threads: the events fire on the thread that runs the walk (the worker
// thread for TFileIteratorThread); a handler that touches windows must pass
// the work on to the interface thread itself. The run state is atomic:
// any thread may ask Idle() or call Stop(). A stop takes effect at the next
// directory entry; OnTerminate still fires.

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>

struct stat;

namespace tw {

// Raised for a change of options while a walk runs and for a second walk
// started before the first has ended.
class EFileIteratorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TFileIteratorOption : unsigned {
    fiPath = 1,           // report the full path, not the bare name
    fiDetails = 2,        // fill TFileInfo
    fiRecurseFolders = 4, // descend into sub-folders
};
using TFileIteratorOptions = unsigned;

// What the directory listing says about a file (filled only with fiDetails).
struct TFileInfo {
    unsigned attributes = 0; // the file's mode bits (type and permissions)
    std::time_t time = 0;    // last modification
    std::int64_t size = 0;
};

class TFileIterator : public QObject {
    Q_OBJECT
public:
    explicit TFileIterator(QObject *parent = nullptr);
    // Asks a running walk to stop and waits until it has.
    ~TFileIterator() override;

    // Both raise EFileIteratorError "Cannot change options on fly. Try later"
    // unless the iterator is idle.
    TFileIteratorOptions Options() const { return m_options; }
    void SetOptions(TFileIteratorOptions options);
    const std::string &RootFolder() const { return m_rootFolder; }
    void SetRootFolder(const std::string &folder);

    std::function<void(QObject *sender)> OnActivate;
    // CanAdd is true on entry; a handler that clears it keeps the file from OnAddFile.
    std::function<void(QObject *sender, const std::string &fileName, const TFileInfo &info, bool &canAdd)>
        OnAddFileQuery;
    std::function<void(QObject *sender, const std::string &fileName, const TFileInfo &info)> OnAddFile;
    std::function<void(QObject *sender)> OnTerminate;

    // Walks RootFolder on the calling thread: OnActivate, the files,
    // OnTerminate. Raises EFileIteratorError "Iterator is not available at
    // the moment. Please call later, but do call" when a walk is running.
    // Without an OnAddFile or OnAddFileQuery handler it returns at once.
    void Execute();

    // Running -> stop requested; in any other state nothing changes.
    void Stop();
    bool Idle() const { return m_state.load() == Idle_; }
    bool StopRequested() const { return m_state.load() == StopRequested_; }

private:
    friend class TFileIteratorThread;
    enum State { Idle_ = 0, Running_ = 1, StopRequested_ = 2 };

    // Idle -> running, or the "not available" error. False when there is
    // nothing to report to (no handler): the iterator then stays idle.
    bool claim();
    // The walk proper; the iterator must have been claimed. Ends idle.
    void run();
    void walkFolder(const std::string &folder);
    // Name is an entry of the open folder Dir; Known holds its status when
    // already read, else null.
    void reportFile(int dir, const std::string &folder, const char *name, const struct stat *known);
    void requireIdle() const;

    TFileIteratorOptions m_options = fiPath | fiDetails | fiRecurseFolders;
    std::string m_rootFolder = "/";
    std::atomic<int> m_state{Idle_};
};

// One walk of an iterator on its own thread. Start claims the iterator on
// the calling thread, so Idle() is false as soon as it returns (or it raises
// EFileIteratorError and no thread starts), then runs the walk on a new
// thread, which deletes itself through the event loop of the calling thread
// once the walk has ended; callers keep no pointer to it. Without a handler
// to report to, nothing starts.
class TFileIteratorThread : public QThread {
    Q_OBJECT
public:
    static void Start(TFileIterator &iterator);

protected:
    void run() override;

private:
    explicit TFileIteratorThread(TFileIterator &iterator) : m_iterator(iterator) {}
    TFileIterator &m_iterator;
};

} // namespace tw
