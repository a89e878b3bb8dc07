#include <gtest/gtest.h>

#include <cstring>

#include "app/game_state.h"
#include "sim/particles.h"

namespace {

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

TEST(Particles, DebrisFallsBouncesLowerEachTimeAndFadesSmokeRisesThroughWalls) {
    // Dropped from 5 units: it falls faster and faster, bounces back lower
    // than it fell, and lies on the floor, never below it.
    Particle chip = Chip(50, 5, 50, 0.1, 0, 0);
    double highest = 5, bounces = 0, lastVelY = 0;
    for (int frame = 0; frame < 40; ++frame) {
        MoveDebris(chip);
        EXPECT_GE(chip.posY, 0);
        if (lastVelY < 0 && chip.velY > 0) ++bounces;
        lastVelY = chip.velY;
    }
    for (int frame = 0; frame < 200; ++frame) {
        MoveDebris(chip);
        if (chip.velY < 0 && lastVelY > 0) {  // the top of a bounce
            EXPECT_LT(chip.posY, highest);
            highest = chip.posY;
        }
        lastVelY = chip.velY;
    }
    EXPECT_GE(bounces, 1);
    EXPECT_LT(highest, 5);
    EXPECT_GT(chip.posX, 50) << "it carries on along its way";
    EXPECT_LT(chip.velX, 0.1) << "and slows";
    EXPECT_LT(chip.life, 0) << "faded out";

    // Thrown at ring 1's +x wall from outside: it comes back off it.
    Particle wall = Chip(282.1, 10, 256, -0.2, 0, 0);
    for (int frame = 0; frame < 5; ++frame) MoveDebris(wall);
    EXPECT_GE(wall.posX, 282);
    EXPECT_GT(wall.velX, 0);

    // Smoke from inside the same wall drifts on through it and rises,
    // slowing, and fades at half the debris' rate.
    Particle smoke = Chip(281, 10, 256, 0.2, 0, 0);
    Particle debris = Chip(281, 10, 256, 0.2, 0, 0);
    MoveSmoke(smoke);
    MoveDebris(debris);
    for (int frame = 0; frame < 20; ++frame) MoveSmoke(smoke);
    EXPECT_GT(smoke.posX, 281.5) << "not stopped by the wall";
    EXPECT_GT(smoke.posY, 10);
    EXPECT_LT(smoke.velX, 0.2);
    EXPECT_NEAR(1 - smoke.life, 21 * (1 - debris.life) / 2, 1e-9);
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
