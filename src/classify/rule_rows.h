#pragma once
// What the rule dialogs show for one rule, and how that is read from and
// written to a row of a rule table. Kept free of widgets so that the
// mapping can be checked on its own.

#include "classify/rule_table.h"

#include <string>
#include <vector>

namespace tw {

// The operator choices of the dialogs: a caption for the list and the name
// stored in the tables. Subject dialogs offer the first 7, sender dialogs
// all 10, header and exception dialogs the first 5.
inline constexpr int kOperatorChoiceCount = 10;
inline constexpr int kSubjectOperatorCount = 7;
inline constexpr int kTextOperatorCount = 5; // the operators that compare with a rule text
const char *operatorCaption(int index);
// The stored name of choice Index ("" outside 0..9).
std::string storedOperator(int index);
// The choice that stores Name, or -1 when no choice does.
int operatorIndex(const std::string &name);

// ---- Subject rules ---------------------------------------------------------
struct SubjectRuleFields {
    int op = 0;
    std::string text;
    bool caseMatters = false;
    bool checkMark = true;
};
// Fields for editing Row; an operator name no choice stores keeps Current's.
SubjectRuleFields subjectFieldsFromRow(const RuleTable &table, int row, const SubjectRuleFields &current = {});
// The error to show before accepting, or "" when the fields may be saved.
std::string subjectFieldsError(const SubjectRuleFields &fields);
// Writes the rule into Row (the text trimmed; "Hits" "0" when empty).
void writeSubjectRow(const SubjectRuleFields &fields, RuleTable &table, int row);

// ---- Sender rules ----------------------------------------------------------
struct SenderRuleFields {
    bool domainName = true; // false: "E-mail address"
    int op = 2;
    std::string text;
    bool checkMark = true;
};
SenderRuleFields senderFieldsFromRow(const RuleTable &table, int row, const SenderRuleFields &current = {});
std::string senderFieldsError(const SenderRuleFields &fields);
void writeSenderRow(const SenderRuleFields &fields, RuleTable &table, int row);

// ---- Header rules ----------------------------------------------------------
inline constexpr const char *kMailboxMarker = " - MailBox #";
struct HeaderRuleFields {
    enum class Kind { ReplyToMismatch, FromEqualsTo, ToLacks, MessageHeader };
    Kind kind = Kind::MessageHeader;
    int op = 0;
    std::string headerText;
    bool caseMatters = false;
    bool checkMark = true;
    std::string toAddress;   // the "To" rule's address
    std::string mailbox;     // the "To" rule's mailbox number as text ("3")
};
HeaderRuleFields headerFieldsFromRow(const RuleTable &table, int row, const HeaderRuleFields &current = {});
std::string headerFieldsError(const HeaderRuleFields &fields);
void writeHeaderRow(const HeaderRuleFields &fields, RuleTable &table, int row);
// The mailbox number a mailbox list line starts with: its text before ")".
std::string mailboxNumberOfLine(const std::string &line);

// ---- Exceptions ------------------------------------------------------------
inline constexpr const char *kExceptionLines[] = {"Subject:", "CC:", "Reply-To:", "To:", "Any Header"};
inline constexpr int kExceptionLineCount = 5;
struct ExceptionRuleFields {
    enum class Kind { EmailAddress, DomainName, HeaderLine };
    Kind kind = Kind::EmailAddress;
    std::string email;
    std::string domain;
    std::string text;      // the header line rule's text
    int line = 0;          // index into kExceptionLines, -1 for none
    int op = 0;
    bool caseMatters = false;
    int image = 3;         // 3..14
};
ExceptionRuleFields exceptionFieldsFromRow(const RuleTable &table, int row, const ExceptionRuleFields &current = {});
std::string exceptionFieldsError(const ExceptionRuleFields &fields);
void writeExceptionRow(const ExceptionRuleFields &fields, RuleTable &table, int row);
// The picker cell of an image number (0 is taken as 3) and back.
int exceptionImageCell(int image);
int exceptionImageOfCell(int row, int column);

// ---- Country picker --------------------------------------------------------
// "<code>\t<country>" entries in list order.
const std::vector<std::string> &countryEntries();
// ".<code>" of an entry, and its country name.
std::string countrySuffix(const std::string &entry);
std::string countryName(const std::string &entry);

// ---- Import ----------------------------------------------------------------
// The lines with each line that equals (exactly) the one before it removed.
std::vector<std::string> withoutConsecutiveRepeats(const std::vector<std::string> &lines);

} // namespace tw
