#include "platform/rtf_text.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(RtfText, KeepsTheTextAndDropsEverythingElse)
{
    const struct {
        const char *document;
        const char *text;
    } cases[] = {
        {"plain notes\nline two", "plain notes\nline two"},
        {"", ""},
        {R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red255\green0\blue0;}\f0\fs20 Version 2.0\par
New: {\b faster} checks.\par})",
         "Version 2.0\nNew: faster checks.\n"},
        {R"({\rtf1 a\tab b\line c\~d\_e})", "a\tb\nc d-e"},
        {R"({\rtf1 \{braces\} and \\ back})", "{braces} and \\ back"},
        {R"({\rtf1 caf\'e9 \'80 \u8364? \u-4064?x})", "caf\xC3\xA9 \xE2\x82\xAC \xE2\x82\xAC \xEF\x80\xA0x"},
        {"{\\rtf1{\\*\\generator Writer;}{\\info{\\title T}}See http://www.quillmarsh.example/}\n}",
         "See http://www.quillmarsh.example/"},
        {R"({\rtf1 unclosed {group)", "unclosed group"},
        {R"({\rtf1 trailing \)", "trailing "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rtfToText(c.document), c.text) << c.document;
}
