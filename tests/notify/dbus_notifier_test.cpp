// Notifications over a real session bus with a notification server double:
// what reaches the server, the actions that come back, and the main window
// answering "Review". Run on a private bus by ctest (notifications_session_bus);
// anywhere else the tests skip, so they never touch the user's own desktop.
#include "fixtures/dovecot_server.h"
#include "gui/main_window_fixture.h"
#include "notification_server_double.h"
#include "platform/notify/dbus_notifier.h"

#include <QTest>

using namespace tw;
using namespace tw::test;

namespace {

bool onPrivateBus() { return qEnvironmentVariable("TIDEWELL_PRIVATE_SESSION_BUS") == QStringLiteral("1"); }

#define SKIP_UNLESS_ON_PRIVATE_BUS()                                                                                 \
    if (!onPrivateBus())                                                                                             \
    GTEST_SKIP() << "needs the private session bus that ctest's notifications_session_bus starts"

TEST(DBusNotifications, TheServerGetsTheActionsAndTheChosenOneComesBack)
{
    SKIP_UNLESS_ON_PRIVATE_BUS();
    NotificationServerDouble server;
    ASSERT_TRUE(server.registered());
    DBusNotifier notifier;
    std::vector<std::string> chosen;
    notifier.notify({"2 junk messages marked in ann", "2 to delete, 0 to look at, of 5 waiting messages on pop.example.",
                     {{"review", "Review"}, {"delete", "Delete now"}}, "mailbox 1"},
                    [&chosen](const std::string &key) { chosen.push_back(key); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.shown.size() == 1; }, 10000));
    const NotificationServerDouble::Shown shown = server.shown[0]; // a copy: the list grows
    EXPECT_EQ(shown.summary, "2 junk messages marked in ann");
    EXPECT_EQ(shown.body, "2 to delete, 0 to look at, of 5 waiting messages on pop.example.");
    EXPECT_EQ(shown.actions, (QStringList{"review", "Review", "delete", "Delete now"}));
    EXPECT_EQ(shown.hints.value(QStringLiteral("desktop-entry")).toString(), "tidewell");
    EXPECT_EQ(shown.replaces, 0u);

    server.choose(shown.id, QStringLiteral("delete"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chosen.empty(); }, 10000));
    EXPECT_EQ(chosen, std::vector<std::string>{"delete"});

    // The next one about the same mailbox takes the place of the one shown.
    notifier.notify({"1 junk message marked in ann", "", {}, "mailbox 1"}, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.shown.size() == 2; }, 10000));
    EXPECT_EQ(server.shown[1].replaces, shown.id);
}

TEST(DBusNotifications, WithoutAServerNothingIsShownAndTheNextServerIsUsed)
{
    SKIP_UNLESS_ON_PRIVATE_BUS();
    DBusNotifier notifier;
    bool answered = false;
    notifier.notify({"nobody hears this", "", {{"review", "Review"}}, ""}, [&](const std::string &) { answered = true; });
    // A server that starts later gets the notifications from then on.
    NotificationServerDouble server;
    ASSERT_TRUE(server.registered());
    notifier.notify({"1 junk message marked in ann", "", {{"review", "Review"}}, ""}, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.shown.empty(); }, 10000));
    EXPECT_EQ(server.shown.back().summary, "1 junk message marked in ann");
    EXPECT_FALSE(answered);
}

class NotifiedMainWindowTest : public MainWindowTest {};

TEST_F(NotifiedMainWindowTest, ReviewBringsTheListForward)
{
    SKIP_UNLESS_ON_PRIVATE_BUS();
    NotificationServerDouble server;
    ASSERT_TRUE(server.registered());
    DBusNotifier notifier;
    Notifier::install(&notifier);
    DovecotServer mailbox({message("Cheap VIAGRA now", "king@spam.example"), message("Lunch", "ann@example.org")});
    ASSERT_TRUE(mailbox.started()) << mailbox.failure();
    storeMailbox(1, mailbox.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral([](GeneralSettings &g) {
        g.Automatic = true;
        g.Minutes = 0;
        g.SysTray = true;
        g.Alarm = false;
    });
    addSubjectRule("viagra");
    start();
    window->trayIcon->hideProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));

    window->tmCheckForMailTimer();

    ASSERT_TRUE(QTest::qWaitFor([&] { return server.shown.size() == 1; }, 10000));
    EXPECT_EQ(server.shown[0].summary.toStdString(), std::string("1 junk message marked in ") + DovecotServer::UserName);
    EXPECT_EQ(server.shown[0].actions, (QStringList{"review", "Review", "delete", "Delete now"}));
    // The user has put the window away again before answering.
    window->trayIcon->hideProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 3000));

    server.choose(server.shown[0].id, QStringLiteral("review"));

    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }, 10000));
    EXPECT_FALSE(window->trayIcon->programHidden());
    EXPECT_EQ(window->ListView1->rowCount(), 2);
    EXPECT_EQ(mailbox.messagesLeft().size(), 2u); // reviewing deletes nothing
    Notifier::install(nullptr);
}

} // namespace
