// The browser build in one engine ($VELDRAKE_BROWSER, one ctest entry each):
// what a player sees and hears on the page, compared with the frames the
// Linux build draws.
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
#include <vector>
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

const char* const kWindowedQuestion =
    "Tamo GL|The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?|Yes,No";

// The screen comes to show the Linux build's frame of this view, and not
// another view's. Returns the screen.
Image ExpectView(PageSession& page, double heading, double pitch, const char* name) {
    return e2e::ExpectView(page, heading, pitch, std::string("web-") + name, kSameView);
}

// A finger's tap on an element (a touch screen).
void Tap(PageSession& page, const std::string& selector) {
    page.Command("finger 1 0.5 0.5 " + selector);
    page.Command("lift 1");
}

// The prompt shows: the program and its data have loaded.
bool AwaitPrompt(PageSession& page) {
    return page.AwaitEval("(e => !e.hidden && e.textContent.trim())(document.querySelector('#prompt'))",
                          "\"Click to play\"", 30);
}

void Load(PageSession& page) {
    ASSERT_TRUE(page.Open()) << "no page at " << web::BuiltPageDir() << " (scripts/build-web)";
    EXPECT_TRUE(AwaitPrompt(page));
}

// The browser takes the GPU back: the game waits with a line on the page.
void LoseGraphics(PageSession& page) {
    page.Eval("(window.gpu = document.getElementById('canvas').getContext('webgl')"
              ".getExtension('WEBGL_lose_context')).loseContext()");
    EXPECT_TRUE(page.AwaitEval("(e => e.checkVisibility() && e.textContent.startsWith('The graphics were lost: '))"
                               "(document.querySelector('#notice'))", "true", 5));
}

void RestoreGraphics(PageSession& page) {
    page.Eval("gpu.restoreContext()");
    EXPECT_TRUE(page.AwaitEval("document.querySelector('#notice').checkVisibility()", "false", 5));
}

enum class StartBy { kClick, kTap, kKey };

// Loads the page and starts the game as a player does: a click on the
// canvas, a tap, or Enter.
void Start(PageSession& page, StartBy by = StartBy::kClick) {
    Load(page);
    if (by == StartBy::kTap)
        Tap(page, "#prompt");
    else if (by == StartBy::kKey)
        page.Key("press", "Enter");
    else
        page.Click(640, 360);
}

// Lets the page's clock reach `ms` (a measuring window, not a check).
void WaitUntil(PageSession& page, double ms) {
    for (int i = 0; i < 400 && page.Now() < ms; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

// What each engine does headless, as found: the tests check that it still
// does so, and where it refuses the pointer lock or fullscreen they check
// the game's play with the pointer free instead of the locked one.
struct Engine {
    bool locks;       // grants the pointer lock
    bool fullscreen;  // grants fullscreen
    bool keepsEscapeInFullscreen;  // the first Escape only leaves fullscreen
    bool mouseLook;   // its driver's pointer moves reach the page as a hand's
    bool emulates;    // the window's size, its pixel ratio and a touch screen (through DevTools)
    bool shotsOfPage; // screenshots show the page over the canvas, not the canvas's own pixels
};

Engine TheEngine() {
    const char* name = std::getenv("VELDRAKE_BROWSER");
    const std::string engine = name ? name : "chromium";
    // Chromium: both; its first Escape reaches the page, under the lock in fullscreen too.
    if (engine == "chromium") return {true, true, false, true, true, true};
    // Headless Firefox refuses both ("the document is not focused").
    if (engine == "firefox") return {false, false, false, true, false, true};
    // WebKitGTK's MiniBrowser grants both; it keeps the first Escape in
    // fullscreen to leave it, and the game plays on in the window, locked.
    // Under the lock it reports each of WebDriver's pointer moves with a
    // warp of its own (movements of 100 pixels come as 138 and -213): no
    // mouse look can be measured there.
    return {true, true, true, false, false, false};
}

// Frames stop coming: the game is paused.
bool Paused(PageSession& page) {
    for (int i = 0; i < 50; ++i) {
        const std::string shown = page.Eval("window.veldrakeFramesShown");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (page.Eval("window.veldrakeFramesShown") == shown) return true;
    }
    return false;
}

// Frames come on: the game is drawing.
bool Drawing(PageSession& page) {
    const std::string shown = page.Eval("window.veldrakeFramesShown");
    return page.AwaitEval("window.veldrakeFramesShown > " + shown, "true", 5);
}

// The page says the game ended with 0, logged no error on the way, and let
// the sound device go.
void ExpectEndedWithZero(PageSession& page) {
    EXPECT_NE(page.AwaitEnded(10).find("Veldrake ended with exit code 0."), std::string::npos);
    EXPECT_EQ(page.ConsoleErrors(), "[]");
    EXPECT_TRUE(page.AwaitEval("veldrakeAudioContexts.every(c => c.state === 'closed')", "true", 5))
        << "an audio context left open";
}

// The page's output, measured in its own audio graph: playing, quiet for a
// second, then the rifle soon after `fire` begins.
template <typename Fire>
void ExpectShotHeard(PageSession& page, Fire fire) {
    page.TakeAudio();
    const double quietFrom = page.Now();
    WaitUntil(page, quietFrom + 1000);
    const double shot = page.Now();
    fire();
    WaitUntil(page, shot + 2000);
    const PageSession::Audio audio = page.TakeAudio();
    ASSERT_FALSE(audio.states.empty()) << "nothing was connected to an audio output";
    for (const std::string& state : audio.states) EXPECT_EQ(state, "running");
    e2e::Levels levels;
    for (const auto& [at, level] : audio.levels) levels.emplace_back(at / 1000, level);
    e2e::ExpectShotHeard(levels, quietFrom / 1000, shot / 1000);
}

// The pointer lock refused: the game plays on, and the page says how.
void ExpectPointerFree(PageSession& page) {
    EXPECT_TRUE(page.AwaitEval("document.querySelector('#hint').checkVisibility() && "
                               "document.querySelector('#hint').textContent.includes('a click takes the pointer "
                               "when the browser allows it')", "true", 5));
    EXPECT_EQ(page.Eval("document.pointerLockElement"), "null");
    EXPECT_TRUE(Drawing(page)) << "the game plays on without the lock";
}

// Escape ends the game, wherever its key-down reaches it; an engine that
// keeps the first one to leave fullscreen plays on in the window, and the
// next ends it.
void EscapeEnds(PageSession& page, bool firstKept) {
    page.Key("press", "Escape");
    if (firstKept) {
        EXPECT_TRUE(page.AwaitEval("document.fullscreenElement", "null", 5));
        EXPECT_TRUE(Drawing(page)) << "the game plays on in the window";
        EXPECT_EQ(page.Eval("document.querySelector('#ended').hidden"), "true");
        page.Key("press", "Escape");
    }
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

// A phone's screen: touch and no mouse, smaller than the game.
web::PageOptions TouchScreen() {
    web::PageOptions options;
    options.flags = "touch";
    options.screenWidth = 1024;
    options.screenHeight = 600;
    return options;
}

// A tap starts it, and one on Yes plays in the page.
void TapToPlay(PageSession& page) {
    Start(page, StartBy::kTap);
    ASSERT_TRUE(page.AwaitMessageBox(kWindowedQuestion, 15)) << "shown: " << page.MessageBox();
    Tap(page, "#msgbox button");
}

// The windowed-mode question, answered Yes: it plays in the page.
void AnswerYes(PageSession& page) {
    ASSERT_TRUE(page.AwaitMessageBox(kWindowedQuestion, 15)) << "shown: " << page.MessageBox();
    page.Press("#msgbox button");
}

// The test pad's controls, numbered as in the standard layout, held for so
// many reads of the pads (the game reads them once a step), then let go.
void HoldPad(PageSession& page, const std::string& controls, int reads) {
    page.Eval("veldrakePad.hold(" + controls + ", " + std::to_string(reads) + ")");
    EXPECT_TRUE(page.AwaitEval("veldrakePad.left", "0", 30)) << "the game read the pad " << controls;
}

}  // namespace

// Fullscreen and the lock, or, refused, the windowed-mode question, whose
// Yes plays in the page.
TEST(WebPlay, TheStartClickShowsTheLinuxStartViewAndAShotFiresIntoSilenceWithTheRiflesSound) {
    const Engine engine = TheEngine();
    PageSession page;
    Load(page);
    EXPECT_EQ(page.AccessibilityViolations(), "[]") << "loaded";
    page.Click(640, 360);
    if (!engine.fullscreen) AnswerYes(page);  // fullscreen refused: the question
    const Image before = ExpectView(page, 5, 30, "first-view");
    if (engine.fullscreen)
        EXPECT_TRUE(page.AwaitEval("[document.pointerLockElement?.id, document.fullscreenElement?.id]",
                                   "[\"canvas\",\"canvas\"]", 5))
            << "the click locks the pointer and takes the screen";
    else
        ExpectPointerFree(page);

    EXPECT_EQ(PagePictures(page), DataPictures()) << "the game reads the very files of the Linux build";
    EXPECT_EQ(page.Eval("document.querySelector('#touch').checkVisibility()"), "false") << "no touch controls";

    // The GPU taken back and given back: the game shows the view it left,
    // and plays on.
    LoseGraphics(page);
    RestoreGraphics(page);
    ExpectView(page, 5, 30, "restored");

    // Space, or with the pointer free the left button where the pointer is.
    ExpectShotHeard(page, [&] {
        if (engine.locks)
            page.Key("press", "Space");
        else
            page.Click();
        e2e::ExpectBurst(page, before, "web-burst");
        EXPECT_TRUE(e2e::BurstFades(page, before)) << "smoke fades out";
    });
    // The sound suspended behind the game's back, as a locked phone does:
    // the next shot's key or click wakes it.
    page.Eval("veldrakeAudioContexts.forEach(c => c.suspend())");
    EXPECT_TRUE(page.AwaitEval("veldrakeAudioContexts.every(c => c.state === 'suspended')", "true", 5));
    page.Key("press", "ShiftLeft");
    EXPECT_TRUE(page.AwaitEval("veldrakeAudioContexts.every(c => c.state === 'running')", "true", 5))
        << "a key wakes the sound";
    ExpectShotHeard(page, [&] {
        if (engine.locks)
            page.Key("press", "Space");
        else
            page.Click();
    });

    EscapeEnds(page, engine.keepsEscapeInFullscreen && engine.fullscreen);
}

// A gamepad plays the game: the page asks for a press on it until it shows
// up; its right stick turns at 180 degrees a second, a step's worth each
// read, the left one walks, A fires, Start pauses and goes on, Back ends.
TEST(WebPlay, AGamepadTurnsWalksFiresPausesAndEnds) {
    const Engine engine = TheEngine();
    PageSession page;
    Load(page);
    EXPECT_EQ(page.Eval("(e => e.checkVisibility() && e.textContent)(document.querySelector('#padhint'))"),
              "\"Press a button on your controller\"");
    page.Eval("veldrakePad.plug()");
    EXPECT_TRUE(page.AwaitEval("document.querySelector('#padhint').checkVisibility()", "false", 5));
    page.Click(640, 360);
    if (!engine.fullscreen) AnswerYes(page);
    ExpectView(page, 5, 30, "pad-start");

    HoldPad(page, "{axes: {2: -1}}", 10);  // 21.6 pixels a step, full left: 27 degrees
    const Image turned = ExpectView(page, 32, 30, "pad-turned");
    HoldPad(page, "{axes: {1: -1}}", 60);
    ASSERT_TRUE(e2e::AwaitStill(page, 30));
    const Image walked = page.Screenshot();
    EXPECT_GT(e2e::Difference(turned, walked), 2) << "the left stick walks";
    const auto fire = [&] {
        HoldPad(page, "{buttons: {0: 1}}", 1);
        e2e::ExpectBurst(page, walked, "web-pad-burst");
    };
    ExpectShotHeard(page, fire);

    const double lit = e2e::Brightness(page.Screenshot(), 0, 0, 1280, 250);
    HoldPad(page, "{buttons: {9: 1}}", 1);
    ASSERT_TRUE(page.AwaitEval("document.querySelector('#paused').checkVisibility()", "true", 15));
    if (engine.shotsOfPage) {
        EXPECT_LT(e2e::Brightness(page.Screenshot(), 0, 0, 1280, 250), 0.7 * lit) << "the choice seen, over fullscreen too";
    }
    EXPECT_TRUE(Paused(page));
    HoldPad(page, "{buttons: {9: 1}}", 1);
    EXPECT_TRUE(page.AwaitEval("document.querySelector('#paused').checkVisibility()", "false", 15));
    EXPECT_TRUE(Drawing(page)) << "Start again goes on";
    HoldPad(page, "{buttons: {8: 1}}", 1);
    ExpectEndedWithZero(page);
}

// In the page's window, where the windowed-mode question's Yes leads, the
// mouse turns the view at 8 pixels a degree, under the lock or, refused, with
// the pointer free over the canvas (so the turns stay within its width).
// The lock given back pauses the game, a click resumes it, and Escape ends
// it, paused or not.
TEST(WebPlay, AScreenSmallerThan1280x720AsksForWindowedModeYesPlaysWithTheMouseAndWAsOnLinuxNoEnds) {
    const Engine engine = TheEngine();
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        web::PageOptions options;
        options.screenWidth = 1024;
        options.screenHeight = 600;
        PageSession page(options);
        Start(page, StartBy::kKey);
        ASSERT_TRUE(page.AwaitMessageBox(kWindowedQuestion, 15)) << "shown: " << page.MessageBox();
        page.Key("press", "Escape");
        EXPECT_EQ(page.MessageBox(), kWindowedQuestion) << "Escape leaves a question open";
        if (!yes) {
            page.Press("#msgbox button:nth-of-type(2)");  // No
            ASSERT_TRUE(page.AwaitMessageBox("ERROR|Program Will Now Close.|OK", 5)) << "shown: " << page.MessageBox();
            page.Press("#msgbox button");
            ExpectEndedWithZero(page);
            continue;
        }
        page.Press("#msgbox button");  // Yes
        ExpectView(page, 5, 30, "windowed");
        if (engine.locks)
            EXPECT_TRUE(page.AwaitEval("document.pointerLockElement?.id", "\"canvas\"", 5)) << "Yes locks the pointer";
        else
            ExpectPointerFree(page);

        Image left = page.Screenshot();
        if (engine.mouseLook) {
            page.TiltDown(-30);
            ExpectView(page, 5, 0, "levelled");
            page.TurnLeft(60);
            left = ExpectView(page, 65, 0, "turned-left");
            page.TurnLeft(-45);
            ExpectView(page, 20, 0, "turned-right");
        }

        // W held walks; let go, the view stands still.
        page.Key("down", "KeyW");
        EXPECT_FALSE(e2e::AwaitStill(page, 1.0)) << "the view moves while W is held";
        page.Key("up", "KeyW");
        EXPECT_TRUE(e2e::AwaitStill(page, 30));
        EXPECT_GT(e2e::Difference(left, page.Screenshot()), 4);
        ExpectShotHeard(page, [&] { page.Key("press", "Space"); });  // started by keys alone

        if (engine.locks) {
            const Image walked = page.Screenshot();
            page.Eval("document.exitPointerLock()");
            EXPECT_TRUE(page.AwaitEval("document.pointerLockElement", "null", 5));
            EXPECT_TRUE(Paused(page)) << "the lock given back pauses the game";
            // The GPU lost and given back while paused: still paused.
            LoseGraphics(page);
            RestoreGraphics(page);
            EXPECT_TRUE(Paused(page)) << "the graphics given back wait for the click";
            page.Click();
            EXPECT_TRUE(page.AwaitEval("document.pointerLockElement?.id", "\"canvas\"", 5)) << "a click takes it again";
            EXPECT_TRUE(Drawing(page)) << "and resumes the game";
            if (engine.mouseLook) {  // elsewhere the click's own pointer move turns the view
                EXPECT_LT(e2e::Difference(walked, page.Screenshot()), kSameView) << "the view it left, redrawn whole";
            }
            page.Eval("document.exitPointerLock()");
            EXPECT_TRUE(page.AwaitEval("document.pointerLockElement", "null", 5));
        } else {
            // The window loses the focus: paused; a click, whose lock the
            // browser refuses again, plays on with the pointer free.
            page.Eval("window.dispatchEvent(new FocusEvent('blur'))");
            EXPECT_TRUE(Paused(page)) << "the window's blur pauses the game";
            page.Click();
            EXPECT_TRUE(Drawing(page)) << "a refused lock after the pause plays on";
        }
        // Graphics that never come back: the game waits, and Escape still ends it.
        LoseGraphics(page);
        EXPECT_TRUE(Paused(page));
        EscapeEnds(page, false);
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
            if (!TheEngine().fullscreen) AnswerYes(page);  // the windowed-mode question comes first
            if (!unreadable) {
                ASSERT_TRUE(page.AwaitMessageBox("ERROR|Initialization Failed.|OK", 15)) << "shown: " << page.MessageBox();
                page.Key("press", "Escape");
                ExpectEndedWithZero(page);
            } else {
                const std::string box = "Error|Unknown DIB file format.|OK";
                ASSERT_TRUE(page.AwaitMessageBox(box, 15)) << "shown: " << page.MessageBox();
                // The GPU lost and given back half-way through the start,
                // the textures loaded so far with it.
                LoseGraphics(page);
                RestoreGraphics(page);
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
                EscapeEnds(page, false);
            }
        }
        fs::remove_all(dir);
    }
}

// The page fills any window at 16:9, centred with bars and no scroll bar; a
// screen under 1280 x 720 brings the question, whose box stays inside the
// window and readable, and Yes shows the Linux build's first view, scaled.
TEST(WebPage, EveryWindowShowsTheWholePictureCentredWithoutAScrollBar) {
    if (!TheEngine().emulates) GTEST_SKIP() << "window sizes and pixel ratios are set through Chromium's DevTools";
    for (const char* window : {"800x600@1", "1366x768@1", "1920x1080@1", "1366x768@2"}) {
        SCOPED_TRACE(window);
        web::PageOptions options;
        options.window = window;
        options.screenWidth = 1024;
        options.screenHeight = 600;
        PageSession page(options);
        Start(page, StartBy::kKey);
        ASSERT_TRUE(page.AwaitMessageBox(kWindowedQuestion, 15)) << "shown: " << page.MessageBox();
        EXPECT_EQ(page.Eval("(() => { const d = document.documentElement, near = (a, b) => Math.abs(a - b) < 1.5;"
                            "  const c = document.getElementById('canvas').getBoundingClientRect();"
                            "  const b = document.querySelector('#msgbox').getBoundingClientRect();"
                            "  return [d.scrollWidth <= innerWidth && d.scrollHeight <= innerHeight,"
                            "    near(c.width * 9, c.height * 16) && (near(c.width, innerWidth) || near(c.height, innerHeight)),"
                            "    near(c.left, innerWidth - c.right) && near(c.top, innerHeight - c.bottom),"
                            "    b.left >= 0 && b.top >= 0 && b.right <= innerWidth && b.bottom <= innerHeight,"
                            "    parseFloat(getComputedStyle(document.querySelector('#msgbox')).fontSize) >= 12]; })()"),
                  "[true,true,true,true,true]")
            << "no scroll bar, the whole picture at 16:9, centred, the box inside and readable";
        page.Press("#msgbox button");  // Yes
        ExpectView(page, 5, 30, "window");
        EscapeEnds(page, false);
    }
}

// On a touch screen with no mouse, the page's own controls: a tap starts, a
// drag turns the view as the mouse does, the pad walks out of the inner ring
// while another finger fires, the fire button bursts at the crosshair with
// the rifle's sound, and the pause control ends the game.
TEST(WebPage, OnATouchScreenThePadWalksADragTurnsTheButtonFiresAndPauseEnds) {
    if (!TheEngine().emulates) GTEST_SKIP() << "a touch screen is emulated through Chromium's DevTools";
    PageSession page(TouchScreen());
    TapToPlay(page);
    ExpectView(page, 5, 30, "touch-start");
    EXPECT_EQ(page.Eval("document.querySelector('#touch').checkVisibility()"), "true");
    EXPECT_EQ(page.AccessibilityViolations(), "[]") << "playing by touch";

    page.DragLeft(180);  // to ring 1's open side
    const Image behind = ExpectView(page, 185, 30, "touch-turned");
    page.Command("finger 2 0.5 0.1 #pad");  // forward, held while another finger fires
    EXPECT_FALSE(e2e::AwaitStill(page, 1.0)) << "the view moves while the pad is held";
    ExpectShotHeard(page, [&] { Tap(page, "#fire"); });
    EXPECT_TRUE(e2e::AwaitStill(page, 60)) << "out of the inner ring, the next wall stops the walk";
    // The browser cancels the touch (a system gesture): nothing is left
    // walking forward, so S held walks back.
    page.Command("cancel 2");
    ASSERT_TRUE(e2e::AwaitStill(page, 60));
    const Image stopped = page.Screenshot();
    page.Key("down", "KeyS");
    EXPECT_TRUE(e2e::AwaitChange(page, 20, stopped)) << "S walks back: the cancelled finger holds nothing";
    page.Key("up", "KeyS");
    EXPECT_TRUE(e2e::AwaitStill(page, 30));
    const Image walked = page.Screenshot();
    EXPECT_GT(e2e::Difference(behind, walked), 4);
    Tap(page, "#fire");
    e2e::ExpectBurst(page, walked, "web-touch-burst");

    // The pause control, the page left, or a gamepad's Start (which puts the
    // controls away until the next touch): the choice, the game paused; Go on plays on.
    page.Eval("veldrakePad.plug()");
    for (const std::string by : {"pause control", "page left", "gamepad"}) {
        SCOPED_TRACE(by);
        if (by == "page left")
            page.Eval("window.dispatchEvent(new FocusEvent('blur'))");
        else if (by == "gamepad")
            HoldPad(page, "{buttons: {9: 1}}", 1);
        else
            Tap(page, "#pause");
        ASSERT_TRUE(page.AwaitEval("document.querySelector('#paused').checkVisibility()", "true", 15));
        EXPECT_EQ(page.Eval("document.querySelector('#touch').checkVisibility()"), by == "gamepad" ? "false" : "true");
        EXPECT_TRUE(Paused(page));
        Tap(page, "#paused .go-on");
        EXPECT_TRUE(page.AwaitEval("document.querySelector('#paused').checkVisibility()", "false", 15));
        EXPECT_TRUE(Drawing(page)) << "Go on plays on";
        EXPECT_EQ(page.Eval("document.querySelector('#touch').checkVisibility()"), "true");
    }
    Tap(page, "#pause");
    ASSERT_TRUE(page.AwaitEval("document.querySelector('#paused').checkVisibility()", "true", 5));
    EXPECT_EQ(page.AccessibilityViolations(), "[]") << "paused";
    Tap(page, "#paused .end");
    ExpectEndedWithZero(page);
}

// Each part of the move pad walks as its keys do: from the start, turned to
// heading 0, held until a wall stops the walk, the pad and the keys leave the
// same view (a side swapped would step the other way).
TEST(WebPage, OnATouchScreenEachPartOfThePadWalksAsItsKeys) {
    if (!TheEngine().emulates) GTEST_SKIP() << "a touch screen is emulated through Chromium's DevTools";
    PageSession page(TouchScreen());
    const struct {
        const char* name;
        const char* at;  // share of the pad's box
        std::vector<const char*> keys;
    } parts[] = {{"back", "0.5 0.8", {"KeyS"}}, {"left", "0.2 0.5", {"KeyA"}}, {"right", "0.8 0.5", {"KeyD"}},
                 {"forward and left", "0.25 0.25", {"KeyW", "KeyA"}}};
    for (const auto& part : parts) {
        SCOPED_TRACE(part.name);
        Image seen[2];
        for (const bool pad : {true, false}) {
            page.Command("reload");
            TapToPlay(page);
            ExpectView(page, 5, 30, "pad-first");  // playing: the drag turns it
            page.DragLeft(-5);
            const Image start = ExpectView(page, 0, 30, "pad-start");
            if (pad)
                page.Command(std::string("finger 2 ") + part.at + " #pad");
            else
                for (const char* key : part.keys) page.Key("down", key);
            EXPECT_TRUE(e2e::AwaitChange(page, 20, start)) << "it walks";
            EXPECT_TRUE(e2e::AwaitStill(page, 60)) << "until a wall stops it";
            if (pad)
                page.Command("lift 2");
            else
                for (const char* key : part.keys) page.Key("up", key);
            seen[pad] = page.Screenshot();
            e2e::Keep(seen[pad], std::string("web-pad-") + (pad ? "" : "keys-") + part.name);
        }
        EXPECT_LT(e2e::Difference(seen[0], seen[1]), 1.0) << "the pad's " << part.name << " and its keys";
    }
}

// While the program and its data trickle in, the bar shows the share come so
// far. Each file missing from the server is named, and found with Try again
// once it is back. After one visit the page plays with the network cut, a
// new version of it kept in place of the old, and plays again.
TEST(WebPage, LoadingShowsItsProgressNamesAMissingFileAndAfterOneVisitPlaysOffline) {
    {
        web::PageOptions options;
        options.flags = "slow";
        PageSession page(options);
        ASSERT_TRUE(page.Open());
        std::set<std::string> shares;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (page.Eval("document.querySelector('#prompt').hidden") == "true" && std::chrono::steady_clock::now() < end)
            shares.insert(page.Eval("(v => v > 0 && v < 1 ? v : 'x')(document.querySelector('#loading progress').value)"));
        shares.erase("\"x\"");
        EXPECT_GE(shares.size(), 3u) << "the bar moves";
        EXPECT_EQ(page.Eval("document.querySelector('#loading').hidden"), "true") << "and ends";
    }
    const fs::path dir = fs::temp_directory_path() / ("veldrake-web-files-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::copy(web::BuiltPageDir(), dir, fs::copy_options::recursive);
    // Named on the page, then put back.
    const auto named = [&](PageSession& page, const std::string& file) {
        EXPECT_TRUE(page.AwaitEval("(e => e.querySelector('.message').textContent + '|' + "
                                   "e.querySelector('button').checkVisibility())(document.querySelector('#loading'))",
                                   "\"Could not load " + file + ".|true\"", 15))
            << file;
        fs::rename(dir / "kept", dir / file);
    };
    fs::rename(dir / "veldrake.wasm", dir / "kept");
    {
        web::PageOptions options;
        options.folder = dir.string();
        PageSession page(options);
        ASSERT_TRUE(page.Open());
        named(page, "veldrake.wasm");
        fs::rename(dir / "veldrake.js", dir / "kept");
        page.Press("#loading button");
        named(page, "veldrake.js");
        page.Press("#loading button");
        EXPECT_TRUE(AwaitPrompt(page)) << "found again";
        fs::rename(dir / "veldrake-data.data", dir / "kept");
        page.Command("reload");
        named(page, "veldrake-data.data");
        page.Press("#loading button");
        EXPECT_TRUE(AwaitPrompt(page)) << "found again";
        EXPECT_EQ(page.ConsoleErrors(), "[]");

        ASSERT_TRUE(page.AwaitEval("navigator.serviceWorker.ready.then(r => !!r.active)", "true", 15))
            << "nothing keeps the page";
        {
            std::ifstream in(dir / "index.html");
            std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            html.replace(html.find("</body>"), 0, "<p id=\"newer\" hidden></p>");
            std::ofstream(dir / "index.html", std::ios::trunc) << html;
        }
        page.Command("reload");
        EXPECT_TRUE(page.AwaitEval("caches.match('index.html').then(r => r.text()).then(t => t.includes('newer'))",
                                   "true", 15))
            << "the new version kept";
        page.Command("network off");
        page.Command("reload");
        EXPECT_EQ(page.Eval("!!document.getElementById('newer')"), "true") << "the new version offline";
        // Offline, walked away from the start and ended: Play again starts a new game.
        for (const bool again : {false, true}) {
            SCOPED_TRACE(again ? "played again" : "offline");
            EXPECT_TRUE(AwaitPrompt(page));
            page.Click(640, 360);
            if (!TheEngine().fullscreen) AnswerYes(page);
            ExpectView(page, 5, 30, "offline");
            page.Key("down", "KeyW");
            EXPECT_TRUE(e2e::AwaitChange(page, 20));
            page.Key("up", "KeyW");
            EscapeEnds(page, TheEngine().keepsEscapeInFullscreen && TheEngine().fullscreen);
            if (!again) page.Press("#ended button");
        }
    }
    fs::remove_all(dir);
}
