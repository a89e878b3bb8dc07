// The Windows stand-in for the surfaceless EGL context: a never-shown window
// with a WGL context, made current once per test process.
#undef APIENTRY
#undef WINGDIAPI
#undef CALLBACK
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "headless_gl.h"

bool MakeHeadlessContextCurrent() {
    static const bool ready = [] {
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "HeadlessGL";
        if (!RegisterClassA(&windowClass)) return false;
        HWND window = CreateWindowExA(0, "HeadlessGL", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                      windowClass.hInstance, nullptr);
        if (!window) return false;
        HDC deviceContext = GetDC(window);
        PIXELFORMATDESCRIPTOR descriptor{};
        descriptor.nSize = sizeof descriptor;
        descriptor.nVersion = 1;
        descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        descriptor.iPixelType = PFD_TYPE_RGBA;
        descriptor.cColorBits = 32;
        descriptor.cDepthBits = 16;
        const int format = ChoosePixelFormat(deviceContext, &descriptor);
        if (!format || !SetPixelFormat(deviceContext, format, &descriptor)) return false;
        HGLRC context = wglCreateContext(deviceContext);
        return context && wglMakeCurrent(deviceContext, context);
    }();
    return ready;
}
