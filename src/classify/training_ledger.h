#pragma once
// Which messages the learned score has been trained with, and as what, so
// that each message counts once and a correction moves it to the other
// class instead of counting it twice. Also the messages a user left on the
// server unmarked while deleting others, which become ordinary mail when a
// later check still finds them there.
//
// A message is known by its mailbox and its header block: the block a
// listing fetched is the one a later listing, the deletion run's re-read and
// a kept copy show again, so no command beyond the listing is needed to
// recognise a message. Header lines that some servers rewrite as a message
// is read (Status, X-Status, X-UID, X-UIDL, X-Keywords) are left out.

#include "net/msmsgcls.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace tw {

enum class TrainedAs : char { Spam = 'S', Ham = 'H' };

class TrainingLedger {
public:
    // Mailbox names the account the message was listed from ("user@server",
    // letter case ignored); messages from files use an empty mailbox.
    static std::uint64_t messageKey(const std::string &mailbox, const TmsHeaders &headers);
    static std::uint64_t mailboxKey(const std::string &mailbox);

    std::optional<TrainedAs> find(std::uint64_t message) const;
    void set(std::uint64_t message, TrainedAs as, std::uint32_t day);
    void erase(std::uint64_t message) { m_trained.erase(message); }
    size_t trainedCount() const { return m_trained.size(); }

    // A message left on the server unmarked by a run in which the user deleted others.
    void addPending(std::uint64_t message, std::uint64_t mailbox, std::uint32_t day);
    // Whether Message was pending; it is pending no longer afterwards.
    bool takePending(std::uint64_t message);
    // Forgets every pending message of Mailbox; returns how many there were.
    size_t dropPending(std::uint64_t mailbox);
    size_t pendingCount() const { return m_pending.size(); }
    bool hasPending(std::uint64_t mailbox) const;

    // Keeps the newest MaxTrained trained messages, and no pending message
    // older than PendingDays before Today.
    void prune(size_t maxTrained, std::uint32_t today, std::uint32_t pendingDays);

    void clear();

    struct Trained {
        TrainedAs as;
        std::uint32_t day;
    };
    struct Pending {
        std::uint64_t mailbox;
        std::uint32_t day;
    };
    const std::unordered_map<std::uint64_t, Trained> &trained() const { return m_trained; }
    const std::unordered_map<std::uint64_t, Pending> &pending() const { return m_pending; }

private:
    std::unordered_map<std::uint64_t, Trained> m_trained;
    std::unordered_map<std::uint64_t, Pending> m_pending;
};

} // namespace tw
