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

TEST(Prompts, WithoutADesktopQuestionsAreAnsweredNo)
{
    // A program without windows must never take silence for consent.
    EXPECT_FALSE(Prompts::current().yesNo("Delete 3 messages?"));
    std::string value = "typed";
    EXPECT_FALSE(Prompts::current().inputText("Caption", "Prompt", value));
    EXPECT_EQ(value, "typed");
    EXPECT_FALSE(Sound::current().play("/nonexistent/harptune.wav", false));
}
