#pragma once
// The rules the message list's commands make from selected messages.

#include "classify/rule_files.h"

#include <string>

namespace tw {

// One message of the mark-for-deletion dialog: a subject rule "Equals" the
// subject (case matters) and/or a sender rule "E-mail address" "Equals" the
// address, each with a check mark and hit count 1, put ahead of all other
// rules of its table (into the blank row of an empty table).
void addMarkedMessageRules(RuleTables &rules, const std::string &subject, const std::string &senderAddress,
                           bool addSubject, bool addSender);

// "Domain name" "Equals" the part of Address after its first "@" (the whole
// address without one; at most 255 bytes), check mark, hits 0, appended.
void appendSenderDomainRule(RuleTable &sender, const std::string &address);

// "E-mail address" "Equals" Address, case "No", hits 0, image 3, appended.
void appendSenderException(RuleTable &exceptions, const std::string &address);

} // namespace tw
