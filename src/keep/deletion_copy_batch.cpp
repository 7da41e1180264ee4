#include "keep/deletion_copy_batch.h"

#include "platform/clock.h"
#include "platform/event_wait.h"

#include <QMetaObject>
#include <unistd.h>

namespace tw {

namespace {

// Writes go on in parallel: the disk then flushes several files in one go,
// which keeps a run of many small copies as fast as one without copies.
constexpr int kWriters = 8;

} // namespace

DeletionCopyBatch::DeletionCopyBatch(const DeletedMailStore &store, long long maxMessageBytes)
    : m_store(store), m_maxMessageBytes(maxMessageBytes)
{
    m_pool.setMaxThreadCount(kWriters);
}

DeletionCopyBatch::~DeletionCopyBatch() { m_pool.waitForDone(); }

void DeletionCopyBatch::describe(int num, KeptMessage row) { m_copies[num].row = std::move(row); }

void DeletionCopyBatch::keep(int num, const std::string &uid, std::string message, bool headerOnly)
{
    Copy &copy = m_copies[num];
    if (!m_folderChecked) {
        m_folderChecked = true;
        m_store.prepareFolder(&m_folderProblem);
    }
    if (!m_folderProblem.empty()) {
        copy.state = Copy::State::Failed;
        copy.reason = "the folder " + m_store.folder() + " cannot be made: " + m_folderProblem;
        return;
    }
    if (OnCopying)
        OnCopying(num);
    KeptMessage &row = copy.row;
    row.deletedAt = Clock::nowQt().toSecsSinceEpoch();
    row.uidl = uid;
    row.headersOnly = headerOnly;
    row.storedBytes = (long long)message.size();
    row.fileName = m_store.newFileName(row.deletedAt, row.mailbox, uid, m_names);
    m_names.insert(row.fileName);
    copy.state = Copy::State::Writing;
    m_pool.start([shared = m_shared, wakeUp = &m_wakeUp, num, path = m_store.pathOf(row.fileName),
                  bytes = std::move(message)] {
        std::string why;
        const bool ok = writeKeptFile(path, bytes, &why);
        {
            std::lock_guard<std::mutex> guard(shared->lock);
            shared->finished[num] = ok ? std::string() : (why.empty() ? std::string("unknown failure") : why);
        }
        QMetaObject::invokeMethod(wakeUp, [] {}, Qt::QueuedConnection);
    });
}

void DeletionCopyBatch::notSent(int num, const std::string &reply)
{
    Copy &copy = m_copies[num];
    copy.state = Copy::State::Failed;
    copy.reason = "the server did not send it: " + reply;
}

void DeletionCopyBatch::takeFinished()
{
    std::map<int, std::string> finished;
    {
        std::lock_guard<std::mutex> guard(m_shared->lock);
        finished.swap(m_shared->finished);
    }
    for (auto &[num, reason] : finished) {
        Copy &copy = m_copies[num];
        copy.state = reason.empty() ? Copy::State::Written : Copy::State::Failed;
        if (!reason.empty())
            copy.reason = "its copy could not be written: " + reason;
    }
}

int DeletionCopyBatch::writing() const
{
    int count = 0;
    for (const auto &[num, copy] : m_copies)
        count += copy.state == Copy::State::Writing;
    return count;
}

void DeletionCopyBatch::waitForWrites()
{
    takeFinished();
    waitUntil([this] {
        takeFinished();
        return writing() == 0;
    });
}

std::vector<int> DeletionCopyBatch::keptCopies()
{
    waitForWrites();
    std::vector<KeptMessage> rows;
    for (const auto &[num, copy] : m_copies)
        if (copy.state == Copy::State::Written)
            rows.push_back(copy.row);
    std::string why;
    const bool indexed = rows.empty() || m_store.addRows(rows, &why);
    std::vector<int> kept;
    for (auto &[num, copy] : m_copies) {
        if (copy.state != Copy::State::Written)
            continue;
        if (indexed) {
            copy.state = Copy::State::Indexed;
            kept.push_back(num);
        } else {
            copy.state = Copy::State::Failed;
            copy.reason = "the index of deleted mail could not be written: " + why;
            ::unlink(m_store.pathOf(copy.row.fileName).c_str());
        }
    }
    return kept;
}

void DeletionCopyBatch::settle(const std::vector<int> &deleted)
{
    waitForWrites();
    const std::set<int> gone(deleted.begin(), deleted.end());
    std::vector<std::string> indexedNotDeleted;
    for (auto &[num, copy] : m_copies) {
        if (copy.state == Copy::State::Written) // the run ended before the index was written
            ::unlink(m_store.pathOf(copy.row.fileName).c_str());
        else if (copy.state == Copy::State::Indexed && !gone.count(num))
            indexedNotDeleted.push_back(copy.row.fileName);
        else
            continue;
        copy.state = Copy::State::Described;
    }
    m_store.remove(indexedNotDeleted);
}

bool DeletionCopyBatch::amendRows(const std::function<bool(int num, KeptMessage &row)> &amend, std::string *why)
{
    std::vector<KeptMessage> changed;
    for (auto &[num, copy] : m_copies)
        if (copy.state == Copy::State::Indexed && amend(num, copy.row))
            changed.push_back(copy.row);
    return changed.empty() || m_store.addRows(changed, why);
}

std::vector<DeletionCopyBatch::Failure> DeletionCopyBatch::failures() const
{
    std::vector<Failure> list;
    for (const auto &[num, copy] : m_copies)
        if (copy.state == Copy::State::Failed)
            list.push_back({num, copy.reason});
    return list;
}

} // namespace tw
