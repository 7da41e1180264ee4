#include "net/msmsgcls.h"
#include "platform/bytes.h"
#include "fixtures/raised.h"

#include "net/errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

using namespace tw;

namespace {

TmsHeaders block(std::string_view text)
{
    TmsHeaders h;
    h.SetText(text);
    return h;
}

std::string subjectOf(std::string_view line) { return block(line).GetFieldBody("Subject"); }

bool sameMoment(TDateTime a, TDateTime b) { return std::fabs(a - b) < 1e-7; }

} // namespace

TEST(HeaderBlock, SplitsAtCrLfCrAndLf)
{
    const TmsHeaders h = block("A: 1\r\nB: 2\rC: 3\nD: 4\r\n\r\nbody");
    ASSERT_EQ(h.Count(), 6);
    EXPECT_EQ(h.Strings(3), "D: 4");
    EXPECT_EQ(h.Strings(4), "");
    EXPECT_EQ(h.Text(), "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\nbody\r\n");
}

TEST(HeaderBlock, FieldBodyLookupAndTrimming)
{
    EXPECT_EQ(subjectOf("Subject:hello"), "hello");
    EXPECT_EQ(subjectOf("Subject:    hello world   "), "hello world");
    EXPECT_EQ(subjectOf("subject: lower"), "lower");
    EXPECT_EQ(subjectOf("Subjects: not this"), "");
    EXPECT_EQ(subjectOf("Subject: first\r\n\tsecond\r\nFrom: x"), "first second");
    EXPECT_EQ(block("From: a\r\nSubject: s").GetFieldBody("Subject:"), "s");
    EXPECT_EQ(TmsHeaders().GetFieldBody("Subject"), "");
}

TEST(HeaderBlock, LongValuesAreCutExceptContentTypeAndUidl)
{
    const std::string longText(300, 'x');
    EXPECT_EQ(subjectOf("Subject: " + longText).size(), 255u);
    EXPECT_EQ(block("Content-Type: " + longText).GetFieldBody("Content-Type").size(), 300u);
    EXPECT_EQ(block("X-UIDL: " + longText).GetFieldBody("x-uidl").size(), 300u);
    EXPECT_EQ(block("Content-Type: a_b =?x?Q?c?=").GetFieldBody("Content-Type"), "a_b =?x?Q?c?=");
}

TEST(HeaderText, DecodesEncodedWords)
{
    struct Case {
        const char *in;
        std::string out;
    } cases[] = {
        {"=?iso-8859-1?Q?Caf=E9_au_lait?=", "Caf\u00e9 au lait"},
        {"=?iso-8859-1?Q?=3D?=", "="},
        {"Re: =?x?Q?a?= =?x?Q?b?=", "Re: ab"},
        {"Hello =?broken", "Hello "},
        {"plain_with_underscores", "plain_with_underscores"},
        {"=?utf-8?B?SGVsbG8gV29ybGQ=?=", "Hello World"},
        {"=?x?q?line=0Dcut?=", "line"},
        {"=?x?Q?=ZZ?=", "=ZZ"},
        // Underscores are spaces only inside Q-encoded words.
        {"snake_case =?x?Q?w_x?=", "snake_case w x"},
        {"colin_nevin@yahoo.com =?x?Q?=41?=", "colin_nevin@yahoo.com A"},
        {"=?x?B?YV9i?=", "a_b"},
        // Blanks between a word and plain text stay; between words they go.
        {"=?utf-8?Q?R=C3=A9sum=C3=A9?= attached", "R\u00e9sum\u00e9 attached"},
        {"=?utf-8?b?SGk=?= there", "Hi there"},
        {"a =?x?Q?b?=  =?x?Q?c?=\t=?x?Q?d?= e", "a bcd e"},
        // Encoded text that begins with "=" closes at the real "?=".
        {"=?gb2312?q?=C6=FB=B3=B5MBA_?=", "\u6c7d\u8f66MBA "},
        // A decoded word is not decoded a second time.
        {"=?x?B?PT94P1E/YT89?=", "=?x?Q?a?="},
        // An unknown character set keeps the decoded bytes.
        {"=?x-unheard-of?Q?=E9?=", "\xE9"},
        {"=?utf-8*en?Q?=C3=A9?=", "\u00e9"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeHeaderValue(c.in), c.out) << c.in;
}

TEST(HeaderText, EncodedWordsAreConvertedFromTheirCharacterSets)
{
    struct Case {
        const char *in;
        std::string out;
    } cases[] = {
        {"=?GB2312?B?1tDOxA==?=", "\u4e2d\u6587"},
        {"=?big5?B?pKSk5Q==?=", "\u4e2d\u6587"},
        {"=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "\u65e5\u672c\u8a9e"},
        {"=?koi8-r?Q?=F0=D2=C9=D7=C5=D4?=", "\u041f\u0440\u0438\u0432\u0435\u0442"},
        {"=?windows-1252?Q?=80?=", "\u20ac"},
        {"=?iso-8859-2?Q?=B1?=", "\u0105"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeHeaderValue(c.in), c.out) << c.in;
}

TEST(HeaderText, RawEightBitTextIsReadInTheCharsetTheMessageDeclares)
{
    struct Case {
        const char *what;
        std::string contentType; // the block's Content-Type line, "" for none
        std::string subject;     // raw bytes
        std::string read;
    } cases[] = {
        {"EUC-KR named by the Content-Type", "Content-Type: text/plain; charset=\"euc-kr\"", "[\xB1\xA4\xB0\xED] ok",
         "[\uad11\uace0] ok"},
        {"Big5", "Content-Type: text/html; charset=big5", "\xA4\xA4\xA4\xE5", "\u4e2d\u6587"},
        {"windows-1254", "Content-Type: text/plain;\r\n\tcharset=windows-1254", "G\xFCzel \xFE", "G\u00fczel \u015f"},
        {"valid UTF-8 stays, whatever is declared", "Content-Type: text/plain; charset=koi8-r", "caf\xC3\xA9",
         "caf\u00e9"},
        {"nothing declared: windows-1252", "", "caf\xE9 \x80", "caf\u00e9 \u20ac"},
        {"an unknown set: windows-1252", "Content-Type: text/plain; charset=x-unheard-of", "caf\xE9", "caf\u00e9"},
        // A set that has no 8-bit bytes, or that these bytes do not fit: the
        // sender's code page, windows-1252, and never a replacement mark.
        {"us-ascii", "Content-Type: text/plain; charset=us-ascii", "GREEN CARD CEK\xDDL\xDDS",
         "GREEN CARD CEK\u00ddL\u00ddS"},
        {"US-ASCII quoted", "Content-Type: text/plain; charset=\"US-ASCII\"", "Gambler wins \xA3" "7000",
         "Gambler wins \u00a37000"},
        {"us-ascii with quotes of a code page", "Content-Type: text/plain; charset=us-ascii",
         "\x93Hi\x94 \x96 50\x80", "\u201cHi\u201d \u2013 50\u20ac"},
        {"utf-8 that is not", "Content-Type: text/plain; charset=utf-8", "Gambler wins \xA3" "7000",
         "Gambler wins \u00a37000"},
        {"a 7-bit set", "Content-Type: text/plain; charset=iso-2022-jp", "caf\xE9", "caf\u00e9"},
        {"raw text beside an encoded word", "Content-Type: text/plain; charset=euc-kr",
         "=?utf-8?Q?caf=C3=A9?= \xB1\xA4\xB0\xED", "caf\u00e9 \uad11\uace0"},
    };
    for (const Case &c : cases) {
        const std::string text = (c.contentType.empty() ? "" : c.contentType + "\r\n") + "Subject: " + c.subject +
                                 "\r\nFrom: \"" + c.subject + "\" <a@b.example>\r\nTo: " + c.subject + " <c@d.example>";
        const TmsHeaders h = block(text);
        EXPECT_EQ(h.GetFieldBody("Subject"), c.read) << c.what;
        EXPECT_EQ(SplitAddress(h.GetFieldBody("From")).name, c.read) << c.what;
        std::vector<std::string> to;
        h.GetAddresses("To", to);
        ASSERT_EQ(to.size(), 1u) << c.what;
        EXPECT_EQ(to[0], c.read + " <c@d.example>") << c.what;
    }
    // A UTF-8 value cut to 255 bytes inside a character stays UTF-8.
    std::string long8bit;
    for (int i = 0; i < 100; ++i)
        long8bit += "\u4e2d";
    const std::string cut = subjectOf("Subject: " + long8bit);
    EXPECT_EQ(cut, long8bit.substr(0, 255));
}

TEST(HeaderText, InvalidBase64RaisesAndReachesFieldBody)
{
    EXPECT_THROW(DecodeHeaderValue("=?x?B?ab cd?="), EMessageParserError);
    const auto decode = [] { block("Subject: =?x?B?a?b?=").GetFieldBody("Subject"); };
    EXPECT_EQ(test::raisedText<EMessageParserError>(decode), "Invalid Character");
}

TEST(HeaderText, DecodingNeverGrowsBeyond255)
{
    EXPECT_LE(DecodeHeaderValue(std::string(250, 'a') + "=?x?Q?bbbbbbbbbbbb?=").size(), 255u);
    // Converted text is cut between characters, never inside one.
    std::string ninetyCharacters;
    for (int i = 0; i < 30; ++i)
        ninetyCharacters += "1tDW0NbQ"; // three times U+4E2D in GB2312
    const std::string cut = DecodeHeaderValue("=?gb2312?B?" + ninetyCharacters + "?=");
    EXPECT_EQ(cut.size(), 255u);
    EXPECT_TRUE(isValidUtf8(cut));
}

TEST(HeaderBlock, GetAddressesSplitsListsAndContinuations)
{
    const TmsHeaders h = block("To: a@x.org, \"Doe, John\" <j@x.org>,\r\n"
                               "  c@x.org\r\n"
                               "Subject: s\r\n"
                               "TO-extra: d@x.org\r\n"
                               "Cc: e@x.org");
    std::vector<std::string> list{"stale"};
    h.GetAddresses("TO", list);
    EXPECT_EQ(list, (std::vector<std::string>{"a@x.org", "\"Doe, John\" <j@x.org>", "c@x.org", "d@x.org"}));
    h.GetAddresses("Bcc", list);
    EXPECT_TRUE(list.empty());
}

TEST(HeaderBlock, DeleteFieldAndCutAtBody)
{
    TmsHeaders h = block("A: 1\r\nReceived: x\r\n y\r\n\tz\r\nB: 2\r\n\r\nbody\r\nmore");
    h.DeleteField("received");
    EXPECT_EQ(h.Text(), "A: 1\r\nB: 2\r\n\r\nbody\r\nmore\r\n");
    h.CutAtBody();
    EXPECT_EQ(h.Text(), "A: 1\r\nB: 2\r\n");
    h.CutAtBody();
    EXPECT_EQ(h.Count(), 2);
    h.DeleteField("Missing");
    EXPECT_EQ(h.Count(), 2);
}

// The lines are kept packed, one text and where each line ends: every edit
// must move the later lines' ends with it, or lookups after it read the
// wrong bytes.
TEST(HeaderBlock, EditsKeepTheLinesAfterThemIntact)
{
    using Lines = std::vector<std::string>;
    struct Case {
        const char *name;
        const char *text;
        std::function<void(TmsHeaders &)> edit;
        Lines lines;
        std::string subject;
    } cases[] = {
        {"delete in the middle", "A: 1\r\nB: 22\r\nSubject: s\r\n\tt", [](TmsHeaders &h) { h.Delete(1); },
         {"A: 1", "Subject: s", "\tt"}, "s t"},
        {"delete first and last", "A: 1\r\nSubject: s\r\nZ: 9",
         [](TmsHeaders &h) { h.Delete(h.Count() - 1); h.Delete(0); }, {"Subject: s"}, "s"},
        {"delete out of range", "Subject: s", [](TmsHeaders &h) { h.Delete(-1); h.Delete(1); }, {"Subject: s"}, "s"},
        {"field with continuations in the middle", "X: 1\r\nReceived: a\r\n b\r\nSubject: s\r\n u",
         [](TmsHeaders &h) { h.DeleteField("Received"); }, {"X: 1", "Subject: s", " u"}, "s u"},
        {"add after a deletion", "Received: a\r\nX: 1",
         [](TmsHeaders &h) { h.DeleteField("Received"); h.Add("Subject: new"); }, {"X: 1", "Subject: new"}, "new"},
        {"empty block", "", [](TmsHeaders &h) { h.CutAtBody(); h.Delete(0); h.DeleteField("A"); }, {}, ""},
        {"only empty lines", "\r\n\n\r", [](TmsHeaders &h) { h.CutAtBody(); }, {}, ""},
        {"cut at body after a deletion", "A: 1\r\nSubject: s\r\n\r\nbody",
         [](TmsHeaders &h) { h.Delete(0); h.CutAtBody(); }, {"Subject: s"}, "s"},
        {"cleared and refilled", "Subject: old\r\n\r\n",
         [](TmsHeaders &h) { h.Clear(); h.Add(""); h.Add("Subject: s"); h.Delete(0); }, {"Subject: s"}, "s"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TmsHeaders h = block(c.text);
        c.edit(h);
        ASSERT_EQ(h.Lines().copy(), c.lines);
        EXPECT_EQ(h.Count(), int(c.lines.size()));
        std::string text;
        for (const std::string &line : c.lines)
            text += line + "\r\n";
        EXPECT_EQ(h.Text(), text);
        EXPECT_EQ(h.GetFieldBody("Subject"), c.subject);
        EXPECT_EQ(h.HasEmptyLine(), std::find(c.lines.begin(), c.lines.end(), "") != c.lines.end());
        TmsHeaders rebuilt;
        for (const std::string &line : c.lines)
            rebuilt.Add(line);
        EXPECT_TRUE(h == rebuilt);
    }
}

TEST(HeaderBlock, EmptyLinesOutOfRangeLinesAndEquality)
{
    const TmsHeaders h = block("A: 1\r\n\r\nB");
    EXPECT_TRUE(h.HasEmptyLine());
    EXPECT_FALSE(block("A: 1\r\nB").HasEmptyLine());
    EXPECT_THROW((void)h.Strings(3), std::out_of_range);
    EXPECT_THROW((void)TmsHeaders().Strings(0), std::out_of_range);
    // The same bytes split into other lines are another block.
    EXPECT_FALSE(block("AB\r\nC") == block("A\r\nBC"));
    EXPECT_FALSE(block("A") == block("A\r\n\r\n"));
    EXPECT_TRUE(block("A\nB") == block("A\r\nB\r\n"));
}

TEST(Addresses, ParseAddressForms)
{
    struct Case {
        const char *in;
        const char *address;
        const char *name;
    } cases[] = {
        {"\"John Doe\" <john@x.org>", "john@x.org", "John Doe"},
        {"john@x.org (John Doe)", "john@x.org", "John Doe"},
        {"john@x.org", "john@x.org", ""},
        {"<john@x.org>", "john@x.org", ""},
        {"John <john@x.org", "", "John <john@x.org"},
        {"John >x< y", "", "John >x< y"},
        {"\"Only Name\"", "\"Only Name\"", ""},
    };
    for (const auto &c : cases) {
        const auto r = SplitAddress(c.in);
        EXPECT_EQ(r.address, c.address) << c.in;
        EXPECT_EQ(r.name, c.name) << c.in;
    }
    TmsMailAddress a;
    ParseAddress(std::string(300, 'n') + " <a@b>", a);
    EXPECT_EQ(a.Name.size(), 255u);
    EXPECT_EQ(StripQuotes("  \"\"quoted\"  "), "quoted");
}

TEST(Dates, ParseDateCases)
{
    struct Case {
        const char *in;
        TDateTime value;
        const char *rest;
    } cases[] = {
        {"Tue, 5 Dec 2000 14:03:22 EST", encodeDate(2000, 12, 5) + encodeTime(14, 3, 22), "EST"},
        {"5 Dec 00 14:03", encodeDate(2000, 12, 5) + encodeTime(14, 3, 0), ""},
        {"5 Dec 99 1:02:03 GMT", encodeDate(1999, 12, 5) + encodeTime(1, 2, 3), "GMT"},
        {"\"Mon, 1 Jan 2001\"", encodeDate(2001, 1, 1), ""},
        {"Mon, 1 Jan 2001 ", encodeDate(2001, 1, 1), ""},
        {"Mon, 01 Jan 2001, 25:99 +0100", encodeDate(2001, 1, 1), "+0100"},
        {"31 Feb 2001 10:00:00", 0, ""},
        {"yesterday", 0, ""},
        {"", 0, ""},
        {"5 Foo 2001 10:00", 0, ""},
        {"x5 Dec", 0, ""},
        // Three-digit years, with or without a leading zero, count from 1900.
        {"Thu, 18 Jul 0102 19:51:35 -0100", encodeDate(2002, 7, 18) + encodeTime(19, 51, 35), "-0100"},
        {"04 Jun 102", encodeDate(2002, 6, 4), ""},
        {"1 Jan 1000 10:00", encodeDate(1000, 1, 1) + encodeTime(10, 0, 0), ""},
    };
    for (const auto &c : cases) {
        const ParsedDate d = ParseDate(c.in);
        EXPECT_TRUE(sameMoment(d.value, c.value)) << c.in << " gave " << d.value;
        EXPECT_EQ(d.rest, c.rest) << c.in;
    }
    // A date without a time is that day at midnight.
    EXPECT_TRUE(sameMoment(ParseDate("Mon, 1 Jan 2001 x").value, encodeDate(2001, 1, 1)));
}

TEST(Words, GetWordAndParameters)
{
    EXPECT_EQ(GetWord("+OK 3 uid-abc extra", 2, true), "uid-abc");
    EXPECT_EQ(GetWord("+OK 3 uid-abc extra", 2, false), "uid-abc extra");
    EXPECT_EQ(GetWord("+OK", 1, true), "");
    EXPECT_EQ(GetWordInt("+OK 12 340", 1), 12);
    EXPECT_EQ(GetWordInt("+OK x", 1), -1);
    EXPECT_EQ(GetWordInt("+OK", 1), -1);
    EXPECT_EQ(GetParameter("boundary", "multipart/mixed; BOUNDARY=\"a b\"; x=y"), "a b");
    EXPECT_EQ(GetParameter("charset", "text/plain; charset=iso-8859-1;"), "iso-8859-1");
    EXPECT_EQ(GetParameter("name", "attachment; filename=f.txt"), "f.txt");
    EXPECT_EQ(GetParameter("charset", "text/plain"), "");
    EXPECT_EQ(GetParameter("charset", "text/plain; charset"), "");
    // An unquoted value runs to the ";" or the end, blanks included, but not
    // into a parameter that lacks its ";".
    EXPECT_EQ(GetParameter("name", "application/msword; name=Yinxiang Motorcycles.doc"), "Yinxiang Motorcycles.doc");
    EXPECT_EQ(GetParameter("filename", "attachment; filename=Two  words.doc ; size=3"), "Two  words.doc");
    EXPECT_EQ(GetParameter("charset", "text/plain; charset=us-ascii format=flowed"), "us-ascii");
    EXPECT_EQ(GetMainValue("text/plain; charset=x"), "text/plain");
    EXPECT_EQ(GetMainValue("text/html"), "text/html");
}

TEST(RemoteInfo, ItemsKeepTheirFlagsAndOrder)
{
    TmsRemoteInfo info;
    TmsRemoteInfoItem &first = info.Add();
    first.Size = 10;
    first.SetDeleteFlag(true);
    info.Add().Headers.Add("Subject: two");
    ASSERT_EQ(info.Count(), 2);
    EXPECT_TRUE(info.Items(0).DeleteFlag());
    EXPECT_FALSE(info.Items(0).RetrieveFlag());
    info.Items(0).SetRetrieveFlag(true);
    info.Items(0).SetDeleteFlag(false);
    EXPECT_TRUE(info.Items(0).RetrieveFlag());
    EXPECT_FALSE(info.Items(0).DeleteFlag());
    EXPECT_EQ(info.Items(1).Headers.GetFieldBody("Subject"), "two");
    info.Clear();
    EXPECT_EQ(info.Count(), 0);
}
