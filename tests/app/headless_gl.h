// A real OpenGL context without any display (Mesa's surfaceless EGL
// platform), made current once per test process. Tests that drive the game
// over the window double still run its GL code for real: the texture
// upload, for one, cannot run without a context.
#pragma once

#ifdef _WIN32
// A hidden window's WGL context (headless_gl_win32.cpp): windows.h stays out
// of the tests, whose names it would rewrite.
bool MakeHeadlessContextCurrent();
#else
#include <EGL/egl.h>
#include <EGL/eglext.h>

inline bool MakeHeadlessContextCurrent() {
    static const bool ready = [] {
        auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) return false;
        EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
        if (!eglBindAPI(EGL_OPENGL_API)) return false;
        // Surfaceless offers no framebuffer configurations; none is needed.
        EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
        return context != EGL_NO_CONTEXT && eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
    }();
    return ready;
}
#endif
