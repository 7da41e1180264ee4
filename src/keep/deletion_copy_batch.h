#pragma once
// The copies of one deletion run. The POP3 client hands each confirmed
// message over as soon as it has read it (TmsDeletionCopies); its file is
// written in the background while the client reads the next replies, and
// before the first DELE the run waits for every write, adds their rows to
// the index in one write, and deletes only the messages whose copies are
// safely on disk.
//
// Use on one thread: describe() every flagged message, set the batch as the
// client's DeletionCopies, run the transfer, then settle() with the messages
// the server accepted a DELE for, also after the transfer failed.

#include "keep/deleted_mail_store.h"
#include "net/mspop3.h"

#include <QObject>
#include <QThreadPool>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tw {

class DeletionCopyBatch : public TmsDeletionCopies {
public:
    // MaxMessageBytes: a larger message keeps only its header block.
    DeletionCopyBatch(const DeletedMailStore &store, long long maxMessageBytes);
    // Waits for writes still running.
    ~DeletionCopyBatch() override;

    // What the index says of message Num besides what the transfer finds
    // (mailbox, server, user, size, subject, sender, explanation).
    void describe(int num, KeptMessage row);

    long long maxMessageBytes() const override { return m_maxMessageBytes; }
    void keep(int num, const std::string &uid, std::string message, bool headerOnly) override;
    void notSent(int num, const std::string &reply) override;
    std::vector<int> keptCopies() override;

    // Fired as a message's copy is handed over, before it is written.
    std::function<void(int num)> OnCopying;

    // After the transfer: the copies of messages not in Deleted (their DELE
    // was refused or never sent) are removed again, and so are copies whose
    // rows never reached the index.
    void settle(const std::vector<int> &deleted);

    // Once the messages are gone: Amend may change the rows of the copies
    // in the index (an IMAP move adds where each message went); the rows it
    // changed (returned true for) are written again. False with the reason
    // when the index cannot be written.
    bool amendRows(const std::function<bool(int num, KeptMessage &row)> &amend, std::string *why = nullptr);
    struct Failure {
        int num;
        std::string reason;
    };
    // The messages left on the server because no copy of them could be
    // kept, in the order of the messages.
    std::vector<Failure> failures() const;

private:
    struct Copy {
        KeptMessage row;
        enum class State { Described, Writing, Written, Failed, Indexed } state = State::Described;
        std::string reason;
    };
    // Results of the writes running on the pool, taken over on this thread.
    struct Shared {
        std::mutex lock;
        std::map<int, std::string> finished;  // num -> "" when written, else the reason
    };
    void takeFinished();
    void waitForWrites();
    int writing() const;

    const DeletedMailStore &m_store;
    const long long m_maxMessageBytes;
    std::map<int, Copy> m_copies;
    std::set<std::string> m_names;
    bool m_folderChecked = false;
    std::string m_folderProblem;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    QObject m_wakeUp;  // receives a posted call after each write, which ends a wait
    QThreadPool m_pool;
};

} // namespace tw
