#include "platform/clock_locale.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(ClockLocale, Fix2000ForcesAFourDigitYear)
{
    EXPECT_EQ(fix2000("M/d/yy"), "M/d/yyyy");
    EXPECT_EQ(fix2000("dd.MM.yyyy"), "dd.MM.yyyy");
    EXPECT_EQ(fix2000("d MMMM"), "d MMMM");
}

TEST(ClockLocale, ListDateLeavesOutMidnight)
{
    LocaleFormats::setFormats("M/d/yy", "h:mm AP", "h:mm:ss AP");
    EXPECT_EQ(LocaleFormats::shortDate(), "M/d/yyyy");
    EXPECT_EQ(LocaleFormats::listDateTime(encodeDate(2026, 12, 8)), "12/8/2026");
    EXPECT_EQ(LocaleFormats::listDateTime(encodeDate(2026, 12, 8) + encodeTime(21, 34, 5)), "12/8/2026 9:34:05 PM");
    EXPECT_EQ(LocaleFormats::shortDateTime(encodeDate(2026, 12, 8) + encodeTime(21, 34, 0)), "12/8/2026 9:34 PM");
    LocaleFormats::setFormats({}, {}, {});
    EXPECT_STREQ(englishDayAbbreviation(3), "Tue");
    EXPECT_STREQ(englishMonthAbbreviation(12), "Dec");
}
