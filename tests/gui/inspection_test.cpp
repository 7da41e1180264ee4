#include "app/vheader.h"
#include "dialog_driver.h"
#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"
#include "app/optRetrieve.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kOnlyOne = "information: You have selected more than one message to view.  Only one message can "
                             "be viewed at one time.  The first one selected will be displayed.";

// The last line of every explanation while nothing has been trained.
const std::string kLearnedNotInUse =
    "Learned score: not in use until 50 junk and 50 ordinary messages are trained (now 0 and 0)";

// What the text window showed, read as it opened.
struct Shown {
    bool opened = false;
    std::string caption, title, text;
    bool readOnly = false;
};

// A message of exactly Size bytes (CR LF line ends, as the server counts them).
std::string messageOfSize(const std::string &subject, size_t size)
{
    const std::string head = message(subject, "Big Sender <big@example.org>", "");
    std::string body;
    size_t remaining = size - head.size();
    while (remaining > 80) {
        body += std::string(76, 'x') + "\r\n";
        remaining -= 78;
    }
    body += std::string(remaining - 2, 'y') + "\r\n";
    return head + body;
}

class InspectionTest : public MainWindowTest {
protected:
    std::unique_ptr<DovecotServer> server;

    void listMessages(const std::vector<std::string> &mailbox)
    {
        server = std::make_unique<DovecotServer>(mailbox);
        ASSERT_TRUE(server->started()) << server->failure();
        storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
        storeGeneral();
        start();
        window->btListClick();
        ASSERT_EQ(rows(), int(mailbox.size()));
    }
    // Runs Command and reads the text window it opens (closing it with OK).
    Shown run(QAction *action, int boundMs = 3000)
    {
        auto shown = std::make_shared<Shown>();
        onNextDialog<TfrmViewHeader>(
            [shown](TfrmViewHeader &window) {
                shown->opened = true;
                shown->caption = window.windowTitle().toStdString();
                shown->title = window.lblTitle->text().toStdString();
                shown->text = window.memoText->toPlainText().toStdString();
                shown->readOnly = window.memoText->isReadOnly();
                window.btOK->click();
            },
            boundMs);
        action->trigger();
        if (!shown->opened)
            QApplication::processEvents(); // lets a pending poll give up within its bound
        return *shown;
    }
    bool idle() const
    {
        return window->btList->isEnabled() && !window->runningState() && !progress->isVisible();
    }
};

TEST_F(InspectionTest, HeadersOfEverySelectedRowInTheirFrames)
{
    const std::vector<std::string> mailbox{message("Lunch on Friday", "Ann Smith <ann@friends.example>"),
                                           message("Cheap offer", "\"Spam King\" <king@spam.example>"),
                                           message("=?utf-8?Q?R=C3=A9sum=C3=A9?= attached", "c_n@x.example")};
    listMessages(mailbox);
    selectRows({0, 1, 2});
    const Shown shown = run(window->ViewHeader1);
    ASSERT_TRUE(shown.opened);
    EXPECT_EQ(shown.caption, "View Selected Headers");
    EXPECT_EQ(shown.title, "Contents of selected e-mail headers");
    EXPECT_TRUE(shown.readOnly);
    const std::string frame(38, '*');
    std::string expected;
    const char *const headings[] = {"Subject : Lunch on Friday Sender : ann@friends.example",
                                    "Subject : Cheap offer Sender : king@spam.example",
                                    "Subject : R\u00e9sum\u00e9 attached Sender : c_n@x.example"};
    for (size_t i = 0; i < mailbox.size(); ++i) {
        // The header lines exactly as the server sent them, encoded words included.
        const std::string headers = mailbox[i].substr(0, mailbox[i].find("\r\n\r\n"));
        expected += frame + "\n" + headings[i] + "\n" + frame + "\n";
        for (size_t at = 0; at != std::string::npos;) {
            const size_t end = headers.find("\r\n", at);
            expected += headers.substr(at, end == std::string::npos ? end : end - at) + "\n";
            at = end == std::string::npos ? end : end + 2;
        }
    }
    expected.pop_back();
    EXPECT_EQ(shown.text, expected);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(InspectionTest, BodyOfTheFirstSelectedRowIsDownloadedDecodedAndItsFileKept)
{
    const std::string mimeBody = "From: Ann <ann@friends.example>\r\nTo: tester@example.org\r\nSubject: Menu\r\n"
                                 "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=\"b1\"\r\n\r\n"
                                 "--b1\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
                                 "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                                 "Caf=E9 au lait, cr=E8me br=FBl=E9e =\r\nand tea.\r\n"
                                 "--b1\r\nContent-Type: text/html\r\n\r\n<p>Caf&eacute;</p>\r\n--b1--\r\n";
    listMessages({message("First", "a@x.example"), mimeBody, message("Third", "c@x.example")});
    selectRows({2, 1});
    const Shown shown = run(window->ViewMessages1, 30000);
    ASSERT_TRUE(shown.opened);
    EXPECT_EQ(shown.title, "Contents of e-mail");
    EXPECT_EQ(shown.text, "Caf\u00e9 au lait, cr\u00e8me br\u00fbl\u00e9e and tea.");
    EXPECT_EQ(prompts.shown, std::vector<std::string>{kOnlyOne});
    // The file stays as the server sent it, under the row's number.
    const std::string saved = home.read("msg_1.eml");
    EXPECT_EQ(saved.substr(0, mimeBody.size()), mimeBody);
    EXPECT_EQ(home.read("msg_2.eml"), "");
    EXPECT_EQ(progress->lblMessage->text().toStdString(), "Retrieving ... ");
    EXPECT_TRUE(idle());
    EXPECT_FALSE(window->msRemotePOP1.RemoteInfo().Items(1).RetrieveFlag());
    EXPECT_EQ(server->messagesLeft().size(), 3u); // viewing deletes nothing
}

TEST_F(InspectionTest, MessagesAbove50000BytesAreDownloadedOnlyWhenConfirmed)
{
    listMessages({messageOfSize("Exactly the limit", 50000), messageOfSize("One byte more", 50001)});
    ASSERT_EQ(window->msRemotePOP1.RemoteInfo().Items(0).Size, 50000);
    ASSERT_EQ(window->msRemotePOP1.RemoteInfo().Items(1).Size, 50001);
    const std::string question = "yesno: The message you have selected to view is quite large - 50001 bytes. "
                                 "Are you sure you wish to download and view it?";

    selectRows({0});
    EXPECT_TRUE(run(window->ViewMessages1, 30000).opened);
    EXPECT_TRUE(prompts.shown.empty());

    selectRows({1});
    prompts.yesNoAnswers = {false};
    window->ViewMessages1->trigger();
    EXPECT_EQ(prompts.shown, std::vector<std::string>{question});
    EXPECT_EQ(home.read("msg_1.eml"), "");

    prompts.shown.clear();
    prompts.yesNoAnswers = {true};
    EXPECT_TRUE(run(window->ViewMessages1, 30000).opened);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{question});
    EXPECT_NE(home.read("msg_1.eml"), "");
}

TEST_F(InspectionTest, AFailedDownloadIsReportedAndTheWindowReturnsToIdle)
{
    listMessages({message("First", "a@x.example")});
    server.reset(); // the server goes away between listing and viewing
    selectRows({0});
    window->ViewMessages1->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("error: ", 0), 0u) << prompts.shown[0];
    EXPECT_TRUE(idle());
    EXPECT_EQ(window->btExit->text().toStdString(), "E&xit");
}

TEST_F(InspectionTest, TheExplanationNamesTheRulesAndLeavesMarksAlone)
{
    addSubjectRule("offer");
    listMessages({message("Lunch on Friday", "Ann Smith <ann@friends.example>"),
                  message("Cheap offer", "\"Spam King\" <king@spam.example>")});
    ASSERT_EQ(window->messages.row(1).mark, 0);

    selectRows({1});
    Shown shown = run(window->Why1);
    EXPECT_EQ(shown.title, "Reasons that e-mail is marked or not marked");
    EXPECT_EQ(shown.text, "Message from king@spam.example\nSubject of   Cheap offer\n\n"
                          "Delete   :  Subject Contains \"offer\" \n" + kLearnedNotInUse);
    EXPECT_EQ(window->messages.row(1).mark, 0);
    EXPECT_TRUE(prompts.shown.empty());

    selectRows({1, 0}); // the first selected in list order is explained
    shown = run(window->Why1);
    EXPECT_EQ(shown.text, "Message from ann@friends.example\nSubject of   Lunch on Friday\n\n"
                          "Message was neither on the exception list nor on the list of matching criteria\n" +
                              kLearnedNotInUse);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{kOnlyOne});

    selectRows({0});
    window->btMarkClick(); // the user marks the row by hand
    ASSERT_EQ(window->messages.row(0).mark, 0);
    shown = run(window->Why1);
    EXPECT_EQ(shown.text, "Message from ann@friends.example\nSubject of   Lunch on Friday\n\n"
                          "Message was neither on the exception list nor on the list of matching criteria\n"
                          "** You marked this message **\n" +
                              kLearnedNotInUse);
    EXPECT_EQ(window->messages.row(0).mark, 0);
}

} // namespace
