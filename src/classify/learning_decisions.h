#pragma once
// What the user's own handling of the listed messages teaches the learned
// score. Only decisions the user made train it:
//  - spam: the messages a deletion run that the user started deleted;
//  - ordinary mail: the messages whose deletion mark the user took away,
//    the messages an exception rule accepted, and the messages a run in
//    which the user deleted others left unmarked on the server, once a later
//    check finds them still there;
//  - either way: "Junk" and "Not junk" on the list, and a copy restored from
//    the kept copies of deleted mail.
// An automatic pass's deletions never train: the filter must not teach
// itself what it already believes.

#include "classify/learned_filter.h"
#include "classify/waiting_messages.h"
#include "net/msmsgcls.h"

#include <string>
#include <vector>

namespace tw {

class DecisionLearner {
public:
    explicit DecisionLearner(LearnedFilter &filter) : m_filter(filter) {}

    LearnedFilter &filter() { return m_filter; }

    // The mailbox whose messages the list holds from now on, as its server
    // and user name (the same account, however its letters are written,
    // is the same mailbox).
    void setListedMailbox(const std::string &server, const std::string &userName);
    const std::string &listedMailbox() const { return m_mailbox; }

    // An exception rule accepted the listed message: ordinary mail.
    void excepted(const TmsHeaders &headers);

    // "Junk" or "Not junk" on a listed message.
    TrainOutcome userSays(const TmsHeaders &headers, TrainedAs as);

    // A copy of a deleted message restored from the kept copies of deleted
    // mail, with the server and user name of the mailbox it was deleted
    // from: it is no longer counted as spam but as ordinary mail.
    TrainOutcome restoredFromKeptCopies(const TmsHeaders &headers, const std::string &server,
                                        const std::string &userName);

    struct Taught {
        int spam = 0;    // newly counted (or moved) as spam
        int ham = 0;     // newly counted (or moved) as ordinary mail
        int waiting = 0; // left alone, to be confirmed by a later check
    };
    // The list is about to be emptied (a new check, the refresh after a
    // deletion, the end of the program). Rows and Info are the list and its
    // header blocks, row for row; Deleted the rows whose deletion the server
    // accepted in this run (none when there was no deletion run);
    // UserStartedDeletion whether the user started that run.
    Taught listLeft(const WaitingMessages &rows, const TmsRemoteInfo &info, const std::vector<int> &deleted,
                    bool userStartedDeletion);

    // A check listed the mailbox completely: the messages left alone
    // earlier that are still there count as ordinary mail now.
    int listed(const TmsRemoteInfo &info);

private:
    static std::string mailboxName(const std::string &server, const std::string &userName);

    LearnedFilter &m_filter;
    std::string m_mailbox;
};

} // namespace tw
