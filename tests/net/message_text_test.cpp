#include "net/message_text.h"

#include "net/msmsg.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

TShownMessage shown(const std::string &message, const TShowLimits &limits = {})
{
    TmsMessage decoded;
    decoded.LoadFromStream(message + ".\r\n");
    return shownMessage(decoded, "/home/me/msg_3.eml", limits);
}

const std::string kMime = "From: a@b.example\r\nSubject: s\r\nMIME-Version: 1.0\r\n";

TEST(MessageText, AttachmentsAreListedAfterTheTextWithNameTypeAndSize)
{
    const TShownMessage view =
        shown(kMime + "Content-Type: multipart/mixed; boundary=OUT\r\n\r\n--OUT\r\n"
                      "Content-Type: multipart/alternative; boundary=IN\r\n\r\n--IN\r\n"
                      "Content-Type: text/plain\r\n\r\nSee the offer.\r\n--IN\r\n"
                      "Content-Type: text/html\r\n\r\n<p>See the offer.</p>\r\n--IN--\r\n--OUT\r\n"
                      "Content-Type: application/pdf; name=\"offer.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                      "JVBERi0xLjQgZmFrZQ==\r\n--OUT\r\n"
                      "Content-Type: application/octet-stream; name==?utf-8?Q?Men=C3=BC.zip?=\r\n"
                      "Content-Transfer-Encoding: base64\r\n\r\n" +
                      std::string(1368, 'A') + "\r\n--OUT--\r\n");
    EXPECT_EQ(view.text, "See the offer.");
    EXPECT_FALSE(view.html);
    // The HTML alternative is another form of the text, not an attachment.
    EXPECT_EQ(view.trailer, "Attachments: 2\n"
                            "  offer.pdf (application/pdf, 13 bytes)\n"
                            "  Men\u00fc.zip (application/octet-stream, 1.0 KB)\n");
}

TEST(MessageText, AttachmentsAreKeptForSavingUnderNamesThatCannotDoHarm)
{
    const TShownMessage view =
        shown(kMime + "Content-Type: multipart/mixed; boundary=OUT\r\n\r\n--OUT\r\n"
                      "Content-Type: text/plain\r\n\r\nHi\r\n--OUT\r\n"
                      "Content-Type: application/pdf; name=\"offer.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                      "JVBERi0xLjQgZmFrZQ==\r\n--OUT--\r\n");
    ASSERT_EQ(view.attachments.size(), 1u);
    EXPECT_EQ(view.attachments[0].name, "offer.pdf");
    EXPECT_EQ(view.attachments[0].contentType, "application/pdf");
    EXPECT_EQ(view.attachments[0].contents, "%PDF-1.4 fake");

    const std::pair<std::string, std::string> names[] = {
        {"offer.pdf", "offer.pdf"},
        {"../../.bashrc", "bashrc"},                 // no way out of the folder, nothing hidden
        {"C:\\Users\\x\\run.exe", "run.exe"},      // a Windows path
        {"a:b\x01\x7f\tc.txt", "a_bc.txt"},         // no control characters
        {"..", "attachment"},
        {"", "attachment"},
        {std::string(300, 'x') + ".zip", std::string(200, 'x')},
        {std::string(199, 'x') + "\u00e9", std::string(199, 'x')}, // never half a character
    };
    for (const auto &[name, safe] : names)
        EXPECT_EQ(safeAttachmentFileName(name), safe) << name;
}

TEST(MessageText, ATextSentAsTheFirstBase64PartIsTheBodyNotAnAttachment)
{
    const TShownMessage view =
        shown(kMime + "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\n"
                      "Content-Type: text/plain; charset=koi8-r\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                      "8NLJ18XU\r\n--B--\r\n");
    EXPECT_EQ(view.text, "\u041f\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(view.trailer, "");
}

TEST(MessageText, HtmlMailIsReadAsTextWithItsSourceBeside)
{
    struct Case {
        const char *what;
        std::string message;
        std::string text;
    } cases[] = {
        {"declared text/html",
         kMime + "Content-Type: text/html; charset=iso-8859-1\r\n\r\n<html><body><p>Caf\xE9 &amp; "
                 "<a href=\"http://shop.example/\">shop</a></p></body></html>\r\n",
         "Caf\u00e9 & shop <http://shop.example/>"},
        {"no MIME, but an HTML document", "From: a@b.example\r\n\r\n<HTML><b>Bold</b> offer</HTML>\r\n",
         "Bold offer"},
        {"the charset named by a <meta>",
         kMime + "Content-Type: text/html\r\n\r\n<html><head><meta http-equiv=\"Content-Type\" "
                 "content=\"text/html; charset=windows-1254\"></head><body>G\xFCzel \xFE</body></html>\r\n",
         "G\u00fczel \u015f"},
    };
    for (const Case &c : cases) {
        const TShownMessage view = shown(c.message);
        EXPECT_TRUE(view.html) << c.what;
        EXPECT_EQ(view.text, c.text) << c.what;
        EXPECT_EQ(view.source.rfind("<", 0), 0u) << c.what << ": " << view.source;
    }
}

TEST(MessageText, ALongTextIsCutAndTheCutSaysHowMuchWasLeftOut)
{
    struct Case {
        const char *what;
        std::string body;
        TShowLimits limits;
        std::string text;
        size_t leftOut;
        bool cut;
    } cases[] = {
        {"bytes", "abcdefghij\r\nklmnop\r\n", {12, 100, 100}, "abcdefghij\nk", 6, true},
        {"lines", "one\r\ntwo\r\nthree\r\n", {100, 2, 100}, "one\ntwo", 6, true},
        {"UTF-8 is never cut inside a character", "\u00e9\u00e9\u00e9\r\n", {3, 100, 100}, "\u00e9", 4, true},
        {"long lines are broken, not cut", "abcdefghij\r\n", {100, 100, 4}, "abcd\nefgh\nij", 0, false},
        {"a line broken into more lines than are shown", "abcdefghij\r\n", {100, 2, 4}, "abcd\nefgh", 0, true},
    };
    for (const Case &c : cases) {
        const TShownMessage view = shown("From: a@b.example\r\n\r\n" + c.body, c.limits);
        EXPECT_EQ(view.text, c.text) << c.what;
        EXPECT_EQ(view.leftOut, c.leftOut) << c.what;
        const std::string bytesLine = c.leftOut > 0 ? "; " + std::to_string(c.leftOut) + " more bytes of it are left out"
                                                    : std::string();
        EXPECT_EQ(view.trailer, c.cut ? "[The text goes on beyond what is shown here" + bytesLine +
                                            ". The whole message is in the file /home/me/msg_3.eml.]\n"
                                      : "")
            << c.what;
    }
    const TShownMessage whole = shown("From: a@b.example\r\n\r\nshort\r\n");
    EXPECT_EQ(whole.text, "short");
    EXPECT_EQ(whole.trailer, "");
}

// The shapes of message that froze the window and took gigabytes, at a size
// a test can afford (bench_body_view runs them at full size). What the
// decoder keeps is bounded by the message's size, and what is shown by the
// limits, however the bytes fall.
TEST(MessageText, LargeMessagesStayWithinTheirSizeAndTheLimits)
{
    constexpr size_t kSize = 8 * 1024 * 1024;
    std::string base64Lines;
    while (base64Lines.size() < kSize)
        base64Lines += std::string(76, 'Q') + "\r\n";
    std::string utf16;
    while (utf16.size() < kSize)
        utf16 += std::string("H\0e\0l\0l\0o\0\n\0", 12);
    std::string attachment = "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\nContent-Type: text/plain\r\n\r\n"
                             "see the file\r\n--B\r\nContent-Type: image/gif; name=big.gif\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\n" +
                             base64Lines + "--B--\r\n";
    const struct {
        const char *what;
        std::string message;
    } cases[] = {
        {"one line", "From: a@b.example\r\n\r\n" + std::string(kSize, 'x') + "\r\n"},
        {"base64 text", kMime + "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n" + base64Lines},
        {"empty lines", "From: a@b.example\r\n\r\n" + [] {
             std::string lines;
             for (size_t i = 0; i < kSize / 2; ++i)
                 lines += "\r\n";
             return lines;
         }()},
        {"UTF-16 text", kMime + "Content-Type: text/plain; charset=utf-16le\r\n\r\n" + utf16},
        {"base64 attachment", kMime + attachment},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const size_t size = c.message.size();
        TmsMessage message;
        message.LoadFromStream(c.message + ".\r\n");
        size_t kept = message.Body.text().capacity();
        for (int i = 0; i < message.Attachments.Count(); ++i)
            kept += message.Attachments.Items(i).Contents.capacity();
        EXPECT_LE(kept, size) << "the decoded text is never larger than the message";

        const TShowLimits limits;
        const TShownMessage view = shownMessage(message, "msg_0.eml");
        EXPECT_LE(view.text.size(), 3 * limits.bytes);
        EXPECT_LE(size_t(std::count(view.text.begin(), view.text.end(), '\n')), limits.lines);
        size_t longest = 0;
        for (size_t start = 0; start < view.text.size();) {
            const size_t end = std::min(view.text.find('\n', start), view.text.size());
            longest = std::max(longest, end - start);
            start = end + 1;
        }
        EXPECT_LE(longest, limits.lineLength);
    }
}

TEST(MessageText, ReadableSizes)
{
    EXPECT_EQ(readableSize(0), "0 bytes");
    EXPECT_EQ(readableSize(1), "1 byte");
    EXPECT_EQ(readableSize(1023), "1023 bytes");
    EXPECT_EQ(readableSize(2560), "2.5 KB");
    EXPECT_EQ(readableSize(3 * 1024 * 1024 + 104858), "3.1 MB");
}

} // namespace
