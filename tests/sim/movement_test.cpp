#include <gtest/gtest.h>

#include <vector>

#include "app/game_state.h"
#include "app/message_loop.h"
#include "app/startup.h"
#include "platform/fake/fake_platform.h"
#include "sim/frame.h"
#include "support/fresh_game.h"

namespace {

constexpr int kKeyW = 0x57;

void PlacePlayer(double x, double z, double vx, double vz, double headingDegrees) {
    ResetGameState();
    playerX = x, playerZ = z;
    velocityX = vx, velocityZ = vz;
    heading = headingDegrees;
}

}  // namespace

TEST(Movement, HeldKeyWalksAtASteadyPaceGlidesToRestAndAWallStopsIt) {
    // The real loop: each idle step runs a frame, then adds the key's impulse
    // along the heading that frame latched. Heading 90 faces -x; the lane at
    // z 50 is open from x 500 down to the room's wall.
    PlacePlayer(500, 50, 0, 0, 90);
    fake::Reset();
    TimerInit();
    const auto walk = [](int frames) {
        std::vector<double> steps;
        for (int frame = 0; frame < frames; ++frame) {
            const double x = playerX;
            IdleStep();
            steps.push_back(x - playerX);
        }
        return steps;
    };
    keys[kKeyW] = true;
    std::vector<double> steps = walk(60);
    keys[kKeyW] = false;
    EXPECT_GT(steps.back(), 0);
    for (std::size_t i = steps.size() - 10; i < steps.size(); ++i) EXPECT_NEAR(steps[i], steps.back(), 0.01 * steps.back()) << "steady";
    EXPECT_NEAR(playerZ, 50, 1e-4);
    EXPECT_EQ(frameHeading, 90);

    // Let go, the player glides on in ever shorter steps and comes to rest
    // within a few steps' length.
    const double pace = steps.back(), releasedAt = playerX;
    steps = walk(200);
    for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_LE(steps[i], steps[i - 1] + 1e-6);
    EXPECT_LT(steps.back(), 1e-6);
    EXPECT_GT(releasedAt - playerX, pace);
    EXPECT_LT(releasedAt - playerX, 6 * pace);

    // Held again, the walk ends at the room's wall, short of it.
    keys[kKeyW] = true;
    steps = walk(400);
    keys[kKeyW] = false;
    EXPECT_EQ(steps.back(), 0) << "stopped";
    EXPECT_GT(playerX, 0);
    EXPECT_LT(playerX, 4 * pace);
    EXPECT_NEAR(playerZ, 50, 1e-4);
}
