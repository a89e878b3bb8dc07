// Plays the real game the way a player would: its own Xvfb, the built
// binary started from a data folder, input through the X server (xdotool),
// the screen read back with Xlib and the sound captured by OpenAL Soft's
// wave-file output.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
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
    // Waits, however slowly a loaded machine draws, until the screen shows
    // `expected` (mean difference under 1) or `seconds` pass; the difference
    // at the end, with the last screenshot in *screen.
    double AwaitView(const Image& expected, double seconds, Image* screen) const;
    // Waits until two screenshots 0.3 s apart are the same; false when the
    // view still moves after `seconds`.
    bool AwaitStill(double seconds) const;
    std::array<int, 2> WindowSize() const;
    // Opens a small window of the test's own and gives it the keyboard focus.
    void FocusElsewhere() const;
    // Asks the window to close, as a window manager's close button does.
    void CloseWindow() const;
    // Presses a key in the top-level window with this title (a message box).
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
    void Sweep(int pixels, int axis);
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

// A captured wave file as mono samples in -1..1.
struct Capture {
    int rate = 0;
    std::vector<float> samples;
    double Rms(double fromSeconds, double toSeconds) const;
    // Times (seconds) where the level jumps from quiet to loud, 10 ms windows,
    // at least 60 ms apart.
    std::vector<double> Onsets(double threshold) const;
};
bool ReadCapture(const std::string& path, Capture* capture);

}  // namespace e2e
