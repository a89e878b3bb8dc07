// The level, portals, maze and overlays drawn by Mesa into a real window,
// read back pixel by pixel, with small single-colour test textures.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "bmp_builder.h"
#include "gl_support/gl_window.h"
#include "render/bitmap.h"
#include "render/level.h"
#include "render/multitexture.h"
#include "render/overlays.h"
#include "render/textures.h"
#include "sim/frame.h"

namespace {

using bmp::Colour;
namespace fs = std::filesystem;

// Base textures, lightmaps and what the two multiply to.
const Colour kFloor{240, 200, 40}, kLightFloor{128, 255, 255};
const Colour kCeiling{40, 200, 240}, kLightCeiling{255, 128, 255};
const Colour kWall{200, 200, 200};
const Colour kLightBack{255, 255, 128}, kLightFront{128, 128, 255};
const Colour kLightLeft{255, 128, 128}, kLightRight{128, 255, 128};
const Colour kClay{255, 255, 255}, kFloor1{255, 128, 0}, kWall1{0, 128, 255};
const Colour kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};
const Colour kYellow{255, 255, 0}, kBlack{0, 0, 0};

Colour Times(Colour a, Colour b) {
    Colour c;
    for (int i = 0; i < 3; ++i) c[i] = static_cast<std::uint8_t>(std::lround(a[i] * b[i] / 255.0));
    return c;
}
Colour Scaled(Colour a, double f) {
    Colour c;
    for (int i = 0; i < 3; ++i) c[i] = static_cast<std::uint8_t>(std::lround(a[i] * f));
    return c;
}

// Four texels across (so that linear filtering leaves each half pure), two rows.
bmp::Bytes Halves(Colour left, Colour right) {
    return bmp::Build([&] {
        bmp::Layout s;
        s.width = 4;
        s.height = 2;
        s.pixelData = bmp::Rows24(4, {{left, left, right, right}, {left, left, right, right}});
        return s;
    }());
}

// 2 x 2: 6-byte rows, which OpenGL's default unpack alignment would skew.
bmp::Bytes Quadrants(Colour bottomLeft, Colour bottomRight, Colour topLeft, Colour topRight) {
    bmp::Layout s;
    s.width = 2;
    s.height = 2;
    s.pixelData = bmp::Rows24(2, {{bottomLeft, bottomRight}, {topLeft, topRight}});
    return bmp::Build(s);
}

struct Scene {
    bool windowOpen = false;
    bool loadedFromEmptyFolder = true;
    bool loaded = false;
    bool multitexture = false;
    fs::path folder;
};

// The fixed state the game sets after building the level, and its projection.
void SetFrameState() {
    glEnable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1280 / 720., 1, 1250);
    glMatrixMode(GL_MODELVIEW);
}

Scene& TheScene() {
    static Scene scene;
    static bool made = false;
    if (made) return scene;
    made = true;
    scene.windowOpen = gltest::OpenWindow();
    if (!scene.windowOpen) return scene;
    char pattern[] = "/tmp/veldrake_render_XXXXXX";
    scene.folder = mkdtemp(pattern);
    fs::create_directories(scene.folder / "texture");
    if (chdir(scene.folder.c_str()) != 0) return scene;
    scene.loadedFromEmptyFolder = LoadTextures();

    const std::pair<const char*, bmp::Bytes> files[] = {
        {"floor", bmp::Solid24(2, 2, kFloor)},
        {"wall", bmp::Solid24(2, 2, kWall)},
        {"clay", bmp::Solid24(2, 2, kClay)},
        {"LightMapFloor", bmp::Solid24(2, 2, kLightFloor)},
        {"LightMapCeiling", bmp::Solid24(2, 2, kLightCeiling)},
        {"LightMapBackWall", bmp::Solid24(2, 2, kLightBack)},
        {"LightMapFrontWall", bmp::Solid24(2, 2, kLightFront)},
        {"LightMapLeftWall", bmp::Solid24(2, 2, kLightLeft)},
        {"LightMapRightWall", bmp::Solid24(2, 2, kLightRight)},
        {"m16", bmp::Solid24(2, 2, kWhite)},
        {"crosshair", Quadrants(kRed, kGreen, kBlue, kWhite)},
        {"ceiling", bmp::Solid24(2, 2, kCeiling)},
        {"floor_1", bmp::Solid24(2, 2, kFloor1)},
        {"wall_1", bmp::Solid24(2, 2, kWall1)},
        {"portal", Halves(kGreen, kYellow)},
        {"portal_2", Halves(kRed, kBlue)},
        // clouds and smoke are left out: missing files are skipped.
    };
    for (const auto& [stem, bytes] : files)
        bmp::Write((scene.folder / "texture" / (std::string(stem) + ".bmp")).string(), bytes);

    scene.multitexture = multitextureSupported = InitMultitexture();
    scene.loaded = LoadTextures();
    BuildLevelList();
    SetFrameState();
    return scene;
}

class SceneCleanup : public testing::Environment {
public:
    void TearDown() override {
        if (!TheScene().folder.empty()) fs::remove_all(TheScene().folder);
    }
};
[[maybe_unused]] testing::Environment* const cleanup = testing::AddGlobalTestEnvironment(new SceneCleanup);

// Draws the level from eye (x, 10, z) the way a frame does.
void DrawLevelFrom(double x, double z, double headingDegrees, double pitchDegrees) {
    cameraX = -x;
    cameraZ = -z;
    yawAngle = 360 - headingDegrees;
    pitch = pitchDegrees;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyCamera();
    glCallList(levelList);
}

testing::AssertionResult PixelNear(int x, int y, Colour expected, int tolerance = 3) {
    const auto got = gltest::Pixel(x, y);
    for (int i = 0; i < 3; ++i) {
        if (std::abs(got[i] - expected[i]) > tolerance)
            return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << got[0] << "," << got[1]
                                               << "," << got[2] << ", expected " << int(expected[0]) << ","
                                               << int(expected[1]) << "," << int(expected[2]);
    }
    return testing::AssertionSuccess();
}

// Some checks need a fresh process (Mesa settings, a second set of textures):
// the parent runs this executable again with VELDRAKE_RENDER_CHILD=<mode>.
const char* ChildMode() { return std::getenv("VELDRAKE_RENDER_CHILD"); }
bool ChildRun() { return ChildMode() != nullptr; }

int RunChild(const std::string& environment, const std::string& filter) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return -1;
    return std::system((environment + " '" + self + "' --gtest_filter=" + filter).c_str());
}

class RenderScene : public testing::Test {
protected:
    void SetUp() override {
        if (ChildRun()) GTEST_SKIP() << "runs in the parent only";
        ASSERT_TRUE(TheScene().windowOpen);
        ASSERT_TRUE(TheScene().multitexture) << "Mesa offers GL_ARB_multitexture";
        glBlendFunc(GL_ONE, GL_ZERO);  // as in the first frame
    }
};

TEST_F(RenderScene, TexturesLoadIntoTheirSlotsUnskewed) {
    EXPECT_FALSE(TheScene().loadedFromEmptyFolder);
    EXPECT_TRUE(TheScene().loaded);
    EXPECT_EQ(textures[tex::clouds], 0u);
    EXPECT_EQ(textures[tex::smoke], 0u);
    EXPECT_EQ(textures[0], 0u);
    for (int slot : {tex::floor, tex::m16, tex::crosshair, tex::portal_2}) EXPECT_NE(textures[slot], 0u) << slot;
    EXPECT_NE(textures[tex::floor], textures[tex::wall]);

    glBindTexture(GL_TEXTURE_2D, textures[tex::crosshair]);
    GLint minFilter = 0, magFilter = 0, width = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(width, 2);
    std::uint8_t texels[12] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    const std::uint8_t expected[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(texels[i], expected[i]) << "byte " << i;
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the loader puts the default back";
}

// What the centre of the view shows from eye (x, 10, z).
struct View {
    const char* what;
    double x, z, heading, pitch;
    Colour centre;
};

TEST_F(RenderScene, RoomAndMazeAppearWhereTheGeometrySays) {
    ASSERT_NE(levelList, 0u);
    const View views[] = {
        {"start, towards -z: ring 1's -z wall, inner face", 256, 256, 0, 0, Scaled(kClay, 0.25)},
        {"start, towards +z: out of ring 1 onto ring 2's +z wall", 256, 256, 180, 0, Scaled(kFloor1, 0.25)},
        {"start, up: the lid's underside", 256, 256, 0, -80, Scaled(kClay, 0.2)},
        {"start, down: the lightmapped floor", 256, 256, 0, 80, Times(kFloor, kLightFloor)},
        {"ring 3's +z wall, outer face", 256, 345, 0, 0, Scaled(kWall1, 0.75)},
        {"ring 4's +z wall, inner face", 256, 345, 180, 0, Scaled(kFloor1, 0.25)},
        {"ring 5's -z wall, inner face", 256, 140, 0, 0, Scaled(kClay, 0.25)},
        {"ring 4's -z wall, outer face", 256, 140, 180, 0, Scaled(kFloor1, 0.75)},
        {"through ring 6's open -z side onto ring 5", 260, 90, 180, 0, Scaled(kClay, 0.75)},
        {"back wall", 460, 60, 0, 0, Times(kWall, kLightBack)},
        {"front wall", 460, 460, 180, 0, Times(kWall, kLightFront)},
        {"left wall", 30, 60, 90, 0, Times(kWall, kLightLeft)},
        {"right wall", 480, 60, 270, 0, Times(kWall, kLightRight)},
        {"ceiling, between rings 1 and 2", 290, 256, 0, -85, Times(kCeiling, kLightCeiling)},
    };
    for (const View& v : views) {
        DrawLevelFrom(v.x, v.z, v.heading, v.pitch);
        EXPECT_TRUE(PixelNear(640, 360, v.centre)) << v.what;
    }

    // The state the list leaves for the rest of the frame.
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint activeUnit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &activeUnit);
    EXPECT_EQ(activeUnit, GL_TEXTURE0_ARB);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.25f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
}

TEST_F(RenderScene, PortalsCoverTheWallsAndBlendWithTheCurrentFunction) {
    // Both portals read left half / right half the same way from inside the room.
    DrawLevelFrom(480, 256, 270, 0);
    EXPECT_TRUE(PixelNear(340, 360, kGreen));
    EXPECT_TRUE(PixelNear(940, 360, kYellow));
    DrawLevelFrom(30, 256, 90, 0);
    EXPECT_TRUE(PixelNear(340, 360, kRed));
    EXPECT_TRUE(PixelNear(940, 360, kBlue));
    // The portal ends at y 54; above it the wall shows.
    DrawLevelFrom(480, 256, 270, -65);
    EXPECT_TRUE(PixelNear(640, 360, Times(kWall, kLightRight)));

    // Maze walls still hide the portal behind them.
    DrawLevelFrom(370, 256, 270, 0);
    EXPECT_TRUE(PixelNear(640, 360, Scaled(kClay, 0.25)));

    // From the second frame on the crosshair's additive function is current.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    DrawLevelFrom(480, 256, 270, 0);
    Colour sum = Times(kWall, kLightRight);
    sum[1] = 255;
    EXPECT_TRUE(PixelNear(340, 360, sum));
}

TEST_F(RenderScene, OverlaysOverTheView) {
    // Over a black view with blending on, as the level leaves it.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    DrawOverlays();
    // The crosshair: a square of about 36 pixels at the centre, its texture upright.
    // Sampled near texel centres; linear filtering mixes in a little of the neighbours.
    EXPECT_TRUE(PixelNear(631, 351, kRed, 20));
    EXPECT_TRUE(PixelNear(649, 351, kGreen, 20));
    EXPECT_TRUE(PixelNear(631, 369, kBlue, 20));
    EXPECT_TRUE(PixelNear(649, 369, kWhite, 20));
    EXPECT_TRUE(PixelNear(640 - 20, 360, kBlack));
    EXPECT_TRUE(PixelNear(640 + 20, 360, kBlack));
    EXPECT_TRUE(PixelNear(640, 360 + 20, kBlack));
    // The backdrop: half-transparent brown at its left edge, gone at its right.
    EXPECT_TRUE(PixelNear(159, 30, Colour{51, 26, 0}, 6));
    EXPECT_TRUE(PixelNear(326, 30, kBlack, 6));
    EXPECT_TRUE(PixelNear(155, 30, kBlack));
    EXPECT_TRUE(PixelNear(200, 60, kBlack));
    // The weapon adds orange onto it.
    const auto weapon = gltest::Pixel(200, 30);
    EXPECT_EQ(weapon[0], 255);
    EXPECT_NEAR(weapon[1], 166, 6);
    EXPECT_NEAR(weapon[2], 24, 6);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // The crosshair adds onto the scene behind it.
    DrawLevelFrom(256, 256, 0, 0);
    DrawOverlays();
    EXPECT_TRUE(PixelNear(631, 351, Colour{255, 64, 64}, 10));
    EXPECT_TRUE(PixelNear(640, 330, Scaled(kClay, 0.25)));
}

// Without the extension the level is not built; collision still holds
// elsewhere, but on screen only the overlays remain, drawn opaque. Mesa must
// be told before the context exists, so this runs in a child process.
TEST(RenderWithoutMultitexture, LevelInvisibleOverlaysOpaque) {
    if (!ChildRun()) {
        EXPECT_EQ(RunChild("MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture VELDRAKE_RENDER_CHILD=bare",
                           "RenderWithoutMultitexture.*"),
                  0);
        return;
    }
    ASSERT_TRUE(TheScene().windowOpen);
    EXPECT_FALSE(TheScene().multitexture);
    EXPECT_TRUE(TheScene().loaded);
    EXPECT_EQ(levelList, 0u);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    DrawLevelFrom(256, 256, 0, 0);
    DrawOverlays();
    EXPECT_TRUE(PixelNear(640, 360 + 100, kBlack));  // no maze, no room
    EXPECT_TRUE(PixelNear(640, 100, kBlack));
    EXPECT_TRUE(PixelNear(631, 351, kRed, 20));
    EXPECT_TRUE(PixelNear(649, 369, kWhite, 20));
    EXPECT_TRUE(PixelNear(200, 30, Colour{255, 128, 0}));  // the weapon, not added but painted
    // The backdrop, opaque: brown on the left fading to white on the right,
    // covering about 157..329 by 0..57.
    EXPECT_TRUE(PixelNear(159, 2, Colour{104, 54, 3}, 6));
    EXPECT_TRUE(PixelNear(327, 30, Colour{253, 253, 253}, 6));
    EXPECT_TRUE(PixelNear(240, 55, Colour{176, 150, 124}, 6));
    EXPECT_TRUE(PixelNear(155, 30, kBlack));
    EXPECT_TRUE(PixelNear(332, 30, kBlack));
    EXPECT_TRUE(PixelNear(240, 60, kBlack));
}

// The generator's own textures: all 18 decode and load, and a frame shows
// the room, the maze, the weapon and the crosshair. With VELDRAKE_SCREENSHOT
// set, the frames are also written as PPM files into the build folder.
void Screenshot(const char* name) {
    if (!std::getenv("VELDRAKE_SCREENSHOT")) return;
    std::vector<std::uint8_t> rgb(1280 * 720 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 1280, 720, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::ofstream out(std::string(VELDRAKE_BINARY_DIR) + "/" + name + ".ppm", std::ios::binary);
    out << "P6 1280 720 255\n";
    for (int row = 719; row >= 0; --row) out.write(reinterpret_cast<const char*>(&rgb[row * 1280 * 3]), 1280 * 3);
}

bool Lit(int x, int y) {
    const auto p = gltest::Pixel(x, y);
    return p[0] + p[1] + p[2] > 30;
}

TEST(RenderGameData, TheGamesOwnTexturesDrawTheLevel) {
    const fs::path data = fs::path(VELDRAKE_BINARY_DIR) / "data";
    if (!ChildRun()) {
        ASSERT_TRUE(fs::exists(data / "texture" / "floor.bmp")) << "the game_data target makes them";
        EXPECT_EQ(RunChild("VELDRAKE_RENDER_CHILD=gamedata", "RenderGameData.*"), 0);
        return;
    }
    if (std::string(ChildMode()) != "gamedata") GTEST_SKIP();
    ASSERT_EQ(chdir(data.c_str()), 0);
    // Decoded in memory first: a file the decoder refused would otherwise
    // stop the test in a message box.
    for (const TextureFile& file : kTextureFiles) {
        std::ifstream in(file.path, std::ios::binary);
        const bmp::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        DibError error;
        ASSERT_TRUE(DecodeDib(bytes.data(), bytes.size(), &error)) << file.path << ": " << DibErrorText(error);
    }
    ASSERT_TRUE(gltest::OpenWindow());
    multitextureSupported = InitMultitexture();
    ASSERT_TRUE(multitextureSupported);
    ASSERT_TRUE(LoadTextures());
    for (const TextureFile& file : kTextureFiles) EXPECT_NE(textures[file.slot], 0u) << file.path;
    BuildLevelList();
    SetFrameState();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // what every frame after the first sees

    DrawLevelFrom(256, 256, 0, 0);
    DrawOverlays();
    Screenshot("render_start");
    EXPECT_TRUE(Lit(640, 300));  // ring 1's wall below the crosshair
    EXPECT_TRUE(Lit(640, 40));   // the floor
    EXPECT_TRUE(Lit(640, 360));  // the crosshair
    const auto weapon = gltest::Pixel(240, 28);
    EXPECT_GT(weapon[0], weapon[2]) << "the weapon is tinted orange";

    DrawLevelFrom(490, 490, 45, 10);  // a corner of the room, towards the maze
    DrawOverlays();
    Screenshot("render_corner");
    EXPECT_TRUE(Lit(640, 600));
    EXPECT_TRUE(Lit(100, 300));

    DrawLevelFrom(470, 256, 270, 0);  // the portal on the x = 512 wall
    DrawOverlays();
    Screenshot("render_portal");
    EXPECT_TRUE(Lit(400, 400));
}

}  // namespace
