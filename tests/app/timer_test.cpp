#include <gtest/gtest.h>

#include "app/startup.h"
#include "shell_state.h"

namespace {

TEST(Timer, MillisecondClockSurvivesAWrap) {
    ResetShell();
    fake::state().counterPresent = false;
    fake::state().tick = 123456;
    TimerInit();
    EXPECT_FALSE(timer.highResolution);
    fake::AdvanceClock(1000);
    EXPECT_NEAR(TimerGetTime(), 1000, 1e-3);

    // Started 1000 ms before the tick count wraps, read 1500 ms later.
    fake::state().tick = 0xFFFFFFFFu - 999u;
    TimerInit();
    fake::AdvanceClock(1500);
    EXPECT_LT(fake::state().tick, 1000u);
    EXPECT_NEAR(TimerGetTime(), 1500, 1e-3);
}

TEST(Timer, PerformanceCounterGivesMillisecondsFromItsFrequency) {
    ResetShell();
    fake::state().frequency = 3579545;
    fake::state().counter = 9000000000000LL;  // far from zero: the start is subtracted
    TimerInit();
    EXPECT_TRUE(timer.highResolution);
    fake::AdvanceClock(40);
    EXPECT_NEAR(TimerGetTime(), 40.0, 1e-3);
    fake::AdvanceClock(2500);
    EXPECT_NEAR(TimerGetTime(), 2540.0, 1e-3);
    EXPECT_TRUE(fake::CallsNamed("timeGetTime").empty());

    // A counter that reports no frequency cannot time anything.
    ResetShell();
    fake::state().frequency = 0;
    fake::state().tick = 77;
    TimerInit();
    EXPECT_FALSE(timer.highResolution);
    fake::AdvanceClock(20);
    EXPECT_NEAR(TimerGetTime(), 20, 1e-3);
}

}  // namespace
