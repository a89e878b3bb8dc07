// A scriptable double for the window and clock layer (platform/window.h,
// platform/clock.h). Unit tests link it in place of SDL2: they queue
// messages, script the answers of message boxes and of the display-mode
// request, set the clock, make any step of window creation fail, and read
// back every call the game made, in order.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace fake {

// One recorded call. `name` is the operation's name as in window.h
// ("MessageBox", "SwapBuffers", "SetCursorPos", "ChangeDisplaySettings",
// "ShowCursor", "CreateWindowEx", "DestroyWindow", "wglMakeCurrent", "Sleep", ...);
// the other fields hold what that call passed, where it passes them.
struct Call {
    std::string name;
    std::string text;     // MessageBox text, window title, proc name
    std::string caption;  // MessageBox caption, window class
    std::uint32_t flags = 0;  // MessageBox type, window style, display-change flags
    long a = 0, b = 0;        // x/y, width/height, ShowCursor argument, sleep ms ...
    long c = 0, d = 0;        // CreateWindowEx: width/height; ChangeDisplaySettings: bits per pixel in c
    std::uint32_t exStyle = 0;  // CreateWindowEx: extended style
    bool hasMode = false;     // ChangeDisplaySettings: a mode was passed (not a restore)
};

// Steps of window creation and teardown that can be made to fail.
enum class Fail {
    RegisterClass,
    ChangeDisplaySettings,  // the fullscreen mode is refused
    CreateWindowEx,
    GetDC,
    ChoosePixelFormat,
    SetPixelFormat,
    wglCreateContext,
    wglMakeCurrent,      // making the context current (not the release with null)
    wglReleaseCurrent,   // wglMakeCurrent(null, null)
    wglDeleteContext,
    ReleaseDC,
    DestroyWindow,
    Count
};

struct State {
    std::deque<plat::MSG> queue;       // what PeekMessage hands out, front first
    std::vector<Call> calls;           // every call, in order
    std::deque<int> messageBoxAnswers; // answers of the next boxes; IDOK / IDNO when empty for OK / Yes-No
    bool fail[static_cast<int>(Fail::Count)] = {};
    plat::WindowProcedure windowProcedure = nullptr;  // from RegisterClass
    std::vector<std::string> entryPoints;  // the names wglGetProcAddress finds (all others are null)

    // Clock. The counter runs at `frequency`; the tick counts milliseconds.
    bool counterPresent = true;
    std::int64_t frequency = 1000000;
    std::int64_t counter = 0;
    std::uint32_t tick = 0;
    // Sleep(ms) advances both clocks by ms (so paced loops end) plus this many
    // extra milliseconds, modelling a coarse sleep.
    double sleepOvershootMs = 0;

    // SetCursorPos queues the mouse-move message that the real window system
    // delivers after a warp; tests that drive the procedure directly may turn it off.
    bool warpQueuesMouseMove = true;
    int cursorCount = 0;  // ShowCursor's display counter: the cursor shows while it is >= 0

    // Runs after each SwapBuffers, with the number of swaps so far: lets a test
    // act between frames of a running loop (post a key, a close ...).
    std::function<void(int swaps)> afterSwap;
};

State& state();

// The handles the double hands out (never dereferenced).
inline const plat::Handle kInstance = reinterpret_cast<plat::Handle>(0x0400);
inline const plat::Handle kWindow = reinterpret_cast<plat::Handle>(0x1000);
inline const plat::Handle kDeviceContext = reinterpret_cast<plat::Handle>(0x2000);
inline const plat::Handle kRenderingContext = reinterpret_cast<plat::Handle>(0x3000);

// A fresh double: empty queue and record, nothing failing, clocks at zero.
void Reset();

// Advances both clocks by ms milliseconds (the counter by ms * frequency / 1000).
void AdvanceClock(double ms);

// Queues a message for the game window.
void Post(plat::UINT message, plat::WPARAM wParam = 0, plat::LPARAM lParam = 0);

// The recorded calls with the given name, in order.
std::vector<Call> CallsNamed(const std::string& name);

// The names of all recorded calls, in order (convenient for checking sequences).
std::vector<std::string> CallNames();

}  // namespace fake
