// The window layer in the browser: the page's canvas is the game's one
// window, with a WebGL 1 context made through EGL, which our GL layer
// (gl.cpp) draws into. The page's input events become Win32-shaped messages
// in a queue of our own; message boxes are drawn by the page, and the game
// waits for their answer while the browser runs on.
//
// The mouse is held by the browser's pointer lock, which reports movements
// only: the cursor place the game reads and sets is kept here. Giving the
// lock back or losing the page's focus deactivates the game until a click on
// the canvas takes the pointer again. Where the browser refuses the lock or
// has none, the game plays on with the pointer free: its movements over the
// canvas turn the view as the locked ones do, a click fires (and asks for
// the lock again), and the page says so in a line under the canvas.
#include <EGL/egl.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <vector>

#include "platform/data_file.h"
#include "platform/message_queue.h"
#include "platform/web/gl.h"
#include "platform/web/yield.h"
#include "platform/window.h"
#include "platform/window_emulation.h"

namespace plat {
namespace {

constexpr int kCanvasWidth = 1280;
constexpr int kCanvasHeight = 720;
constexpr const char* kCanvas = "#canvas";
using emulated::kActive;
using emulated::kInactive;
using emulated::kLeftButtonDown;
constexpr std::uint32_t kInactiveWait = 15;  // ms between idle steps while nothing is drawn

struct Session {
    bool windowOpen = false;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    bool fullscreenSet = false;  // the game's mode switch holds the page in fullscreen
    int cursorX = 0, cursorY = 0;
    bool locked = false;  // the pointer is ours
    bool pointerFree = false;  // the browser refused the lock or has none: moves over the canvas count
    bool active = true;
    bool boxShowing = false;
    bool contextLost = false;  // the browser took the GPU back
    bool keyDown[256] = {};
    MessageQueue queue;
    double lastSwap = 0;       // when the last frame had been handed to the browser
    double lastSwapCall = 0;   // when the game last asked for it
    double idleSinceSwap = 0;
};

Session session;
char windowTag;    // its address is the window's handle, and its device context's
char instanceTag;  // and this one the program's instance

Handle TheWindow() { return session.windowOpen ? &windowTag : nullptr; }

void Enqueue(const MSG& message) { session.queue.Enqueue(message); }

LPARAM CursorPoint() {
    return MakeLParam(static_cast<std::uint32_t>(session.cursorX), static_cast<std::uint32_t>(session.cursorY));
}

// Keys held when the game loses the input come up, as they would where it
// went.
void ReleaseHeldKeys() {
    for (WPARAM code = 0; code < 256; ++code)
        if (session.keyDown[code]) {
            session.keyDown[code] = false;
            Enqueue(MSG{TheWindow(), WM_KEYUP, code, 0});
        }
}

void Deactivate() {
    ReleaseHeldKeys();
    if (!session.active) return;
    session.active = false;
    Enqueue(MSG{TheWindow(), WM_ACTIVATE, kInactive, 0});
}

void Activate() {
    if (session.active || session.contextLost) return;
    session.active = true;
    Enqueue(MSG{TheWindow(), WM_ACTIVATE, kActive, 0});
}

// The pointer moved by so many pixels: the cursor the game reads follows.
void MoveCursor(int dx, int dy) {
    session.cursorX = std::clamp(session.cursorX + dx, 0, kCanvasWidth - 1);
    session.cursorY = std::clamp(session.cursorY + dy, 0, kCanvasHeight - 1);
    Enqueue(MSG{TheWindow(), WM_MOUSEMOVE, 0, CursorPoint()});
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    const auto code = static_cast<WPARAM>(event->keyCode);
    if (session.boxShowing || code == 0 || code >= 256) return EM_FALSE;
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    session.keyDown[code] = down;
    Enqueue(MSG{TheWindow(), down ? WM_KEYDOWN : WM_KEYUP, code, 0});
    // The page must not scroll or search while the game has the keys; the
    // browser's own shortcuts with Control or Alt stay the browser's.
    return !(event->ctrlKey || event->altKey || event->metaKey);
}

// The page knows which movements came of the move into fullscreen.
EM_JS(int, MovedByFullscreen, (double timeStamp, int dx, int dy), {
    return Module.veldrakeMovedByFullscreen && Module.veldrakeMovedByFullscreen(timeStamp, dx, dy) ? 1 : 0;
});

EM_JS(int, OverCanvas, (int x, int y), {
    const box = document.getElementById('canvas').getBoundingClientRect();
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom ? 1 : 0;
});

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    const bool counted = session.locked || (session.pointerFree && session.active &&
                                            OverCanvas(static_cast<int>(event->clientX), static_cast<int>(event->clientY)));
    if (!counted || session.boxShowing) return EM_FALSE;
    if (MovedByFullscreen(event->timestamp, static_cast<int>(event->movementX), static_cast<int>(event->movementY)))
        return EM_TRUE;
    MoveCursor(static_cast<int>(event->movementX), static_cast<int>(event->movementY));
    return EM_TRUE;
}

// The page asks for the lock (false where the browser has none); a refusal
// comes as a pointerlockerror.
EM_JS(int, LockPointer, (), { return Module.veldrakeLockPointer() ? 1 : 0; });

EM_JS(int, PointerLocked, (), { return document.pointerLockElement === document.getElementById('canvas') ? 1 : 0; });

// The browser has refused the page's last request for the lock, or has none.
EM_JS(int, PointerRefused, (), { return Module.veldrakePointerRefused() ? 1 : 0; });

EM_JS(void, ShowPointerHint, (int show), { Module.veldrakePointerHint(show); });

void SetPointerFree(bool free) {
    if (free != session.pointerFree) ShowPointerHint(free);
    session.pointerFree = free;
}

EM_BOOL OnMouseDown(int, const EmscriptenMouseEvent* event, void*) {
    if (session.boxShowing) return EM_FALSE;
    const bool fires = session.locked || (session.pointerFree && session.active);
    if (fires && event->button == 0) Enqueue(MSG{TheWindow(), WM_LBUTTONDOWN, kLeftButtonDown, CursorPoint()});
    // A click on the paused game takes the pointer back and fires nothing;
    // one with the pointer free asks for the lock again, which the browser
    // may grant now. Without a lock to ask for, the click itself resumes.
    if (!session.locked && !LockPointer()) {
        SetPointerFree(true);
        Activate();
    }
    return EM_TRUE;
}

EM_BOOL OnPointerLock(int, const EmscriptenPointerlockChangeEvent* event, void*) {
    session.locked = event->isActive;
    if (session.locked) {
        SetPointerFree(false);
        Activate();
    } else if (!session.pointerFree) {
        Deactivate();  // given back: the game pauses
    }
    return EM_TRUE;
}

// Refused: the game plays on with the pointer free.
EM_BOOL OnPointerLockError(int, const void*, void*) {
    session.locked = false;
    SetPointerFree(true);
    Activate();
    return EM_TRUE;
}

// The browser may take the GPU back (a reset, a tab sent away on a phone,
// memory reclaimed): the game pauses with a line on the page, and when the
// context comes back our GL layer gives it all it held and play goes on.
EM_JS(void, ShowContextLost, (int lost), {
    const line = document.getElementById('notice');
    line.textContent = lost ? "The graphics were lost: the game goes on when the browser gives them back." : "";
    line.hidden = !lost;
});

EM_BOOL OnContextLost(int, const void*, void*) {
    Deactivate();
    session.contextLost = true;
    ShowContextLost(1);
    return EM_TRUE;  // the browser is to restore it
}

EM_BOOL OnContextRestored(int, const void*, void*) {
    session.contextLost = false;
    web::RestoreGl();
    ShowContextLost(0);
    if (session.locked || session.pointerFree) Activate();
    return EM_TRUE;
}

// The window's own blur only: it is listened for without capture, since
// with it every element's blur would come here too (the box's button that
// goes with its box), and on a touch screen no click would resume the game.
EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void*) {
    Deactivate();
    return EM_FALSE;
}

void Listen(bool on) {
    auto key = on ? OnKey : nullptr;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, key);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, key);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, on ? OnMouseMove : nullptr);
    emscripten_set_mousedown_callback(kCanvas, nullptr, EM_TRUE, on ? OnMouseDown : nullptr);
    emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE,
                                              on ? OnPointerLock : nullptr);
    emscripten_set_pointerlockerror_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE,
                                             on ? OnPointerLockError : nullptr);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, on ? OnBlur : nullptr);
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_TRUE, on ? OnContextLost : nullptr);
    emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_TRUE, on ? OnContextRestored : nullptr);
}

// The page's icon from the game's own icon.bmp, as a PNG the browser takes.
// Encoded off the page's thread: a canvas read back at once waits for the
// browser's drawing, which is busy with the game's start.
EM_JS(void, ShowPageIcon, (const unsigned char* bytes, int size), {
    const file = new Blob([HEAPU8.slice(bytes, bytes + size)], {type : 'image/bmp'});
    createImageBitmap(file)
        .then(function(picture) {
            const sheet = new OffscreenCanvas(picture.width, picture.height);
            sheet.getContext('2d').drawImage(picture, 0, 0);
            return sheet.convertToBlob({type : 'image/png'});
        })
        .then(function(png) {
            const reader = new FileReader();
            reader.onload = function() {
                let link = document.querySelector('link[rel="icon"]');
                if (!link) {
                    link = document.createElement('link');
                    link.rel = 'icon';
                    document.head.appendChild(link);
                }
                link.type = 'image/png';
                link.href = reader.result;
            };
            reader.readAsDataURL(png);
        })
        .catch(function() {});  // no picture in it: the page keeps no icon
});

void SetPageIcon() {
    const std::vector<unsigned char> bytes = ReadIconFile();
    if (!bytes.empty()) ShowPageIcon(bytes.data(), static_cast<int>(bytes.size()));
}

EM_JS(void, SetPageTitle, (const char* title), { document.title = UTF8ToString(title); });

EM_JS(void, SetCanvasCursor, (int show), {
    const canvas = document.getElementById('canvas');
    if (canvas) canvas.style.cursor = show ? "auto" : "none";
});

// The page's answer to the fullscreen request of its start click: 0 while
// it is still pending, 1 when the canvas is fullscreen on a screen of at
// least width x height, 2 otherwise.
EM_JS(int, FullscreenOutcome, (int width, int height), {
    if (Module.veldrakeFullscreenPending && Module.veldrakeFullscreenPending()) return 0;
    const canvas = document.getElementById('canvas');
    const big = screen.width >= width && screen.height >= height;
    return big && document.fullscreenElement === canvas ? 1 : 2;
});

EM_JS(void, LeaveFullscreen, (), {
    if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
});

EM_JS(void, OpenPageBox, (const char* text, const char* caption, int yesNo), {
    Module.veldrakeShowBox(UTF8ToString(text), UTF8ToString(caption), yesNo ? [ 'Yes', 'No' ] : ['OK']);
});

// 0 while the page's box is open, then the number of the button pressed.
EM_JS(int, PageBoxAnswer, (), { return Module.veldrakeBoxAnswer(); });

// The frames shown so far, for whoever drives the page (a test waits on it
// to know its input has been seen); with ?bench, also what each one cost
// the page itself, and how long it took from the previous one, waits and
// the browser's drawing included.
EM_JS(void, RecordFrame, (double cost, double interval), {
    window.veldrakeFramesShown = (window.veldrakeFramesShown || 0) + 1;
    if (Module.veldrakeBench === undefined) Module.veldrakeBench = new URLSearchParams(location.search).has("bench");
    if (cost < 0 || !Module.veldrakeBench) return;
    (window.veldrakeFrameTimes = window.veldrakeFrameTimes || []).push(cost);
    (window.veldrakeFrameIntervals = window.veldrakeFrameIntervals || []).push(interval);
});

// The browser asks for a frame when it can show one: waiting for that
// keeps the game from drawing faster than the canvas is composited, which on
// a software renderer would queue frames (and the page's input) for seconds.
// A hidden page asks for none; the game waits no more than a moment for it.
//
// The game sleeps in here (the __asyncjs__ name makes it an import that may
// sleep, as EM_ASYNC_JS does) and is woken as Emscripten's own sleep wakes
// it: through callUserCallback, which, once the game has run on to the end
// of main, sees that nothing keeps the runtime alive and exits it (onExit).
// EM_ASYNC_JS wakes it from a promise, where nothing looks: a game whose last
// wait was for a frame (Escape while drawing) returned from main and never
// exited, and the page never ended.
#define VELDRAKE_SLEEPING_JS(ret, name, params, ...) _EM_JS(ret, name, __asyncjs__##name, params, #__VA_ARGS__)
VELDRAKE_SLEEPING_JS(void, AwaitDisplay, (), {
    return Asyncify.handleSleep(function(wakeUp) {
        let woken = false;
        const wake = function() {
            if (woken) return;
            woken = true;
            callUserCallback(wakeUp);
        };
        if (!document.hidden) requestAnimationFrame(wake);
        setTimeout(wake, 250);
    });
});

bool ContextReady() { return session.display != EGL_NO_DISPLAY && session.surface != EGL_NO_SURFACE; }

}  // namespace

namespace web {

void Yield(std::uint32_t milliseconds) {
    FlushGl();  // the browser shows the canvas as it stands whenever it gets to run
    const double start = emscripten_get_now();
    emscripten_sleep(milliseconds);
    session.idleSinceSwap += emscripten_get_now() - start;
}

}  // namespace web

Handle GetModuleHandle(const char*) { return &instanceTag; }

bool RegisterClass(const WindowClass& windowClass) {
    emulated::KeepWindowProcedure(windowClass.windowProcedure);
    SetPageIcon();
    return true;
}

long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t) {
    if (!mode) {
        if (session.fullscreenSet) LeaveFullscreen();
        session.fullscreenSet = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    // Browsers go fullscreen only from a click, so the page asked when the
    // player clicked to start; here the game learns how that went.
    // A loaded machine may take seconds over it; a browser that never
    // answers is taken as a refusal.
    constexpr double kLongestWait = 15000;
    const int width = static_cast<int>(mode->pelsWidth), height = static_cast<int>(mode->pelsHeight);
    const double asked = emscripten_get_now();
    int outcome = 0;
    while ((outcome = FullscreenOutcome(width, height)) == 0 && emscripten_get_now() - asked < kLongestWait)
        web::Yield(10);
    session.fullscreenSet = outcome == 1;
    return session.fullscreenSet ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
}

void emulated::ShowSystemCursor(bool show) { SetCanvasCursor(show); }

Handle CreateWindowEx(std::uint32_t, const char*, const char* title, std::uint32_t, int, int, int, int) {
    if (session.windowOpen) return nullptr;  // the page has one canvas
    session.windowOpen = true;
    SetPageTitle(title ? title : "");
    session.queue.DropInput();
    session.locked = PointerLocked() != 0;  // the start click asked for it
    SetPointerFree(!session.locked && PointerRefused());
    Listen(true);
    return TheWindow();
}

bool DestroyWindow(Handle window) {
    if (!window || window != TheWindow()) return false;
    Listen(false);
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

bool emulated::IsDeviceContext(Handle deviceContext) { return deviceContext && deviceContext == TheWindow(); }

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

bool SwapBuffers(Handle deviceContext) {
    if (!deviceContext || deviceContext != TheWindow()) return false;
    web::FlushGl();  // the frame's last draws are part of its cost
    const double now = emscripten_get_now();
    // While the game is inactive nothing is drawn and the page need not be
    // asked so often.
    if (session.active) {
        RecordFrame(session.lastSwap > 0 ? now - session.lastSwap - session.idleSinceSwap : -1, now - session.lastSwapCall);
        AwaitDisplay();
    } else {
        web::Yield(kInactiveWait);
    }
    session.lastSwapCall = now;
    session.lastSwap = emscripten_get_now();
    session.idleSinceSwap = 0;
    return true;
}

int MessageBox(Handle, const char* text, const char* caption, std::uint32_t type) {
    const bool yesNo = (type & 0xF) == MB_YESNO;
    ReleaseHeldKeys();
    session.boxShowing = true;
    OpenPageBox(text ? text : "", caption ? caption : "", yesNo);
    int answer = 0;
    while ((answer = PageBoxAnswer()) == 0) web::Yield(10);
    session.boxShowing = false;
    if (yesNo) return answer == 1 ? IDYES : IDNO;
    return IDOK;
}

bool PeekMessage(MSG* message) { return session.queue.TakePosted(message) || session.queue.TakeInput(message); }

void PostQuitMessage(int exitCode) {
    session.queue.Post(MSG{TheWindow(), WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

bool SetCursorPos(int x, int y) {
    if (!session.windowOpen) return false;
    session.cursorX = std::clamp(x, 0, kCanvasWidth - 1);
    session.cursorY = std::clamp(y, 0, kCanvasHeight - 1);
    Enqueue(MSG{TheWindow(), WM_MOUSEMOVE, 0, CursorPoint()});
    return true;
}

}  // namespace plat

// Touch: the page draws a move pad, a fire button and a pause control over
// the picture and hands what the fingers do to these, which turn it into the
// messages a keyboard and a mouse would have sent.
extern "C" {

EMSCRIPTEN_KEEPALIVE void VeldrakeTouchKey(int code, int down) {
    using namespace plat;
    if (!session.windowOpen || session.boxShowing || code <= 0 || code >= 256) return;
    if (session.keyDown[code] == (down != 0)) return;
    session.keyDown[code] = down != 0;
    Enqueue(MSG{TheWindow(), static_cast<UINT>(down ? WM_KEYDOWN : WM_KEYUP), static_cast<WPARAM>(code), 0});
}

// A drag turns and tilts the view as the mouse does, pixel for pixel.
EMSCRIPTEN_KEEPALIVE void VeldrakeTouchLook(int dx, int dy) {
    using namespace plat;
    if (!session.windowOpen || session.boxShowing || !session.active) return;
    MoveCursor(dx, dy);
}

EMSCRIPTEN_KEEPALIVE void VeldrakeTouchFire() {
    using namespace plat;
    if (!session.windowOpen || session.boxShowing || !session.active) return;
    Enqueue(MSG{TheWindow(), WM_LBUTTONDOWN, kLeftButtonDown, CursorPoint()});
}

// The pause control: the game stops while the page offers to go on or to end.
EMSCRIPTEN_KEEPALIVE void VeldrakeTouchPause(int paused) {
    if (!plat::session.windowOpen) return;
    if (paused)
        plat::Deactivate();
    else
        plat::Activate();
}

}  // extern "C"
