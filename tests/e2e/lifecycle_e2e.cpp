// Starting and stopping the real game: the ways out, the fullscreen fallback
// question, and start-up failures as a player meets them.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "e2e/game_session.h"

namespace fs = std::filesystem;
using e2e::GameSession;
using e2e::SessionOptions;

namespace {

bool HasTitle(GameSession& game, const std::string& title, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.05) {
        auto titles = game.WindowTitles();
        if (std::find(titles.begin(), titles.end(), title) != titles.end()) return true;
        game.Pause(0.05);
    }
    return false;
}

// A data folder with only what the test wants of the built one.
std::string PartialData(const std::string& name, bool textures, bool sound) {
    fs::path dir = fs::temp_directory_path() / ("veldrake-data-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::path built = e2e::BuiltDataDir();
    if (textures) fs::copy(built / "texture", dir / "texture", fs::copy_options::recursive);
    if (sound) fs::copy_file(built / "rifle.wav", dir / "rifle.wav");
    return dir.string();
}

// The icon the game's data holds (a 24-bit bitmap, rows bottom up) in the
// desktop's form: width, height, then 0xAARRGGBB values, top row first.
std::vector<unsigned long> IconFromData() {
    std::ifstream in(e2e::BuiltDataDir() + "/icon.bmp", std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 54) return {};
    auto le32 = [&](size_t at) { return static_cast<unsigned long>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) |
                                        static_cast<unsigned long>(b[at + 3]) << 24; };
    const unsigned long width = le32(18), height = le32(22), pixels = le32(10), stride = (width * 3 + 3) / 4 * 4;
    if (pixels + stride * height > b.size()) return {};
    std::vector<unsigned long> icon = {width, height};
    for (unsigned long y = height; y-- > 0;)
        for (unsigned long x = 0; x < width; ++x) {
            const unsigned char* p = &b[pixels + y * stride + x * 3];
            icon.push_back(0xFF000000ul | static_cast<unsigned long>(p[2]) << 16 | p[1] << 8 | p[0]);
        }
    return icon;
}

// A window's icon property may hold the icon in several sizes, one after
// the other; whether one of them is `icon` pixel for pixel.
bool HoldsIcon(const std::vector<unsigned long>& property, const std::vector<unsigned long>& icon) {
    for (size_t at = 0; at + 2 <= property.size();) {
        const size_t length = 2 + property[at] * property[at + 1];
        if (length == 2 || at + length > property.size()) return false;
        if (std::equal(icon.begin(), icon.end(), property.begin() + at, property.begin() + at + length)) return true;
        at += length;
    }
    return false;
}

}  // namespace

TEST(Lifecycle, EscapeWindowCloseAndSigtermEndTheGameWithExitCodeZero) {
    enum class Way { Escape, Close, Sigterm };
    for (Way way : {Way::Escape, Way::Close, Way::Sigterm}) {
        // Under Wine a signal reaches the loader, not the game.
        if (way == Way::Sigterm && std::getenv("VELDRAKE_WINDOWS_EXE")) continue;
        SCOPED_TRACE(int(way));
        GameSession game;
        ASSERT_TRUE(game.ServerUp());
        ASSERT_TRUE(game.Launch());
        ASSERT_TRUE(game.WaitForWindow("Veldrake", 10));
        ASSERT_TRUE(game.AwaitDrawn(20)) << "playing";
        if (way == Way::Escape) {
            // The window carries the game's own icon, for task bars and switchers.
            const std::vector<unsigned long> icon = IconFromData();
            ASSERT_GT(icon.size(), 2u);
            const std::vector<unsigned long> shown = game.WindowIcon();
            EXPECT_TRUE(HoldsIcon(shown, icon)) << "icon property of " << shown.size() << " values";
            // The quickest tap: press and release reach the game within one frame.
            game.Xdo("key --delay 0 Escape");
        } else if (way == Way::Close) {
            game.CloseWindow();
        } else {
            ASSERT_TRUE(game.Signal(SIGTERM));
        }
        EXPECT_EQ(game.WaitExit(5.0), 0) << game.ErrorOutput();
        EXPECT_EQ(game.ErrorOutput(), "") << "nothing on stderr on the way out";
    }
}

TEST(Lifecycle, RefusedDisplayModeAsksAndYesPlaysInAWindow) {
    SessionOptions options;
    options.screen = "1024x768x24";
    GameSession game(options);
    ASSERT_TRUE(game.Launch());
    ASSERT_TRUE(HasTitle(game, "Tamo GL", 10));
    ASSERT_TRUE(game.KeyInWindow("Tamo GL", "Return"));
    ASSERT_TRUE(game.WaitForWindow("Veldrake", 10));
    EXPECT_EQ(game.WindowSize()[0], 1280);
    EXPECT_EQ(game.WindowSize()[1], 720);
    // The windowed game starts with the same first view, where it is on the screen.
    e2e::Image shot;
    const e2e::Image first = e2e::ExpectedView(5, 30);
    EXPECT_LT(e2e::AwaitView(game, first, 10, &shot), 1.0);
    EXPECT_EQ(shot.width, 1024);

    // Made smaller, it shows the whole view at the new size; hidden (as a
    // minimised window is) and shown again, it draws it again and plays on.
    e2e::Image half;
    half.width = 640, half.height = 360;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 640; ++x)
            for (int c = 0; c < 3; ++c)
                half.rgb.push_back(std::uint8_t((first.At(2 * x, 2 * y)[c] + first.At(2 * x + 1, 2 * y)[c] +
                                                 first.At(2 * x, 2 * y + 1)[c] + first.At(2 * x + 1, 2 * y + 1)[c]) / 4));
    const std::string window = " " + std::to_string(game.GameWindow());
    ASSERT_TRUE(game.Xdo("windowsize --sync" + window + " 640 360"));
    EXPECT_LT(e2e::AwaitView(game, half, 10, &shot, 4.0), 4.0) << "the view at half size";
    ASSERT_TRUE(game.Xdo("windowunmap --sync" + window));
    ASSERT_TRUE(game.Xdo("windowmap --sync" + window + " windowfocus --sync" + window));
    EXPECT_LT(e2e::AwaitView(game, half, 10, &shot, 4.0), 4.0) << "drawn again once restored";
    e2e::Keep(shot, "windowed-restored");
    game.Xdo("keydown Left");
    EXPECT_FALSE(e2e::AwaitStill(game, 1.5)) << "and turns on a held key";
    game.Xdo("keyup Left");
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(2.0), 0) << game.ErrorOutput();
    EXPECT_EQ(game.ErrorOutput(), "") << "nothing on stderr on the way out";
}

TEST(Lifecycle, RefusedDisplayModeAnsweredNoClosesTheProgram) {
    SessionOptions options;
    options.screen = "1024x768x24";
    GameSession game(options);
    ASSERT_TRUE(game.Launch());
    ASSERT_TRUE(HasTitle(game, "Tamo GL", 10));
    ASSERT_TRUE(game.KeyInWindow("Tamo GL", "Escape"));
    ASSERT_TRUE(HasTitle(game, "ERROR", 5)) << "expected the box \"Program Will Now Close.\"";
    auto titles = game.WindowTitles();
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Veldrake"), 0) << "no game window is created";
    ASSERT_TRUE(game.KeyInWindow("ERROR", "Return"));
    EXPECT_EQ(game.WaitExit(3.0), 0);
    EXPECT_EQ(game.ErrorOutput(), "") << "the sound device is closed although the game never started";
}

TEST(Lifecycle, StartUpFailuresShowTheBoxAndExitWithZero) {
    struct Case {
        const char* name;
        bool textures, sound;
        const char* audio;
    } cases[] = {
        {"no-textures", false, true, "null"},
        {"no-audio-device", true, true, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SessionOptions options;
        options.dataDir = PartialData(c.name, c.textures, c.sound);
        options.audioDriver = c.audio;
        GameSession game(options);
        ASSERT_TRUE(game.Launch());
        ASSERT_TRUE(HasTitle(game, "ERROR", 10)) << "expected the box \"Initialization Failed.\"";
        ASSERT_TRUE(game.KeyInWindow("ERROR", "Return"));
        EXPECT_EQ(game.WaitExit(3.0), 0) << game.ErrorOutput();
        // Under Wine the missing card is found by Wine's own ALSA driver, which says so on stderr.
        const bool wineReportsTheCard = std::string(c.audio) == "none" && std::getenv("VELDRAKE_WINDOWS_EXE");
        if (!wineReportsTheCard) {
            EXPECT_EQ(game.ErrorOutput(), "") << "nothing on stderr on the way out";
        }
        fs::remove_all(options.dataDir);
    }
}
