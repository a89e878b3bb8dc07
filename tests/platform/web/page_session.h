// Plays the browser build the way a player would: the page from build-web/
// served on 127.0.0.1 and opened by page_driver.mjs in the engine that
// $VELDRAKE_BROWSER names (chromium, firefox or webkit), input through the
// browser's automation, the canvas read back as a screenshot and the sound
// measured in the page's own audio graph.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <cmath>

#include <string>
#include <utility>
#include <vector>

#include "e2e/game_session.h"

namespace web {

struct PageOptions {
    std::string folder;  // the page's files; empty: the built build-web/
    std::string query;   // e.g. "bench"
    int screenWidth = 1920, screenHeight = 1080;
    std::string window = "1280x720@1";  // the page's size and pixel ratio
    std::string flags;                   // "touch" (Chromium), "slow" (the files trickle in)
};

class PageSession {
public:
    explicit PageSession(const PageOptions& options = PageOptions());
    ~PageSession();
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

    // The page is loaded and the driver answers.
    bool Open() const { return driver_ > 0; }
    // One driver command; its answer after "ok ", or "error ..." as it came.
    std::string Command(const std::string& line);
    void Act(const std::string& line) {
        const std::string answer = Command(line);
        if (answer.rfind("error", 0) == 0) ADD_FAILURE() << line << ": " << answer;
    }
    // A JavaScript expression's value as JSON.
    std::string Eval(const std::string& expression) { return Command("eval " + expression); }
    // Waits until the expression's JSON value is `expected`; false after `seconds`.
    bool AwaitEval(const std::string& expression, const std::string& expected, double seconds);

    // A player's input; one the driver cannot give fails the test.
    void Click(int x, int y) { Act("click " + std::to_string(x) + " " + std::to_string(y)); }  // canvas pixels
    void Click() { Act("click"); }  // where the pointer is
    void Press(const std::string& selector) { Act("press " + selector); }  // an element's centre
    void Key(const std::string& action, const std::string& code) { Act("key " + action + " " + code); }
    // Mouse look in the game's units, 8 pixels a degree, in steps a hand makes.
    void TurnLeft(double degrees) { Sweep(-static_cast<int>(std::lround(degrees * 8)), 0); }  // negative: right
    void TiltDown(double degrees) { Sweep(static_cast<int>(std::lround(degrees * 8)), 1); }   // negative: up
    // The same turn by a finger dragged over the picture (a touch screen), in
    // strokes that stay on the page.
    void DragLeft(double degrees);

    e2e::Image Screenshot();  // the canvas, 1280 x 720

    // The open message box as "caption|text|buttons", empty while none is shown.
    std::string MessageBox();
    bool AwaitMessageBox(const std::string& expected, double seconds);
    // The end notice's text once shown, empty before.
    std::string AwaitEnded(double seconds);
    // Everything the page wrote to its console as errors, as a JSON array.
    std::string ConsoleErrors() { return Command("errors"); }
    // What axe-core finds serious or critical on the page as it stands, as
    // a JSON array of "rule: element".
    std::string AccessibilityViolations() { return Command("axe"); }

    // The page's audio output since the last call: the AudioContexts' states
    // and the level (RMS) of each block with the page's clock (ms).
    struct Audio {
        std::vector<std::string> states;
        std::vector<std::pair<double, double>> levels;
        double Peak(double fromMs, double toMs) const;
    };
    Audio TakeAudio();
    double Now();  // the page's performance.now()

private:
    void Sweep(int pixels, int axis, const std::string& verb = "move");

    PageOptions options_;
    int cursor_[2] = {320, 240};  // where the game's cursor is, in its own units
    pid_t driver_ = -1;
    int to_ = -1;
    FILE* from_ = nullptr;
    std::string workDir_;
};

std::string BuiltPageDir();  // build-web/ beside the sources

}  // namespace web
