#include <gtest/gtest.h>

#include "app/game_state.h"
#include "app/startup.h"
#include "platform/fake/fake_platform.h"
#include "sim/frame.h"

namespace {

constexpr double kFrameSeconds = 0.014999999664723873;

// A fresh clock at 0 with the counter in use, and a previous frame that
// ended at `previousEnd` seconds.
void StartClock(double previousEnd) {
    fake::Reset();
    TimerInit();
    lastFrameTime = previousEnd;
    fake::state().calls.clear();
}

int CountCalls(const char* name) { return static_cast<int>(fake::CallsNamed(name).size()); }

}  // namespace

TEST(Pacing, LongFrameDoesNotWait) {
    StartClock(0);
    fake::AdvanceClock(20);
    WaitForFrameTime();
    EXPECT_EQ(CountCalls("Sleep"), 0);
    EXPECT_DOUBLE_EQ(lastFrameTime, 0.020);
    EXPECT_DOUBLE_EQ(frameElapsed, 0.020);
    // One reading for the test, and a third one (not the second reused) for the end.
    EXPECT_EQ(CountCalls("QueryPerformanceCounter"), 2);
}

TEST(Pacing, ShortFrameSleepsInMillisecondSteps) {
    StartClock(0.100);
    fake::AdvanceClock(105);
    WaitForFrameTime();
    const auto sleeps = fake::CallsNamed("Sleep");
    ASSERT_EQ(sleeps.size(), 10u);
    for (const auto& s : sleeps) EXPECT_EQ(s.a, 1);
    EXPECT_GE(frameElapsed, kFrameSeconds);
    EXPECT_NEAR(lastFrameTime, 0.115, 1e-9);
    // After the last sleep: the reading that ends the wait, then a fresh one.
    const auto names = fake::CallNames();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[names.size() - 3], "Sleep");
    EXPECT_EQ(names[names.size() - 2], "QueryPerformanceCounter");
    EXPECT_EQ(names[names.size() - 1], "QueryPerformanceCounter");

    // A coarse sleep ends the wait as soon as 15 ms have gone by.
    StartClock(0);
    fake::state().sleepOvershootMs = 3;
    fake::AdvanceClock(5);
    WaitForFrameTime();
    EXPECT_EQ(CountCalls("Sleep"), 3);  // 9, 13, 17 ms
    EXPECT_NEAR(lastFrameTime, 0.017, 1e-9);

    // The first frame measures from the clock's zero.
    StartClock(0);
    WaitForFrameTime();
    EXPECT_EQ(CountCalls("Sleep"), 15);
}

TEST(Pacing, ClockBehindTheLastFrameCountsByItsDistance) {
    // 20 ms behind: far enough apart already.
    StartClock(0.050);
    fake::AdvanceClock(30);
    WaitForFrameTime();
    EXPECT_EQ(CountCalls("Sleep"), 0);
    EXPECT_DOUBLE_EQ(lastFrameTime, 0.030);

    // 10 ms behind: the distance shrinks to 0 and grows again to 15 ms.
    StartClock(0.050);
    fake::AdvanceClock(40);
    WaitForFrameTime();
    EXPECT_EQ(CountCalls("Sleep"), 25);
    EXPECT_NEAR(lastFrameTime, 0.065, 1e-9);
}
