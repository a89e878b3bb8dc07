#include "app/game_state.h"

plat::Handle gameWindow = nullptr;
plat::Handle deviceContext = nullptr;
plat::Handle renderingContext = nullptr;
bool fullscreen = false;
bool active = true;
int done = 0;
// Filled on the first window creation; its size and version are there from the start.
plat::PixelFormatDescriptor pixelFormat = {sizeof(plat::PixelFormatDescriptor), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

bool keys[256] = {};
double mouseDivisor = 8.0;
double lastMouseX = 0;
double lastMouseY = 0;
double heading = 0;
double pitch = 0;

double playerX = 256.0;
double playerY = 7.0;
double playerZ = 256.0;
double velocityX = 0;
double zeroVelocity = 0;
double velocityZ = 0;
double frameHeading = 0;
double cameraX = 0;
double cameraZ = 0;
double yawAngle = 0;

bool fireRequested = false;
int fireCooldown = 0;
int shotSlot = 0;
bool shotDone = true;  // no trace runs before the first shot
double shotX = 0, shotY = 10.0, shotZ = 0;
double shotStepX = 0, shotStepY = 0, shotStepZ = 0;

Particle particles[kParticlesPerBurst][kBurstSlots] = {};
bool burstActive = false;

std::uint32_t textures[tex::kSlotCount] = {};
std::uint32_t levelList = 0;
bool multitextureSupported = false;
int maxTextureUnits = 1;

Timer timer = {};
double lastFrameTime = 0;
double frameNow = 0;
double frameElapsed = 0;
