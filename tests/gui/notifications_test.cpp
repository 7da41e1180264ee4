// Desktop notifications of the main window, through the recording double:
// what an automatic pass announces, and what each action does.
#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"
#include "platform/notifications.h"

#include <QTest>

using namespace tw;
using namespace tw::test;

namespace {

class NotificationsTest : public MainWindowTest {
protected:
    RecordingNotifier notifier;

    // A pass over a mailbox with one message caught by a "viagra" rule
    // (Delete: check mark, else question mark) and one ordinary, hidden in the tray.
    void passOver(DovecotServer &server, bool checkMark, bool notify = true)
    {
        ASSERT_TRUE(server.started()) << server.failure();
        storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
        storeGeneral([notify](GeneralSettings &g) {
            g.Automatic = true;
            g.Minutes = 0;
            g.SysTray = true;
            g.Alarm = false;
            g.Notify = notify;
        });
        addSubjectRule("viagra");
        if (!checkMark) {
            SpamSettingsModel model;
            model.readSettings();
            model.rules.subject.setCell(col::Delete, 1, "No");
            model.Savesettings();
        }
        start();
        window->trayIcon->hideProgram();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
        window->tmCheckForMailTimer();
    }
    std::vector<std::string> actionLabels() const
    {
        std::vector<std::string> labels;
        for (const NotificationAction &action : notifier.shown.back().notification.actions)
            labels.push_back(action.label);
        return labels;
    }
    const std::string user = DovecotServer::UserName;
};

std::vector<std::string> junkMailbox()
{
    return {message("Cheap VIAGRA now", "king@spam.example"), message("Lunch", "ann@example.org")};
}

TEST_F(NotificationsTest, JunkMarkedByAPassIsAnnouncedAndDeleteNowDeletesIt)
{
    DovecotServer server(junkMailbox());
    passOver(server, true);
    ASSERT_EQ(notifier.shown.size(), 1u);
    const Notification &shown = notifier.shown[0].notification;
    EXPECT_EQ(shown.summary, "1 junk message marked in " + user);
    EXPECT_EQ(shown.body.rfind("1 to delete, 0 to look at, of 2 waiting messages on ", 0), 0u) << shown.body;
    EXPECT_EQ(actionLabels(), (std::vector<std::string>{"Review", "Delete now"}));

    notifier.choose(shown.actions[1].key);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.messagesLeft().size() == 1; }, 10000));
    EXPECT_EQ(logCount("DELETE SPAM"), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 3000));
}

TEST_F(NotificationsTest, DeleteNowDeletesNothingOnceTheListHasChanged)
{
    DovecotServer server(junkMailbox());
    passOver(server, true);
    ASSERT_EQ(notifier.shown.size(), 1u);
    window->ResetButtonClick(); // the user took the marks away meanwhile
    notifier.choose("delete");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->status().rfind("The list has changed", 0) == 0; }, 3000))
        << window->status();
    EXPECT_EQ(server.messagesLeft().size(), 2u);
    EXPECT_EQ(logCount("DELETE SPAM"), 0);
}

TEST_F(NotificationsTest, QuestionMarksAloneOfferNoDeletionAndReviewBringsTheListForward)
{
    DovecotServer server(junkMailbox());
    passOver(server, false);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].notification.body.rfind("0 to delete, 1 to look at", 0), 0u);
    EXPECT_EQ(actionLabels(), std::vector<std::string>{"Review"});
    window->trayIcon->hideProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));
    notifier.choose("review");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 3000));
    EXPECT_EQ(server.messagesLeft().size(), 2u);
}

TEST_F(NotificationsTest, SwitchedOffNothingIsAnnounced)
{
    DovecotServer server(junkMailbox());
    passOver(server, true, false);
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(window->windowTitle().toStdString(), "Tidewell - MailBox " + user + " - 2 messages"); // the tip's text
}

} // namespace
