// Everything the game remembers lives here, process-wide, for the whole run.
// Procedures read and write these directly; nothing is ever reset.
#pragma once

#include <cstdint>

#include "platform/window.h"

// Window and display.
extern plat::Handle gameWindow;
extern plat::Handle deviceContext;
extern plat::Handle renderingContext;
extern bool fullscreen;  // the display mode was changed for the window
extern bool active;      // not minimised: frames are drawn only while true
extern int done;         // non-zero ends the main loop
extern plat::PixelFormatDescriptor pixelFormat;

// Input and view.
extern bool keys[256];  // indexed by virtual-key code
extern double mouseDivisor;  // cursor pixels per degree of mouse look
extern double lastMouseX;
extern double lastMouseY;
extern double heading;  // degrees; 0 looks towards -z, 90 towards -x
extern double pitch;    // degrees; positive looks down

// Player and camera.
extern double playerX;
extern double playerY;  // collision centre height; the eye is fixed at 10
extern double playerZ;
extern double velocityX;  // world units per ten frames
extern double zeroVelocity;  // stays 0; passed where a velocity must carry no motion
extern double velocityZ;
extern double frameHeading;  // heading latched by the frame
extern double cameraX;  // negated player position after integration, before collision
extern double cameraZ;
extern double yawAngle;  // 360 - frameHeading

// Shooting.
extern bool fireRequested;
extern int fireCooldown;  // idle steps before Space can fire again
extern int shotSlot;      // 0..44: selects the shot sound and the burst slot
extern bool shotDone;
extern double shotX, shotY, shotZ;
extern double shotStepX, shotStepY, shotStepZ;

// Impact particles: 24 doubles each.
struct Particle {
    double life;  // live while above 0; drawn as alpha
    double fade;
    double size;  // half the side of a smoke quad
    double cornerX[3];
    double cornerY[3];
    double cornerZ[3];
    double angleX, angleY, angleZ;
    double spinX, spinY, spinZ;
    double posX, posY, posZ;
    double velX, velY, velZ;
};
static_assert(sizeof(Particle) == 24 * sizeof(double), "a particle is 24 doubles");

constexpr int kBurstSlots = 45;
constexpr int kParticlesPerBurst = 45;
constexpr int kSmokePuffs = 8;  // particle numbers 0..7 are smoke, the rest debris

// [particle number][burst slot]: the burst slot varies fastest in memory.
extern Particle particles[kParticlesPerBurst][kBurstSlots];
extern bool burstActive;

// Rendering assets.
namespace tex {
// Texture slots, named after their files; 0, 12, 13 and 14 stay empty.
enum Slot {
    floor = 1,
    wall = 2,
    clay = 3,
    LightMapFloor = 4,
    LightMapCeiling = 5,
    LightMapBackWall = 6,
    LightMapFrontWall = 7,
    LightMapLeftWall = 8,
    LightMapRightWall = 9,
    clouds = 10,
    m16 = 11,
    crosshair = 15,
    smoke = 16,
    ceiling = 17,
    floor_1 = 18,
    wall_1 = 19,
    portal = 20,
    portal_2 = 21,
};
constexpr int kSlotCount = 22;
}  // namespace tex

extern std::uint32_t textures[tex::kSlotCount];  // OpenGL texture names; 0 = not loaded
extern std::uint32_t levelList;  // OpenGL display list of the level; 0 = none
extern bool multitextureSupported;
extern int maxTextureUnits;

// Timing.
struct Timer {
    std::int64_t countsPerSecond;
    double secondsPerCount;
    std::uint32_t startTick;  // millisecond clock only
    bool highResolution;      // the performance counter is in use
    std::int64_t startCount;  // performance counter only
};
extern Timer timer;
extern double lastFrameTime;  // seconds, end of the previous frame
extern double frameNow;
extern double frameElapsed;

// Number of slots in the ring of shots (sounds and bursts alike).
constexpr int kShotRing = 45;
