#include "fixtures/temp_home.h"
#include "settings/general_model.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(GeneralSettingsModel, MailboxQueriesFollowTicksAndServers)
{
    GeneralSettingsModel model;
    for (MailboxAccount &a : model.servers.accounts)
        a = {};
    model.servers.account(1) = {"pop.one.example", "ann", "pw", true};
    model.servers.account(2) = {"", "bob", "", true};             // no server: not usable
    model.servers.account(3) = {"pop.three.example", "cy", "x", false}; // unticked
    model.servers.account(5) = {"POP.Five.example", "Dee@aol.com", "y", true};

    EXPECT_EQ(model.HowManyMailboxesChecked(), 2);
    EXPECT_EQ(model.FirstMailboxChecked(), 1);
    EXPECT_EQ(model.usableMailboxes(), (std::vector<int>{1, 5}));
    EXPECT_FALSE(model.CheckUserMailboxes());
    EXPECT_TRUE(model.CheckForAOL());
    model.servers.account(5).signIn.method = 1; // OAuth2 signs in with the whole address, web mail included
    EXPECT_TRUE(model.CheckUserMailboxes());
    EXPECT_FALSE(model.CheckForAOL());
    model.servers.account(5).signIn.method = 0;
    EXPECT_FALSE(model.OnlyOneMailbox());
    EXPECT_EQ(model.serverToIndex("pop.five.EXAMPLE", "dee@AOL.com"), 5);
    EXPECT_EQ(model.serverToIndex("pop.five.example", "other"), 0);

    model.servers.account(1).checked = false;
    model.servers.account(5).checked = false;
    EXPECT_EQ(model.FirstMailboxChecked(), 0);
    model.servers.account(3).server.clear();
    model.servers.account(5).server.clear();
    EXPECT_TRUE(model.OnlyOneMailbox());
}

TEST(GeneralSettingsModel, SpamCounterAddsToItsText)
{
    GeneralSettingsModel model;
    model.general.Count = "41";
    model.addToSpamCount(2);
    EXPECT_EQ(model.general.Count, "43");
    model.general.Count = "junk";
    model.addToSpamCount(1);
    EXPECT_EQ(model.general.Count, "1");
}

TEST(GeneralSettingsModel, ReadingKeepsATypedPasswordWhenNoneIsStored)
{
    test::TempHome home;
    GeneralSettingsModel model;
    model.servers.account(2).password = "typed";
    model.read();
    EXPECT_EQ(model.servers.account(2).password, "typed");
    EXPECT_EQ(model.general.Minutes, 10);
}

TEST(SpamSettingsModel, ADamagedRuleFileIsKeptAsBackupBeforeItIsOverwritten)
{
    test::TempHome home;
    home.write("header.lst", "not a rule file\r\n");
    SpamSettingsModel model;
    EXPECT_THROW(model.readSettings(), ERuleFileError);
    model.Savesettings();
    EXPECT_EQ(home.read("header.lst.bak"), "not a rule file\r\n");
    SpamSettingsModel reread;
    EXPECT_NO_THROW(reread.readSettings());
}
