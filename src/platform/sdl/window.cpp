// The window layer over SDL2: windows with an OpenGL context, SDL's event
// queue read one message at a time, and SDL's own message boxes.
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform/message_queue.h"
#include "platform/sdl/ending.h"
#include "platform/sdl/events.h"
#include "platform/sdl/gamepad.h"
#include "platform/sdl/icon.h"
#include "platform/window.h"
#include "platform/window_emulation.h"

namespace plat {
namespace {

struct Session {
    std::vector<SDL_Window*> windows;  // every window made and not destroyed
    SDL_Window* window = nullptr;      // the latest of them: messages and the cursor go with it
    SDL_DisplayMode fullscreenMode{};
    SDL_Window* modeWindow = nullptr;  // the fullscreen window the mode was set under, until handed out
    MessageQueue queue;  // SDL's events as messages, and what the game posted to itself
    bool xQuitSent = false;
};

Session session;
char instanceTag;  // its address stands for the program's instance

bool VideoReady() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

// The window behind a handle (a device context is its window), or null.
SDL_Window* Known(Handle handle) {
    for (SDL_Window* window : session.windows)
        if (handle == window) return window;
    return nullptr;
}

// A mode of the first display with exactly this size and colour depth.
bool FindDisplayMode(const DisplayMode& wanted, SDL_DisplayMode* found) {
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        const bool directColour = !SDL_ISPIXELFORMAT_INDEXED(mode.format) && !SDL_ISPIXELFORMAT_FOURCC(mode.format);
        if (static_cast<std::uint32_t>(mode.w) == wanted.pelsWidth &&
            static_cast<std::uint32_t>(mode.h) == wanted.pelsHeight && directColour &&
            static_cast<std::uint32_t>(SDL_BYTESPERPIXEL(mode.format)) * 8 == wanted.bitsPerPel) {
            *found = mode;
            return true;
        }
    }
    return false;
}

// On X11 the visual is fixed when the window is made, so the context's
// framebuffer is asked for here rather than when the pixel format is set.
void RequestFramebuffer() {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

SDL_Window* MakeWindow(const char* title, int x, int y, int width, int height, Uint32 flags) {
    RequestFramebuffer();
    SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window) sdl::SetGameIcon(window);
    return window;
}

// A window made for a mode switch and not taken by CreateWindowEx.
void DropModeWindow() {
    if (session.modeWindow) SDL_DestroyWindow(session.modeWindow);
    session.modeWindow = nullptr;
}

SDL_MessageBoxFlags IconFlags(std::uint32_t type) {
    switch (type & 0xF0) {
    case MB_ICONSTOP:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

Handle GetModuleHandle(const char*) { return &instanceTag; }

bool RegisterClass(const WindowClass& windowClass) {
    if (!VideoReady()) {
        // The game closes through its own window message; SDL's quit event
        // is left to signals.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl::InstallSignalHandlers();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && SDL_strcmp(driver, "x11") == 0) sdl::InstallXErrorHandler();
        SDL_DisableScreenSaver();
    }
    emulated::KeepWindowProcedure(windowClass.windowProcedure);
    return true;
}

long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t) {
    DropModeWindow();
    // The display goes back when the fullscreen window goes away.
    if (!mode) return DISP_CHANGE_SUCCESSFUL;
    if (!VideoReady() || !FindDisplayMode(*mode, &session.fullscreenMode)) return DISP_CHANGE_FAILED;
    // The display changes mode only under a fullscreen window, so the game's
    // window is made and shown here, and the switch is checked rather than
    // trusted; CreateWindowEx hands this window out.
    SDL_Window* window = MakeWindow("", 0, 0, session.fullscreenMode.w, session.fullscreenMode.h,
                                    SDL_WINDOW_FULLSCREEN);
    if (!window) return DISP_CHANGE_FAILED;
    SDL_DisplayMode now{};
    bool switched = SDL_SetWindowDisplayMode(window, &session.fullscreenMode) == 0;
    if (switched) {
        SDL_ShowWindow(window);
        const int display = SDL_GetWindowDisplayIndex(window);
        switched = display >= 0 && SDL_GetCurrentDisplayMode(display, &now) == 0 &&
                   now.w == session.fullscreenMode.w && now.h == session.fullscreenMode.h &&
                   (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    }
    if (!switched) {
        SDL_DestroyWindow(window);
        return DISP_CHANGE_FAILED;
    }
    session.modeWindow = window;
    return DISP_CHANGE_SUCCESSFUL;
}

void emulated::ShowSystemCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

Handle CreateWindowEx(std::uint32_t, const char*, const char* title, std::uint32_t style, int x, int y, int width,
                      int height) {
    if (!VideoReady()) return nullptr;
    SDL_Window* window = nullptr;
    if ((style & WS_POPUP) && session.modeWindow) {
        window = session.modeWindow;  // made and shown by the mode switch
        session.modeWindow = nullptr;
        SDL_SetWindowTitle(window, title);
    } else {
        const Uint32 kind = (style & WS_POPUP) ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE;
        window = MakeWindow(title, x, y, width, height, kind);
    }
    if (!window) return nullptr;
    session.windows.push_back(window);
    session.window = window;
    return window;
}

bool DestroyWindow(Handle window) {
    SDL_Window* known = Known(window);
    if (!known) return false;
    SDL_DestroyWindow(known);
    session.windows.erase(std::find(session.windows.begin(), session.windows.end(), known));
    session.window = session.windows.empty() ? nullptr : session.windows.back();
    return true;
}

void ShowWindow(Handle window, int) {
    if (SDL_Window* known = Known(window)) SDL_ShowWindow(known);
}

void SetForegroundWindow(Handle window) {
    if (SDL_Window* known = Known(window)) SDL_RaiseWindow(known);
}

void SetFocus(Handle window) {
    if (SDL_Window* known = Known(window)) SDL_SetWindowInputFocus(known);
}

// The window is its own device context.
Handle GetDC(Handle window) { return Known(window); }

bool ReleaseDC(Handle window, Handle deviceContext) { return Known(window) && deviceContext == window; }

bool emulated::IsDeviceContext(Handle deviceContext) { return Known(deviceContext) != nullptr; }

bool SetPixelFormat(Handle deviceContext, int format, const PixelFormatDescriptor*) {
    return Known(deviceContext) && format == 1;
}

Handle wglCreateContext(Handle deviceContext) {
    SDL_Window* known = Known(deviceContext);
    return known ? SDL_GL_CreateContext(known) : nullptr;
}

bool wglMakeCurrent(Handle deviceContext, Handle renderingContext) {
    if (!deviceContext && !renderingContext) {
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    }
    SDL_Window* known = Known(deviceContext);
    if (!known || !renderingContext) return false;
    if (SDL_GL_MakeCurrent(known, renderingContext) != 0) return false;
    SDL_GL_SetSwapInterval(0);  // the game paces its own frames
    return true;
}

bool wglDeleteContext(Handle renderingContext) {
    if (!renderingContext) return false;
    SDL_GL_DeleteContext(renderingContext);
    return true;
}

void* wglGetProcAddress(const char* name) { return VideoReady() ? SDL_GL_GetProcAddress(name) : nullptr; }

bool SwapBuffers(Handle deviceContext) {
    SDL_Window* known = Known(deviceContext);
    if (!known) return false;
    SDL_GL_SwapWindow(known);
    return true;
}

int MessageBox(Handle, const char* text, const char* caption, std::uint32_t type) {
    const SDL_MessageBoxButtonData yesNo[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    const SDL_MessageBoxButtonData ok[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"},
    };
    const bool askYesNo = (type & 0xF) == MB_YESNO;
    sdl::InstallSignalHandlers();
    // A game asked to end answers no more questions: as if each box were closed.
    if (sdl::Ending()) return askYesNo ? IDNO : IDOK;
    SDL_MessageBoxData box{};
    box.flags = IconFlags(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.title = caption;
    box.message = text;
    box.numbuttons = askYesNo ? 2 : 1;
    box.buttons = askYesNo ? yesNo : ok;
    int pressed = 0;
    sdl::BoxShowing(true);
    const int shown = SDL_ShowMessageBox(&box, &pressed);
    sdl::BoxShowing(false);
    if (shown != 0) return sdl::Ending() ? (askYesNo ? IDNO : IDOK) : 0;
    // Closing the box without a button is a No, or the OK it only had.
    if (pressed < 0) return askYesNo ? IDNO : IDOK;
    return pressed;
}

void TakeSdlEvents() {
    SDL_Event event;
    MSG translated{};
    while (VideoReady() && SDL_PollEvent(&event))
        if (sdl::TranslateEvent(event, session.window, &translated)) session.queue.Enqueue(translated);
}

bool PeekMessage(MSG* message) {
    if (session.queue.TakePosted(message)) return true;
    // A signal closes the game as its window's close does; an X error ends it
    // at once with the code X's own handler would have exited with.
    if (sdl::TakeCloseRequest()) {
        *message = MSG{session.window, WM_CLOSE, 0, 0};
        return true;
    }
    if (sdl::XFailed() && !session.xQuitSent) {
        session.xQuitSent = true;
        *message = MSG{session.window, WM_QUIT, 1, 0};
        return true;
    }
    TakeSdlEvents();
    if (session.queue.TakeInput(message)) return true;
    // The game steps once each time the queue is found empty: the pads are read then.
    sdl::ReadPads(&session.queue, session.window);
    return false;
}

void PostQuitMessage(int exitCode) {
    session.queue.Post(MSG{session.window, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

bool SetCursorPos(int x, int y) {
    if (!session.window) return false;
    // Whatever the pointer did before it was placed is over: the move to the
    // new place replaces it. X reports the warp too, later and at the same
    // place, which turns the view no further.
    TakeSdlEvents();
    SDL_WarpMouseInWindow(session.window, x, y);
    const LPARAM at = MakeLParam(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
    session.queue.Enqueue(MSG{session.window, WM_MOUSEMOVE, 0, at});
    return true;
}

}  // namespace plat
