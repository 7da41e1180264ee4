#include "fixtures/temp_home.h"
#include "platform/prompts.h"
#include "stats/activity_log.h"
#include "stats_fixture.h"

using namespace tw;

using ActivityLogWriter = test::UsFormats;

TEST_F(ActivityLogWriter, EntriesAreAppendedWithCrLfAndAMissingFolderIsCreated)
{
    test::TempHome home;
    ScriptedPrompts prompts;
    ActivityLog log;
    log.setPath(home.file("logs/deeper/logfile.txt"));
    log.logMailCheck(3, "alice", "pop.example.com");
    EXPECT_FALSE(log.isOpen());
    log.logError("Connection timed out", "alice", "pop.example.com");
    log.logAutomaticMode(false);
    EXPECT_EQ(home.read("logs/deeper/logfile.txt"),
              "MAIL CHECK 3 msg(s) for \"alice\" on server pop.example.com at Tue 12/8/2026 9:34 PM\r\n"
              "ERROR Connection timed out FOR alice ON pop.example.com AT Tue 12/8/2026 9:34 PM\r\n"
              "Automatic mode disabled at Tue 12/8/2026 9:34 PM\r\n");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ActivityLogWriter, DeletionBlocksOnlyWhileTheRunHoldsTheLogOpen)
{
    test::TempHome home;
    ActivityLog log;
    log.setPath(home.file("log.txt"));
    const DeletedMessageEntry first{"pop.x", "bob", "one", "a@b.c", "A", "100", "d1"};
    const DeletedMessageEntry second{"pop.x", "bob", "two", "c@d.e", "C", "200", "d2"};
    log.logDeletion(first); // not open: dropped
    EXPECT_EQ(home.read("log.txt"), "");
    log.OpenLogFile();
    log.logDeletion(first);
    log.logError("Cancelled", "bob", "pop.x"); // an error during the run keeps the log open
    log.logDeletion(second);
    log.CloseLogFile();
    const std::string text = home.read("log.txt");
    EXPECT_EQ(text.find("DELETE SPAM on Tue 12/8/2026 9:34 PM\r\n   Server:  pop.x Mailbox: bob\r\n"
                        "   Subject: one\r\n   Sender:  a@b.c A\r\n   Size:    100  Date: d1\r\n"),
              0u);
    EXPECT_LT(text.find("Subject: one"), text.find("Subject: two"));
    EXPECT_NE(text.find("ERROR Cancelled"), std::string::npos);
}

TEST_F(ActivityLogWriter, BlankPathLogsNothingAndUncreatableFolderSaysSo)
{
    test::TempHome home;
    ScriptedPrompts prompts;
    ActivityLog log;
    for (const char *blank : {"", "  ", "\r\n"}) {
        log.setPath(blank);
        log.logMailCheck(1, "u", "s");
        log.OpenLogFile();
        EXPECT_FALSE(log.isOpen());
    }
    EXPECT_TRUE(prompts.shown.empty());

    home.write("plainfile", "x");
    log.setPath(home.file("plainfile/sub/log.txt"));
    log.logMailCheck(1, "u", "s");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], "error: Unable to create directory = \"" + home.file("plainfile/sub") +
                                    "\"  Logging will not take place.");
    EXPECT_FALSE(log.isOpen());
}

TEST_F(ActivityLogWriter, RelativePathLivesInTheProgramFolder)
{
    test::TempHome home;
    ActivityLog log;
    log.setPath("logfile.txt");
    log.logAutomaticMode(true);
    EXPECT_EQ(home.read("logfile.txt"), "Automatic mode enabled at Tue 12/8/2026 9:34 PM\r\n");
}
