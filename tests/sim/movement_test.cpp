#include <gtest/gtest.h>

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

TEST(Movement, HeldKeySettlesAtTwoUnitsPerFrame) {
    // The real loop: each idle step runs a frame, then adds the key's impulse
    // of 5 along the heading that frame latched. Heading 90 faces -x; the lane
    // at z 50 is open from x 500 down to the room's wall.
    PlacePlayer(500, 50, 0, 0, 90);
    fake::Reset();
    TimerInit();
    keys[kKeyW] = true;
    double step = 0;
    for (int frame = 0; frame < 80; ++frame) {
        const double x = playerX;
        IdleStep();
        step = x - playerX;
    }
    keys[kKeyW] = false;
    EXPECT_NEAR(step, 2, 1e-6);
    EXPECT_LT(playerX, 500 - 150);
    EXPECT_NEAR(playerZ, 50, 1e-4);
    EXPECT_EQ(playerY, 7);
    EXPECT_EQ(frameHeading, 90);

    // Let go, the player glides on in ever shorter steps and comes to rest
    // within a few steps' length.
    const double releasedAt = playerX;
    for (int frame = 0; frame < 200; ++frame) {
        const double x = playerX;
        IdleStep();
        EXPECT_LE(x - playerX, step + 1e-6);
        step = x - playerX;
    }
    EXPECT_LT(step, 1e-6);
    EXPECT_GT(releasedAt - playerX, 2);
    EXPECT_LT(releasedAt - playerX, 12);
}

TEST(Movement, PortalFrameIsViewedFromBeforeTheWrap) {
    PlacePlayer(509, 256, 10, 0, 30);
    MovePlayer();
    EXPECT_NEAR(cameraX, -509.8, 1e-6);  // where the move took it
    EXPECT_EQ(playerX, 5);              // where the collision put it
    EXPECT_EQ(velocityX, 0);
    EXPECT_EQ(cameraZ, -256);
    EXPECT_EQ(frameHeading, 30);
    EXPECT_EQ(yawAngle, 330);
    MovePlayer();
    EXPECT_EQ(cameraX, -5);  // the next frame shows the far side

    // Walls work the same way: the camera sees the move into the wall once.
    PlacePlayer(276, 256, 30, 0, 0);  // ring 1's +x wall from inside
    MovePlayer();
    EXPECT_NEAR(cameraX, -278.4, 1e-6);
    EXPECT_EQ(playerX, 277.5);
    EXPECT_EQ(velocityX, 0);
    EXPECT_EQ(zeroVelocity, 0);
}
