#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/game_state.h"
#include "sim/particles.h"
#include "sim/random.h"
#include "sim/shot.h"

namespace {

// A player standing at the start, looking in the given direction, with a
// shot requested and nothing in flight.
void Aim(double headingDegrees, double pitchDegrees) {
    cameraX = -256;
    cameraZ = -256;
    frameHeading = headingDegrees;
    pitch = pitchDegrees;
    shotDone = true;
    burstActive = false;
    fireRequested = true;
    std::memset(particles, 0, sizeof particles);
}

bool BurstSlotIsEmpty(int slot) {
    for (int i = 0; i < kParticlesPerBurst; ++i) {
        if (particles[i][slot].life != 0) return false;
    }
    return true;
}

}  // namespace

TEST(Shot, LevelShotStaysAtEyeHeight) {
    shotSlot = 0;
    Aim(0, 0);
    FireShot();
    EXPECT_TRUE(shotDone);
    EXPECT_FALSE(fireRequested);
    EXPECT_TRUE(burstActive);
    EXPECT_EQ(shotSlot, 1);
    EXPECT_EQ(shotY, 10);
    // Towards -z it meets the -z wall of ring 1 (z 230..232) and stops inside it.
    EXPECT_EQ(shotX, 256);
    EXPECT_GT(shotZ, 230);
    EXPECT_LT(shotZ, 232);
    const Particle& puff = particles[0][1];
    EXPECT_EQ(puff.life, 1);
    EXPECT_EQ(puff.posY, 10);
    EXPECT_EQ(puff.posZ, shotZ);
}

TEST(Shot, SteepShotReachesTheFloorInFiveSteps) {
    shotSlot = 0;
    Aim(0, 85);
    FireShot();
    EXPECT_TRUE(burstActive);
    EXPECT_EQ(shotY, 0);
    // 0.2 horizontally per step: five steps from z 256.
    EXPECT_NEAR(shotZ, 255, 1e-9);
    EXPECT_NEAR(shotStepY, -2.286, 0.001);

    // Heading 90 shoots towards -x.
    Aim(90, 85);
    FireShot();
    EXPECT_NEAR(shotX, 255, 1e-6);
    EXPECT_NEAR(shotZ, 256, 1e-6);
}

TEST(Shot, RingOfFortyFiveSlots) {
    // The 45th shot: the burst goes into slot 0, one past the sound's slot 44.
    shotSlot = 44;
    Aim(0, 85);
    FireShot();
    EXPECT_EQ(shotSlot, 0);
    EXPECT_FALSE(BurstSlotIsEmpty(0));
    EXPECT_TRUE(BurstSlotIsEmpty(44));
    EXPECT_TRUE(BurstSlotIsEmpty(1));

    // The 46th writes slot 1.
    Aim(0, 85);
    FireShot();
    EXPECT_EQ(shotSlot, 1);
    EXPECT_FALSE(BurstSlotIsEmpty(1));

    // Two requests between frames are one request: the next frame fires no more.
    burstActive = false;
    fireRequested = true;
    fireRequested = true;
    FireShot();
    EXPECT_EQ(shotSlot, 2);
    burstActive = false;
    FireShot();
    EXPECT_EQ(shotSlot, 2);
    EXPECT_FALSE(burstActive);
}

TEST(Shot, TraceStopsAfterTenThousandAndOneSteps) {
    // A tiny step in open floor space (z 50 passes below every maze wall)
    // reaches x 110.01 after 10001 steps, far from anything it could touch.
    std::memset(particles, 0, sizeof particles);
    burstActive = false;
    shotSlot = 3;
    shotX = 10, shotY = 10, shotZ = 50;
    shotStepX = 0.01, shotStepY = 0, shotStepZ = 0;
    shotDone = false;
    TraceShot();
    EXPECT_TRUE(shotDone);
    EXPECT_FALSE(burstActive);
    EXPECT_TRUE(BurstSlotIsEmpty(3));
    EXPECT_NEAR(shotX, 10 + 10001 * 0.01, 1e-6);

    // Nothing runs while no shot is under way.
    TraceShot();
    EXPECT_NEAR(shotX, 10 + 10001 * 0.01, 1e-6);
}

TEST(Shot, BurstsDrawTheWindowsRuntimesNumbersOnEveryBuild) {
    // The Windows build checks the generator against the runtime's own
    // rand(), unseeded as in the game; every build checks the start of that
    // sequence, which the Windows run confirms.
    SeedRand(1);
#ifdef _WIN32
    for (int i = 0; i < 100000; ++i) ASSERT_EQ(Rand(), std::rand()) << "draw " << i;
#else
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(Rand(), expected);
#endif
    int highest = 0;
    for (int i = 0; i < 100000; ++i) highest = std::max(highest, Rand());
    EXPECT_EQ(highest, kRandMax);
}

TEST(Shot, BurstsRepeatFromRunToRunAndDrawInOrder) {
    // The generator starts as if seeded with 1: every run draws the same
    // numbers, so the n-th burst has the same shape.
    SeedRand(1);
    int draws[900];
    for (int& d : draws) d = Rand();
    SeedRand(1);
    shotX = 1, shotY = 2, shotZ = 3;
    shotStepX = 0, shotStepY = -0.1, shotStepZ = 0.2;
    shotSlot = 7;
    SpawnImpactBurst();
    // 899 draws: 19 for the big puff, 20 for each other particle.
    EXPECT_EQ(Rand(), draws[899]);

    const Particle& big = particles[0][7];
    EXPECT_EQ(big.size, 2);
    EXPECT_EQ(big.cornerX[0], (draws[0] % 50 - 25) / 75.0);
    EXPECT_EQ(big.cornerZ[2], (draws[8] % 50 - 25) / 75.0);
    EXPECT_EQ(big.angleX, draws[9] % 360);
    EXPECT_EQ(big.spinZ, (draws[14] % 50 - 25) / 5.0);
    EXPECT_EQ(big.fade, (draws[15] % 100) / 5000.0 + 0.019999999552965164);
    EXPECT_EQ(big.life, 1);
    EXPECT_EQ(big.posZ, 3);
    // The spread's lengths go into sin and cos as radians.
    const double a = draws[16] % 360, c = draws[17] % 360, s = (draws[18] % 100) / 500.0;
    const double r = Length2D(a, c);
    EXPECT_EQ(big.velX, std::sin(std::sqrt(a * a + r * r)) * s);
    EXPECT_EQ(big.velY, std::cos(std::sqrt(a * a + r * r)) * s - 0.1);
    EXPECT_EQ(big.velZ, std::cos(std::sqrt(c * c + r * r)) * s + 0.2);
    // Every other particle starts with its size.
    EXPECT_EQ(particles[1][7].size, (draws[19] % 25 + 25) / 50.0);
    EXPECT_EQ(particles[44][7].size, (draws[19 + 43 * 20] % 25 + 25) / 50.0);

    // A second burst made the same way is identical.
    static Particle first[kParticlesPerBurst][kBurstSlots];
    std::memcpy(first, particles, sizeof first);
    std::memset(particles, 0, sizeof particles);
    SeedRand(1);
    SpawnImpactBurst();
    EXPECT_EQ(std::memcmp(first, particles, sizeof first), 0);
}
