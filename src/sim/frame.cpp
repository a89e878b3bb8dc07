#include "sim/frame.h"

#include <GL/gl.h>

#include <cmath>

#include "app/game_state.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "render/level.h"
#include "render/overlays.h"
#include "sim/collision.h"
#include "sim/particles.h"
#include "sim/shot.h"

namespace {

constexpr double kDamping = 0.800000011920929;  // 0.8 in single precision
constexpr double kMovePerVelocity = 10.0;       // the player moves a tenth of its velocity
constexpr double kPlayerRadius = 2.5;
constexpr double kFrameSeconds = 0.014999999664723873;  // 0.015 in single precision

double SecondsNow() { return TimerGetTime() / 1000.0; }

}  // namespace

void MovePlayer() {
    velocityX *= kDamping;
    velocityZ *= kDamping;
    playerX += velocityX / kMovePerVelocity;
    playerZ += velocityZ / kMovePerVelocity;
    // The view and any shot of this frame start from here: a wall or a portal
    // shows its effect from the next frame on.
    cameraX = -playerX;
    cameraZ = -playerZ;
    CollideWithWorld(playerX, playerY, playerZ, velocityX, zeroVelocity, velocityZ, kPlayerRadius, 0.0);
    frameHeading = heading;
    yawAngle = 360.0 - frameHeading;
}

void ApplyCamera() {
    glLoadIdentity();
    glRotated(pitch, 1, 0, 0);
    glRotated(yawAngle, 0, 1, 0);
    glTranslated(cameraX, -kEyeHeight, cameraZ);
}

void WaitForFrameTime() {
    // A clock read behind the previous frame's end still counts by its
    // distance, so a jump backwards cannot stall the game.
    frameNow = SecondsNow();
    frameElapsed = std::fabs(frameNow - lastFrameTime);
    while (frameElapsed < kFrameSeconds) {
        plat::Sleep(1);
        frameNow = SecondsNow();
        frameElapsed = std::fabs(frameNow - lastFrameTime);
    }
    lastFrameTime = SecondsNow();
}

bool RunFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    MovePlayer();
    ApplyCamera();
    DrawLevel();
    FireShot();
    if (burstActive) UpdateParticles();
    DrawOverlays();
    WaitForFrameTime();
    return true;
}
