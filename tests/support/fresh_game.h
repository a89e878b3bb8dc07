// The game's state as the program has it at load (the player at the start,
// nothing in flight), for tests that run one part of it again and again.
#pragma once

#include <algorithm>
#include <cstring>

#include "app/game_state.h"

inline void ResetGameState() {
    gameWindow = deviceContext = renderingContext = nullptr;
    fullscreen = false;
    active = true;
    done = 0;
    std::fill(std::begin(keys), std::end(keys), false);
    lastMouseX = lastMouseY = heading = pitch = 0;
    playerX = 256, playerY = 7, playerZ = 256;
    velocityX = velocityZ = zeroVelocity = frameHeading = yawAngle = cameraX = cameraZ = 0;
    fireRequested = false;
    fireCooldown = shotSlot = 0;
    shotDone = true;
    std::memset(particles, 0, sizeof particles);
    burstActive = false;
    timer = Timer{};
    lastFrameTime = frameNow = frameElapsed = 0;
}

// At the start, looking along this heading and pitch, with a shot asked for.
inline void AimFromStart(double headingDegrees, double pitchDegrees, int slot) {
    ResetGameState();
    cameraX = cameraZ = -256;
    frameHeading = heading = headingDegrees;
    pitch = pitchDegrees;
    shotSlot = slot;
    fireRequested = true;
}
