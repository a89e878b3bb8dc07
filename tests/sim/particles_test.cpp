#include <gtest/gtest.h>

#include <cmath>

#include "app/game_state.h"
#include "sim/particles.h"
#include "sim/shot.h"
#include "support/fresh_game.h"

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
    // slowing, and fades slower than the debris.
    Particle smoke = Chip(281, 10, 256, 0.2, 0, 0);
    Particle debris = Chip(281, 10, 256, 0.2, 0, 0);
    MoveSmoke(smoke);
    MoveDebris(debris);
    EXPECT_GT(smoke.life, debris.life) << "smoke fades slower";
    for (int frame = 0; frame < 20; ++frame) MoveSmoke(smoke);
    EXPECT_GT(smoke.posX, 281.5) << "not stopped by the wall";
    EXPECT_GT(smoke.posY, 10);
    EXPECT_LT(smoke.velX, 0.2);
}

// A shot's burst: the chips spread, fall and lie on the floor, the smoke
// rises, each fades every frame it lives, and the pass turns itself off one
// frame after the last of them is gone.
TEST(Particles, ABurstSpreadsFallsRisesAndFadesToNothing) {
    AimFromStart(0, 0, 0);
    FireShot();
    ASSERT_TRUE(burstActive);
    int slot = 0;
    while (slot < kBurstSlots - 1 && !(particles[0][slot].life > 0)) ++slot;
    double spreadEarly = 0, spread = 0, debrisY = 0, smokeY = 0;
    int passes = 0, lastLive = 0;
    while (burstActive && passes < 1000) {
        ++passes;
        Particle before[kParticlesPerBurst];
        for (int i = 0; i < kParticlesPerBurst; ++i) before[i] = particles[i][slot];
        UpdateParticles();
        spread = 0;
        for (int i = 0; i < kParticlesPerBurst; ++i) {
            const Particle& p = particles[i][slot];
            if (before[i].life > 0) {
                ASSERT_LT(p.life, before[i].life) << i;
                (i < kSmokePuffs ? smokeY : debrisY) += p.posY - before[i].posY;
            }
            if (p.life > 0) lastLive = passes;
            EXPECT_GE(p.posY, 0) << i;
            spread += std::hypot(p.posX - shotX, p.posZ - shotZ);
        }
        if (passes == 2) spreadEarly = spread;
    }
    EXPECT_FALSE(burstActive) << "gone within its life";
    EXPECT_EQ(passes, lastLive + 2) << "one pass after the last faded out";
    EXPECT_GT(spread, 2 * spreadEarly) << "spreads";
    EXPECT_LT(debrisY, 0) << "the chips fall";
    EXPECT_GT(smokeY, 0) << "the smoke rises";
}
