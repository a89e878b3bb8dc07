// veldrake.exe under Wine as a player meets it: the window, the first frame
// beside the Linux build's, and the shot heard in the recorded output.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e/game_session.h"

using e2e::GameSession;
using e2e::Image;
using e2e::SessionOptions;

namespace {

// The first frame a session's game shows, once drawn and standing still.
Image FirstFrame(GameSession& game) {
    if (!game.ServerUp() || !game.Launch() || !game.WaitForWindow("Veldrake", 20) || !game.AwaitDrawn(30) ||
        !e2e::AwaitStill(game, 10))
        return Image();
    return game.Screenshot();
}

}  // namespace

TEST(WindowsGame, FirstFrameIsTheStartViewAndMatchesTheLinuxBuild) {
    Image windows;
    {
        GameSession game;
        windows = FirstFrame(game);
        ASSERT_GT(windows.width, 0);
        EXPECT_EQ(game.WindowSize(), (std::array<int, 2>{1280, 720}));
        game.Key("Escape");
        EXPECT_EQ(game.WaitExit(10), 0);
    }
    // Heading 5, pitch 30: ring 1's clay wall fills the upper part, reddish
    // brown, and the grey floor lies under the crosshair.
    const auto wall = e2e::Mean(windows, 0, 0, 1280, 200), floor = e2e::Mean(windows, 520, 380, 760, 520);
    std::printf("  wall r %.1f b %.1f, floor r %.1f b %.1f\n", wall[0], wall[2], floor[0], floor[2]);
    EXPECT_GT(wall[0], wall[2] + 10) << "clay in the upper part";
    EXPECT_LT(std::abs(floor[0] - floor[2]), 10) << "grey floor under the crosshair";
    EXPECT_GT(floor[0], wall[0]) << "the floor is lighter than the clay";

    // The same game built for Linux, from the same data.
    const std::string previous = std::getenv("VELDRAKE_GAME") ? std::getenv("VELDRAKE_GAME") : "";
    setenv("VELDRAKE_GAME", VELDRAKE_BINARY_DIR "/veldrake", 1);
    SessionOptions options;
    options.dataDir = VELDRAKE_BINARY_DIR "/data";
    options.audioDriver = "null";
    GameSession linuxGame(options);
    const Image linux = FirstFrame(linuxGame);
    if (previous.empty())
        unsetenv("VELDRAKE_GAME");
    else
        setenv("VELDRAKE_GAME", previous.c_str(), 1);
    ASSERT_EQ(linux.width, windows.width);
    const double difference = e2e::Difference(windows, linux);
    std::printf("  first frames differ by %.2f of 255 on average\n", difference);
    EXPECT_LT(difference, 4.0);
    e2e::Keep(windows, "windows-first");
    e2e::Keep(linux, "linux-first");
}

TEST(WindowsGame, SpaceShotIsHeardAfterSilence) {
    GameSession game;
    ASSERT_TRUE(game.Launch());
    ASSERT_TRUE(game.WaitForWindow("Veldrake", 20));
    ASSERT_TRUE(game.AwaitDrawn(30));
    // Everything recorded so far was played before the shot.
    const auto before = game.Recorded();
    ASSERT_GT(before, 0u) << "nothing recorded at " << game.AudioPath();
    game.Key("space");
    EXPECT_TRUE(game.AwaitHeard(before, 10));
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(10), 0);

    e2e::Capture capture;
    ASSERT_TRUE(e2e::ReadCapture(game.AudioPath(), &capture));
    e2e::ExpectShotHeard(capture.Blocks(), 0, capture.SecondsAt(before));
}

TEST(WindowsGame, RefusedModeAnsweredYesPlaysInAWindowWhoseFrameIsInsideTheSizeAskedFor) {
    SessionOptions options;
    options.screen = "1024x768x24";
    GameSession game(options);
    ASSERT_TRUE(game.Launch());
    ASSERT_TRUE(game.KeyInWindow("Tamo GL", "Return"));
    ASSERT_TRUE(game.WaitForWindow("Veldrake", 20));
    // Wine shows the client area as the X window: 1280 x 720 is the outer
    // size, so the view is a title bar and the borders less high (and Wine
    // cuts it at the screen's right edge).
    EXPECT_TRUE(game.AwaitDrawn(30)) << "the windowed game draws its view";
    const int height = game.WindowSize()[1];
    EXPECT_LT(height, 720);
    EXPECT_GT(height, 660);
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(10), 0);
}
