#pragma once
// The ordered classification of waiting messages: exceptions, size limits,
// subject, sender and header rules, the non-English test, the unknown-domain
// test, the known-spammer blacklist and, for a message none of them marked,
// the learned score. A check mark ends the sequence for a message, an
// exception ends it at once. A message whose header block was too large to
// be read whole gets a question mark and no rule is applied to it. In why
// mode every stage writes its explanation lines, scans past condemning rules
// and counts no hits.
//
// The classifier reads plain models it does not own; they must outlive it.

#include "classify/known_spammers.h"
#include "classify/learned_filter.h"
#include "classify/prepared_rules.h"
#include "classify/rule_files.h"
#include "classify/spam_test_settings.h"
#include "classify/unknown_domains.h"
#include "classify/waiting_messages.h"
#include "net/msmsgcls.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tw {

class Classifier {
public:
    Classifier(WaitingMessages &messages, const TmsRemoteInfo &remoteInfo, RuleTables &rules,
               SpamTestSettings &settings, const KnownSpammers &knownSpammers, UnknownDomains &domains, WhyLog &why);

    // The learned score the last stage reads; without one (or while it is
    // not ready) that stage never marks.
    void setLearnedFilter(const LearnedFilter *filter) { m_learned = filter; }
    // The listing whose header blocks the rows are read from, from now on
    // (a mailbox of another protocol lists into its own).
    void useRemoteInfo(const TmsRemoteInfo &remoteInfo) { m_remoteInfo = &remoteInfo; }
    // Fired outside why mode each time an exception rule accepts row Index.
    std::function<void(int index)> OnExcepted;
    // Seam for tests: fired each time row Index is classified (the work a
    // row costs), whatever asked for it.
    std::function<void(int index)> OnRowClassified;

    // The number (1..12) of the mailbox being checked, 0 for none; "To does
    // not contain" rules apply only to their own mailbox.
    void setMailboxNumber(int number) { m_mailboxNumber = number; }
    int mailboxNumber() const { return m_mailboxNumber; }

    // Classifies row Index from the mark it has, or every row when Index < 0.
    void MarkForDeletion(int index);

    // Clears every mark and classifies the whole list again. Returns whether
    // any row ended marked for deletion; when none did the caller shows
    // kNoneMatchedText, then the new ShowTotalCount.
    bool btRemarkClick();

    // The explanation of row Index's mark as "Why was this e-mail marked?"
    // shows it: the heading lines, the stage lines and the closing lines;
    // while the learned score test is on, its score and strongest clues
    // follow unless an exception accepted the message.
    // The row's mark is left as it was; hit counts do not change, but the
    // detection counters of the non-English and unknown-domain tests may.
    std::vector<std::string> explain(int index);

    // The blacklist stage's lookup (the sender address; Kind and Value out).
    bool isInKnownList(const std::string &address, std::string &kind, std::string &value) const;

    // Raises the hit count of a rule (not in why mode).
    void BumpUpGrid(RuleKind kind, int row);

    // The rows (in order) whose unknown-domain test waited for Domain's
    // answer since the last call for it or forgetWaitingRows.
    std::vector<int> takeRowsWaitingFor(const std::string &domain);
    void forgetWaitingRows() { m_waitingRows.clear(); }
    // Classifies Rows again from their marks, as MarkForDeletion does, but
    // counting nothing: no hits, no detections. For rows whose domain's
    // answer came after they were classified.
    void reclassifyQuietly(const std::vector<int> &rows);

private:
    struct Context; // one message while it is being classified

    // The rule tables prepared for matching, prepared again only after an edit.
    const PreparedRules &preparedRules();
    void classifyRow(const PreparedRules &rules, int index);
    const TmsHeaders &headersOf(int index) const;
    bool applyResult(Context &message, bool matched, bool check);
    bool stopsHere(const Context &message) const;

    // The stages, each returning whether it matched; Check tells whether the
    // finding calls for a check mark.
    bool qIsInException(Context &message, int &image);
    bool tooBigSmall(const std::string &sizeText, bool &check);
    bool qMarkThisSubject(Context &message, bool &check);
    bool qmarkThisSender(Context &message, bool &check);
    bool qMarkThisHeader(Context &message, bool &check);
    bool CheckNonAscii(Context &message, bool &check);
    bool CheckDomain(Context &message, bool &check);
    // Marks a message that no other stage marked when its learned score
    // reaches the cutoff.
    void CheckLearnedScore(Context &message);
    bool learnedTestOn() const { return m_settings.cbLearned && m_learned; }
    // The score and clue lines of the learned score; unless it Marked, the
    // score line ends with Why.
    void writeLearnedLines(const ScoreExplanation &explanation, bool marked, const std::string &why);
    // In explain(): the score of row Index when the stage did not mark it
    // (not trained enough, below the cutoff, marked by a rule already).
    void explainUnusedScore(int index, int produced);

    WaitingMessages &m_messages;
    const TmsRemoteInfo *m_remoteInfo;
    RuleTables &m_rules;
    SpamTestSettings &m_settings;
    const KnownSpammers &m_known;
    UnknownDomains &m_domains;
    WhyLog &m_why;
    int m_mailboxNumber = 0;
    int m_currentIndex = -1;  // the row being classified
    bool m_quiet = false;     // counting nothing (reclassifyQuietly)
    std::unordered_multimap<std::string, int> m_waitingRows; // lower-cased domain -> row
    const LearnedFilter *m_learned = nullptr;
    std::optional<PreparedRules> m_prepared;
    std::array<std::uint64_t, 4> m_preparedRevisions{};
    bool m_learnedWritten = false; // in why mode: the learned score's lines are written
};

inline constexpr const char *kNoneMatchedText = "None of the messages matched any of the spam criteria.";

} // namespace tw
