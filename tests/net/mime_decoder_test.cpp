#include "net/mime_decoder.h"
#include "net/message_text.h"
#include "net/msmsg.h"
#include "net/transfer_codings.h"

#include "net/errors.h"
#include "fixtures/temp_home.h"
#include "platform/text_file.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

using Lines = std::vector<std::string>;

// Joins Lines with CR LF and adds the server's final "." line.
std::string served(const Lines &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text + ".\r\n";
}

struct Decoded {
    TmsMessage message;
    explicit Decoded(const Lines &lines) { message.LoadFromStream(served(lines)); }
    Lines attachmentNames() const
    {
        Lines names;
        for (int i = 0; i < message.Attachments.Count(); ++i)
            names.push_back(message.Attachments.Items(i).FileName());
        return names;
    }
    const TmsAttItem &attachment(int i) const { return message.Attachments.Items(i); }
};

// The body text as the body view reads it, in lines.
Lines shownLines(const TmsMessage &message) { return splitLines(shownMessage(message, "msg_0.eml").text); }

const Lines kMime = {"From: Ann <ann@example.org>", "Subject: test", "MIME-Version: 1.0"};

Lines with(Lines head, const Lines &rest)
{
    head.insert(head.end(), rest.begin(), rest.end());
    return head;
}

Lines errorReport(const std::string &error)
{
    return {"The following error has been occured while processing the message:", error,
            "The original message will be stored as an attachment"};
}

TEST(MimeDecoder, SinglePartBodies)
{
    {
        SCOPED_TRACE("plain, no MIME-Version: the final dot goes, a doubled dot stays");
        const Decoded d({"From: a@b.c", "Subject: Hi", "", "Line one", "..", "", "Last"});
        EXPECT_EQ(d.message.Body.lines(), (Lines{"Line one", "..", "", "Last"}));
        EXPECT_EQ(d.message.Subject(), "Hi");
        EXPECT_EQ(d.message.Attachments.Count(), 0);
    }
    {
        SCOPED_TRACE("quoted-printable: soft breaks joined, =3D decoded");
        const Decoded d(with(kMime, {"Content-Type: text/plain; charset=iso-8859-1",
                                     "Content-Transfer-Encoding: quoted-printable", "", "a=3Db and a long=",
                                     " line joined", "Caf=E9"}));
        EXPECT_EQ(d.message.Body.lines(), (Lines{"a=b and a long line joined", "Caf\xE9"}));
        EXPECT_EQ(d.message.CharSet, TCharSet::csISO8859);
        EXPECT_EQ(shownLines(d.message), (Lines{"a=b and a long line joined", "Caf\u00e9"}));
    }
    {
        SCOPED_TRACE("HTML: the source text, nothing rendered");
        const Decoded d(with(kMime, {"Content-Type: text/html", "", "<html><b>Hi</b></html>"}));
        EXPECT_EQ(d.message.Body.lines(), (Lines{"<html><b>Hi</b></html>"}));
        EXPECT_EQ(d.message.ContentType(), "text/html");
    }
    {
        SCOPED_TRACE("base64 text: decoded, the dot line skipped");
        const Decoded d(with(kMime, {"Content-Type: text/plain; charset=koi8-r", "Content-Transfer-Encoding: base64",
                                     "", "8NLJ18XU"}));
        EXPECT_EQ(d.message.Body.lines(), (Lines{"\xF0\xD2\xC9\xD7\xC5\xD4"}));
        EXPECT_EQ(shownLines(d.message), (Lines{"\u041f\u0440\u0438\u0432\u0435\u0442"}));
    }
    {
        SCOPED_TRACE("a non-text type is a single attachment");
        const Decoded d(with(kMime, {"Content-Type: application/pdf; name=\"r.pdf\"",
                                     "Content-Transfer-Encoding: base64", "", "JVBERi0xLjQgZmFrZQ=="}));
        EXPECT_TRUE(d.message.Body.empty());
        ASSERT_EQ(d.attachmentNames(), (Lines{"r.pdf"}));
        EXPECT_EQ(d.attachment(0).Contents, "%PDF-1.4 fake");
        EXPECT_EQ(d.attachment(0).ContentType(), "application/pdf");
        EXPECT_EQ(d.attachment(0).Encoding, TAttEncoding::Base64);
    }
}

TEST(MimeDecoder, MultipartMessages)
{
    {
        SCOPED_TRACE("alternative: the plain part is the body, the HTML part _alt.0");
        const Decoded d(with(kMime, {"Content-Type: multipart/alternative; boundary=\"XY\"", "", "preamble", "--XY",
                                     "Content-Type: text/plain", "", "plain text", "--XY",
                                     "Content-Type: text/html", "", "<p>html</p>", "--XY--"}));
        EXPECT_EQ(d.message.Body.lines(), (Lines{"plain text"}));
        ASSERT_EQ(d.attachmentNames(), (Lines{"_alt.0"}));
        EXPECT_EQ(d.attachment(0).Contents, "<p>html</p>\r\n");
        EXPECT_EQ(d.attachment(0).ContentType(), "text/html");
    }
    {
        SCOPED_TRACE("mixed holding an alternative and a PDF");
        const Decoded d(with(kMime, {"Content-Type: multipart/mixed; boundary=OUT", "", "--OUT",
                                     "Content-Type: multipart/alternative; boundary=IN", "", "--IN",
                                     "Content-Type: text/plain", "", "inner plain", "--IN",
                                     "Content-Type: text/html", "", "<p>inner</p>", "--IN--", "", "--OUT",
                                     "Content-Type: application/pdf; name=\"offer.pdf\"",
                                     "Content-Transfer-Encoding: base64", "", "JVBERi0xLjQgZmFrZQ==", "--OUT--"}));
        EXPECT_EQ(d.message.Body.lines(), (Lines{"inner plain"}));
        ASSERT_EQ(d.attachmentNames(), (Lines{"_alt.0", "offer.pdf"}));
        EXPECT_EQ(d.attachment(1).Contents, "%PDF-1.4 fake");
    }
    {
        SCOPED_TRACE("mixed whose only part is text/plain");
        Decoded d(with(kMime, {"Content-Type: multipart/mixed; boundary=B", "", "--B",
                               "Content-Type: text/plain; charset=us-ascii", "", "only", "--B--", "epilogue"}));
        EXPECT_EQ(d.message.Body.lines(), (Lines{"only"}));
        EXPECT_EQ(d.message.ContentType(), "text/plain");
        EXPECT_EQ(d.message.Attachments.Count(), 0);
    }
    {
        SCOPED_TRACE("first part base64: no body, the part is the first attachment and is what is read");
        const Decoded d(with(kMime, {"Content-Type: multipart/mixed; boundary=B", "", "--B",
                                     "Content-Type: text/plain", "Content-Transfer-Encoding: base64", "",
                                     "UGxhaW4gdGV4dCBzZW50IGFzIGJhc2U2NC4NClNlY29uZCBsaW5lLg0K", "--B",
                                     "Content-Type: image/gif", "Content-Transfer-Encoding: base64",
                                     "Content-Disposition: attachment; filename=\"x.gif\"", "", "R0lG", "--B--"}));
        EXPECT_TRUE(d.message.Body.empty());
        ASSERT_EQ(d.attachmentNames(), (Lines{"att.0", "x.gif"}));
        EXPECT_EQ(shownLines(d.message), (Lines{"Plain text sent as base64.", "Second line."}));
        EXPECT_EQ(d.attachment(1).Contents, "GIF");
    }
}

TEST(MimeDecoder, ErrorsBecomeAReportAndTheOriginalMessage)
{
    struct Case {
        const char *what;
        Lines lines;
        std::string error;
        Lines bodyBefore;
    } cases[] = {
        {"boundary never occurs",
         with(kMime, {"Content-Type: multipart/mixed; boundary=NEVER", "", "--OTHER", "text"}),
         "Cannot find boundary",
         {}},
        {"corrupt base64 attachment",
         with(kMime, {"Content-Type: multipart/mixed; boundary=B", "", "--B", "Content-Type: text/plain", "", "body",
                      "--B", "Content-Type: application/zip; name=a.zip", "Content-Transfer-Encoding: base64", "",
                      "UEsD!!!!", "--B--"}),
         "Invalid Character",
         {"body"}},
        {"corrupt encoded word in the sender", {"From: =?x?B?a b?= <a@b.c>", "", "text"}, "Invalid Character", {}},
        {"uuencoded line with a character outside the set",
         {"From: a@b.c", "", "begin 644 f.bin", "\x7F\x7F\x7F", "end"},
         "Error decoding the attachment",
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Decoded d(c.lines);
        Lines expected = c.bodyBefore;
        for (const std::string &line : errorReport(c.error))
            expected.push_back(line);
        EXPECT_EQ(d.message.Body.lines(), expected);
        ASSERT_GE(d.message.Attachments.Count(), 1);
        const TmsAttItem &original = d.attachment(d.message.Attachments.Count() - 1);
        EXPECT_EQ(original.FileName(), "original.eml");
        EXPECT_EQ(original.ContentType(), "message/rfc822");
        EXPECT_EQ(original.Encoding, TAttEncoding::SevenBit);
        EXPECT_EQ(original.Contents, served(c.lines));
    }
}

TEST(MimeDecoder, QuotedPrintableDecodesOnlyWholeEscapes)
{
    const struct {
        const char *line;
        const char *decoded;
    } cases[] = {
        {"pesquisa-acao.asp?codcategoria=8", "pesquisa-acao.asp?codcategoria=8\r\n"}, // one digit at the end
        {"a=3Db=3d", "a=b=\r\n"},
        {"=4G and =ZZ and = alone", "=4G and =ZZ and = alone\r\n"},
        {"soft=", "soft"},
        {"soft with blanks= \t", "soft with blanks"},
        {"=41=42", "AB\r\n"},
    };
    for (const auto &c : cases) {
        std::string out;
        QuotedPrintableDecoder().addLine(c.line, out);
        EXPECT_EQ(out, c.decoded) << c.line;
    }
}

TEST(MimeDecoder, ABase64TextFollowedByAListFooterKeepsBoth)
{
    // "SGVsbG8sIHdvcmxkIQ0KU2Vjb25kIGxpbmU=" is "Hello, world!\r\nSecond line".
    const Lines footer = {"", "_______________________________________________", "List mailing list",
                          "list@lists.example.org"};
    const Lines shown = {"Hello, world!", "Second line", "_______________________________________________",
                         "List mailing list", "list@lists.example.org"};
    {
        SCOPED_TRACE("single-part body");
        const Decoded d(with(kMime, with({"Content-Type: text/html; charset=us-ascii",
                                          "Content-Transfer-Encoding: base64", "",
                                          "SGVsbG8sIHdvcmxkIQ0KU2Vjb25kIGxpbmU="},
                                         footer)));
        EXPECT_EQ(d.message.Body.lines(), shown);
        EXPECT_EQ(d.message.Attachments.Count(), 0);
    }
    {
        SCOPED_TRACE("first part of a multipart message, read as its first attachment");
        const Decoded d(with(kMime, with(with({"Content-Type: multipart/mixed; boundary=B", "", "--B",
                                               "Content-Type: text/plain", "Content-Transfer-Encoding: base64", "",
                                               "SGVsbG8sIHdvcmxkIQ0KU2Vjb25kIGxpbmU="},
                                              footer),
                                         {"--B--"})));
        EXPECT_TRUE(d.message.Body.empty());
        ASSERT_EQ(d.message.BodyAttachment, 0);
        EXPECT_EQ(d.attachment(0).Contents, "Hello, world!\r\nSecond line\r\n"
                                            "_______________________________________________\r\n"
                                            "List mailing list\r\nlist@lists.example.org\r\n");
    }
}

TEST(MimeDecoder, UuencodedFilesInAPlainMessage)
{
    const Decoded d({"From: a@b.c", "", "Here it is:", "", "begin 644 hello.txt", ",2&5L;&\\L('=O<FQD", "`", "end",
                     "between files", "begin 600 \"two words.txt\"", "#2&D*", "`", "end"});
    EXPECT_EQ(d.message.Body.lines(), (Lines{"Here it is:", ""}));
    EXPECT_EQ(d.message.Encoding, TMsgEncoding::meUU);
    ASSERT_EQ(d.attachmentNames(), (Lines{"hello.txt", "two words.txt"}));
    EXPECT_EQ(d.attachment(0).Contents, "Hello, world");
    EXPECT_EQ(d.attachment(1).Contents, "Hi\n");
}

TEST(MimeDecoder, LongLinesAreReadWhole)
{
    const std::string longLine(100000, 'x');
    {
        SCOPED_TRACE("plain line of 100,000 bytes and what follows it");
        const Decoded d({"From: a@b.c", "", longLine, "after"});
        EXPECT_EQ(d.message.Body.lines(), (Lines{longLine, "after"}));
    }
    {
        SCOPED_TRACE("quoted-printable line longer than 255");
        std::string encoded;
        for (int i = 0; i < 100; ++i)
            encoded += "=41b";
        const Decoded d(with(kMime, {"Content-Transfer-Encoding: quoted-printable", "", encoded + "=", "end"}));
        std::string expected;
        for (int i = 0; i < 100; ++i)
            expected += "Ab";
        EXPECT_EQ(d.message.Body.lines(), (Lines{expected + "end"}));
    }
    {
        SCOPED_TRACE("base64 line longer than 255, and a paragraph far over 24 KB");
        std::string encoded;
        for (int i = 0; i < 10000; ++i)
            encoded += "QUJD"; // "ABC"
        const Decoded d(with(kMime, {"Content-Transfer-Encoding: base64", "", encoded}));
        ASSERT_EQ(d.message.Body.lineCount(), 1u);
        EXPECT_EQ(d.message.Body.back().size(), 30000u);
    }
}

TEST(MimeDecoder, BodyIsShownInItsCharacterSet)
{
    struct Case {
        const char *contentType;
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"text/plain; charset=\"GB2312\"", "\xD6\xD0\xCE\xC4", "\u4e2d\u6587"},
        {"text/plain; charset=big5", "\xA4\xA4\xA4\xE5", "\u4e2d\u6587"},
        {"text/plain; charset=ISO-2022-JP", "\x1B$BF|K\\8l\x1B(B", "\u65e5\u672c\u8a9e"},
        {"text/plain; charset=windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", "\u041f\u0440\u0438\u0432\u0435\u0442"},
        {"text/plain", "caf\xC3\xA9", "caf\u00e9"},           // undeclared, valid UTF-8
        {"text/plain; charset=x-none", "caf\xE9", "caf\u00e9"}, // unknown and not UTF-8: Latin-1
    };
    for (const Case &c : cases) {
        const Decoded d(with(kMime, {std::string("Content-Type: ") + c.contentType, "", c.bytes}));
        EXPECT_EQ(shownLines(d.message), (Lines{c.shown})) << c.contentType;
    }
}

TEST(MessageObject, TakesTheHeaderFields)
{
    const Decoded d({"From: \"Colin Nevin\" <colin_nevin@yahoo.com>", "To: a@x.org, B <b@x.org>", "Cc: c@x.org",
                     "Subject: =?utf-8?Q?R=C3=A9sum=C3=A9?= attached", "X-Priority: 1",
                     "Return-receipt-to: colin_nevin@yahoo.com", "", "body"});
    const TmsMessage &m = d.message;
    EXPECT_EQ(m.Sender.Address, "colin_nevin@yahoo.com");
    EXPECT_EQ(m.Sender.Name, "Colin Nevin");
    ASSERT_EQ(m.Recipients.Count(), 2);
    EXPECT_EQ(m.Recipients.Items(1).Address, "b@x.org");
    EXPECT_EQ(m.CC.Count(), 1);
    EXPECT_EQ(m.Subject(), "R\u00e9sum\u00e9 attached");
    EXPECT_EQ(m.Priority, TPriority::ptHigh);
    EXPECT_TRUE(m.ReturnReceipt);
    EXPECT_EQ(m.Headers.Count(), 6);
    EXPECT_NO_THROW(m.Validate());

    TmsMessage empty;
    EXPECT_THROW(empty.Validate(), EMessageError);
    TmsMessage copy;
    copy.Assign(m);
    EXPECT_EQ(copy.Body, m.Body);
    EXPECT_EQ(copy.Recipients.Count(), 2);
}

TEST(MessageObject, LoadFromFileReplacesTheOldMessage)
{
    test::TempHome home;
    home.write("msg_0.eml", served({"From: a@b.c", "Subject: new", "", "fresh"}));
    TmsMessage message;
    message.SetSubject("xxx tidewell");
    message.Body.push_back("stale");
    message.LoadFromFile(home.file("msg_0.eml"));
    EXPECT_EQ(message.Subject(), "new");
    EXPECT_EQ(message.Body.lines(), (Lines{"fresh"}));
    EXPECT_THROW(message.LoadFromFile(home.file("missing.eml")), ETidewellError);
}

TEST(MessageObject, AttachmentTypeAndEncodingFollowTheFileName)
{
    struct Case {
        const char *name;
        const char *type;
        TAttEncoding encoding;
    } cases[] = {
        {"notes.txt", "text/plain", TAttEncoding::QuotedPrintable},
        {"page.html", "text/html", TAttEncoding::QuotedPrintable},
        {"mail.eml", "message/rfc822", TAttEncoding::SevenBit},
        {"photo.jpg", "image/jpeg", TAttEncoding::Base64},
        {"blob.unheardof", "application/octet-stream", TAttEncoding::Base64},
    };
    for (const Case &c : cases) {
        TmsAttItem item;
        item.SetFileName(c.name);
        EXPECT_EQ(item.ContentType(), c.type) << c.name;
        EXPECT_EQ(item.Encoding, c.encoding) << c.name;
    }
}

TEST(MessageObject, ControlCharactersInAnAttachmentNameBecomeUnderscores)
{
    // A hostile message names its file with NUL bytes; the platform's file
    // type table crashed on such names.
    TmsAttItem item;
    item.SetFileName(std::string("ab\0\0.txt\x01", 9));
    EXPECT_EQ(item.FileName(), "ab__.txt_");
    EXPECT_EQ(item.ContentType(), "application/octet-stream");

    TmsMessage message;
    const char sent[] = "Subject: file\r\n\r\nbegin 644 Pa\0\0.t\r\n#86)C\r\n`\r\nend\r\n.\r\n";
    message.LoadFromStream(std::string(sent, sizeof sent - 1));
    ASSERT_EQ(message.Attachments.Count(), 1);
    EXPECT_EQ(message.Attachments.Items(0).FileName(), "Pa__.t");
    EXPECT_EQ(message.Attachments.Items(0).Contents, "abc");
}

} // namespace
