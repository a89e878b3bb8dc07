// Plays the real game the way a player would: its own Xvfb, the built
// binary started from a data folder, input through the X server (xdotool),
// the screen read back with Xlib and the sound captured by OpenAL Soft's
// wave-file output.
#pragma once

#include <sys/types.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace e2e {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first

    std::array<int, 3> At(int x, int y) const;  // y from the top
    bool SavePpm(const std::string& path) const;
};

struct SessionOptions {
    std::string screen = "1280x720x24";
    std::string dataDir;        // working directory of the game; empty: the built data
    std::string audioDriver = "wave";  // "wave", "null", or "none" for no device at all
    std::vector<std::string> extraEnv;  // NAME=value
    int pointerX = 640, pointerY = 360;  // where the pointer waits when the game starts
};

class GameSession {
public:
    explicit GameSession(const SessionOptions& options = SessionOptions());
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    bool ServerUp() const { return display_ >= 0; }
    // Starts the game; false when the binary cannot be started.
    bool Launch();
    // Waits until a top-level window with this exact title is mapped.
    bool WaitForWindow(const std::string& title, double seconds);
    unsigned long GameWindow() const { return window_; }

    // xdotool with the session's display, e.g. Xdo("key Escape").
    bool Xdo(const std::string& arguments) const;
    void Key(const std::string& key) const;
    void MoveMouse(int x, int y) const;  // client coordinates of the game window
    void Click() const;
    void HoldKey(const std::string& key, double seconds) const;

    // Mouse look in the game's own units (8 pixels a degree), moving the
    // pointer in steps and across the game's warp bounds as a hand would.
    void TurnLeft(double degrees);   // negative turns right
    void TiltDown(double degrees);   // negative looks up
    // Where the pointer is, in the game window's client pixels.
    std::array<int, 2> Pointer() const;
    // As fast as the X server takes them: this many pointer moves to and fro,
    // across the game's warp bounds.
    void MotionFlood(int moves) const;
    void Pause(double seconds) const;

    Image Screenshot() const;  // the game window's client area, as far as it is on the screen
    // Waits until the game has drawn a frame (start-up, with every file
    // loaded, is over): false when the window is still black after `seconds`.
    bool AwaitDrawn(double seconds) const;
    std::array<int, 2> WindowSize() const;
    // Opens a small window of the test's own and gives it the keyboard focus.
    void FocusElsewhere() const;
    // Asks the window to close, as a window manager's close button does.
    void CloseWindow() const;
    // Presses a key in the top-level window with this title (a message box)
    // and waits until that box has gone.
    bool KeyInWindow(const std::string& title, const std::string& key);

    // Waits for the game to exit; its exit code, or -1 when it is still
    // running after `seconds` (it is then killed) or died of a signal.
    int WaitExit(double seconds);
    bool Running();
    pid_t GamePid() const { return game_; }  // -1 once the game has ended
    // The game window's icon as the desktop reads it (_NET_WM_ICON): width,
    // height, then one 0xAARRGGBB value per pixel, top row first.
    std::vector<unsigned long> WindowIcon() const;
    // Names of the top-level windows (message boxes show here by caption).
    std::vector<std::string> WindowTitles() const;

    // The game's peak resident memory so far, in MiB (-1 once it has ended).
    long PeakResidentMiB() const;
    // Sends a signal to the game, as a session or a terminal would.
    bool Signal(int signal) const;
    // Destroys the window with this title from the test's own X connection,
    // as another program might.
    bool DestroyWindowFromOutside(const std::string& title) const;

    std::string AudioPath() const { return audioPath_; }
    // How much the game has recorded so far (bytes of the file), and a wait
    // until what it records after that holds a shot.
    std::uintmax_t Recorded() const;
    bool AwaitHeard(std::uintmax_t from, double seconds) const;
    std::string DisplayName() const;
    // Everything the game printed on stderr (sanitizer reports land here).
    std::string ErrorOutput() const;

private:
    SessionOptions options_;
    pid_t xvfb_ = -1;
    pid_t game_ = -1;
    int exitStatus_ = -1;  // from waitpid, once the game has ended
    int display_ = -1;
    void* x_ = nullptr;  // Display*
    unsigned long window_ = 0;
    std::string workDir_;
    std::string audioPath_;
    std::string stderrPath_;
};

// The built game and its data (from the build tree).
std::string GameBinary();
std::string BuiltDataDir();

// The frame the game draws from its start position at this heading and
// pitch (degrees), drawn off-screen by the game's own code: 1280 x 720.
Image ExpectedView(double heading, double pitch);
// Mean absolute difference (0..255) of the part two pictures share,
// sampled every 4th pixel.
double Difference(const Image& a, const Image& b);

// Mean of each colour (0..255) over a rectangle, y from the top; and of all three.
std::array<double, 3> Mean(const Image& image, int x0, int y0, int x1, int y1);
double Brightness(const Image& image, int x0, int y0, int x1, int y1);
// Keeps the screen as <name>.ppm in $VELDRAKE_E2E_SHOTS, when that is set.
void Keep(const Image& image, const std::string& name);

// The checks every end-to-end suite makes of a session that has Screenshot()
// (the Linux and Windows game, the page), waiting for the screen itself
// however slowly a loaded machine draws.

// Until the screen shows `expected` (mean difference under `bound`) or
// `seconds` pass; the difference at the end, the last screenshot in *screen.
template <typename Session>
double AwaitView(Session& session, const Image& expected, double seconds, Image* screen, double bound = 1.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    double off = 255;
    do {
        *screen = session.Screenshot();
        off = Difference(*screen, expected);
    } while (off >= bound && std::chrono::steady_clock::now() < end);
    return off;
}

// Until two screenshots 0.3 s apart are the same (looking at least once);
// false when the view still moves after `seconds`.
template <typename Session>
bool AwaitStill(Session& session, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    Image previous = session.Screenshot();
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Image now = session.Screenshot();
        const bool still = Difference(previous, now) < 0.3;
        previous = std::move(now);
        if (still) return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

// Until the screen differs from `first` (by default what it showed at the
// call): true once the view has moved, however few frames a loaded machine
// draws. A walk that may end before the call looks should pass the view
// from before it began.
template <typename Session>
bool AwaitChange(Session& session, double seconds, const Image& first) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end)
        if (Difference(first, session.Screenshot()) > 0.5) return true;
    return false;
}
template <typename Session>
bool AwaitChange(Session& session, double seconds) {
    return AwaitChange(session, seconds, session.Screenshot());
}

// The screen comes to show the frame the game's own code draws at this
// heading and pitch from the start, and not the view 20 degrees off. Returns
// the screen, kept as `name`.
Image ExpectSeen(const Image& screen, double off, double heading, double pitch, const std::string& name,
                 double bound);
template <typename Session>
Image ExpectView(Session& session, double heading, double pitch, const std::string& name, double bound = 1.0) {
    Image screen;
    const double off = AwaitView(session, ExpectedView(heading, pitch), 15, &screen, bound);
    return ExpectSeen(screen, off, heading, pitch, name, bound);
}

// A shot's burst shows as smoke where the crosshair points, the corner
// unchanged from `before` (checked when `report`); the screen with it, kept
// as `name`. The checks are in expected_view.cpp, beside the views.
bool BurstShown(const Image& before, const Image& after, bool report);
template <typename Session>
Image ExpectBurst(Session& session, const Image& before, const std::string& name) {
    Image after;
    for (int i = 0; i < 100; ++i) {  // the first frames of the burst, however slow
        after = session.Screenshot();
        if (BurstShown(before, after, false)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Keep(after, name);
    BurstShown(before, after, true);
    return after;
}

// The most any pixel has gained in brightness over `before`.
double MostGain(const Image& before, const Image& after);
// Smoke fades: from its brightest, the most a burst adds to any pixel falls
// gradually, showing at under half its height before it goes (one drawn at
// full strength to the end would vanish at once). Watches until it has gone.
template <typename Session>
bool BurstFades(Session& session, const Image& before) {
    double peak = 0, faint = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (double gain = MostGain(before, session.Screenshot()); std::chrono::steady_clock::now() < end;
         gain = MostGain(before, session.Screenshot())) {
        peak = std::max(peak, gain);
        if (gain > 4 && gain < peak / 2) faint = gain;
        if (peak > 20 && gain <= 4) break;
    }
    std::printf("  the burst's brightest pixel: %+.0f at most, %+.0f fading\n", peak, faint);
    return peak > 20 && faint > 0;
}

// The output's level (RMS) as (seconds, level) blocks: quiet from `quietFrom`
// until `firedAt`, then the rifle within 1.5 s (a loaded machine may take a
// few frames to fire).
using Levels = std::vector<std::pair<double, double>>;
void ExpectShotHeard(const Levels& levels, double quietFrom, double firedAt);

// One step of a mouse-look sweep of `*pixels` along an axis, the cursor at
// `at`: the game keeps its cursor inside 10..370 and credits the move past a
// bound, which it undoes by warping to the other bound, as no motion; so a
// step stops at the bound and the next crosses it by one pixel. Steps are at
// most 150 pixels, and the one after a warp only 40, so that merged with the
// warp's own move it still reads as a warp. The move, and *warped.
int SweepStep(int at, int* pixels, bool* warped);

// A captured wave file as mono samples in -1..1.
struct Capture {
    int rate = 0;
    std::vector<float> samples;
    double Rms(double fromSeconds, double toSeconds) const;
    Levels Blocks() const;  // 10 ms blocks
    // Where the file's first `bytes` end, in seconds of sound.
    double SecondsAt(std::uintmax_t bytes) const;
    std::size_t dataStart = 0, frameBytes = 0;
    // Times (seconds) where the level jumps from quiet to loud, 10 ms windows,
    // at least 60 ms apart.
    std::vector<double> Onsets(double threshold) const;
};
bool ReadCapture(const std::string& path, Capture* capture);

}  // namespace e2e
