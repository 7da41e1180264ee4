// The "Deleted mail" window driven as a user drives it: the list newest
// first, the search box, Why, View, Save as, Open in mail program, Move back
// to the inbox and Delete now on the selected copies, and every way in from
// the main window.

#include "dialog_driver.h"
#include "keep/kept_file_name.h"
#include "keep/ui/deleted_mail_model.h"
#include "keep/ui/deleted_mail_window.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace tw;
using namespace tw::test;

namespace {

const qint64 kNow = QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();

std::string keptText(const std::string &subject, const std::string &from)
{
    return "From: " + from + "\r\nSubject: " + subject + "\r\n\r\nBody of " + subject + "\r\n";
}

class DeletedMailWindowTest : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompts prompts;
    RecordingShell shell;
    DeletedMailStore store{home.file("deleted")};
    std::vector<std::string> viewed;
    std::vector<std::vector<std::string>> explained;
    std::string mailer;
    std::vector<std::string> restored;   // subject and bytes of each message taken back
    std::vector<std::vector<std::string>> movedBack; // the subjects given to each moveBack
    std::vector<MoveBackOutcome> moveBackAnswer;     // what the next moveBack says
    std::unique_ptr<TfrmDeletedMail> window;

    // Copies deleted these many minutes ago, oldest first in the list below.
    void SetUp() override
    {
        ASSERT_TRUE(store.prepareFolder());
        put("Minutes of the meeting", "Ann Smith <ann@example.org>", 300);
        put("Win a VIAGRA cruise", "king@spam.example", 200);
        put("Cheap viagra", "queen@spam.example", 100);
        put("Lunch?", "bob@viagra-fans.example", 50, true);
        DeletedMailCommands commands;
        commands.viewMessage = [this](const std::string &path, QWidget *) { viewed.push_back(path); };
        commands.showExplanation = [this](const std::vector<std::string> &lines, QWidget *) { explained.push_back(lines); };
        commands.mailProgram = [this] { return mailer; };
        commands.restored = [this](const KeptMessage &message, const std::string &bytes) {
            restored.push_back(message.subject + ": " + bytes);
        };
        commands.moveBack = [this](const std::vector<KeptMessage> &messages) {
            EXPECT_FALSE(window->isEnabled()); // no second command while the servers work
            movedBack.emplace_back();
            for (const KeptMessage &message : messages)
                movedBack.back().push_back(message.subject);
            return moveBackAnswer;
        };
        window = std::make_unique<TfrmDeletedMail>(store, commands);
        window->show();
    }
    // JunkUid: an IMAP message moved to the junk folder with that UID there
    // (0: the server did not say); none: a POP3 message.
    void put(const std::string &subject, const std::string &from, int minutesAgo, bool markedByUser = false,
             std::optional<uint32_t> junkUid = std::nullopt)
    {
        KeptMessage row;
        if (junkUid) {
            row.protocol = 1;
            row.imapFolder = "Entw&APw-rfe"; // as the server writes "Entwürfe"
            row.imapJunkFolder = "Junk";
            row.imapSourceUidValidity = 5;
            row.imapJunkUidValidity = *junkUid ? 77 : 0;
            row.imapSourceUid = uint32_t(minutesAgo);
            row.imapJunkUid = *junkUid;
        }
        row.deletedAt = kNow - minutesAgo * 60;
        row.mailbox = 1;
        row.user = "ann";
        row.server = "pop.example.org";
        row.uidl = subject;
        row.fileName = keptFileName(row.deletedAt, 1, subject);
        row.subject = subject;
        const SplitAddressResult sender = SplitAddress(from);
        row.senderAddress = sender.address;
        row.senderName = sender.name;
        row.why = {"Message from " + sender.address, "Subject of   " + subject, "", "Subject contains viagra"};
        if (markedByUser)
            row.why.push_back("** You marked this message **");
        const std::string text = keptText(subject, from);
        row.size = row.storedBytes = (long long)text.size();
        ASSERT_TRUE(writeKeptFile(store.pathOf(row.fileName), text, nullptr));
        ASSERT_TRUE(store.addRows({row}));
    }
    std::vector<std::string> shownSubjects() const
    {
        std::vector<std::string> subjects;
        for (int row = 0; row < window->model()->rowCount(); ++row)
            subjects.push_back(window->model()->message(row).subject);
        return subjects;
    }
    void select(std::initializer_list<int> rows)
    {
        window->lvDeleted->clearSelection();
        for (int row : rows)
            window->lvDeleted->selectionModel()->select(window->model()->index(row, 0),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::string cell(int row, int column) const
    {
        return window->model()->data(window->model()->index(row, column), Qt::DisplayRole).toString().toStdString();
    }
};

TEST_F(DeletedMailWindowTest, ListsNewestFirstAndTheSearchNarrowsBySubjectOrSender)
{
    EXPECT_EQ(shownSubjects(),
              (std::vector<std::string>{"Lunch?", "Cheap viagra", "Win a VIAGRA cruise", "Minutes of the meeting"}));
    EXPECT_EQ(cell(3, DeletedMailModel::Mailbox), "ann");
    EXPECT_EQ(cell(3, DeletedMailModel::Sender), "ann@example.org Ann Smith");
    EXPECT_EQ(cell(3, DeletedMailModel::Why), "Subject contains viagra");
    EXPECT_EQ(cell(0, DeletedMailModel::Why), "** You marked this message **");
    EXPECT_EQ(cell(3, DeletedMailModel::Size),
              std::to_string(keptText("Minutes of the meeting", "Ann Smith <ann@example.org>").size()));
    EXPECT_EQ(window->lblStatus->text().left(22), QStringLiteral("4 messages kept (1 KB)"));
    EXPECT_FALSE(window->btView->isEnabled()); // nothing selected yet

    QTest::keyClicks(window->edSearch, QStringLiteral("ViAgRa"));
    EXPECT_EQ(shownSubjects(), (std::vector<std::string>{"Lunch?", "Cheap viagra", "Win a VIAGRA cruise"}));
    EXPECT_TRUE(window->lblStatus->text().startsWith(QStringLiteral("3 shown of 4 messages kept")));
    window->edSearch->setText(QStringLiteral("ann smith"));
    EXPECT_EQ(shownSubjects(), (std::vector<std::string>{"Minutes of the meeting"}));
    window->edSearch->clear();
    EXPECT_EQ(shownSubjects().size(), 4u);

    // A click on a column heading sorts by it; the selection follows its copy.
    select({0});
    window->lvDeleted->sortByColumn(DeletedMailModel::Subject, Qt::AscendingOrder);
    EXPECT_EQ(shownSubjects(),
              (std::vector<std::string>{"Cheap viagra", "Lunch?", "Minutes of the meeting", "Win a VIAGRA cruise"}));
    ASSERT_EQ(window->selectedMessages().size(), 1u);
    EXPECT_EQ(window->selectedMessages()[0].subject, "Lunch?");
}

TEST_F(DeletedMailWindowTest, SaveAsWritesTheMessageExactlyAsKept)
{
    select({2});
    const QString one = QString::fromStdString(home.file("saved.eml"));
    onNextDialog<QFileDialog>([&](QFileDialog &dialog) {
        EXPECT_EQ(dialog.selectedFiles().value(0).section('/', -1), QStringLiteral("Win a VIAGRA cruise.eml"));
        acceptFileDialogWith(dialog, one);
    });
    window->btSaveAs->click();
    EXPECT_EQ(home.read("saved.eml"), keptText("Win a VIAGRA cruise", "king@spam.example"));

    // Several: into a folder, one file each, named by subject.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(home.file("out"))));
    home.write("out/Lunch_.eml", "already here");
    select({0, 1});
    onNextDialog<QFileDialog>([&](QFileDialog &dialog) {
        acceptFileDialogWith(dialog, QString::fromStdString(home.file("out")));
    });
    window->btSaveAs->click();
    EXPECT_EQ(home.read("out/Lunch.eml"), keptText("Lunch?", "bob@viagra-fans.example"));
    EXPECT_EQ(home.read("out/Cheap viagra.eml"), keptText("Cheap viagra", "queen@spam.example"));
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
}

TEST_F(DeletedMailWindowTest, DeleteNowRemovesTheCopiesForGoodAfterAQuestion)
{
    select({1, 2});
    prompts.yesNoAnswers = {false, true};
    window->btDeleteNow->click();
    EXPECT_EQ(shownSubjects().size(), 4u);
    window->btDeleteNow->click();
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>(2, "yesno: Really delete the kept copies of these 2 messages for good? It "
                                           "cannot be had back.")));
    EXPECT_EQ(shownSubjects(), (std::vector<std::string>{"Lunch?", "Minutes of the meeting"}));
    EXPECT_EQ(store.load().size(), 2u);
    EXPECT_EQ(QDir(QString::fromStdString(store.folder())).entryList(QDir::Files).size(), 3); // two copies, the index
}

TEST_F(DeletedMailWindowTest, WhyViewAndOpenHandTheSelectedCopyOn)
{
    select({1, 2});
    window->btWhy->click();
    ASSERT_EQ(explained.size(), 1u);
    EXPECT_EQ(explained[0].size(), 9u); // two explanations, an empty line between
    EXPECT_EQ(explained[0][0], "Message from queen@spam.example");

    window->btView->click();
    const std::string first = store.pathOf(window->model()->message(1).fileName);
    EXPECT_EQ(viewed, (std::vector<std::string>{first}));
    EXPECT_EQ(prompts.shown.size(), 1u); // only the first one is shown, as the note says
    EXPECT_EQ(prompts.shown[0].rfind("information: You have selected more than one message", 0), 0u);

    select({1});
    window->btOpen->click();
    mailer = "/usr/bin/mailer";
    window->btOpen->click();
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"open: " + first, "start: /usr/bin/mailer " + first}));
    shell.succeed = false;
    window->btOpen->click();
    EXPECT_EQ(prompts.shown.back(), "error: Unable to launch mail program. ");
}

TEST_F(DeletedMailWindowTest, MoveBackIsOfferedForImapMessagesThatCanBeFoundAgainAndTakesTheirCopies)
{
    put("Team outing photos", "carol@example.org", 30, false, 4001);
    put("Re: Team outing", "dave@example.org", 20, false, 4002);
    put("Invoice 12", "billing@example.com", 10, false, 0); // moved, but the server gave no COPYUID
    window->reload();
    ASSERT_EQ(shownSubjects(), (std::vector<std::string>{"Invoice 12", "Re: Team outing", "Team outing photos",
                                                         "Lunch?", "Cheap viagra", "Win a VIAGRA cruise",
                                                         "Minutes of the meeting"}));
    QAction *menuCommand = window->PopupMenu1->findChild<QAction *>(QStringLiteral("acMoveBack"));
    ASSERT_NE(menuCommand, nullptr);
    const struct {
        std::initializer_list<int> rows;
        bool offered;
    } selections[] = {{{}, false}, {{3}, false}, {{0}, false}, {{1}, true}, {{1, 2}, true}, {{1, 3}, false}};
    for (const auto &selection : selections) {
        select(selection.rows);
        EXPECT_EQ(window->btMoveBack->isEnabled(), selection.offered) << selection.rows.size();
        EXPECT_EQ(menuCommand->isEnabled(), selection.offered);
        EXPECT_TRUE(window->btDeleteNow->isEnabled() || selection.rows.size() == 0);
    }

    // One moved back, one refused: only the one moved back leaves the list,
    // with its copy, and counts as taken back.
    select({1, 2});
    moveBackAnswer = {{true, ""}, {false, "the server said: NO Mailbox is full"}};
    window->btMoveBack->click();
    EXPECT_EQ(movedBack, (std::vector<std::vector<std::string>>{{"Re: Team outing", "Team outing photos"}}));
    EXPECT_EQ(restored, std::vector<std::string>{"Re: Team outing: " +
                                                 keptText("Re: Team outing", "dave@example.org")});
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"warning: This message could not be moved back:\nTeam outing "
                                                      "photos (the server said: NO Mailbox is full)\nThe other "
                                                      "message is back in the folder it was checked in."});
    EXPECT_EQ(shownSubjects().size(), 6u);
    EXPECT_EQ(store.load().size(), 6u);
    EXPECT_TRUE(window->isEnabled());

    // The answer short of a message counts as not moved; a whole success says where it went.
    select({1});
    moveBackAnswer = {};
    window->btMoveBack->click();
    EXPECT_EQ(prompts.shown.back(),
              "warning: This message could not be moved back:\nTeam outing photos (no answer came for it)");
    moveBackAnswer = {{true, ""}};
    select({1}); // the list was read again
    window->btMoveBack->click();
    EXPECT_EQ(prompts.shown.back(), "information: The message is back in Entw\xC3\xBCrfe.");
    EXPECT_EQ(restored.size(), 2u);
    EXPECT_EQ(shownSubjects(), (std::vector<std::string>{"Invoice 12", "Lunch?", "Cheap viagra",
                                                         "Win a VIAGRA cruise", "Minutes of the meeting"}));
    EXPECT_EQ(QDir(QString::fromStdString(store.folder())).entryList(QDir::Files).size(), 6); // five copies, the index
}

// Every way in from the main window opens the window.
using DeletedMailCommandsTest = MainWindowTest;

TEST_F(DeletedMailCommandsTest, SettingsPanelTrayAndListMenuOpenDeletedMail)
{
    storeGeneral();
    start();
    for (const std::function<void()> &command : std::vector<std::function<void()>>{
             [&] { window->btDeletedMail->click(); }, [&] { window->acTrayDeletedMail->trigger(); },
             [&] { window->DeletedMail1->trigger(); }}) {
        int opened = 0;
        onNextDialog<TfrmDeletedMail>([&](TfrmDeletedMail &shown) {
            ++opened;
            EXPECT_EQ(shown.windowTitle(), QStringLiteral("Deleted mail"));
            shown.btClose->click();
        });
        command();
        EXPECT_EQ(opened, 1);
    }
}

} // namespace
