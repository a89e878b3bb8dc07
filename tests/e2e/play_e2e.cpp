// Playing the real game: what a player sees and hears.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "e2e/game_session.h"

using e2e::GameSession;
using e2e::Image;

namespace {

struct Colour {
    double r = 0, g = 0, b = 0;
    double Brightness() const { return (r + g + b) / 3; }
};

// Mean colour of a rectangle, y from the top.
Colour Mean(const Image& image, int x0, int y0, int x1, int y1) {
    Colour c;
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            auto p = image.At(x, y);
            c.r += p[0];
            c.g += p[1];
            c.b += p[2];
            ++n;
        }
    if (n) c.r /= n, c.g /= n, c.b /= n;
    return c;
}

// Mean absolute difference of two screenshots, sampled every 8th pixel.
double Difference(const Image& a, const Image& b) {
    double sum = 0;
    long n = 0;
    for (int y = 0; y < std::min(a.height, b.height); y += 8)
        for (int x = 0; x < std::min(a.width, b.width); x += 8) {
            auto p = a.At(x, y), q = b.At(x, y);
            sum += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
            ++n;
        }
    return n ? sum / (3.0 * n) : 0;
}

void Keep(const Image& image, const char* name) {
    if (const char* dir = std::getenv("VELDRAKE_E2E_SHOTS")) image.SavePpm(std::string(dir) + "/" + name + ".ppm");
}

// Lets the frame settle, then takes (and, where asked, keeps) a screenshot.
Image Snap(GameSession& game, const char* name) {
    game.Pause(0.3);
    Image image = game.Screenshot();
    Keep(image, name);
    return image;
}

void Print(const char* what, const Colour& c) {
    std::printf("  %-28s r %.1f g %.1f b %.1f\n", what, c.r, c.g, c.b);
}

// Starts the game and levels the view: the cursor placed at start-up tilts it
// 30 degrees down. The player then faces ring 1's inner -z wall.
bool StartLevelled(GameSession& game) {
    if (!game.ServerUp() || !game.Launch() || !game.WaitForWindow("Veldrake", 10)) return false;
    game.Pause(0.6);
    game.TiltDown(-30);
    game.Pause(0.3);
    return true;
}

// The central band of the view, above the crosshair.
Colour ViewCentre(const Image& image) { return Mean(image, 520, 250, 760, 330); }

}  // namespace

TEST(Play, TheViewFollowsTheGeometryAndTheMouse) {
    GameSession game;
    ASSERT_TRUE(StartLevelled(game));
    ASSERT_DOUBLE_EQ(game.Look().pitch, 0);
    ASSERT_DOUBLE_EQ(game.Look().heading, 5);
    const Image start = game.Screenshot();
    Keep(start, "play-start");
    ASSERT_EQ(start.width, 1280);

    // Ring 1's inner -z wall fills the centre: clay, drawn at a quarter grey.
    const Colour wall = ViewCentre(start);
    Print("start, centre (ring 1 wall)", wall);
    EXPECT_GT(wall.Brightness(), 8);
    EXPECT_LT(wall.Brightness(), 90);
    EXPECT_GT(wall.r, wall.b + 5) << "clay is reddish brown";
    // The crosshair: bright arms around the centre, over the dark wall.
    const Colour cross = Mean(start, 646, 358, 656, 362);
    Print("crosshair arm", cross);
    EXPECT_GT(cross.Brightness(), wall.Brightness() + 40);
    // The weapon panel at the bottom left, tinted orange.
    const Colour weapon = Mean(start, 170, 675, 320, 712);
    const Colour besideWeapon = Mean(start, 400, 675, 550, 712);
    Print("weapon panel", weapon);
    EXPECT_GT(weapon.r, weapon.b + 40);
    EXPECT_GT(weapon.r, besideWeapon.r + 30);

    // Looking up: the lid's underside, darker still.
    game.TiltDown(-80);
    const Image up = Snap(game, "play-up");
    const Colour lid = Mean(up, 320, 100, 960, 620);
    const Colour wallWide = Mean(start, 320, 100, 960, 320);
    Print("looking up (lid)", lid);
    EXPECT_LT(lid.Brightness(), wallWide.Brightness());
    EXPECT_GT(lid.r, lid.b);
    game.TiltDown(80);

    // Turned half round: out through ring 1's open side onto the lit floor
    // and ring 2's steel wall.
    game.TurnLeft(180);
    ASSERT_DOUBLE_EQ(game.Look().heading, 185);
    const Image behind = Snap(game, "play-behind");
    const Colour floor = Mean(behind, 440, 520, 840, 620);
    const Colour startFloorBand = Mean(start, 440, 520, 840, 620);
    Print("behind, lower band", floor);
    Print("start, lower band", startFloorBand);
    EXPECT_GT(floor.Brightness(), startFloorBand.Brightness() * 1.5);
    EXPECT_GT(Difference(start, behind), 10);

    // Walking forward moves the view.
    game.HoldKey("w", 0.5);
    game.Pause(0.5);
    const Image walked = game.Screenshot();
    Keep(walked, "play-walked");
    EXPECT_GT(Difference(behind, walked), 4);

    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(2), 0);
}

TEST(Play, ShotsSoundOnceASpaceCooldownAndOnEveryClickAndBurstAtTheCrosshair) {
    GameSession game;
    ASSERT_TRUE(StartLevelled(game));
    const Image before = game.Screenshot();

    game.Click();
    game.Pause(0.12);
    const Image after = game.Screenshot();
    Keep(after, "play-burst");
    const double centreGain = Mean(after, 610, 330, 670, 390).Brightness() - Mean(before, 610, 330, 670, 390).Brightness();
    const double edgeGain = Mean(after, 40, 40, 200, 200).Brightness() - Mean(before, 40, 40, 200, 200).Brightness();
    std::printf("  burst: centre +%.1f, corner +%.1f\n", centreGain, edgeGain);
    EXPECT_GT(centreGain, 8) << "smoke where the crosshair points";
    EXPECT_LT(std::fabs(edgeGain), 3);
    game.Pause(1.5);

    // Space held for six seconds: at most one shot per 70 idle steps, and an
    // idle step with a frame takes at least 15 ms, so at most 6 shots; and
    // even at 15 frames a second it fires again.
    game.HoldKey("space", 6.0);
    game.Pause(1.5);
    for (int i = 0; i < 5; ++i) {
        game.Click();
        game.Pause(0.4);
    }
    game.Pause(0.8);
    game.Key("Escape");
    ASSERT_EQ(game.WaitExit(3), 0);

    e2e::Capture capture;
    ASSERT_TRUE(e2e::ReadCapture(game.AudioPath(), &capture));
    const auto onsets = capture.Onsets(0.02);
    for (double t : onsets) std::printf("  shot heard at %.2f s\n", t);
    ASSERT_GE(onsets.size(), 1u);
    // The first click; 1.7 s later the space bar for 6 s; 1.5 s later five clicks.
    const double first = onsets.front();
    int space = 0, clicks = 0;
    for (double t : onsets) {
        if (t - first > 1.0 && t - first < 8.5) ++space;
        if (t - first >= 8.5) ++clicks;
    }
    EXPECT_GE(space, 2);
    EXPECT_LE(space, 6);
    EXPECT_EQ(clicks, 5);
    EXPECT_LT(capture.Rms(0, first - 0.05), 0.002) << "silence before the first shot";
}

namespace {

// Turns the view to this heading (degrees; 0 looks towards -z, 90 towards -x).
void Face(GameSession& game, double heading) {
    for (int tries = 0; tries < 3; ++tries) {
        const double d = std::fmod(heading - game.Look().heading + 540.0, 360.0) - 180.0;
        if (std::fabs(d) < 0.01) break;
        game.TurnLeft(d);
    }
    game.Pause(0.1);
}

// Walks until a wall stops the player: holds W until the view stands still,
// however fast or slow the frames come.
void WalkTo(GameSession& game, double heading) {
    Face(game, heading);
    game.Xdo("keydown w");
    Image previous = game.Screenshot();
    for (int i = 0; i < 240; ++i) {
        game.Pause(0.25);
        Image now = game.Screenshot();
        const bool still = Difference(previous, now) < 0.3;
        previous = std::move(now);
        if (still && i > 0) break;
    }
    game.Xdo("keyup w");
    game.Pause(0.3);
}

}  // namespace

TEST(Play, WalkingIntoThePlusXPortalComesOutAtTheMinusXWall) {
    GameSession game;
    ASSERT_TRUE(StartLevelled(game));
    // Out of the maze, leaning on its walls: ring 1 opens to +z, ring 2 to -z,
    // ring 3 to -x, ring 4 to +x, ring 5 to +z, ring 6 to -z.
    WalkTo(game, 180);  // out of ring 1, to ring 2's +z wall
    WalkTo(game, 270);  // to ring 2's +x wall
    WalkTo(game, 0);  // past ring 2's open side, to ring 3's -z wall
    WalkTo(game, 90);  // through ring 3's open side, to ring 4's -x wall
    WalkTo(game, 180);  // to ring 4's +z wall
    WalkTo(game, 270);  // past ring 4's open side, to ring 5's +x wall
    WalkTo(game, 180);  // past ring 5's open side, to ring 6's +z wall
    WalkTo(game, 270);  // to ring 6's +x wall
    WalkTo(game, 0);  // past ring 6's open side, to the room's -z wall
    WalkTo(game, 270);  // to the room's corner at +x, -z
    Keep(game.Screenshot(), "portal-corner");

    // Along the +x wall (on the left when facing +z), pressing into it: at the
    // window the player passes to the far side and walks on beside the -x
    // wall, whose orange portal then shows on the right of the view. Before
    // that the right of the view shows only the room across from the +x wall.
    Face(game, 190);
    game.Xdo("keydown w");
    bool crossed = false;
    Image view;
    for (int i = 0; i < 100 && !crossed; ++i) {
        game.Pause(0.08);
        view = game.Screenshot();
        const Colour right = Mean(view, 960, 100, 1280, 600);
        std::printf("  %d: right r-b %.1f\n", i, right.r - right.b);
        crossed = right.r > right.b + 30;
    }
    game.Xdo("keyup w");
    Keep(view, "portal-crossed");
    ASSERT_TRUE(crossed) << "the player never came out beside the -x wall";
    // Turned to the -x wall: its portal is close in front.
    game.Pause(0.4);
    Face(game, 90);
    game.Pause(0.2);
    const Image back = game.Screenshot();
    Keep(back, "portal-back");
    const Colour glow = Mean(back, 320, 120, 960, 600);
    Print("facing -x after the pass", glow);
    EXPECT_GT(glow.r, glow.b + 30) << "the orange portal on the -x wall, close in front";
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(2), 0);
}
