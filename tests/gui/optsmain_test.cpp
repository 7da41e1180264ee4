// The spam settings window driven through its widgets: the rule grids and
// their commands, OK and Cancel, the blacklist editor, counters, printing.

#include "app/resources_init.h"
#include "classify/learned_fixture.h"
#include "classify/ui/ascii.h"
#include "classify/ui/learnfiles.h"
#include "classify/ui/header.h"
#include "classify/ui/import.h"
#include "classify/ui/internt.h"
#include "classify/known_spammers.h"
#include "classify/ui/optalway.h"
#include "classify/ui/optfrom.h"
#include "classify/ui/optsubj.h"
#include "dialog_driver.h"
#include "fixtures/temp_home.h"
#include "platform/prompts.h"
#include "settings/first_run_rule.h"
#include "settings/ui/optsmain.h"
#include "settings/ui/rule_grid_view.h"
#include "settings/settings_store.h"

#include "classify/ui/dialog_parts.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QSpinBox>
#include <QTest>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>

#include <filesystem>

using namespace tw;
using namespace tw::test;

namespace {

class SpamSettingsWindowTest : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompts prompts;
    SpamSettingsModel spam;
    KnownSpammers known;
    int helpCalls = 0;
    std::unique_ptr<TfrmOptionsMain> window;

    SpamSettingsWindowTest() { loadResources(); }

    // Writes the rows (cells from column 1 on; the exception table from
    // column 0) into Kind's rule file.
    void storeRules(RuleKind kind, const std::vector<std::vector<std::string>> &rows)
    {
        RuleTable table = emptyRuleTable(kind);
        for (size_t r = 0; r < rows.size(); ++r) {
            const int row = table.rowForNewRule();
            for (size_t c = 0; c < rows[r].size(); ++c)
                table.setCell(int(c) + (kind == RuleKind::Exception ? 0 : 1), row, rows[r][c]);
        }
        saveRuleFile(table, home.file(ruleFileName(kind)));
    }
    void start()
    {
        spam.readSettings();
        window = std::make_unique<TfrmOptionsMain>(spam, known, [this] { ++helpCalls; });
        window->show();
    }
    void click(const char *name)
    {
        auto *button = window->findChild<QPushButton *>(name);
        ASSERT_TRUE(button) << name;
        button->click();
    }
    std::vector<std::string> column(RuleKind kind, int col) const
    {
        std::vector<std::string> texts;
        const RuleTable &table = spam.rules.table(kind);
        for (int r = 1; r < table.RowCount(); ++r)
            texts.push_back(table.cell(col, r));
        return texts;
    }
    std::vector<std::string> subjects() const { return column(RuleKind::Subject, col::Matches); }
    void select(RuleKind kind, int row) { window->grid(kind)->setCurrentRuleRow(row); }
    std::string countText(RuleKind kind) const { return window->countLabel(kind)->text().toStdString(); }
};

using Strings = std::vector<std::string>;

TEST_F(SpamSettingsWindowTest, InsertFillsTheBlankRowOfAnEmptyTable)
{
    start();
    onNextDialog<TfrmOptionsSubject>([](TfrmOptionsSubject &dialog) {
        EXPECT_EQ(dialog.cbWhat->currentText(), "Contains");
        EXPECT_TRUE(dialog.mark->checkMark());
        dialog.edit1->setEditText("viagra");
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btAddSubject");
    const RuleTable &table = spam.rules.subject;
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.cell(col::What, 1), "Contains");
    EXPECT_EQ(table.cell(col::Matches, 1), "viagra");
    EXPECT_EQ(table.cell(col::Case, 1), "No");
    EXPECT_EQ(table.cell(col::Delete, 1), "Yes");
    EXPECT_EQ(table.cell(col::Hits, 1), "0");
    EXPECT_EQ(countText(RuleKind::Subject), "1");
    EXPECT_EQ(window->gridSubject->item(0, col::Matches)->text(), "viagra");
    EXPECT_TRUE(window->gridSubject->item(0, col::Matches)->font().bold());
}

TEST_F(SpamSettingsWindowTest, InsertIntoAFullTablePutsTheRuleAtTheCurrentRow)
{
    storeRules(RuleKind::Subject, {{"Contains", "a", "No", "Yes", "3"}, {"Contains", "b", "No", "No", "0"}});
    start();
    select(RuleKind::Subject, 2);
    onNextDialog<TfrmOptionsSubject>([](TfrmOptionsSubject &dialog) {
        dialog.edit1->setEditText("c");
        dialog.mark->setCheckMark(false);
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btAddSubject");
    EXPECT_EQ(subjects(), (Strings{"a", "c", "b"}));
    EXPECT_EQ(countText(RuleKind::Subject), "3");
    EXPECT_EQ(window->gridSubject->item(1, col::Matches)->foreground().color(), QColor(Qt::blue));

    // A cancelled dialog adds nothing.
    onNextDialog<TfrmOptionsSubject>([](TfrmOptionsSubject &dialog) { dialog.reject(); });
    click("btAddSubject");
    EXPECT_EQ(subjects(), (Strings{"a", "c", "b"}));
}

TEST_F(SpamSettingsWindowTest, DeleteRemovesTheCurrentRuleAndClearsTheLastOne)
{
    storeRules(RuleKind::Sender, {{"Domain name", "Equals", "a.example", "Yes", "0"},
                                  {"Domain name", "Equals", "b.example", "Yes", "0"},
                                  {"Domain name", "Equals", "c.example", "Yes", "0"}});
    storeRules(RuleKind::Exception, {{"E-mail address", "Equals", "friend@x.example", "No", "0", "", "4"}});
    start();
    select(RuleKind::Sender, 2);
    click("btDelFrom");
    EXPECT_EQ(column(RuleKind::Sender, col::SenderMatches), (Strings{"a.example", "c.example"}));
    EXPECT_EQ(countText(RuleKind::Sender), "2");

    // The Delete key needs at least two rules; the button clears the only one.
    QTest::keyClick(window->gridExcept, Qt::Key_Delete);
    EXPECT_EQ(spam.rules.exceptions.cell(col::ExceptMatches, 1), "friend@x.example");
    click("btDelExcept");
    EXPECT_EQ(spam.rules.exceptions.RowCount(), 2);
    EXPECT_TRUE(spam.rules.exceptions.isEmptyTable());
    EXPECT_EQ(spam.rules.exceptions.cell(col::ExceptImage, 1), "");
    QTest::keyClick(window->gridFrom, Qt::Key_Delete);
    EXPECT_EQ(column(RuleKind::Sender, col::SenderMatches).size(), 1u);
}

TEST_F(SpamSettingsWindowTest, EditRewritesASubjectRuleWhoseOperatorTakesNoText)
{
    storeRules(RuleKind::Subject, {{"Is UPPERCASE", "", "", "No", "7"}});
    start();
    onNextDialog<TfrmOptionsSubject>([](TfrmOptionsSubject &dialog) {
        EXPECT_EQ(dialog.cbWhat->currentText(), "Is all UPPERCASE");
        EXPECT_FALSE(dialog.edit1->isVisibleTo(&dialog));
        EXPECT_FALSE(dialog.cbCase->isVisibleTo(&dialog));
        EXPECT_FALSE(dialog.mark->checkMark());
        dialog.mark->setCheckMark(true);
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btEditSubject");
    const RuleTable &table = spam.rules.subject;
    EXPECT_EQ(table.cell(col::What, 1), "Is UPPERCASE");
    EXPECT_EQ(table.cell(col::Matches, 1), "");
    EXPECT_EQ(table.cell(col::Case, 1), "");
    EXPECT_EQ(table.cell(col::Delete, 1), "Yes");
    EXPECT_EQ(table.cell(col::Hits, 1), "7");
}

TEST_F(SpamSettingsWindowTest, EditOfAnAllNumericSenderRuleShowsNoPattern)
{
    storeRules(RuleKind::Sender, {{"E-mail address", "All numeric", "leftover", "Yes", "2"}});
    start();
    onNextDialog<TfrmOptionsFROM>([](TfrmOptionsFROM &dialog) {
        EXPECT_EQ(dialog.cbDomain->currentText(), "E-mail address");
        EXPECT_EQ(dialog.cbWhat->currentText(), "Is ALL numeric");
        EXPECT_EQ(dialog.edit1->currentText(), "");
        EXPECT_FALSE(dialog.edit1->isVisibleTo(&dialog));
        EXPECT_FALSE(dialog.btCountry->isVisibleTo(&dialog));
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btEditFrom");
    EXPECT_EQ(spam.rules.sender.cell(col::SenderCondition, 1), "All numeric");
    EXPECT_EQ(spam.rules.sender.cell(col::SenderMatches, 1), "");
}

TEST_F(SpamSettingsWindowTest, EditOfHeaderRulesSelectsTheirKind)
{
    storeRules(RuleKind::Header, {{"Sender", "does not match Reply-to", "No", "No", "0"},
                                  {"To does not contain", "me@home.example - MailBox #3", "No", "Yes", "1"}});
    start();
    ServerSettings servers;
    servers.account(1) = {"pop.example", "ann", "secret", true};
    servers.account(2).userName = "no server, not offered";
    servers.account(3) = {"mail.example", "me", "", false};
    EXPECT_EQ(mailboxLines(servers), (Strings{"1) ann - server pop.example", "3) me - server mail.example"}));
    window->MailboxLines = [servers] { return mailboxLines(servers); };
    onNextDialog<TfrmHeaders>([](TfrmHeaders &dialog) {
        EXPECT_TRUE(dialog.rbReplyTomatch->isChecked());
        EXPECT_FALSE(dialog.cbHeader->isVisibleTo(&dialog));
        dialog.rbFromEqualsTo->click();
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btEditHeader");
    EXPECT_EQ(spam.rules.header.cell(col::Matches, 1), "equals To field");
    EXPECT_EQ(spam.rules.header.cell(col::What, 1), "Sender");

    select(RuleKind::Header, 2);
    onNextDialog<TfrmHeaders>([](TfrmHeaders &dialog) {
        EXPECT_TRUE(dialog.rbTo->isChecked());
        EXPECT_EQ(dialog.edTo->text(), "me@home.example");
        EXPECT_EQ(dialog.cbMailBox->currentIndex(), 1);
        dialog.edTo->setText("me@work.example");
        dialog.cbMailBox->setCurrentIndex(0);
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btEditHeader");
    EXPECT_EQ(spam.rules.header.cell(col::Matches, 2), "me@work.example - MailBox #1");
    EXPECT_EQ(spam.rules.header.cell(col::Hits, 2), "1");
}

TEST_F(SpamSettingsWindowTest, EditOfAnExceptionKeepsItsPictureUntilAnotherIsChosen)
{
    storeRules(RuleKind::Exception, {{"Subject", "Contains", "[club]", "No", "4", "", "9"}});
    start();
    onNextDialog<TfrmAlwaysAccept>([](TfrmAlwaysAccept &dialog) {
        EXPECT_TRUE(dialog.rbSubject->isChecked());
        EXPECT_EQ(dialog.cbLine->currentText(), "Subject:");
        EXPECT_EQ(dialog.edSubject->text(), "[club]");
        EXPECT_EQ(dialog.gridImages->currentColumn(), 6);
        dialog.gridImages->setCurrentCell(0, 11);
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btEditExcept");
    const RuleTable &table = spam.rules.exceptions;
    EXPECT_EQ(table.cell(col::ExceptWhat, 1), "Subject:");
    EXPECT_EQ(table.cell(col::ExceptCondition, 1), "Contains");
    EXPECT_EQ(table.cell(col::ExceptImage, 1), "14");
    EXPECT_EQ(table.cell(col::ExceptHits, 1), "4");
}

TEST_F(SpamSettingsWindowTest, EditWithNothingSelectedIsRefused)
{
    start();
    click("btEditSubject");
    click("btEditFrom");
    EXPECT_EQ(prompts.shown, (Strings{"error: Error: nothing selected to edit",
                                      "information: Error: nothing selected to edit"}));
}

TEST_F(SpamSettingsWindowTest, MoveUpAndDownStopAtTheEnds)
{
    storeRules(RuleKind::Subject, {{"Contains", "a"}, {"Contains", "b"}, {"Contains", "c"}});
    start();
    select(RuleKind::Subject, 1);
    click("btUpSubject");
    EXPECT_EQ(subjects(), (Strings{"a", "b", "c"}));
    select(RuleKind::Subject, 3);
    click("btDownSubject");
    EXPECT_EQ(subjects(), (Strings{"a", "b", "c"}));
    click("btUpSubject");
    EXPECT_EQ(subjects(), (Strings{"a", "c", "b"}));
    EXPECT_EQ(window->gridSubject->currentRuleRow(), 2);
    click("btUpSubject");
    EXPECT_EQ(subjects(), (Strings{"c", "a", "b"}));
    click("btDownSubject");
    EXPECT_EQ(subjects(), (Strings{"a", "c", "b"}));
}

TEST_F(SpamSettingsWindowTest, AnEditedHitCountMustBeANonNegativeNumber)
{
    storeRules(RuleKind::Subject, {{"Contains", "a", "No", "Yes", "5"}});
    start();
    QTableWidgetItem *hits = window->gridSubject->item(0, col::Hits);
    for (const char *refused : {"-1", "abc", "", "_", "1.5"}) {
        hits->setText(refused);
        EXPECT_EQ(hits->text(), "5") << refused;
        EXPECT_EQ(spam.rules.subject.cell(col::Hits, 1), "5") << refused;
    }
    hits->setText("12");
    EXPECT_EQ(spam.rules.subject.cell(col::Hits, 1), "12");
    window->gridSubject->item(0, col::Matches)->setText("anything goes");
    EXPECT_EQ(spam.rules.subject.cell(col::Matches, 1), "anything goes");
}

TEST_F(SpamSettingsWindowTest, OkDropsAdjacentDuplicatesAndSavesEverything)
{
    storeRules(RuleKind::Subject, {{"Contains", "a", "No", "Yes", "0"}, {"Contains", "a", "No", "Yes", "0"},
                                   {"Contains", "b", "No", "Yes", "0"}, {"Contains", "a", "No", "Yes", "0"}});
    start();
    window->cbLarger->setChecked(true);
    window->nLarger->setValue(50000);
    click("btOK");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(subjects(), (Strings{"a", "b", "a"}));
    SpamSettingsModel saved;
    saved.readSettings();
    EXPECT_EQ(saved.rules.subject.RowCount(), 4);
    EXPECT_TRUE(saved.tests.cbLarger);
    EXPECT_EQ(saved.tests.nLarger, 50000);
}

TEST_F(SpamSettingsWindowTest, CancelRestoresRulesAndControlsFromTheFiles)
{
    storeRules(RuleKind::Subject, {{"Contains", "kept", "No", "Yes", "0"}});
    start();
    onNextDialog<TfrmOptionsSubject>([](TfrmOptionsSubject &dialog) {
        dialog.edit1->setEditText("dropped");
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btAddSubject");
    window->cbSmaller->setChecked(true);
    window->cbValid->setChecked(false);
    EXPECT_FALSE(window->pnlValid->isVisibleTo(window.get()));
    ASSERT_EQ(subjects().size(), 2u);
    click("btCancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(subjects(), Strings{"kept"});
    EXPECT_FALSE(window->cbSmaller->isChecked());
    EXPECT_TRUE(window->cbValid->isChecked());
    EXPECT_FALSE(window->nSmaller->isEnabled());
}

TEST_F(SpamSettingsWindowTest, BlacklistEditSaveAndCancel)
{
    home.write("known.lst", "zed@spam.example\r\nace@spam.example\r\n");
    known.LoadUpKnownList(home.file("known.lst"));
    start();
    EXPECT_TRUE(window->memo1->isReadOnly());
    EXPECT_FALSE(window->btSaveChanges->isEnabled());
    EXPECT_EQ(window->lblSpamCount->text(), "2");

    click("btEdit");
    EXPECT_FALSE(window->memo1->isReadOnly());
    EXPECT_TRUE(window->btSaveChanges->isEnabled());
    window->memo1->setPlainText("temporary@x.example");
    click("btCancelChanges");
    EXPECT_TRUE(window->memo1->isReadOnly());
    EXPECT_EQ(window->memo1->toPlainText(), "zed@spam.example\nace@spam.example");

    click("btEdit");
    window->memo1->setPlainText("zed@spam.example\nnew@spam.example\nNEW@spam.example\nace@spam.example");
    click("btSaveChanges");
    EXPECT_FALSE(window->btSaveChanges->isEnabled());
    EXPECT_EQ(home.read("known.lst"), "ace@spam.example\r\nnew@spam.example\r\nzed@spam.example\r\n");
    EXPECT_TRUE(known.contains("new@spam.example"));
    EXPECT_EQ(window->memo1->toPlainText(), "ace@spam.example\nnew@spam.example\nzed@spam.example");
    EXPECT_EQ(window->lblSpamCount->text(), "3");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(SpamSettingsWindowTest, UnsavedBlacklistEditsAreSavedByOkAndDroppedByCancel)
{
    home.write("known.lst", "a@spam.example\r\n");
    start();
    click("btEdit");
    window->memo1->setPlainText("b@spam.example");
    click("btCancel");
    EXPECT_EQ(home.read("known.lst"), "a@spam.example\r\n");
    EXPECT_FALSE(window->btSaveChanges->isEnabled());

    window->show();
    click("btEdit");
    window->memo1->setPlainText("b@spam.example");
    click("btOK");
    EXPECT_EQ(home.read("known.lst"), "b@spam.example\r\n");
}

TEST_F(SpamSettingsWindowTest, AMissingBlacklistIsReportedAndNotEditable)
{
    start();
    EXPECT_EQ(window->pnlSorting->text(), "Could not locate the known spammer blacklist!");
    EXPECT_FALSE(window->pnlSorting->isHidden());
    EXPECT_TRUE(window->btEdit->isHidden());
    EXPECT_TRUE(window->btSaveChanges->isHidden());
}

TEST_F(SpamSettingsWindowTest, CountersResetOnlyWhenConfirmedAndSensitivityIsStoredAtOnce)
{
    SpamTestSettings tests;
    tests.edUnknown = "12";
    tests.edAscii = "4";
    saveSpamTestSettings(tests);
    start();
    EXPECT_EQ(window->edUnknown->text(), "12");
    prompts.yesNoAnswers = {false, true};
    click("btClear");
    EXPECT_EQ(window->edUnknown->text(), "12");
    click("btClear");
    EXPECT_EQ(window->edUnknown->text(), "0");
    prompts.yesNoAnswers = {true};
    click("btAsciiReset");
    EXPECT_EQ(window->edAscii->text(), "0");
    EXPECT_EQ(prompts.shown, (Strings{"yesno: Really clear out unknown count?", "yesno: Really clear out unknown count?",
                                      "yesno: Really clear out Non-English count?"}));

    onNextDialog<TfrmAscii>([](TfrmAscii &dialog) {
        EXPECT_EQ(dialog.range(), 0);
        dialog.cbRange->setCurrentIndex(2);
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btAscii");
    EXPECT_EQ(spam.tests.Range, 2);
    click("btCancel");
    EXPECT_EQ(readAsciiRange(), 2); // kept although the window was cancelled
    EXPECT_EQ(readSpamTestSettings().edUnknown, "12");
}

TEST_F(SpamSettingsWindowTest, TheLearnedScorePageShowsTheCountsAndSavesItsChoices)
{
    start();
    EXPECT_TRUE(window->cbLearned->isChecked());
    EXPECT_DOUBLE_EQ(window->nLearnedCutoff->value(), 0.99);
    EXPECT_TRUE(window->rbLearnedQuestion->isChecked());
    EXPECT_FALSE(window->pnlLearned->isHidden());
    EXPECT_FALSE(window->btLearnFiles->isEnabled()) << "no learned score to train";

    LearnedFilter filter(home.file(kLearnedStoreFile));
    trainBoth(filter, 3);
    window->setLearnedFilter(&filter);
    EXPECT_EQ(window->lblLearnedCounts->text(),
              "Trained so far: 3 junk and 3 ordinary messages. The score marks once 50 of each are trained.");
    EXPECT_TRUE(window->btLearnFiles->isEnabled());

    window->cbLearned->click();
    EXPECT_TRUE(window->pnlLearned->isHidden());
    window->nLearnedCutoff->setValue(0.95);
    window->rbLearnedCheck->click();
    click("btOK");
    const SpamTestSettings saved = readSpamTestSettings();
    EXPECT_FALSE(saved.cbLearned);
    EXPECT_EQ(saved.edLearnedCutoff, "0.950");
    EXPECT_TRUE(saved.rbLearnedCheck);
    EXPECT_NE(home.read("tidewell.ini").find("[Learned]\r\nQMonitor=0\r\nCutoff=0.950\r\nCheck=1\r\n"),
              std::string::npos);

    // Training from files shows the new counts when it closes.
    trainBoth(filter, kLearnedMinimumTrained - 3, 3);
    onNextDialog<TfrmLearnFiles>([](TfrmLearnFiles &dialog) { dialog.btClose->click(); });
    click("btLearnFiles");
    EXPECT_EQ(window->lblLearnedCounts->text(), "Trained so far: 50 junk and 50 ordinary messages.");
}

TEST_F(SpamSettingsWindowTest, ImportMakesSubjectRulesAndSavesThem)
{
    storeRules(RuleKind::Subject, {{"Contains", "old", "No", "Yes", "0"}});
    start();
    onNextDialog<TfrmImportSpam>([](TfrmImportSpam &dialog) {
        EXPECT_EQ(dialog.lblHeading->text(), "Import spam keywords");
        dialog.Memo1->setPlainText("lottery\nlottery\n  prize \n\nlottery");
        dialog.findChild<QPushButton *>("btOK")->click();
    });
    click("btImport");
    EXPECT_EQ(subjects(), (Strings{"old", "lottery", "prize", "lottery"}));
    EXPECT_EQ(countText(RuleKind::Subject), "4");
    SpamSettingsModel saved;
    saved.readSettings();
    EXPECT_EQ(saved.rules.subject.RowCount(), 5);
}

TEST_F(SpamSettingsWindowTest, PrintWritesTheRulesUnderTheirTitle)
{
    storeRules(RuleKind::Sender, {{"Domain name", "Equals", "spam.example", "Yes", "3"}});
    start();
    const std::string pdf = home.file("sender.pdf");
    window->SetUpPrinter = [&pdf](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    };
    click("btPrintFrom");
    ASSERT_TRUE(std::filesystem::exists(pdf));
    QProcess text;
    text.start("pdftotext", {QString::fromStdString(pdf), "-"});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains("Tidewell - Sender Settings")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("spam.example"));
    EXPECT_TRUE(printed.contains("Page 1"));
}

TEST_F(SpamSettingsWindowTest, HeadingClickSortsHitsNumerically)
{
    storeRules(RuleKind::Subject, {{"Contains", "b", "No", "Yes", "10"}, {"Contains", "A", "No", "Yes", "9"},
                                   {"Contains", "c", "No", "Yes", ""}});
    start();
    window->gridSubject->horizontalHeader()->sectionClicked(col::Hits);
    EXPECT_EQ(subjects(), (Strings{"c", "A", "b"}));
    window->gridSubject->horizontalHeader()->sectionClicked(col::Matches);
    EXPECT_EQ(subjects(), (Strings{"A", "b", "c"}));
    window->gridSubject->horizontalHeader()->sectionClicked(col::Matches);
    EXPECT_EQ(subjects(), (Strings{"c", "b", "A"}));
    window->gridSubject->horizontalHeader()->sectionClicked(col::Case); // not sortable
    EXPECT_EQ(subjects(), (Strings{"c", "b", "A"}));
}

TEST_F(SpamSettingsWindowTest, ColumnWidthsAreStoredWhenTheWindowGoes)
{
    start();
    window->gridFrom->setColumnWidth(3, 211);
    window.reset();
    EXPECT_EQ(readRuleGridWidths(RuleGrid::Sender)[3], 211);
    start();
    EXPECT_EQ(window->gridFrom->columnWidth(3), 211);
}

TEST_F(SpamSettingsWindowTest, HelpButtonAsksForHelp)
{
    start();
    click("btHelp");
    EXPECT_EQ(helpCalls, 1);
    EXPECT_EQ(window->PageControl1->count(), 9);
    EXPECT_EQ(window->PageControl1->tabText(7), "Non-English");
    EXPECT_EQ(window->PageControl1->tabText(8), "Learned score");
}

} // namespace

namespace {

TEST(FirstRunHeaderRule, GoesAheadOfTheOtherHeaderRulesAndIsSaved)
{
    TempHome home;
    SpamSettingsModel spam;
    AddMyselfFromPopToHeader(spam, "ann@pop.example");
    ASSERT_EQ(spam.rules.header.RowCount(), 2); // the blank row of the empty table was used
    AddMyselfFromPopToHeader(spam, "bob@pop.example");
    SpamSettingsModel saved;
    saved.readSettings();
    const RuleTable &header = saved.rules.header;
    ASSERT_EQ(header.RowCount(), 3);
    EXPECT_EQ(header.cell(col::Matches, 1), "bob@pop.example - MailBox #1");
    EXPECT_EQ(header.cell(col::Matches, 2), "ann@pop.example - MailBox #1");
    EXPECT_EQ(header.cell(col::What, 1), "To does not contain");
    EXPECT_EQ(header.cell(col::Case, 1), "No");
    EXPECT_EQ(header.cell(col::Delete, 1), "No");
    EXPECT_EQ(header.cell(col::Hits, 1), "0");
}

} // namespace
