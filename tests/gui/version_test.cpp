// The version check window against a scripted web site on loopback.
#include "app/version.h"
#include "fixtures/http_script.h"
#include "fixtures/temp_home.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/ui/widget_prompts.h"
#include "dialog_driver.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace tw;
using namespace tw::test;

namespace {

const char *kNotes = R"({\rtf1{\fonttbl{\f0 Arial;}}\f0 What is new:\par Faster checks. See http://www.quillmarsh.example/news.htm\par})";

class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.agHTTP1.SetTimeOut(2);
        window.show();
    }
    // The window's site: a scripted server on loopback.
    FakeTcpServer &site()
    {
        if (!m_site) {
            m_site = std::make_unique<FakeTcpServer>();
            window.SiteAddress = "http://" + m_site->hostAndPort() + "/";
        }
        return *m_site;
    }
    // The site answers ver.txt with Version and the notes with kNotes.
    void serveSite(const std::string &version)
    {
        FakeTcpServer &server = site();
        expectHttpGet(server, "/ver.txt");
        answerHttp(server, "200 OK", version);
        server.accept();
        expectHttpGet(server, "/note.rtf");
        answerHttp(server, "200 OK", kNotes);
    }
    std::string status() const { return window.StatusBar1->currentMessage().toStdString(); }

    TempHome home;
    ScriptedPrompts prompts;
    RecordingShell shell;
    TfrmVersionCheck window;

private:
    std::unique_ptr<FakeTcpServer> m_site;
};

} // namespace

TEST_F(VersionCheckTest, ShowsTheIntroductionAndWaitsForTheUser)
{
    EXPECT_EQ(window.windowTitle(), "Version Check");
    EXPECT_EQ(window.lblTitle->text(), "Version Check for Tidewell");
    EXPECT_EQ(window.pages->currentWidget(), window.pnlIntro);
    EXPECT_TRUE(window.btCheck->isEnabled());
    EXPECT_FALSE(window.btUpdate->isEnabled());
    EXPECT_EQ(window.size(), QSize(452, 361));
}

TEST_F(VersionCheckTest, ANewerVersionIsOutOfDateAndTheNotesShowWithLinks)
{
    serveSite("2.0\r\n2026-11-30\r\n");
    window.btCheck->click();
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>{"warning: Your version is out of date, the latest version is 2.0 last updated "
                                        "on 2026-11-30"}));
    EXPECT_EQ(status(), "Out of date!  Last version was on 2026-11-30");
    EXPECT_EQ(window.lblTitle->text(), "Out of date!");
    EXPECT_FALSE(window.btCheck->isEnabled());
    EXPECT_TRUE(window.btUpdate->isEnabled());
    EXPECT_EQ(window.pages->currentWidget(), window.RichEdit1);
    EXPECT_EQ(window.RichEdit1->toPlainText().toStdString(),
              "What is new:\nFaster checks. See http://www.quillmarsh.example/news.htm\n");
    EXPECT_TRUE(window.RichEdit1->toHtml().contains("href=\"http://www.quillmarsh.example/news.htm\""));

    emit window.RichEdit1->anchorClicked(QUrl("http://www.quillmarsh.example/news.htm"));
    window.btUpdate->click();
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"url: http://www.quillmarsh.example/news.htm",
                                                     "url: " + window.SiteAddress + "update.htm"}));
    shell.succeed = false;
    window.btUpdate->click();
    EXPECT_EQ(prompts.shown.back(), "error: Couldn't open web browser for home page");

    // Each showing puts the introduction back on top.
    window.hide();
    window.show();
    EXPECT_EQ(window.pages->currentWidget(), window.pnlIntro);
}

TEST_F(VersionCheckTest, AVersionLineWithMarkupIsShownAsWritten)
{
    const std::string version = "<a href=\"http://evil.example/\">9.9</a>";
    serveSite(version + "\r\n<b>today</b>\r\n");
    WidgetPrompts desktop;
    Prompts::install(&desktop);
    auto shown = std::make_shared<std::pair<QString, Qt::TextFormat>>();
    onNextDialog<QMessageBox>([shown](QMessageBox &box) {
        const auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        ASSERT_TRUE(label);
        *shown = {label->text(), label->textFormat()};
        box.accept();
    });
    window.btCheck->click();
    Prompts::install(&prompts);
    EXPECT_EQ(shown->first.toStdString(),
              "Your version is out of date, the latest version is " + version + " last updated on <b>today</b>");
    EXPECT_EQ(shown->second, Qt::PlainText);
    EXPECT_EQ(status(), "Out of date!  Last version was on <b>today</b>");
}

TEST_F(VersionCheckTest, TheSameVersionIsTheLatest)
{
    serveSite("1.9.1\n2026-01-02\n");
    window.btCheck->click();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"information: You have the latest version - 1.9.1"}));
    EXPECT_EQ(status(), "You have the latest version - 1.9.1");
    EXPECT_EQ(window.lblTitle->text(), "Version Check for Tidewell");
    EXPECT_FALSE(window.btCheck->isEnabled());
    EXPECT_TRUE(window.btUpdate->isEnabled());
}

TEST_F(VersionCheckTest, AFailedFirstRequestSaysSoAndChangesNothing)
{
    const struct {
        const char *name;
        std::function<void(FakeTcpServer &)> script;
        const char *status;
    } cases[] = {
        {"missing document",
         [](FakeTcpServer &s) {
             expectHttpGet(s, "/ver.txt");
             answerHttp(s, "404 Not Found", "<html>No such page</html>");
         },
         "Error : HTTP/1.0 404 Not Found"},
        {"server closes early",
         [](FakeTcpServer &s) {
             expectHttpGet(s, "/ver.txt");
             s.send("HTTP/1.0 200 OK\r\nContent-Length: 40\r\n\r\n2.0\r\n");
             s.close();
         },
         "Error : "},
        {"time-out",
         [](FakeTcpServer &s) {
             expectHttpGet(s, "/ver.txt");
             s.expectClose();
         },
         "Error : "},
        {"a version document beyond 1 KB",
         [](FakeTcpServer &s) {
             expectHttpGet(s, "/ver.txt");
             s.send("HTTP/1.0 200 OK\r\n\r\n2.0\r\n" + std::string(2000, 'x'));
             s.expectClose();
         },
         "Error : Server reply is larger than allowed"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTcpServer server;
        c.script(server);
        TfrmVersionCheck check;
        check.SiteAddress = "http://" + server.hostAndPort() + "/";
        check.agHTTP1.SetTimeOut(1);
        check.show();
        prompts.shown.clear();
        check.btCheck->click();
        EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: Could not establish connection to internet."}));
        EXPECT_EQ(check.StatusBar1->currentMessage().toStdString().rfind(c.status, 0), 0u)
            << check.StatusBar1->currentMessage().toStdString();
        EXPECT_TRUE(check.btCheck->isEnabled());
        EXPECT_FALSE(check.btUpdate->isEnabled());
        EXPECT_EQ(check.lblTitle->text(), "Version Check for Tidewell");
        server.verify();
    }
}

TEST_F(VersionCheckTest, AFailedNotesRequestShowsItsErrorAndComparesNothing)
{
    FakeTcpServer &server = site();
    expectHttpGet(server, "/ver.txt");
    answerHttp(server, "200 OK", "2.0\r\n2026-11-30\r\n");
    server.accept();
    expectHttpGet(server, "/note.rtf");
    answerHttp(server, "500 Internal Server Error", "oops");
    window.btCheck->click();
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>{"error: The web site answered: HTTP/1.0 500 Internal Server Error"}));
    EXPECT_EQ(window.lblTitle->text(), "Version Check for Tidewell");
    EXPECT_FALSE(window.btUpdate->isEnabled());
    EXPECT_EQ(window.VersionLines, (std::vector<std::string>{"2.0", "2026-11-30"}));
}

TEST_F(VersionCheckTest, ReleaseNotesUpToOneMegabyteAreShownAndLargerOnesRefused)
{
    // A megabyte of notes that is nearly all web addresses, the most work
    // that showing them can take.
    std::string notes = "{\\rtf1 ";
    while (notes.size() < TfrmVersionCheck::MaxNotesBytes - 20)
        notes += "www.q" + std::to_string(notes.size() % 97) + ".example\\par ";
    notes += "}";
    FakeTcpServer &server = site();
    expectHttpGet(server, "/ver.txt");
    answerHttp(server, "200 OK", "1.9.1\r\n2026-01-02\r\n");
    server.accept();
    expectHttpGet(server, "/note.rtf");
    answerHttp(server, "200 OK", notes);
    window.btCheck->click();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"information: You have the latest version - 1.9.1"}));
    EXPECT_TRUE(window.RichEdit1->toPlainText().startsWith(QStringLiteral("www.q")));

    TfrmVersionCheck larger;
    FakeTcpServer tooLarge;
    larger.SiteAddress = "http://" + tooLarge.hostAndPort() + "/";
    larger.agHTTP1.SetTimeOut(2);
    expectHttpGet(tooLarge, "/ver.txt");
    answerHttp(tooLarge, "200 OK", "2.0\r\n2026-11-30\r\n");
    tooLarge.accept();
    expectHttpGet(tooLarge, "/note.rtf");
    tooLarge.send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(TfrmVersionCheck::MaxNotesBytes + 1) +
                  "\r\n\r\n{\\rtf1 ");
    tooLarge.expectClose();
    larger.show();
    prompts.shown.clear();
    larger.btCheck->click();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: Server reply is larger than allowed"}));
    EXPECT_FALSE(larger.btUpdate->isEnabled());
}

TEST_F(VersionCheckTest, ClosingWhileWaitingEndsTheRequestQuietly)
{
    FakeTcpServer &server = site();
    expectHttpGet(server, "/ver.txt");
    server.expectClose();
    window.agHTTP1.SetTimeOut(30);
    QTimer::singleShot(300, &window, [this] { window.btClose->click(); });
    window.btCheck->click(); // returns when the close has cancelled the wait
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
}
