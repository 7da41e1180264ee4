#include "classify/match_operators.h"

#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

constexpr size_t kTailLimit = 255;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isWordSeparator(unsigned char c)
{
    switch (c) {
    case 9: case 10: case 13: case 32: case 33: case 34: case 35: case 36: case 37: case 38: case 39:
    case 40: case 41: case 42: case 43: case 44: case 45: case 46: case 47: case 58: case 59: case 60:
    case 61: case 62: case 63: case 64: case 91: case 92: case 93: case 94: case 96: case 123: case 124:
    case 125: case 126:
        return true;
    default:
        return false;
    }
}

bool separatorAt(std::string_view text, size_t i) { return isWordSeparator(static_cast<unsigned char>(text[i])); }

size_t digitCount(std::string_view text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return isDigit(c) || c == '_'; }));
}

// The byte-exact forms of the text operators; case folding happens before.
bool containsExact(std::string_view t, std::string_view p)
{
    return !p.empty() && !t.empty() && t.find(p) != std::string_view::npos;
}

bool startsWithExact(std::string_view t, std::string_view p) { return t.substr(0, p.size()) == p; }

bool endsWithExact(std::string_view t, std::string_view p)
{
    if (p.size() > t.size())
        return false;
    return t.substr(t.size() - p.size(), kTailLimit) == p;
}

// A word of T equals P when P occurs with a separator (or the end of T) on
// both sides and holds no separator itself; that is the same as cutting T
// into words at the separators and comparing each, without the copies.
bool wholeWordExact(std::string_view t, std::string_view p)
{
    if (isBlank(t) || isBlank(p))
        return false;
    for (size_t i = 0; i < p.size(); ++i)
        if (separatorAt(p, i))
            return false;
    for (size_t at = t.find(p); at != std::string_view::npos; at = t.find(p, at + 1)) {
        const size_t end = at + p.size();
        if ((at == 0 || separatorAt(t, at - 1)) && (end == t.size() || separatorAt(t, end)))
            return true;
    }
    return false;
}

} // namespace

MatchOp parseOperator(std::string_view name)
{
    static const std::pair<std::string_view, MatchOp> kNames[] = {
        {opContains, MatchOp::Contains},
        {opContainsWholeWord, MatchOp::ContainsWholeWord},
        {opEquals, MatchOp::Equals},
        {opStartsWith, MatchOp::StartsWith},
        {opEndsWith, MatchOp::EndsWith},
        {opIsBlank, MatchOp::IsBlank},
        {opIsUppercase, MatchOp::IsUppercase},
        {opAllNumeric, MatchOp::AllNumeric},
        {opFiftyPercentNumeric, MatchOp::FiftyPercentNumeric},
        {opFirstCharNumeric, MatchOp::FirstCharNumeric},
    };
    for (const auto &[text, op] : kNames)
        if (text == name)
            return op;
    return MatchOp::Unknown;
}

bool usesText(MatchOp op)
{
    return op == MatchOp::Contains || op == MatchOp::ContainsWholeWord || op == MatchOp::Equals ||
           op == MatchOp::StartsWith || op == MatchOp::EndsWith;
}

bool operatorUsesText(std::string_view name) { return usesText(parseOperator(name)); }

bool containsText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    return matchOperator(opContains, text, pattern, caseSensitive);
}

bool equalsText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    return caseSensitive ? text == pattern : sameText(text, pattern);
}

bool startsWithText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    return matchOperator(opStartsWith, text, pattern, caseSensitive);
}

bool endsWithText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    return matchOperator(opEndsWith, text, pattern, caseSensitive);
}

bool WholeWordCheck(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    return matchOperator(opContainsWholeWord, text, pattern, caseSensitive);
}

bool isUppercaseText(std::string_view text)
{
    if (isBlank(text))
        return false;
    return std::none_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool allNumeric(std::string_view text) { return digitCount(text) == text.size(); }

bool fiftyPercentNumeric(std::string_view text) { return digitCount(text) >= text.size() / 2; }

bool firstCharNumeric(std::string_view text) { return !text.empty() && isDigit(text.front()); }

bool matchOperator(std::string_view op, std::string_view text, std::string_view pattern, bool caseSensitive)
{
    const MatchOp parsed = parseOperator(op);
    if (caseSensitive || !usesText(parsed))
        return matchPrepared(parsed, text, text, pattern, true);
    return matchPrepared(parsed, text, upperCase(text), upperCase(pattern), false);
}

bool matchPrepared(MatchOp op, std::string_view text, std::string_view foldedText, std::string_view pattern,
                   bool caseSensitive)
{
    const std::string_view t = caseSensitive ? text : foldedText;
    switch (op) {
    case MatchOp::Contains:
        return containsExact(t, pattern);
    case MatchOp::ContainsWholeWord:
        return wholeWordExact(t, pattern);
    case MatchOp::Equals:
        return t == pattern;
    case MatchOp::StartsWith:
        return startsWithExact(t, pattern);
    case MatchOp::EndsWith:
        return endsWithExact(t, pattern);
    case MatchOp::IsBlank:
        return isBlank(text);
    case MatchOp::IsUppercase:
        return isUppercaseText(text);
    case MatchOp::AllNumeric:
        return allNumeric(text);
    case MatchOp::FiftyPercentNumeric:
        return fiftyPercentNumeric(text);
    case MatchOp::FirstCharNumeric:
        return firstCharNumeric(text);
    case MatchOp::Unknown:
        break;
    }
    return false;
}

} // namespace tw
