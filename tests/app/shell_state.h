// Puts the double and the shell's part of the game state back to their
// values at load, so each test starts from a fresh program.
#pragma once

#include <algorithm>

#include "app/game_state.h"
#include "support/fake_platform.h"

inline void ResetShell() {
    fake::Reset();
    gameWindow = deviceContext = renderingContext = nullptr;
    fullscreen = false;
    active = true;
    done = 0;
    std::fill(std::begin(keys), std::end(keys), false);
    lastMouseX = lastMouseY = heading = pitch = 0;
    playerX = 256.0;
    playerY = 7.0;
    playerZ = 256.0;
    velocityX = velocityZ = frameHeading = yawAngle = cameraX = cameraZ = 0;
    fireRequested = false;
    fireCooldown = 0;
    timer = Timer{};
    lastFrameTime = frameNow = frameElapsed = 0;
}
