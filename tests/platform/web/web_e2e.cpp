// The browser build in headless Chromium: what a player sees and hears on
// the page, compared with the frames the Linux build draws.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/web/page_session.h"

using e2e::Image;
using web::PageSession;

namespace fs = std::filesystem;

namespace {

// Software renderers round differently: SwiftShader's frame of the same view
// is a little further from Mesa's than Mesa's frames are from each other.
constexpr double kSameView = 3.0;

double Brightness(const Image& image, int x0, int y0, int x1, int y1) {
    double sum = 0;
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            for (int c : image.At(x, y)) sum += c;
    return n ? sum / (3.0 * n) : 0;
}

void Keep(const Image& image, const char* name) {
    if (const char* dir = std::getenv("VELDRAKE_E2E_SHOTS")) image.SavePpm(std::string(dir) + "/web-" + name + ".ppm");
}

// The screen comes to show the Linux build's frame of this view, and not
// another view's. Returns the screen.
Image ExpectView(PageSession& page, double heading, double pitch, const char* name) {
    Image screen;
    const double same = page.AwaitView(e2e::ExpectedView(heading, pitch), 15, &screen, kSameView);
    Keep(screen, name);
    const double other = e2e::Difference(screen, e2e::ExpectedView(heading + 20, pitch - 20));
    std::printf("  heading %g pitch %g: off by %.2f from the Linux frame (another view: %.2f)\n", heading, pitch,
                same, other);
    EXPECT_EQ(screen.width, 1280);
    EXPECT_EQ(screen.height, 720);
    EXPECT_LT(same, kSameView) << "heading " << heading << " pitch " << pitch;
    EXPECT_GT(other, same + 5);
    return screen;
}

// Loads the page and clicks its canvas, as a player starts the game.
void Start(PageSession& page) {
    ASSERT_TRUE(page.Open()) << "no page at " << web::BuiltPageDir() << " (scripts/build-web)";
    EXPECT_TRUE(page.AwaitEval("document.querySelector('#prompt')?.textContent.trim()", "\"Click to play\"", 30));
    page.Click(640, 360);
}

// Lets the page's clock reach `ms` (a measuring window, not a check).
void WaitUntil(PageSession& page, double ms) {
    while (page.Now() < ms) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

// The page says the game ended with 0, and logged no error on the way.
void ExpectEndedWithZero(PageSession& page) {
    EXPECT_NE(page.AwaitEnded(10).find("Veldrake ended with exit code 0."), std::string::npos);
    EXPECT_EQ(page.ConsoleErrors(), "[]");
}

// Chromium keeps the first Escape for itself, to give back the pointer (and
// leave fullscreen): the game pauses, and the next Escape ends it.
void EscapeTwiceEnds(PageSession& page) {
    page.Key("press", "Escape");
    EXPECT_TRUE(page.AwaitEval("document.pointerLockElement", "null", 5));
    const std::string shown = page.Eval("window.veldrakeFramesShown");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(page.Eval("window.veldrakeFramesShown"), shown) << "the first Escape pauses the game";
    EXPECT_EQ(page.Eval("document.querySelector('#ended').hidden"), "true");
    page.Key("press", "Escape");
    ExpectEndedWithZero(page);
}

// The pictures as "name:size:FNV-1a name:size:FNV-1a ...", quoted: those the
// game reads in the page, which travelled as WebP, and those of the Linux
// build's data folder.
std::string PagePictures(PageSession& page) {
    return page.Eval(
        "['icon.bmp', ...FS.readdir('texture').filter(n => n.endsWith('.bmp')).sort().map(n => 'texture/' + n)]"
        ".map(n => { let h = 2166136261; const d = FS.readFile(n); for (const b of d) h = Math.imul(h ^ b, 16777619) >>> 0;"
        " return n + ':' + d.length + ':' + h; }).join(' ')");
}

std::string DataPictures() {
    std::set<std::string> names = {"icon.bmp"};
    for (const auto& entry : fs::directory_iterator(e2e::BuiltDataDir() + "/texture"))
        if (entry.path().extension() == ".bmp") names.insert("texture/" + entry.path().filename().string());
    std::string out;
    for (const std::string& name : names) {
        std::ifstream in(e2e::BuiltDataDir() + "/" + name, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::uint32_t h = 2166136261u;
        for (const unsigned char b : bytes) h = (h ^ b) * 16777619u;
        out += (out.empty() ? "" : " ") + name + ":" + std::to_string(bytes.size()) + ":" + std::to_string(h);
    }
    return "\"" + out + "\"";
}

}  // namespace

TEST(WebPlay, TheStartClickGoesFullscreenOnTheLinuxStartViewAndSpaceFiresIntoSilenceWithTheRiflesSound) {
    PageSession page;
    Start(page);
    const Image before = ExpectView(page, 5, 30, "first-view");
    EXPECT_TRUE(page.AwaitEval("[document.pointerLockElement?.id, document.fullscreenElement?.id]",
                               "[\"canvas\",\"canvas\"]", 5))
        << "the click locks the pointer and takes the screen";
    EXPECT_EQ(PagePictures(page), DataPictures()) << "the game reads the very files of the Linux build";

    // The page's output, measured in its own audio graph: playing, and quiet
    // for a second before the shot.
    page.TakeAudio();
    const double quietFrom = page.Now();
    WaitUntil(page, quietFrom + 1000);
    const double shot = page.Now();
    page.Key("press", "Space");

    Image after;
    double centreGain = 0;
    for (int i = 0; i < 100 && centreGain <= 8; ++i) {  // the first frames of the burst, however slow
        after = page.Screenshot();
        centreGain = Brightness(after, 610, 330, 670, 390) - Brightness(before, 610, 330, 670, 390);
    }
    Keep(after, "burst");
    const double edgeGain = Brightness(after, 40, 40, 200, 200) - Brightness(before, 40, 40, 200, 200);
    std::printf("  burst: centre +%.1f, corner %+.1f\n", centreGain, edgeGain);
    EXPECT_GT(centreGain, 8) << "smoke where the crosshair points";
    EXPECT_LT(std::fabs(edgeGain), 3);

    // A loaded machine may take a few frames to fire: the onset is looked
    // for in the second and a half after the key.
    WaitUntil(page, shot + 2000);
    const PageSession::Audio audio = page.TakeAudio();
    ASSERT_FALSE(audio.states.empty()) << "nothing was connected to an audio output";
    for (const std::string& state : audio.states) EXPECT_EQ(state, "running");
    const double silence = audio.Peak(quietFrom, shot), loud = audio.Peak(shot, shot + 1500);
    double onset = -1;
    for (const auto& [at, level] : audio.levels)
        if (at >= shot && level > 0.02 && onset < 0) onset = at - shot;
    std::printf("  audio: %zu blocks, peak RMS %.4f before the shot, %.4f after, first loud block %.0f ms after\n",
                audio.levels.size(), silence, loud, onset);
    EXPECT_LT(silence, 0.001);
    EXPECT_GT(loud, 0.02);
    EXPECT_GE(onset, 0);
    EXPECT_LT(onset, 1500);

    EscapeTwiceEnds(page);
}

// Headless Chromium reports no true pointer movement in fullscreen (each move
// comes with its own undoing), so the mouse is tried in the page's window,
// where the windowed-mode question's Yes leads.
TEST(WebPlay, AScreenSmallerThan1280x720AsksForWindowedModeYesPlaysWithTheMouseAndWAsOnLinuxNoEnds) {
    const std::string question =
        "Tamo GL|The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?|Yes,No";
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        web::PageOptions options;
        options.screenWidth = 1024;
        options.screenHeight = 600;
        PageSession page(options);
        Start(page);
        ASSERT_TRUE(page.AwaitMessageBox(question, 15)) << "shown: " << page.MessageBox();
        if (!yes) {
            page.Press("#msgbox button:nth-of-type(2)");  // No
            ASSERT_TRUE(page.AwaitMessageBox("ERROR|Program Will Now Close.|OK", 5)) << "shown: " << page.MessageBox();
            page.Press("#msgbox button");
            ExpectEndedWithZero(page);
            continue;
        }
        page.Press("#msgbox button");  // Yes
        ExpectView(page, 5, 30, "windowed");
        EXPECT_TRUE(page.AwaitEval("document.pointerLockElement?.id", "\"canvas\"", 5)) << "Yes locks the pointer";

        page.TiltDown(-30);
        ExpectView(page, 5, 0, "levelled");
        page.TurnLeft(180);
        const Image behind = ExpectView(page, 185, 0, "behind");
        page.TurnLeft(-45);
        ExpectView(page, 140, 0, "turned-right");

        // W held walks; let go, the view stands still.
        page.Key("down", "KeyW");
        EXPECT_FALSE(page.AwaitStill(1.0)) << "the view moves while W is held";
        page.Key("up", "KeyW");
        EXPECT_TRUE(page.AwaitStill(10));
        EXPECT_GT(e2e::Difference(behind, page.Screenshot()), 4);
        EscapeTwiceEnds(page);
    }
}

// The page as built, with its data repacked from a copy of the data: without
// texture/, the start fails; with a texture that is no bitmap, the loader's
// box waits, deep inside the start, until it is answered, and the game then
// plays on.
TEST(WebLifecycle, ABundleWithoutTexturesFailsToStartOneWithAnUnreadableTextureWaitsOnItsBoxAndPlaysOn) {
    for (const bool unreadable : {false, true}) {
        SCOPED_TRACE(unreadable ? "unreadable texture" : "no textures");
        const fs::path dir = fs::temp_directory_path() / ("veldrake-web-data-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy(web::BuiltPageDir(), dir / "page", fs::copy_options::recursive);
        fs::copy(e2e::BuiltDataDir(), dir / "data", fs::copy_options::recursive);
        if (unreadable)
            std::ofstream(dir / "data" / "texture" / "clay.bmp", std::ios::trunc) << "not a bitmap";
        else
            ASSERT_TRUE(fs::remove_all(dir / "data" / "texture") > 0);
        const std::string pack = VELDRAKE_SOURCE_DIR "/scripts/pack-web-data " + (dir / "data").string() + " " +
                                 (dir / "page").string() + " >/dev/null";
        ASSERT_EQ(std::system(pack.c_str()), 0);
        {
            web::PageOptions options;
            options.folder = (dir / "page").string();
            PageSession page(options);
            Start(page);
            if (!unreadable) {
                ASSERT_TRUE(page.AwaitMessageBox("ERROR|Initialization Failed.|OK", 15)) << "shown: " << page.MessageBox();
                page.Key("press", "Escape");
                ExpectEndedWithZero(page);
            } else {
                const std::string box = "Error|Unknown DIB file format.|OK";
                ASSERT_TRUE(page.AwaitMessageBox(box, 15)) << "shown: " << page.MessageBox();
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                EXPECT_EQ(page.MessageBox(), box) << "the box waits for its answer";
                EXPECT_EQ(page.Eval("window.veldrakeFramesShown ?? 0"), "0");
                page.Press("#msgbox button");
                // A click gives the pointer back once the game has its answer.
                bool playing = false;
                for (int i = 0; i < 10 && !playing; ++i) {
                    page.Click(640, 360);
                    playing = page.AwaitEval("window.veldrakeFramesShown > 2", "true", 3);
                }
                EXPECT_TRUE(playing) << "the start goes on";
                EscapeTwiceEnds(page);
            }
        }
        fs::remove_all(dir);
    }
}
