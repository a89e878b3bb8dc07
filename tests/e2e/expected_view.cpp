// What the game should show: a frame drawn by the game's own drawing code,
// on an X server of its own, for comparing with the live screen.
#include <GL/gl.h>
#include <unistd.h>

#include <cstdlib>

#include "app/game_state.h"
#include "app/game_window.h"
#include "app/startup.h"
#include "e2e/game_session.h"
#include "gl_support/gl_window.h"
#include "render/level.h"
#include "render/multitexture.h"
#include "render/overlays.h"
#include "render/textures.h"
#include "sim/frame.h"

namespace e2e {
namespace {

constexpr int kWidth = 1280, kHeight = 720;
double startX = 0, startZ = 0;

bool Ready() {
    static GameSession server;  // only its X server: the game itself is not started
    static const bool ready = [] {
        startX = playerX;
        startZ = playerZ;
        if (!server.ServerUp()) return false;
        setenv("DISPLAY", server.DisplayName().c_str(), 1);
        char here[4096];
        if (!gltest::OpenWindow(kWidth, kHeight) || !getcwd(here, sizeof here)) return false;
        // The textures are read from the working directory, as the game does.
        if (chdir(BuiltDataDir().c_str()) != 0) return false;
        multitextureSupported = InitMultitexture();
        const bool loaded = LoadTextures();
        BuildLevelList();
        SetFixedGlState();
        ResizeScene(kWidth, kHeight);
        return chdir(here) == 0 && loaded;
    }();
    return ready;
}

}  // namespace

Image ExpectedView(double headingDegrees, double pitchDegrees) {
    Image image;
    if (!Ready()) return image;
    // Two frames: the second starts from the blending the first one leaves, as
    // every frame of a running game does.
    for (int frame = 0; frame < 2; ++frame) {
        playerX = startX;
        playerZ = startZ;
        velocityX = velocityZ = 0;
        heading = headingDegrees;
        pitch = pitchDegrees;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        MovePlayer();
        ApplyCamera();
        DrawLevel();
        DrawOverlays();
    }
    glFinish();
    image.width = kWidth;
    image.height = kHeight;
    image.rgb.resize(static_cast<size_t>(kWidth) * kHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int y = 0; y < kHeight; ++y)  // OpenGL counts rows from the bottom
        glReadPixels(0, kHeight - 1 - y, kWidth, 1, GL_RGB, GL_UNSIGNED_BYTE, &image.rgb[static_cast<size_t>(y) * kWidth * 3]);
    return image;
}

}  // namespace e2e
