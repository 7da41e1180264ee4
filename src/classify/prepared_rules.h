#pragma once
// The rule tables read once into a form that is quick to compare with many
// messages: operator names parsed, patterns upper-cased when case does not
// matter, flags read. Built at the start of each classification call, so
// edits to the tables are always seen; rows keep their table row number for
// hit counting.

#include "classify/bigram_filter.h"
#include "classify/match_operators.h"
#include "classify/rule_files.h"

#include <string>
#include <vector>

namespace tw {

// What a rule looks at, read once from its kind cell.
enum class RuleTarget {
    Subject,          // subject rules; "Subject" exceptions
    SenderAddress,    // "E-mail address" sender rules and exceptions
    SenderDomain,     // "Domain name" sender rules and exceptions
    AnyHeaderLine,    // "Any Header" exceptions; operator header rules
    HeaderField,      // exceptions naming a header ("To:", "CC:", ...)
    ToDoesNotContain, // header rule "To does not contain"
    SenderReplyTo,    // header rule "Sender" / "does not match Reply-to"
    SenderEqualsTo,   // header rule "Sender" with any other text
};

struct PreparedRule {
    int row = 0;               // row in its table
    RuleTarget target = RuleTarget::Subject;
    std::string what;          // sender kind / header rule kind / exception kind, as written
    std::string opName;        // the operator as written (for explanations)
    MatchOp op = MatchOp::Unknown;
    std::string text;          // the rule text as written
    std::string pattern;       // Text, upper-cased unless case-sensitive
    std::string foldedText;    // Text upper-cased, for the tests that always ignore case
    bool caseSensitive = false;
    bool check = false;        // "Del?" is "Yes"
    int image = 3;             // exceptions: the image a match gives
    std::string fieldKey;      // exceptions naming a header: the lookup key of that header
    std::vector<std::uint16_t> probes; // BigramFilter probes of FoldedText

    // Whether Text (with its upper-cased form) matches this rule's operator.
    bool matches(std::string_view text, std::string_view foldedText) const
    {
        return matchPrepared(op, text, foldedText, pattern, caseSensitive);
    }
    // The same, first asking Filter (built over FoldedText, or over a text
    // that holds it) whether the rule text can occur at all.
    bool matches(std::string_view text, std::string_view foldedText, const BigramFilter &filter) const
    {
        return (!usesText(op) || filter.mayContain(probes)) && matches(text, foldedText);
    }
    // Whether the rule text can occur in a text that Filter was built over.
    bool mayOccurIn(const BigramFilter &filter) const { return filter.mayContain(probes); }
};

struct PreparedRules {
    std::vector<PreparedRule> subject;    // up to the first row without an operator
    std::vector<PreparedRule> sender;     // likewise; always case-insensitive
    std::vector<PreparedRule> header;     // likewise
    std::vector<PreparedRule> exceptions; // every row with a kind; rows without are skipped
};

PreparedRules prepareRules(const RuleTables &tables);

} // namespace tw
