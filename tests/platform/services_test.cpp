#include "platform/event_wait.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "platform/sound.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;

TEST(Prompts, ScriptedDoubleRecordsAndAnswers)
{
    ScriptedPrompts prompts;
    prompts.yesNoAnswers = {true};
    prompts.inputAnswers = {{true, "a@b.example"}};
    Prompts::current().error("Mailbox not selected.");
    EXPECT_TRUE(Prompts::current().yesNo("Really?"));
    EXPECT_FALSE(Prompts::current().yesNo("Again?")); // script used up: No
    std::string value = "<friend's e-mail>";
    EXPECT_TRUE(Prompts::current().inputText("Enter friend's e-mail address", "E-mail address", value));
    EXPECT_EQ(value, "a@b.example");
    ASSERT_EQ(prompts.shown.size(), 4u);
    EXPECT_EQ(prompts.shown[0], "error: Mailbox not selected.");
    EXPECT_EQ(prompts.shown[3], "input: Enter friend's e-mail address / E-mail address [<friend's e-mail>]");
}

TEST(Shell, RealShellReportsAMissingDocument)
{
    DesktopShell shell;
    EXPECT_FALSE(shell.openDocument("/nonexistent/tidewell.hlp"));
    RecordingShell recording;
    EXPECT_TRUE(Shell::current().startProgram("/usr/bin/mailer", {"-a", "b c"}));
    EXPECT_EQ(recording.calls.at(0), "start: /usr/bin/mailer -a b c");
}

TEST(Sound, RealSoundRefusesAMissingFile)
{
    QtSound sound;
    EXPECT_FALSE(sound.play("/nonexistent/harptune.wav", true));
    EXPECT_FALSE(sound.playing());
}

TEST(SingleInstance, SecondStartAsksTheFirstToShowItself)
{
    const QString key = QStringLiteral("tidewell-test-%1").arg(QCoreApplication::applicationPid());
    TFirstInstance first(key);
    ASSERT_FALSE(first.anotherInstanceRunning());
    bool asked = false;
    QObject::connect(&first, &TFirstInstance::showRequested, [&] { asked = true; });
    TFirstInstance second(key);
    EXPECT_TRUE(second.anotherInstanceRunning());
    QElapsedTimer clock;
    clock.start();
    QTimer guard;
    guard.start(100); // keeps the wait waking up so its bound is checked
    waitUntil([&] { return asked || clock.elapsed() > 5000; });
    EXPECT_TRUE(asked);
}
