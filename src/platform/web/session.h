// What the browser layer's parts share (inside the web layer only): the
// state of the one window, the messages made of the page's input, and
// the game's activation.
#pragma once

#include <EGL/egl.h>

#include <cstdint>

#include "platform/message_queue.h"
#include "platform/window.h"
#include "platform/window_emulation.h"

namespace plat::web {

constexpr int kCanvasWidth = 1280;
constexpr int kCanvasHeight = 720;

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

extern Session session;

// The window's handle (and its device context's), or null while there is none.
Handle TheWindow();
void Enqueue(const MSG& message);
LPARAM CursorPoint();
// The pointer moved by so many pixels: the cursor the game reads follows.
void MoveCursor(int dx, int dy);
// Keys held when the game loses the input come up, as they would where it went.
void ReleaseHeldKeys();
void Deactivate();
void Activate();

// The page's input events, listened for while the window is open (input.cpp).
void Listen(bool on);
void SetPointerFree(bool free);
// What the page's own controls (touch, a gamepad) do, as a keyboard and a
// mouse would: a key down or up, a look by so many pixels, the left button.
void PressKey(WPARAM code, bool down);
void Look(int dx, int dy);
void Fire();
// The pads, read once a game step (pad.cpp).
void ReadPads();

}  // namespace plat::web
