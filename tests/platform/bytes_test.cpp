#include "platform/bytes.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(Bytes, CaseFoldingTouchesOnlyAsciiLetters)
{
    EXPECT_EQ(upperCase("abz\xe4[1"), "ABZ\xe4[1");
    EXPECT_EQ(lowerCase("ABZ\xc4@"), "abz\xc4@");
    EXPECT_TRUE(sameText("Viagra", "vIAGRA"));
    EXPECT_FALSE(sameText("\xe4", "\xc4"));
    EXPECT_LT(compareText("abc", "ABD"), 0);
    EXPECT_EQ(compareText("abc", "ABC"), 0);
    EXPECT_EQ(findText("Hello World", "WORLD"), 6u);
}

TEST(Bytes, BlankMeansOnlySpaceCrLfAndBackspace)
{
    EXPECT_TRUE(isBlank(""));
    EXPECT_TRUE(isBlank(" \r\n\b"));
    EXPECT_FALSE(isBlank("\t"));
    EXPECT_FALSE(isBlank(" x "));
}

TEST(Bytes, NumbersConvertStrictly)
{
    EXPECT_EQ(toIntDef(" 42 ", 0), 42);
    EXPECT_EQ(toIntDef("-7", 0), -7);
    EXPECT_EQ(toIntDef("4x", -1), -1);
    EXPECT_EQ(toIntDef("99999999999", -1), -1);
    EXPECT_EQ(toIntDef("", 3), 3);
}

TEST(Bytes, DisplayShowsUtf8OrLatin1)
{
    EXPECT_EQ(toDisplay("Gr\xc3\xbc\xc3\x9f"), QString::fromUtf8("Grüß"));
    EXPECT_EQ(toDisplay("Gr\xfc\xdf"), QString::fromUtf8("Grüß"));
    EXPECT_EQ(fromDisplay(QString::fromUtf8("Grüß")), "Gr\xc3\xbc\xc3\x9f");
}
