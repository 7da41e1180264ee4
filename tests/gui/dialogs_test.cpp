// The small windows of the main window: mailbox choice, splash, about.
#include "app/About.h"
#include "app/resources_init.h"
#include "app/splash.h"
#include "app/which.h"
#include "fixtures/temp_home.h"
#include "platform/event_wait.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(WhichMailbox, OkNeedsAChoiceAndReturnsItsNumber)
{
    ScriptedPrompts prompts;
    TfrmWhichMailbox dialog({{3, "ann", "pop.a.example"}, {7, "bob", "pop.b.example"}}, 5);
    EXPECT_EQ(dialog.windowTitle(), "Which Mail Box?");
    EXPECT_EQ(dialog.cbMailbox->currentIndex(), -1); // mailbox 5 is not offered
    dialog.btOK->click();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: Mailbox not selected."}));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.cbMailbox->setCurrentIndex(1);
    EXPECT_EQ(dialog.cbMailbox->currentText(), "7) Mailbox bob - Server pop.b.example");
    dialog.btOK->click();
    EXPECT_EQ(dialog.chosenMailbox(), 7);
}

TEST(Splash, ShowsTheNameAndSwapsItsPicture)
{
    loadResources();
    TfrmSplash splash;
    EXPECT_EQ(splash.size(), QSize(407, 319));
    EXPECT_EQ(splash.findChild<QLabel *>("lblTitle")->text(), "Tidewell");
    EXPECT_FALSE(splash.findChild<QLabel *>("Image1")->pixmap().isNull());
    splash.show();
    splash.showSecondPicture();
    EXPECT_TRUE(splash.showingSecondPicture());
}

class AboutTest : public ::testing::Test {
protected:
    test::TempHome home;
    ScriptedPrompts prompts;
    RecordingSound sound;
    RecordingShell shell;
    void SetUp() override { loadResources(); }
};

TEST_F(AboutTest, BustingSpamScoresAndCommentsOnClosing)
{
    savePoints(5);
    TfrmAbout about(TfrmAbout::Page::BustASpam);
    about.show();
    EXPECT_EQ(about.pages->currentIndex(), 1);
    EXPECT_EQ(about.RzLabel2->text(), "5 points");
    about.cbSound->setChecked(true);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(about.im1, Qt::LeftButton);
    EXPECT_EQ(about.points(), 35);
    EXPECT_EQ(sound.calls.front(), "play: :/sounds/bust_hit.wav");
    about.btClose->click();
    EXPECT_EQ(readPoints(), 35);
    EXPECT_EQ(prompts.shown.back(),
              "information: Sigh! Now don't you feel better now that you got that off your chest?");
    EXPECT_EQ(sound.calls.back(), "play: :/sounds/bust_sigh.wav");
}

TEST_F(AboutTest, QuietClicksAndTheResetCountSmall)
{
    TfrmAbout about(TfrmAbout::Page::About);
    about.show();
    EXPECT_EQ(about.pages->currentIndex(), 0);
    for (int i = 0; i < 12; ++i)
        about.im1Click();
    // Sent straight to the label: QTest's double click would leave the
    // application believing a mouse button is still held.
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 5), about.RzLabel2->mapToGlobal(QPointF(5, 5)),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(about.RzLabel2, &doubleClick);
    EXPECT_EQ(about.points(), 0);
    for (int i = 0; i < 10; ++i)
        about.im1Click();
    about.btClose->click();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"information: Sure feels good to let off some steam."}));
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(AboutTest, RecommendingOpensAMailToTheFriend)
{
    TfrmAbout about(TfrmAbout::Page::About);
    prompts.inputAnswers = {{true, "friend@example.org"}};
    about.btRecommendClick();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].rfind("url: mailto:friend@example.org?subject=Software%20recommendation&body=", 0), 0u);
    EXPECT_EQ(prompts.shown[0], "input: Enter friend's e-mail address / E-mail address [<friend's e-mail>]");
    shell.succeed = false;
    about.btWebClick();
    EXPECT_EQ(prompts.shown.back(),
              "error: Unable to start web browser. Make sure you have it properly set-up on your system.");
}

} // namespace
