// The Windows layer itself, built for Windows and run under Wine, with
// stand-ins only for what no machine here has: a driver's swap control, a pad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_support/gl_window.h"
#include "platform/win32/entry_points.h"
#include "platform/window.h"

namespace {

plat::Handle OpenWindow() {
    static const bool registered = plat::RegisterClass(
        {plat::CS_OWNDC, plat::DefWindowProc, 0, 0, plat::GetModuleHandle(nullptr), plat::IDI_WINLOGO, plat::IDC_ARROW,
         nullptr, "LayerTest"});
    return registered ? plat::CreateWindowEx(0, "LayerTest", "", plat::WS_POPUP, 0, 0, 640, 480) : nullptr;
}

bool offersSwapControl = true;
std::vector<std::string> asked;  // entry points the layer asked the driver for
std::vector<int> intervals;      // swap intervals it set

int SwapInterval(int interval) {
    intervals.push_back(interval);
    return 1;
}
void* Driver(const char* name) {
    asked.push_back(name);
    return offersSwapControl && asked.back() == "wglSwapIntervalEXT" ? reinterpret_cast<void*>(&SwapInterval) : nullptr;
}

TEST(Win32Layer, AContextMadeCurrentAsksTheDriverOnceForNoWaitOnTheDisplay) {
    const plat::Handle window = OpenWindow();
    const plat::Handle dc = plat::GetDC(window);
    const plat::Handle first = gltest::CreateContext(dc), second = plat::wglCreateContext(dc);
    ASSERT_TRUE(first && second);
    plat::win32::glProcAddress = Driver;
    ASSERT_TRUE(plat::wglMakeCurrent(dc, first));
    ASSERT_TRUE(plat::wglMakeCurrent(dc, first));
    EXPECT_EQ(intervals, std::vector<int>{0});
    EXPECT_EQ(asked, std::vector<std::string>{"wglSwapIntervalEXT"});

    // A driver without the extension is asked, and its context works on as before.
    offersSwapControl = false;
    EXPECT_TRUE(plat::wglMakeCurrent(dc, second));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(intervals.size(), 1u);
    plat::wglMakeCurrent(nullptr, nullptr);
    plat::wglDeleteContext(first);
    plat::wglDeleteContext(second);
    plat::DestroyWindow(window);
}

// The pad in slot 0, while plugged in; no other slot has one.
plat::win32::PadReading pad{};
bool plugged = false;
std::uint32_t PadState(std::uint32_t slot, plat::win32::PadReading* reading) {
    if (slot != 0 || !plugged) return 1167;  // ERROR_DEVICE_NOT_CONNECTED
    *reading = pad;
    return 0;
}

// The messages taken over this many game steps: one follows each time the queue is found empty.
std::vector<plat::MSG> TakeSteps(int steps) {
    std::vector<plat::MSG> taken;
    for (plat::MSG message{}; steps > 0 && taken.size() < 10000;)
        if (plat::PeekMessage(&message))
            taken.push_back(message);
        else
            --steps;
    return taken;
}

bool Received(const std::vector<plat::MSG>& taken, const plat::MSG& wanted) {
    for (const plat::MSG& m : taken)
        if (m.hwnd == wanted.hwnd && m.message == wanted.message && m.wParam == wanted.wParam &&
            m.lParam == wanted.lParam)
            return true;
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
    EXPECT_TRUE(Received(taken, {window, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(121, 100)}));
    EXPECT_TRUE(Received(taken, {window, plat::WM_KEYDOWN, 'W', 0}));
    EXPECT_TRUE(Received(taken, {window, plat::WM_LBUTTONDOWN, 1, 0}));
    EXPECT_TRUE(Received(taken, {window, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0}));

    plugged = false;
    taken = TakeSteps(2);
    EXPECT_TRUE(Received(taken, {window, plat::WM_KEYUP, 'W', 0}));
    EXPECT_TRUE(Received(taken, {window, plat::WM_KEYUP, plat::VK_ESCAPE, 0}));
    plat::DestroyWindow(window);
}

}  // namespace
