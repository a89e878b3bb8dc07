#include <gtest/gtest.h>

#include <cstring>

#include "app/game_state.h"
#include "sim/particles.h"

namespace {

constexpr double kGravity = 0.009999999776482582;

Particle Chip(double x, double y, double z, double vx, double vy, double vz) {
    Particle p{};
    p.life = 1;
    p.fade = 0.02;
    p.posX = x, p.posY = y, p.posZ = z;
    p.velX = vx, p.velY = vy, p.velZ = vz;
    p.spinX = 3;
    return p;
}

}  // namespace

TEST(Particles, DebrisFallsAndBouncesOffTheFloor) {
    Particle p = Chip(50, 0.05, 50, 0.1, -0.1, 0);
    MoveDebris(p);
    // Put back on the floor, vertical speed reversed to three quarters, then gravity and drag.
    EXPECT_EQ(p.posY, 0);
    EXPECT_DOUBLE_EQ(p.velY, (0.075 - kGravity) * 0.99);
    EXPECT_DOUBLE_EQ(p.posX, 50.1);
    EXPECT_DOUBLE_EQ(p.velX, 0.1 * 0.99);
    EXPECT_DOUBLE_EQ(p.life, 0.98);
    // The tumble turns by the old spin, and the spin slows by the fade.
    EXPECT_EQ(p.angleX, 3);
    EXPECT_DOUBLE_EQ(p.spinX, 2.98);
    EXPECT_DOUBLE_EQ(p.spinY, -0.02);

    // In free air: no bounce, just gravity.
    Particle air = Chip(50, 20, 50, 0, 0, 0);
    MoveDebris(air);
    EXPECT_EQ(air.posY, 20);
    EXPECT_DOUBLE_EQ(air.velY, -kGravity * 0.99);

    // Against ring 1's +x wall from outside.
    Particle wall = Chip(282.1, 10, 256, -0.2, 0, 0);
    MoveDebris(wall);
    EXPECT_EQ(wall.posX, 282);
    EXPECT_DOUBLE_EQ(wall.velX, 0.15 * 0.99);
}

TEST(Particles, SmokeRisesAndPassesThroughWalls) {
    Particle p = Chip(281, 10, 256, 0.2, 0, 0);  // inside a wall
    MoveSmoke(p);
    EXPECT_DOUBLE_EQ(p.posX, 281.1);
    EXPECT_EQ(p.posY, 10);
    EXPECT_DOUBLE_EQ(p.velY, kGravity * 0.8999999761581421);
    EXPECT_DOUBLE_EQ(p.velX, 0.2 * 0.8999999761581421);
    EXPECT_DOUBLE_EQ(p.life, 0.99);  // smoke fades at half the rate
    Particle low = Chip(50, -1, 50, 0, 0, 0);
    MoveSmoke(low);
    EXPECT_EQ(low.posY, -1);
}

TEST(Particles, PassRunsOneFrameAfterTheLastParticleDies) {
    std::memset(particles, 0, sizeof particles);
    particles[20][30] = Chip(50, 20, 50, 0, 0, 0);
    particles[20][30].fade = 0.6;
    particles[3][44] = Chip(50, 20, 50, 0, 0, 0);
    particles[3][44].fade = 1.0;  // smoke: half of it per frame
    burstActive = true;

    UpdateParticles();  // both live at the start of the pass
    EXPECT_TRUE(burstActive);
    EXPECT_DOUBLE_EQ(particles[20][30].life, 0.4);
    EXPECT_DOUBLE_EQ(particles[3][44].life, 0.5);
    EXPECT_LT(particles[20][30].velY, 0);

    UpdateParticles();  // the chip dies here but was alive when the pass began
    EXPECT_TRUE(burstActive);
    EXPECT_LE(particles[20][30].life, 0);
    EXPECT_DOUBLE_EQ(particles[3][44].life, 0);
    EXPECT_GT(particles[3][44].posY, 20);  // the puff has begun to rise

    const double deadY = particles[20][30].posY;
    UpdateParticles();  // nothing live: the pass turns itself off and moves nothing
    EXPECT_FALSE(burstActive);
    EXPECT_EQ(particles[20][30].posY, deadY);
}
