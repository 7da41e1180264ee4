// The rule dialogs, the country picker, the import, mark-for-deletion and
// sensitivity dialogs, driven through their widgets.

#include "app/resources_init.h"
#include "classify/ui/ascii.h"
#include "classify/ui/header.h"
#include "classify/ui/import.h"
#include "classify/ui/internt.h"
#include "classify/ui/optalway.h"
#include "classify/ui/optfrom.h"
#include "classify/ui/optsubj.h"
#include "classify/ui/qDelete.h"
#include "dialog_driver.h"
#include "platform/prompts.h"

#include "classify/ui/dialog_parts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>

using namespace tw;
using namespace tw::test;

namespace {

class RuleDialogsTest : public ::testing::Test {
protected:
    ScriptedPrompts prompts;
    RuleDialogsTest() { loadResources(); }

    // Clicks OK of a shown dialog; true when it closed accepted.
    static bool clickOk(QDialog &dialog)
    {
        dialog.findChild<QPushButton *>("btOK")->click();
        return !dialog.isVisible() && dialog.result() == QDialog::Accepted;
    }
};

TEST_F(RuleDialogsTest, SubjectDialogRefusesABlankTextOnlyForOperatorsThatUseIt)
{
    TfrmOptionsSubject dialog;
    dialog.show();
    dialog.edit1->setEditText("   ");
    EXPECT_FALSE(clickOk(dialog));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"error: The From field cannot be left blank."});

    dialog.cbWhat->setCurrentIndex(5); // "Is blank or empty"
    EXPECT_FALSE(dialog.edit1->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.cbCase->isVisibleTo(&dialog));
    EXPECT_TRUE(clickOk(dialog));
    RuleTable table = emptyRuleTable(RuleKind::Subject);
    writeSubjectRow(dialog.fields(), table, 1);
    EXPECT_EQ(table.cell(col::What, 1), "Is blank");
    EXPECT_EQ(table.cell(col::Matches, 1), "");
    EXPECT_EQ(table.cell(col::Case, 1), "");
    EXPECT_EQ(table.cell(col::Hits, 1), "0");
}

TEST_F(RuleDialogsTest, SubjectTextIsTrimmedOnOk)
{
    TfrmOptionsSubject dialog;
    dialog.show();
    dialog.edit1->setEditText("  free money \t");
    EXPECT_TRUE(clickOk(dialog));
    EXPECT_EQ(dialog.fields().text, "free money");
}

TEST_F(RuleDialogsTest, SenderDialogBlocksACountryPickedFromTheList)
{
    TfrmOptionsFROM dialog;
    dialog.show();
    EXPECT_EQ(dialog.cbDomain->currentText(), "Domain name");
    EXPECT_EQ(dialog.cbWhat->currentText(), "Equals (exact match)");
    QString shownCountries;
    onNextDialog<TfrmInternet>([&shownCountries](TfrmInternet &picker) {
        shownCountries = QString::number(picker.ListView1->topLevelItemCount());
        EXPECT_EQ(picker.ListView1->currentItem()->text(1), "Afghanistan");
        const auto found = picker.ListView1->findItems("Germany", Qt::MatchExactly, 1);
        ASSERT_EQ(found.size(), 1);
        picker.ListView1->setCurrentItem(found[0]);
        picker.findChild<QPushButton *>("btOK")->click();
    });
    dialog.btCountry->click();
    EXPECT_EQ(shownCountries, "243");
    EXPECT_EQ(dialog.lblCountry->text(), "Germany");
    ASSERT_TRUE(clickOk(dialog));
    RuleTable table = emptyRuleTable(RuleKind::Sender);
    writeSenderRow(dialog.fields(), table, 1);
    EXPECT_EQ(table.cell(col::What, 1), "Domain name");
    EXPECT_EQ(table.cell(col::SenderCondition, 1), "Ends with");
    EXPECT_EQ(table.cell(col::SenderMatches, 1), ".DE");
    EXPECT_EQ(table.cell(col::Delete, 1), "Yes");
}

TEST_F(RuleDialogsTest, SenderDialogRefusesABlankTextAndDropsAHiddenOne)
{
    TfrmOptionsFROM dialog;
    dialog.show();
    EXPECT_FALSE(clickOk(dialog));
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"error: The Sender field cannot be left blank."});

    dialog.edit1->setEditText("casino");
    dialog.cbWhat->setCurrentIndex(7); // "Is ALL numeric"
    EXPECT_TRUE(clickOk(dialog));
    RuleTable table = emptyRuleTable(RuleKind::Sender);
    writeSenderRow(dialog.fields(), table, 1);
    EXPECT_EQ(table.cell(col::SenderCondition, 1), "All numeric");
    EXPECT_EQ(table.cell(col::SenderMatches, 1), "");
}

TEST_F(RuleDialogsTest, HeaderDialogFromTheCountryPickerAndItsErrors)
{
    TfrmHeaders dialog({"1) ann - server pop.example", "3) bob - server mail.example"});
    dialog.show();
    EXPECT_TRUE(dialog.rbHeader->isChecked());
    EXPECT_EQ(dialog.cbHeader->currentText(), "X-1");
    EXPECT_FALSE(dialog.edTo->isVisibleTo(&dialog));

    dialog.cbHeader->setEditText("");
    EXPECT_FALSE(clickOk(dialog));
    dialog.rbTo->click();
    EXPECT_TRUE(dialog.edTo->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.cbHeader->isVisibleTo(&dialog));
    EXPECT_FALSE(clickOk(dialog));
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: The header text cannot be blank",
                                                       "error: The TO field cannot be blank"}));

    onNextDialog<TfrmInternet>([](TfrmInternet &picker) {
        picker.ListView1->setCurrentItem(picker.ListView1->findItems("Japan", Qt::MatchExactly, 1).value(0));
        picker.findChild<QPushButton *>("btOK")->click();
    });
    dialog.cbCase->setChecked(true);
    dialog.btCountry->click();
    EXPECT_TRUE(dialog.rbHeader->isChecked());
    ASSERT_TRUE(clickOk(dialog));
    RuleTable table = emptyRuleTable(RuleKind::Header);
    writeHeaderRow(dialog.fields(), table, 1);
    EXPECT_EQ(table.cell(col::What, 1), "Ends with");
    EXPECT_EQ(table.cell(col::Matches, 1), ".JP");
    EXPECT_EQ(table.cell(col::Case, 1), "No");
}

TEST_F(RuleDialogsTest, HeaderToRuleStoresTheChosenMailboxNumber)
{
    TfrmHeaders dialog({"1) ann - server pop.example", "3) bob - server mail.example"});
    dialog.show();
    dialog.rbTo->click();
    dialog.edTo->setText("bob@mail.example");
    dialog.cbMailBox->setCurrentIndex(1);
    ASSERT_TRUE(clickOk(dialog));
    RuleTable table = emptyRuleTable(RuleKind::Header);
    writeHeaderRow(dialog.fields(), table, 1);
    EXPECT_EQ(table.cell(col::What, 1), "To does not contain");
    EXPECT_EQ(table.cell(col::Matches, 1), "bob@mail.example - MailBox #3");
    EXPECT_EQ(table.cell(col::Case, 1), "No");
}

TEST_F(RuleDialogsTest, ExceptionDialogErrorsAndPictureChoice)
{
    TfrmAlwaysAccept dialog;
    dialog.show();
    EXPECT_TRUE(dialog.rbEmail->isChecked());
    struct Case {
        QRadioButton *kind;
        const char *error;
    } cases[] = {{dialog.rbEmail, "error: The email line cannot be blank"},
                 {dialog.rbDomain, "error: The domain line cannot be blank"},
                 {dialog.rbSubject, "error: The subject line cannot be blank"}};
    for (const Case &c : cases) {
        prompts.shown.clear();
        c.kind->click();
        EXPECT_FALSE(clickOk(dialog));
        EXPECT_EQ(prompts.shown, std::vector<std::string>{c.error});
    }
    EXPECT_TRUE(dialog.cbLine->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.edEmail->isVisibleTo(&dialog));
    dialog.cbLine->setCurrentText("To:");
    dialog.cbWhat->setCurrentIndex(3);
    dialog.edSubject->setText("list@example.org");
    dialog.gridImages->setCurrentCell(0, 2); // the third picture
    ASSERT_TRUE(clickOk(dialog));
    RuleTable table = emptyRuleTable(RuleKind::Exception);
    writeExceptionRow(dialog.fields(), table, 1);
    EXPECT_EQ(table.cell(col::ExceptWhat, 1), "To:");
    EXPECT_EQ(table.cell(col::ExceptCondition, 1), "Starts with");
    EXPECT_EQ(table.cell(col::ExceptMatches, 1), "list@example.org");
    EXPECT_EQ(table.cell(col::ExceptHits, 1), "0");
    EXPECT_EQ(table.cell(col::ExceptImage, 1), "5");
    EXPECT_EQ(rulePicture(RuleKind::Exception, table, 1), 5);
}

TEST_F(RuleDialogsTest, ImportDropsConsecutiveRepeats)
{
    TfrmImportSpam dialog(true);
    EXPECT_EQ(dialog.lblHeading->text(), "Import e-mail addresses");
    dialog.show();
    dialog.Memo1->setPlainText("a\na\nb\na\nA");
    ASSERT_TRUE(clickOk(dialog));
    EXPECT_EQ(dialog.lines(), (std::vector<std::string>{"a", "b", "a", "A"}));
    EXPECT_EQ(dialog.Memo1->toPlainText(), "a\nb\na\nA");
}

TEST_F(RuleDialogsTest, MarkForDeletionPutsEachMessagesRulesOnTopAndSkipsEmptySubjects)
{
    RuleTables rules;
    rules.subject.setCell(col::What, 1, "Contains");
    rules.subject.setCell(col::Matches, 1, "older rule");
    int saves = 0;
    TfrmMarkForDeletion dialog(rules, [&saves] { ++saves; });
    dialog.setMessages({{"First offer", "one@spam.example"}, {"", "nosubject@spam.example"},
                        {"Second offer", "two@spam.example"}});
    EXPECT_TRUE(dialog.cbSubject->isChecked());
    EXPECT_TRUE(dialog.cbFrom->isChecked());
    EXPECT_EQ(dialog.StringGrid1->rowCount(), TfrmMarkForDeletion::kMessageRows);
    dialog.show();
    ASSERT_TRUE(clickOk(dialog));
    EXPECT_EQ(saves, 1);

    ASSERT_EQ(rules.subject.RowCount(), 4);
    EXPECT_EQ(rules.subject.cell(col::Matches, 1), "Second offer");
    EXPECT_EQ(rules.subject.cell(col::Matches, 2), "First offer");
    EXPECT_EQ(rules.subject.cell(col::Matches, 3), "older rule");
    EXPECT_EQ(rules.subject.cell(col::What, 1), "Equals");
    EXPECT_EQ(rules.subject.cell(col::Case, 1), "Yes");
    EXPECT_EQ(rules.subject.cell(col::Delete, 1), "Yes");
    EXPECT_EQ(rules.subject.cell(col::Hits, 1), "1");
    // The empty sender table is filled from its blank row, with no blank row left behind.
    ASSERT_EQ(rules.sender.RowCount(), 3);
    EXPECT_EQ(rules.sender.cell(col::What, 1), "E-mail address");
    EXPECT_EQ(rules.sender.cell(col::SenderCondition, 1), "Equals");
    EXPECT_EQ(rules.sender.cell(col::SenderMatches, 1), "two@spam.example");
    EXPECT_EQ(rules.sender.cell(col::SenderMatches, 2), "one@spam.example");
    EXPECT_EQ(rules.sender.cell(col::Hits, 2), "1");
}

TEST_F(RuleDialogsTest, MarkForDeletionTakesAtMost249MessagesAndHonoursTheBoxes)
{
    RuleTables rules;
    TfrmMarkForDeletion dialog(rules, {});
    std::vector<std::pair<std::string, std::string>> messages;
    for (int i = 0; i < 260; ++i)
        messages.push_back({"subject " + std::to_string(i), "s" + std::to_string(i) + "@x.example"});
    dialog.setMessages(messages);
    dialog.cbFrom->setChecked(false);
    dialog.show();
    ASSERT_TRUE(clickOk(dialog));
    EXPECT_EQ(rules.subject.RowCount(), 1 + 249);
    EXPECT_EQ(rules.subject.cell(col::Matches, 1), "subject 248");
    EXPECT_TRUE(rules.sender.isEmptyTable());
}

TEST_F(RuleDialogsTest, CancelOfTheMarkForDeletionDialogAddsNothing)
{
    RuleTables rules;
    int saves = 0;
    TfrmMarkForDeletion dialog(rules, [&saves] { ++saves; });
    dialog.setMessages({{"Offer", "a@b.example"}});
    dialog.show();
    dialog.findChild<QPushButton *>("btCancel")->click();
    EXPECT_TRUE(rules.subject.isEmptyTable());
    EXPECT_EQ(saves, 0);
}

TEST_F(RuleDialogsTest, SensitivityDialogShowsAndReturnsTheRange)
{
    TfrmAscii dialog(2);
    EXPECT_EQ(dialog.cbRange->count(), 4);
    EXPECT_EQ(dialog.cbRange->currentText(), "One half (50%) or more of the characters are Non-English");
    dialog.cbRange->setCurrentIndex(3);
    EXPECT_EQ(dialog.range(), 3);
    EXPECT_EQ(TfrmAscii(7).range(), 3);
}

} // namespace
