#pragma once
// The learned score as the program uses it: the store file read once and
// written back after training, training message by message with each
// message counted once, and scoring.
//
// Training never happens on its own: the callers (learning_decisions.h, the
// list menu, the spam settings window, tidewell-learn) train only what the
// user decided.

#include "classify/learned_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// The score acts only once this many messages of each class are trained.
inline constexpr std::uint32_t kLearnedMinimumTrained = 50;
// Past this many tokens the store drops the rarely seen old ones, down to
// nine tenths of it.
inline constexpr size_t kLearnedMaxTokens = 250000;
// The store remembers at most this many trained messages (the newest).
inline constexpr size_t kLearnedMaxTrained = 100000;
// A message left on the server unmarked waits this many days for a later check.
inline constexpr std::uint32_t kLearnedPendingDays = 60;

enum class TrainOutcome {
    Trained,        // counted in its class for the first time
    Moved,          // was counted in the other class; now in this one
    AlreadyTrained, // already counted in this class: nothing changed
    NotAvailable,   // the store could not be read, so nothing is trained
};

class LearnedFilter {
public:
    // Path: the store file (normally programFile(kLearnedStoreFile)).
    explicit LearnedFilter(std::string path);

    const std::string &path() const { return m_path; }

    // Reads the store. Returns the text to show the user when it could not
    // be used as it stood (a damaged file kept aside, a file that cannot be
    // read or comes from a later version), empty when all is well. A store
    // that cannot be read is never written over: training is then refused
    // until the program is started again. With SetDamagedAside false a
    // damaged file is left in place and counts as one that cannot be read.
    std::string load(bool setDamagedAside = true);
    // Writes the store when training changed it since it was read or last
    // written, pruning it first. False with the reason in *Why when the file
    // could not be written (the training stays in memory for the next try).
    bool save(std::string *why = nullptr);
    bool changed() const { return m_changed; }
    bool available() const { return m_available; }

    // Trains Headers (from Mailbox, "" for files) as spam or ordinary mail,
    // moving it when it was trained the other way before.
    TrainOutcome train(const TmsHeaders &headers, TrainedAs as, const std::string &mailbox);
    // How Headers from Mailbox was trained, if it was.
    std::optional<TrainedAs> trainedAs(const TmsHeaders &headers, const std::string &mailbox) const;

    // A message left on the server unmarked in a run where the user deleted others.
    void rememberLeftAlone(const TmsHeaders &headers, const std::string &mailbox);
    // A complete listing of Mailbox: the messages remembered as left alone
    // that it still holds are trained as ordinary mail, the others (taken
    // away meanwhile) are forgotten. Returns how many were trained.
    int confirmLeftAlone(const std::string &mailbox, const std::vector<const TmsHeaders *> &listed);

    // The store keeps at most this many tokens (kLearnedMaxTokens; tests use less).
    size_t maxTokens = kLearnedMaxTokens;

    std::uint32_t spamTrained() const { return m_data.counts.spamMessages; }
    std::uint32_t hamTrained() const { return m_data.counts.hamMessages; }
    size_t tokenCount() const { return m_data.counts.tokens.size(); }
    // Enough of both classes has been trained for the score to act.
    bool ready() const
    {
        return spamTrained() >= kLearnedMinimumTrained && hamTrained() >= kLearnedMinimumTrained;
    }

    double score(const TmsHeaders &headers) const { return learnedScore(m_data.counts, headers); }
    ScoreExplanation explain(const TmsHeaders &headers) const { return explainScore(m_data.counts, headers); }

    // Today as the store counts days (since 1970-01-01), from the program's clock.
    static std::uint32_t today();

private:
    std::string m_path;
    LearnedData m_data;
    bool m_changed = false;
    bool m_available = true;
};

} // namespace tw
