#include "app/help_window.h"
#include "app/message_list.h"
#include "main_window_fixture.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace tw;
using namespace tw::test;

namespace {

class MainWindowCommandsTest : public MainWindowTest {
protected:
    void fillRows(std::initializer_list<int> marks)
    {
        int i = 0;
        for (int m : marks) {
            window->messages.add({"subject " + std::to_string(i), "s@example.org", "S", "10", "", m, false});
            window->ListView1->rowsAppended();
            ++i;
        }
        window->enableAllButtons();
    }
    void release(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyRelease(window->ListView1, Qt::Key(key), modifiers);
    }
};

TEST_F(MainWindowCommandsTest, AFirstStartSaysWhatToDoAndOffersToAddAMailboxFromItsAddress)
{
    storeGeneral();
    start();
    ASSERT_TRUE(window->pnlFirstStart->isVisible());
    EXPECT_EQ(window->lblFirstStart->text(),
              "To start, add your mailbox: Tidewell finds its server from your e-mail address.");
    int addingOpened = 0;
    window->ShowAddFromAddress = [this, &addingOpened] {
        ++addingOpened;
        // The user confirms a mailbox found from the address.
        general.servers.account(1) = {"imap.example.org:993", "ann@example.org", "pw", true};
        ASSERT_FALSE(general.saveServers().has_value());
    };
    window->btAddFromAddress->click();
    EXPECT_EQ(addingOpened, 1);
    EXPECT_FALSE(window->pnlFirstStart->isVisible()); // a mailbox can be checked now
    EXPECT_TRUE(prompts.shown.empty());

    // Without a mailbox that can be checked, the guide comes back.
    window->ShowGeneralSettingsWindow = [this] {
        general.servers.account(1).checked = false;
        ASSERT_FALSE(general.saveServers().has_value());
    };
    window->btGeneralClick();
    EXPECT_TRUE(window->pnlFirstStart->isVisible());
}

TEST_F(MainWindowCommandsTest, ListButtonsFollowTheRows)
{
    storeGeneral();
    start();
    window->disableAllButtons();
    window->enableAllButtons(); // an empty list keeps the list buttons hidden
    EXPECT_FALSE(window->btMark->isVisible());
    EXPECT_TRUE(window->lblAd->isVisible());
    window->ShowTotalCount();
    EXPECT_EQ(window->status(), "Message Total: 0 Number Marked: 0");
    window->btMarkClick();
    EXPECT_EQ(prompts.shown.back().rfind("information: Either there are no e-mail messages", 0), 0u);

    fillRows({mark::None, mark::BlacklistMark});
    EXPECT_TRUE(window->btMark->isVisible());
    EXPECT_FALSE(window->lblAd->isVisible());
    window->setRunningState(true);
    EXPECT_EQ(window->btExit->text(), "Cancel");
    EXPECT_EQ(window->acTrayExit->text(), "Cancel");
    window->setRunningState(false);
    EXPECT_EQ(window->btExit->text(), "E&xit");
}

TEST_F(MainWindowCommandsTest, KeysRunTheCommandsOnlyWithoutModifiers)
{
    storeGeneral();
    start();
    fillRows({mark::BlacklistMark, mark::QuestionMark, 7});
    selectRows({0, 1, 2});
    release(Qt::Key_M);
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
    EXPECT_EQ(window->messages.row(1).mark, mark::CheckMark);
    EXPECT_EQ(window->messages.row(2).mark, mark::CheckMark);
    EXPECT_EQ(window->status(), "Message Total: 3 Number Marked: 2");
    release(Qt::Key_M, Qt::ControlModifier);
    release(Qt::Key_D, Qt::ShiftModifier);
    EXPECT_EQ(window->messages.row(1).mark, mark::CheckMark);
    release(Qt::Key_R);
    EXPECT_EQ(window->messages.markedCount(), 0);
    EXPECT_TRUE(window->ListView1->picture(1).isNull() == false);
    EXPECT_EQ(sound.calls.front(), "stop"); // touching the list stops the alarm
}

TEST_F(MainWindowCommandsTest, DoubleClickTogglesAndRightColumnsShowTheRow)
{
    storeGeneral();
    start();
    fillRows({mark::None});
    selectRows({0});
    emit window->ListView1->doubleClicked(window->ListView1->model()->index(0, 0));
    EXPECT_EQ(window->messages.row(0).mark, mark::CheckMark);
    EXPECT_EQ(window->ListView1->model()->headerData(3, Qt::Horizontal).toString(), "Size");
    EXPECT_EQ(window->ListView1->model()->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignRight,
              Qt::AlignRight);
}

TEST_F(MainWindowCommandsTest, StartingInTheTrayHidesInsteadOfExiting)
{
    storeGeneral([](GeneralSettings &g) { g.SysTray = true; });
    start();
    EXPECT_EQ(window->btExit->text(), "&Hide");
    EXPECT_TRUE(window->trayIcon->exists());
    window->btExitClick();
    EXPECT_TRUE(window->trayIcon->programHidden());
}

TEST_F(MainWindowCommandsTest, WithoutTheTrayFlagThereIsNoTrayIcon)
{
    storeGeneral();
    start();
    EXPECT_FALSE(window->trayIcon->exists());
    EXPECT_EQ(window->btExit->text(), "E&xit");
}

TEST_F(MainWindowCommandsTest, ClosingSavesColumnWidthsAndPlacement)
{
    storeGeneral();
    start();
    window->ListView1->setColumnWidths({200, 150, 100, 50, 120});
    window->setGeometry(30, 40, 700, 500);
    window->close();
    EXPECT_EQ(readMessageListColumns().widths, (std::array<int, 5>{200, 150, 100, 50, 120}));
    const WindowPlacement placement = readWindowPlacement(WindowPlacement{});
    EXPECT_EQ(placement.FormLeft, 30);
    EXPECT_EQ(placement.FormTop, 40);
    EXPECT_EQ(placement.FormWidth, 700);
    EXPECT_EQ(placement.FormHeight, 500);
}

TEST_F(MainWindowCommandsTest, AutomaticCaptionsCountDownAndTicksNeverNest)
{
    storeGeneral([](GeneralSettings &g) {
        g.Automatic = true;
        g.Minutes = 10;
    });
    start();
    EXPECT_EQ(window->windowTitle(), "Tidewell - next e-mail check in 10 minutes");
    EXPECT_EQ(window->lblTitle->text(), window->windowTitle());
    EXPECT_TRUE(window->TimerPool1.active(window->minuteTrigger));
    window->UpdateAutomaticCaptions(true, 1);
    EXPECT_EQ(window->windowTitle(), "Tidewell - next e-mail check in 1 minute");

    window->tmCheckForMailTimer();
    EXPECT_EQ(window->minutesLeft, 9);
    EXPECT_EQ(window->windowTitle(), "Tidewell - next e-mail check in 9 minutes");

    window->passRunning = true; // a tick inside a running pass does nothing
    window->tmCheckForMailTimer();
    EXPECT_EQ(window->minutesLeft, 9);
    window->passRunning = false;

    window->EnableAutomatic1Click(false);
    EXPECT_EQ(window->windowTitle(), "Tidewell");
    EXPECT_FALSE(window->TimerPool1.active(window->minuteTrigger));
    EXPECT_FALSE(readGeneralSettings().Automatic);
    EXPECT_EQ(logCount("Automatic mode disabled at "), 1);
}

TEST_F(MainWindowCommandsTest, LaunchingTheMailProgram)
{
    storeGeneral([](GeneralSettings &g) { g.Mailer = "/opt/Netscape/netscape"; });
    start();
    window->btLaunchClick();
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"start: /opt/Netscape/netscape -mail"}));
    general.general.Mailer = " ";
    window->btLaunchClick();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: Mail program not specified in the general settings. "}));
}

TEST_F(MainWindowCommandsTest, HelpOpensTheHelpFileOrSaysItCannot)
{
    storeGeneral();
    start();
    window->btHelpClick();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"error: Unable to open help file - tidewell.hlp."}));
    home.write("tidewell.hlp", "<html><body><a name=\"General_Settings\">x</a></body></html>");
    window->btHelpClick();
    EXPECT_EQ(prompts.shown.size(), 1u);
}

TEST_F(MainWindowCommandsTest, TypingALetterNeverMovesTheSelection)
{
    storeGeneral();
    start();
    for (const char *subject : {"Meeting", "Mortgage rates", "Minutes"}) {
        window->messages.add({subject, "s@example.org", "S", "10", "", mark::None, false});
        window->ListView1->rowsAppended();
    }
    window->enableAllButtons();
    window->ListView1->setCurrentRow(1);

    QTest::keyClick(window->ListView1, Qt::Key_M); // the M command, not a search for "m"
    EXPECT_EQ(window->ListView1->currentRow(), 1);
    EXPECT_EQ(window->ListView1->selectedRows(), std::vector<int>{1});
    EXPECT_EQ(window->messages.row(0).mark, mark::None);
    EXPECT_EQ(window->messages.row(1).mark, mark::CheckMark);
    EXPECT_EQ(window->messages.row(2).mark, mark::None);
}

TEST_F(MainWindowCommandsTest, SizeAndDateFitTheirContentUnlessWidthsAreStored)
{
    storeGeneral();
    start();
    const QFontMetrics metrics(window->ListView1->font());
    EXPECT_GT(window->ListView1->columnWidth(3), metrics.horizontalAdvance("999999"));
    EXPECT_GT(window->ListView1->columnWidth(4), metrics.horizontalAdvance("Wed, 30 Dec 2026 23:59:59 +0000"));
    EXPECT_EQ(window->ListView1->columnWidth(0), 220);

    saveMessageListColumns({{200, 150, 100, 50, 120}});
    progress.reset();
    window.reset();
    start();
    EXPECT_EQ(window->ListView1->columnWidths(), (std::array<int, 5>{200, 150, 100, 50, 120}));
}

TEST_F(MainWindowCommandsTest, TheSubjectColumnTakesTheWidthTheOthersLeave)
{
    storeGeneral();
    start();
    window->resize(1400, 600);
    QApplication::processEvents();
    const TMessageListView &list = *window->ListView1;
    int total = 0;
    for (int c = 0; c < 5; ++c)
        total += list.columnWidth(c);
    EXPECT_EQ(total, list.viewport()->width()); // no empty half, no cut column
    EXPECT_GT(list.columnWidth(0), 220);
    EXPECT_EQ(list.columnWidths()[0], 220); // what is stored is the width chosen

    window->resize(500, 600); // narrower than the columns: the Subject keeps its width
    QApplication::processEvents();
    EXPECT_EQ(list.columnWidth(0), 220);
}

TEST(HelpFile, EveryTopicItLinksAndTheProgramAsksForIsThere)
{
    QFile file(QStringLiteral(TIDEWELL_SOURCE_DIR "/resources/data/tidewell.hlp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString help = QString::fromUtf8(file.readAll());
    QStringList anchors;
    for (const QRegularExpressionMatch &name : QRegularExpression(QStringLiteral("name=\"([^\"]+)\"")).globalMatch(help))
        anchors << name.captured(1);
    QStringList wanted{QStringLiteral("General_Settings"), QStringLiteral("Spam_Settings")};
    for (const QRegularExpressionMatch &link : QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(help))
        wanted << link.captured(1);
    for (const QString &topic : wanted)
        EXPECT_TRUE(anchors.contains(topic)) << topic.toStdString();
    for (const char *topic : {"Security", "Sign_In", "Passwords", "Deleted_Mail", "Learned_Score", "IMAP",
                              "Tidewell_Check"})
        EXPECT_TRUE(anchors.contains(QString::fromLatin1(topic))) << topic;
}

TEST_F(MainWindowCommandsTest, HelpAskedFromAModalWindowOpensInFrontOfIt)
{
    storeGeneral();
    start();
    home.write("tidewell.hlp", "<html><body><a name=\"General_Settings\">x</a></body></html>");
    window->btHelpClick(); // the help window exists already, owned by the main window

    QDialog settings(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    settings.setWindowModality(Qt::ApplicationModal);
    settings.show();
    ASSERT_TRUE(showHelp("General_Settings", QApplication::activeModalWidget()));
    // A modal window never blocks its own windows; this one also stays on top like its owner.
    auto *help = settings.findChild<QDialog *>(QStringLiteral("frmHelp"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->findChild<QDialog *>(QStringLiteral("frmHelp")), nullptr);
}

} // namespace
