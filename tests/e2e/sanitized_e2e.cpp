// A minute of scripted play with the sanitizer build of the game: no address,
// undefined-behaviour or leak report, and a clean exit.
#include <gtest/gtest.h>

#include <string>

#include "e2e/game_session.h"

TEST(SanitizedPlay, AMinuteOfPlayLeavesNoReport) {
    e2e::SessionOptions options;
    options.extraEnv = {
        "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=99",
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=98",
        "LSAN_OPTIONS=suppressions=" VELDRAKE_SOURCE_DIR "/tests/e2e/lsan.supp",
    };
    e2e::GameSession game(options);
    ASSERT_TRUE(game.Launch());
    ASSERT_TRUE(game.WaitForWindow("Veldrake", 30)) << game.ErrorOutput();
    game.Pause(1.0);
    game.TiltDown(-30);
    // Around and around: look, walk, strafe, shoot with both, let bursts fly.
    for (int round = 0; round < 6 && game.Running(); ++round) {
        game.TurnLeft(60);
        game.HoldKey("w", 1.0);
        game.HoldKey("a", 0.5);
        game.HoldKey("space", 1.5);
        for (int i = 0; i < 4; ++i) {
            game.Click();
            game.Pause(0.2);
        }
        game.TiltDown(round % 2 ? 40 : -40);
        game.HoldKey("s", 0.8);
        game.HoldKey("Left", 1.0);
        game.Click();
        game.HoldKey("d", 0.5);
        game.Pause(2.5);
    }
    ASSERT_TRUE(game.Running()) << game.ErrorOutput();
    game.Key("Escape");
    const int code = game.WaitExit(20);
    const std::string report = game.ErrorOutput();
    EXPECT_EQ(code, 0) << report;
    EXPECT_EQ(report.find("Sanitizer"), std::string::npos) << report;
    EXPECT_EQ(report.find("runtime error"), std::string::npos) << report;
}
