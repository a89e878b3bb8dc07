// For tests that draw with real OpenGL (Mesa under Xvfb): a 1280x720 window
// with a current double-buffered context, opened through the game's own
// platform layer, and pixel read-back.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>

#include "platform/window.h"

namespace gltest {

inline plat::LRESULT IgnoreMessages(plat::Handle w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
    return plat::DefWindowProc(w, m, wp, lp);
}

// A double-buffered context for a window's device context, not yet
// current; null when any step fails.
inline plat::Handle CreateContext(plat::Handle dc) {
    plat::PixelFormatDescriptor pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = plat::PFD_DRAW_TO_WINDOW | plat::PFD_SUPPORT_OPENGL | plat::PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 16;
    int format = plat::ChoosePixelFormat(dc, &pfd);
    if (!format || !plat::SetPixelFormat(dc, format, &pfd)) return nullptr;
    return plat::wglCreateContext(dc);
}

// Opens the window and makes its context current; false when any step fails.
inline bool OpenWindow(int width = 1280, int height = 720) {
    plat::WindowClass wc{};
    wc.windowProcedure = IgnoreMessages;
    wc.className = "OpenGL";
    if (!plat::RegisterClass(wc)) return false;
    plat::Handle window = plat::CreateWindowEx(plat::WS_EX_APPWINDOW, "OpenGL", "Veldrake test",
                                               plat::WS_OVERLAPPEDWINDOW, 0, 0, width, height);
    if (!window) return false;
    plat::Handle dc = plat::GetDC(window);
    plat::Handle rc = CreateContext(dc);
    if (!rc || !plat::wglMakeCurrent(dc, rc)) return false;
    plat::ShowWindow(window, plat::SW_SHOW);
    glViewport(0, 0, width, height);
    return true;
}

// The colour at (x, y) of the back buffer, y counted from the bottom.
inline std::array<int, 3> Pixel(int x, int y) {
    std::uint8_t rgba[4] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

}  // namespace gltest
