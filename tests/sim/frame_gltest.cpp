// The frame drawn for real (Mesa under Xvfb): where the camera looks from and
// how the particles show against walls. The level list is replaced by a few
// flat coloured quads, so that each pixel read back has one known source.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/game_state.h"
#include "app/game_window.h"
#include "app/startup.h"
#include "gl_support/gl_window.h"
#include "sim/frame.h"
#include "support/fresh_game.h"

namespace {

constexpr int kCentreX = 640, kCentreY = 360;

struct Quad {
    double corners[4][3];
    double r, g, b;
};

// A quad facing +z (seen from larger z), spanning x0..x1 and y0..y1 at z.
Quad FacingZ(double x0, double x1, double y0, double y1, double z, double r, double g, double b) {
    return {{{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}}, r, g, b};
}
// A quad in the plane x, spanning z0..z1 and y0..y1.
Quad FacingX(double x, double z0, double z1, double y0, double y1, double r, double g, double b) {
    return {{{x, y0, z0}, {x, y0, z1}, {x, y1, z1}, {x, y1, z0}}, r, g, b};
}
// A quad lying on the floor plane y.
Quad Flat(double x0, double x1, double z0, double z1, double y, double r, double g, double b) {
    return {{{x0, y, z0}, {x1, y, z0}, {x1, y, z1}, {x0, y, z1}}, r, g, b};
}

// Stands in for the level list: untextured, opaque, and leaving blending on
// as the level does.
void UseScene(const std::vector<Quad>& quads) {
    if (levelList != 0) glDeleteLists(levelList, 1);
    levelList = glGenLists(1);
    glNewList(levelList, GL_COMPILE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    for (const Quad& q : quads) {
        glColor4d(q.r, q.g, q.b, 1.0);
        for (const auto& c : q.corners) glVertex3d(c[0], c[1], c[2]);
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEndList();
}

// A plain 2x2 texture of one grey level.
GLuint MakeTexture(unsigned char level) {
    unsigned char pixels[2 * 2 * 3];
    std::memset(pixels, level, sizeof pixels);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    return name;
}

class FrameDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(gltest::OpenWindow());
        ResizeScene(1280, 720);
        glEnable(GL_TEXTURE_2D);
        glClearColor(0, 0, 0, 1);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        textures[tex::smoke] = MakeTexture(255);
        // The crosshair is added on; a black one leaves the centre pixel to the scene.
        textures[tex::crosshair] = MakeTexture(0);
        TimerInit();
    }

    void SetUp() override {
        const Timer started = timer;
        ResetGameState();
        timer = started;
    }

    static std::array<int, 3> Centre() { return gltest::Pixel(kCentreX, kCentreY); }
};

// A still particle with a fixed flat triangle around its centre.
Particle StillParticle(double x, double y, double z) {
    Particle p{};
    p.life = 1;
    p.fade = 0.001;
    p.size = 1;
    p.cornerX[0] = -0.3, p.cornerY[0] = -0.3;
    p.cornerX[1] = 0.3, p.cornerY[1] = -0.3;
    p.cornerX[2] = 0, p.cornerY[2] = 0.3;
    p.posX = x, p.posY = y, p.posZ = z;
    return p;
}

}  // namespace

TEST_F(FrameDrawing, CameraLooksAlongHeadingAndPitchFromEyeHeight) {
    UseScene({
        FacingZ(250, 262, 9.5, 10.5, 200, 1, 0, 0),  // a thin red strip at eye height, towards -z
        FacingX(200, 250, 262, 4, 16, 0, 1, 0),      // green towards -x
        Flat(254, 258, 244, 248, 0.01, 0, 0, 1),     // blue on the floor 10 units ahead
    });
    RunFrame();
    EXPECT_EQ(Centre(), (std::array<int, 3>{255, 0, 0}));

    heading = 90;
    RunFrame();
    EXPECT_EQ(Centre(), (std::array<int, 3>{0, 255, 0}));

    heading = 0;
    pitch = 45;  // looking down
    RunFrame();
    EXPECT_EQ(Centre(), (std::array<int, 3>{0, 0, 255}));

    heading = 270;  // towards +x: nothing there
    pitch = 0;
    RunFrame();
    EXPECT_EQ(Centre(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // The weapon panel is drawn over the view, bottom left.
    const auto panel = gltest::Pixel(170, 20);
    EXPECT_GT(panel[0], 40);
    EXPECT_GT(panel[0], panel[2]);
}

TEST_F(FrameDrawing, PortalFrameIsDrawnFromBeforeTheWrap) {
    UseScene({FacingX(505, 250, 262, 5, 15, 1, 1, 0)});  // a marker just inside the +x wall
    heading = 90;  // looking towards -x
    playerX = 509;
    velocityX = 10;  // moves to 509.8 and wraps to x 5
    RunFrame();
    EXPECT_EQ(Centre(), (std::array<int, 3>{255, 255, 0}));
    EXPECT_EQ(playerX, 5);
    RunFrame();  // from x 5 the marker is behind the viewer
    EXPECT_EQ(Centre(), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(FrameDrawing, ShotBurstIsDrawnInTheFrameOfTheShot) {
    // Ring 1's -z wall, whose inner face is at z 232, straight ahead.
    UseScene({FacingZ(230, 282, 0, 48, 232, 0.4, 0.4, 0.4)});
    RunFrame();
    const auto wall = Centre();
    EXPECT_NEAR(wall[0], 102, 1);

    fireRequested = true;
    RunFrame();
    EXPECT_TRUE(burstActive);
    const auto hit = Centre();
    // The smoke adds its colour to the wall without being hidden by it.
    EXPECT_GT(hit[0], wall[0] + 20);
    EXPECT_GE(hit[0], hit[1]);
    EXPECT_GE(hit[1], hit[2]);
}

TEST_F(FrameDrawing, DebrisIsDepthTestedAndSmokeIsNot) {
    const Quad backdrop = FacingZ(200, 312, -20, 40, 150, 1, 1, 1);
    const Quad wall = FacingZ(230, 282, 0, 48, 240, 0.4, 0.4, 0.4);

    // A chip in front of a white backdrop shows black.
    UseScene({backdrop});
    particles[8][3] = StillParticle(256, 10, 250);
    burstActive = true;
    RunFrame();
    EXPECT_LT(Centre()[0], 10);

    // Behind a wall it is hidden.
    UseScene({backdrop, wall});
    particles[8][3] = StillParticle(256, 10, 230);
    burstActive = true;
    RunFrame();
    EXPECT_NEAR(Centre()[0], 102, 1);

    // A puff behind the same wall shows through it, adding its colour.
    particles[8][3] = Particle{};
    particles[0][3] = StillParticle(256, 10, 230);
    burstActive = true;
    RunFrame();
    const auto glow = Centre();
    EXPECT_NEAR(glow[0], 102 + 46, 3);
    EXPECT_NEAR(glow[2], 102 + 38, 3);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
