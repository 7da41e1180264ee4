// Automatic mode and the tray: the minute countdown and its captions, the
// pass over every selected mailbox, the alarm, and the tray menu's items
// and enabling in each state.
#include "fixtures/dovecot_server.h"
#include "fixtures/fake_tcp_server.h"
#include "main_window_fixture.h"
#include "settings/settings_store.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using namespace tw;
using namespace tw::test;

namespace {

class AutomaticTest : public MainWindowTest {
protected:
    std::string trayState() const
    {
        std::string state = window->trayIcon->menuEnabled() ? "enabled" : "disabled";
        state += window->acTrayEnable->isChecked() ? ", automatic" : ", manual";
        return state + ", " + window->acTrayExit->text().toStdString();
    }
};

const char *kNoMailbox = "127.0.0.1:1"; // nothing listens: a check there would log an error

TEST_F(AutomaticTest, HidingTheProgramLeavesTheTrayIconsOwnWindow)
{
    storeGeneral([](GeneralSettings &g) { g.SysTray = true; });
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 3000));
    // What a tray that embeds its icons gets from the program: a top-level
    // window of its own that the window manager does not manage.
    QWidget embeddedIcon(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    embeddedIcon.resize(22, 22);
    embeddedIcon.show();
    QDialog settings;
    settings.show();

    window->ShowMainScreen1Click();
    window->trayIcon->hideProgram();

    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
    EXPECT_FALSE(settings.isVisible());
    EXPECT_TRUE(embeddedIcon.isVisible());
    EXPECT_TRUE(window->trayIcon->programHidden());
}

TEST_F(AutomaticTest, WithoutATrayStartingInItAndHideMinimiseAndSayWhyOnce)
{
    TTrayIcon::setDesktopHasTray(false);
    storeGeneral([](GeneralSettings &g) { g.SysTray = true; });
    const auto notes = [&] {
        return std::count_if(prompts.shown.begin(), prompts.shown.end(), [](const std::string &shown) {
            return shown.rfind("information: Your desktop shows no system tray", 0) == 0;
        });
    };
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }, 3000));
    EXPECT_TRUE(window->isVisible()); // on the taskbar, not gone
    EXPECT_TRUE(window->trayIcon->programHidden());
    EXPECT_EQ(notes(), 1);
    EXPECT_TRUE(readGeneralSettings().NoTrayNoticeShown);

    window->ShowMainScreen1Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isMinimized(); }, 3000));
    EXPECT_FALSE(window->trayIcon->programHidden());
    EXPECT_EQ(window->btExit->text(), "&Hide");
    window->btExitClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }, 3000));
    EXPECT_TRUE(window->isVisible());
    // Restored from the taskbar: the program is in sight again.
    window->showNormal();
    EXPECT_FALSE(window->trayIcon->programHidden());

    progress.reset();
    window.reset();
    start(); // the next start remembers that it was said
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }, 3000));
    QCoreApplication::processEvents();
    EXPECT_EQ(notes(), 1);
}

} // namespace

TEST_F(AutomaticTest, SwitchingOnFromTheTrayCountsDownInCaptionTitleAndHint)
{
    storeGeneral([](GeneralSettings &g) {
        g.Minutes = 10;
        g.SysTray = true;
    });
    start();
    EXPECT_EQ(window->windowTitle(), "Tidewell");
    EXPECT_EQ(window->trayIcon->state(), TTrayIcon::State::Normal);
    EXPECT_TRUE(window->acTrayDisable->isChecked());

    window->acTrayEnable->trigger();
    const std::string counting = "Tidewell - next e-mail check in 10 minutes";
    EXPECT_EQ(window->windowTitle().toStdString(), counting);
    EXPECT_EQ(window->lblTitle->text().toStdString(), counting);
    EXPECT_EQ(window->trayIcon->hint(), counting);
    EXPECT_TRUE(window->acTrayEnable->isChecked());
    EXPECT_FALSE(window->acTrayDisable->isChecked());
    EXPECT_TRUE(window->TimerPool1.active(window->minuteTrigger));
    EXPECT_TRUE(readGeneralSettings().Automatic);
    EXPECT_EQ(logCount("Automatic mode enabled at "), 1);
    // The icon alternates its two pictures.
    EXPECT_EQ(window->trayIcon->state(), TTrayIcon::State::Animated);
    const QString first = window->trayIcon->currentPicture();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->trayIcon->currentPicture() != first; }, 3000));

    // Ticks count down; one minute has no "s".
    for (int minute = 9; minute >= 1; --minute) {
        window->tmCheckForMailTimer();
        EXPECT_EQ(window->windowTitle().toStdString(),
                  "Tidewell - next e-mail check in " + std::to_string(minute) + (minute == 1 ? " minute" : " minutes"));
        EXPECT_EQ(window->trayIcon->hint(), window->windowTitle().toStdString());
    }

    window->acTrayDisable->trigger();
    EXPECT_EQ(window->windowTitle(), "Tidewell");
    EXPECT_EQ(window->trayIcon->hint(), "Tidewell");
    EXPECT_EQ(window->minutesLeft, 10);
    EXPECT_FALSE(window->TimerPool1.active(window->minuteTrigger));
    EXPECT_EQ(window->trayIcon->state(), TTrayIcon::State::Normal);
    EXPECT_EQ(logCount("Automatic mode disabled at "), 1);
}

TEST_F(AutomaticTest, APassStopsAtTheFirstMailboxWithMailAndCallsTheUser)
{
    DovecotServer empty;
    DovecotServer full({message("Lunch on Friday", "Ann Smith <ann@example.org>")});
    ASSERT_TRUE(empty.started()) << empty.failure();
    ASSERT_TRUE(full.started()) << full.failure();
    const std::string user = DovecotServer::UserName, password = DovecotServer::Password;
    storeMailbox(1, empty.hostAndPort(), user, password);
    storeMailbox(2, empty.hostAndPort(), user, password);
    storeMailbox(3, full.hostAndPort(), user, password);
    storeMailbox(4, kNoMailbox, user, password);
    storeMailbox(5, kNoMailbox, user, password);
    home.write("alarm.wav", "RIFF");
    for (bool repeat : {false, true}) {
        SCOPED_TRACE(repeat ? "repeat" : "once");
        storeGeneral([&](GeneralSettings &g) {
            g.Automatic = true;
            g.Minutes = 1;
            g.SysTray = true;
            g.Alarm = true;
            g.Repeat = repeat;
            g.AlarmFile = home.file("alarm.wav");
        });
        home.write("activity.log", "");
        sound.calls.clear();
        start();
        window->trayIcon->hideProgram();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));

        window->tmCheckForMailTimer(); // one minute: due at once

        EXPECT_EQ(logCount("MAIL CHECK 0 msg(s)"), 2);
        EXPECT_EQ(logCount("MAIL CHECK 1 msg(s)"), 1);
        EXPECT_EQ(logCount("ERROR"), 0); // mailboxes 4 and 5 were never tried
        EXPECT_EQ(window->windowTitle().toStdString(), "Tidewell - MailBox " + user + " - 1 messages");
        EXPECT_EQ(window->lblTitle->text(), window->windowTitle());
        EXPECT_FALSE(window->lblTM->isVisible());
        EXPECT_EQ(sound.calls.back(), (repeat ? "loop: " : "play: ") + home.file("alarm.wav"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 3000)); // brought up from the tray
        EXPECT_EQ(window->minutesLeft, 1);
        EXPECT_TRUE(window->TimerPool1.active(window->minuteTrigger));

        // Touching the list or opening the tray menu stops the alarm.
        for (const auto &touch : std::vector<std::function<void()>>{
                 [&] { QTest::mouseClick(window->ListView1->viewport(), Qt::LeftButton); },
                 [&] { QTest::keyRelease(window->ListView1, Qt::Key_Down); },
                 [&] { emit window->trayMenu->aboutToShow(); }}) {
            sound.calls.clear();
            touch();
            EXPECT_EQ(sound.calls, (std::vector<std::string>{"stop"}));
        }
        progress.reset();
        window.reset();
    }
}

TEST_F(AutomaticTest, WithAutomaticDeletionNoWindowComesUpAndNoAlarmSounds)
{
    DovecotServer server({message("Cheap VIAGRA now", "king@spam.example"), message("Lunch", "ann@example.org")});
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral([](GeneralSettings &g) {
        g.Automatic = true;
        g.Kill = true;
        g.Minutes = 0;
        g.SysTray = true;
        g.Alarm = true;
    });
    addSubjectRule("viagra");
    start();
    window->trayIcon->hideProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
    window->tmCheckForMailTimer();
    EXPECT_EQ(server.messagesLeft().size(), 1u);
    EXPECT_EQ(logCount("DELETE SPAM"), 1);
    // An unattended deletion keeps its copy as one the user starts does.
    const std::vector<KeptMessage> kept = window->deletedMail().load();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(window->deletedMail().read(kept[0].fileName), message("Cheap VIAGRA now", "king@spam.example"));
    EXPECT_TRUE(sound.calls.empty() || sound.calls == std::vector<std::string>(sound.calls.size(), "stop"));
    QTest::qWait(50); // a queued showing would have happened by now
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
}

TEST_F(AutomaticTest, TheAlarmPlaysOnceLoopsOrBeeps)
{
    storeGeneral();
    start();
    home.write("alarm.wav", "RIFF");
    const std::string wave = home.file("alarm.wav");
    const struct {
        std::string file;
        bool repeat;
        const char *expected;
    } cases[] = {
        {wave, false, "play: "},
        {wave, true, "loop: "},
        {home.file("missing.wav"), false, "beep"},
        {"", true, "beep"},
        {home.path() + "/" + std::string(200, 'x') + ".wav", false, "beep"}, // cut at 200 characters
    };
    for (const auto &c : cases) {
        sound.calls.clear();
        general.general.AlarmFile = c.file;
        general.general.Repeat = c.repeat;
        window->playAlarmSound(true);
        EXPECT_EQ(sound.calls.front(), c.expected == std::string("beep") ? "beep" : c.expected + c.file) << c.file;
    }
}

TEST_F(AutomaticTest, TheTrayMenuFollowsTheProgramsState)
{
    FakeTcpServer server;
    server.pause(200); // the listing is under way while the server thinks
    scriptLogin(server, "+OK 0 0"); // one mailbox: the connection stays open afterwards
    server.expect("QUIT");          // until the program is hidden to the tray below
    server.sendLine("+OK bye");
    storeMailbox(1, server.hostAndPort(), "ann", "pw");
    storeGeneral([](GeneralSettings &g) { g.SysTray = true; });
    start();
    QList<QAction *> items;
    for (QAction *action : window->trayMenu->actions())
        items.push_back(action);
    std::vector<std::string> captions;
    for (QAction *action : items)
        captions.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"Check e-mail for spam", "Launch e-mail program", "-", "Main screen",
                                                  "Settings", "Statistics", "Deleted mail", "-", "Enable automatic check",
                                                  "Disable automatic check", "-", "Help/Info", "-", "Exit"}));
    EXPECT_EQ(trayState(), "enabled, manual, Exit");
    EXPECT_TRUE(window->acTrayStats->isEnabled()); // the statistics launcher opens from the tray

    std::vector<std::string> during;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (window->checkInProgress && during.empty())
            during.push_back(trayState());
    });
    probe.start(20);
    window->acTrayCheck->trigger();
    probe.stop();
    EXPECT_EQ(during, (std::vector<std::string>{"disabled, manual, Cancel"}));
    EXPECT_EQ(trayState(), "enabled, manual, Exit");
    EXPECT_EQ(logCount("MAIL CHECK 0 msg(s)"), 1);

    window->acTrayEnable->trigger();
    EXPECT_EQ(trayState(), "enabled, automatic, Exit");

    // "Main screen" brings the hidden program back; "Launch e-mail program" launches.
    window->trayIcon->hideProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
    window->acTrayMain->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 3000));
    general.general.Mailer = "/usr/bin/thunderbird";
    window->acTrayLaunch->trigger();
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"start: /usr/bin/thunderbird"}));
}
