#pragma once
// Shared set-up for the activity log tests: United States date and time
// formats and a fixed clock, so stamps are repeatable, and helpers to build
// stamps and records.

#include "platform/clock.h"
#include "platform/clock_locale.h"
#include "stats/log_format.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace tw::test {

class UsFormats : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        LocaleFormats::setFormats("M/d/yy", "h:mm AP", "h:mm:ss AP");
        Clock::setFixedNow(QDateTime(QDate(2026, 12, 8), QTime(21, 34)));
    }
    void TearDown() override
    {
        Clock::setFixedNow(std::nullopt);
        LocaleFormats::setFormats("", "", "");
        QLocale::setDefault(QLocale::system());
    }

    static TDateTime at(int y, int mo, int d, int h = 0, int mi = 0)
    {
        return encodeDate(y, mo, d) + encodeTime(h, mi, 0);
    }
    static std::string stampAt(int y, int mo, int d, int h = 0, int mi = 0)
    {
        return logTimeStamp(at(y, mo, d, h, mi));
    }
    static void setNow(int y, int mo, int d, int h, int mi)
    {
        Clock::setFixedNow(QDateTime(QDate(y, mo, d), QTime(h, mi)));
    }
};

} // namespace tw::test
