#include "classify/bigram_filter.h"
#include "classify/match_operators.h"

#include <gtest/gtest.h>

#include <string>

using namespace tw;

TEST(MatchOperators, OperatorTable)
{
    const std::string long300(300, 'x');
    struct Case {
        std::string_view op;
        std::string text;
        std::string pattern;
        bool caseSensitive;
        bool expected;
    } cases[] = {
        {opContains, "Buy Viagra now", "viagra", false, true},
        {opContains, "Buy Viagra now", "viagra", true, false},
        {opContains, "anything", "", false, false},
        {opContains, "", "x", false, false},
        {opEquals, "", "", false, true},
        {opEquals, "abc", "", false, false},
        {opEquals, "ABC", "abc", false, true},
        {opEquals, "\xC9t\xE9", "\xE9T\xC9", false, false}, // bytes above 127 are never folded
        {opStartsWith, "anything", "", false, true},
        {opStartsWith, "ab", "abc", false, false},
        {opStartsWith, "Hello there", "HELLO", false, true},
        {opEndsWith, "anything", "", false, true},
        {opEndsWith, "x@spam.example", "SPAM.EXAMPLE", false, true},
        {opEndsWith, "x@spam.example", "SPAM.EXAMPLE", true, false},
        {opEndsWith, "ab", "xab", false, false},
        {opEndsWith, "y" + long300, long300, false, false}, // only 255 tail bytes are compared
        {opContainsWholeWord, "Get FREE stuff!", "free", false, true},
        {opContainsWholeWord, "free-trial", "free", false, true},
        {opContainsWholeWord, "(free)", "free", false, true},
        {opContainsWholeWord, "freedom", "free", false, false},
        {opContainsWholeWord, "carefree", "free", false, false},
        {opContainsWholeWord, "free_stuff", "free", false, false},
        {opContainsWholeWord, "Get FREE stuff", "free", true, false},
        {opContainsWholeWord, "make money fast", "make money", false, false},
        {opContainsWholeWord, "   ", " ", false, false},
        {opIsBlank, " \r\n\b", "", false, true},
        {opIsBlank, "\t", "", false, false},
        {opIsUppercase, "WIN $1000 NOW!!!", "", false, true},
        {opIsUppercase, "12345", "", false, true},
        {opIsUppercase, "Win now", "", false, false},
        {opIsUppercase, "   ", "", false, false},
        {opIsUppercase, "", "", false, false},
        {opAllNumeric, "4325154", "", false, true},
        {opAllNumeric, "12_34", "", false, true},
        {opAllNumeric, "", "", false, true},
        {opAllNumeric, "12a", "", false, false},
        {opFiftyPercentNumeric, "432ab43", "", false, true},
        {opFiftyPercentNumeric, "ab12", "", false, true},
        {opFiftyPercentNumeric, "ab1", "", false, true},
        {opFiftyPercentNumeric, "abc1", "", false, false},
        {opFiftyPercentNumeric, "", "", false, true},
        {opFirstCharNumeric, "1abc", "", false, true},
        {opFirstCharNumeric, "_1abc", "", false, false},
        {opFirstCharNumeric, "", "", false, false},
        {"No such operator", "abc", "abc", false, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(matchOperator(c.op, c.text, c.pattern, c.caseSensitive), c.expected)
            << c.op << " text='" << c.text << "' pattern='" << c.pattern << "' cs=" << c.caseSensitive;
}

TEST(BigramFilter, NeverRejectsAPatternThatOccurs)
{
    const std::string text = "RECEIVED: FROM MAIL.EXAMPLE BY MX.TEST; X-MAILER: BULKBLASTER 3";
    const BigramFilter filter(text);
    for (size_t at = 0; at < text.size(); ++at)
        for (size_t length = 0; at + length <= text.size(); ++length)
            ASSERT_TRUE(filter.mayContain(BigramFilter::probesFor(text.substr(at, length))))
                << text.substr(at, length);
    EXPECT_FALSE(filter.mayContain(BigramFilter::probesFor("QQZZ")));
    EXPECT_TRUE(filter.mayContain(BigramFilter::probesFor("Q"))) << "one byte cannot be ruled out";
}
