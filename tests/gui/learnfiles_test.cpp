// "Train from files": folders of .eml files, mbox files and Maildirs read
// into the learned score, with progress and Cancel.

#include "classify/learned_fixture.h"
#include "classify/ui/learnfiles.h"
#include "dialog_driver.h"
#include "fixtures/temp_home.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace tw;
using namespace tw::test;

namespace {

class LearnFilesTest : public ::testing::Test {
protected:
    TempHome home;
    LearnedFilter filter{home.file(kLearnedStoreFile)};
    TfrmLearnFiles dialog{filter};

    LearnFilesTest() { dialog.show(); }

    void write(const std::string &name, const std::string &bytes)
    {
        QDir().mkpath(QString::fromStdString(home.file(name)).section('/', 0, -2));
        home.write(name, bytes);
    }
    std::string text() const { return dialog.lblProgress->text().toStdString(); }
    void train(const std::string &path, bool junk)
    {
        dialog.edPath->setText(QString::fromStdString(home.file(path)));
        (junk ? dialog.rbJunk : dialog.rbOrdinary)->setChecked(true);
        dialog.btTrain->click();
    }
};

std::string whole(const TmsHeaders &headers) { return headers.Text() + "\r\nThe body.\r\n"; }

} // namespace

TEST_F(LearnFilesTest, TrainsAFolderOfEmlFilesAnMboxAndAMaildir)
{
    EXPECT_FALSE(dialog.btTrain->isEnabled()) << "nothing chosen yet";
    dialog.edPath->setText(QStringLiteral("/somewhere"));
    EXPECT_FALSE(dialog.btTrain->isEnabled()) << "junk or ordinary mail must be chosen";

    for (int n = 0; n < 3; ++n)
        write("eml/sub/" + std::to_string(n) + ".eml", whole(spamHeaders(n)));
    write("eml/notes.txt", "not a message");
    train("eml", true);
    EXPECT_EQ(text(), "Read 3 message(s): 3 trained as junk.");

    // An mbox: a body line beginning "From " is quoted, so it starts no message.
    write("saved.mbox", "From ann@work.example Mon Jan  6 10:00:00 2003\n" + hamHeaders(1).Text() +
                            "\nHello.\n>From the minutes:\n\nFrom ann@work.example Mon Jan  6 11:00:00 2003\n" +
                            hamHeaders(2).Text() + "\nBye.\n");
    train("saved.mbox", false);
    EXPECT_EQ(text(), "Read 2 message(s): 2 trained as ordinary mail.");

    write("Maildir/cur/1:2,S", whole(hamHeaders(3)));
    write("Maildir/new/2", whole(hamHeaders(4)));
    write("Maildir/tmp/3", whole(hamHeaders(5)));
    train("Maildir", false);
    EXPECT_EQ(text(), "Read 2 message(s): 2 trained as ordinary mail.") << "tmp/ holds messages still arriving";

    train("eml", true);
    EXPECT_EQ(text(), "Read 3 message(s): 0 trained as junk, 3 trained as junk before.");

    LearnedFilter saved(home.file(kLearnedStoreFile));
    saved.load();
    EXPECT_EQ(saved.spamTrained(), 3u);
    EXPECT_EQ(saved.hamTrained(), 4u);

    train("nowhere", true);
    EXPECT_EQ(text(), "There is no file or folder " + home.file("nowhere") + ".");
    EXPECT_EQ(dialog.btClose->text(), "Close");
}

TEST_F(LearnFilesTest, CancelStopsTheTrainingAndClosingWaitsForIt)
{
    for (int n = 0; n < 20; ++n)
        write("eml/" + std::to_string(n) + ".eml", whole(spamHeaders(n)));
    bool sawCancel = false;
    // Given as soon as the training lets the window answer; closing the window then only stops it.
    QTimer::singleShot(0, &dialog, [&] {
        sawCancel = dialog.training() && dialog.btClose->text() == "Cancel";
        dialog.close();
    });
    train("eml", true);
    EXPECT_TRUE(sawCancel);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(text(), "Canceled after 0 message(s): 0 trained as junk.");
    EXPECT_EQ(filter.spamTrained(), 0u);
    EXPECT_TRUE(dialog.btTrain->isEnabled());
    dialog.btClose->click();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(LearnFilesTest, TheFolderButtonTakesThePathFromAFileDialog)
{
    write("eml/1.eml", whole(spamHeaders(1)));
    const QString folder = QString::fromStdString(home.file("eml"));
    onNextDialog<QFileDialog>([&](QFileDialog &files) { acceptFileDialogWith(files, folder); });
    dialog.btFolder->click();
    EXPECT_EQ(dialog.edPath->text(), folder);
}
