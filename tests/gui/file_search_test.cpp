// The mail program search: the file search window walking a temporary tree,
// its buttons, label and source, and the dialog that picks the program.
#include "dialog_driver.h"
#include "fixtures/file_tree.h"
#include "platform/prompts.h"
#include "settings/ui/fileSearch.h"
#include "settings/ui/mailSearch.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

std::vector<std::string> listed(const QListWidget *list)
{
    std::vector<std::string> rows;
    for (int i = 0; i < list->count(); ++i)
        rows.push_back(list->item(i)->text().toStdString());
    return rows;
}

std::vector<std::string> sorted(std::vector<std::string> rows)
{
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool waitForEnd(TfrmFileSearch &window)
{
    return QTest::qWaitFor([&] { return !window.Searching(); }, 10000);
}

class FileSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = tmp.path().toStdString();
        makeFiles(root, {"THUNDERBIRD", "lib/thunderbird/thunderbird", "lib/thunderbird/ThunderBird.desktop",
                         "bin/ThunderBird", ".cache/thunderbird", "share/readme"});
    }
    QTemporaryDir tmp;
    std::string root;
    ScriptedPrompts prompts;
};

} // namespace

TEST_F(FileSearchTest, ShowingSearchesAtOnceAndListsEveryCaseOfTheName)
{
    TfrmFileSearch window;
    window.StartFolder = root;
    window.Target = "thunderbird";
    EXPECT_EQ(window.btClose->text(), "&Close");
    window.show();
    EXPECT_EQ(window.lblFileName->text(), "thunderbird");
    ASSERT_TRUE(waitForEnd(window));
    EXPECT_EQ(sorted(listed(window.ListBox)),
              (std::vector<std::string>{root + "/THUNDERBIRD", root + "/bin/ThunderBird",
                                        root + "/lib/thunderbird/thunderbird"}));
    EXPECT_EQ(window.StatusBar1->currentMessage(), "Files found: 3");
    EXPECT_EQ(window.btSource->text().toStdString(), "Source: " + root);
    EXPECT_TRUE(window.btStart->isEnabled());
    EXPECT_FALSE(window.btCancel->isEnabled());
    EXPECT_TRUE(window.btSource->isEnabled());
    EXPECT_EQ(window.btClose->text(), "Select");
    EXPECT_EQ(window.ListBox->currentRow(), 0);

    // "Select" takes the selected entry; a double-click takes the one clicked.
    const std::string first = window.ListBox->item(0)->text().toStdString();
    window.btClose->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.ChosenPath(), first);

    window.show();
    ASSERT_TRUE(waitForEnd(window));
    window.ListBox->setCurrentRow(2);
    window.ListBoxDblClick();
    EXPECT_EQ(window.ChosenPath(), window.ListBox->item(2)->text().toStdString());
}

TEST_F(FileSearchTest, NothingFoundClosesWithAnEmptyChoice)
{
    TfrmFileSearch window;
    window.StartFolder = root;
    window.Target = "kmail";
    window.show();
    ASSERT_TRUE(waitForEnd(window));
    EXPECT_EQ(window.StatusBar1->currentMessage(), "Files found: 0");
    EXPECT_EQ(window.btClose->text(), "&Close");
    QTest::keyClick(&window, Qt::Key_Escape); // idle: Escape is Close
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.ChosenPath(), "");
}

TEST_F(FileSearchTest, CancelKeepsTheFilesFoundSoFar)
{
    TfrmFileSearch window;
    window.StartFolder = root;
    window.Target = "thunderbird";
    // Cancel as soon as the first file reaches the list.
    QObject::connect(window.ListBox->model(), &QAbstractItemModel::rowsInserted, &window, [&] {
        if (window.btCancel->isEnabled())
            window.btCancel->click();
    });
    window.show();
    ASSERT_TRUE(waitForEnd(window));
    ASSERT_GE(window.ListBox->count(), 1);
    EXPECT_EQ(window.StatusBar1->currentMessage().toStdString(),
              "Files found: " + std::to_string(window.ListBox->count()));
    EXPECT_EQ(window.FilesFound(), window.ListBox->count());
    EXPECT_TRUE(window.btStart->isEnabled());
    EXPECT_FALSE(window.btCancel->isEnabled());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(FileSearchTest, ClosingDuringASearchReturnsOnlyAfterTheWalkStopped)
{
    TfrmFileSearch window;
    window.StartFolder = "/usr"; // large enough to be still walking
    window.Target = "no-such-program-anywhere";
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Searching() && !window.btStart->isEnabled(); }, 5000));
    EXPECT_TRUE(window.btCancel->isEnabled());
    EXPECT_FALSE(window.btSource->isEnabled());
    EXPECT_FALSE(window.btClose->isEnabled());
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.WalkRunning());
    EXPECT_EQ(window.ChosenPath(), "");
}

TEST_F(FileSearchTest, TheLabelAndTheSourceButtonChangeWhatAndWhere)
{
    TfrmFileSearch window;
    window.StartFolder = "";
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.shown.empty(); }, 5000));
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: Invalid Source"}));
    EXPECT_FALSE(window.Searching());

    // An empty answer keeps the name; another one replaces it.
    prompts.inputAnswers = {{true, ""}, {false, "ignored"}, {true, "Mail.EXE"}};
    for (int click = 0; click < 3; ++click)
        QTest::mouseClick(window.lblFileName, Qt::LeftButton);
    EXPECT_EQ(window.Target, "Mail.EXE");
    EXPECT_EQ(window.lblFileName->text(), "Mail.EXE");

    const std::string lib = root + "/lib";
    onNextDialog<QFileDialog>([&](QFileDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Select starting drive/folder");
        dialog.setDirectory(QString::fromStdString(lib));
        static_cast<QDialog &>(dialog).accept();
    });
    window.btSource->click();
    EXPECT_EQ(window.StartFolder, lib);
    EXPECT_EQ(window.btSource->text().toStdString(), "Source: " + lib);

    makeFiles(root, {"lib/x/mail.exe"});
    QTest::keyClick(&window, Qt::Key_Return); // Enter starts a search
    ASSERT_TRUE(waitForEnd(window));
    EXPECT_EQ(listed(window.ListBox), (std::vector<std::string>{lib + "/x/mail.exe"}));
}

TEST_F(FileSearchTest, TheMailProgramDialogSearchesForTheChosenProgram)
{
    TfrmMailProgramSearch dialog;
    dialog.StartFolder = root;
    dialog.show();
    std::vector<std::string> names;
    for (int i = 0; i < dialog.lbWhich->count(); ++i)
        names.push_back(dialog.lbWhich->item(i)->text().toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"Other", "Eudora", "Microsoft Exchange", "Microsoft Outlook Express",
                                               "Microsoft Outlook", "Netscape", "Netscape 6", "Thunderbird",
                                               "Evolution", "KMail", "Claws Mail", "Geary", "Sylpheed"}));
    EXPECT_EQ(dialog.lbWhich->currentItem()->text(), "Other");

    dialog.lbWhich->setCurrentRow(7);
    onNextDialog<TfrmFileSearch>([&](TfrmFileSearch &search) {
        EXPECT_EQ(search.Target, "thunderbird");
        EXPECT_EQ(search.StartFolder, root);
        ASSERT_TRUE(waitForEnd(search));
        search.ListBox->setCurrentRow(search.ListBox->count() - 1);
        search.btClose->click();
    });
    dialog.btOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const std::vector<std::string> found = {root + "/THUNDERBIRD", root + "/bin/ThunderBird",
                                            root + "/lib/thunderbird/thunderbird"};
    EXPECT_NE(std::find(found.begin(), found.end(), dialog.Result()), found.end()) << dialog.Result();

    // Closing the search with the close box chooses nothing.
    dialog.show();
    dialog.lbWhich->setCurrentRow(9);
    onNextDialog<TfrmFileSearch>([](TfrmFileSearch &search) { search.close(); });
    dialog.btOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(), "");
}

TEST_F(FileSearchTest, OtherOpensAFileDialogForPrograms)
{
    TfrmMailProgramSearch dialog;
    const std::string program = root + "/bin/ThunderBird";
    QFile::setPermissions(QString::fromStdString(program), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (bool pick : {true, false}) {
        dialog.show();
        onNextDialog<QFileDialog>([&](QFileDialog &files) {
            EXPECT_EQ(files.nameFilters(), (QStringList{"Programs (*)", "All files (*)"}));
            if (!pick)
                return files.reject();
            acceptFileDialogWith(files, QString::fromStdString(program));
        });
        dialog.btOK->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Result(), pick ? program : "");
    }
}
