#include "sim/shot.h"

#include <cmath>

#include "app/game_state.h"
#include "sim/collision.h"
#include "sim/frame.h"
#include "sim/particles.h"
#include "sound/sound.h"

namespace {

constexpr double kDegreesToRadians = 0.01745329238474369;
// Each step advances 0.2 units horizontally: the step is the view direction
// divided by 5 cos(pitch).
constexpr double kStepsPerUnit = 5.0;
// Nothing in the room is further than about 3620 steps; this only bounds a
// trace that somehow never touches anything.
constexpr int kMaxSteps = 10001;

}  // namespace

void FireShot() {
    if (fireRequested) {
        // A sound that cannot play leaves the shot silent; the trace still runs.
        shotSounds[shotSlot].Play(false);
        shotSlot += 1;
        if (shotSlot > kShotRing - 1) shotSlot = 0;
        shotDone = false;
        fireRequested = false;

        const double h = frameHeading * kDegreesToRadians;
        const double p = pitch * kDegreesToRadians;
        shotX = -cameraX;
        shotY = kEyeHeight;
        shotZ = -cameraZ;
        shotStepX = -std::sin(h) / kStepsPerUnit;
        shotStepY = -std::tan(p) / kStepsPerUnit;
        shotStepZ = -std::cos(h) / kStepsPerUnit;
    }
    TraceShot();
}

void TraceShot() {
    int steps = 0;
    while (!shotDone) {
        ++steps;
        shotX += shotStepX;
        shotY += shotStepY;
        shotZ += shotStepZ;
        if (CollideWithWorld(shotX, shotY, shotZ, zeroVelocity, zeroVelocity, zeroVelocity, 0.0, 0.0)) {
            shotDone = true;
            SpawnImpactBurst();
            burstActive = true;
        } else if (steps >= kMaxSteps) {
            shotDone = true;
        }
    }
}
