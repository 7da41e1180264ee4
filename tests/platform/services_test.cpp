#include "platform/event_wait.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "platform/sound.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
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

TEST(SingleInstance, OneOwnerPerProgramFolderAndALaterStartBringsItForward)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const std::string folderA = root.path().toStdString() + "/a";
    const std::string folderB = root.path().toStdString() + "/b";

    TFirstInstance first(folderA);
    ASSERT_EQ(first.claim(), TFirstInstance::Claim::Owned);
    bool asked = false;
    QObject::connect(&first, &TFirstInstance::showRequested, [&] { asked = true; });

    // The same folder written another way is the same instance.
    TFirstInstance second(folderA + "/");
    EXPECT_EQ(second.folder(), first.folder());
    EXPECT_EQ(second.claim(), TFirstInstance::Claim::OwnedElsewhere);
    EXPECT_TRUE(second.askOwnerToShow(2000));
    QElapsedTimer clock;
    clock.start();
    QTimer guard;
    guard.start(100); // keeps the wait waking up so its bound is checked
    waitUntil([&] { return asked || clock.elapsed() > 5000; });
    EXPECT_TRUE(asked);
    EXPECT_EQ(second.alreadyRunningText(true), "Tidewell is already running for the program folder " +
                                                   first.folder() + " and has been brought forward.");

    // Another folder is another instance.
    TFirstInstance other(folderB);
    EXPECT_EQ(other.claim(), TFirstInstance::Claim::Owned);
}

TEST(SingleInstance, ALockLeftByAProgramThatEndedIsTakenOver)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // What a crashed owner leaves: its process id, which no process has now.
    QFile lock(folder.filePath(QStringLiteral("tidewell.lock")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999999\ntidewell\n\n");
    lock.close();

    TFirstInstance probe(folder.path().toStdString());
    EXPECT_FALSE(probe.ownedElsewhere());
    TFirstInstance starting(folder.path().toStdString());
    EXPECT_EQ(starting.claim(), TFirstInstance::Claim::Owned);
    // Nobody owns it but this process, which the check leaves out.
    EXPECT_FALSE(probe.ownedElsewhere());
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
