#pragma once
// The ordered classification of waiting messages: exceptions, size limits,
// subject, sender and header rules, the non-English test, the unknown-domain
// test and the known-spammer blacklist. A check mark ends the sequence for a
// message, an exception ends it at once. In why mode every stage writes its
// explanation lines, scans past condemning rules and counts no hits.
//
// The classifier reads plain models it does not own; they must outlive it.

#include "classify/known_spammers.h"
#include "classify/rule_files.h"
#include "classify/spam_test_settings.h"
#include "classify/unknown_domains.h"
#include "classify/waiting_messages.h"
#include "net/msmsgcls.h"

#include <string>
#include <vector>

namespace tw {

class Classifier {
public:
    Classifier(WaitingMessages &messages, const TmsRemoteInfo &remoteInfo, RuleTables &rules,
               SpamTestSettings &settings, const KnownSpammers &knownSpammers, UnknownDomains &domains, WhyLog &why);

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
    // shows it: the heading lines, the stage lines and the closing lines.
    // The row's mark is left as it was; hit counts do not change, but the
    // detection counters of the non-English and unknown-domain tests may.
    std::vector<std::string> explain(int index);

    // The stages, each returning whether it matched (see the class comment).
    bool qIsInException(int index, const std::string &subject, const std::string &sender, int &image);
    bool tooBigSmall(const std::string &sizeText, bool &check);
    bool qMarkThisSubject(const std::string &subject, bool &check);
    bool qmarkThisSender(const std::string &sender, bool &check);
    bool qMarkThisHeader(int index, bool &check);
    bool CheckNonAscii(int index, bool &check);
    bool CheckDomain(int index, bool &check);
    bool isInKnownList(const std::string &address, std::string &kind, std::string &value) const;

    // Raises the hit count of a rule (not in why mode).
    void BumpUpGrid(RuleKind kind, int row);

private:
    void classifyRow(int index);
    const TmsHeaders &headersOf(int index) const;
    bool applyResult(int index, bool matched, bool check);
    bool stopsHere(int index) const;

    WaitingMessages &m_messages;
    const TmsRemoteInfo &m_remoteInfo;
    RuleTables &m_rules;
    SpamTestSettings &m_settings;
    const KnownSpammers &m_known;
    UnknownDomains &m_domains;
    WhyLog &m_why;
    int m_mailboxNumber = 0;
};

inline constexpr const char *kNoneMatchedText = "None of the messages matched any of the spam criteria.";

} // namespace tw
