// The Windows layer itself, built for Windows and run under Wine, with
// stand-ins only for what no machine here has: a driver's swap control, a pad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_support/gl_window.h"
#include "platform/win32/entry_points.h"
#include "platform/window.h"

namespace {

std::vector<std::string> asked;  // entry points the layer asked the driver for
std::vector<int> intervals;      // swap intervals it set

int SwapInterval(int interval) {
    intervals.push_back(interval);
    return 1;
}
void* DriverWithSwapControl(const char* name) {
    asked.push_back(name);
    return asked.back() == "wglSwapIntervalEXT" ? reinterpret_cast<void*>(&SwapInterval) : nullptr;
}
void* DriverWithout(const char* name) {
    asked.push_back(name);
    return nullptr;
}

// A hidden window of the layer's own making, with its context.
struct GlWindow {
    plat::Handle window = nullptr, deviceContext = nullptr, context = nullptr;
};

plat::Handle OpenWindow() {
    static const bool registered = plat::RegisterClass(
        {plat::CS_OWNDC, plat::DefWindowProc, 0, 0, plat::GetModuleHandle(nullptr), plat::IDI_WINLOGO, plat::IDC_ARROW,
         nullptr, "LayerTest"});
    return registered ? plat::CreateWindowEx(0, "LayerTest", "", plat::WS_POPUP, 0, 0, 640, 480) : nullptr;
}

GlWindow OpenGlWindow() {
    GlWindow made;
    made.window = OpenWindow();
    made.deviceContext = plat::GetDC(made.window);
    made.context = gltest::CreateContext(made.deviceContext);
    return made;
}

TEST(Win32Layer, AContextMadeCurrentAsksTheDriverOnceForNoWaitOnTheDisplay) {
    plat::win32::glProcAddress = DriverWithSwapControl;
    const GlWindow first = OpenGlWindow();
    ASSERT_NE(first.context, nullptr);
    ASSERT_TRUE(plat::wglMakeCurrent(first.deviceContext, first.context));
    ASSERT_TRUE(plat::wglMakeCurrent(first.deviceContext, first.context));
    EXPECT_EQ(intervals, std::vector<int>{0});
    EXPECT_EQ(asked, std::vector<std::string>{"wglSwapIntervalEXT"});

    // A driver without the extension is asked, and its context works on as before.
    plat::win32::glProcAddress = DriverWithout;
    const GlWindow second = OpenGlWindow();
    ASSERT_NE(second.context, nullptr);
    EXPECT_TRUE(plat::wglMakeCurrent(second.deviceContext, second.context));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(intervals.size(), 1u);
    EXPECT_TRUE(plat::wglMakeCurrent(nullptr, nullptr));
    for (const GlWindow& made : {first, second}) {
        EXPECT_TRUE(plat::wglDeleteContext(made.context));
        EXPECT_TRUE(plat::ReleaseDC(made.window, made.deviceContext));
        EXPECT_TRUE(plat::DestroyWindow(made.window));
    }
}

// The pad in slot 0, while plugged in; no other slot has one.
plat::win32::PadReading pad{};
bool plugged = false;
std::uint32_t PadState(std::uint32_t slot, plat::win32::PadReading* reading) {
    if (slot != 0 || !plugged) return 1167;  // ERROR_DEVICE_NOT_CONNECTED
    *reading = pad;
    return 0;
}

// The messages taken over this many game steps: a step follows each time the queue is found empty.
std::vector<plat::MSG> TakeSteps(int steps) {
    std::vector<plat::MSG> taken;
    for (plat::MSG message{}; steps > 0 && taken.size() < 10000;)
        if (plat::PeekMessage(&message))
            taken.push_back(message);
        else
            --steps;
    return taken;
}

bool Received(const std::vector<plat::MSG>& taken, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam = 0) {
    for (const plat::MSG& m : taken)
        if (m.message == message && m.wParam == wParam && m.lParam == lParam) return true;
    return false;
}

TEST(Win32Layer, APadReadWhenTheQueueIsEmptyTurnsWalksFiresEndsAndLetsGoWhenPulledOut) {
    plat::win32::padState = PadState;
    const plat::Handle window = OpenWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(plat::SetCursorPos(100, 100));  // the window's corner is the screen's
    plugged = true;  // at rest
    TakeSteps(1);

    pad.rightX = 32767;
    pad.leftY = 32767;  // up
    pad.rightTrigger = 255;
    pad.buttons = 0x0020;  // Back
    auto taken = TakeSteps(2);  // the step that reads, then the one that takes what it read
    EXPECT_TRUE(Received(taken, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(121, 100)));
    EXPECT_TRUE(Received(taken, plat::WM_KEYDOWN, 'W'));
    EXPECT_TRUE(Received(taken, plat::WM_LBUTTONDOWN, 1));
    EXPECT_TRUE(Received(taken, plat::WM_KEYDOWN, plat::VK_ESCAPE));
    for (const plat::MSG& m : taken) {
        if (m.message == plat::WM_KEYDOWN) {
            EXPECT_EQ(m.hwnd, window);
        }
    }

    plugged = false;
    taken = TakeSteps(2);
    EXPECT_TRUE(Received(taken, plat::WM_KEYUP, 'W'));
    EXPECT_TRUE(Received(taken, plat::WM_KEYUP, plat::VK_ESCAPE));
    EXPECT_TRUE(plat::DestroyWindow(window));
}

}  // namespace
