#include "net/agwinsock.h"
#include "net/errors.h"
#include "net/stringtable.h"
#include "net/timecounter.h"
#include "platform/event_wait.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace tw;

TEST(TimeCounter, TimesOutAfterItsSecondsAndStaysTimedOutUntilReset)
{
    TTimeCounter counter;
    counter.TimeOut = 1;
    QElapsedTimer clock;
    clock.start();
    counter.Start();
    waitUntil([&] { return counter.TimedOut() || clock.elapsed() > 5000; });
    counter.Stop();
    EXPECT_TRUE(counter.TimedOut());
    EXPECT_GE(clock.elapsed(), 900);
    counter.Start(); // a new start does not clear the flag
    EXPECT_TRUE(counter.TimedOut());
    counter.Stop();
    counter.ResetTimedOut();
    EXPECT_FALSE(counter.TimedOut());
}

TEST(StringTable, KnownTextsAndFallback)
{
    EXPECT_EQ(loadStr(57000), "Operation timed out");
    EXPECT_EQ(errorText(57014), "Server returned invalid reply");
    EXPECT_EQ(errorText(10061), "Error #10061");
}

TEST(Winsock, UnloadedBindingRefusesStartUp)
{
    TagWinsock &winsock = TagWinsock::instance();
    winsock.Unload();
    EXPECT_THROW(winsock.WSAStartup(), EWinsockDLLError);
    winsock.Load();
    EXPECT_TRUE(winsock.WSAStartup());
    winsock.WSACleanup();
}
