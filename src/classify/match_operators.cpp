#include "classify/match_operators.h"

#include "platform/bytes.h"

#include <algorithm>
#include <string>

namespace tw {

namespace {

constexpr size_t kTailLimit = 255;

bool sameBytes(std::string_view a, std::string_view b, bool caseSensitive)
{
    return caseSensitive ? a == b : sameText(a, b);
}

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

size_t digitCount(std::string_view text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return isDigit(c) || c == '_'; }));
}

} // namespace

bool containsText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    if (pattern.empty() || text.empty())
        return false;
    return caseSensitive ? text.find(pattern) != std::string_view::npos
                         : findText(text, pattern) != std::string_view::npos;
}

bool equalsText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    return sameBytes(text, pattern, caseSensitive);
}

bool startsWithText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    return sameBytes(text.substr(0, std::min(pattern.size(), text.size())), pattern, caseSensitive);
}

bool endsWithText(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    if (pattern.size() > text.size())
        return false;
    const std::string_view tail = text.substr(text.size() - pattern.size(), kTailLimit);
    return sameBytes(tail, pattern, caseSensitive);
}

bool WholeWordCheck(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    if (isBlank(text) || isBlank(pattern))
        return false;
    // Most texts do not hold the pattern at all; finding that out needs no copies.
    if (!containsText(text, pattern, caseSensitive))
        return false;
    std::string t = caseSensitive ? std::string(text) : upperCase(text);
    const std::string p = caseSensitive ? std::string(pattern) : upperCase(pattern);
    for (char &c : t)
        if (isWordSeparator(static_cast<unsigned char>(c)))
            c = '\t';
    t += '\t';
    size_t begin = 0;
    for (size_t tab = t.find('\t'); tab != std::string::npos; begin = tab + 1, tab = t.find('\t', begin)) {
        const std::string_view piece(t.data() + begin, tab - begin);
        if (!piece.empty() && piece == p)
            return true;
    }
    return false;
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
    if (op == opContains)
        return containsText(text, pattern, caseSensitive);
    if (op == opContainsWholeWord)
        return WholeWordCheck(text, pattern, caseSensitive);
    if (op == opEquals)
        return equalsText(text, pattern, caseSensitive);
    if (op == opStartsWith)
        return startsWithText(text, pattern, caseSensitive);
    if (op == opEndsWith)
        return endsWithText(text, pattern, caseSensitive);
    if (op == opIsBlank)
        return isBlank(text);
    if (op == opIsUppercase)
        return isUppercaseText(text);
    if (op == opAllNumeric)
        return allNumeric(text);
    if (op == opFiftyPercentNumeric)
        return fiftyPercentNumeric(text);
    if (op == opFirstCharNumeric)
        return firstCharNumeric(text);
    return false;
}

bool operatorUsesText(std::string_view op)
{
    return op == opContains || op == opContainsWholeWord || op == opEquals || op == opStartsWith || op == opEndsWith;
}

} // namespace tw
