#include <gtest/gtest.h>

#include "app/game_state.h"
#include "app/startup.h"
#include "platform/fake/fake_platform.h"
#include "sim/frame.h"

// Frames end at least 15 ms apart, waiting in steps of a millisecond, and a
// clock read behind the last frame counts by its distance, so a jump
// backwards can never stall the game.
TEST(Pacing, FramesEndFifteenMillisecondsApartWaitingInMillisecondSleeps) {
    const struct {
        const char* what;
        double previousEnd;  // s
        int frameMs, overshootMs;
        int sleeps;
        double end;  // s
    } cases[] = {
        {"a long frame does not wait", 0, 20, 0, 0, 0.020},
        {"a short one waits out the rest", 0.100, 105, 0, 10, 0.115},
        {"a coarse sleep ends the wait once 15 ms have gone by", 0, 5, 3, 3, 0.017},
        {"the first frame measures from the clock's zero", 0, 0, 0, 15, 0.015},
        {"20 ms behind: far enough apart already", 0.050, 30, 0, 0, 0.030},
        {"10 ms behind: the distance shrinks to 0 and grows again", 0.050, 40, 0, 25, 0.065},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake::Reset();
        TimerInit();
        lastFrameTime = c.previousEnd;
        fake::state().sleepOvershootMs = c.overshootMs;
        fake::AdvanceClock(c.frameMs);
        WaitForFrameTime();
        const auto sleeps = fake::CallsNamed("Sleep");
        EXPECT_EQ(sleeps.size(), std::size_t(c.sleeps));
        for (const auto& s : sleeps) EXPECT_EQ(s.a, 1);
        EXPECT_NEAR(lastFrameTime, c.end, 1e-9);
        EXPECT_GE(frameElapsed, 0.015 - 1e-6);
    }
}
