// What the game should show: a frame drawn by the game's own drawing code,
// on an X server of its own, for comparing with the live screen; and the
// checks every end-to-end suite makes of its screen and its sound.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

Image ExpectSeen(const Image& screen, double off, double heading, double pitch, const std::string& name,
                 double bound) {
    Keep(screen, name);
    const double other = Difference(screen, ExpectedView(heading + 20, pitch - 20));
    std::printf("  heading %g pitch %g: off by %.2f (another view: %.2f)\n", heading, pitch, off, other);
    EXPECT_EQ(screen.height, 720) << "the whole picture";
    EXPECT_LT(off, bound) << "heading " << heading << " pitch " << pitch;
    EXPECT_GT(other, off + 5);
    return screen;
}

bool BurstShown(const Image& before, const Image& after, bool report) {
    const double centre = Brightness(after, 610, 330, 670, 390) - Brightness(before, 610, 330, 670, 390);
    const double corner = Brightness(after, 40, 40, 200, 200) - Brightness(before, 40, 40, 200, 200);
    if (report) std::printf("  burst: centre %+.1f, corner %+.1f\n", centre, corner);
    EXPECT_TRUE(!report || centre > 8) << "smoke where the crosshair points";
    EXPECT_TRUE(!report || std::fabs(corner) < 3) << "and nowhere else";
    return centre > 8 && std::fabs(corner) < 3;
}

void ExpectShotHeard(const Levels& levels, double quietFrom, double firedAt) {
    double silence = 0, loud = 0, onset = -1;
    for (const auto& [at, level] : levels) {
        if (at >= quietFrom && at < firedAt) silence = std::max(silence, level);
        if (at >= firedAt && at < firedAt + 1.5) loud = std::max(loud, level);
        if (at >= firedAt && level > 0.02 && onset < 0) onset = at - firedAt;
    }
    std::printf("  sound: peak level %.4f before the shot, %.4f after, loud %.3f s after\n", silence, loud, onset);
    ASSERT_FALSE(levels.empty()) << "nothing was heard at all";
    EXPECT_GT(firedAt - quietFrom, 0.1) << "too little heard before the shot";
    EXPECT_LT(silence, 0.002) << "silence before the shot";
    EXPECT_GT(loud, 0.02) << "the shot is heard";
    EXPECT_GE(onset, 0);
    EXPECT_LT(onset, 1.5);
}

}  // namespace e2e
