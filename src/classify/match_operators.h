#pragma once
// The operators a rule names to compare a piece of a message with its text.
// Pure byte-string tests: case folding touches only 'a'..'z', and the edge
// behaviour (empty texts, the 255-byte tail of "Ends with", the underscore
// counted as a digit) is part of each operator's meaning.

#include <string>
#include <string_view>

namespace tw {

// The operator names exactly as they stand in the rule tables.
inline constexpr std::string_view opContains = "Contains";
inline constexpr std::string_view opContainsWholeWord = "Contains (whole word)";
inline constexpr std::string_view opEquals = "Equals";
inline constexpr std::string_view opStartsWith = "Starts with";
inline constexpr std::string_view opEndsWith = "Ends with";
inline constexpr std::string_view opIsBlank = "Is blank";
inline constexpr std::string_view opIsUppercase = "Is UPPERCASE";
inline constexpr std::string_view opAllNumeric = "All numeric";
inline constexpr std::string_view opFiftyPercentNumeric = "50% numeric";
inline constexpr std::string_view opFirstCharNumeric = "First char numeric";

enum class MatchOp {
    Contains,
    ContainsWholeWord,
    Equals,
    StartsWith,
    EndsWith,
    IsBlank,
    IsUppercase,
    AllNumeric,
    FiftyPercentNumeric,
    FirstCharNumeric,
    Unknown, // a cell naming no operator: never matches
};

// The operator a rule-table cell names (exact text), or MatchOp::Unknown.
MatchOp parseOperator(std::string_view name);
// True for the operators that compare with a rule text (the first five).
bool usesText(MatchOp op);
bool operatorUsesText(std::string_view name);

// Text contains Pattern; an empty pattern or text never matches.
bool containsText(std::string_view text, std::string_view pattern, bool caseSensitive);
// Text equals Pattern (two empty texts are equal).
bool equalsText(std::string_view text, std::string_view pattern, bool caseSensitive);
// Text begins with Pattern; an empty pattern matches every text.
bool startsWithText(std::string_view text, std::string_view pattern, bool caseSensitive);
// Text ends with Pattern; only the last 255 bytes are compared, so a pattern
// longer than 255 bytes never matches. An empty pattern matches every text.
bool endsWithText(std::string_view text, std::string_view pattern, bool caseSensitive);
// Pattern is one of the words of Text, words being cut at the separator
// bytes (punctuation, blanks; not letters, digits or "_"). A pattern holding
// a separator therefore never matches; a blank text or pattern never does.
bool WholeWordCheck(std::string_view text, std::string_view pattern, bool caseSensitive);
// Not blank, and holds no byte 'a'..'z'.
bool isUppercaseText(std::string_view text);
// Every byte is a digit or "_" (true for an empty text).
bool allNumeric(std::string_view text);
// At least half the bytes (rounded down) are digits or "_".
bool fiftyPercentNumeric(std::string_view text);
// The first byte is '0'..'9'.
bool firstCharNumeric(std::string_view text);

// Applies the operator named Op; an unknown name never matches. Operators
// that take no pattern or case ignore those arguments.
bool matchOperator(std::string_view op, std::string_view text, std::string_view pattern, bool caseSensitive);

// The same for callers that compare one text with many rules: they fold
// each text and each pattern once. Text is the text as it is, FoldedText the
// same upper-cased; Pattern must already be upper-cased when CaseSensitive
// is false.
bool matchPrepared(MatchOp op, std::string_view text, std::string_view foldedText, std::string_view pattern,
                   bool caseSensitive);

} // namespace tw
