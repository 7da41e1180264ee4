#include "app/vheader.h"
#include "dialog_driver.h"
#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"
#include "app/optRetrieve.h"
#include "settings/settings_store.h"

#include <QAction>
#include <QMenu>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kOnlyOne = "information: You have selected more than one message to view.  Only one message can "
                             "be viewed at one time.  The first one selected will be displayed.";

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
    EXPECT_EQ(shown.caption, "View Message Body");
    EXPECT_EQ(shown.title, "Contents of e-mail");
    EXPECT_EQ(shown.text, "Caf\u00e9 au lait, cr\u00e8me br\u00fbl\u00e9e and tea.");
    EXPECT_EQ(prompts.shown, std::vector<std::string>{kOnlyOne});
    // The file stays as the server sent it, under the row's number.
    const std::string saved = home.read("msg_1.eml");
    EXPECT_EQ(saved.substr(0, mimeBody.size()), mimeBody);
    EXPECT_EQ(home.read("msg_2.eml"), "");
    EXPECT_EQ(window->status(), "Connection closed"); // as the download left it
    EXPECT_TRUE(idle());
    EXPECT_FALSE(window->msRemotePOP1.RemoteInfo().Items(1).RetrieveFlag());
    EXPECT_EQ(server->messagesLeft().size(), 3u); // viewing deletes nothing
}

TEST_F(InspectionTest, HtmlMailIsReadAsTextWithItsSourceAtASwitchInAWindowThatKeepsItsSize)
{
    const std::string html = "From: Shop <shop@offers.example>\r\nTo: tester@example.org\r\nSubject: Offer\r\n"
                             "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
                             "--b1\r\nContent-Type: text/html; charset=iso-8859-1\r\n\r\n"
                             "<html><body><p>Caf&eacute; <b>deals</b></p><a href=\"http://offers.example/x\">Buy</a>"
                             "<script>steal()</script></body></html>\r\n"
                             "--b1\r\nContent-Type: application/pdf; name=\"offer.pdf\"\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQgZmFrZQ==\r\n--b1--\r\n";
    listMessages({html});
    selectRows({0});
    struct Seen {
        std::string text, source;
        bool switchShown = false;
    };
    auto seen = std::make_shared<Seen>();
    onNextDialog<TfrmViewHeader>(
        [seen](TfrmViewHeader &view) {
            seen->text = view.memoText->toPlainText().toStdString();
            seen->switchShown = view.cbSource->isVisibleTo(&view);
            view.cbSource->click();
            seen->source = view.memoText->toPlainText().toStdString();
            view.resize(700, 500); // the user makes it larger
            view.btOK->click();
        },
        30000);
    window->ViewMessages1->trigger();
    EXPECT_TRUE(seen->switchShown);
    EXPECT_EQ(seen->text, "Caf\u00e9 deals\n\nBuy <http://offers.example/x>\n\n"
                          "Attachments: 1\n  offer.pdf (application/pdf, 13 bytes)");
    EXPECT_EQ(seen->source.substr(0, 30), "<html><body><p>Caf&eacute; <b>");
    EXPECT_NE(seen->source.find("\n\nAttachments: 1\n"), std::string::npos);
    EXPECT_EQ(readTextWindowSize(), (TextWindowSize{700, 500}));

    // The next text window opens at that size; a plain text has no switch.
    auto reopened = std::make_shared<std::pair<QSize, bool>>();
    onNextDialog<TfrmViewHeader>([reopened](TfrmViewHeader &view) {
        *reopened = {view.size(), view.cbSource->isVisibleTo(&view)};
        view.btOK->click();
    });
    window->ViewHeader1->trigger();
    EXPECT_EQ(reopened->first, QSize(700, 500));
    EXPECT_FALSE(reopened->second);

    // A size stored on a larger screen is brought within this one.
    saveTextWindowSize({5000, 5000});
    onNextDialog<TfrmViewHeader>([reopened](TfrmViewHeader &view) {
        reopened->first = view.size();
        view.btOK->click();
    });
    window->ViewHeader1->trigger();
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_LE(reopened->first.width(), screen.width());
    EXPECT_LE(reopened->first.height(), screen.height());
}

TEST_F(InspectionTest, AnAttachmentIsSavedWhereTheUserSaysAsAPrivateFileUnderASafeName)
{
    const std::string mail = "From: Shop <shop@offers.example>\r\nTo: tester@example.org\r\nSubject: Offer\r\n"
                             "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
                             "--b1\r\nContent-Type: text/plain\r\n\r\nSee attached.\r\n"
                             "--b1\r\nContent-Type: application/pdf; name=\"../../.offer.pdf\"\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQgZmFrZQ==\r\n--b1--\r\n";
    listMessages({mail});
    selectRows({0});
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("saved.pdf"));
    struct Seen {
        bool buttonShown = false;
        QStringList choices;
        QString suggested;
    };
    auto seen = std::make_shared<Seen>();
    onNextDialog<TfrmViewHeader>(
        [seen, target](TfrmViewHeader &view) {
            seen->buttonShown = view.btSaveAttachment->isVisibleTo(&view);
            if (!view.btSaveAttachment->menu())
                return view.btOK->click();
            for (const QAction *action : view.btSaveAttachment->menu()->actions())
                seen->choices << action->text();
            onNextDialog<QFileDialog>([seen, target](QFileDialog &dialog) {
                if (auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                    seen->suggested = name->text();
                acceptFileDialogWith(dialog, target);
            });
            view.btSaveAttachment->menu()->actions().front()->trigger();
            view.btOK->click();
        },
        30000);
    window->ViewMessages1->trigger();
    EXPECT_TRUE(seen->buttonShown);
    EXPECT_EQ(seen->choices, QStringList{QStringLiteral("../../.offer.pdf (application/pdf, 13 bytes)")});
    EXPECT_EQ(seen->suggested, QStringLiteral("offer.pdf"));
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("%PDF-1.4 fake"));
    struct stat info {};
    ASSERT_EQ(::stat(target.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(InspectionTest, DecodingRunsBesideTheWindowAndCancelStopsIt)
{
    start();
    std::string big = message("Big", "a@x.example", "");
    while (big.size() < 60'000'000)
        big += "a line of a message far too long to read\r\n";
    home.write("msg_0.eml", big);
    auto during = std::make_shared<std::pair<std::string, bool>>();
    QTimer::singleShot(0, progress.get(), [this, during] {
        // The interface thread runs while the message is decoded.
        *during = {progress->lblTitle->text().toStdString(), progress->isVisible()};
        progress->btCancel->click();
    });
    EXPECT_FALSE(window->decodeForViewing(home.file("msg_0.eml")));
    EXPECT_EQ(during->first, "Decoding the message ... standby");
    EXPECT_TRUE(during->second);
    EXPECT_EQ(window->status(), "Operation has been canceled");
    EXPECT_TRUE(idle());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(home.read("msg_0.eml").size(), big.size()); // the saved message stays whole

    const std::optional<TShownMessage> shown = window->decodeForViewing(home.file("msg_0.eml"));
    ASSERT_TRUE(shown);
    EXPECT_GT(shown->leftOut, 0u);
    EXPECT_NE(shown->trailer.find(home.file("msg_0.eml")), std::string::npos);
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

TEST_F(InspectionTest, DuringADownloadExitKeepsItsCaptionAndAClickCancelsItThenDoesWhatItSays)
{
    server = std::make_unique<DovecotServer>(std::vector<std::string>{message("First", "a@x.example")});
    ASSERT_TRUE(server->started()) << server->failure();
    storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral([](GeneralSettings &g) { g.SysTray = true; }); // the Exit button reads "&Hide"
    start();
    window->btListClick();
    ASSERT_EQ(rows(), 1);
    selectRows({0});

    auto during = std::make_shared<std::vector<std::string>>();
    QTimer::singleShot(0, progress.get(), [this, during] {
        // The download waits for the server; the window is live meanwhile.
        *during = {progress->lblTitle->text().toStdString(), window->btExit->text().toStdString()};
        window->btExit->click();
    });
    // A viewer that opens all the same is noted and closed, so the test cannot
    // hang on it; the watch ends with the test (no poll is left behind).
    bool opened = false;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&opened] {
        if (auto *viewer = qobject_cast<TfrmViewHeader *>(QApplication::activeModalWidget())) {
            opened = true;
            viewer->btOK->click();
        }
    });
    watch.start();
    window->ViewMessages1->trigger();
    watch.stop();

    EXPECT_EQ(*during, (std::vector<std::string>{"Retrieving messages ... standby", "&Hide"}));
    EXPECT_FALSE(opened); // the download was canceled: no message is shown
    EXPECT_TRUE(window->trayIcon->programHidden()); // and then the program went to the tray
    EXPECT_EQ(window->status(), "Operation has been canceled");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(idle());
    EXPECT_EQ(window->btExit->text(), "&Hide");
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

TEST_F(InspectionTest, EverythingWrittenIntoTheProgramFolderIsTheOwnersAlone)
{
    const mode_t savedMask = ::umask(022); // the usual umask, which left files readable by everyone
    addSubjectRule("offer");
    listMessages({message("Cheap offer", "king@spam.example"), message("Lunch", "ann@friends.example")});
    selectRows({1});
    ASSERT_TRUE(run(window->ViewMessages1, 30000).opened);
    prompts.yesNoAnswers = {true};
    window->btDeleteClick(); // the log, the counter, the rules' hit counts
    ::umask(savedMask);

    ASSERT_NE(home.read("msg_1.eml"), "");
    ASSERT_NE(log(), "");
    int files = 0;
    for (QDirIterator it(QString::fromStdString(home.path()), QDir::Files | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const std::string path = it.next().toStdString();
        EXPECT_EQ(fileMode(path) & 077, 0u) << path << " is readable by others";
        ++files;
    }
    EXPECT_GE(files, 6); // registry.ini, tidewell.ini, rule files, msg_1.eml, the log
}

TEST_F(InspectionTest, EveryMessageFileIsRemovedAtStartAndAPlantedLinkIsNotFollowed)
{
    QTemporaryDir outsideFolder; // not a TempHome: the program folder stays the fixture's
    const std::string victim = outsideFolder.path().toStdString() + "/victim";
    {
        QFile file(QString::fromStdString(victim));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    const auto victimText = [&] {
        QFile file(QString::fromStdString(victim));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    };
    for (const char *name : {"msg_0.eml", "msg_100.eml", "msg_119.eml", "msg_70000.eml"})
        home.write(name, "an old message");
    ASSERT_EQ(::symlink(victim.c_str(), home.file("msg_5.eml").c_str()), 0);
    home.write("notes.eml", "not a downloaded message");

    listMessages({message("First", "a@x.example")});

    for (const char *name : {"msg_0.eml", "msg_100.eml", "msg_119.eml", "msg_70000.eml", "msg_5.eml"})
        EXPECT_EQ(fileMode(home.file(name)), 0u) << name << " is still there";
    EXPECT_EQ(home.read("notes.eml"), "not a downloaded message");
    EXPECT_EQ(victimText(), "precious");

    // A link planted where the download is to be written is refused.
    ASSERT_EQ(::symlink(victim.c_str(), home.file("msg_0.eml").c_str()), 0);
    selectRows({0});
    window->ViewMessages1->trigger();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("not a regular file"), std::string::npos) << prompts.shown[0];
    EXPECT_EQ(victimText(), "precious");
    EXPECT_TRUE(idle());
}

TEST_F(InspectionTest, TheExplanationNamesTheRulesAndLeavesMarksAlone)
{
    addSubjectRule("offer");
    listMessages({message("Lunch on Friday", "Ann Smith <ann@friends.example>"),
                  message("Cheap offer", "\"Spam King\" <king@spam.example>")});
    ASSERT_EQ(window->messages.row(1).mark, 0);

    selectRows({1});
    Shown shown = run(window->Why1);
    EXPECT_EQ(shown.caption, "Why Is This E-mail Marked?"); // not the caption of the other two
    EXPECT_EQ(shown.title, "Reasons that e-mail is marked or not marked");
    EXPECT_EQ(shown.text, "Message from king@spam.example\nSubject of   Cheap offer\n\n"
                          "Delete   :  Subject Contains \"offer\" ");
    EXPECT_EQ(window->messages.row(1).mark, 0);
    EXPECT_TRUE(prompts.shown.empty());

    selectRows({1, 0}); // the first selected in list order is explained
    shown = run(window->Why1);
    EXPECT_EQ(shown.text, "Message from ann@friends.example\nSubject of   Lunch on Friday\n\n"
                          "Message was neither on the exception list nor on the list of matching criteria");
    EXPECT_EQ(prompts.shown, std::vector<std::string>{kOnlyOne});

    selectRows({0});
    window->btMarkClick(); // the user marks the row by hand
    ASSERT_EQ(window->messages.row(0).mark, 0);
    shown = run(window->Why1);
    EXPECT_EQ(shown.text, "Message from ann@friends.example\nSubject of   Lunch on Friday\n\n"
                          "Message was neither on the exception list nor on the list of matching criteria\n"
                          "** You marked this message **");
    EXPECT_EQ(window->messages.row(0).mark, 0);
}

} // namespace
