#include "stats_fixture.h"

using namespace tw;

using LogFormat = test::UsFormats;

TEST_F(LogFormat, TimeStampUsesEnglishDayNamesAndFourDigitYears)
{
    EXPECT_EQ(stampAt(2026, 12, 8, 21, 34), "Tue 12/8/2026 9:34 PM");
    EXPECT_EQ(stampAt(2027, 1, 3, 0, 5), "Sun 1/3/2027 12:05 AM");

    // A German user still gets an English three-letter day name.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LocaleFormats::setFormats("dd.MM.yy", "HH:mm", "HH:mm:ss");
    EXPECT_EQ(stampAt(2026, 12, 10, 9, 5), "Thu 10.12.2026 09:05");
}

TEST_F(LogFormat, EveryLineKindToTheSpace)
{
    const std::string stamp = "Tue 12/8/2026 9:34 PM";
    EXPECT_EQ(mailCheckLine(3, "alice", "pop.example.com", stamp),
              "MAIL CHECK 3 msg(s) for \"alice\" on server pop.example.com at Tue 12/8/2026 9:34 PM");
    EXPECT_EQ(errorLine("Connection refused", "alice", "pop.example.com", stamp),
              "ERROR Connection refused FOR alice ON pop.example.com AT Tue 12/8/2026 9:34 PM");
    EXPECT_EQ(automaticModeLine(false, stamp), "Automatic mode disabled at Tue 12/8/2026 9:34 PM");
    EXPECT_EQ(automaticModeLine(true, stamp), "Automatic mode enabled at Tue 12/8/2026 9:34 PM");

    const DeletedMessageEntry message{"pop.example.com", "alice", "Cheap pills", "spam@junk.example", "Spammer",
                                      "2048", "12/7/2026 8:00:00 AM"};
    const std::array<std::string, 5> expected = {
        "DELETE SPAM on Tue 12/8/2026 9:34 PM",
        "   Server:  pop.example.com Mailbox: alice",
        "   Subject: Cheap pills",
        "   Sender:  spam@junk.example Spammer",
        "   Size:    2048  Date: 12/7/2026 8:00:00 AM",
    };
    EXPECT_EQ(deletionBlock(message, stamp), expected);
}

TEST(GetUntilCh, PositionsAreOneBased)
{
    EXPECT_EQ(getUntilCh("MAIL CHECK 12 msg(s)", 12, ' '), "12");
    EXPECT_EQ(getUntilCh("abc", 1, 'c'), "ab");
    EXPECT_EQ(getUntilCh("abc", 3, ' '), "c");
    EXPECT_EQ(getUntilCh("abc", 4, ' '), "");
    EXPECT_EQ(getUntilCh("abc", 0, ' '), "");
}
