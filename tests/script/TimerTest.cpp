// The mission countdown clock.

#include "core/Timer.h"

#include <gtest/gtest.h>

TEST(Timer, FormatsMinutesSecondsAndHundredths)
{
    const std::pair<int, const char *> cases[] = {
        {65432, "01:05:43"}, {6000000, "100:00:00"}, {5, "00:00:00"}, {10, "00:00:01"},
        {0, "00:00:00"},     {-500, "00:00:00"},     {59999, "00:59:99"}, {600000, "10:00:00"},
    };
    for (const auto &[ms, text] : cases)
        EXPECT_EQ(TTimer::FormatTime(ms), text) << ms << " ms";
}

TEST(Timer, CountsDownWhileOnAndStopsAtZero)
{
    TTimer timer;
    timer.Remaining = 1000;
    timer.Update(25);
    EXPECT_EQ(timer.Remaining, 1000);   // off: the value does not change

    timer.Enabled = true;
    timer.Update(25);
    EXPECT_EQ(timer.Remaining, 975);
    timer.Update(5000);
    EXPECT_EQ(timer.Remaining, 0);      // never below zero
    timer.Update(25);
    EXPECT_EQ(timer.Remaining, 0);

    timer.Remaining = 10;
    timer.Update(2147483647);
    EXPECT_EQ(timer.Remaining, 0);
    timer.Remaining = -40;              // a script may write anything; only time left counts down
    timer.Update(25);
    EXPECT_EQ(timer.Remaining, -40);
}
