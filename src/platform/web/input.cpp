// The page's input as the game's window messages: keys, the mouse under the
// browser's pointer lock or free over the picture, the touch controls, and
// what pauses the game (the lock given back, the window's blur, a lost
// WebGL context).
//
// The mouse is held by the pointer lock, which reports movements only: the
// cursor place the game reads and sets is kept in the session. Giving the
// lock back or losing the page's focus deactivates the game until a click on
// the canvas takes the pointer again. Where the browser refuses the lock or
// has none, the game plays on with the pointer free: its movements over the
// canvas turn the view as the locked ones do, a click fires (and asks for
// the lock again), and the page says so in a line under the canvas.
#include <emscripten/html5.h>

#include "platform/web/gl.h"
#include "platform/web/page.h"
#include "platform/web/session.h"

namespace plat::web {
namespace {

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

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    const bool counted =
        session.locked || (session.pointerFree && session.active &&
                           page::OverCanvas(static_cast<int>(event->clientX), static_cast<int>(event->clientY)));
    if (!counted || session.boxShowing) return EM_FALSE;
    const int dx = static_cast<int>(event->movementX), dy = static_cast<int>(event->movementY);
    if (page::MovedByFullscreen(event->timestamp, dx, dy)) return EM_TRUE;
    MoveCursor(dx, dy);
    return EM_TRUE;
}

EM_BOOL OnMouseDown(int, const EmscriptenMouseEvent* event, void*) {
    if (session.boxShowing) return EM_FALSE;
    const bool fires = session.locked || (session.pointerFree && session.active);
    if (fires && event->button == 0)
        Enqueue(MSG{TheWindow(), WM_LBUTTONDOWN, emulated::kLeftButtonDown, CursorPoint()});
    // A click on the paused game takes the pointer back and fires nothing;
    // one with the pointer free asks for the lock again, which the browser
    // may grant now. Without a lock to ask for, the click itself resumes.
    if (!session.locked && !page::LockPointer()) {
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
EM_BOOL OnContextLost(int, const void*, void*) {
    Deactivate();
    session.contextLost = true;
    page::ShowContextLost(true);
    return EM_TRUE;  // the browser is to restore it
}

EM_BOOL OnContextRestored(int, const void*, void*) {
    session.contextLost = false;
    RestoreGl();
    page::ShowContextLost(false);
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

}  // namespace

void SetPointerFree(bool free) {
    if (free != session.pointerFree) page::ShowPointerHint(free);
    session.pointerFree = free;
}

void Listen(bool on) {
    const char* canvas = page::CanvasTarget();
    auto key = on ? OnKey : nullptr;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, key);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, key);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, on ? OnMouseMove : nullptr);
    emscripten_set_mousedown_callback(canvas, nullptr, EM_TRUE, on ? OnMouseDown : nullptr);
    emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE,
                                              on ? OnPointerLock : nullptr);
    emscripten_set_pointerlockerror_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE,
                                             on ? OnPointerLockError : nullptr);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, on ? OnBlur : nullptr);
    emscripten_set_webglcontextlost_callback(canvas, nullptr, EM_TRUE, on ? OnContextLost : nullptr);
    emscripten_set_webglcontextrestored_callback(canvas, nullptr, EM_TRUE, on ? OnContextRestored : nullptr);
}

}  // namespace plat::web

// Touch: the page draws a move pad, a fire button and a pause control over
// the picture and hands what the fingers do to these, which turn it into the
// messages a keyboard and a mouse would have sent. A gamepad's readings come
// the same way (pad.cpp).
namespace plat::web {

void PressKey(WPARAM code, bool down) {
    if (!session.windowOpen || session.boxShowing || code == 0 || code >= 256) return;
    if (session.keyDown[code] == down) return;
    session.keyDown[code] = down;
    Enqueue(MSG{TheWindow(), down ? WM_KEYDOWN : WM_KEYUP, code, 0});
}

void Look(int dx, int dy) {
    if (!session.windowOpen || session.boxShowing || !session.active) return;
    MoveCursor(dx, dy);
}

void Fire() {
    if (!session.windowOpen || session.boxShowing || !session.active) return;
    Enqueue(MSG{TheWindow(), WM_LBUTTONDOWN, emulated::kLeftButtonDown, CursorPoint()});
}

}  // namespace plat::web

EMSCRIPTEN_KEEPALIVE void VeldrakeTouchKey(int code, int down) {
    if (code > 0) plat::web::PressKey(static_cast<plat::WPARAM>(code), down != 0);
}

// A drag turns and tilts the view as the mouse does, pixel for pixel.
EMSCRIPTEN_KEEPALIVE void VeldrakeTouchLook(int dx, int dy) { plat::web::Look(dx, dy); }

EMSCRIPTEN_KEEPALIVE void VeldrakeTouchFire() { plat::web::Fire(); }

// The pause control: the game stops while the page offers to go on or to end.
EMSCRIPTEN_KEEPALIVE void VeldrakeTouchPause(int paused) {
    if (!plat::web::session.windowOpen) return;
    if (paused)
        plat::web::Deactivate();
    else
        plat::web::Activate();
}
