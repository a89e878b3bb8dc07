// The level drawn with its hidden faces culled must look like the level drawn
// whole: the game's own textures and list, read back from Mesa under Xvfb.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "app/game_window.h"
#include "gl_support/gl_window.h"
#include "render/level.h"
#include "render/multitexture.h"
#include "render/textures.h"
#include "sim/frame.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720;
// Where a culled face used to fill a crack between two front faces of its
// own box, the crack now shows what is behind: a pixel or two on an edge.
constexpr int kEdgePixelsAllowed = 6;

struct View {
    double x, z, heading, pitch;
};

struct Picture {
    std::vector<std::uint8_t> rgb;
    GLuint samples = 0;  // fragments that passed the depth test
};

// One frame's level pass from (x, 10, z), drawn either whole or through DrawLevel.
Picture Draw(const View& view, bool throughDrawLevel) {
    cameraX = -view.x;
    cameraZ = -view.z;
    yawAngle = 360.0 - view.heading;
    pitch = view.pitch;
    // What the previous frame's crosshair leaves behind.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyCamera();
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    if (throughDrawLevel)
        DrawLevel();
    else
        glCallList(levelList);
    glEndQuery(GL_SAMPLES_PASSED);
    Picture picture;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &picture.samples);
    glDeleteQueries(1, &query);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    picture.rgb.resize(static_cast<size_t>(kWidth) * kHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

int DifferingPixels(const Picture& a, const Picture& b) {
    int differing = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        differing += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    return differing;
}

}  // namespace

// The other tests of this program expect the shared state as the game starts it.
class LevelCulling : public ::testing::Test {
protected:
    void SetUp() override {
        std::copy(std::begin(textures), std::end(textures), savedTextures);
        savedList = levelList;
        savedMultitexture = multitextureSupported;
    }
    void TearDown() override {
        glDeleteTextures(tex::kSlotCount, textures);
        if (levelList != savedList) glDeleteLists(levelList, 1);
        std::copy(std::begin(savedTextures), std::end(savedTextures), textures);
        levelList = savedList;
        multitextureSupported = savedMultitexture;
    }
    std::uint32_t savedTextures[tex::kSlotCount] = {};
    std::uint32_t savedList = 0;
    bool savedMultitexture = false;
};

TEST_F(LevelCulling, LooksLikeTheWholeLevelAndDrawsLess) {
    ASSERT_TRUE(gltest::OpenWindow(kWidth, kHeight));
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(VELDRAKE_BINARY_DIR "/data"), 0) << "the game data is built by the game_data target";
    ResizeScene(kWidth, kHeight);
    multitextureSupported = InitMultitexture();
    ASSERT_TRUE(multitextureSupported);
    ASSERT_TRUE(LoadTextures());
    BuildLevelList();
    ASSERT_NE(levelList, 0u);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);

    // Clear of everything: culling is on and saves the far sides of walls.
    const View clear[] = {
        {256, 256, 0, 0},    {256, 256, 90, -40}, {256, 256, 200, 20}, {256, 234.5, 0, 0},  // against ring 1
        {256, 295, 300, -40}, {460, 256, 90, 0},   {50, 480, 315, -30},  {300, 30, 160, 10},
    };
    for (const View& view : clear) {
        const Picture whole = Draw(view, false), culled = Draw(view, true);
        EXPECT_LE(DifferingPixels(whole, culled), kEdgePixelsAllowed) << view.x << ", " << view.z;
        EXPECT_LT(culled.samples, whole.samples) << view.x << ", " << view.z;
    }

    // The eye in ring 1's -z wall (as the frame before a collision can put
    // it), or too near it for the near plane: drawn whole.
    for (const View& view : {View{256, 231, 0, 0}, View{256, 233.2, 180, 0}, View{1.2, 256, 90, 0}}) {
        const Picture whole = Draw(view, false), culled = Draw(view, true);
        EXPECT_EQ(DifferingPixels(whole, culled), 0) << view.x << ", " << view.z;
        EXPECT_EQ(culled.samples, whole.samples) << view.x << ", " << view.z;
    }

    // Any other list in levelList is drawn as it is.
    const GLuint ours = levelList;
    levelList = glGenLists(1);
    glNewList(levelList, GL_COMPILE);
    glCallList(ours);
    glEndList();
    const Picture whole = Draw(clear[0], false), other = Draw(clear[0], true);
    EXPECT_EQ(other.samples, whole.samples);
    glDeleteLists(levelList, 1);
    levelList = ours;

    ASSERT_EQ(chdir(previous), 0);
}
