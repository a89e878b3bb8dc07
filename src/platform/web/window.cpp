// The window layer in the browser: the page's canvas is the game's one
// window, with a WebGL 1 context made through EGL, which our GL layer
// (gl.cpp) draws into; the page's title and icon are the window's. The
// page's input becomes the game's messages in input.cpp, its boxes are in
// boxes.cpp, the display mode in display.cpp and the frame's wait in
// frame.cpp; all of them reach the page through its contract (page.h).
#include <EGL/egl.h>
#include <emscripten/html5.h>

#include <vector>

#include "platform/data_file.h"
#include "platform/web/gl.h"
#include "platform/web/page.h"
#include "platform/web/session.h"
#include "platform/window.h"
#include "platform/window_emulation.h"

namespace plat {
namespace {

using web::session;
using web::SetPointerFree;
using web::TheWindow;
namespace page = web::page;

char instanceTag;  // its address stands for the program's instance

bool ContextReady() { return session.display != EGL_NO_DISPLAY && session.surface != EGL_NO_SURFACE; }

}  // namespace

Handle GetModuleHandle(const char*) { return &instanceTag; }

bool RegisterClass(const WindowClass& windowClass) {
    emulated::KeepWindowProcedure(windowClass.windowProcedure);
    // The page's icon from the game's own icon.bmp.
    const std::vector<unsigned char> icon = ReadIconFile();
    if (!icon.empty()) page::ShowIcon(icon.data(), static_cast<int>(icon.size()));
    return true;
}

bool emulated::IsDeviceContext(Handle deviceContext) { return deviceContext && deviceContext == TheWindow(); }

void emulated::ShowSystemCursor(bool show) { page::ShowCursor(show); }

Handle CreateWindowEx(std::uint32_t, const char*, const char* title, std::uint32_t, int, int, int, int) {
    if (session.windowOpen) return nullptr;  // the page has one canvas
    session.windowOpen = true;
    page::SetTitle(title);
    session.queue.DropInput();
    session.locked = page::PointerLocked();  // the start click asked for it
    SetPointerFree(!session.locked && page::PointerRefused());
    web::Listen(true);
    return TheWindow();
}

bool DestroyWindow(Handle window) {
    if (!window || window != TheWindow()) return false;
    web::Listen(false);
    emscripten_exit_pointerlock();
    session.locked = false;
    SetPointerFree(false);
    session.windowOpen = false;
    session.queue.DropInput();
    return true;
}

void ShowWindow(Handle, int) {}
void SetForegroundWindow(Handle) {}
void SetFocus(Handle) {}

Handle GetDC(Handle window) { return window && window == TheWindow() ? window : nullptr; }
bool ReleaseDC(Handle window, Handle deviceContext) { return window && window == TheWindow() && deviceContext == window; }

bool SetPixelFormat(Handle deviceContext, int format, const PixelFormatDescriptor*) {
    if (!deviceContext || deviceContext != TheWindow() || format != 1) return false;
    if (ContextReady()) return true;
    session.display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (session.display == EGL_NO_DISPLAY || !eglInitialize(session.display, nullptr, nullptr)) return false;
    const EGLint attributes[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(session.display, attributes, &config, 1, &count) || count < 1) return false;
    session.surface = eglCreateWindowSurface(session.display, config, 0, nullptr);
    return session.surface != EGL_NO_SURFACE;
}

Handle wglCreateContext(Handle deviceContext) {
    if (!deviceContext || deviceContext != TheWindow() || !ContextReady()) return nullptr;
    EGLint count = 0;
    EGLConfig config = nullptr;
    const EGLint attributes[] = {EGL_DEPTH_SIZE, 16, EGL_NONE};
    eglChooseConfig(session.display, attributes, &config, 1, &count);
    const EGLint version[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    session.context = eglCreateContext(session.display, config, EGL_NO_CONTEXT, version);
    return session.context == EGL_NO_CONTEXT ? nullptr : session.context;
}

bool wglMakeCurrent(Handle deviceContext, Handle renderingContext) {
    if (!deviceContext && !renderingContext) {
        web::FlushGl();
        return session.display != EGL_NO_DISPLAY &&
               eglMakeCurrent(session.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (!deviceContext || deviceContext != TheWindow() || !renderingContext || renderingContext != session.context)
        return false;
    return eglMakeCurrent(session.display, session.surface, session.surface, session.context);
}

bool wglDeleteContext(Handle renderingContext) {
    if (!renderingContext || renderingContext != session.context) return false;
    eglDestroyContext(session.display, session.context);
    session.context = EGL_NO_CONTEXT;
    return true;
}

void* wglGetProcAddress(const char* name) { return web::GlProcAddress(name); }

}  // namespace plat
