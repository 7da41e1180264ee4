#include "classify/message_row.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(MessageRow, HeaderBlockStopsAtFirstEmptyLine)
{
    const std::string text = "Subject: hi\r\n\tthere\nFrom: A <a@b.example>\r\n\r\nbody line\r\n";
    const HeaderBlock block = readHeaderBlock(text);
    EXPECT_EQ(block.headers.Lines().copy(), (std::vector<std::string>{"Subject: hi", "\tthere", "From: A <a@b.example>"}));
    EXPECT_EQ(block.bytesRead, text.find("body"));

    const HeaderBlock unterminated = readHeaderBlock("Subject: x");
    EXPECT_EQ(unterminated.headers.Count(), 1);
    EXPECT_EQ(unterminated.bytesRead, 10u);
}

TEST(MessageRow, RowTakesSubjectSenderAndSize)
{
    TmsHeaders headers;
    headers.SetText("From: \"Ann Other\" <ann@x.example>\r\nSubject: =?x?Q?Caf=E9?=\r\nDate: someday");
    const TWaitingMessage row = rowFromHeaders(headers, 1234);
    EXPECT_EQ(row.subject, "Caf\xE9");
    EXPECT_EQ(row.senderAddress, "ann@x.example");
    EXPECT_EQ(row.senderName, "Ann Other");
    EXPECT_EQ(row.sizeText, "1234");
    EXPECT_EQ(row.dateText, "someday");
    EXPECT_EQ(row.mark, mark::None);

    headers.SetText("Subject: =?x?B?!!!!?=\r\nFrom: a@b");
    EXPECT_EQ(rowFromHeaders(headers, 1).subject, "") << "an undecodable subject leaves the cell empty";
}
