#include "fixtures/dovecot_server.h"
#include "classify/ui/qDelete.h"
#include "dialog_driver.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using namespace tw;
using namespace tw::test;

namespace {

class ListCommandsTest : public MainWindowTest {
protected:
    std::unique_ptr<DovecotServer> server;

    // Lists three messages: a friend's, a spammer's and one from an address without an at sign.
    void listMessages()
    {
        server = std::make_unique<DovecotServer>(std::vector<std::string>{
            message("Lunch on Friday", "Ann Smith <ann@friends.example>"),
            message("Cheap offer", "\"Spam King\" <king@spam.example>"),
            message("Another offer", "Spam Queen <queen@spam.example>")});
        ASSERT_TRUE(server->started()) << server->failure();
        storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
        storeGeneral();
        start();
        window->btListClick();
        ASSERT_EQ(rows(), 3);
    }
    // Answers the mark-for-deletion dialog when it opens: Act gets the dialog
    // and returns whether to confirm it. A dialog that does not open within
    // the driver's bound fails the test instead of hanging it.
    void answerMarkForDeletion(std::function<bool(TfrmMarkForDeletion &)> act)
    {
        onNextDialog<TfrmMarkForDeletion>([act](TfrmMarkForDeletion &dialog) {
            if (act(dialog))
                dialog.accept();
            else
                dialog.reject();
        });
    }
    SpamSettingsModel savedRules() const
    {
        SpamSettingsModel saved;
        saved.readSettings();
        return saved;
    }
};

TEST_F(ListCommandsTest, TheRightButtonMenuOffersItsCommandsInOrder)
{
    start();
    QStringList captions;
    for (QAction *action : window->PopupMenu1->actions())
        captions << action->text();
    EXPECT_EQ(captions, QStringList({"Why was this e-mail marked?", "", "Not junk", "Junk", "",
                                     "Add selected sender(s) domain to spam list",
                                     "Add selected message(s) to spam list", "",
                                     "Add selected sender(s) to exceptions list", "",
                                     "View selected message(s) headers", "View body of one message", "",
                                     "Deleted mail"}));
    EXPECT_EQ(window->ListView1->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(ListCommandsTest, EachCommandNeedsASelection)
{
    listMessages();
    selectRows({});
    size_t commands = 0;
    for (QAction *action : window->PopupMenu1->actions())
        if (!action->isSeparator() && action != window->DeletedMail1) { // Deleted mail needs no selection
            action->trigger();
            ++commands;
        }
    ASSERT_EQ(commands, 8u);
    ASSERT_EQ(prompts.shown.size(), commands);
    for (const std::string &shown : prompts.shown)
        EXPECT_EQ(shown, "information: " + window->messages.NadaSelected());
    EXPECT_TRUE(spam.rules.sender.isEmptyTable());
    EXPECT_TRUE(spam.rules.exceptions.isEmptyTable());
    EXPECT_TRUE(spam.rules.subject.isEmptyTable());
}

TEST_F(ListCommandsTest, SendersDomainsBecomeSenderRulesAndMarkTheirMessages)
{
    listMessages();
    window->messages.row(0).mark = mark::CheckMark; // a mark set by hand is lost on re-classifying
    selectRows({1, 2});

    window->Addselectedsendersdomaintospamlist1->trigger();

    for (const SpamSettingsModel &model : {spam, savedRules()}) {
        const RuleTable &sender = model.rules.sender;
        ASSERT_EQ(sender.RowCount(), 3);
        for (int row = 1; row <= 2; ++row) {
            EXPECT_EQ(sender.cell(col::What, row), "Domain name");
            EXPECT_EQ(sender.cell(col::SenderCondition, row), "Equals");
            EXPECT_EQ(sender.cell(col::SenderMatches, row), "spam.example");
            EXPECT_EQ(sender.cell(col::Delete, row), "Yes");
        }
    }
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
    EXPECT_EQ(window->messages.row(1).mark, mark::CheckMark);
    EXPECT_EQ(window->messages.row(2).mark, mark::CheckMark);
    EXPECT_EQ(window->status(), "Message Total: 3 Number Marked: 2");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ListCommandsTest, SendersBecomeExceptionsAndShowTheHand)
{
    listMessages();
    addSubjectRule("lunch");
    spam.readSettings();
    window->btRemarkClick();
    ASSERT_EQ(window->messages.row(0).mark, mark::CheckMark);
    selectRows({0});

    window->AddtoExceptions1->trigger();

    const RuleTable &exceptions = savedRules().rules.exceptions;
    ASSERT_EQ(exceptions.RowCount(), 2);
    EXPECT_EQ(exceptions.cell(col::ExceptWhat, 1), "E-mail address");
    EXPECT_EQ(exceptions.cell(col::ExceptCondition, 1), "Equals");
    EXPECT_EQ(exceptions.cell(col::ExceptMatches, 1), "ann@friends.example");
    EXPECT_EQ(exceptions.cell(col::ExceptCase, 1), "No");
    EXPECT_EQ(window->messages.row(0).mark, mark::DefaultException);
}

TEST_F(ListCommandsTest, MarkedMessagesBecomeSubjectAndSenderRulesOnTop)
{
    listMessages();
    selectRows({1, 2});
    std::vector<std::string> shownInDialog;
    answerMarkForDeletion([&shownInDialog](TfrmMarkForDeletion &dialog) {
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 2; ++column) {
                const QTableWidgetItem *item = dialog.StringGrid1->item(row, column);
                shownInDialog.push_back(item ? item->text().toStdString() : "");
            }
        return dialog.cbSubject->isChecked() && dialog.cbFrom->isChecked();
    });

    window->AddtoSPAMlist1->trigger();

    EXPECT_EQ(shownInDialog, (std::vector<std::string>{"Cheap offer", "king@spam.example", "Another offer",
                                                       "queen@spam.example", "", ""}));
    const SpamSettingsModel saved = savedRules();
    ASSERT_EQ(saved.rules.subject.RowCount(), 3);
    EXPECT_EQ(saved.rules.subject.cell(col::Matches, 1), "Another offer");
    EXPECT_EQ(saved.rules.subject.cell(col::Matches, 2), "Cheap offer");
    ASSERT_EQ(saved.rules.sender.RowCount(), 3);
    EXPECT_EQ(saved.rules.sender.cell(col::SenderMatches, 1), "queen@spam.example");
    EXPECT_EQ(saved.rules.sender.cell(col::SenderMatches, 2), "king@spam.example");
    // Re-classified with the new rules at once.
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
    EXPECT_EQ(window->messages.row(1).mark, mark::CheckMark);
    EXPECT_EQ(window->messages.row(2).mark, mark::CheckMark);
}

TEST_F(ListCommandsTest, CancellingTheMarkDialogAddsNothingButStillReclassifies)
{
    listMessages();
    window->messages.row(0).mark = mark::CheckMark; // set by hand
    selectRows({1});
    answerMarkForDeletion([](TfrmMarkForDeletion &) { return false; });

    window->AddtoSPAMlist1->trigger();

    EXPECT_TRUE(spam.rules.subject.isEmptyTable());
    EXPECT_TRUE(spam.rules.sender.isEmptyTable());
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
}

} // namespace
