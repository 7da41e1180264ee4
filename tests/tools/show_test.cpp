#include "fixtures/temp_home.h"
#include "fixtures/tool_run.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

ToolRun runShow(const QStringList &arguments, const QByteArray &input = {})
{
    return runTool(QStringLiteral(TIDEWELL_SHOW_PATH), arguments, input);
}

// A message as the program saves it: an alternative with a Latin-1 plain
// part and an HTML part, then a PDF, and the server's final dot.
const QByteArray kSaved = "From: Ann <ann@friends.example>\r\n"
                          "Subject: =?iso-8859-1?Q?Men=FC?=\r\n"
                          "MIME-Version: 1.0\r\n"
                          "Content-Type: multipart/mixed; boundary=\"out\"\r\n"
                          "\r\n"
                          "--out\r\n"
                          "Content-Type: multipart/alternative; boundary=\"in\"\r\n"
                          "\r\n"
                          "--in\r\n"
                          "Content-Type: text/plain; charset=iso-8859-1\r\n"
                          "Content-Transfer-Encoding: quoted-printable\r\n"
                          "\r\n"
                          "Caf=E9 today.\r\n"
                          "--in\r\n"
                          "Content-Type: text/html\r\n"
                          "\r\n"
                          "<p>Caf&eacute;</p>\r\n"
                          "--in--\r\n"
                          "--out\r\n"
                          "Content-Type: application/pdf; name=\"menu.pdf\"\r\n"
                          "Content-Transfer-Encoding: base64\r\n"
                          "\r\n"
                          "JVBERi0xLjQgZmFrZQ==\r\n"
                          "--out--\r\n"
                          ".\r\n";

TEST(ShowTool, PrintsTheBodyAndTheAttachmentsOfASavedMessage)
{
    test::TempHome home;
    home.write("msg_3.eml", kSaved.toStdString());
    const ToolRun fromFile = runShow({QString::fromStdString(home.file("msg_3.eml"))});
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, "Caf\u00e9 today.\n"
                            "Attachments: 2\n"
                            "_alt.0\ttext/html\t7 bit\t20\n"
                            "menu.pdf\tapplication/pdf\tBase64\t13\n");

    const ToolRun fromInput = runShow({"--headers", "-"}, kSaved);
    ASSERT_EQ(fromInput.status, 0) << fromInput.err;
    EXPECT_EQ(fromInput.out.substr(0, fromInput.out.find("Caf")),
              "From: Ann <ann@friends.example>\n"
              "Subject: =?iso-8859-1?Q?Men=FC?=\n"
              "MIME-Version: 1.0\n"
              "Content-Type: multipart/mixed; boundary=\"out\"\n"
              "\n");
    EXPECT_EQ(fromInput.out.substr(fromInput.out.find("Caf")), fromFile.out);
}

TEST(ShowTool, MistakesEndWithStatus2AndAReason)
{
    const struct {
        QStringList arguments;
        const char *reason;
    } cases[] = {
        {{}, "no FILE given"},
        {{"--body"}, "unknown option --body"},
        {{"a.eml", "b.eml"}, "only one FILE"},
        {{"/nonexistent/msg_0.eml"}, "/nonexistent/msg_0.eml"},
    };
    for (const auto &c : cases) {
        const ToolRun run = runShow(c.arguments);
        EXPECT_EQ(run.status, 2) << c.reason;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

} // namespace
