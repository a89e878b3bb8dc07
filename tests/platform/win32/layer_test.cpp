// The Windows layer itself, built for Windows and run under Wine, with
// stand-ins only for what no machine here has: a driver's swap control, a pad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

GlWindow OpenGlWindow() {
    static const bool registered = plat::RegisterClass(
        {plat::CS_OWNDC, plat::DefWindowProc, 0, 0, plat::GetModuleHandle(nullptr), plat::IDI_WINLOGO, plat::IDC_ARROW,
         nullptr, "LayerTest"});
    GlWindow made;
    if (!registered) return made;
    made.window = plat::CreateWindowEx(0, "LayerTest", "", plat::WS_POPUP, 0, 0, 64, 64);
    made.deviceContext = plat::GetDC(made.window);
    plat::PixelFormatDescriptor format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = plat::PFD_DRAW_TO_WINDOW | plat::PFD_SUPPORT_OPENGL | plat::PFD_DOUBLEBUFFER;
    format.cColorBits = 32;
    format.cDepthBits = 16;
    const int chosen = plat::ChoosePixelFormat(made.deviceContext, &format);
    if (chosen && plat::SetPixelFormat(made.deviceContext, chosen, &format))
        made.context = plat::wglCreateContext(made.deviceContext);
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

}  // namespace
