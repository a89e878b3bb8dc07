// veldrake.exe under Wine as a player meets it: the window, the first frame
// beside the Linux build's, and the shot heard in the recorded output.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "e2e/game_session.h"

using e2e::GameSession;
using e2e::Image;
using e2e::SessionOptions;

namespace {

// Mean of one colour channel (0 red, 1 green, 2 blue) over a rectangle.
double Channel(const Image& image, int channel, int x0, int y0, int x1, int y1) {
    double sum = 0;
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n) sum += image.At(x, y)[channel];
    return n ? sum / n : 0;
}

// The first frame a session's game shows, after it has had time to draw it.
Image FirstFrame(GameSession& game) {
    if (!game.ServerUp() || !game.Launch() || !game.WaitForWindow("Veldrake", 20)) return Image();
    game.Pause(1.5);
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
    const double wallRed = Channel(windows, 0, 0, 0, 1280, 200), wallBlue = Channel(windows, 2, 0, 0, 1280, 200);
    const double floorRed = Channel(windows, 0, 520, 380, 760, 520);
    const double floorBlue = Channel(windows, 2, 520, 380, 760, 520);
    std::printf("  wall r %.1f b %.1f, floor r %.1f b %.1f\n", wallRed, wallBlue, floorRed, floorBlue);
    EXPECT_GT(wallRed, wallBlue + 10) << "clay in the upper part";
    EXPECT_LT(std::abs(floorRed - floorBlue), 10) << "grey floor under the crosshair";
    EXPECT_GT(floorRed, wallRed) << "the floor is lighter than the clay";

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
    if (const char* dir = std::getenv("VELDRAKE_E2E_SHOTS")) {
        windows.SavePpm(std::string(dir) + "/windows-first.ppm");
        linux.SavePpm(std::string(dir) + "/linux-first.ppm");
    }
}

TEST(WindowsGame, SpaceShotIsHeardAfterSilence) {
    GameSession game;
    ASSERT_TRUE(game.Launch());
    ASSERT_TRUE(game.WaitForWindow("Veldrake", 20));
    game.Pause(1.5);
    // Everything recorded so far was played before the shot.
    std::error_code error;
    const auto before = std::filesystem::file_size(game.AudioPath(), error);
    ASSERT_FALSE(error) << "nothing recorded at " << game.AudioPath();
    game.Key("space");
    game.Pause(1.5);
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(10), 0);

    e2e::Capture capture;
    ASSERT_TRUE(e2e::ReadCapture(game.AudioPath(), &capture));
    ASSERT_FALSE(capture.samples.empty());
    // Byte offset to sample index: the file's frames are of equal size.
    const double bytesPerSample = double(std::filesystem::file_size(game.AudioPath())) / capture.samples.size();
    const size_t split = std::min(capture.samples.size(), size_t(double(before) / bytesPerSample));
    ASSERT_GT(split, size_t(capture.rate) / 10) << "too little recorded before the shot";
    auto peak = [&](size_t from, size_t to) {
        float most = 0;
        for (size_t i = from; i < to; ++i) most = std::max(most, std::abs(capture.samples[i]));
        return most;
    };
    std::printf("  peak before the shot %.4f, after %.4f\n", peak(0, split), peak(split, capture.samples.size()));
    EXPECT_LT(peak(0, split), 0.01f) << "silence before the shot";
    EXPECT_GT(peak(split, capture.samples.size()), 0.1f) << "the shot is heard";
}

TEST(WindowsGame, RefusedModeAnsweredYesPlaysInAWindowWhoseFrameIsInsideTheSizeAskedFor) {
    SessionOptions options;
    options.screen = "1024x768x24";
    GameSession game(options);
    ASSERT_TRUE(game.Launch());
    ASSERT_TRUE(game.KeyInWindow("Tamo GL", "Return"));
    ASSERT_TRUE(game.WaitForWindow("Veldrake", 20));
    game.Pause(2.0);
    // Wine shows the client area as the X window: 1280 x 720 is the outer
    // size, so the view is a title bar and the borders less high (and Wine
    // cuts it at the screen's right edge).
    const int height = game.WindowSize()[1];
    EXPECT_LT(height, 720);
    EXPECT_GT(height, 660);
    const Image shot = game.Screenshot();
    const int shown = std::min(shot.width, 1024);  // the screen's width
    double brightness = 0;
    for (int channel = 0; channel < 3; ++channel) brightness += Channel(shot, channel, 0, 0, shown, shot.height) / 3;
    EXPECT_GT(brightness, 5.0) << "the windowed game draws its view";
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(10), 0);
}
