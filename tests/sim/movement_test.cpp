#include <gtest/gtest.h>

#include "app/game_state.h"
#include "sim/frame.h"

namespace {

void PlacePlayer(double x, double z, double vx, double vz, double headingDegrees) {
    playerX = x, playerY = 7, playerZ = z;
    velocityX = vx, velocityZ = vz;
    zeroVelocity = 0;
    heading = headingDegrees;
}

}  // namespace

TEST(Movement, HeldKeySettlesAtTwoUnitsPerFrame) {
    // Down the open lane at x 50, towards -z; the loop adds 5 after every frame.
    PlacePlayer(50, 480, 0, 0, 0);
    double beforeDamping = 0, step = 0;
    for (int frame = 0; frame < 100; ++frame) {
        velocityZ -= 5;
        beforeDamping = velocityZ;
        const double z = playerZ;
        MovePlayer();
        step = z - playerZ;
    }
    EXPECT_NEAR(beforeDamping, -25, 1e-5);
    EXPECT_NEAR(velocityZ, -20, 1e-5);
    EXPECT_NEAR(step, 2, 1e-6);
    EXPECT_EQ(velocityX, 0);
    EXPECT_EQ(playerX, 50);
    EXPECT_EQ(playerY, 7);

    // Released, the velocity decays by 0.8 in single precision per frame.
    velocityZ = -20;
    MovePlayer();
    EXPECT_EQ(velocityZ, -20 * 0.800000011920929);
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
