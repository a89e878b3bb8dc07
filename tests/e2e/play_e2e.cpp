// Playing the real game: what a player sees and hears.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "e2e/game_session.h"

using e2e::GameSession;
using e2e::Image;

namespace {

bool Start(GameSession& game) {
    return game.ServerUp() && game.Launch() && game.WaitForWindow("Veldrake", 10);
}

// Starts the game and levels the view: the cursor placed at start-up tilts it
// 30 degrees down. The player then faces ring 1's inner -z wall.
bool StartLevelled(GameSession& game) {
    if (!Start(game) || !game.AwaitDrawn(20)) return false;
    game.TiltDown(-30);
    Image levelled;
    return e2e::AwaitView(game, e2e::ExpectedView(5, 0), 15, &levelled) < 1.0;
}

}  // namespace

TEST(Play, TheFirstViewIsHeading5Pitch30WhereverThePointerWasAndMotionNeverHoldsUpEscape) {
    const struct {
        int x, y;
    } pointers[] = {{640, 360}, {0, 0}, {1279, 719}, {320, 240}};
    for (const auto& at : pointers) {
        SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y));
        e2e::SessionOptions options;
        options.pointerX = at.x;
        options.pointerY = at.y;
        GameSession game(options);
        ASSERT_TRUE(Start(game));
        e2e::ExpectView(game, 5, 30, "play-first-view");
        EXPECT_EQ(game.Pointer(), (std::array<int, 2>{320, 240}));
        // The last session ends with a flood of mouse motion, then Escape.
        if (&at != &pointers[3]) continue;
        game.MotionFlood(50000);
        const auto pressed = std::chrono::steady_clock::now();
        game.Key("Escape");
        EXPECT_EQ(game.WaitExit(10), 0);
        const double delay = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
        std::printf("  Escape acted %.2f s after 50000 mouse moves\n", delay);
        EXPECT_LT(delay, 2.0);
    }
}

TEST(Play, TheViewFollowsTheMouseTheWalkAndTheKeysEvenWhenLetGoElsewhere) {
    GameSession game;
    ASSERT_TRUE(StartLevelled(game));
    const Image start = e2e::ExpectView(game, 5, 0, "play-start");  // ring 1's -z wall, crosshair, weapon
    ASSERT_EQ(start.width, 1280);
    game.TiltDown(-80);
    e2e::ExpectView(game, 5, -80, "play-up");  // the lid's underside
    game.TiltDown(80);
    // Turned half round: out through ring 1's open side onto the lit floor.
    game.TurnLeft(180);
    const Image behind = e2e::ExpectView(game, 185, 0, "play-behind");

    // Walking forward moves the view.
    game.HoldKey("w", 0.5);
    ASSERT_TRUE(e2e::AwaitStill(game, 10));
    EXPECT_GT(e2e::Difference(behind, game.Screenshot()), 4);

    // Left held turns the view on; let go while another window has the
    // keyboard focus, it is let go in the game too and the view stands still.
    game.Xdo("keydown Left");
    EXPECT_FALSE(e2e::AwaitStill(game, 1.5));
    game.FocusElsewhere();
    game.Xdo("keyup Left");
    EXPECT_TRUE(e2e::AwaitStill(game, 10));

    game.CloseWindow();
    EXPECT_EQ(game.WaitExit(2), 0);
}

TEST(Play, ShotsSoundOnceASpaceCooldownAndOnEveryClickAndBurstAtTheCrosshair) {
    GameSession game;
    ASSERT_TRUE(StartLevelled(game));
    const Image before = game.Screenshot();

    game.Click();
    e2e::ExpectBurst(game, before, "play-burst");
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

// Turns the view from `*facing` to this heading (degrees; 0 looks towards
// -z, 90 towards -x). The turn never passes 0, where the game drops what goes
// beyond it: the hand knows how far the view has turned.
void Face(GameSession& game, double* facing, double heading) {
    game.TurnLeft(heading - *facing);
    *facing = heading;
    game.Pause(0.1);
}

// Walks until a wall stops the player: holds W until the view stands still,
// however fast or slow the frames come.
void WalkTo(GameSession& game, double* facing, double heading) {
    Face(game, facing, heading);
    game.Xdo("keydown w");
    game.Pause(0.3);
    e2e::AwaitStill(game, 60);
    game.Xdo("keyup w");
    game.Pause(0.3);
}

}  // namespace

TEST(Play, WalkingIntoThePlusXPortalComesOutAtTheMinusXWall) {
    GameSession game;
    ASSERT_TRUE(StartLevelled(game));
    double facing = 5;
    // Out of the maze, leaning on its walls: ring 1 opens to +z, ring 2 to -z,
    // ring 3 to -x, ring 4 to +x, ring 5 to +z, ring 6 to -z.
    WalkTo(game, &facing, 180);  // out of ring 1, to ring 2's +z wall
    WalkTo(game, &facing, 270);  // to ring 2's +x wall
    WalkTo(game, &facing, 0);  // past ring 2's open side, to ring 3's -z wall
    WalkTo(game, &facing, 90);  // through ring 3's open side, to ring 4's -x wall
    WalkTo(game, &facing, 180);  // to ring 4's +z wall
    WalkTo(game, &facing, 270);  // past ring 4's open side, to ring 5's +x wall
    WalkTo(game, &facing, 180);  // past ring 5's open side, to ring 6's +z wall
    WalkTo(game, &facing, 270);  // to ring 6's +x wall
    WalkTo(game, &facing, 0);  // past ring 6's open side, to the room's -z wall
    WalkTo(game, &facing, 270);  // to the room's corner at +x, -z
    e2e::Keep(game.Screenshot(), "portal-corner");

    // Along the +x wall (on the left when facing +z), pressing into it: at the
    // window the player passes to the far side and walks on beside the -x
    // wall, whose orange portal then shows on the right of the view. Before
    // that the right of the view shows only the room across from the +x wall.
    Face(game, &facing, 190);
    game.Xdo("keydown w");
    bool crossed = false;
    Image view;
    for (int i = 0; i < 100 && !crossed; ++i) {
        game.Pause(0.08);
        view = game.Screenshot();
        const auto right = e2e::Mean(view, 960, 100, 1280, 600);
        std::printf("  %d: right r-b %.1f\n", i, right[0] - right[2]);
        crossed = right[0] > right[2] + 30;
    }
    game.Xdo("keyup w");
    e2e::Keep(view, "portal-crossed");
    ASSERT_TRUE(crossed) << "the player never came out beside the -x wall";
    // Turned to the -x wall: its portal is close in front.
    game.Pause(0.4);
    Face(game, &facing, 90);
    game.Pause(0.2);
    const Image back = game.Screenshot();
    e2e::Keep(back, "portal-back");
    const auto glow = e2e::Mean(back, 320, 120, 960, 600);
    EXPECT_GT(glow[0], glow[2] + 30) << "the orange portal on the -x wall, close in front";
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(2), 0);
}
